// Sweep rows: grippers and dexterous hands.
#include "support/sweep.h"

namespace arx::test {
namespace {

constexpr const char* kArrived = R"({"state":"current_trajectory_state","trajectory_state":true})";

// clang-format off
const SweepTable kGrippers("grippers", {
    {"Set_Gripper_Route", "queued", [](SOCKHANDLE h) { return Set_Gripper_Route(h, 0, 1000, false); }, R"({"command":"set_gripper_route","min":0,"max":1000})"},
    {"Set_Gripper_Route", "blocking", [](SOCKHANDLE h) { return Set_Gripper_Route(h, 10, 900, true); }, R"({"command":"set_gripper_route","min":10,"max":900})", R"({"command":"set_gripper_route","state":false})", 1},
    {"Set_Gripper_Release", "queued", [](SOCKHANDLE h) { return Set_Gripper_Release(h, 500, false); }, R"({"command":"set_gripper_release","speed":500,"block":0})"},
    {"Set_Gripper_Release", "blocking", [](SOCKHANDLE h) { return Set_Gripper_Release(h, 500, true); }, R"({"command":"set_gripper_release","speed":500,"block":true})", kArrived},
    {"Set_Gripper_Pick", "queued", [](SOCKHANDLE h) { return Set_Gripper_Pick(h, 500, 200, false); }, R"({"command":"set_gripper_pick","speed":500,"force":200,"block":0})"},
    {"Set_Gripper_Pick", "blocking", [](SOCKHANDLE h) { return Set_Gripper_Pick(h, 500, 200, true); }, R"({"command":"set_gripper_pick","speed":500,"force":200,"block":true})", R"({"state":"current_trajectory_state","trajectory_state":false})", 1},
    {"Set_Gripper_Pick_On", "queued", [](SOCKHANDLE h) { return Set_Gripper_Pick_On(h, 300, 100, false); }, R"({"command":"set_gripper_pick_on","speed":300,"force":100,"block":0})"},
    {"Set_Gripper_Pick_On", "blocking", [](SOCKHANDLE h) { return Set_Gripper_Pick_On(h, 300, 100, true); }, R"({"command":"set_gripper_pick_on","speed":300,"force":100,"block":true})", kArrived},
    {"Set_Gripper_Position", "queued, no block key", [](SOCKHANDLE h) { return Set_Gripper_Position(h, 300, false); }, R"({"command":"set_gripper_position","position":300})"},
    {"Set_Gripper_Position", "blocking", [](SOCKHANDLE h) { return Set_Gripper_Position(h, 300, true); }, R"({"command":"set_gripper_position","position":300,"block":true})", R"({"state":"current_trajectory_state","trajectory_state":"yes"})", 11},
    {"Set_Hand_Posture", "queued", [](SOCKHANDLE h) { return Set_Hand_Posture(h, 3, false); }, R"({"command":"set_hand_posture","posture_num":3})"},
    {"Set_Hand_Posture", "blocking", [](SOCKHANDLE h) { return Set_Hand_Posture(h, 3, true); }, R"({"command":"set_hand_posture","posture_num":3})", R"({"command":"set_hand_posture","set_state":true})"},
    {"Set_Hand_Seq", "queued", [](SOCKHANDLE h) { return Set_Hand_Seq(h, 2, false); }, R"({"command":"set_hand_seq","seq_num":2})"},
    {"Set_Hand_Seq", "blocking", [](SOCKHANDLE h) { return Set_Hand_Seq(h, 2, true); }, R"({"command":"set_hand_seq","seq_num":2})", R"({"command":"set_hand_seq","set_state":false})", 1},
    {"Set_Hand_Angle", "queued, six of seven values", [](SOCKHANDLE h) { const int a[7] = {1, 2, 3, 4, 5, -6, 7}; return Set_Hand_Angle(h, a, false); }, R"({"command":"set_hand_angle","hand_angle":[1,2,3,4,5,-6]})"},
    {"Set_Hand_Angle", "blocking", [](SOCKHANDLE h) { const int a[6] = {}; return Set_Hand_Angle(h, a, true); }, R"({"command":"set_hand_angle","hand_angle":[0,0,0,0,0,0]})", R"({"command":"set_hand_angle","set_state":true})"},
    {"Set_Hand_Angle", "null angles", [](SOCKHANDLE h) { return Set_Hand_Angle(h, nullptr, true); }, nullptr, nullptr, 19},
    {"Set_Hand_Speed", "queued", [](SOCKHANDLE h) { return Set_Hand_Speed(h, 500, false); }, R"({"command":"set_hand_speed","hand_speed":500})"},
    {"Set_Hand_Speed", "blocking", [](SOCKHANDLE h) { return Set_Hand_Speed(h, 500, true); }, R"({"command":"set_hand_speed","hand_speed":500})", R"({"command":"set_hand_speed","set_state":true})"},
    {"Set_Hand_Force", "queued", [](SOCKHANDLE h) { return Set_Hand_Force(h, 250, false); }, R"({"command":"set_hand_force","hand_force":250})"},
    {"Set_Hand_Force", "blocking", [](SOCKHANDLE h) { return Set_Hand_Force(h, 250, true); }, R"({"command":"set_hand_force","hand_force":250})", R"({"command":"set_hand_force","set_state":1})", 11},
});

}  // namespace
}  // namespace arx::test
