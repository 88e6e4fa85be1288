#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "kin_test_util.h"
#include "kinematics/forward.h"
#include "kinematics/kinematic_state.h"
#include "kinematics/state.h"

namespace arx::kin::test {
namespace {

constexpr double kDeg = kPi / 180.0;

// Away from the singular configurations, where joint angles are ill-defined:
// wrist aligned, elbow stretched, wrist centre over the base axis, and for the
// seven-axis arm the shoulder pair (joints 1 and 2 for a held joint 3) folding.
bool well_conditioned(const std::vector<float>& q) {
    const KinematicState& s = kinematic_state();
    const ArmModelData& arm = *s.arm;
    Transform f;
    flange_transform(s, q.data(), &f);
    const Transform base = inverse_or_zero(install_rotation(s)) * f;
    const double wx = base.m[0][3] - s.end_link * base.m[0][2], wy = base.m[1][3] - s.end_link * base.m[1][2];
    if (std::hypot(wx, wy) < 0.08) return false;
    if (arm.joints == 7) {
        const double e = 0.21 * std::cos(q[3] * kDeg) + 0.256, fo = 0.21 * std::sin(q[3] * kDeg);
        const double p1x = std::cos(q[1] * kDeg) * std::cos(q[2] * kDeg) * fo + std::sin(q[1] * kDeg) * e;
        return std::fabs(std::sin(q[3] * kDeg)) > 0.26 && std::fabs(std::sin(q[5] * kDeg)) > 0.26 &&
               std::fabs(p1x) > 0.05;
    }
    const double psi = std::atan2(arm.link[3].d, arm.link[3].a);
    const double elbow = (q[2] + arm.link[2].offset_deg) * kDeg - psi;
    return std::fabs(std::sin(q[4] * kDeg)) > 0.26 && std::fabs(std::sin(elbow)) > 0.26;
}

struct FrameSetup {
    const char* name;
    float install[3];
    Pose tool;
};
const FrameSetup kSetups[] = {
    {"bare flange", {0, 0, 0}, make_pose(0, 0, 0, 0, 0, 0)},
    {"tool and mounting", {5, -10, 45}, make_pose(0.02f, -0.01f, 0.08f, 0.2f, -0.3f, 0.5f)},
};

class RoundTrip : public testing::TestWithParam<ModelCase> {};

TEST_P(RoundTrip, InverseOfForwardReturnsTheJoints) {
    Init_Sys_Data(GetParam().model);
    std::mt19937 rng(1000 + GetParam().model);
    for (const FrameSetup& setup : kSetups) {
        setAngle(setup.install[0], setup.install[1], setup.install[2]);
        store_tool_frame(pos2matrix(setup.tool));
        int checked = 0;
        while (checked < 1500) {
            const std::vector<float> q = random_joints(rng, *kinematic_state().arm, 15);
            if (!well_conditioned(q)) continue;
            ++checked;
            const Pose target = Forward_Kinematics(q.data());
            float out[7] = {};
            ASSERT_EQ(inverse_kinematics(q.data(), &target, out, 1), 1) << setup.name << " sample " << checked;
            for (size_t i = 0; i < q.size(); ++i)
                ASSERT_NEAR(out[i], q[i], 1e-3) << setup.name << " joint " << i + 1 << " sample " << checked;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllModels, RoundTrip, testing::ValuesIn(kAllModels), model_name);

struct PinnedCase {
    const char* what;
    float from[6];
    float current[6];
    int code;
    float expected[6];
};

TEST(InverseModelA, PicksTheSolutionNearestTheCurrentJoints) {
    const PinnedCase cases[] = {
        {"flipped wrist", {20, 30, 40, 50, 60, 70}, {20, 30, 40, -130, -60, -110}, 1, {20, 30, 40, -130, -60, -110}},
        {"upright wrist", {20, 30, 40, 50, 60, 70}, {0, 0, 0, 0, 0, 0}, 1, {20, 30, 40, 50, 60, 70}},
        {"joint 6 takes the short way", {20, 30, 40, 50, 60, 350}, {0, 0, 0, 0, 0, 0}, 1, {20, 30, 40, 50, 60, -10}},
        {"joint 6 stays past a turn", {20, 30, 40, 50, 60, 350}, {0, 0, 0, 0, 0, 350}, 1, {20, 30, 40, 50, 60, 350}},
        {"aligned wrist splits the sum", {20, 30, 40, 50, 0, 70}, {0, 0, 0, 0, 0, 0}, 1, {20, 30, 40, 60, 0, 60}},
    };
    Init_Sys_Data(ARM_MODEL_A);
    for (const PinnedCase& c : cases) {
        const Pose target = Forward_Kinematics(c.from);
        float out[6] = {};
        EXPECT_EQ(inverse_kinematics(c.current, &target, out, 1), c.code) << c.what;
        for (int i = 0; i < 6; ++i) EXPECT_NEAR(out[i], c.expected[i], 2e-3) << c.what << " joint " << i + 1;
    }
}

TEST(InverseSixAxis, OutOfReachAndLimits) {
    const float zeros[7] = {};
    struct Case {
        const char* what;
        int model;
        float from[6];
        int code;
    } const cases[] = {
        {"A joint 2 beyond its window", ARM_MODEL_A, {0, 135, 0, 0, 30, 0}, -9},
        {"C1 joint 3 inside the window, beyond the limit", ARM_MODEL_C1, {10, 20, 165.03f, 10, 40, 10}, -5},
    };
    for (const Case& c : cases) {
        Init_Sys_Data(c.model);
        const Pose target = Forward_Kinematics(c.from);
        float out[6] = {};
        EXPECT_EQ(inverse_kinematics(c.from, &target, out, 1), c.code) << c.what;
        if (c.code != -9) {
            EXPECT_NEAR(out[2], c.from[2], 1e-3) << "the rejected solution is reported";
        }
    }
    for (int model : {ARM_MODEL_A, ARM_MODEL_C1, ARM_MODEL_C2, ARM_MODEL_B}) {
        Init_Sys_Data(model);
        const Pose far = make_pose(5, 0, 0.5f, 0, 0, 0);
        float out[7] = {};
        EXPECT_EQ(inverse_kinematics(zeros, &far, out, 1), model == ARM_MODEL_B ? -1 : -9) << model;
    }
}

TEST(Inverse, FlagZeroReadsTheQuaternion) {
    for (int model : {ARM_MODEL_A, ARM_MODEL_B}) {
        Init_Sys_Data(model);
        const float q[7] = {20, 30, 40, 50, 60, 70, 80};
        Pose target = Forward_Kinematics(q);
        target.euler = {0, 0, 0};
        float out[7] = {};
        ASSERT_EQ(inverse_kinematics(q, &target, out, 0), 1) << model;
        for (int i = 0; i < kinematic_state().arm->joints; ++i) EXPECT_NEAR(out[i], q[i], 0.05) << model << " " << i;
    }
}

TEST(InverseModelB, StepBoundAroundTheCurrentJoints) {
    Init_Sys_Data(ARM_MODEL_B);
    const float from[7] = {20, 30, 40, 50, 60, 70, 80};
    const Pose target = Forward_Kinematics(from);
    struct Case {
        const char* what;
        float joint1;
        unsigned char flag;
        int code;
    } const cases[] = {
        {"14 degrees away", 34, 1, 1},
        {"15 degrees away", 35, 1, -3},
        {"15 degrees away, unbounded", 35, 2, 1},
    };
    for (const Case& c : cases) {
        float current[7] = {c.joint1, 30, 40, 50, 60, 70, 80};
        float out[7] = {-1, -1, -1, -1, -1, -1, -1};
        EXPECT_EQ(inverse_kinematics(current, &target, out, c.flag), c.code) << c.what;
        if (c.code == 1) {
            for (int i = 0; i < 7; ++i) EXPECT_NEAR(out[i], from[i], 0.05) << c.what << " joint " << i + 1;
        } else {
            for (float v : out) EXPECT_EQ(v, -1) << c.what << ": output untouched";
        }
    }

    // Joint 3 is held within a few ten-thousandths of a radian of its current value.
    const float near[7] = {21, 30, 40, 50, 60, 70, 80};
    float out[7] = {};
    ASSERT_EQ(inverse_kinematics(near, &target, out, 1), 1);
    EXPECT_NEAR(out[2], 40 - 0.0004 / kDeg, 1e-3);
    EXPECT_NEAR(out[3], 50, 1e-4);
}

TEST(InverseModelB, ElbowSign) {
    Init_Sys_Data(ARM_MODEL_B);
    const float from[7] = {20, 30, 40, -50, 60, 70, 80};
    const Pose target = Forward_Kinematics(from);
    float out[7] = {};
    ASSERT_EQ(inverse_kinematics(from, &target, out, 1), 1);
    EXPECT_NEAR(out[3], -50, 1e-3);
    ASSERT_EQ(inverse_kinematics(from, &target, out, 2), 1);
    EXPECT_NEAR(out[3], 50, 1e-3);
    EXPECT_LT(transform_distance(Forward_Kinematics(out), target), 1e-5);

    // Nearly stretched and bent the negative way: the positive elbow is within
    // the step bound but leads nowhere; the negative one must still be found.
    const float stretched[7] = {20, 30, 40, -5, 60, 70, 80};
    const Pose straight_target = Forward_Kinematics(stretched);
    ASSERT_EQ(inverse_kinematics(stretched, &straight_target, out, 1), 1);
    EXPECT_LT(transform_distance(Forward_Kinematics(out), straight_target), 1e-5);
}

TEST(Inverse, SingularToolFrameHasNoSolution) {
    for (int model : {ARM_MODEL_A, ARM_MODEL_B, ARM_MODEL_C1}) {
        Init_Sys_Data(model);
        const float q[7] = {20, 30, 40, 50, 60, 70, 80};
        const Pose target = Forward_Kinematics(q);
        store_tool_frame(Matrix{});
        float out[7] = {7, 7, 7, 7, 7, 7, 7};
        EXPECT_EQ(inverse_kinematics(q, &target, out, 1), model == ARM_MODEL_B ? -3 : -9) << model;
        for (float v : out) EXPECT_EQ(v, 7) << model;
    }
}

TEST(Inverse, BadArguments) {
    const float q[7] = {};
    const Pose target = make_pose(0.3f, 0, 0.5f, 0, 0, 0);
    float out[7] = {};
    EXPECT_EQ(inverse_kinematics(q, &target, out, 1), 2);  // no arm model loaded yet
    Init_Sys_Data(ARM_MODEL_A);
    EXPECT_EQ(inverse_kinematics(nullptr, &target, out, 1), ARX_NULL_POINTER);
    EXPECT_EQ(inverse_kinematics(q, nullptr, out, 1), ARX_NULL_POINTER);
    EXPECT_EQ(inverse_kinematics(q, &target, nullptr, 1), ARX_NULL_POINTER);
}

}  // namespace
}  // namespace arx::kin::test
