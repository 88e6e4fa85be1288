// Arm state and joint telemetry against the fake controller.
#include "support/fake_controller.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

using arx::test::ControllerTest;
using arx::test::FakeController;

namespace {

constexpr float kMark = -99.0f;

struct ArmState {
    float joint[8] = {kMark, kMark, kMark, kMark, kMark, kMark, kMark, kMark};
    POSE pose{kMark, kMark, kMark, kMark, kMark, kMark};
    unsigned short arm_err = 777, sys_err = 777;
    int query(SOCKHANDLE h) { return Get_Current_Arm_State(h, joint, &pose, &arm_err, &sys_err); }
};

std::string arm_state_reply(const std::string& inner) {
    return R"({"state":"current_arm_state","arm_state":{)" + inner + "}}";
}

}  // namespace

class ArmStateQueries : public ControllerTest {};

TEST_F(ArmStateQueries, SendExactRequestBytes) {
    float out[7];
    JOINT_STATE js;
    int plan;
    struct Case { std::function<int()> call; const char* line; };
    const Case cases[] = {
        {[&] { return Get_Joint_Temperature(h, out); }, R"({"command":"get_current_joint_temperature"})"},
        {[&] { return Get_Joint_Current(h, out); }, R"({"command":"get_current_joint_current"})"},
        {[&] { return Get_Joint_Voltage(h, out); }, R"({"command":"get_current_joint_voltage"})"},
        {[&] { return Get_Arm_All_State(h, &js); }, R"({"command":"get_arm_all_state"})"},
        {[&] { return Get_Arm_Plan_Num(h, &plan); }, R"({"command":"get_arm_plan_num"})"},
        {[&] { ArmState s; return s.query(h); }, R"({"command":"get_current_arm_state"})"},
    };
    fc.on("get_current_joint_temperature", R"({"state":"current_joint_temperature","joint_temperature":[1,2,3,4,5,6]})");
    fc.on("get_current_joint_current", R"({"state":"current_joint_current","joint_current":[1,2,3,4,5,6]})");
    fc.on("get_current_joint_voltage", R"({"state":"current_joint_voltage","joint_voltage":[1,2,3,4,5,6]})");
    fc.on("get_arm_all_state", R"({"state":"arm_all_state"})");
    fc.on("get_arm_plan_num", R"({"state":"arm_plan_num","plan_num":3})");
    fc.on("get_current_arm_state", arm_state_reply(R"("pose":[0,0,0,0,0,0],"joint":[0,0,0,0,0,0],"arm_err":0,"sys_err":0)"));
    testing::internal::CaptureStdout();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        fc.clear();
        c.call();
        ASSERT_TRUE(fc.wait_lines(1));
        EXPECT_EQ(fc.raw_of(0), std::string(c.line) + "\r\n");
    }
    testing::internal::GetCapturedStdout();
}

