// Poses between the base, work and tool frames, and the targets of the
// tool-relative and rotate moves.
#include <cmath>

#include "kinematics/frames.h"

#include "kinematics/conversions.h"
#include "kinematics/forward.h"
#include "kinematics/state.h"

namespace arx::kin {

namespace {

// Rotation by `angle_deg` about the x, y or z axis (1, 2, 3) as a transform.
Transform axis_rotation(int axis, float angle_deg) {
    const float angle = static_cast<float>(radians_from_degrees(angle_deg));
    eul e{0.0f, 0.0f, 0.0f};
    (axis == 1 ? e.rx : axis == 2 ? e.ry : e.rz) = angle;
    return euler_transform(e, 0.0f, 0.0f, 0.0f);
}

}  // namespace

// W^-1 * P, snapped and wrapped like the forward kinematics (quaternion before the wrap).
static Pose base_to_work(const Transform& work, const Pose& p) {
    Transform m = inverse_or_zero(work) * pose_transform(p);
    snap_rotation(m);
    const eul e = euler_of_single(m);
    Pose out = pose_of(m, e);
    out.euler = wrap_angles(e);
    return out;
}

static Pose work_to_base(const Transform& work, const Pose& p) {
    const Transform m = work * pose_transform(p);
    return pose_of(m, euler_of_single(m));
}

}  // namespace arx::kin

using namespace arx::kin;

Pose Base_To_WorkFrame(Matrix work, Pose pose) { return base_to_work(Transform::from(work), pose); }

Pose WorkFrame_To_Base(Matrix work, Pose pose) { return work_to_base(Transform::from(work), pose); }

Pose end2tool(Pose end, Pose tool_frame, Pose work_frame) {
    const Transform m = pose_transform(end) * pose_transform(tool_frame);
    return base_to_work(pose_transform(work_frame), pose_of(m, euler_of(m)));
}

Pose tool2end(Pose tool_pose, Pose tool_frame, Pose work_frame) {
    const Pose in_base = work_to_base(pose_transform(work_frame), tool_pose);
    const Transform m = pose_transform(in_base) * inverse_or_zero(pose_transform(tool_frame));
    return pose_of(m, euler_of(m));
}

Pose arx::kin::cartesian_tool(const float* joint, float dx, float dy, float dz) {
    const KinematicState& s = kinematic_state();
    Transform flange;
    if (joint == nullptr || !flange_transform(s, joint, &flange)) return Pose{};
    const Transform m = flange * s.tool * Transform::translation(dx, dy, dz);
    return base_to_work(s.work, pose_of(m, euler_of_single(m)));
}

Pose arx::kin::rotate_move(const float* joint, int axis, float angle, Pose choose_axis) {
    const Pose current = Forward_Kinematics(joint);
    if (axis < 1 || axis > 3) return current;
    // Turning about an axis of frame F: Rf * Ra * Rf^-1 applied to the current orientation.
    const Transform frame = euler_transform(choose_axis.euler, 0.0f, 0.0f, 0.0f);
    const Transform orientation = euler_transform(current.euler, 0.0f, 0.0f, 0.0f);
    const Transform turned = frame * axis_rotation(axis, angle) * inverse_or_zero(frame) * orientation;

    const auto& r = turned.m;
    eul e;
    e.rx = static_cast<float>(std::atan2(static_cast<double>(r[2][1]), static_cast<double>(r[2][2])));
    e.ry = static_cast<float>(std::atan2(-static_cast<double>(r[2][0]),
                                         std::sqrt(double(r[2][2]) * r[2][2] + double(r[2][1]) * r[2][1])));
    e.rz = static_cast<float>(std::atan2(static_cast<double>(r[1][0]), static_cast<double>(r[0][0])));
    Pose out = current;
    out.euler = e;
    out.quaternion = quaternion_of(e);
    return out;
}

Pose Cartesian_Tool(const float* joint, float dx, float dy, float dz, int /*mode*/) {
    return cartesian_tool(joint, dx, dy, dz);
}

Pose RotateMove(const float* joint, int axis, float angle, Pose choose_axis) {
    return rotate_move(joint, axis, angle, choose_axis);
}
