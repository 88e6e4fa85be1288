// Closed form for the six-axis chains (A, C1, C2).
//
// All three share the structure alpha = 0, s90, 0, +90, -90, t90 (s, t = +-1),
// with a1 = d2 = 0, a spherical wrist (a5 = a6 = d5 = 0) and the flange at
// d6 = end-link length along the last axis. So the wrist centre is
//   W = p - d6 z,   z = third column of the flange rotation,
// and depends on theta1..theta3 only. Carrying the origin of frame 4, which is
// (a4, -d4, 0) in frame 3, down the chain:
//   u = a3 + a4 cos t3 + d4 sin t3,   v = a4 sin t3 - d4 cos t3     (frame 2, z = d3)
//   X = a2 + cos t2 u - sin t2 v,     Z = s (sin t2 u + cos t2 v)    (frame 1, y = -s d3)
//   W = Rz(t1) (X, -s d3, Z) + (0, 0, d1).
// Shoulder: with W = rho (cos phi, sin phi), -sin t1 Wx + cos t1 Wy = -s d3, so
//   rho sin(phi - t1) = -s d3,  t1 = phi - beta or phi - pi + beta,  beta = asin(-s d3 / rho),
//   and X = +-rho cos beta.
// Elbow: (X - a2, s (Wz - d1)) = Rz(t2) (u, v), hence
//   (X - a2)^2 + (Wz - d1)^2 = u^2 + v^2 = a3^2 + a4^2 + d4^2 + 2 a3 (a4 cos t3 + d4 sin t3),
//   a4 cos t3 + d4 sin t3 = L cos(t3 - psi),  L = hypot(a4, d4),  psi = atan2(d4, a4),
//   t3 = psi +- acos(K / L),  and likewise a4 sin t3 - d4 cos t3 = L sin(t3 - psi), so
//   u = a3 + K,  v = +-L sin(acos(K / L)),  t2 = atan2(s (Wz - d1), X - a2) - atan2(v, u).
// Wrist: joints 2 and 3 turn about parallel axes (alpha3 = 0), so
//   R03 = Rz(t1) RotX(s 90) Rz(t2 + t3),
// and N = RotX(90)^T R03^T R gives theta4..6 (solve_wrist).
#include <cmath>
#include <initializer_list>

#include "kinematics/inverse.h"

namespace arx::kin {

namespace {

// Below this |theta5| (rad) the wrist of model A counts as aligned.
constexpr float kAlignedWristRad = 0.087f;
// A wrist centre this close to axis 1 counts as on it (models with d3 = 0): a
// single-precision pose places it only to within about 0.1 um, and that noise
// turns joint 1 by half a degree 10 um from the axis, by any angle nearer.
constexpr double kAxisRoundingMetres = 1e-5;
// Cost weights: the three arm joints count 2.4 times a wrist joint, that
// factor formed in single precision as 1.2 * 2.
constexpr float kArmWeight = 1.2f * 2.0f;
constexpr float kWristWeight = 1.0f;

int sign_of_right(int alpha_deg) { return alpha_deg > 0 ? 1 : -1; }

struct ShoulderBranch {
    double theta1;
    double reach;  // X
};

// theta brought into its window, or false when it lies outside even then.
bool into_window(double& theta, const Range& window) {
    theta = bring_into(wrap_pi(theta), window);
    return window.contains(theta);
}

}  // namespace

bool solve_six_axis(const ArmModelSpec& arm, float end_link, const FlangeTarget& target, const Thetas& current,
                    Thetas* best) {
    const Link* link = arm.link;
    const int s = sign_of_right(link[1].alpha_deg);
    const int tau = sign_of_right(link[5].alpha_deg);
    const double d1 = link[0].d, a2 = link[1].a, a3 = link[2].a, d3 = link[2].d, a4 = link[3].a, d4 = link[3].d;

    const Vec3 w = target.position - static_cast<double>(end_link) * target.rotation.column(2);
    const double rho = std::sqrt(w.x * w.x + w.y * w.y);
    ShoulderBranch shoulders[2];
    if (d3 == 0.0 && rho <= kAxisRoundingMetres) {
        // The wrist centre is on axis 1 to within rounding, where its direction
        // is noise and every joint 1 reaches it: keep the current one.
        const double theta1 = current.v[0];
        const double reach = std::cos(theta1) * w.x + std::sin(theta1) * w.y;
        shoulders[0] = {theta1, reach};
        shoulders[1] = {theta1 - kPi, -reach};
    } else {
        // On the cylinder of radius |d3| the sine is 1, and from a single-precision
        // pose it may round past it.
        double sin_beta = -s * d3 / rho;
        if (!clamp_cosine(sin_beta)) return false;
        const double phi = std::atan2(w.y, w.x);
        const double beta = std::asin(sin_beta);
        shoulders[0] = {phi - beta, rho * std::cos(beta)};
        shoulders[1] = {phi - kPi + beta, -rho * std::cos(beta)};
    }

    const double upper = std::sqrt(a4 * a4 + d4 * d4);
    const double psi = std::atan2(d4, a4);

    float best_cost = 1000.0f;
    bool found = false;
    for (const ShoulderBranch& shoulder : shoulders) {
        const double x = shoulder.reach - a2;
        const double z = s * (w.z - d1);
        const double k = (x * x + z * z - a3 * a3 - a4 * a4 - d4 * d4) / (2.0 * a3);
        double cos_elbow = k / upper;
        if (!clamp_cosine(cos_elbow)) continue;
        Thetas t{};
        t.v[0] = shoulder.theta1;
        if (!into_window(t.v[0], arm.window[0])) continue;
        const Rot3 after_shoulder = untwist_x(link[1].alpha_deg, unturn_z(CosSin::of(t.v[0]), target.rotation));
        const double bend = std::acos(cos_elbow);
        const double sin_bend = std::sqrt(1.0 - cos_elbow * cos_elbow);
        const double towards_wrist = std::atan2(z, x);

        for (const double elbow : {1.0, -1.0}) {
            t.v[2] = psi + elbow * bend;
            t.v[1] = towards_wrist - std::atan2(elbow * upper * sin_bend, a3 + upper * cos_elbow);
            const double theta23 = t.v[1] + t.v[2];
            if (!into_window(t.v[1], arm.window[1]) || !into_window(t.v[2], arm.window[2])) continue;
            const float arm_cost = add_cost(0.0f, t, current, 0, 3, kArmWeight);
            if (!(arm_cost < best_cost)) continue;

            const Rot3 n = untwist_x(link[3].alpha_deg, unturn_z(CosSin::of(theta23), after_shoulder));
            WristAngles wrists[2];
            solve_wrist(n, tau, wrists);
            for (WristAngles wrist : wrists) {
                if (arm.splits_aligned_wrist && std::fabs(wrist.middle) < static_cast<double>(kAlignedWristRad))
                    split_wrist(wrist, current.v[3], current.v[5]);
                t.v[3] = wrist.first;
                t.v[4] = wrist.middle;
                t.v[5] = unwrap_near(wrap_pi(wrist.last), current.v[5]);
                if (!into_window(t.v[3], arm.window[3]) || !into_window(t.v[4], arm.window[4]) ||
                    !arm.window[5].contains(t.v[5]))
                    continue;
                const float cost = add_cost(arm_cost, t, current, 3, 6, kWristWeight);
                if (cost < best_cost) {
                    best_cost = cost;
                    *best = t;
                    found = true;
                }
            }
        }
    }
    return found;
}

}  // namespace arx::kin
