// Sweep rows: arm limits, collision stage, DH values, dynamic parameters, home
// pose, installation angles, servo and power.
#include "support/sweep.h"

namespace arx::test {
namespace {

// Fourteen: an ARM_MODEL_B connection sends all of them, the others twelve.
const float kParm[14] = {1.25f, 0.0012f, 0, -2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};  // fraction kept: 1.2
const float kHome[7] = {0, -90, 90.5f, 0, 0.0005f, -1, 99};                // six of seven are sent

// clang-format off
const SweepTable kArmSettings("arm_settings", {
    {ARX_CALL(Set_Arm_Line_Speed, "queued", 0.5678f, false), R"({"command":"set_arm_max_line_speed","arm_line_speed":567})"},
    {ARX_CALL(Set_Arm_Line_Speed, "blocking", 0.5678f, true), R"({"command":"set_arm_max_line_speed","arm_line_speed":567})", R"({"command":"set_arm_max_line_speed","arm_line_speed":true})"},
    {ARX_CALL(Set_Arm_Line_Acc, "queued", 1.5f, false), R"({"command":"set_arm_max_line_acc","arm_line_acc":1500})"},
    {ARX_CALL(Set_Arm_Line_Acc, "blocking", 1.5f, true), R"({"command":"set_arm_max_line_acc","arm_line_acc":1500})", R"({"command":"set_arm_max_line_acc","arm_line_acc":false})", ARX_CONTROLLER_FALSE},
    {ARX_CALL(Set_Arm_Angular_Speed, "queued", 0.25f, false), R"({"command":"set_arm_max_angular_speed","arm_angular_speed":250})"},
    {ARX_CALL(Set_Arm_Angular_Speed, "blocking", 0.25f, true), R"({"command":"set_arm_max_angular_speed","arm_angular_speed":250})", R"({"command":"set_arm_max_angular_speed","arm_angular_speed":true})"},
    {ARX_CALL(Set_Arm_Angular_Acc, "queued", 1.25f, false), R"({"command":"set_arm_max_angular_acc","arm_angular_acc":1250})"},
    {ARX_CALL(Set_Arm_Angular_Acc, "blocking, state not true/false", 1.25f, true), R"({"command":"set_arm_max_angular_acc","arm_angular_acc":1250})", R"({"command":"set_arm_max_angular_acc","arm_angular_acc":"true"})", ARX_STATE_TYPE_ERROR},
    {"Get_Arm_Line_Speed", "", [](SOCKHANDLE h) { float v = kUnset; int rc = Get_Arm_Line_Speed(h, &v); got(list(&v, 1)); return rc; }, R"({"command":"get_arm_max_line_speed"})", R"({"state":"arm_max_line_speed","arm_line_speed":1234.9})", 0, "1.234"},
    {"Get_Arm_Line_Acc", "", [](SOCKHANDLE h) { float v = kUnset; int rc = Get_Arm_Line_Acc(h, &v); got(list(&v, 1)); return rc; }, R"({"command":"get_arm_max_line_acc"})", R"({"state":"arm_max_line_acc","arm_line_acc":2500})", 0, "2.5"},
    {"Get_Arm_Angular_Speed", "", [](SOCKHANDLE h) { float v = kUnset; int rc = Get_Arm_Angular_Speed(h, &v); got(list(&v, 1)); return rc; }, R"({"command":"get_arm_max_angular_speed"})", R"({"state":"arm_max_angular_speed","arm_angular_speed":-500})", 0, "-0.5"},
    {"Get_Arm_Angular_Acc", "not a number", [](SOCKHANDLE h) { float v = kUnset; int rc = Get_Arm_Angular_Acc(h, &v); got(list(&v, 1)); return rc; }, R"({"command":"get_arm_max_angular_acc"})", R"({"state":"arm_max_angular_acc","arm_angular_acc":"1"})", ARX_TYPE_ERROR, "-99"},
    {ARX_CALL(Set_Arm_Tip_Init, "queued", false), R"({"command":"set_arm_init"})"},
    {ARX_CALL(Set_Arm_Tip_Init, "blocking", true), R"({"command":"set_arm_init"})", R"({"command":"set_arm_init","arm_init":true})"},
    {ARX_CALL(Set_Collision_Stage, "queued", 3, false), R"({"command":"set_collision_stage","collision_stage":3})"},
    {ARX_CALL(Set_Collision_Stage, "blocking, answered as a state", 3, true), R"({"command":"set_collision_stage","collision_stage":3})", R"({"command":"set_collision_state","collision_state":true})"},
    {"Get_Collision_Stage", "", [](SOCKHANDLE h) { int v = kUnset; int rc = Get_Collision_Stage(h, &v); got(std::to_string(v)); return rc; }, R"({"command":"get_collision_stage"})", R"({"state":"get_collision_stage","collision_stage":3})", 0, "3"},
    {ARX_CALL(Set_DH_Data, "queued, x10 truncated", 0.2405f, 0, 0.256f, 0.144f, 0, false), R"({"command":"set_DH_data","data":[2,0,2,1,0]})"},
    {ARX_CALL(Set_DH_Data, "blocking", 24.05f, 0, 25.6f, 14.4f, 0, true), R"({"command":"set_DH_data","data":[240,0,256,144,0]})", R"({"command":"set_DH_data","set_state":true})"},
    {"Get_DH_Data", "", [](SOCKHANDLE h) { float v[5]; int rc = Get_DH_Data(h, &v[0], &v[1], &v[2], &v[3], &v[4]); got(list(v, 5)); return rc; }, R"({"command":"get_DH_data"})", R"({"state":"DH_data","data":[2405,0,2560,1445,0,9]})", 0, "240.5,0,256,144.5,0"},
    {"Get_DH_Data", "too short", [](SOCKHANDLE h) { float v[5]; int rc = Get_DH_Data(h, &v[0], &v[1], &v[2], &v[3], &v[4]); return rc; }, R"({"command":"get_DH_data"})", R"({"state":"DH_data","data":[2405,0,2560,1445]})", ARX_TYPE_ERROR},
    {ARX_CALL(Set_Arm_Dynamic_Parm, "queued", kParm, false), R"({"command":"set_arm_dynamic_parm","parm":[1250,1.200000,0,-2000,1000,1000,1000,1000,1000,1000,1000,1000]})"},
    {ARX_CALL(Set_Arm_Dynamic_Parm, "blocking", kParm, true), R"({"command":"set_arm_dynamic_parm","parm":[1250,1.200000,0,-2000,1000,1000,1000,1000,1000,1000,1000,1000]})", R"({"command":"set_arm_dynamic_parm","set_state":true})"},
    {ARX_CALL(Set_Arm_Init_Pose, "queued", kHome, false), R"({"command":"set_init_pose","init_pose":[0,-90000,90500,0,0,-1000]})"},
    {ARX_CALL(Set_Arm_Init_Pose, "blocking", kHome, true), R"({"command":"set_init_pose","init_pose":[0,-90000,90500,0,0,-1000]})", R"({"command":"set_init_pose","init_pose":true})"},
    {"Get_Arm_Init_Pose", "", [](SOCKHANDLE h) { float v[7]; int rc = Get_Arm_Init_Pose(h, v); got(list(v, 6)); return rc; }, R"({"command":"get_init_pose"})", R"({"state":"init_pose","init_pose":[0,-90000,90500,0,0,-1000]})", 0, "0,-90,90.5,0,0,-1"},
    {ARX_CALL(Set_Install_Pose, "queued, sent as given", 0, 0, 90, false), R"({"command":"set_install_pose","pose":[0,0,90]})"},
    {ARX_CALL(Set_Install_Pose, "blocking", 180, -45, 2.5f, true), R"({"command":"set_install_pose","pose":[180,-45,2.500000]})", R"({"command":"set_install_pose","set_state":true})"},
    {"Get_Install_Pose", "", [](SOCKHANDLE h) { float v[3]; int rc = Get_Install_Pose(h, &v[0], &v[1], &v[2]); got(list(v, 3)); setAngle(0, 0, 0); return rc; }, R"({"command":"get_install_pose"})", R"({"state":"install_pose","pose":[0.5,-45,90.25,7]})", 0, "0.5,-45,90.25"},
    {ARX_CALL(Set_Arm_Servo_State, "queued", true, false), R"({"command":"set_arm_servo","arm_servo":1})"},
    {ARX_CALL(Set_Arm_Servo_State, "blocking", false, true), R"({"command":"set_arm_servo","arm_servo":0})", R"({"command":"set_arm_servo","arm_servo":true})"},
    {ARX_CALL(Set_System_State_Servo, "queued", true, false), R"({"command":"set_system_state_servo","servo_state":1})"},
    {ARX_CALL(Set_System_State_Servo, "blocking, state not true/false", false, true), R"({"command":"set_system_state_servo","servo_state":0})", R"({"command":"set_system_state_servo","servo_state":0})", ARX_TYPE_ERROR},
    {ARX_CALL(Set_Arm_Power, "queued", true, false), R"({"command":"set_arm_power","arm_power":1})"},
    {ARX_CALL(Set_Arm_Power, "blocking", false, true), R"({"command":"set_arm_power","arm_power":0})", R"({"command":"set_arm_power","arm_power":true})"},
    {"Get_Arm_Power_State", "", [](SOCKHANDLE h) { int v = kUnset; int rc = Get_Arm_Power_State(h, &v); got(std::to_string(v)); return rc; }, R"({"command":"get_arm_power_state"})", R"({"state":"arm_power_state","power_state":1})", 0, "1"},
});

}  // namespace
}  // namespace arx::test
