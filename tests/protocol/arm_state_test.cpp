// Arm state and joint telemetry against the fake controller.
#include "support/command_cases.h"

using arx::test::CommandTest;
using arx::test::Got;
using arx::test::list;

class ArmStateQueries : public CommandTest {};

TEST_F(ArmStateQueries, CurrentStateDecodesInOrderKeepingWhatCameBeforeAFailure) {
    POSE pose;
    unsigned short err[2];
    // pose|joints|arm_err,sys_err
    const auto state = [&] {
        pose = {kMark, kMark, kMark, kMark, kMark, kMark};
        err[0] = err[1] = 777;
        const int rc = Get_Current_Arm_State(h, f, &pose, &err[0], &err[1]);
        return Got{rc, 0, list(&pose.x, 6) + "|" + list(f, 7) + "|" + list(err, 2)};
    };
    const auto reply = [](const char* inner) {
        return std::string(R"({"state":"current_arm_state","arm_state":{)") + inner + "}}";
    };
    const std::string none = "-99,-99,-99,-99,-99,-99";
    expect_decodes({
        {"state decoded", "get_current_arm_state", reply(R"("pose":[250000,0,0,1571,0,0],"joint":[1000,2000,3000,4000,5000,-6000],"arm_err":65537,"sys_err":2)"),
         state, {0, 0, "0.25,0,0,1.571,0,0|1,2,3,4,5,-6,-99|1,2"}},
        {"pose of seven values", "get_current_arm_state", reply(R"("pose":[250000,0,0,1571,0,0,0],"joint":[1000,2000,3000,4000,5000,-6000],"arm_err":1,"sys_err":2)"),
         state, {12, 0, none + "|" + none + ",-99|777,777"}},
        {"arm error as text", "get_current_arm_state", reply(R"("pose":[250000,0,0,1571,0,0],"joint":[1000,2000,3000,4000,5000,-6000],"arm_err":"1","sys_err":2)"),
         state, {11, 0, "0.25,0,0,1.571,0,0|1,2,3,4,5,-6,-99|777,777"}},
        {"no arm_state object", "get_current_arm_state", R"({"state":"current_arm_state"})", state, {9, 0, none + "|" + none + ",-99|777,777"}},
    });
}

TEST_F(ArmStateQueries, PerJointTelemetryNeedsOneValuePerJoint) {
    expect_decodes({
        {"voltage thousandths", "get_current_joint_voltage", R"({"state":"current_joint_voltage","joint_voltage":[24000,1,2,3,4,5]})",
         [&] { return Got{Get_Joint_Voltage(h, f), 0, list(f, 7)}; }, {0, 0, "24,0.001,0.002,0.003,0.004,0.005,-99"}},
        {"temperature: seven for six joints", "get_current_joint_temperature", R"({"state":"current_joint_temperature","joint_temperature":[25500,1,2,3,4,5,6]})",
         [&] { return Got{Get_Joint_Temperature(h, f), f[0]}; }, {11, kMark}},
    });
}

TEST_F(ArmStateQueries, AllStateEchoesTheReplyToStandardOutputAndDecodes) {
    const std::string good =
        R"({"state":"arm_all_state","all_state":{"temperature":[1,2,3,4,5,6],"current":[1500,0,0,0,0,-2000],)"
        R"("voltage":[24000,0,0,0,0,0],"en_flag":[1,0,1,0,1,257],"err_flag":[65538,0,0,0,0,3],"sys_err":70000}})";
    JOINT_STATE js;
    std::memset(&js, 'Z', sizeof js);
    const JOINT_STATE mark = js;
    struct Case { std::string reply; int rc; };
    for (const Case& c : {Case{good, 0}, Case{R"({"state":"arm_all_state","all_state":{"temperature":[1,2,3]}})", 11}}) {
        fc.on("get_arm_all_state", c.reply);
        testing::internal::CaptureStdout();
        EXPECT_EQ(Get_Arm_All_State(h, &js), c.rc);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "all_state:" + c.reply + "\r\n");
        if (c.rc != 0) continue;
        EXPECT_EQ(list(js.current, 7) + "|" + list(js.voltage, 1), "1.5,0,0,0,0,-2," + list(&mark.current[6], 1) + "|24");
        EXPECT_EQ(list(js.en_flag, 6) + "|" + list(js.err_flag, 1) + "|" + list(&js.sys_err, 1), "1,0,1,0,1,1|2|4464");  // low 8, 16 bits
        EXPECT_EQ(std::memcmp(js.unused_a, mark.unused_a, sizeof js.unused_a + sizeof js.unused_b), 0);
    }
}
