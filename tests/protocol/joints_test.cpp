// The joint commands against the fake controller: exact request bytes on both
// paths, decoded replies, export checks and refused values.
#include "core/library.h"
#include "support/fake_controller.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// ------------------------------------------------------------------------
// The rest of the joint configuration and calibration family.

namespace {

// Every setter, blocking and queued, sends the same line.
struct SetterLine {
    const char* command;
    std::function<int(SOCKHANDLE, bool)> call;
    const char* line;
};

const SetterLine kSetterLines[] = {
    {"set_joint_max_speed", [](SOCKHANDLE h, bool b) { return Set_Joint_Speed(h, 3, 0.5678f, b); },
     R"({"command":"set_joint_max_speed","joint_max_speed":[3,567]})"},
    {"set_joint_max_acc", [](SOCKHANDLE h, bool b) { return Set_Joint_Acc(h, 6, 12.5f, b); },
     R"({"command":"set_joint_max_acc","joint_max_acc":[6,12500]})"},
    {"set_joint_min_pos", [](SOCKHANDLE h, bool b) { return Set_Joint_Min_Pos(h, 1, -0.0015f, b); },
     R"({"command":"set_joint_min_pos","joint_min_pos":[1,-1]})"},
    {"set_joint_max_pos", [](SOCKHANDLE h, bool b) { return Set_Joint_Max_Pos(h, 2, 178.9999f, b); },
     R"({"command":"set_joint_max_pos","joint_max_pos":[2,178999]})"},
    {"set_joint_en_state", [](SOCKHANDLE h, bool b) { return Set_Joint_EN_State(h, 4, true, b); },
     R"({"command":"set_joint_en_state","joint_en_state":[4,1]})"},
    {"set_joint_en_state", [](SOCKHANDLE h, bool b) { return Set_Joint_EN_State(h, 4, false, b); },
     R"({"command":"set_joint_en_state","joint_en_state":[4,0]})"},
    {"set_joint_zero_pos", [](SOCKHANDLE h, bool b) { return Set_Joint_Zero_Pos(h, 5, b); },
     R"({"command":"set_joint_zero_pos","joint_zero_pos":5})"},
    {"set_joint_clear_err", [](SOCKHANDLE h, bool b) { return Set_Joint_Err_Clear(h, 7, b); },
     R"({"command":"set_joint_clear_err","joint_clear_err":7})"},
    {"set_joint_zero_offset",
     [](SOCKHANDLE h, bool b) {
         const float offset[7] = {1.5f, -2.25f, 0, 0.0009f, 90, -0.5678f, 7};
         return Set_Joint_Zero_Offset(h, offset, b);
     },
     R"({"command":"set_joint_zero_offset","offset":[1500,-2250,0,0,90000,-567]})"},
    {"start_calibrate", [](SOCKHANDLE h, bool b) { return Start_Calibrate(h, b); }, R"({"command":"start_calibrate"})"},
    {"stop_calibrate", [](SOCKHANDLE h, bool b) { return Stop_Calibrate(h, b); }, R"({"command":"stop_calibrate"})"},
};

}  // namespace

TEST_F(JointCommands, SettersSendTheSameLineBlockingAndQueued) {
    fc.on("set_joint_max_speed", R"({"command":"set_joint_max_speed","joint_max_speed":true})");
    fc.on("set_joint_max_acc", R"({"command":"set_joint_max_acc","joint_max_acc":true})");
    fc.on("set_joint_min_pos", R"({"command":"set_joint_min_pos","joint_min_pos":true})");
    fc.on("set_joint_max_pos", R"({"command":"set_joint_max_pos","joint_max_pos":true})");
    fc.on("set_joint_en_state", R"({"command":"set_joint_en_state","joint_en_state":true})");
    fc.on("set_joint_zero_pos", R"({"command":"set_joint_zero_pos","joint_zero_pos":true})");
    fc.on("set_joint_clear_err", R"({"command":"set_joint_clear_err","joint_clear_err":true})");
    fc.on("set_joint_zero_offset", R"({"command":"set_joint_zero_offset","set_state":true})");
    fc.on("start_calibrate", R"({"command":"start_calibrate","calibrate_state":true})");
    fc.on("stop_calibrate", R"({"command":"stop_calibrate","calibrate_state":true})");
    for (const bool block : {true, false}) {
        for (const SetterLine& c : kSetterLines) {
            SCOPED_TRACE(std::string(c.line) + (block ? " blocking" : " queued"));
            fc.clear();
            EXPECT_EQ(c.call(h, block), 0);
            ASSERT_TRUE(fc.wait_lines(1));
            EXPECT_EQ(fc.raw_of(0), std::string(c.line) + "\r\n");
        }
    }
}

