// Sweep rows: teaching and stepping, drag teaching and trajectory files.
#include "support/sweep.h"

namespace arx::test {
namespace {

constexpr const char* kArrived = R"({"state":"current_trajectory_state","trajectory_state":true})";

// clang-format off
const SweepTable kTeaching("teaching", {
    {ARX_CALL(Joint_Teach_Cmd, "direction 255 is pos", 2, 255, 30, true), R"({"command":"set_joint_teach","teach_joint":2,"direction":"pos","v":30})", R"({"command":"set_joint_teach","joint_teach":true})", 0},
    {ARX_CALL(Pos_Teach_Cmd, "queued", POS_TEACH_Z, 0, 30, false), R"({"command":"set_pos_teach","teach_type":"z","direction":"neg","v":30})"},
    {ARX_CALL(Ort_Teach_Cmd, "axis 3 has no word", ORT_TEACH_MODES(3), 1, 10, true), R"({"command":"set_ort_teach","direction":"pos","v":10})", R"({"command":"set_ort_teach","ort_teach":false})", 1},
    {ARX_CALL(Teach_Stop_Cmd, "", true), R"({"command":"set_stop_teach"})", R"({"command":"set_stop_teach","stop_teach":true})", 0},
    {ARX_CALL(Joint_Step_Cmd, "fraction kept, arrived", 2, 1.2345f, 10, true), R"({"command":"set_joint_step","joint_step":[2,1234.500000],"v":10})", kArrived, 0},
    {ARX_CALL(Joint_Step_Cmd, "whole product", 1, 0.5f, 10, false), R"({"command":"set_joint_step","joint_step":[1,500],"v":10})"},
    {ARX_CALL(Pos_Step_Cmd, "queued", POS_TEACH_X, 0.01f, 20, false), R"({"command":"set_pos_step","step_type":"x_step","step":10000,"v":20})"},
    {ARX_CALL(Ort_Step_Cmd, "truncated, arrived", ORT_TEACH_RY, -0.0015f, 5, true), R"({"command":"set_ort_step","step_type":"ry_step","step":-1,"v":5})", kArrived, 0},
    {ARX_CALL(Set_Teach_Frame, "no state", 1, 1), R"({"command":"set_teach_frame","frame_type":1})", R"({"command":"set_teach_frame"})", 8},
    {ARX_CALL(Set_Teach_Frame, "state 3 accepted", 2, 1), R"({"command":"set_teach_frame","frame_type":2})", R"({"command":"set_teach_frame","set_state":3})", 0},
    {ARX_CALL(Set_Teach_Frame, "block 2 queues", 0, 2), R"({"command":"set_teach_frame","frame_type":0})"},
});

const SweepTable kDrag("drag", {
    {ARX_CALL(Start_Drag_Teach, "queued", false), R"({"command":"start_drag_teach","trajectory_record":1})"},
    {ARX_CALL(Stop_Drag_Teach, "", true), R"({"command":"stop_drag_teach"})", R"({"command":"stop_drag_teach","drag_teach":true})", 0},
    {ARX_CALL(Start_Multi_Drag_Teach, "", 2, true), R"({"command":"start_multi_drag_teach","mode":2})", R"({"command":"start_multi_drag_teach","set_state":false})", 1},
    {ARX_CALL(Run_Drag_Trajectory, "", true), R"({"command":"run_drag_trajectory"})", R"({"command":"run_drag_trajectory","run_state":true})", 0},
    {ARX_CALL(Pause_Drag_Trajectory, "", true), R"({"command":"pause_drag_trajectory"})", R"({"command":"pause_drag_trajectory","pause_state":0})", 11},
    {ARX_CALL(Continue_Drag_Trajectory, "", true), R"({"command":"continue_drag_trajectory"})", R"({"command":"continue_drag_trajectory","continue_state":true})", 0},
    {ARX_CALL(Stop_Drag_Trajectory, "", true), R"({"command":"stop_drag_trajectory"})", R"({"command":"stop_drag_trajectory"})", 9},
    {ARX_CALL(Drag_Trajectory_Origin, "", true), R"({"command":"drag_trajectory_origin"})", kArrived, 0},
    {"Send_TrajectoryFile", "no separator", [](SOCKHANDLE h) { char path[] = "pick.txt"; return Send_TrajectoryFile(h, path, 8, 50); }, nullptr, nullptr, 16},
});

}  // namespace
}  // namespace arx::test
