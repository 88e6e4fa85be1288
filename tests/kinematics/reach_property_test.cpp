#include <gtest/gtest.h>

#include <algorithm>

#include "kin_test_util.h"

namespace arx::kin::test {
namespace {

// Sanitized builds run several times slower; they check a quarter of the targets and paths.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kTargets = 500, kPaths = 50;
#else
constexpr int kTargets = 2000, kPaths = 200;
#endif
constexpr float kLimitShare = 0.9f, kNearSeedDeg = 3.0f;  // a near seed: each joint up to 3 degrees off
constexpr double kReachTolerance = 1e-4;                    // metres and radians
// Spread (degrees) of the wrist joint about aligned, by sample (0: its whole range).
constexpr float kWristSpreadDeg[] = {0, 0, 5, 0.02f};

class ReachProperty : public testing::TestWithParam<ArmModelSpec> {};

// Every result 1 reproduces its target, whatever the seed and the flag.
TEST_P(ReachProperty, EverySolutionReachesItsTarget) {
    Init_Sys_Data(GetParam().model);
    const ArmModelSpec& arm = *kinematic_state().arm;
    const bool seven_axis = test::seven_axis(arm);
    const int wrist = seven_axis ? 5 : 4;  // the joint whose zero lines up the wrist axes
    std::mt19937 rng(2024 + GetParam().model);
    std::uniform_real_distribution<float> nudge(-kNearSeedDeg, kNearSeedDeg);
    int near_solved[3] = {};  // by flag
    for (int n = 0; n < kTargets; ++n) {
        std::vector<float> q = random_joints_within(rng, arm, kLimitShare);
        if (const float spread = kWristSpreadDeg[n % 4]; spread > 0)
            q[wrist] = std::uniform_real_distribution<float>(-spread, spread)(rng);
        const Pose target = Forward_Kinematics(q.data());
        std::vector<float> near = q;
        for (float& v : near) v += nudge(rng);
        const struct { const char* name; std::vector<float> joints; } seeds[] = {
            {"near", near}, {"far", random_joints_within(rng, arm, 1.0f)}};

        for (const auto& seed : seeds) {
            for (unsigned char flag = 0; flag < (seven_axis ? 3 : 2); ++flag) {
                float out[7];
                if (inverse_kinematics(seed.joints.data(), &target, out, flag) != 1) continue;
                if (&seed == &seeds[0]) ++near_solved[flag];
                ASSERT_TRUE(reaches(out, target, kReachTolerance)) << "#" << n << " " << seed.name << " seed, flag " << int(flag);
            }
        }
    }
    // The seven-axis arm holds joint 3 and moves no joint more than 0.26 rad: near an
    // aligned wrist the other joints must swing further, so it solves markedly fewer.
    EXPECT_GE(double(near_solved[1]) / kTargets, seven_axis ? 0.6 : 0.99);
}

// The seven-axis arm seeded exactly returns the joints, elbow sign included, also near stretched.
TEST(ElbowProperty, ExactSeedKeepsTheSevenAxisElbow) {
    Init_Sys_Data(ARM_MODEL_B);
    setAngle(0, 0, 0);
    std::mt19937 rng(31);
    int solved = 0;
    for (int n = 0; n < kTargets; ++n) {
        std::vector<float> q = random_joints_within(rng, *kinematic_state().arm, kLimitShare);
        if (n % 2 == 0) q[3] = std::uniform_real_distribution<float>(-10, 10)(rng);
        const Pose target = Forward_Kinematics(q.data());
        float out[7];
        for (unsigned char flag : {0, 1}) {
            if (inverse_kinematics(q.data(), &target, out, flag) != 1) continue;
            solved += flag;
            // Within the stretched zone the elbow is solved as 0 and the other joints make up for it.
            if (std::fabs(q[3]) < 0.3f) continue;
            for (int i = 0; i < 7; ++i)
                ASSERT_NEAR(out[i], q[i], 0.3) << "#" << n << " flag " << int(flag) << " joint " << i + 1;
        }
    }
    EXPECT_GE(solved, kTargets * 0.95);
}

constexpr int kPathSteps = 200;                      // of 1 mm: 20 cm
constexpr float kJumpDeg = 5.0f, kSnappedElbowDeg = 0.3f;  // the seven-axis elbow counts as stretched (0) within 0.3

// Why the joints may swing far for a millimetre: a joint limit, or a joint near turning freely.
enum Zone { kAtLimit, kWristAligned, kElbowStretched, kNearAxis1, kNoZone };

Zone zone_of(const std::vector<float>& q) {
    const ArmModelSpec& arm = *kinematic_state().arm;
    const bool seven_axis = test::seven_axis(arm);
    auto theta = [&](int i) { return (q[i] + arm.link[i].offset_deg) * kDeg; };
    // Within one allowed step of a limit, the next step may have to leave the branch.
    for (int i = 0; i < arm.joints; ++i)
        if (q[i] - arm.limit_deg[i].min < kJumpDeg || arm.limit_deg[i].max - q[i] < kJumpDeg) return kAtLimit;
    if (std::fabs(std::sin(theta(seven_axis ? 5 : 4))) < 0.1) return kWristAligned;
    const double elbow = seven_axis ? theta(3) : theta(2) - std::atan2(arm.link[3].d, arm.link[3].a);
    if (std::fabs(std::sin(elbow)) < 0.2) return kElbowStretched;
    // Joint 1 turns freely where the wrist centre comes no nearer axis 1 (|d3|; the held joint 3's reach).
    const Point w = wrist_centre(q.data());
    const double innermost = seven_axis ? std::fabs(std::sin(theta(2)) * arm.link[4].d * std::sin(theta(3)))
                                        : std::fabs(arm.link[2].d);
    if (std::hypot(w.x, w.y) - innermost < 0.05) return kNearAxis1;
    return kNoZone;
}

class PathProperty : public testing::TestWithParam<ArmModelSpec> {};

// Jogging along a line, each step seeded by the last: no joint jumps 5 degrees for a millimetre
// outside those zones, the seven-axis elbow never turns over; a path ends at an unsolved step.
TEST_P(PathProperty, StraightLinesMoveTheJointsSmoothly) {
    Init_Sys_Data(GetParam().model);
    setAngle(0, 0, 0);
    store_tool_frame(Transform::identity().to_matrix());
    const ArmModelSpec& arm = *kinematic_state().arm;
    const bool seven_axis = test::seven_axis(arm);
    std::mt19937 rng(77 + GetParam().model);
    std::normal_distribution<float> gauss;
    for (int n = 0; n < kPaths; ++n) {
        std::vector<float> seed = random_joints_within(rng, arm, kLimitShare);
        const Pose start = Forward_Kinematics(seed.data());
        const float dir[3] = {gauss(rng), gauss(rng), gauss(rng)}, mm = 0.001f / std::hypot(dir[0], dir[1], dir[2]);
        for (int k = 1; k <= kPathSteps; ++k) {
            Pose target = start;
            target.x += k * mm * dir[0], target.y += k * mm * dir[1], target.z += k * mm * dir[2];
            std::vector<float> out(arm.joints);
            if (inverse_kinematics(seed.data(), &target, out.data(), 1) != 1) break;
            ASSERT_TRUE(reaches(out.data(), target, kReachTolerance)) << "path " << n << " step " << k;
            if (seven_axis && std::fabs(seed[3]) > kSnappedElbowDeg && std::fabs(out[3]) > kSnappedElbowDeg &&
                (seed[3] < 0) != (out[3] < 0))
                ADD_FAILURE() << "path " << n << " step " << k << ": elbow " << seed[3] << " -> " << out[3];
            float jump = 0;
            for (int i = 0; i < arm.joints; ++i) jump = std::max(jump, std::fabs(out[i] - seed[i]));
            if (jump > kJumpDeg)
                EXPECT_NE(std::min(zone_of(seed), zone_of(out)), kNoZone)
                    << "path " << n << " step " << k << ": a joint jumps " << jump << " deg";
            seed = out;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllModels, PathProperty, testing::ValuesIn(kArmModels), model_name);
INSTANTIATE_TEST_SUITE_P(AllModels, ReachProperty, testing::ValuesIn(kArmModels), model_name);

}  // namespace
}  // namespace arx::kin::test
