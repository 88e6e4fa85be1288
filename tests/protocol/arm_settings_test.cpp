// The arm-wide settings against the fake controller: exact request bytes,
// decoded replies, and the kinematic values that follow the DH and
// installation commands.
#include "core/library.h"
#include "kinematics/kinematic_state.h"
#include "kinematics/state.h"
#include "support/fake_controller.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

using arx::test::ControllerTest;
using arx::test::FakeController;

namespace {

const arx::kin::KinematicState& kin() { return arx::kin::kinematic_state(); }

float radians(float degrees) { return static_cast<float>(degrees * 3.1415926 / 180.0); }

struct SetterLine {
    const char* command;
    std::function<int(SOCKHANDLE, bool)> call;
    const char* line;
};

const SetterLine kSetterLines[] = {
    {"set_arm_max_line_speed", [](SOCKHANDLE h, bool b) { return Set_Arm_Line_Speed(h, 0.5678f, b); },
     R"({"command":"set_arm_max_line_speed","arm_line_speed":567})"},
    {"set_arm_max_line_acc", [](SOCKHANDLE h, bool b) { return Set_Arm_Line_Acc(h, -0.0015f, b); },
     R"({"command":"set_arm_max_line_acc","arm_line_acc":-1})"},
    {"set_arm_max_angular_speed", [](SOCKHANDLE h, bool b) { return Set_Arm_Angular_Speed(h, 2.0f, b); },
     R"({"command":"set_arm_max_angular_speed","arm_angular_speed":2000})"},
    {"set_arm_max_angular_acc", [](SOCKHANDLE h, bool b) { return Set_Arm_Angular_Acc(h, 1.25f, b); },
     R"({"command":"set_arm_max_angular_acc","arm_angular_acc":1250})"},
    {"set_arm_init", [](SOCKHANDLE h, bool b) { return Set_Arm_Tip_Init(h, b); }, R"({"command":"set_arm_init"})"},
    {"set_collision_stage", [](SOCKHANDLE h, bool b) { return Set_Collision_Stage(h, -3, b); },
     R"({"command":"set_collision_stage","collision_stage":-3})"},
    {"set_DH_data", [](SOCKHANDLE h, bool b) { return Set_DH_Data(h, 0.2405f, 0, 0.256f, 0.144f, 0, b); },
     R"({"command":"set_DH_data","data":[2,0,2,1,0]})"},
    {"set_arm_dynamic_parm",
     [](SOCKHANDLE h, bool b) {
         const float parm[14] = {1.25f, 0.0012f, 0, -2, 1, 1, 1, 1, 1, 1, 1, 1, 99, 99};
         return Set_Arm_Dynamic_Parm(h, parm, b);
     },
     R"({"command":"set_arm_dynamic_parm","parm":[1250,1.200000,0,-2000,1000,1000,1000,1000,1000,1000,1000,1000]})"},
    {"set_init_pose",
     [](SOCKHANDLE h, bool b) {
         const float joint[7] = {0.5678f, -90, 0, 0, 0, 180, 7};
         return Set_Arm_Init_Pose(h, joint, b);
     },
     R"({"command":"set_init_pose","init_pose":[567,-90000,0,0,0,180000]})"},
    {"set_install_pose", [](SOCKHANDLE h, bool b) { return Set_Install_Pose(h, 0, 2.5f, 90, b); },
     R"({"command":"set_install_pose","pose":[0,2.500000,90]})"},
    {"set_arm_servo", [](SOCKHANDLE h, bool b) { return Set_Arm_Servo_State(h, true, b); },
     R"({"command":"set_arm_servo","arm_servo":1})"},
    {"set_system_state_servo", [](SOCKHANDLE h, bool b) { return Set_System_State_Servo(h, false, b); },
     R"({"command":"set_system_state_servo","servo_state":0})"},
    {"set_arm_power", [](SOCKHANDLE h, bool b) { return Set_Arm_Power(h, true, b); },
     R"({"command":"set_arm_power","arm_power":1})"},
};

// The reply each setter is answered with, and its key's other-type code.
struct SetterReply {
    const char* command;
    const char* key;
    int other_type;
};

const SetterReply kSetterReplies[] = {
    {"set_arm_max_line_speed", "arm_line_speed", 8},
    {"set_arm_max_line_acc", "arm_line_acc", 8},
    {"set_arm_max_angular_speed", "arm_angular_speed", 8},
    {"set_arm_max_angular_acc", "arm_angular_acc", 8},
    {"set_arm_init", "arm_init", 11},
    {"set_collision_stage", "collision_state", 11},
    {"set_DH_data", "set_state", 11},
    {"set_arm_dynamic_parm", "set_state", 11},
    {"set_init_pose", "init_pose", 11},
    {"set_install_pose", "set_state", 11},
    {"set_arm_servo", "arm_servo", 11},
    {"set_system_state_servo", "servo_state", 11},
    {"set_arm_power", "arm_power", 11},
};

// The controller names its answer to a stage setting "set_collision_state".
std::string reply_name(const SetterReply& r) {
    return std::string(r.command) == "set_collision_stage" ? "set_collision_state" : r.command;
}

std::string answer(const SetterReply& r, const std::string& value) {
    return R"({"command":")" + reply_name(r) + R"(",")" + r.key + "\":" + value + "}";
}

