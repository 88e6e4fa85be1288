// Sweep rows: grippers and dexterous hands.
#include "support/sweep.h"

namespace arx::test {
namespace {

constexpr const char* kArrived = R"({"state":"current_trajectory_state","trajectory_state":true})";

// clang-format off
const SweepTable kGrippers("grippers", {
    {ARX_CALL(Set_Gripper_Route, "queued", 0, 1000, false), R"({"command":"set_gripper_route","min":0,"max":1000})"},
    {ARX_CALL(Set_Gripper_Route, "blocking", 10, 900, true), R"({"command":"set_gripper_route","min":10,"max":900})", R"({"command":"set_gripper_route","state":false})", 1},
    {ARX_CALL(Set_Gripper_Release, "queued", 500, false), R"({"command":"set_gripper_release","speed":500,"block":0})"},
    {ARX_CALL(Set_Gripper_Release, "blocking", 500, true), R"({"command":"set_gripper_release","speed":500,"block":true})", kArrived},
    {ARX_CALL(Set_Gripper_Pick, "queued", 500, 200, false), R"({"command":"set_gripper_pick","speed":500,"force":200,"block":0})"},
    {ARX_CALL(Set_Gripper_Pick, "blocking", 500, 200, true), R"({"command":"set_gripper_pick","speed":500,"force":200,"block":true})", R"({"state":"current_trajectory_state","trajectory_state":false})", 1},
    {ARX_CALL(Set_Gripper_Pick_On, "queued", 300, 100, false), R"({"command":"set_gripper_pick_on","speed":300,"force":100,"block":0})"},
    {ARX_CALL(Set_Gripper_Pick_On, "blocking", 300, 100, true), R"({"command":"set_gripper_pick_on","speed":300,"force":100,"block":true})", kArrived},
    {ARX_CALL(Set_Gripper_Position, "queued, no block key", 300, false), R"({"command":"set_gripper_position","position":300})"},
    {ARX_CALL(Set_Gripper_Position, "blocking", 300, true), R"({"command":"set_gripper_position","position":300,"block":true})", R"({"state":"current_trajectory_state","trajectory_state":"yes"})", 11},
    {ARX_CALL(Set_Hand_Posture, "queued", 3, false), R"({"command":"set_hand_posture","posture_num":3})"},
    {ARX_CALL(Set_Hand_Posture, "blocking", 3, true), R"({"command":"set_hand_posture","posture_num":3})", R"({"command":"set_hand_posture","set_state":true})"},
    {ARX_CALL(Set_Hand_Seq, "queued", 2, false), R"({"command":"set_hand_seq","seq_num":2})"},
    {ARX_CALL(Set_Hand_Seq, "blocking", 2, true), R"({"command":"set_hand_seq","seq_num":2})", R"({"command":"set_hand_seq","set_state":false})", 1},
    {"Set_Hand_Angle", "queued, six of seven values", [](SOCKHANDLE h) { const int a[7] = {1, 2, 3, 4, 5, -6, 7}; return Set_Hand_Angle(h, a, false); }, R"({"command":"set_hand_angle","hand_angle":[1,2,3,4,5,-6]})"},
    {"Set_Hand_Angle", "blocking", [](SOCKHANDLE h) { const int a[6] = {}; return Set_Hand_Angle(h, a, true); }, R"({"command":"set_hand_angle","hand_angle":[0,0,0,0,0,0]})", R"({"command":"set_hand_angle","set_state":true})"},
    {ARX_CALL(Set_Hand_Angle, "null angles", nullptr, true), nullptr, nullptr, 19},
    {ARX_CALL(Set_Hand_Speed, "queued", 500, false), R"({"command":"set_hand_speed","hand_speed":500})"},
    {ARX_CALL(Set_Hand_Speed, "blocking", 500, true), R"({"command":"set_hand_speed","hand_speed":500})", R"({"command":"set_hand_speed","set_state":true})"},
    {ARX_CALL(Set_Hand_Force, "queued", 250, false), R"({"command":"set_hand_force","hand_force":250})"},
    {ARX_CALL(Set_Hand_Force, "blocking", 250, true), R"({"command":"set_hand_force","hand_force":250})", R"({"command":"set_hand_force","set_state":1})", 11},
});

}  // namespace
}  // namespace arx::test
