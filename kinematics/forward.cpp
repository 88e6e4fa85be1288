#include "kinematics/forward.h"

#include <cmath>

#include "kinematics/conversions.h"

namespace arx::kin {

namespace {

// Cosine and sine of 0, +90 and -90 degrees, exactly.
constexpr float cos_of_right(int deg) { return deg == 0 ? 1.0f : 0.0f; }
constexpr float sin_of_right(int deg) { return deg == 0 ? 0.0f : (deg > 0 ? 1.0f : -1.0f); }

}  // namespace

Transform install_rotation(const KinematicState& s) {
    return euler_transform({s.install[0], s.install[1], s.install[2]}, 0.0f, 0.0f, 0.0f);
}

Transform link_transform(const Link& link, float d, float theta) {
    const float ct = static_cast<float>(std::cos(static_cast<double>(theta)));
    const float st = static_cast<float>(std::sin(static_cast<double>(theta)));
    const float ca = cos_of_right(link.alpha_deg);
    const float sa = sin_of_right(link.alpha_deg);
    return {{{ct, -st, 0.0f, link.a},
             {st * ca, ct * ca, -sa, -sa * d},
             {st * sa, ct * sa, ca, ca * d},
             {0.0f, 0.0f, 0.0f, 1.0f}}};
}

bool flange_transform(const KinematicState& s, const float* joint_deg, Transform* out) {
    *out = Transform::identity();
    if (s.arm == nullptr) return false;
    const ArmModelData& arm = *s.arm;
    Transform t = install_rotation(s);
    for (int i = 0; i < arm.joints; ++i) {
        const Link& link = arm.link[i];
        const float d = i == arm.joints - 1 ? s.end_link : link.d;
        const float theta = (joint_deg[i] + link.offset_deg) * kDegToRad;
        t = t * link_transform(link, d, theta);
    }
    *out = t;
    return true;
}

}  // namespace arx::kin

using namespace arx::kin;

Pose Forward_Kinematics(const float* joint) {
    const KinematicState& s = kinematic_state();
    Transform flange;
    if (joint == nullptr || !flange_transform(s, joint, &flange)) return Pose{};

    Transform m = flange * s.tool;
    const bool six_axis = s.model != ARM_MODEL_B;
    if (six_axis) snap_rotation(m);
    eul e = euler_of_single(m);
    e = {snap(e.rx), snap(e.ry), snap(e.rz)};
    if (s.model == ARM_MODEL_A) return pose_of(m, wrap_angles(e));
    Pose p = pose_of(m, e);
    p.euler = wrap_angles(e);
    return p;
}