const SetterLine& setter(const char* command) {
    for (const SetterLine& s : kSetterLines)
        if (std::string(s.command) == command) return s;
    throw std::logic_error(command);
}

}  // namespace

class ArmSettings : public ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        fc.clear();
    }
    void answer_all(const std::string& value) {
        for (const SetterReply& r : kSetterReplies) fc.on(r.command, answer(r, value));
    }
};

TEST_F(ArmSettings, SettersSendTheSameLineBlockingAndQueued) {
    answer_all("true");
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

TEST_F(ArmSettings, SetterRepliesDecodeByFamily) {
    for (const SetterReply& r : kSetterReplies) {
        const std::pair<std::string, int> replies[] = {
            {answer(r, "true"), 0},
            {answer(r, "false"), 1},
            {answer(r, "1"), r.other_type},
            {answer(r, "\"true\""), r.other_type},
            {R"({"command":")" + reply_name(r) + R"(","set_statee":true})", 9},
            {reply_name(r) + " (not json", 9},
        };
        for (const auto& [reply, rc] : replies) {
            SCOPED_TRACE(reply);
            fc.on(r.command, reply);
            EXPECT_EQ(setter(r.command).call(h, true), rc);
        }
    }
}

TEST_F(ArmSettings, QueriesSendTheirNameAndDecode) {
    float f = -1;
    int i = -1;
    struct Case {
        const char* command;
        const char* reply;
        std::function<int()> call;
        int rc;
        double value;  // of f or i, after the call
    };
    const Case cases[] = {
        {"get_arm_max_line_speed", R"({"state":"arm_max_line_speed","arm_line_speed":1234.9})",
         [&] { return Get_Arm_Line_Speed(h, &f); }, 0, 1.234},
        {"get_arm_max_line_acc", R"({"state":"arm_max_line_acc","arm_line_acc":-500})",
         [&] { return Get_Arm_Line_Acc(h, &f); }, 0, -0.5},
        {"get_arm_max_angular_speed", R"({"state":"arm_max_angular_speed","arm_angular_speed":3000})",
         [&] { return Get_Arm_Angular_Speed(h, &f); }, 0, 3.0},
        {"get_arm_max_angular_acc", R"({"state":"arm_max_angular_acc","ARM_ANGULAR_ACC":250})",
         [&] { return Get_Arm_Angular_Acc(h, &f); }, 0, 0.25},
        {"get_arm_max_line_speed", R"({"state":"arm_max_line_speed","arm_line_speed":"1"})",
         [&] { return Get_Arm_Line_Speed(h, &f); }, 11, -1},
        {"get_arm_max_angular_acc", R"({"state":"arm_max_angular_acc"})",
         [&] { return Get_Arm_Angular_Acc(h, &f); }, 9, -1},
        {"get_collision_stage", R"({"state":"get_collision_stage","collision_stage":3})",
         [&] { return Get_Collision_Stage(h, &i); }, 0, 3},
        {"get_collision_stage", R"({"state":"get_collision_stage","collision_stage":3.9})",
         [&] { return Get_Collision_Stage(h, &i); }, 0, 3},
        {"get_collision_stage", R"({"state":"get_collision_stage","collision_stage":"3"})",
         [&] { return Get_Collision_Stage(h, &i); }, 11, -1},
        {"get_collision_stage", R"({"state":"get_collision_stage","collision_stage":null})",
         [&] { return Get_Collision_Stage(h, &i); }, 11, -1},
        {"get_arm_power_state", R"({"state":"arm_power_state","power_state":1})",
         [&] { return Get_Arm_Power_State(h, &i); }, 0, 1},
        {"get_arm_power_state", R"({"state":"arm_power_state","power_state":true})",
         [&] { return Get_Arm_Power_State(h, &i); }, 11, -1},
        {"get_arm_power_state", R"(arm_power_state)", [&] { return Get_Arm_Power_State(h, &i); }, 9, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        f = -1;
        i = -1;
        fc.clear();
        fc.on(c.command, c.reply);
        EXPECT_EQ(c.call(), c.rc);
        EXPECT_EQ(fc.lines(), std::vector<std::string>{std::string(R"({"command":")") + c.command + "\"}"});
        if (std::string(c.command).find("collision") != std::string::npos ||
            std::string(c.command).find("power") != std::string::npos)
            EXPECT_EQ(i, static_cast<int>(c.value));
        else
            EXPECT_FLOAT_EQ(f, static_cast<float>(c.value));
    }
}

TEST_F(ArmSettings, InitPoseNeedsOneValuePerJoint) {
    struct Case { const char* reply; int rc; float first; };
    const Case cases[] = {
        {R"({"state":"init_pose","init_pose":[1500,0,-90000,0,0,1]})", 0, 1.5f},
        {R"({"state":"init_pose","init_pose":[1500,0,-90000,0,0,1,7]})", 11, -1},
        {R"({"state":"init_pose","init_pose":{}})", 11, -1},
        {R"({"state":"init_pose"})", 9, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        fc.on("get_init_pose", c.reply);
        float joint[7] = {-1, -1, -1, -1, -1, -1, -1};
        EXPECT_EQ(Get_Arm_Init_Pose(h, joint), c.rc);
        EXPECT_FLOAT_EQ(joint[0], c.first);
        if (c.rc == 0) EXPECT_FLOAT_EQ(joint[2], -90.0f);
        EXPECT_FLOAT_EQ(joint[6], -1.0f);
    }
}

TEST_F(ArmSettings, DhQueryReadsFiveTenthsAndStoresTheEndLinkOnlyOnSuccess) {
    struct Case { const char* reply; int rc; float end_link; };
    const Case cases[] = {
        {R"({"state":"DH_data","data":[2405,0,2560,1449,0]})", 0, 144.9f},
        {R"({"state":"DH_data","data":[2405,0,2560,1000,0,99]})", 0, 100.0f},
        {R"({"state":"DH_data","data":[2405,0,2560,1449]})", 11, -1},
        {R"({"state":"DH_data","data":[2405,0,2560,"1449",0]})", 11, -1},
        {R"({"state":"DH_data","data":2405})", 11, -1},
        {R"({"state":"DH_data"})", 9, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        fc.on("get_DH_data", c.reply);
        setLwt(0);
        arx::kin::store_end_link_length(0.5f);
        float d[5] = {-1, -1, -1, -1, -1};
        EXPECT_EQ(Get_DH_Data(h, &d[0], &d[1], &d[2], &d[3], &d[4]), c.rc);
        EXPECT_FLOAT_EQ(d[3], c.end_link);
        EXPECT_FLOAT_EQ(kin().end_link, c.rc == 0 ? c.end_link : 0.5f);
        if (c.rc == 0) EXPECT_FLOAT_EQ(d[0], 240.5f);
    }
}

TEST_F(ArmSettings, DhSettingStoresTheEndLinkQueuedAtOnceBlockingOnSuccess) {
    arx::kin::store_end_link_length(0.5f);
    EXPECT_EQ(Set_DH_Data(h, 0.2405f, 0, 0.256f, 0.144f, 0, false), 0);
    EXPECT_FLOAT_EQ(kin().end_link, 0.144f);

    fc.on("set_DH_data", R"({"command":"set_DH_data","set_state":false})");
    EXPECT_EQ(Set_DH_Data(h, 0, 0, 0, 0.2f, 0, true), 1);
    EXPECT_FLOAT_EQ(kin().end_link, 0.144f);
    fc.on("set_DH_data", R"({"command":"set_DH_data","set_state":true})");
    EXPECT_EQ(Set_DH_Data(h, 0, 0, 0, 0.2f, 0, true), 0);
    EXPECT_FLOAT_EQ(kin().end_link, 0.2f);
    // A refused line stores nothing, queued or not.
    EXPECT_EQ(Set_DH_Data(h, std::nanf(""), 0, 0, 0.3f, 0, false), 11);
    EXPECT_FLOAT_EQ(kin().end_link, 0.2f);
}

TEST_F(ArmSettings, InstallPoseQueuedSetsTheAnglesAtOnce) {
    setAngle(0, 0, 0);
    float joint[6] = {10, 20, 30, 40, 50, 60};
    const Pose level = Forward_Kinematics(joint);
    ASSERT_EQ(Set_Install_Pose(h, 0, 0, 90, false), 0);
    EXPECT_FLOAT_EQ(kin().install[2], radians(90));
    EXPECT_FLOAT_EQ(kin().install[0], 0.0f);
    const Pose turned = Forward_Kinematics(joint);
    EXPECT_GT(std::fabs(turned.x - level.x) + std::fabs(turned.y - level.y), 1e-3);
    ASSERT_TRUE(fc.wait_lines(1));
    EXPECT_EQ(fc.raw_of(0), "{\"command\":\"set_install_pose\",\"pose\":[0,0,90]}\r\n");
}

TEST_F(ArmSettings, InstallPoseBlockingStoresOnlyWhatTheControllerAccepted) {
    setAngle(1, 2, 3);
    fc.on("set_install_pose", R"({"command":"set_install_pose","set_state":false})");
    EXPECT_EQ(Set_Install_Pose(h, 0, 0, 90, true), 1);
    EXPECT_FLOAT_EQ(kin().install[2], radians(3));
    fc.on("set_install_pose", R"({"command":"set_install_pose","set_state":"ok"})");
    EXPECT_EQ(Set_Install_Pose(h, 0, 0, 90, true), 11);
    EXPECT_FLOAT_EQ(kin().install[2], radians(3));
    fc.on("set_install_pose", R"({"command":"set_install_pose","set_state":true})");
    EXPECT_EQ(Set_Install_Pose(h, 180, -45, 90, true), 0);
    EXPECT_FLOAT_EQ(kin().install[0], radians(180));
    EXPECT_FLOAT_EQ(kin().install[1], radians(-45));
    EXPECT_FLOAT_EQ(kin().install[2], radians(90));
}

TEST_F(ArmSettings, InstallPoseQueryKeepsFractionsAndStoresOnlyOnSuccess) {
    struct Case { const char* reply; int rc; float z; };
    const Case cases[] = {
        {R"({"state":"install_pose","pose":[0.5,-45,90.25]})", 0, 90.25f},
        {R"({"state":"install_pose","pose":[0.5,-45,90.25,7]})", 0, 90.25f},
        {R"({"state":"install_pose","pose":[0.5,-45]})", 11, -1},
        {R"({"state":"install_pose","pose":[0.5,-45,"90"]})", 11, -1},
        {R"({"state":"install_pose","pose":{}})", 11, -1},
        {R"({"state":"install_pose"})", 9, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        fc.on("get_install_pose", c.reply);
        setAngle(1, 2, 3);
        float x = -1, y = -1, z = -1;
        EXPECT_EQ(Get_Install_Pose(h, &x, &y, &z), c.rc);
        EXPECT_FLOAT_EQ(z, c.z);
        EXPECT_FLOAT_EQ(kin().install[2], c.rc == 0 ? radians(90.25f) : radians(3));
        if (c.rc == 0) {
            EXPECT_FLOAT_EQ(x, 0.5f);
            EXPECT_FLOAT_EQ(kin().install[1], radians(-45));
        }
    }
}

TEST_F(ArmSettings, RefusesBeforeSending) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    float f = 0;
    float parm[14] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    float too_long[14];
    for (float& p : too_long) p = 1e30f;  // each one prints as 34 digits: the line would not fit
    struct Case { const char* what; std::function<int()> call; int rc; };
    const Case cases[] = {
        {"dynamic parm NaN", [&] { parm[3] = nan; return Set_Arm_Dynamic_Parm(h, parm, true); }, 11},
        {"dynamic parm NaN queued", [&] { return Set_Arm_Dynamic_Parm(h, parm, false); }, 11},
        {"dynamic parm line too long", [&] { return Set_Arm_Dynamic_Parm(h, too_long, false); }, 11},
        {"line speed beyond 32 bits", [&] { return Set_Arm_Line_Speed(h, 3e6f, true); }, 11},
        {"install pose infinite", [&] { return Set_Install_Pose(h, 0, std::numeric_limits<float>::infinity(), 0, false); }, 11},
        {"init pose NaN", [&] { const float j[7] = {0, 0, nan, 0, 0, 0, 0}; return Set_Arm_Init_Pose(h, j, true); }, 11},
        {"dynamic parm null", [&] { return Set_Arm_Dynamic_Parm(h, nullptr, false); }, 19},
        {"init pose null", [&] { return Set_Arm_Init_Pose(h, nullptr, false); }, 19},
        {"init pose query null", [&] { return Get_Arm_Init_Pose(h, nullptr); }, 19},
        {"angular speed null", [&] { return Get_Arm_Angular_Speed(h, nullptr); }, 19},
        {"line speed null", [&] { return Get_Arm_Line_Speed(h, nullptr); }, 19},
        {"collision stage null", [&] { return Get_Collision_Stage(h, nullptr); }, 19},
        {"power state null", [&] { return Get_Arm_Power_State(h, nullptr); }, 19},
        {"install pose null y", [&] { return Get_Install_Pose(h, &f, nullptr, &f); }, 19},
        {"DH null fifth", [&] { return Get_DH_Data(h, &f, &f, &f, &f, nullptr); }, 19},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.call(), c.rc);
    }
    EXPECT_TRUE(fc.lines().empty());
}

TEST_F(ArmSettings, NoHandleCheck) {
    // Handle 0 is not refused: the line goes on to the queue.
    EXPECT_EQ(Set_Arm_Power(0, true, false), 0);
    EXPECT_EQ(Set_Install_Pose(0, 0, 0, 0, false), 0);
    EXPECT_EQ(Set_Collision_Stage(0, 1, false), 0);
}

TEST_F(ArmSettings, FileTransferRefusesFirst) {
    arx::core::set_file_transfer_active(true);
    setAngle(1, 2, 3);
    EXPECT_EQ(Set_Install_Pose(h, 0, 0, 90, false), 18);
    EXPECT_EQ(Get_Install_Pose(h, nullptr, nullptr, nullptr), 18);
    EXPECT_EQ(Set_Arm_Dynamic_Parm(h, nullptr, true), 18);
    arx::core::set_file_transfer_active(false);
    EXPECT_FLOAT_EQ(kin().install[2], radians(3));
    EXPECT_TRUE(fc.lines().empty());
}

TEST_F(ArmSettings, SevenJointConnectionSendsAndExpectsTheExtraValues) {
    Arx_API_Init(ARM_MODEL_B, nullptr);
    FakeController arm7;
    const SOCKHANDLE h7 = arx::test::connect_to(arm7);
    ASSERT_NE(h7, ARX_START_FAILED_HANDLE);
    arm7.clear();
    const float joint[7] = {1, 2, 3, 4, 5, 6, 7.5f};
    const float parm[14] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0.0125f, 14};
    EXPECT_EQ(Set_Arm_Init_Pose(h7, joint, false), 0);
    EXPECT_EQ(Set_Arm_Dynamic_Parm(h7, parm, false), 0);
    ASSERT_TRUE(arm7.wait_lines(2));
    EXPECT_EQ(arm7.lines(), (std::vector<std::string>{
                                R"({"command":"set_init_pose","init_pose":[1000,2000,3000,4000,5000,6000,7500]})",
                                R"({"command":"set_arm_dynamic_parm","parm":[1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,12.500000,14000]})"}));
    arm7.on("get_init_pose", R"({"state":"init_pose","init_pose":[1000,2000,3000,4000,5000,6000]})");
    float out[7] = {};
    EXPECT_EQ(Get_Arm_Init_Pose(h7, out), 11);
    arm7.on("get_init_pose", R"({"state":"init_pose","init_pose":[1000,2000,3000,4000,5000,6000,7500]})");
    EXPECT_EQ(Get_Arm_Init_Pose(h7, out), 0);
    EXPECT_FLOAT_EQ(out[6], 7.5f);
    Arm_Socket_Close(h7);
}
