#include <gtest/gtest.h>

#include <kdl/chain.hpp>
#include <kdl/chainfksolverpos_recursive.hpp>
#include <kdl/frames.hpp>

#include <cmath>
#include <random>

#include "kin_test_util.h"
#include "kinematics/kinematic_state.h"
#include "kinematics/state.h"

namespace arx::kin::test {
namespace {

constexpr double kDeg = kPi / 180.0;

// The same chain in an independent implementation: base mounting, one
// Craig-convention frame per link (the joint rotation between its fixed parts),
// then the tool frame.
KDL::Chain reference_chain(const KinematicState& s) {
    const ArmModelData& arm = *s.arm;
    KDL::Chain chain;
    chain.addSegment(KDL::Segment(KDL::Joint(KDL::Joint::None),
                                  KDL::Frame(KDL::Rotation::RPY(s.install[0], s.install[1], s.install[2]))));
    chain.addSegment(KDL::Segment(KDL::Joint(KDL::Joint::None),
                                  KDL::Frame::DH_Craig1989(arm.link[0].a, arm.link[0].alpha_deg * kDeg, 0, 0)));
    for (int i = 0; i < arm.joints; ++i) {
        const bool last = i == arm.joints - 1;
        const double d = last ? s.end_link : arm.link[i].d;
        KDL::Frame tip = KDL::Frame(KDL::Vector(0, 0, d));
        if (!last) tip = tip * KDL::Frame::DH_Craig1989(arm.link[i + 1].a, arm.link[i + 1].alpha_deg * kDeg, 0, 0);
        chain.addSegment(KDL::Segment(KDL::Joint(KDL::Joint::RotZ), tip));
    }
    const auto& t = s.tool.m;
    chain.addSegment(KDL::Segment(
        KDL::Joint(KDL::Joint::None),
        KDL::Frame(KDL::Rotation(t[0][0], t[0][1], t[0][2], t[1][0], t[1][1], t[1][2], t[2][0], t[2][1], t[2][2]),
                   KDL::Vector(t[0][3], t[1][3], t[2][3]))));
    return chain;
}

class ForwardAgainstReference : public testing::TestWithParam<ModelCase> {};

TEST_P(ForwardAgainstReference, MatchesIndependentChain) {
    Init_Sys_Data(GetParam().model);
    setAngle(4, -7, 30);
    setLwt(2);
    store_tool_frame(pos2matrix(make_pose(0.01f, -0.02f, 0.05f, 0.3f, -0.2f, 1.0f)));
    const KinematicState& s = kinematic_state();
    const KDL::Chain chain = reference_chain(s);
    KDL::ChainFkSolverPos_recursive solver(chain);

    std::mt19937 rng(42 + GetParam().model);
    for (int n = 0; n < 300; ++n) {
        const std::vector<float> q = random_joints(rng, *s.arm, 0);
        KDL::JntArray theta(s.arm->joints);
        for (int i = 0; i < s.arm->joints; ++i) theta(i) = (q[i] + s.arm->link[i].offset_deg) * 0.0174533;
        KDL::Frame expected;
        ASSERT_GE(solver.JntToCart(theta, expected), 0);

        const Pose p = Forward_Kinematics(q.data());
        const Matrix m = pos2matrix(p);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(m.data[i][3], expected.p(i), 1e-5) << "sample " << n;
            for (int j = 0; j < 3; ++j) EXPECT_NEAR(m.data[i][j], expected.M(i, j), 1e-5) << "sample " << n;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllModels, ForwardAgainstReference, testing::ValuesIn(kAllModels), model_name);

TEST(Forward, HomePoses) {
    const float zeros[7] = {};
    struct Case {
        int model;
        float z, rz, qw, qz;
    } const cases[] = {
        {ARM_MODEL_A, 0.8505f, float(kPi), 0, 1},
        {ARM_MODEL_B, 0.8505f, 0, 1, 0},
    };
    for (const Case& c : cases) {
        Init_Sys_Data(c.model);
        const Pose p = Forward_Kinematics(zeros);
        EXPECT_NEAR(p.x, 0, 1e-6);
        EXPECT_NEAR(p.y, 0, 1e-6);
        EXPECT_FLOAT_EQ(p.z, c.z);
        // 0.0174533 per degree puts the 90-degree offsets about 7e-7 rad off.
        EXPECT_NEAR(p.euler.rx, 0, 2e-6);
        EXPECT_NEAR(p.euler.ry, 0, 2e-6);
        EXPECT_NEAR(p.euler.rz, c.rz, 2e-6);
        EXPECT_NEAR(std::fabs(p.quaternion.w), c.qw, 1e-6);
        EXPECT_NEAR(std::fabs(p.quaternion.z), c.qz, 1e-6);
    }
}

TEST(Forward, AngleJustBelowMinusPiIsReportedOneTurnUp) {
    struct Case {
        int model;
        float joint1;
    } const cases[] = {{ARM_MODEL_A, 0.378f}, {ARM_MODEL_B, -179.622f}};
    for (const Case& c : cases) {
        Init_Sys_Data(c.model);
        const float q[7] = {c.joint1};
        EXPECT_NEAR(Forward_Kinematics(q).euler.rz, -3.135 + kTwoPi, 1e-4) << c.model;
    }
}

TEST(Forward, SixAxisCFamilyWorksBeforeConnecting) {
    // No tool frame has been loaded: the flange itself is the tool.
    for (int model : {ARM_MODEL_C1, ARM_MODEL_C2}) {
        Init_Sys_Data(model);
        const float q[6] = {10, 20, 30, 40, 50, 60};
        const Pose p = Forward_Kinematics(q);
        EXPECT_GT(std::hypot(p.x, p.y, p.z), 0.3) << model;
        EXPECT_GT(std::fabs(p.quaternion.w) + std::fabs(p.quaternion.x), 0.0f);
    }
}

TEST(Forward, EndLinkVariantsAndMounting) {
    Init_Sys_Data(ARM_MODEL_C1);
    EXPECT_FLOAT_EQ(kinematic_state().end_link, 0.115f);
    setLwt(1);
    EXPECT_FLOAT_EQ(kinematic_state().end_link, 0.123f);
    setLwt(5);
    EXPECT_FLOAT_EQ(kinematic_state().end_link, 0.123f);
    setLwt(-1);
    EXPECT_FLOAT_EQ(kinematic_state().end_link, 0.123f);

    Init_Sys_Data(ARM_MODEL_A);
    const float q[6] = {10, 20, 30, 40, 50, 60};
    const Pose level = Forward_Kinematics(q);
    setAngle(0, 0, 90);
    const Pose turned = Forward_Kinematics(q);
    EXPECT_NEAR(turned.x, -level.y, 1e-6);
    EXPECT_NEAR(turned.y, level.x, 1e-6);
    EXPECT_NEAR(turned.z, level.z, 1e-6);
    EXPECT_NEAR(std::remainder(turned.euler.rz - level.euler.rz - kPi / 2, kTwoPi), 0, 1e-5);

    // Initialisation levels the base again but keeps the turn about z.
    Init_Sys_Data(ARM_MODEL_A);
    EXPECT_FLOAT_EQ(kinematic_state().install[2], float(90 * 3.1415926 / 180));
}

TEST(Forward, ToolOffsetAlongFlangeZ) {
    Init_Sys_Data(ARM_MODEL_A);
    const float q[6] = {15, -20, 35, 40, -50, 60};
    const Pose flange = Forward_Kinematics(q);
    store_tool_frame(pos2matrix(make_pose(0, 0, 0.1f, 0, 0, 0)));
    const Pose tool = Forward_Kinematics(q);
    const Matrix r = pos2matrix(flange);
    EXPECT_NEAR(tool.x - flange.x, 0.1 * r.data[0][2], 1e-6);
    EXPECT_NEAR(tool.y - flange.y, 0.1 * r.data[1][2], 1e-6);
    EXPECT_NEAR(tool.z - flange.z, 0.1 * r.data[2][2], 1e-6);
}

TEST(Forward, NoModelOrNoJointsGivesZeroPose) {
    const float q[7] = {};
    const Pose none = Forward_Kinematics(q);  // nothing loaded in this process yet
    EXPECT_EQ(none.z, 0);
    Init_Sys_Data(ARM_MODEL_A);
    Init_Sys_Data(42);  // ignored
    EXPECT_EQ(kinematic_state().model, ARM_MODEL_A);
    EXPECT_EQ(Forward_Kinematics(nullptr).z, 0);
}

}  // namespace
}  // namespace arx::kin::test
