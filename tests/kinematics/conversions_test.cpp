#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "kin_test_util.h"
#include "kinematics/linalg.h"

namespace arx::kin::test {
namespace {

const Pose kPoses[] = {
    make_pose(0, 0, 0, 0, 0, 0),
    make_pose(0.1f, -0.2f, 0.3f, 0.4f, -0.5f, 0.6f),
    make_pose(-1.5f, 2.0f, 0.01f, 3.0f, 1.5f, -3.0f),
    make_pose(0.3f, 0.3f, -0.7f, -3.1f, -1.4f, 0.001f),
};

TEST(Conversions, PoseMatrixRoundTrip) {
    for (const Pose& p : kPoses) {
        const Pose back = matrix2pos(pos2matrix(p));
        EXPECT_FLOAT_EQ(back.x, p.x);
        EXPECT_FLOAT_EQ(back.y, p.y);
        EXPECT_FLOAT_EQ(back.z, p.z);
        EXPECT_NEAR(back.euler.rx, p.euler.rx, 2e-5);
        EXPECT_NEAR(back.euler.ry, p.euler.ry, 2e-5);
        EXPECT_NEAR(back.euler.rz, p.euler.rz, 2e-5);
        const ort q = euler2quaternion(back.euler);
        EXPECT_FLOAT_EQ(back.quaternion.w, q.w);
        EXPECT_FLOAT_EQ(back.quaternion.z, q.z);
    }
}

TEST(Conversions, MatrixLayout) {
    const Matrix m = pos2matrix(make_pose(1, 2, 3, 0, 0, float(kPi / 2)));
    EXPECT_EQ(m.irow, 4);
    EXPECT_EQ(m.iline, 4);
    EXPECT_FLOAT_EQ(m.data[0][3], 1);
    EXPECT_FLOAT_EQ(m.data[1][3], 2);
    EXPECT_FLOAT_EQ(m.data[2][3], 3);
    EXPECT_NEAR(m.data[1][0], 1, 1e-7);  // x axis turned onto y
    EXPECT_NEAR(m.data[0][1], -1, 1e-7);
    EXPECT_EQ(m.data[3][3], 1);

    const Matrix r = euler2matrix({0, 0, 0});
    EXPECT_EQ(r.irow, 3);
    EXPECT_EQ(r.iline, 3);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_EQ(r.data[i][j], (i == j && i < 3) ? 1.0f : 0.0f) << i << j;
}

TEST(Conversions, QuaternionRoundTrip) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> angle(-3.1f, 3.1f), pitch(-1.5f, 1.5f);
    for (int n = 0; n < 500; ++n) {
        const eul e{angle(rng), pitch(rng), angle(rng)};
        const ort q = euler2quaternion(e);
        EXPECT_NEAR(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z, 1.0, 1e-6);
        const eul back = quaternion2euler(q);
        EXPECT_NEAR(back.rx, e.rx, 1e-3);
        EXPECT_NEAR(back.ry, e.ry, 1e-3);
        EXPECT_NEAR(back.rz, e.rz, 1e-3);
    }
}

TEST(Conversions, QuaternionEdges) {
    const eul zero = quaternion2euler({1, 0, 0, 0});
    EXPECT_EQ(zero.rx, 0);
    EXPECT_EQ(zero.ry, 0);
    EXPECT_EQ(zero.rz, 0);
    EXPECT_TRUE(std::isnan(quaternion2euler({1, 0, 1, 0}).ry));  // not of unit length

    const ort half_turn = euler2quaternion({0, 0, float(kPi)});
    EXPECT_NEAR(half_turn.w, 0, 1e-7);
    EXPECT_NEAR(half_turn.z, 1, 1e-7);
}

TEST(Conversions, GimbalLockIsNotSpecialCased) {
    Matrix m = pos2matrix(make_pose(0, 0, 0, 0, 0, 0));
    // Rotation by +90 degrees about y: R20 = -1.
    m.data[0][0] = 0, m.data[0][2] = 1, m.data[2][0] = -1, m.data[2][2] = 0;
    const Pose p = matrix2pos(m);
    EXPECT_FLOAT_EQ(p.euler.ry, float(kPi / 2));
    EXPECT_EQ(p.euler.rx, 0);
    EXPECT_EQ(p.euler.rz, 0);
}

TEST(Linalg, ProductAccumulatesInDouble) {
    Transform a = Transform::zero(), b = Transform::zero();
    a.m[0][0] = 1e8f, a.m[0][1] = 1.0f, a.m[0][2] = -1e8f;
    b.m[0][0] = b.m[1][0] = b.m[2][0] = 1.0f;
    EXPECT_EQ((a * b).m[0][0], 1.0f);  // a float running sum would lose the 1
}

TEST(Linalg, InverseOfRandomTransforms) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> angle(-3, 3), len(-2, 2);
    for (int n = 0; n < 200; ++n) {
        const Transform t = euler_transform({angle(rng), angle(rng) / 2, angle(rng)}, len(rng), len(rng), len(rng));
        Transform inv;
        ASSERT_TRUE(invert(t, &inv));
        const Transform id = t * inv;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) EXPECT_NEAR(id.m[i][j], i == j ? 1.0 : 0.0, 1e-6);
    }
    // A general (non-rigid) matrix needs the full pivot search.
    Transform g = {{{0, 2, 0, 0}, {0, 0, 0, 3}, {4, 0, 0, 0}, {0, 0, 5, 0}}};
    Transform g_inv;
    ASSERT_TRUE(invert(g, &g_inv));
    EXPECT_FLOAT_EQ(g_inv.m[1][0], 0.5f);
    EXPECT_FLOAT_EQ(g_inv.m[3][1], 1.0f / 3);
    EXPECT_FLOAT_EQ(g_inv.m[0][2], 0.25f);
    EXPECT_FLOAT_EQ(g_inv.m[2][3], 0.2f);
}

TEST(Linalg, SingularMatrixGivesZeroInsteadOfDividingByZero) {
    const Transform kSingular[] = {
        Transform::zero(),
        {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 1}}},      // flat rotation
        {{{1, 2, 3, 0}, {2, 4, 6, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}},      // dependent rows
        {{{0.3f, 0.7f, 0.1f, 1}, {0.6f, 1.4f, 0.2f, 2}, {1, 1, 1, 1}, {0, 0, 0, 1}}},
    };
    for (const Transform& s : kSingular) {
        Transform inv = Transform::identity();
        EXPECT_FALSE(invert(s, &inv));
        for (const auto& row : inv.m)
            for (float v : row) EXPECT_EQ(v, 0.0f);
    }
}

}  // namespace
}  // namespace arx::kin::test