TEST_F(JointCommands, SetterRepliesDecodeByFamily) {
    // The zero offset answers in "set_state" and calls any other type 11; the
    // rest are boolean-8 on their own key.
    struct Case { const char* command; const char* key; int other_type; };
    const Case cases[] = {
        {"set_joint_max_acc", "joint_max_acc", 8},      {"set_joint_min_pos", "joint_min_pos", 8},
        {"set_joint_max_pos", "joint_max_pos", 8},      {"set_joint_en_state", "joint_en_state", 8},
        {"set_joint_zero_pos", "joint_zero_pos", 8},    {"set_joint_clear_err", "joint_clear_err", 8},
        {"set_joint_zero_offset", "set_state", 11},     {"start_calibrate", "calibrate_state", 8},
        {"stop_calibrate", "calibrate_state", 8},
    };
    for (const Case& c : cases) {
        const SetterLine& setter = *std::find_if(std::begin(kSetterLines), std::end(kSetterLines),
                                                 [&](const SetterLine& s) { return std::string(s.command) == c.command; });
        const std::string head = std::string(R"({"command":")") + c.command + R"(",")" + c.key + "\":";
        const std::pair<std::string, int> replies[] = {
            {head + "true}", 0},
            {head + "false}", 1},
            {head + "1}", c.other_type},
            {std::string(R"({"command":")") + c.command + R"(","other":true})", 9},
            {std::string(c.command) + " not json", 9},
        };
        for (const auto& [reply, rc] : replies) {
            SCOPED_TRACE(reply);
            fc.on(c.command, reply);
            EXPECT_EQ(setter.call(h, true), rc);
        }
    }
}

TEST_F(JointCommands, PerJointQueriesReadOneValuePerJoint) {
    float f[7];
    unsigned char bytes[7];
    unsigned short words[7];
    struct Case { const char* command; const char* reply; std::function<int()> call; int rc; };
    const Case cases[] = {
        // Wrong length: 10 for speed, acceleration and minimum, 11 for the rest.
        {"get_joint_max_acc", R"({"state":"joint_max_acc","joint_acc":[1,2,3,4,5,6,7]})", [&] { return Get_Joint_Acc(h, f); }, 10},
        {"get_joint_min_pos", R"({"state":"joint_min_pos","min_pos":[1,2,3,4,5,6,7]})", [&] { return Get_Joint_Min_Pos(h, f); }, 10},
        {"get_joint_max_pos", R"({"state":"joint_max_pos","max_pos":[1,2,3,4,5,6,7]})", [&] { return Get_Joint_Max_Pos(h, f); }, 11},
        {"get_joint_en_state", R"({"state":"joint_en_state","en_state":[1,1]})", [&] { return Get_Joint_EN_State(h, bytes); }, 11},
        {"get_joint_err_flag", R"({"state":"joint_err_flag","err_flag":[]})", [&] { return Get_Joint_Err_Flag(h, words); }, 11},
        {"get_joint_software_version", R"({"state":"joint_software_version","version":[1]})", [&] { return Get_Joint_Software_Version(h, f); }, 11},
        // Not an array: 10 everywhere.
        {"get_joint_max_acc", R"({"state":"joint_max_acc","joint_acc":{}})", [&] { return Get_Joint_Acc(h, f); }, 10},
        {"get_joint_min_pos", R"({"state":"joint_min_pos","min_pos":"x"})", [&] { return Get_Joint_Min_Pos(h, f); }, 10},
        {"get_joint_max_pos", R"({"state":"joint_max_pos","max_pos":1})", [&] { return Get_Joint_Max_Pos(h, f); }, 10},
        {"get_joint_en_state", R"({"state":"joint_en_state","en_state":true})", [&] { return Get_Joint_EN_State(h, bytes); }, 10},
        {"get_joint_err_flag", R"({"state":"joint_err_flag","err_flag":null})", [&] { return Get_Joint_Err_Flag(h, words); }, 10},
        {"get_joint_software_version", R"({"state":"joint_software_version","version":2})", [&] { return Get_Joint_Software_Version(h, f); }, 10},
        // Missing member or not JSON: 9.
        {"get_joint_max_acc", R"({"state":"joint_max_acc"})", [&] { return Get_Joint_Acc(h, f); }, 9},
        {"get_joint_max_pos", R"(joint_max_pos [1,2)", [&] { return Get_Joint_Max_Pos(h, f); }, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        fc.on(c.command, c.reply);
        EXPECT_EQ(c.call(), c.rc);
    }
}

TEST_F(JointCommands, PerJointQueriesDecodeTheirValues) {
    fc.on("get_joint_max_acc", R"({"state":"joint_max_acc","joint_acc":[1500,-2,0,0,0,6999.9]})");
    fc.on("get_joint_min_pos", R"({"state":"joint_min_pos","min_pos":[-178000,0,0,0,0,1]})");
    fc.on("get_joint_en_state", R"({"state":"joint_en_state","en_state":[1,0,257,255,-1,1]})");
    fc.on("get_joint_err_flag", R"({"state":"joint_err_flag","err_flag":[0,65537,65535,4,5,-1]})");
    fc.on("get_joint_software_version", R"({"state":"joint_software_version","version":[1203,0,0,0,0,2001]})");
    float f[6];
    ASSERT_EQ(Get_Joint_Acc(h, f), 0);
    EXPECT_FLOAT_EQ(f[0], 1.5f);
    EXPECT_FLOAT_EQ(f[1], -0.002f);
    EXPECT_FLOAT_EQ(f[5], 6.999f);
    ASSERT_EQ(Get_Joint_Min_Pos(h, f), 0);
    EXPECT_FLOAT_EQ(f[0], -178.0f);
    unsigned char en[6];
    ASSERT_EQ(Get_Joint_EN_State(h, en), 0);
    EXPECT_EQ((std::vector<int>(en, en + 6)), (std::vector<int>{1, 0, 1, 255, 255, 1}));
    unsigned short err[6];
    ASSERT_EQ(Get_Joint_Err_Flag(h, err), 0);
    EXPECT_EQ((std::vector<int>(err, err + 6)), (std::vector<int>{0, 1, 65535, 4, 5, 65535}));
    ASSERT_EQ(Get_Joint_Software_Version(h, f), 0);
    EXPECT_FLOAT_EQ(f[0], 1.203f);
    EXPECT_FLOAT_EQ(f[5], 2.001f);
}

TEST_F(JointCommands, CalibrateStateKeepsTheLowByteAndLeavesTheOtherOutputs) {
    struct Case { const char* reply; int rc; float first; };
    const Case cases[] = {
        {R"({"state":"calibrate_state","joint_state":[300,1,2,3,4,255]})", 0, 44.0f},
        {R"({"state":"calibrate_state","joint_state":[1,2,3,4,5,6,7]})", 10, -1.0f},
        {R"({"state":"calibrate_state","joint_state":1})", 9, -1.0f},
        {R"({"state":"calibrate_state"})", 9, -1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        fc.on("get_calibrate_state", c.reply);
        float state[7] = {-1, -1, -1, -1, -1, -1, -1};
        unsigned short second = 77;
        int third = 88;
        EXPECT_EQ(Get_Calibrate_State(h, state, &second, &third), c.rc);
        EXPECT_FLOAT_EQ(state[0], c.first);
        if (c.rc == 0) EXPECT_FLOAT_EQ(state[5], 255.0f);
        EXPECT_EQ(second, 77);
        EXPECT_EQ(third, 88);
    }
    EXPECT_EQ(fc.lines().back(), R"({"command":"get_calibrate_state"})");
}

TEST_F(JointCommands, ChecksDifferPerCommand) {
    fc.clear();
    float f[7] = {};
    unsigned short second = 0;
    int third = 0;
    struct Case { const char* what; std::function<int()> call; int rc; };
    const Case cases[] = {
        // No handle check: handle 0 goes on to the queue.
        {"min pos, handle 0", [] { return Set_Joint_Min_Pos(0, 1, 1.0f, false); }, 0},
        {"max pos, handle 0", [] { return Set_Joint_Max_Pos(0, 1, 1.0f, false); }, 0},
        {"enable, handle 0", [] { return Set_Joint_EN_State(0, 1, true, false); }, 0},
        {"clear error, handle 0", [] { return Set_Joint_Err_Clear(0, 1, false); }, 0},
        {"start calibrate, handle 0", [] { return Start_Calibrate(0, false); }, 0},
        // Handle checked.
        {"acc, handle 0", [] { return Set_Joint_Acc(0, 1, 1.0f, false); }, 5},
        {"zero pos, handle 0", [] { return Set_Joint_Zero_Pos(0, 1, false); }, 5},
        // Null pointers.
        {"zero offset null", [&] { return Set_Joint_Zero_Offset(h, nullptr, false); }, 19},
        {"calibrate state null second", [&] { return Get_Calibrate_State(h, f, nullptr, &third); }, 19},
        {"calibrate state null third", [&] { return Get_Calibrate_State(h, f, &second, nullptr); }, 19},
        {"acc query null", [&] { return Get_Joint_Acc(h, nullptr); }, 19},
        {"en state null", [&] { return Get_Joint_EN_State(h, nullptr); }, 19},
        // Values that cannot be sent.
        {"min pos NaN", [&] { return Set_Joint_Min_Pos(h, 1, std::nanf(""), true); }, 11},
        {"zero offset out of range", [&] {
             const float offset[7] = {0, 0, 0, 0, 0, 3e6f, 0};
             return Set_Joint_Zero_Offset(h, offset, true);
         }, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.call(), c.rc);
    }
    EXPECT_TRUE(fc.lines().empty());
}

TEST_F(JointCommands, ZeroPosPausesBeforeItsHandleCheck) {
    auto start = Clock::now();
    EXPECT_EQ(Set_Joint_Zero_Pos(0, 1, true), 5);
    EXPECT_GE(elapsed_ms(start), arx::core::kCommandPauseMs);
    start = Clock::now();
    EXPECT_EQ(Set_Joint_Acc(0, 1, 1.0f, true), 5);
    EXPECT_LT(elapsed_ms(start), arx::core::kCommandPauseMs);
}

TEST_F(JointCommands, ZeroOffsetSendsSevenValuesOnlyForTheSevenJointModel) {
    const float offset[7] = {1, 2, 3, 4, 5, 6, 7};
    ASSERT_EQ(Set_Joint_Zero_Offset(h, offset, false), 0);
    ASSERT_TRUE(fc.wait_lines(1));
    EXPECT_EQ(fc.lines().back(), R"({"command":"set_joint_zero_offset","offset":[1000,2000,3000,4000,5000,6000]})");

    Arx_API_Init(ARM_MODEL_B, nullptr);
    FakeController arm7;
    const SOCKHANDLE h7 = arx::test::connect_to(arm7);
    ASSERT_NE(h7, ARX_START_FAILED_HANDLE);
    arm7.clear();
    arm7.on("set_joint_zero_offset", R"({"command":"set_joint_zero_offset","set_state":true})");
    EXPECT_EQ(Set_Joint_Zero_Offset(h7, offset, true), 0);
    EXPECT_EQ(arm7.lines().back(),
              R"({"command":"set_joint_zero_offset","offset":[1000,2000,3000,4000,5000,6000,7000]})");
    // Replies on the seven-joint connection need seven values.
    arm7.on("get_joint_max_pos", R"({"state":"joint_max_pos","max_pos":[1,2,3,4,5,6]})");
    float pos[7];
    EXPECT_EQ(Get_Joint_Max_Pos(h7, pos), 11);
    arm7.on("get_calibrate_state", R"({"state":"calibrate_state","joint_state":[1,2,3,4,5,6,300]})");
    unsigned short second = 0;
    int third = 0;
    EXPECT_EQ(Get_Calibrate_State(h7, pos, &second, &third), 0);
    EXPECT_FLOAT_EQ(pos[6], 44.0f);
    Arm_Socket_Close(h7);
}
