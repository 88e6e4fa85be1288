#include "kinematics/forward.h"

#include <cmath>

#include "kinematics/conversions.h"

namespace arx::kin {

LinkTransform link_transform(const Link& link, float d, float theta) {
    const double angle = static_cast<double>(theta);
    return {link.alpha_deg, link.a, d, static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle))};
}

TransformColumns::TransformColumns(const Transform& t) {
    for (int i = 0; i < 4; ++i) {
        x[i] = t.m[i][0];
        y[i] = t.m[i][1];
        z[i] = t.m[i][2];
        p[i] = t.m[i][3];
    }
}

Transform TransformColumns::to_transform() const {
    Transform t;
    for (int i = 0; i < 4; ++i) {
        t.m[i][0] = x[i];
        t.m[i][1] = y[i];
        t.m[i][2] = z[i];
        t.m[i][3] = p[i];
    }
    return t;
}

void TransformColumns::append(const LinkTransform& link) {
    const float ct = link.cos_theta, st = link.sin_theta;
    const bool twisted = link.alpha_deg != 0;
    const float sign = link.alpha_deg > 0 ? 1.0f : -1.0f;
    float twisted_y[4], twisted_z[4];
    for (int i = 0; i < 4; ++i) {
        twisted_y[i] = twisted ? sign * z[i] : y[i];
        twisted_z[i] = (twisted ? -sign * y[i] : z[i]) + 0.0f;  // a sum, like the others: never -0
    }
    for (int i = 0; i < 4; ++i) {
        const float xi = x[i], yi = twisted_y[i];
        x[i] = static_cast<float>(0.0 + double(xi * ct) + double(yi * st));
        y[i] = static_cast<float>(0.0 + double(xi * -st) + double(yi * ct));
        z[i] = twisted_z[i];
        p[i] = static_cast<float>(0.0 + double(xi * link.a) + double(twisted_z[i] * link.d) + double(p[i]));
    }
}

bool flange_transform(const KinematicState& s, const float* joint_deg, Transform* out) {
    *out = Transform::identity();
    if (s.arm == nullptr) return false;
    const ArmModelSpec& arm = *s.arm;
    // Every joint's cosine and sine first: they do not wait on one another.
    LinkTransform links[kMaxJoints];
    for (int i = 0; i < arm.joints; ++i) {
        const Link& link = arm.link[i];
        const float d = i == arm.joints - 1 ? s.end_link : link.d;
        links[i] = link_transform(link, d, (joint_deg[i] + link.offset_deg) * kDegToRad);
    }
    TransformColumns t(s.install_rotation);
    for (int i = 0; i < arm.joints; ++i) t.append(links[i]);
    *out = t.to_transform();
    return true;
}

}  // namespace arx::kin

using namespace arx::kin;

Pose Forward_Kinematics(const float* joint) {
    const KinematicState& s = kinematic_state();
    Transform flange;
    if (joint == nullptr || !flange_transform(s, joint, &flange)) return Pose{};

    Transform m = s.tool_is_identity ? flange : flange * s.tool;
    if (s.arm->snaps_rotation) snap_rotation(m);
    eul e = euler_of_single(m);
    e = {snap(e.rx), snap(e.ry), snap(e.rz)};
    if (s.arm->quaternion_of_wrapped_euler) return pose_of(m, wrap_angles(e));
    Pose p = pose_of(m, e);
    p.euler = wrap_angles(e);
    return p;
}
