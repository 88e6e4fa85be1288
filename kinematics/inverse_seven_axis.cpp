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
// Wrist: N = RotX(90)^T R04^T R gives theta5..7 (solve_wrist).
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

// Signed angle of (x, y): acos of the normalised x, negative below the x axis.
double direction(double x, double y) {
    const double r = std::sqrt(x * x + y * y);
    if (r == 0.0) return 0.0;
    const double angle = std::acos(std::fmax(-1.0, std::fmin(1.0, x / r)));
    return y < 0.0 ? -angle : angle;
}

float cost_of(const Thetas& t, const Thetas& current) {
    float cost = 0.0f;
    for (int i = 0; i < 7; ++i) {
        if (i == 3) continue;
        const float delta = static_cast<float>(t.v[i] - current.v[i]);
        cost += i < 3 ? delta * 1.2f * delta : delta * delta;
    }
    return cost;
}

class Solver {
public:
    Solver(const ArmModelData& arm, const FlangeTarget& target, Vec3 d, const Thetas& current, float step)
        : arm_(arm), target_(target), d_(d), current_(current), step_(step) {}

    bool acceptable(int joint, double theta) const {
        return std::fabs(theta - current_.v[joint]) <= step_ && arm_.window[joint].strictly_contains(theta);
    }

    // Every branch for one joint-3 value; keeps the cheapest.
    void solve_for(double theta3, double theta4) {
        const double d3 = arm_.link[2].d, d5 = arm_.link[4].d;
        const double e = d5 * std::cos(theta4) + d3;
        const double f = d5 * std::sin(theta4);
        const double rho = std::hypot(d_.x, d_.y);
        double cos_shoulder = std::sin(theta3) * f / rho;
        if (!clamp_cosine(cos_shoulder)) return;
        const double phi = direction(d_.x, d_.y);

        for (const double side : {1.0, -1.0}) {
            Thetas t{};
            t.v[0] = bring_into(phi - kPi / 2 + side * std::acos(cos_shoulder), arm_.window[0]);
            const double p1x = std::cos(t.v[0]) * d_.x + std::sin(t.v[0]) * d_.y;
            t.v[1] = bring_into(direction(d_.z, p1x) - direction(e, std::cos(theta3) * f), arm_.window[1]);
            t.v[2] = theta3;
            t.v[3] = theta4;

            const Rot3 wrist_base = Rot3::about_x(arm_.link[4].alpha_deg * kPi / 180.0).transposed();
            const Rot3 n = wrist_base * chain_rotation(arm_, t, 4).transposed() * target_.rotation;
            WristAngles wrists[2];
            solve_wrist(n, 1, wrists);
            for (WristAngles wrist : wrists) {
                if (std::fabs(wrist.middle) <= static_cast<double>(kAlignedWristRad))
                    split_wrist(wrist, current_.v[4], current_.v[6]);
                t.v[4] = bring_into(wrap_pi(wrist.first), arm_.window[4]);
                t.v[5] = wrist.middle;
                t.v[6] = unwrap_near(wrap_pi(wrist.last), current_.v[6]);
                bool ok = true;
                for (int i = 0; i < 7 && ok; ++i) ok = acceptable(i, t.v[i]);
                if (!ok) continue;
                const float cost = cost_of(t, current_);
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
        const float centre = static_cast<float>(current_.v[2]);
        float s = centre - kScanHalfWidth;
        const float end = centre + kScanHalfWidth;
        do {
            s += kScanStep;
            solve_for(s, theta4);
        } while (s < end);
    }

    bool found() const { return found_; }
    const Thetas& best() const { return best_; }

private:
    const ArmModelData& arm_;
    const FlangeTarget& target_;
    Vec3 d_;
    const Thetas& current_;
    double step_;
    float best_cost_ = 1000.0f;
    Thetas best_{};
    bool found_ = false;
};

}  // namespace

int solve_seven_axis(const ArmModelData& arm, float end_link, const FlangeTarget& target, const Thetas& current,
                     float step, Thetas* best) {
    const Vec3 wrist = target.position - static_cast<double>(end_link) * target.rotation.column(2);
    const Vec3 d = wrist - Vec3{0.0, 0.0, arm.link[0].d};

    const float upper = arm.link[2].d, fore = arm.link[4].d;
    const float dx = static_cast<float>(d.x), dy = static_cast<float>(d.y), dz = static_cast<float>(d.z);
    float c = (fore * fore + upper * upper - (dx * dx + dy * dy + dz * dz)) / (2.0f * upper * fore);
    if (!(c <= kElbowReach && c >= -kElbowReach)) return -1;
    if (c > kElbowStraight) c = 1.0f;
    if (c < -kElbowStraight) c = -1.0f;
    const double elbow = kPi - std::acos(static_cast<double>(c));

    // The positive elbow first; the negative one when the positive yields nothing,
    // so a reachable target next to the current joints is never refused.
    Solver solver(arm, target, d, current, step);
    for (const double theta4 : {elbow, -elbow}) {
        if (!solver.acceptable(3, theta4)) continue;
        solver.scan(theta4);
        if (solver.found()) {
            *best = solver.best();
            return 1;
        }
    }
    return -3;
}

}  // namespace arx::kin
