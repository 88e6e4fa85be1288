#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "kin_test_util.h"
#include "kinematics/kinematic_state.h"

namespace arx::kin::test {
namespace {

TEST(Frames, InversePairs) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> angle(-3, 3), pitch(-1.4f, 1.4f), len(-1, 1);
    auto random_pose = [&] { return make_pose(len(rng), len(rng), len(rng), angle(rng), pitch(rng), angle(rng)); };
    for (int n = 0; n < 200; ++n) {
        const Pose work = random_pose(), tool = random_pose(), p = random_pose();
        const Matrix w = pos2matrix(work);
        EXPECT_LT(transform_distance(WorkFrame_To_Base(w, Base_To_WorkFrame(w, p)), p), 1e-5) << n;
        EXPECT_LT(transform_distance(tool2end(end2tool(p, tool, work), tool, work), p), 1e-5) << n;
    }
}

TEST(Frames, SingularWorkFrameGivesTheZeroPose) {
    const Pose p = make_pose(0.1f, 0.2f, 0.3f, 0.1f, 0.2f, 0.3f);
    Matrix flat = pos2matrix(p);
    for (int j = 0; j < 4; ++j) flat.data[2][j] = 0;  // no z axis left
    for (const Matrix& work : {Matrix{}, flat}) {
        const Pose r = Base_To_WorkFrame(work, p);
        EXPECT_EQ(r.x, 0);
        EXPECT_EQ(r.z, 0);
        EXPECT_EQ(r.euler.rz, 0);
        EXPECT_EQ(r.quaternion.w, 1);
    }
}

TEST(Frames, CartesianToolMovesAlongTheToolAxes) {
    Init_Sys_Data(ARM_MODEL_A);
    store_tool_frame(pos2matrix(make_pose(0, 0, 0.05f, 0.3f, 0, 0)));
    const float q[6] = {10, 20, 30, 40, 50, 60};
    const Pose fk = Forward_Kinematics(q);
    const Pose still = Cartesian_Tool(q, 0, 0, 0, 0);
    EXPECT_LT(transform_distance(still, fk), 1e-6);

    const Pose moved = Cartesian_Tool(q, 0, 0, 0.1f, 0);
    const Matrix r = pos2matrix(fk);
    EXPECT_NEAR(moved.x - fk.x, 0.1 * r.data[0][2], 1e-6);
    EXPECT_NEAR(moved.y - fk.y, 0.1 * r.data[1][2], 1e-6);
    EXPECT_NEAR(moved.z - fk.z, 0.1 * r.data[2][2], 1e-6);

    // Expressed in the stored work frame.
    const Pose work = make_pose(0.2f, 0, 0, 0, 0, float(kPi / 2));
    store_work_frame(pos2matrix(work));
    const Pose in_work = Cartesian_Tool(q, 0, 0, 0, 0);
    EXPECT_NEAR(in_work.x, fk.y, 1e-6);
    EXPECT_NEAR(in_work.y, -(fk.x - 0.2f), 1e-6);
}

TEST(Frames, RotateMove) {
    Init_Sys_Data(ARM_MODEL_A);
    const float q[6] = {10, 20, 30, 40, 50, 60};
    const Pose fk = Forward_Kinematics(q);
    const Pose identity_frame = make_pose(0, 0, 0, 0, 0, 0);

    const Pose turned = RotateMove(q, 3, 90, identity_frame);
    EXPECT_EQ(turned.x, fk.x);
    EXPECT_EQ(turned.y, fk.y);
    EXPECT_EQ(turned.z, fk.z);
    const Matrix before = pos2matrix(fk), after = pos2matrix(turned);
    for (int j = 0; j < 3; ++j) {  // each axis turned by 90 degrees about base z: (x, y) -> (-y, x)
        EXPECT_NEAR(after.data[0][j], -before.data[1][j], 1e-5);
        EXPECT_NEAR(after.data[1][j], before.data[0][j], 1e-5);
        EXPECT_NEAR(after.data[2][j], before.data[2][j], 1e-5);
    }
    const ort expected_q = euler2quaternion(turned.euler);
    EXPECT_EQ(turned.quaternion.w, expected_q.w);

    for (int axis : {0, 4, -1}) {
        const Pose same = RotateMove(q, axis, 90, identity_frame);
        EXPECT_EQ(same.x, fk.x);
        EXPECT_EQ(same.euler.rx, fk.euler.rx);
        EXPECT_EQ(same.euler.ry, fk.euler.ry);
        EXPECT_EQ(same.euler.rz, fk.euler.rz);
    }

    // About the x axis of a frame turned 90 degrees about z, i.e. about base y.
    const Pose about_y = RotateMove(q, 1, 30, make_pose(5, 5, 5, 0, 0, float(kPi / 2)));
    const Pose reference = RotateMove(q, 2, 30, identity_frame);
    EXPECT_LT(transform_distance(about_y, reference), 1e-5);
}

}  // namespace
}  // namespace arx::kin::test
