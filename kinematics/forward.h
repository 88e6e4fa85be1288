// Forward kinematics of the active arm model.
#pragma once

#include "kinematics/linalg.h"
#include "kinematics/state.h"

namespace arx::kin {

// RotX(alpha) * TransX(a) * RotZ(theta) * TransZ(d) of one link, alpha being
// 0 or +-90 degrees.
struct LinkTransform {
    int alpha_deg;
    float a, d;
    float cos_theta, sin_theta;
};
LinkTransform link_transform(const Link& link, float d, float theta);

// A transform held column by column: the axes x, y, z and the origin p, four
// rows each, so that appending a link is the same few operations on every row.
struct TransformColumns {
    float x[4], y[4], z[4], p[4];

    explicit TransformColumns(const Transform& t);
    Transform to_transform() const;

    // *this = *this * link, as the columns change:
    //   twist:  y' = cos(alpha) y + sin(alpha) z,  z' = -sin(alpha) y + cos(alpha) z
    //           (for a right angle or 0 a swap with a sign, exact),
    //   turn:   x'' = ct x + st y',  y'' = -st x + ct y',
    //   shift:  p'' = a x + d z' + p.
    // Every element is the dense product's sum of float products in double,
    // less the terms that the link's zeros make vanish.
    void append(const LinkTransform& link);
};

// Flange in the world-aligned base frame: I * T1 * ... * Tn, joints in degrees.
// False (and the identity) when no arm model is loaded.
bool flange_transform(const KinematicState& s, const float* joint_deg, Transform* out);

}  // namespace arx::kin
