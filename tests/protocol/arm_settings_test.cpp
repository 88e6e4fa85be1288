// The arm-wide settings against the fake controller: refused states and
// replies, and the kinematic values that follow the DH and installation
// commands.
#include "kinematics/kinematic_state.h"
#include "kinematics/state.h"
#include "support/command_cases.h"

#include <cmath>

using arx::test::CommandTest;
using arx::test::Got;
using arx::test::list;

namespace {

const arx::kin::KinematicState& kin() { return arx::kin::kinematic_state(); }

float radians(float degrees) { return static_cast<float>(degrees * 3.1415926 / 180.0); }

}  // namespace

class ArmSettings : public CommandTest {};

TEST_F(ArmSettings, DynamicParmStateOfAnotherTypeIsRefused) {
    const float parm[14] = {1.25f, 0.0012f, 0, -2, 1, 1, 1, 1, 1, 1, 1, 1, 99, 99};
    expect_sends({
        {"dynamic parm: twelve, fraction kept", [&] { return Set_Arm_Dynamic_Parm(h, parm, true); },
         R"({"command":"set_arm_dynamic_parm","parm":[1250,1.200000,0,-2000,1000,1000,1000,1000,1000,1000,1000,1000]})", 11,
         R"({"command":"set_arm_dynamic_parm","set_state":1})"},
    });
}

// The DH query stores the end-link length, and the install-pose query the
// mounting angles, only when the whole reply decoded.
TEST_F(ArmSettings, QueriesDecode) {
    const auto dh = [&] {
        arx::kin::store_end_link_length(0.5f);
        return Got{Get_DH_Data(h, &f[0], &f[1], &f[2], &f[3], &f[4]), kin().end_link, list(f, 5)};
    };
    const auto install = [&] {
        setAngle(1, 2, 3);
        return Got{Get_Install_Pose(h, &f[0], &f[1], &f[2]), kin().install[2] / radians(1), list(f, 3)};
    };
    expect_decodes({
        {"angular acc not a number", "get_arm_max_angular_acc", R"({"state":"arm_max_angular_acc","arm_angular_acc":"1"})",
         [&] { return Got{Get_Arm_Angular_Acc(h, f), f[0]}; }, {11, kMark}},
        {"collision stage as text", "get_collision_stage", R"({"state":"get_collision_stage","collision_stage":"3"})",
         [&] { return Got{Get_Collision_Stage(h, &n), double(n)}; }, {11, -99}},
        {"power state not a number", "get_arm_power_state", R"({"state":"arm_power_state","power_state":true})",
         [&] { return Got{Get_Arm_Power_State(h, &n), double(n)}; }, {11, -99}},
        {"init pose: seven for six joints", "get_init_pose", R"({"state":"init_pose","init_pose":[1500,0,-90000,0,0,1,7]})",
         [&] { return Got{Get_Arm_Init_Pose(h, f), f[0]}; }, {11, kMark}},
        {"DH tenths, end link stored", "get_DH_data", R"({"state":"DH_data","data":[2405,0,2560,1449,0]})", dh, {0, 144.9, "240.5,0,256,144.9,0"}},
        {"DH too short: nothing written, end link kept", "get_DH_data", R"({"state":"DH_data","data":[2405,0,2560,1449]})", dh, {11, 0.5, "-99,-99,-99,-99,-99"}},
        {"DH element not a number: nothing written, end link kept", "get_DH_data", R"({"state":"DH_data","data":[2405,0,2560,"1449",0]})", dh, {11, 0.5, "-99,-99,-99,-99,-99"}},
        {"install angles unscaled, stored", "get_install_pose", R"({"state":"install_pose","pose":[0.5,-45,90.25,7]})", install, {0, 90.25, "0.5,-45,90.25"}},
        {"install angles too short: kept", "get_install_pose", R"({"state":"install_pose","pose":[0.5,-45]})", install, {11, 3, "-99,-99,-99"}},
        {"install angle past the float range: refused, kept", "get_install_pose", R"({"state":"install_pose","pose":[0,1e300,0]})", install, {11, 3, "-99,-99,-99"}},
        {"install angle below the float range: refused, kept", "get_install_pose", R"({"state":"install_pose","pose":[0,-1e39,0]})", install, {11, 3, "-99,-99,-99"}},
        {"line speed past the float range: refused", "get_arm_max_line_speed", R"({"state":"arm_max_line_speed","arm_line_speed":1e300})",
         [&] { return Got{Get_Arm_Line_Speed(h, f), f[0]}; }, {11, kMark}},
    });
    const float joints[7] = {10, 20, 30, 40, 50, 60, 0};
    EXPECT_TRUE(std::isfinite(Forward_Kinematics(joints).x));
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
    EXPECT_EQ(Set_DH_Data(h, std::nanf(""), 0, 0, 0.3f, 0, false), 11);  // refused: nothing stored
    EXPECT_FLOAT_EQ(kin().end_link, 0.2f);
}

TEST_F(ArmSettings, InstallPoseQueuedSetsTheAnglesAtOnce) {
    setAngle(0, 0, 0);
    const float joint[6] = {10, 20, 30, 40, 50, 60};
    const Pose level = Forward_Kinematics(joint);
    expect_sends({{"queued", [&] { return Set_Install_Pose(h, 0, 0, 90, false); },
                   R"({"command":"set_install_pose","pose":[0,0,90]})"}});
    EXPECT_FLOAT_EQ(kin().install[2], radians(90));
    const Pose turned = Forward_Kinematics(joint);
    EXPECT_GT(std::fabs(turned.x - level.x) + std::fabs(turned.y - level.y), 1e-3);
}

TEST_F(ArmSettings, InstallPoseBlockingStoresOnlyWhatTheControllerAccepted) {
    setAngle(1, 2, 3);
    fc.on("set_install_pose", R"({"command":"set_install_pose","set_state":false})");
    EXPECT_EQ(Set_Install_Pose(h, 0, 0, 90, true), 1);
    EXPECT_FLOAT_EQ(kin().install[2], radians(3));
    fc.on("set_install_pose", R"({"command":"set_install_pose","set_state":true})");
    EXPECT_EQ(Set_Install_Pose(h, 180, -45, 2.5f, true), 0);
    EXPECT_EQ(fc.lines().back(), R"({"command":"set_install_pose","pose":[180,-45,2.500000]})");
    EXPECT_FLOAT_EQ(kin().install[0], radians(180));
    EXPECT_FLOAT_EQ(kin().install[2], radians(2.5f));
}
