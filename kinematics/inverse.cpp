#include "kinematics/inverse.h"

#include <cmath>

#include "kinematics/conversions.h"
#include "kinematics/forward.h"
#include "kinematics/state.h"

namespace arx::kin {

namespace {

// A current joint this far past a limit counts as standing on it.
constexpr float kLimitToleranceDeg = 0.05f;
constexpr float kStepBoundRad = 0.26f;
constexpr float kUnboundedStepRad = 6.28318f;

constexpr int kNoModel = 2;
constexpr int kSixAxisNoSolution = -9;
constexpr int kSixAxisFirstLimitCode = -3;  // joint 1; joint i gives -2 - i
constexpr int kSevenAxisNoSolution = -3;
constexpr int kSevenAxisFirstLimitCode = -5;

double offset_rad(const Link& link) { return link.offset_deg * kPi / 180.0; }

}  // namespace

Rot3 chain_rotation(const ArmModelData& arm, const Thetas& theta, int count) {
    Rot3 r = Rot3::identity();
    for (int i = 0; i < count; ++i) r = r * Rot3::about_x(arm.link[i].alpha_deg * kPi / 180.0) * Rot3::about_z(theta.v[i]);
    return r;
}

void solve_wrist(const Rot3& n, int tau, WristAngles out[2]) {
    const auto& N = n.r;
    const double sin_middle = std::hypot(N[0][2], N[1][2]);
    for (int branch = 0; branch < 2; ++branch) {
        const double sign = branch == 0 ? 1.0 : -1.0;
        WristAngles& w = out[branch];
        w.middle = std::atan2(sign * sin_middle, tau * N[2][2]);
        w.first = std::atan2(sign * tau * N[1][2], sign * tau * N[0][2]);
        const double ca = std::cos(w.first), sa = std::sin(w.first);
        w.last = std::atan2(tau * (ca * N[1][0] - sa * N[0][0]), tau * (ca * N[1][1] - sa * N[0][1]));
    }
}

bool split_wrist(WristAngles& w, double first_current, double last_current) {
    const double current_sum = first_current + last_current;
    const double sum = current_sum + wrap_pi(w.first + w.last - current_sum);
    const double first = (sum + first_current - last_current) * 0.5;
    const double turn = first - w.first;
    if (4.0 * std::fabs(std::sin(w.middle * 0.5) * std::sin(turn * 0.5)) > kWristSplitToleranceRad) return false;
    w.first = first;
    w.last = (sum - first_current + last_current) * 0.5;
    return true;
}

bool clamp_cosine(double& cosine) {
    if (!(std::fabs(cosine) <= 1.0 + kCosineRounding)) return false;
    cosine = std::fmax(-1.0, std::fmin(1.0, cosine));
    return true;
}

double wrap_pi(double angle) {
    const double r = std::remainder(angle, kTwoPi);
    return r <= -kPi ? r + kTwoPi : r;
}

double bring_into(double theta, const Range& window) {
    if (theta < window.min) return theta + kTwoPi;
    if (theta > window.max) return theta - kTwoPi;
    return theta;
}

double unwrap_near(double theta, double current) {
    const double diff = theta - current;
    if (diff >= kPi) return theta - kTwoPi;
    if (diff <= -kPi) return theta + kTwoPi;
    return theta;
}

}  // namespace arx::kin

using namespace arx::kin;

int inverse_kinematics(const float* current_joint, const Pose* target, float* joint_out, unsigned char flag) {
    const KinematicState& s = kinematic_state();
    if (s.arm == nullptr) return kNoModel;
    if (current_joint == nullptr || target == nullptr || joint_out == nullptr) return ARX_NULL_POINTER;
    const ArmModelData& arm = *s.arm;
    const bool seven_axis = s.model == ARM_MODEL_B;
    const int no_solution = seven_axis ? kSevenAxisNoSolution : kSixAxisNoSolution;

    const bool from_quaternion = seven_axis ? (flag == 0 || flag == 2) : flag == 0;
    const eul angles = from_quaternion ? euler_of_quaternion_single(target->quaternion) : target->euler;
    const Transform goal = euler_transform(angles, target->x, target->y, target->z);

    // Flange = I^-1 * goal * tool^-1. A singular tool frame has no flange pose.
    Transform tool_inverse;
    if (!invert(s.tool, &tool_inverse)) return no_solution;
    const Transform flange = inverse_or_zero(install_rotation(s)) * goal * tool_inverse;
    const FlangeTarget flange_target{rotation_of(flange), translation_of(flange)};

    Thetas current{};
    for (int i = 0; i < arm.joints; ++i) {
        float angle = current_joint[i];
        if (!seven_axis) {
            const Range& limit = arm.limit_deg[i];
            if (angle > limit.max && angle <= limit.max + kLimitToleranceDeg) angle = limit.max;
            if (angle < limit.min && angle >= limit.min - kLimitToleranceDeg) angle = limit.min;
        }
        current.v[i] = static_cast<double>(angle * kDegToRad) + offset_rad(arm.link[i]);
    }

    Thetas best{};
    if (seven_axis) {
        const float step = flag == 2 ? kUnboundedStepRad : kStepBoundRad;
        const int code = solve_seven_axis(arm, s.end_link, flange_target, current, step, &best);
        if (code != 1) return code;
    } else if (!solve_six_axis(arm, s.model == ARM_MODEL_A, s.end_link, flange_target, current, &best)) {
        return kSixAxisNoSolution;
    }

    for (int i = 0; i < arm.joints; ++i)
        joint_out[i] = static_cast<float>(best.v[i]) * kRadToDeg - arm.link[i].offset_deg;
    const int first_limit_code = seven_axis ? kSevenAxisFirstLimitCode : kSixAxisFirstLimitCode;
    for (int i = 0; i < arm.joints; ++i) {
        if (!arm.limit_deg[i].contains(joint_out[i])) return first_limit_code - i;
    }
    return 1;
}
