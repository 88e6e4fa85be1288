// Sweep rows: teaching and stepping, drag teaching and trajectory files.
#include "support/sweep.h"

namespace arx::test {
namespace {

constexpr const char* kArrived = R"({"state":"current_trajectory_state","trajectory_state":true})";

// clang-format off
const SweepTable kTeaching("teaching", {
    {"Joint_Teach_Cmd", "direction 255 is pos", [](SOCKHANDLE h) { return Joint_Teach_Cmd(h, 2, 255, 30, true); }, R"({"command":"set_joint_teach","teach_joint":2,"direction":"pos","v":30})", R"({"command":"set_joint_teach","joint_teach":true})", 0},
    {"Pos_Teach_Cmd", "queued", [](SOCKHANDLE h) { return Pos_Teach_Cmd(h, POS_TEACH_Z, 0, 30, false); }, R"({"command":"set_pos_teach","teach_type":"z","direction":"neg","v":30})"},
    {"Ort_Teach_Cmd", "axis 3 has no word", [](SOCKHANDLE h) { return Ort_Teach_Cmd(h, ORT_TEACH_MODES(3), 1, 10, true); }, R"({"command":"set_ort_teach","direction":"pos","v":10})", R"({"command":"set_ort_teach","ort_teach":false})", 1},
    {"Teach_Stop_Cmd", "", [](SOCKHANDLE h) { return Teach_Stop_Cmd(h, true); }, R"({"command":"set_stop_teach"})", R"({"command":"set_stop_teach","stop_teach":true})", 0},
    {"Joint_Step_Cmd", "fraction kept, arrived", [](SOCKHANDLE h) { return Joint_Step_Cmd(h, 2, 1.2345f, 10, true); }, R"({"command":"set_joint_step","joint_step":[2,1234.500000],"v":10})", kArrived, 0},
    {"Joint_Step_Cmd", "whole product", [](SOCKHANDLE h) { return Joint_Step_Cmd(h, 1, 0.5f, 10, false); }, R"({"command":"set_joint_step","joint_step":[1,500],"v":10})"},
    {"Pos_Step_Cmd", "queued", [](SOCKHANDLE h) { return Pos_Step_Cmd(h, POS_TEACH_X, 0.01f, 20, false); }, R"({"command":"set_pos_step","step_type":"x_step","step":10000,"v":20})"},
    {"Ort_Step_Cmd", "truncated, arrived", [](SOCKHANDLE h) { return Ort_Step_Cmd(h, ORT_TEACH_RY, -0.0015f, 5, true); }, R"({"command":"set_ort_step","step_type":"ry_step","step":-1,"v":5})", kArrived, 0},
    {"Set_Teach_Frame", "no state", [](SOCKHANDLE h) { return Set_Teach_Frame(h, 1, 1); }, R"({"command":"set_teach_frame","frame_type":1})", R"({"command":"set_teach_frame"})", 8},
    {"Set_Teach_Frame", "state 3 accepted", [](SOCKHANDLE h) { return Set_Teach_Frame(h, 2, 1); }, R"({"command":"set_teach_frame","frame_type":2})", R"({"command":"set_teach_frame","set_state":3})", 0},
    {"Set_Teach_Frame", "block 2 queues", [](SOCKHANDLE h) { return Set_Teach_Frame(h, 0, 2); }, R"({"command":"set_teach_frame","frame_type":0})"},
});

// clang-format off
const SweepTable kDrag("drag", {
    {"Start_Drag_Teach", "queued", [](SOCKHANDLE h) { return Start_Drag_Teach(h, false); }, R"({"command":"start_drag_teach","trajectory_record":1})"},
    {"Stop_Drag_Teach", "", [](SOCKHANDLE h) { return Stop_Drag_Teach(h, true); }, R"({"command":"stop_drag_teach"})", R"({"command":"stop_drag_teach","drag_teach":true})", 0},
    {"Start_Multi_Drag_Teach", "", [](SOCKHANDLE h) { return Start_Multi_Drag_Teach(h, 2, true); }, R"({"command":"start_multi_drag_teach","mode":2})", R"({"command":"start_multi_drag_teach","set_state":false})", 1},
    {"Run_Drag_Trajectory", "", [](SOCKHANDLE h) { return Run_Drag_Trajectory(h, true); }, R"({"command":"run_drag_trajectory"})", R"({"command":"run_drag_trajectory","run_state":true})", 0},
    {"Pause_Drag_Trajectory", "", [](SOCKHANDLE h) { return Pause_Drag_Trajectory(h, true); }, R"({"command":"pause_drag_trajectory"})", R"({"command":"pause_drag_trajectory","pause_state":0})", 11},
    {"Continue_Drag_Trajectory", "", [](SOCKHANDLE h) { return Continue_Drag_Trajectory(h, true); }, R"({"command":"continue_drag_trajectory"})", R"({"command":"continue_drag_trajectory","continue_state":true})", 0},
    {"Stop_Drag_Trajectory", "", [](SOCKHANDLE h) { return Stop_Drag_Trajectory(h, true); }, R"({"command":"stop_drag_trajectory"})", R"({"command":"stop_drag_trajectory"})", 9},
    {"Drag_Trajectory_Origin", "", [](SOCKHANDLE h) { return Drag_Trajectory_Origin(h, true); }, R"({"command":"drag_trajectory_origin"})", kArrived, 0},
    {"Send_TrajectoryFile", "no separator", [](SOCKHANDLE h) { char path[] = "pick.txt"; return Send_TrajectoryFile(h, path, 8, 50); }, nullptr, nullptr, 16},
});

}  // namespace
}  // namespace arx::test
