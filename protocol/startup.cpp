// Connection start-up: before a new handle is handed out, the controller's
// active tool frame, work frame and mounting angles are loaded into the
// process-wide kinematic state (the last successful start-up wins).
#include "protocol/startup.h"

#include "core/library.h"
#include "kinematics/conversions.h"
#include "kinematics/kinematic_state.h"
#include "protocol/command.h"
#include "protocol/internals.h"

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
    // Each query takes the transfer check and the 20 ms pause of its command,
    // like any command the application sends.
    FRAME tool{};
    ARX_GUARD(handle, Transfer, Pause);
    if (const int rc = read_current_tool_frame(handle, &tool)) return rc;
    FRAME work{};
    ARX_GUARD(handle, Transfer, Pause);
    if (const int rc = read_current_work_frame(handle, &work)) return rc;
    kin::store_tool_frame(kin::pose_transform(pose_of(tool.pose)).to_matrix());
    kin::store_work_frame(kin::pose_transform(pose_of(work.pose)).to_matrix());
    // Start-up gives the controller one more pause after the frames, before the
    // mounting-angle query takes its own.
    core::sleep_ms(core::kCommandPauseMs);
    // Stores the mounting angles itself on success; a failure (a refusal too)
    // keeps the old ones and does not fail the connection.
    float x = 0, y = 0, z = 0;
    if (guard(handle, Transfer, Pause) == 0) (void)read_install_pose(handle, &x, &y, &z);
    return 0;
}

}  // namespace arx::protocol
