// Sweep rows: waypoints and timer, teaching and stepping, drag teaching and
// trajectory files.
#include "support/sweep.h"

namespace arx::test {
namespace {

const float kWaypoint[7] = {0, 10, 20, 0, 90, 0, 5};
constexpr const char* kStepArrived = R"({"state":"current_trajectory_state","trajectory_state":true})";

const SweepTable kWaypoints("waypoints", {
    {"Add_Waypoint", "state not true/false accepted", [](SOCKHANDLE h) { return Add_Waypoint(h, kWaypoint, true); },
     R"({"command":"add_waypoint","joint":[0,10000,20000,0,90000,0]})",
     R"({"command":"add_waypoint","waypoint_state":1})", 0},
    {"Start_Waypoint", "", [](SOCKHANDLE h) { return Start_Waypoint(h, 100, true); },
     R"({"command":"start_waypoint","frequency":100})", R"({"command":"start_waypoint","waypoint_state":1})", 11},
    {"Stop_Waypoint", "", [](SOCKHANDLE h) { return Stop_Waypoint(h, true); },
     R"({"command":"stop_waypoint"})", R"({"command":"stop_waypoint","waypoint_state":true})", 0},
    {"Clear_Waypoint", "", [](SOCKHANDLE h) { return Clear_Waypoint(h, true); },
     R"({"command":"clear_waypoint"})", R"({"command":"clear_waypoint","waypoint_state":false})", 1},
    {"Timer", "", [](SOCKHANDLE h) { return Timer(h, 500, true); },
     R"({"command":"timer","wait_time":500})", R"({"command":"timer","wait_time":500})", 11},
});

const SweepTable kTeaching("teaching", {
    {"Joint_Teach_Cmd", "", [](SOCKHANDLE h) { return Joint_Teach_Cmd(h, 2, 1, 30, true); },
     R"({"command":"set_joint_teach","teach_joint":2,"direction":"pos","v":30})",
     R"({"command":"set_joint_teach","joint_teach":true})", 0},
    {"Pos_Teach_Cmd", "queued", [](SOCKHANDLE h) { return Pos_Teach_Cmd(h, POS_TEACH_Z, 0, 30, false); },
     R"({"command":"set_pos_teach","teach_type":"z","direction":"neg","v":30})"},
    {"Ort_Teach_Cmd", "no axis word", [](SOCKHANDLE h) { return Ort_Teach_Cmd(h, ORT_TEACH_MODES(3), 1, 10, true); },
     R"({"command":"set_ort_teach","direction":"pos","v":10})", R"({"command":"set_ort_teach","ort_teach":false})", 1},
    {"Teach_Stop_Cmd", "", [](SOCKHANDLE h) { return Teach_Stop_Cmd(h, true); },
     R"({"command":"set_stop_teach"})", R"({"command":"set_stop_teach","stop_teach":true})", 0},
    {"Joint_Step_Cmd", "blocking, arrived", [](SOCKHANDLE h) { return Joint_Step_Cmd(h, 2, 1.2345f, 10, true); },
     R"({"command":"set_joint_step","joint_step":[2,1234.500000],"v":10})", kStepArrived, 0},
    {"Pos_Step_Cmd", "queued", [](SOCKHANDLE h) { return Pos_Step_Cmd(h, POS_TEACH_X, 0.01f, 20, false); },
     R"({"command":"set_pos_step","step_type":"x_step","step":10000,"v":20})"},
    {"Ort_Step_Cmd", "blocking, arrived", [](SOCKHANDLE h) { return Ort_Step_Cmd(h, ORT_TEACH_RY, -0.0015f, 5, true); },
     R"({"command":"set_ort_step","step_type":"ry_step","step":-1,"v":5})", kStepArrived, 0},
    {"Set_Teach_Frame", "no state", [](SOCKHANDLE h) { return Set_Teach_Frame(h, 1, 1); },
     R"({"command":"set_teach_frame","frame_type":1})", R"({"command":"set_teach_frame"})", 8},
});

const SweepTable kDrag("drag", {
    {"Start_Drag_Teach", "queued", [](SOCKHANDLE h) { return Start_Drag_Teach(h, false); },
     R"({"command":"start_drag_teach","trajectory_record":1})"},
    {"Stop_Drag_Teach", "", [](SOCKHANDLE h) { return Stop_Drag_Teach(h, true); },
     R"({"command":"stop_drag_teach"})", R"({"command":"stop_drag_teach","drag_teach":true})", 0},
    {"Start_Multi_Drag_Teach", "", [](SOCKHANDLE h) { return Start_Multi_Drag_Teach(h, 2, true); },
     R"({"command":"start_multi_drag_teach","mode":2})", R"({"command":"start_multi_drag_teach","set_state":false})", 1},
    {"Run_Drag_Trajectory", "", [](SOCKHANDLE h) { return Run_Drag_Trajectory(h, true); },
     R"({"command":"run_drag_trajectory"})", R"({"command":"run_drag_trajectory","run_state":true})", 0},
    {"Pause_Drag_Trajectory", "", [](SOCKHANDLE h) { return Pause_Drag_Trajectory(h, true); },
     R"({"command":"pause_drag_trajectory"})", R"({"command":"pause_drag_trajectory","pause_state":0})", 11},
    {"Continue_Drag_Trajectory", "", [](SOCKHANDLE h) { return Continue_Drag_Trajectory(h, true); },
     R"({"command":"continue_drag_trajectory"})", R"({"command":"continue_drag_trajectory","continue_state":true})", 0},
    {"Stop_Drag_Trajectory", "", [](SOCKHANDLE h) { return Stop_Drag_Trajectory(h, true); },
     R"({"command":"stop_drag_trajectory"})", R"({"command":"stop_drag_trajectory"})", 9},
    {"Drag_Trajectory_Origin", "", [](SOCKHANDLE h) { return Drag_Trajectory_Origin(h, true); },
     R"({"command":"drag_trajectory_origin"})", kStepArrived, 0},
    {"Send_TrajectoryFile", "no separator", [](SOCKHANDLE h) { char path[] = "pick.txt"; return Send_TrajectoryFile(h, path, 8, 50); },
     nullptr, nullptr, 16},
});

}  // namespace
}  // namespace arx::test
