// Read side of the process-wide kinematic state.
#pragma once

#include "kinematics/arm_models.h"
#include "kinematics/linalg.h"

namespace arx::kin {

struct KinematicState {
    const ArmModelSpec* arm = nullptr;    // the model loaded by Init_Sys_Data; none before
    float end_link = 0.0f;                // metres
    float install[3] = {0.0f, 0.0f, 0.0f};  // radians about x, y, z
    Transform tool = Transform::identity();  // flange to tool
    Transform work = Transform::identity();  // base to work frame

    // Worked out whenever the values above are stored, not on every call.
    Transform install_rotation = Transform::identity();  // Rz(z) Ry(y) Rx(x), no translation
    Transform install_rotation_inverse = Transform::identity();
    Transform tool_inverse = Transform::identity();  // the zero matrix for a singular tool frame
    bool tool_invertible = true;
    bool tool_is_identity = true;  // products with it change nothing and are skipped
};

// Plain process-wide data: constant-initialised, trivially destructible, so it
// stays readable while the process exits. Callers serialise writes themselves.
const KinematicState& kinematic_state();

}  // namespace arx::kin
