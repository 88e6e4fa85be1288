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
//   t3 = psi +- acos(K / L),  t2 = atan2(s (Wz - d1), X - a2) - atan2(v, u).
// Wrist: N = RotX(90)^T R03^T R gives theta4..6 (solve_wrist).
#include <cmath>
#include <initializer_list>

#include "kinematics/inverse.h"

namespace arx::kin {

namespace {

// Below this |theta5| (rad) the wrist of model A counts as aligned.
constexpr float kAlignedWristRad = 0.087f;

int sign_of_right(int alpha_deg) { return alpha_deg > 0 ? 1 : -1; }

float cost_of(const Thetas& t, const Thetas& current) {
    float cost = 0.0f;
    for (int i = 0; i < 6; ++i) {
        const float delta = static_cast<float>(t.v[i] - current.v[i]);
        cost += i < 3 ? delta * 1.2f * delta * 2.0f : delta * delta;
    }
    return cost;
}

struct ShoulderBranch {
    double theta1;
    double reach;  // X
};

}  // namespace

bool solve_six_axis(const ArmModelData& arm, bool split_singular_wrist, float end_link, const FlangeTarget& target,
                    const Thetas& current, Thetas* best) {
    const Link* link = arm.link;
    const int s = sign_of_right(link[1].alpha_deg);
    const int tau = sign_of_right(link[5].alpha_deg);
    const double d1 = link[0].d, a2 = link[1].a, a3 = link[2].a, d3 = link[2].d, a4 = link[3].a, d4 = link[3].d;

    const Vec3 w = target.position - static_cast<double>(end_link) * target.rotation.column(2);
    const double rho = std::hypot(w.x, w.y);
    if (rho <= std::fabs(d3)) return false;
    const double phi = std::atan2(w.y, w.x);
    const double beta = std::asin(-s * d3 / rho);
    const ShoulderBranch shoulders[2] = {{phi - beta, rho * std::cos(beta)}, {phi - kPi + beta, -rho * std::cos(beta)}};

    const double upper = std::hypot(a4, d4);
    const double psi = std::atan2(d4, a4);
    const Rot3 wrist_base = Rot3::about_x(link[3].alpha_deg * kPi / 180.0).transposed();

    float best_cost = 1000.0f;
    bool found = false;
    for (const ShoulderBranch& shoulder : shoulders) {
        const double x = shoulder.reach - a2;
        const double z = s * (w.z - d1);
        const double k = (x * x + z * z - a3 * a3 - a4 * a4 - d4 * d4) / (2.0 * a3);
        double cos_elbow = k / upper;
        if (!clamp_cosine(cos_elbow)) continue;
        for (const double elbow : {1.0, -1.0}) {
            Thetas t{};
            t.v[2] = psi + elbow * std::acos(cos_elbow);
            const double u = a3 + a4 * std::cos(t.v[2]) + d4 * std::sin(t.v[2]);
            const double v = a4 * std::sin(t.v[2]) - d4 * std::cos(t.v[2]);
            t.v[1] = std::atan2(z, x) - std::atan2(v, u);
            t.v[0] = shoulder.theta1;

            const Rot3 n = wrist_base * chain_rotation(arm, t, 3).transposed() * target.rotation;
            WristAngles wrists[2];
            solve_wrist(n, tau, wrists);
            for (WristAngles wrist : wrists) {
                if (split_singular_wrist && std::fabs(wrist.middle) < static_cast<double>(kAlignedWristRad))
                    split_wrist(wrist, current.v[3], current.v[5]);
                t.v[3] = wrist.first;
                t.v[4] = wrist.middle;
                t.v[5] = unwrap_near(wrap_pi(wrist.last), current.v[5]);

                bool inside = arm.window[5].contains(t.v[5]);
                for (int i = 0; i < 5; ++i) {
                    t.v[i] = bring_into(wrap_pi(t.v[i]), arm.window[i]);
                    inside = inside && arm.window[i].contains(t.v[i]);
                }
                if (!inside) continue;
                const float cost = cost_of(t, current);
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
