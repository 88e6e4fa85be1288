#include <gtest/gtest.h>

#include <kdl/chain.hpp>
#include <kdl/chainfksolverpos_recursive.hpp>
#include <kdl/frames.hpp>

#include "kin_test_util.h"

namespace arx::kin::test {
namespace {

// The same arm in an independent implementation: mounting, Craig links, tool.
KDL::Chain reference_chain(const ArmModelSpec& arm, float end_link, const KDL::Frame& mounting,
                           const KDL::Frame& tool) {
    auto fixed = [](const KDL::Frame& f) { return KDL::Segment(KDL::Joint(KDL::Joint::None), f); };
    KDL::Chain chain;
    chain.addSegment(fixed(mounting));
    for (int i = 0; i < arm.joints; ++i) {
        const double d = i == arm.joints - 1 ? end_link : arm.link[i].d;
        chain.addSegment(fixed(KDL::Frame::DH_Craig1989(arm.link[i].a, arm.link[i].alpha_deg * kDeg, 0, 0)));
        chain.addSegment(KDL::Segment(KDL::Joint(KDL::Joint::RotZ), KDL::Frame(KDL::Vector(0, 0, d))));
    }
    chain.addSegment(fixed(tool));
    return chain;
}

class ForwardAgainstReference : public testing::TestWithParam<ArmModelSpec> {};

TEST_P(ForwardAgainstReference, MatchesIndependentChain) {
    Init_Sys_Data(GetParam().model);
    setAngle(4, -7, 30);
    setLwt(2);
    store_tool_frame(pos2matrix(make_pose(0.01f, -0.02f, 0.05f, 0.3f, -0.2f, 1.0f)));
    const ArmModelSpec& arm = *kinematic_state().arm;
    KDL::ChainFkSolverPos_recursive solver(
        reference_chain(arm, arm.end_link[2], KDL::Frame(KDL::Rotation::RPY(4 * kDeg, -7 * kDeg, 30 * kDeg)),
                        KDL::Frame(KDL::Rotation::RPY(0.3, -0.2, 1.0), KDL::Vector(0.01, -0.02, 0.05))));
    std::mt19937 rng(42 + GetParam().model);
    for (int n = 0; n < 300; ++n) {
        const std::vector<float> q = random_joints_within(rng, arm, 1.0f);
        KDL::JntArray theta(arm.joints);
        for (int i = 0; i < arm.joints; ++i) theta(i) = (q[i] + arm.link[i].offset_deg) * 0.0174533;
        KDL::Frame expected;
        ASSERT_GE(solver.JntToCart(theta, expected), 0);
        const Matrix m = pos2matrix(Forward_Kinematics(q.data()));
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(m.data[i][3], expected.p(i), 1e-5) << "sample " << n;
            for (int j = 0; j < 3; ++j) EXPECT_NEAR(m.data[i][j], expected.M(i, j), 1e-5) << "sample " << n;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllModels, ForwardAgainstReference, testing::ValuesIn(kArmModels), model_name);

TEST(Forward, EndLinkAndMountingSettings) {
    Init_Sys_Data(ARM_MODEL_C1);
    EXPECT_FLOAT_EQ(kinematic_state().end_link, 0.115f);
    for (int type : {1, 5, -1}) {  // out-of-range variants are ignored
        setLwt(type);
        EXPECT_FLOAT_EQ(kinematic_state().end_link, 0.123f) << type;
    }
    Init_Sys_Data(ARM_MODEL_A);
    const float q[6] = {10, 20, 30, 40, 50, 60};
    const Transform level = pose_transform(Forward_Kinematics(q));
    setAngle(0, 0, 90);
    EXPECT_LT(transform_distance(pose_transform(Forward_Kinematics(q)), quarter_turn_about_z() * level), 1e-6);
    // Initialisation levels the base again but keeps the turn about z.
    Init_Sys_Data(ARM_MODEL_A);
    EXPECT_FLOAT_EQ(kinematic_state().install[2], float(90 * 3.1415926 / 180));
}

TEST(Conversions, InversePairsUndoEachOther) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> angle(-3.1f, 3.1f), pitch(-1.4f, 1.4f), len(-1, 1);
    auto random_pose = [&] { return make_pose(len(rng), len(rng), len(rng), angle(rng), pitch(rng), angle(rng)); };
    for (int n = 0; n < 300; ++n) {
        const Pose p = random_pose(), work = random_pose(), tool = random_pose();
        const Pose back = matrix2pos(pos2matrix(p));
        expect_near_all(pose_values(back), pose_values(p), 2e-5, "pose matrix " + std::to_string(n));
        Pose via_quaternion = p;
        via_quaternion.euler = quaternion2euler(euler2quaternion(p.euler));
        expect_near_all(pose_values(via_quaternion), pose_values(p), 1e-4, "quaternion " + std::to_string(n));
        const Matrix w = pos2matrix(work);
        EXPECT_LT(transform_distance(WorkFrame_To_Base(w, Base_To_WorkFrame(w, p)), p), 1e-5) << n;
        EXPECT_LT(transform_distance(tool2end(end2tool(p, tool, work), tool, work), p), 1e-5) << n;
    }
}

TEST(Frames, RotateMoveTurnsAboutTheChosenAxisOnly) {
    Init_Sys_Data(ARM_MODEL_A);
    const float q[6] = {10, 20, 30, 40, 50, 60};
    const Pose fk = Forward_Kinematics(q), none = make_pose(0, 0, 0, 0, 0, 0);
    // Axis 3 (z) by 90 degrees: the orientation turns about base z, the position stays.
    const Transform expected = Transform::translation(fk.x, fk.y, fk.z) * quarter_turn_about_z() *
                               Transform::translation(-fk.x, -fk.y, -fk.z) * pose_transform(fk);
    EXPECT_LT(transform_distance(pose_transform(RotateMove(q, 3, 90, none)), expected), 1e-5);
    for (int axis : {0, 4, -1})
        expect_near_all(pose_values(RotateMove(q, axis, 90, none)), pose_values(fk), 0, "axis " + std::to_string(axis));
}

}  // namespace
}  // namespace arx::kin::test
