// The targets of the tool-relative and rotate moves, for the motion commands
// that compute them (the exports Cartesian_Tool and RotateMove are these).
#pragma once

#include "arx_api.h"

namespace arx::kin {

// The pose of the tool moved by (dx, dy, dz) in its own frame, in the work
// frame; the zero pose when joint is null or the model is unknown.
Pose cartesian_tool(const float* joint, float dx, float dy, float dz);

// The arm's pose turned by angle_deg about axis 1, 2 or 3 (x, y, z) of the
// frame choose_axis; any other axis leaves the pose as it is.
Pose rotate_move(const float* joint, int axis, float angle_deg, Pose choose_axis);

}  // namespace arx::kin