TEST_F(ArmStateQueries, CurrentStateDecodesInOrder) {
    struct Case { const char* inner; int rc; bool pose_written; bool joint_written; unsigned short arm_err; };
    const Case cases[] = {
        {R"("pose":[250000,0,0,1571,0,0],"joint":[1000,2000,3000,4000,5000,-6000],"arm_err":65537,"sys_err":2)", 0, true, true, 1},
        {R"("pose":[250000,0,0,1571,0,0,0],"joint":[1000,2000,3000,4000,5000,-6000],"arm_err":1,"sys_err":2)", 12, false, false, 777},
        {R"("pose":[250000,0,0,1571,0,0],"joint":[1000,2000,3000,4000,5000,-6000],"arm_err":"1","sys_err":2)", 11, true, true, 777},
        {R"("pose":[250000,0,0,1571,0,0],"joint":[1000,2000,3000,4000,5000],"arm_err":1,"sys_err":2)", 11, true, false, 777},
        {R"("pose":"x","joint":[1000,2000,3000,4000,5000,-6000],"arm_err":1,"sys_err":2)", 11, false, false, 777},
        {R"("joint":[1000,2000,3000,4000,5000,-6000],"arm_err":1,"sys_err":2)", 9, false, false, 777},
        {R"("pose":[250000,0,0,1571,0,0],"joint":[1000,2000,3000,4000,5000,-6000],"arm_err":1)", 9, true, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.inner);
        fc.on("get_current_arm_state", arm_state_reply(c.inner));
        ArmState s;
        EXPECT_EQ(s.query(h), c.rc);
        EXPECT_FLOAT_EQ(s.pose.x, c.pose_written ? 0.25f : kMark);
        EXPECT_FLOAT_EQ(s.pose.rx, c.pose_written ? 1.571f : kMark);
        EXPECT_FLOAT_EQ(s.joint[5], c.joint_written ? -6.0f : kMark);
        EXPECT_FLOAT_EQ(s.joint[6], kMark);
        EXPECT_EQ(s.arm_err, c.arm_err);
        if (c.rc == 0) EXPECT_EQ(s.sys_err, 2);
    }
    struct Other { const char* reply; int rc; };
    const Other others[] = {
        {R"({"state":"current_arm_state","arm_state":[1]})", 11},
        {R"({"state":"current_arm_state"})", 9},
        {R"(current_arm_state {)", 9},
    };
    for (const Other& o : others) {
        SCOPED_TRACE(o.reply);
        fc.on("get_current_arm_state", o.reply);
        ArmState s;
        EXPECT_EQ(s.query(h), o.rc);
    }
}

TEST_F(ArmStateQueries, SevenJointConnectionNeedsSevenJoints) {
    Arx_API_Init(ARM_MODEL_B, nullptr);
    FakeController arm7;
    const SOCKHANDLE h7 = arx::test::connect_to(arm7);
    ASSERT_NE(h7, ARX_START_FAILED_HANDLE);
    arm7.on("get_current_arm_state",
            arm_state_reply(R"("pose":[250000,0,0,0,0,0],"joint":[1000,2000,3000,4000,5000,6000],"arm_err":1,"sys_err":2)"));
    ArmState s;
    EXPECT_EQ(s.query(h7), 11);
    EXPECT_FLOAT_EQ(s.pose.x, 0.25f);  // written before the joint check failed
    EXPECT_FLOAT_EQ(s.joint[0], kMark);
    arm7.on("get_current_arm_state",
            arm_state_reply(R"("pose":[0,0,0,0,0,0],"joint":[1000,2000,3000,4000,5000,6000,7000],"arm_err":1,"sys_err":2)"));
    EXPECT_EQ(s.query(h7), 0);
    EXPECT_FLOAT_EQ(s.joint[6], 7.0f);
    EXPECT_FLOAT_EQ(s.joint[7], kMark);
    Arm_Socket_Close(h7);
}

TEST_F(ArmStateQueries, PerJointArrays) {
    struct Case { const char* command; const char* key; std::function<int(float*)> call; };
    const Case queries[] = {
        {"get_current_joint_temperature", "current_joint_temperature\",\"joint_temperature",
         [&](float* o) { return Get_Joint_Temperature(h, o); }},
        {"get_current_joint_current", "current_joint_current\",\"joint_current",
         [&](float* o) { return Get_Joint_Current(h, o); }},
        {"get_current_joint_voltage", "current_joint_voltage\",\"joint_voltage",
         [&](float* o) { return Get_Joint_Voltage(h, o); }},
    };
    struct Body { const char* value; int rc; float first; };
    const Body bodies[] = {
        {"[25500,1,2,3,4,5]", 0, 25.5f},
        {"[25500,1,2,3,4,5,6]", 11, kMark},
        {"[25500]", 11, kMark},
        {"25500", 11, kMark},
    };
    for (const Case& q : queries) {
        for (const Body& b : bodies) {
            SCOPED_TRACE(std::string(q.command) + " " + b.value);
            fc.on(q.command, std::string(R"({"state":")") + q.key + "\":" + b.value + "}");
            float out[7] = {kMark, kMark, kMark, kMark, kMark, kMark, kMark};
            EXPECT_EQ(q.call(out), b.rc);
            EXPECT_FLOAT_EQ(out[0], b.first);
            EXPECT_FLOAT_EQ(out[6], kMark);
        }
        fc.on(q.command, std::string(R"({"state":")") + q.command + "\"}");
        float out[7];
        EXPECT_EQ(q.call(out), 9);
        EXPECT_EQ(q.call(nullptr), 19);
    }
}

