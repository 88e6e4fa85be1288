// Arm state and joint telemetry: always-blocking queries.
#include "core/log.h"
#include "protocol/command.h"
#include "protocol/internals.h"

using namespace arx::protocol;

int arx::protocol::read_arm_state(SOCKHANDLE h, float* joint, POSE* pose, unsigned short* arm_err,
                                  unsigned short* sys_err) {
    return Request("get_current_arm_state")
        .query(h, Kind::CurrentArmState, Within("arm_state", PoseArray("pose", pose), JointArray(h, "joint", joint, Thousandths, kTypeErrors),
                             Integer("arm_err", arm_err), Integer("sys_err", sys_err)));
}

int Get_Current_Arm_State(SOCKHANDLE h, float* joint, POSE* pose, unsigned short* arm_err, unsigned short* sys_err) {
    ARX_GUARD(h, Transfer, NotNull(joint, pose, arm_err, sys_err), Pause);
    return read_arm_state(h, joint, pose, arm_err, sys_err);
}

int Get_Joint_Temperature(SOCKHANDLE h, float* temperature) {
    ARX_GUARD(h, Transfer, NotNull(temperature), Pause);
    return Request("get_current_joint_temperature")
        .query(h, Kind::CurrentJointTemperature, JointArray(h, "joint_temperature", temperature, Thousandths, kTypeErrors));
}

int Get_Joint_Current(SOCKHANDLE h, float* current) {
    ARX_GUARD(h, Transfer, NotNull(current), Pause);
    return Request("get_current_joint_current")
        .query(h, Kind::CurrentJointCurrent, JointArray(h, "joint_current", current, Thousandths, kTypeErrors));
}

int Get_Joint_Voltage(SOCKHANDLE h, float* voltage) {
    ARX_GUARD(h, Transfer, NotNull(voltage), Pause);
    return Request("get_current_joint_voltage")
        .query(h, Kind::CurrentJointVoltage, JointArray(h, "joint_voltage", voltage, Thousandths, kTypeErrors));
}

int Get_Arm_All_State(SOCKHANDLE h, JOINT_STATE* state) {
    ARX_GUARD(h, Transfer, NotNull(state), Pause);
    float temperature[7];  // validated, kept nowhere
    const Field decode =
        Within("all_state", JointArray(h, "temperature", temperature, Thousandths, kTypeErrors),
               JointArray(h, "current", state->current, Thousandths, kTypeErrors),
               JointArray(h, "voltage", state->voltage, Thousandths, kTypeErrors),
               JointArray(h, "en_flag", state->en_flag, IntegerPart, kTypeErrors),
               JointArray(h, "err_flag", state->err_flag, IntegerPart, kTypeErrors), Integer("sys_err", &state->sys_err));
    return Request("get_arm_all_state").query(h, Kind::ArmAllState, [&decode](const char* reply) {
        // The raw reply, also when it does not decode, for whoever reads the log
        // at debug level; never on standard output, which belongs to the application.
        arx::core::log(arx::core::LogLevel::Debug, "all_state:%s", reply);
        return decode(reply);
    });
}

int Get_Arm_Plan_Num(SOCKHANDLE h, int* plan) {
    ARX_GUARD(h, Transfer, NotNull(plan), Pause);
    return Request("get_arm_plan_num").query(h, Kind::ArmPlanNum, Integer("plan_num", plan));
}
