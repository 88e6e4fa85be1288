// Helpers shared by the kinematics tests: seeded joint samples and pose checks.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "kinematics/conversions.h"
#include "kinematics/forward.h"
#include "kinematics/kinematic_state.h"
#include "kinematics/state.h"

namespace arx::kin {
// gtest prints the model, not its bytes.
inline void PrintTo(const ArmModelSpec& arm, std::ostream* os) { *os << arm.name; }
}  // namespace arx::kin

namespace arx::kin::test {

constexpr double kDeg = kPi / 180.0;

inline std::string model_name(const testing::TestParamInfo<ArmModelSpec>& info) { return info.param.name; }
inline bool seven_axis(const ArmModelSpec& arm) { return arm.solver == SolverFamily::SevenAxisHeldJoint; }

// Joint angles (degrees) drawn uniformly from the middle `share` of each limit's span.
inline std::vector<float> random_joints_within(std::mt19937& rng, const ArmModelSpec& arm, float share) {
    std::vector<float> q(arm.joints);
    for (int i = 0; i < arm.joints; ++i) {
        const Range& limit = arm.limit_deg[i];
        const float middle = (limit.max + limit.min) / 2, half = (limit.max - limit.min) / 2 * share;
        q[i] = std::uniform_real_distribution<float>(middle - half, middle + half)(rng);
    }
    return q;
}

inline Pose make_pose(float x, float y, float z, float rx, float ry, float rz) {
    return {x, y, z, euler2quaternion({rx, ry, rz}), {rx, ry, rz}};
}

// A pose's values in a fixed order: position, Euler angles, quaternion (w, x, y, z).
inline std::vector<float> pose_values(const Pose& p) {
    return {p.x, p.y, p.z, p.euler.rx, p.euler.ry, p.euler.rz, p.quaternion.w, p.quaternion.x, p.quaternion.y,
            p.quaternion.z};
}

// Element by element; a NaN in `want` leaves that element unchecked.
inline void expect_near_all(const std::vector<float>& got, const std::vector<float>& want, double tolerance,
                            const std::string& what) {
    for (size_t i = 0; i < want.size(); ++i)
        if (!std::isnan(want[i])) EXPECT_NEAR(got[i], want[i], tolerance) << what << ", element " << i;
}

inline Transform quarter_turn_about_z() { return euler_transform({0, 0, float(kPi / 2)}, 0, 0, 0); }

// Largest element difference of two homogeneous transforms (Euler angles a turn apart compare equal).
inline double transform_distance(const Transform& a, const Transform& b) {
    double worst = 0.0;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j) worst = std::max(worst, std::fabs(double(a.m[i][j]) - b.m[i][j]));
    return worst;
}
inline double transform_distance(const Pose& a, const Pose& b) {
    return transform_distance(pose_transform(a), pose_transform(b)); }

// Wrist centre in the world-aligned base frame: the flange less the end link along its z axis.
struct Point { double x, y, z; };
inline Point wrist_centre(const float* joint_deg) {
    const KinematicState& s = kinematic_state();
    Transform f;
    flange_transform(s, joint_deg, &f);
    const Transform base = s.install_rotation_inverse * f;
    return {base.m[0][3] - s.end_link * base.m[0][2], base.m[1][3] - s.end_link * base.m[1][2],
            base.m[2][3] - s.end_link * base.m[2][2]};
}

// The tool lands within `tolerance` metres and radians of `target` with these joints.
inline testing::AssertionResult reaches(const float* joint_deg, const Pose& target, double tolerance) {
    const KinematicState& s = kinematic_state();
    Transform flange;
    flange_transform(s, joint_deg, &flange);
    const Transform got = flange * s.tool, want = pose_transform(target);
    double r[3][3];  // want^T got
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r[i][j] = double(want.m[0][i]) * got.m[0][j] + double(want.m[1][i]) * got.m[1][j] +
                      double(want.m[2][i]) * got.m[2][j];
    // The angle from both its sine (the skew part) and cosine (the trace) stays exact near 0.
    const double sine = 0.5 * std::hypot(r[2][1] - r[1][2], r[0][2] - r[2][0], r[1][0] - r[0][1]);
    const double cosine = 0.5 * (r[0][0] + r[1][1] + r[2][2] - 1);
    const double metres = std::hypot(double(got.m[0][3]) - want.m[0][3], double(got.m[1][3]) - want.m[1][3],
                                     double(got.m[2][3]) - want.m[2][3]);
    const double radians = std::atan2(sine, cosine);
    if (metres <= tolerance && radians <= tolerance) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "misses by " << metres << " m and " << radians << " rad";
}

}  // namespace arx::kin::test
