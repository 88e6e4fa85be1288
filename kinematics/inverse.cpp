#include "kinematics/inverse.h"

#include <cmath>

#include "kinematics/conversions.h"
#include "kinematics/state.h"

namespace arx::kin {

namespace {

// A current joint this far past a limit counts as standing on it.
constexpr float kLimitToleranceDeg = 0.05f;
constexpr float kStepBoundRad = 0.26f;
constexpr float kUnboundedStepRad = 6.28318f;

constexpr int kNoModel = 2;

double offset_rad(const Link& link) { return radians_from_degrees(link.offset_deg); }

}  // namespace

float add_cost(float cost, const Thetas& t, const Thetas& current, int first, int end, float weight) {
    for (int i = first; i < end; ++i) {
        const float delta = static_cast<float>(t.v[i] - current.v[i]);
        cost += delta * weight * delta;
    }
    return cost;
}

void solve_wrist(const Rot3& n, int tau, WristAngles out[2]) {
    const auto& N = n.r;
    const double sin_middle = std::sqrt(N[0][2] * N[0][2] + N[1][2] * N[1][2]);
    WristAngles& w = out[0];
    w.middle = std::atan2(sin_middle, tau * N[2][2]);
    // (cos a, sin a) is tau (N02, N12) / sin b; with sin b = 0 any a serves, 0 as well as any.
    const bool aligned = !(sin_middle > 0.0);
    w.first = aligned ? 0.0 : std::atan2(tau * N[1][2], tau * N[0][2]);
    const double ca = aligned ? 1.0 : tau * N[0][2] / sin_middle;
    const double sa = aligned ? 0.0 : tau * N[1][2] / sin_middle;
    w.last = std::atan2(tau * (ca * N[1][0] - sa * N[0][0]), tau * (ca * N[1][1] - sa * N[0][1]));
    out[1] = {wrap_pi(w.first + kPi), -w.middle, wrap_pi(w.last + kPi)};
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
    // Angles here are sums of a few atan2 results: one turn either way is the rule.
    if (angle > kPi) angle -= kTwoPi;
    else if (angle <= -kPi) angle += kTwoPi;
    if (angle > kPi || angle <= -kPi) {
        angle = std::remainder(angle, kTwoPi);
        if (angle <= -kPi) angle += kTwoPi;
    }
    return angle;
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
    const ArmModelSpec& arm = *s.arm;
    const bool seven_axis = arm.solver == SolverFamily::SevenAxisHeldJoint;
    const int no_solution = arm.ik.no_solution;

    const bool from_quaternion = seven_axis ? (flag == 0 || flag == 2) : flag == 0;
    const eul angles = from_quaternion ? euler_of_quaternion_single(target->quaternion) : target->euler;
    const Transform goal = euler_transform(angles, target->x, target->y, target->z);

    // Flange = I^-1 * goal * tool^-1. A singular tool frame has no flange pose.
    if (!s.tool_invertible) return no_solution;
    const Transform flange = s.install_rotation_inverse * goal * s.tool_inverse;
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
        // Flag 2 lets the joints move anywhere and takes the positive elbow when it reaches.
        const bool unbounded = flag == 2;
        const int code = solve_seven_axis(arm, s.end_link, flange_target, current,
                                          unbounded ? kUnboundedStepRad : kStepBoundRad,
                                          unbounded ? ElbowChoice::PositiveFirst : ElbowChoice::Nearest, &best);
        if (code != 1) return code;
    } else if (!solve_six_axis(arm, s.end_link, flange_target, current, &best)) {
        return no_solution;
    }

    for (int i = 0; i < arm.joints; ++i)
        joint_out[i] = static_cast<float>(best.v[i]) * kRadToDeg - arm.link[i].offset_deg;
    for (int i = 0; i < arm.joints; ++i) {
        if (!arm.limit_deg[i].contains(joint_out[i])) return arm.ik.first_joint_limit - i;
    }
    return 1;
}
