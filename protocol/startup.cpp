// Connection start-up: before a new handle is handed out, the controller's
// active tool frame, work frame and mounting angles are loaded into the
// process-wide kinematic state (the last successful start-up wins).
#include "protocol/startup.h"

#include "core/library.h"
#include "kinematics/kinematic_state.h"

namespace arx::protocol {

namespace {

// The pose of a frame as the kinematics take it; the quaternion stays unset
// because pos2matrix reads only position and Euler angles.
Pose pose_of(const POSE& p) {
    Pose pose{};
    pose.x = p.x;
    pose.y = p.y;
    pose.z = p.z;
    pose.euler = eul{p.rx, p.ry, p.rz};
    return pose;
}

}  // namespace

int run_connection_startup(SOCKHANDLE handle) {
    FRAME tool{};
    if (const int rc = Get_Current_Tool_Frame(handle, &tool)) return rc;
    FRAME work{};
    if (const int rc = Get_Current_Work_Frame(handle, &work)) return rc;
    kin::store_tool_frame(pos2matrix(pose_of(tool.pose)));
    kin::store_work_frame(pos2matrix(pose_of(work.pose)));
    core::pause_ms(core::kCommandPauseMs);
    // Stores the mounting angles itself on success; a failure keeps the old ones
    // and does not fail the connection.
    float x = 0, y = 0, z = 0;
    (void)Get_Install_Pose(handle, &x, &y, &z);
    return 0;
}

}  // namespace arx::protocol
