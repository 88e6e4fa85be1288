// Read side of the process-wide kinematic state.
#pragma once

#include "kinematics/arm_models.h"
#include "kinematics/linalg.h"

namespace arx::kin {

struct KinematicState {
    int model = -1;                       // none loaded until Init_Sys_Data
    const ArmModelData* arm = nullptr;    // geometry and limits of `model`
    float end_link = 0.0f;                // metres
    float install[3] = {0.0f, 0.0f, 0.0f};  // radians about x, y, z
    Transform tool = Transform::identity();  // flange to tool
    Transform work = Transform::identity();  // base to work frame
};

// Plain process-wide data: constant-initialised, trivially destructible, so it
// stays readable while the process exits. Callers serialise writes themselves.
const KinematicState& kinematic_state();

}  // namespace arx::kin
