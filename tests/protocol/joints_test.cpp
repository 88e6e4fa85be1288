// The joint commands against the fake controller: truncated speeds, refused
// states, per-joint replies of the wrong length, and the seven-joint connection.
#include "support/command_cases.h"

using arx::test::CommandTest;
using arx::test::Got;
using arx::test::list;

class JointCommands : public CommandTest {};

TEST_F(JointCommands, SendExactRequestBytes) {
    const float offset[7] = {1.5f, -2.25f, 0, 0.0009f, 90, -0.5678f, 7};
    expect_sends({
        {"speed queued", [&] { return Set_Joint_Speed(h, 3, 0.5678f, false); },
         R"({"command":"set_joint_max_speed","joint_max_speed":[3,567]})"},
        {"speed state of another type", [&] { return Set_Joint_Speed(h, 255, -0.0015f, true); },
         R"({"command":"set_joint_max_speed","joint_max_speed":[255,-1]})", 8,
         R"({"command":"set_joint_max_speed","joint_max_speed":1})"},
        {"zero offset refused by the controller", [&] { return Set_Joint_Zero_Offset(h, offset, true); },
         R"({"command":"set_joint_zero_offset","offset":[1500,-2250,0,0,90000,-567]})", 11,
         R"({"command":"set_joint_zero_offset","set_state":1})"},
    });
}

TEST_F(JointCommands, DecodeOneValuePerJoint) {
    expect_decodes({
        {"speed thousandths, truncated", "get_joint_max_speed", R"({"state":"joint_max_speed","joint_speed":[1234.9,-1,0,0,0,6000]})",
         [&] { return Got{Get_Joint_Speed(h, f), 0, list(f, 7)}; }, {0, 0, "1.234,-0.001,0,0,0,6,-99"}},
        {"speed: seven for six joints", "get_joint_max_speed", R"({"state":"joint_max_speed","joint_speed":[1,2,3,4,5,6,7]})",
         [&] { return Got{Get_Joint_Speed(h, f), 0, list(f, 7)}; }, {10, 0, "-99,-99,-99,-99,-99,-99,-99"}},
        {"min pos: seven for six joints", "get_joint_min_pos", R"({"state":"joint_min_pos","min_pos":[1,2,3,4,5,6,7]})",
         [&] { return Got{Get_Joint_Min_Pos(h, f), f[0]}; }, {10, kMark}},
        {"max pos: seven for six joints", "get_joint_max_pos", R"({"state":"joint_max_pos","max_pos":[1,2,3,4,5,6,7]})",
         [&] { return Got{Get_Joint_Max_Pos(h, f), f[0]}; }, {11, kMark}},
        {"degree: fewer written", "get_joint_degree", R"({"state":"joint_degree","joint":[1000,2000]})",
         [&] { return Got{Get_Joint_Degree(h, f), 0, list(f, 3)}; }, {0, 0, "1,2,-99"}},
    });
}

// A connection opened after Arx_API_Init(ARM_MODEL_B) carries seven joint
// values both ways; the six-joint connection keeps its own count.
TEST_F(JointCommands, SevenJointConnection) {
    const SOCKHANDLE h6 = h;
    Arx_API_Init(ARM_MODEL_B, nullptr);
    h = arx::test::connect_to(fc);
    ASSERT_NE(h, ARX_START_FAILED_HANDLE);
    const float seven[7] = {1, 2, 3, 4, 5, 6, 7.5f};
    const float parm[14] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0.0125f, 14};
    expect_sends({
        {"zero offset", [&] { return Set_Joint_Zero_Offset(h, seven, false); },
         R"({"command":"set_joint_zero_offset","offset":[1000,2000,3000,4000,5000,6000,7500]})"},
        {"dynamic parm", [&] { return Set_Arm_Dynamic_Parm(h, parm, false); },
         R"({"command":"set_arm_dynamic_parm","parm":[1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,12.500000,14000]})"},
    });
    POSE pose{};
    unsigned short err = 0;
    char state[4];
    expect_decodes({
        {"seven joints on ARM_MODEL_B", "get_joint_max_speed", R"({"state":"joint_max_speed","joint_speed":[1000,2000,3000,4000,5000,6000,7000]})",
         [&] { return Got{Get_Joint_Speed(h, f), 0, list(f, 8)}; }, {0, 0, "1,2,3,4,5,6,7,-99"}},
        {"the six-joint connection keeps its count", "get_joint_max_speed", R"({"state":"joint_max_speed","joint_speed":[1000,2000,3000,4000,5000,6000,7000]})",
         [&] { return Got{Get_Joint_Speed(h6, f), 0, list(f, 1)}; }, {10, 0, "-99"}},
        {"degree: seven written", "get_joint_degree", R"({"state":"joint_degree","joint":[1000,2000,3000,4000,5000,6000,7000,8000]})",
         [&] { return Got{Get_Joint_Degree(h, f), 0, list(f, 8)}; }, {0, 0, "1,2,3,4,5,6,7,-99"}},
        {"max pos: six for seven joints", "get_joint_max_pos", R"({"state":"joint_max_pos","max_pos":[1,2,3,4,5,6]})",
         [&] { return Got{Get_Joint_Max_Pos(h, f), f[0]}; }, {11, kMark}},
        {"arm state: pose kept, joints short", "get_current_arm_state",  // the pose is written before the joints are found short
         R"({"state":"current_arm_state","arm_state":{"pose":[250000,0,0,0,0,0],"joint":[1,2,3,4,5,6],"arm_err":1,"sys_err":2}})",
         [&] { return Got{Get_Current_Arm_State(h, f, &pose, &err, &err), pose.x, list(f, 1)}; }, {11, 0.25, "-99"}},
        {"odometry: seven written", "get_joint_odom", R"({"command":"get_joint_odom","odom":[1,2,3,4,5,6,7,8,9]})",
         [&] { return Got{Get_Joint_Odom(h, state, f), 0, list(f, 8)}; }, {0, 0, "1,2,3,4,5,6,7,-99"}},
    });
    Arm_Socket_Close(h6);
}
