// The joint commands against the fake controller: exact request bytes on both
// paths, decoded replies, export checks and refused values.
#include "core/library.h"
#include "support/fake_controller.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <limits>
#include <string>

using arx::test::ControllerTest;
using arx::test::FakeController;

namespace {

using Clock = std::chrono::steady_clock;

long long elapsed_ms(Clock::time_point since) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
}

}  // namespace

class JointCommands : public ControllerTest {};

TEST_F(JointCommands, SendExactRequestBytes) {
    fc.on("set_joint_max_speed", R"({"command":"set_joint_max_speed","joint_max_speed":true})");
    fc.on("get_joint_max_speed", R"({"state":"joint_max_speed","joint_speed":[1,2,3,4,5,6]})");
    fc.on("get_joint_degree", R"({"state":"joint_degree","joint":[1,2,3,4,5,6]})");
    float out[7] = {};
    struct Case { const char* what; std::function<int()> call; const char* line; };
    const Case cases[] = {
        {"queued speed truncates", [&] { return Set_Joint_Speed(h, 3, 0.5678f, false); },
         R"({"command":"set_joint_max_speed","joint_max_speed":[3,567]})"},
        {"blocking speed truncates", [&] { return Set_Joint_Speed(h, 3, 0.5678f, true); },
         R"({"command":"set_joint_max_speed","joint_max_speed":[3,567]})"},
        {"negative toward zero", [&] { return Set_Joint_Speed(h, 255, -0.0015f, true); },
         R"({"command":"set_joint_max_speed","joint_max_speed":[255,-1]})"},
        {"speed query", [&] { return Get_Joint_Speed(h, out); }, R"({"command":"get_joint_max_speed"})"},
        {"degree query", [&] { return Get_Joint_Degree(h, out); }, R"({"command":"get_joint_degree"})"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fc.clear();
        EXPECT_EQ(c.call(), 0);
        ASSERT_TRUE(fc.wait_lines(1));
        EXPECT_EQ(fc.raw_of(0), std::string(c.line) + "\r\n");
    }
}

TEST_F(JointCommands, SetJointSpeedDecodesTheStateAsBoolean8) {
    struct Case { const char* reply; int rc; };
    const Case cases[] = {
        {R"({"command":"set_joint_max_speed","joint_max_speed":true})", 0},
        {R"({"command":"set_joint_max_speed","joint_max_speed":false})", 1},
        {R"({"command":"set_joint_max_speed","Joint_Max_Speed":false})", 1},
        {R"({"command":"set_joint_max_speed","joint_max_speed":1})", 8},
        {R"({"command":"set_joint_max_speed","state":true})", 9},
        {R"(set_joint_max_speed but not json)", 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        fc.on("set_joint_max_speed", c.reply);
        EXPECT_EQ(Set_Joint_Speed(h, 1, 10.0f, true), c.rc);
        // The queued path returns 0 whatever the controller answers.
        EXPECT_EQ(Set_Joint_Speed(h, 1, 10.0f, false), 0);
    }
}

TEST_F(JointCommands, GetJointSpeedNeedsOneValuePerJoint) {
    struct Case { const char* reply; int rc; float first; };
    const Case cases[] = {
        {R"({"state":"joint_max_speed","joint_speed":[1000,2000,3000,4000,5000,6000]})", 0, 1.0f},
        {R"({"state":"joint_max_speed","joint_speed":[1234.9,0,0,0,0,0]})", 0, 1.234f},
        {R"({"state":"joint_max_speed","joint_speed":[1000,2000,3000,4000,5000,6000,7000]})", 10, -1.0f},
        {R"({"state":"joint_max_speed","joint_speed":[1000]})", 10, -1.0f},
        {R"({"state":"joint_max_speed","joint_speed":1000})", 10, -1.0f},
        {R"({"state":"joint_max_speed"})", 9, -1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        fc.on("get_joint_max_speed", c.reply);
        float speed[7] = {-1, -1, -1, -1, -1, -1, -1};
        EXPECT_EQ(Get_Joint_Speed(h, speed), c.rc);
        EXPECT_FLOAT_EQ(speed[0], c.first);
        EXPECT_FLOAT_EQ(speed[6], -1.0f);
        if (c.rc == 0 && c.first == 1.0f) EXPECT_FLOAT_EQ(speed[5], 6.0f);
    }
}

TEST_F(JointCommands, GetJointDegreeStopsAtTheJointCount) {
    struct Case { const char* reply; int rc; int written; };
    const Case cases[] = {
        {R"({"state":"joint_degree","joint":[1000,2000,3000,4000,5000,6000]})", 0, 6},
        {R"({"state":"joint_degree","joint":[1000,2000,3000,4000,5000,6000,7000,8000,9000]})", 0, 6},
        {R"({"state":"joint_degree","joint":[1000,2000]})", 0, 2},
        {R"({"state":"joint_degree","joint":"1000"})", 11, 0},
        {R"({"state":"joint_degree"})", 9, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        fc.on("get_joint_degree", c.reply);
        float degree[9] = {-1, -1, -1, -1, -1, -1, -1, -1, -1};
        EXPECT_EQ(Get_Joint_Degree(h, degree), c.rc);
        for (int i = 0; i < 9; ++i) EXPECT_FLOAT_EQ(degree[i], i < c.written ? float(i + 1) : -1.0f) << i;
    }
}

TEST_F(JointCommands, RefusesBeforeSending) {
    float out[7] = {};
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case { const char* what; std::function<int()> call; int rc; };
    const Case cases[] = {
        {"NaN speed, queued", [&] { return Set_Joint_Speed(h, 1, nan, false); }, 11},
        {"NaN speed, blocking", [&] { return Set_Joint_Speed(h, 1, nan, true); }, 11},
        {"speed beyond 32 bits", [&] { return Set_Joint_Speed(h, 1, 3e6f, true); }, 11},
        {"infinite speed", [&] { return Set_Joint_Speed(h, 1, -std::numeric_limits<float>::infinity(), false); }, 11},
        {"handle 0", [&] { return Set_Joint_Speed(0, 1, 1.0f, false); }, 5},
        {"null speed output", [&] { return Get_Joint_Speed(h, nullptr); }, 19},
        {"null degree output", [&] { return Get_Joint_Degree(h, nullptr); }, 19},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.call(), c.rc);
    }
    // Everything above was refused: the next line the controller sees is this one.
    fc.on("get_joint_degree", R"({"state":"joint_degree","joint":[0,0,0,0,0,0]})");
    ASSERT_EQ(Get_Joint_Degree(h, out), 0);
    EXPECT_EQ(fc.lines(), std::vector<std::string>{R"({"command":"get_joint_degree"})"});
}

TEST_F(JointCommands, FileTransferRefusesFirstAndWithoutPause) {
    arx::core::set_file_transfer_active(true);
    const auto start = Clock::now();
    EXPECT_EQ(Set_Joint_Speed(0, 1, std::nanf(""), true), 18);  // before the handle and the value
    EXPECT_EQ(Get_Joint_Speed(h, nullptr), 18);                 // before the null check
    EXPECT_EQ(Get_Joint_Degree(h, nullptr), 18);
    EXPECT_LT(elapsed_ms(start), 20);
    arx::core::set_file_transfer_active(false);
    EXPECT_EQ(fc.lines().size(), 0u);
}

TEST_F(JointCommands, QueriesPauseBeforeSendingAndTheSetterDoesNot) {
    fc.on("get_joint_degree", R"({"state":"joint_degree","joint":[0,0,0,0,0,0]})");
    float out[7] = {};
    auto start = Clock::now();
    ASSERT_EQ(Get_Joint_Degree(h, out), 0);
    EXPECT_GE(elapsed_ms(start), arx::core::kCommandPauseMs);
    start = Clock::now();
    EXPECT_EQ(Get_Joint_Degree(h, nullptr), 19);  // refused before the pause
    EXPECT_LT(elapsed_ms(start), arx::core::kCommandPauseMs);
    start = Clock::now();
    EXPECT_EQ(Set_Joint_Speed(h, 1, 1.0f, false), 0);
    EXPECT_LT(elapsed_ms(start), arx::core::kCommandPauseMs);
}

TEST_F(JointCommands, SevenJointConnection) {
    Arx_API_Init(ARM_MODEL_B, nullptr);
    FakeController arm7;
    const SOCKHANDLE h7 = arx::test::connect_to(arm7);
    ASSERT_NE(h7, ARX_START_FAILED_HANDLE);
    arm7.on("get_joint_max_speed", R"({"state":"joint_max_speed","joint_speed":[1000,2000,3000,4000,5000,6000,7000]})");
    arm7.on("get_joint_degree", R"({"state":"joint_degree","joint":[1000,2000,3000,4000,5000,6000,7000,8000]})");
    float speed[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    EXPECT_EQ(Get_Joint_Speed(h7, speed), 0);
    EXPECT_FLOAT_EQ(speed[6], 7.0f);
    EXPECT_FLOAT_EQ(speed[7], -1.0f);
    float degree[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    EXPECT_EQ(Get_Joint_Degree(h7, degree), 0);
    EXPECT_FLOAT_EQ(degree[6], 7.0f);
    EXPECT_FLOAT_EQ(degree[7], -1.0f);
    // The six-joint connection keeps its own count.
    fc.on("get_joint_max_speed", R"({"state":"joint_max_speed","joint_speed":[1000,2000,3000,4000,5000,6000,7000]})");
    EXPECT_EQ(Get_Joint_Speed(h, speed), 10);
    Arm_Socket_Close(h7);
}

TEST(JointCommandsUninitialised, SetterRefusesWith2) {
    if (arx::core::initialised()) GTEST_SKIP() << "the library was initialised earlier in this process";
    EXPECT_EQ(Set_Joint_Speed(1234, 1, 1.0f, false), 2);
}