TEST_F(ArmStateQueries, AllStatePrintsTheRawReplyAndDecodes) {
    const std::string good =
        R"({"state":"arm_all_state","all_state":{"temperature":[1,2,3,4,5,6],"current":[1500,0,0,0,0,-2000],)"
        R"("voltage":[24000,0,0,0,0,0],"en_flag":[1,0,1,0,1,257],"err_flag":[65538,0,0,0,0,3],"sys_err":70000}})";
    fc.on("get_arm_all_state", good);
    JOINT_STATE js;
    std::memset(&js, 0x5a, sizeof js);
    const JOINT_STATE mark = js;
    testing::internal::CaptureStdout();
    ASSERT_EQ(Get_Arm_All_State(h, &js), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "all_state:" + good + "\r\n");
    EXPECT_FLOAT_EQ(js.current[0], 1.5f);
    EXPECT_FLOAT_EQ(js.current[5], -2.0f);
    EXPECT_FLOAT_EQ(js.voltage[0], 24.0f);
    EXPECT_EQ(js.en_flag[5], 1);       // low 8 bits
    EXPECT_EQ(js.err_flag[0], 2);      // low 16 bits
    EXPECT_EQ(js.sys_err, 70000 & 0xffff);
    EXPECT_EQ(std::memcmp(js.unused_a, mark.unused_a, sizeof js.unused_a + sizeof js.unused_b), 0);
    EXPECT_EQ(js.current[6], mark.current[6]);

    struct Case { const char* reply; int rc; };
    const Case cases[] = {
        {R"({"state":"arm_all_state","all_state":{"temperature":[1,2,3],"current":[1,2,3,4,5,6]}})", 11},
        {R"({"state":"arm_all_state","all_state":{"current":[1,2,3,4,5,6]}})", 9},
        {R"({"state":"arm_all_state","all_state":{"temperature":[1,2,3,4,5,6],"current":[1,2,3,4,5,6],)"
         R"("voltage":[1,2,3,4,5,6],"en_flag":[1,2,3,4,5,6],"err_flag":[1,2,3,4,5,6],"sys_err":"0"}})", 11},
        {R"({"state":"arm_all_state"})", 9},
        {R"(arm_all_state garbage)", 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        fc.on("get_arm_all_state", c.reply);
        testing::internal::CaptureStdout();
        EXPECT_EQ(Get_Arm_All_State(h, &js), c.rc);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string("all_state:") + c.reply + "\r\n");
    }
}

TEST_F(ArmStateQueries, PlanNumber) {
    struct Case { const char* reply; int rc; int plan; };
    const Case cases[] = {
        {R"({"state":"arm_plan_num","plan_num":12})", 0, 12},
        {R"({"state":"arm_plan_num","plan_num":"12"})", 11, -1},
        {R"({"state":"arm_plan_num"})", 9, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        fc.on("get_arm_plan_num", c.reply);
        int plan = -1;
        EXPECT_EQ(Get_Arm_Plan_Num(h, &plan), c.rc);
        EXPECT_EQ(plan, c.plan);
    }
}

TEST_F(ArmStateQueries, NullOutputsRefusedBeforeSending) {
    float joint[7];
    POSE pose;
    unsigned short e;
    EXPECT_EQ(Get_Current_Arm_State(h, joint, nullptr, &e, &e), 19);
    EXPECT_EQ(Get_Current_Arm_State(h, joint, &pose, &e, nullptr), 19);
    EXPECT_EQ(Get_Arm_All_State(h, nullptr), 19);
    EXPECT_EQ(Get_Arm_Plan_Num(h, nullptr), 19);
    EXPECT_TRUE(fc.lines().empty());
}
