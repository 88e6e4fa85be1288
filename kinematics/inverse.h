// Closed-form inverse kinematics, shared pieces and the two solver families.
//
// Every angle here is a kinematic angle theta = joint angle + offset, in radians.
#pragma once

#include "kinematics/arm_models.h"
#include "kinematics/linalg.h"

namespace arx::kin {

// Flange pose to reach, in the world-aligned base frame (install rotation and
// tool frame already removed).
struct FlangeTarget {
    Rot3 rotation;
    Vec3 position;
};

// Thetas of one solution or of the current joints.
struct Thetas {
    double v[kMaxJoints];
};

// Joint-space distance that picks among solutions: weight times the squared
// difference to the current theta, summed joint by joint in single precision.
// Summing the arm joints first lets a candidate whose arm alone is no cheaper
// than the best so far be dropped before its wrist is solved: later terms only
// add.
float add_cost(float cost, const Thetas& t, const Thetas& current, int first, int end, float weight);

// Spherical wrist. With the wrist rotation, relative to the frame before its
// first joint's RotX(+90), written as
//   N = Rz(a) RotX(-90) Rz(b) RotX(tau 90) Rz(c) = Rz(a) A(b) Rz(c),
//   A(b) = [[cos b, 0, tau sin b], [0, tau, 0], [-sin b, 0, tau cos b]],
// multiplying out gives
//   N02 = tau cos a sin b,  N12 = tau sin a sin b,  N22 = tau cos b,
// so b = atan2(+-sqrt(N02^2 + N12^2), tau N22) and a follows from the signs.
// c comes from Rz(a)^T N = A(b) Rz(c), whose row 1 is tau (sin c, cos c, 0).
// That row keeps unit length as sin b vanishes, so near the aligned wrist,
// where a is only noise, c still makes up for it and N is reproduced.
// The second branch is the first turned over: (a + pi, -b, c + pi).
struct WristAngles {
    double first, middle, last;
};
void solve_wrist(const Rot3& n, int tau, WristAngles out[2]);

// Near b = 0 (tau = +1) only the sum a + c is well determined. Splitting it so
// that a - c keeps its current value turns the first joint by some D and the
// last by -D; about the middle axis, tilted by b, the two turns no longer
// cancel, and the flange turns by up to 4 |sin(b/2) sin(D/2)|. The split is
// taken only when that stays within kWristSplitToleranceRad, the accuracy of a
// round trip; otherwise the angles stay as solved. True when split.
constexpr double kWristSplitToleranceRad = 1e-5;
bool split_wrist(WristAngles& w, double first_current, double last_current);

// A cosine computed from a single-precision pose can land this far beyond +-1
// at a stretched or folded joint; it is clamped. Further out the joint cannot
// reach: false.
constexpr double kCosineRounding = 1e-5;
bool clamp_cosine(double& cosine);

double wrap_pi(double angle);                          // into (-pi, pi]
double bring_into(double theta, const Range& window);  // one turn up or down when outside
double unwrap_near(double theta, double current);      // within (-pi, pi) of current

// Six-axis family: best of the eight closed-form candidates inside the
// windows, or false when there is none. An aligned wrist is split when the
// record says so (splits_aligned_wrist).
bool solve_six_axis(const ArmModelSpec& arm, float end_link, const FlangeTarget& target, const Thetas& current,
                    Thetas* best);

// Which elbow (sign of theta4) the seven-axis solver takes. Nearest: both,
// the current one first, the whole solution nearest the current joints wins.
// PositiveFirst: the positive one, the negative only when it yields nothing.
enum class ElbowChoice { Nearest, PositiveFirst };

// Seven-axis family: 1 with *best filled, kSevenAxisCodes.wrist_out_of_reach
// (-1) for a wrist point out of reach, kSevenAxisCodes.no_solution (-3) for no
// solution within `step` of the current joints.
int solve_seven_axis(const ArmModelSpec& arm, float end_link, const FlangeTarget& target, const Thetas& current,
                     float step, ElbowChoice elbow_choice, Thetas* best);

}  // namespace arx::kin
