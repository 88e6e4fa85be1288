// Forward kinematics of the active arm model.
#pragma once

#include "kinematics/linalg.h"
#include "kinematics/state.h"

namespace arx::kin {

// Rz(z) * Ry(y) * Rx(x) of the install angles, without translation.
Transform install_rotation(const KinematicState& s);

// RotX(alpha) * TransX(a) * RotZ(theta) * TransZ(d) of one link.
Transform link_transform(const Link& link, float d, float theta);

// Flange in the world-aligned base frame: I * T1 * ... * Tn, joints in degrees.
// False (and the identity) when no arm model is loaded.
bool flange_transform(const KinematicState& s, const float* joint_deg, Transform* out);

}  // namespace arx::kin
