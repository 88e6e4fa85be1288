// Closed form for the seven-axis chain (B).
//
// alpha = 0, -90, +90, -90, +90, -90, +90, all a = 0, d1 = shoulder height,
// d3 = upper arm, d5 = forearm, d7 = end-link length. Joint 3 is redundant: it is
// held near its current value and the rest solved for it.
//
// Wrist point W = p - d7 z, seen from the shoulder S = (0, 0, d1): D = W - S.
// Carrying the origin of frame 5, which is (0, -d5, 0) in frame 4, down the chain:
//   E = d5 cos t4 + d3,  F = d5 sin t4
//   frame 2: (cos t3 F, -E, sin t3 F)
//   frame 1: p1 = (cos t2 cos t3 F + sin t2 E,  sin t3 F,  cos t2 E - sin t2 cos t3 F)
//   D = Rz(t1) p1.
// Elbow: |D|^2 = E^2 + F^2 = d3^2 + d5^2 + 2 d3 d5 cos t4; with the elbow cosine
//   c = (d5^2 + d3^2 - |D|^2) / (2 d3 d5) = -cos t4, |t4| = pi - acos c.
// Shoulder: -sin t1 Dx + cos t1 Dy = p1y = sin t3 F, i.e. with D = rho (cos phi, sin phi)
//   rho cos(t1 + pi/2 - phi) = sin t3 F,  t1 = phi - pi/2 +- acos(sin t3 F / rho).
// Then (p1z, p1x) is (E, cos t3 F) turned by t2:
//   t2 = dir(p1z, p1x) - dir(E, cos t3 F),  p1x = cos t1 Dx + sin t1 Dy.
// Wrist: N = RotX(90)^T R04^T R gives theta5..7 (solve_wrist), with R04^T R
// peeled joint by joint: Rz(t4)^T RotX(a4)^T ... Rz(t1)^T R.
#include <cmath>
#include <initializer_list>

#include "kinematics/inverse.h"

namespace arx::kin {

namespace {

constexpr float kElbowReach = static_cast<float>(1.0 + kCosineRounding);
constexpr float kElbowStraight = 0.99999f;
constexpr float kAlignedWristRad = 0.0005f;
constexpr float kScanHalfWidth = 0.0006f;
constexpr float kScanStep = 0.0002f;

// Arm joints weigh 1.2 times a wrist joint in the cost. Joint 4 counts only
// when both elbows are compared: for one elbow it is the same in every branch.
constexpr float kArmWeight = 1.2f;
constexpr float kWristWeight = 1.0f;

// Signed angle of (x, y) in (-pi, pi]; adding 0 makes y = -0 count as above the axis.
double direction(double x, double y) { return std::atan2(y + 0.0, x); }

// One elbow angle with what the shoulder needs of it.
struct Elbow {
    double theta4;
    CosSin turn;
    double e, f;  // E = d5 cos t4 + d3, F = d5 sin t4
};

class Solver {
public:
    Solver(const ArmModelSpec& arm, const FlangeTarget& target, Vec3 d, const Thetas& current, float step,
           ElbowChoice elbow_choice)
        : arm_(arm), target_(target), d_(d), current_(current), step_(step),
          rho_(std::sqrt(d.x * d.x + d.y * d.y)), phi_(direction(d.x, d.y)),
          costed_arm_end_(elbow_choice == ElbowChoice::Nearest ? 4 : 3) {}

    bool acceptable(int joint, double theta) const {
        return std::fabs(theta - current_.v[joint]) <= step_ && arm_.window[joint].strictly_contains(theta);
    }

