// Sweep rows: arm state and joint telemetry (always blocking).
#include "support/sweep.h"

namespace arx::test {
namespace {

// "joints|x y z rx ry rz|arm_err,sys_err" of the current-state query.
int current_state(SOCKHANDLE h) {
    float joint[7];
    POSE pose{};
    unsigned short arm_err = 0, sys_err = 0;
    const int rc = Get_Current_Arm_State(h, unset(joint), &pose, &arm_err, &sys_err);
    got(list(joint, 6) + "|" + list(&pose.x, 6) + "|" + std::to_string(arm_err) + "," + std::to_string(sys_err));
    return rc;
}

int all_state(SOCKHANDLE h) {
    JOINT_STATE s{};
    const int rc = Get_Arm_All_State(h, &s);
    got(list(s.current, 6) + "|" + list(s.voltage, 6) + "|" + list(s.en_flag, 6) + "|" + list(s.err_flag, 6) + "|" +
        std::to_string(s.sys_err));
    return rc;
}

// clang-format off
const SweepTable kArmState("arm_state", {
    {"Get_Current_Arm_State", "", current_state, R"({"command":"get_current_arm_state"})", R"({"state":"current_arm_state","arm_state":{"pose":[250000,0,0,1571,0,0],"joint":[1000,2000,3000,4000,5000,-6000],"arm_err":65537,"sys_err":2}})", 0, "1,2,3,4,5,-6|0.25,0,0,1.571,0,0|1,2"},
    {"Get_Current_Arm_State", "pose not six values", current_state, R"({"command":"get_current_arm_state"})", R"({"state":"current_arm_state","arm_state":{"pose":[250000,0,0,1571,0,0,0],"joint":[1000,2000,3000,4000,5000,-6000],"arm_err":1,"sys_err":2}})", ARX_POSE_ARRAY_ERROR, "-99,-99,-99,-99,-99,-99|0,0,0,0,0,0|0,0"},
    {"Get_Joint_Temperature", "", [](SOCKHANDLE h) { float v[7]; int rc = Get_Joint_Temperature(h, v); got(list(v, 6)); return rc; }, R"({"command":"get_current_joint_temperature"})", R"({"state":"current_joint_temperature","joint_temperature":[25500,26000,27000,28000,29000,30500]})", 0, "25.5,26,27,28,29,30.5"},
    {"Get_Joint_Temperature", "wrong joint count", [](SOCKHANDLE h) { float v[7]; return Get_Joint_Temperature(h, v); }, R"({"command":"get_current_joint_temperature"})", R"({"state":"current_joint_temperature","joint_temperature":[25500,1,2,3,4,5,6]})", ARX_TYPE_ERROR},
    {"Get_Joint_Current", "", [](SOCKHANDLE h) { float v[7]; int rc = Get_Joint_Current(h, v); got(list(v, 6)); return rc; }, R"({"command":"get_current_joint_current"})", R"({"state":"current_joint_current","joint_current":[1500,0,0,0,0,-2000]})", 0, "1.5,0,0,0,0,-2"},
    {"Get_Joint_Voltage", "", [](SOCKHANDLE h) { float v[7]; int rc = Get_Joint_Voltage(h, v); got(list(v, 6)); return rc; }, R"({"command":"get_current_joint_voltage"})", R"({"state":"current_joint_voltage","joint_voltage":[24000,1,2,3,4,5]})", 0, "24,0.001,0.002,0.003,0.004,0.005"},
    {"Get_Arm_All_State", "", all_state, R"({"command":"get_arm_all_state"})", R"({"state":"arm_all_state","all_state":{"temperature":[1,2,3,4,5,6],"current":[1500,0,0,0,0,-2000],"voltage":[24000,0,0,0,0,0],"en_flag":[1,0,1,0,1,257],"err_flag":[65538,0,0,0,0,3],"sys_err":70000}})", 0, "1.5,0,0,0,0,-2|24,0,0,0,0,0|1,0,1,0,1,1|2,0,0,0,0,3|4464"},
    {"Get_Arm_All_State", "wrong joint count", [](SOCKHANDLE h) { JOINT_STATE s{}; return Get_Arm_All_State(h, &s); }, R"({"command":"get_arm_all_state"})", R"({"state":"arm_all_state","all_state":{"temperature":[1,2,3]}})", ARX_TYPE_ERROR},
    {"Get_Arm_Plan_Num", "", [](SOCKHANDLE h) { int v = kUnset; int rc = Get_Arm_Plan_Num(h, &v); got(std::to_string(v)); return rc; }, R"({"command":"get_arm_plan_num"})", R"({"state":"arm_plan_num","plan_num":5})", 0, "5"},
});

}  // namespace
}  // namespace arx::test
