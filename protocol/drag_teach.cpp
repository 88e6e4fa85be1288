// Drag teaching: the operator guides the arm by hand while the controller
// records, then the recording is replayed.
#include "protocol/command.h"

using namespace arx::protocol;

int Start_Drag_Teach(SOCKHANDLE h, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("start_drag_teach").add("trajectory_record", Int(1)).run(h, block, Kind::StartDragTeach, Boolean("drag_teach"));
}

int Stop_Drag_Teach(SOCKHANDLE h, bool block) {
    return bare_setting(h, block, "stop_drag_teach", Kind::StopDragTeach, "drag_teach");
}

int Start_Multi_Drag_Teach(SOCKHANDLE h, int mode, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("start_multi_drag_teach").add("mode", Int(mode)).run(h, block, Kind::StartMultiDragTeach, Boolean("set_state"));
}

int Run_Drag_Trajectory(SOCKHANDLE h, bool block) {
    return bare_setting(h, block, "run_drag_trajectory", Kind::RunDragTrajectory, "run_state");
}

int Pause_Drag_Trajectory(SOCKHANDLE h, bool block) {
    return bare_setting(h, block, "pause_drag_trajectory", Kind::PauseDragTrajectory, "pause_state");
}

int Continue_Drag_Trajectory(SOCKHANDLE h, bool block) {
    return bare_setting(h, block, "continue_drag_trajectory", Kind::ContinueDragTrajectory, "continue_state");
}

int Stop_Drag_Trajectory(SOCKHANDLE h, bool block) {
    return bare_setting(h, block, "stop_drag_trajectory", Kind::StopDragTrajectory, "stop_state");
}

int Drag_Trajectory_Origin(SOCKHANDLE h, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    // Ends with the arrival report, awaited only as long as any reply.
    return Request("drag_trajectory_origin")
        .run(h, block, Kind::CurrentTrajectoryState, Boolean("trajectory_state"));
}