    // Every branch for one joint-3 value; keeps the cheapest.
    void solve_for(double theta3, const Elbow& elbow) {
        if (!acceptable(2, theta3)) return;
        const CosSin turn3 = CosSin::of(theta3);
        double cos_shoulder = turn3.s * elbow.f / rho_;
        if (!clamp_cosine(cos_shoulder)) return;
        const double swing = std::acos(cos_shoulder);
        const double upper_arm = direction(elbow.e, turn3.c * elbow.f);

        for (const double side : {1.0, -1.0}) {
            Thetas t{};
            t.v[0] = bring_into(phi_ - kPi / 2 + side * swing, arm_.window[0]);
            if (!acceptable(0, t.v[0])) continue;
            const CosSin turn1 = CosSin::of(t.v[0]);
            const double p1x = turn1.c * d_.x + turn1.s * d_.y;
            t.v[1] = bring_into(direction(d_.z, p1x) - upper_arm, arm_.window[1]);
            if (!acceptable(1, t.v[1])) continue;
            t.v[2] = theta3;
            t.v[3] = elbow.theta4;
            const float arm_cost = add_cost(0.0f, t, current_, 0, costed_arm_end_, kArmWeight);
            if (!(arm_cost < best_cost_)) continue;

            const Link* link = arm_.link;
            Rot3 m = unturn_z(turn1, target_.rotation);
            m = unturn_z(CosSin::of(t.v[1]), untwist_x(link[1].alpha_deg, m));
            m = unturn_z(turn3, untwist_x(link[2].alpha_deg, m));
            m = unturn_z(elbow.turn, untwist_x(link[3].alpha_deg, m));
            WristAngles wrists[2];
            solve_wrist(untwist_x(link[4].alpha_deg, m), 1, wrists);
            for (WristAngles wrist : wrists) {
                if (std::fabs(wrist.middle) <= static_cast<double>(kAlignedWristRad))
                    split_wrist(wrist, current_.v[4], current_.v[6]);
                t.v[4] = bring_into(wrap_pi(wrist.first), arm_.window[4]);
                t.v[5] = wrist.middle;
                t.v[6] = unwrap_near(wrap_pi(wrist.last), current_.v[6]);
                if (!acceptable(4, t.v[4]) || !acceptable(5, t.v[5]) || !acceptable(6, t.v[6])) continue;
                const float cost = add_cost(arm_cost, t, current_, 4, 7, kWristWeight);
                if (cost < best_cost_) {
                    best_cost_ = cost;
                    best_ = t;
                    found_ = true;
                }
            }
        }
    }

    // Joint 3 at six values just about its current one.
    void scan(double theta4) {
        const double d3 = arm_.link[2].d, d5 = arm_.link[4].d;
        const CosSin turn4 = CosSin::of(theta4);
        const Elbow elbow{theta4, turn4, d5 * turn4.c + d3, d5 * turn4.s};
        const float centre = static_cast<float>(current_.v[2]);
        float s = centre - kScanHalfWidth;
        const float end = centre + kScanHalfWidth;
        do {
            s += kScanStep;
            solve_for(s, elbow);
        } while (s < end);
    }

    bool found() const { return found_; }
    const Thetas& best() const { return best_; }

private:
    const ArmModelSpec& arm_;
    const FlangeTarget& target_;
    Vec3 d_;
    const Thetas& current_;
    double step_;
    double rho_;  // distance of the wrist point from the base axis
    double phi_;  // its direction about the base axis
    int costed_arm_end_;  // the arm joints that count in the cost: 1 to 3, or 1 to 4 with both elbows compared
    float best_cost_ = 1000.0f;
    Thetas best_{};
    bool found_ = false;
};

}  // namespace

int solve_seven_axis(const ArmModelSpec& arm, float end_link, const FlangeTarget& target, const Thetas& current,
                     float step, ElbowChoice elbow_choice, Thetas* best) {
    const Vec3 wrist = target.position - static_cast<double>(end_link) * target.rotation.column(2);
    const Vec3 d = wrist - Vec3{0.0, 0.0, arm.link[0].d};

    const float upper = arm.link[2].d, fore = arm.link[4].d;
    const float dx = static_cast<float>(d.x), dy = static_cast<float>(d.y), dz = static_cast<float>(d.z);
    float c = (fore * fore + upper * upper - (dx * dx + dy * dy + dz * dz)) / (2.0f * upper * fore);
    if (!(c <= kElbowReach && c >= -kElbowReach)) return kSevenAxisCodes.wrist_out_of_reach;
    if (c > kElbowStraight) c = 1.0f;
    if (c < -kElbowStraight) c = -1.0f;
    const double elbow = kPi - std::acos(static_cast<double>(c));

    Solver solver(arm, target, d, current, step, elbow_choice);
    if (elbow_choice == ElbowChoice::PositiveFirst) {
        // The negative elbow only when the positive yields nothing, so a
        // reachable target is never refused.
        for (const double theta4 : {elbow, -elbow}) {
            if (!solver.acceptable(3, theta4)) continue;
            solver.scan(theta4);
            if (solver.found()) break;
        }
    } else {
        // Both elbows, the current one's first: within the step bound of a nearly
        // stretched elbow the other one may also reach, with the arm joints
        // elsewhere, and only the whole distance, joint 4 included, tells which
        // is nearer.
        const double kept = current.v[3] < 0.0 ? -elbow : elbow;
        for (const double theta4 : {kept, -kept}) {
            if (solver.acceptable(3, theta4)) solver.scan(theta4);
            if (elbow == 0.0) break;  // stretched: one elbow only
        }
    }
    if (!solver.found()) return kSevenAxisCodes.no_solution;
    *best = solver.best();
    return 1;
}

}  // namespace arx::kin
