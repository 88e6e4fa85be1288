#include <gtest/gtest.h>

#include "kin_test_util.h"
#include "kinematics/forward.h"

namespace arx::kin::test {
namespace {

// Away from singular configurations, where the joint angles are ill-defined.
bool well_conditioned(const std::vector<float>& q) {
    const KinematicState& s = kinematic_state();
    if (const Point w = wrist_centre(q.data()); std::hypot(w.x, w.y) < 0.08) return false;
    auto sine = [&](int i) { return std::fabs(std::sin(q[i] * kDeg)); };
    if (seven_axis(*s.arm)) {
        const double e = 0.21 * std::cos(q[3] * kDeg) + 0.256, fo = 0.21 * std::sin(q[3] * kDeg);
        const double p1x = std::cos(q[1] * kDeg) * std::cos(q[2] * kDeg) * fo + std::sin(q[1] * kDeg) * e;
        return sine(3) > 0.26 && sine(5) > 0.26 && std::fabs(p1x) > 0.05;
    }
    const double elbow = (q[2] + s.arm->link[2].offset_deg) * kDeg - std::atan2(s.arm->link[3].d, s.arm->link[3].a);
    return sine(4) > 0.26 && std::fabs(std::sin(elbow)) > 0.26;
}

class RoundTrip : public testing::TestWithParam<ArmModelSpec> {};

TEST_P(RoundTrip, InverseOfForwardReturnsTheJoints) {
    Init_Sys_Data(GetParam().model);
    std::mt19937 rng(1000 + GetParam().model);
    for (bool with_tool : {false, true}) {
        if (with_tool) setAngle(5, -10, 45);
        if (with_tool) store_tool_frame(pos2matrix(make_pose(0.02f, -0.01f, 0.08f, 0.2f, -0.3f, 0.5f)));
        for (int checked = 0; checked < 1500;) {
            const std::vector<float> q = random_joints_within(rng, *kinematic_state().arm, 0.88f);
            if (!well_conditioned(q)) continue;
            ++checked;
            const Pose target = Forward_Kinematics(q.data());
            float out[7] = {};
            ASSERT_EQ(inverse_kinematics(q.data(), &target, out, 1), 1) << "tool " << with_tool << " #" << checked;
            for (size_t i = 0; i < q.size(); ++i)
                ASSERT_NEAR(out[i], q[i], 1e-3) << "tool " << with_tool << " #" << checked << " joint " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllModels, RoundTrip, testing::ValuesIn(kArmModels), model_name);

// Target Forward_Kinematics(from), solved near `current`: the code, the joints (NaN: not pinned).
using J = std::vector<float>;
struct IkCase { const char* what; int model; J from, current; unsigned char flag; int code; double tol; J expected; };

TEST(Inverse, PinnedSolutionsAndCodes) {
    const float nan = std::nanf("");
    const J a = {20, 30, 40, 50, 60, 70}, a350 = {20, 30, 40, 50, 60, 350}, a_aligned = {20, 30, 40, 50, 0, 70},
            a_tilted = {20, 30, 40, 50, 3, 70}, b = {20, 30, 40, 50, 60, 70, 80}, b35 = {35, 30, 40, 50, 60, 70, 80},
            b_down = {20, 30, 40, -50, 60, 70, 80}, b_straight = {20, 30, 40, -5, 60, 70, 80};
    const IkCase cases[] = {
        {"A flipped wrist", ARM_MODEL_A, a, {20, 30, 40, -130, -60, -110}, 1, 1, 2e-3, {20, 30, 40, -130, -60, -110}},
        {"A upright wrist", ARM_MODEL_A, a, {}, 1, 1, 2e-3, a},
        {"A joint 6 takes the short way", ARM_MODEL_A, a350, {}, 1, 1, 2e-3, {20, 30, 40, 50, 60, -10}},
        {"A joint 6 stays past a turn", ARM_MODEL_A, a350, {0, 0, 0, 0, 0, 350}, 1, 1, 2e-3, a350},
        {"A aligned wrist splits the sum", ARM_MODEL_A, a_aligned, {}, 1, 1, 2e-3, {20, 30, 40, 60, 0, 60}},
        // Three degrees from aligned the wrist angles matter one by one: no split.
        {"A nearly aligned wrist stays unsplit", ARM_MODEL_A, a_tilted, {}, 1, 1, 2e-3, a_tilted},
        {"A joint 2 beyond its window", ARM_MODEL_A, {0, 135, 0, 0, 30, 0}, {0, 135, 0, 0, 30, 0}, 1, -9, 0, {}},
        {"B joint 1 14 degrees away", ARM_MODEL_B, b, {34, 30, 40, 50, 60, 70, 80}, 1, 1, 0.05, b},
        {"B joint 1 15 degrees away", ARM_MODEL_B, b, b35, 1, -3, 0, J(7, -1)},  // output untouched
        {"B 15 degrees away, unbounded", ARM_MODEL_B, b, b35, 2, 1, 0.05, b},
        // Joint 3 is held within a few ten-thousandths of a radian of the current one.
        {"B joint 3 scan", ARM_MODEL_B, b, {21, 30, 40, 50, 60, 70, 80}, 1, 1, 1e-3, {nan, nan, 39.977f, 50}},
        {"B elbow sign kept", ARM_MODEL_B, b_down, b_down, 1, 1, 1e-3, b_down},
        {"B elbow sign free with flag 2", ARM_MODEL_B, b_down, b_down, 2, 1, 1e-3, {nan, nan, nan, 50}},
        // Nearly stretched: the positive elbow is near but leads nowhere; find the negative one.
        {"B nearly stretched elbow", ARM_MODEL_B, b_straight, b_straight, 1, 1, 0, {}},
    };
    for (const IkCase& c : cases) {
        Init_Sys_Data(c.model);
        J current = c.current;
        current.resize(7);
        const Pose target = Forward_Kinematics(c.from.data());
        float out[7] = {-1, -1, -1, -1, -1, -1, -1};
        EXPECT_EQ(inverse_kinematics(current.data(), &target, out, c.flag), c.code) << c.what;
        expect_near_all(J(out, out + 7), c.expected, c.tol, c.what);
        if (c.code == 1) EXPECT_LT(transform_distance(Forward_Kinematics(out), target), 1e-5) << c.what;
    }
}

// At a stretched elbow the elbow cosine may round past 1; such targets are still reached.
TEST(Inverse, StretchedElbowRoundTrips) {
    // The six-axis forearm lines up with the upper arm where theta3 = atan2(d4, a4).
    auto straight_deg = [](const ArmModelSpec& arm) {
        return float(std::atan2(arm.link[3].d, arm.link[3].a) / kDeg) - arm.link[2].offset_deg;
    };
    const struct { const char* what; int model; int joint; float centre; } rows[] = {
        {"A elbow", ARM_MODEL_A, 2, straight_deg(kArmModelA)},
        {"B joint 3", ARM_MODEL_B, 2, 0},
        {"B elbow", ARM_MODEL_B, 3, 0},
        {"C1 joint 3", ARM_MODEL_C1, 2, 0},
        {"C1 elbow", ARM_MODEL_C1, 2, straight_deg(kArmModelC1)},
        {"C2 joint 3", ARM_MODEL_C2, 2, 0},
        {"C2 elbow", ARM_MODEL_C2, 2, straight_deg(kArmModelC2)},
    };
    for (const auto& row : rows) {
        Init_Sys_Data(row.model);
        std::mt19937 rng(row.model);
        for (int n = 0; n < 20; ++n) {
            std::vector<float> q = random_joints_within(rng, *kinematic_state().arm, 0.9f);
            for (int step = -5; step <= 5; ++step) {
                q[row.joint] = row.centre + 0.01f * step;
                const Pose target = Forward_Kinematics(q.data());
                float out[7];
                EXPECT_EQ(inverse_kinematics(q.data(), &target, out, 1), 1) << row.what << " #" << n << " step " << step;
                EXPECT_TRUE(reaches(out, target, 1e-5)) << row.what << " #" << n << " step " << step;
            }
        }
    }
    // Only rounding is forgiven: 0.1 mm past the stretched reach (shoulder 0.2405 m up) is out of reach.
    const struct { int model; J stretched; int code; } beyond[] = {
        {ARM_MODEL_A, {20, 30, 0, 50, 60, 70}, -9}, {ARM_MODEL_B, {20, 30, 40, 0, 60, 70, 80}, -1}};
    for (const auto& row : beyond) {
        Init_Sys_Data(row.model);
        Pose target = Forward_Kinematics(row.stretched.data());
        const double push = 1e-4 / std::hypot(target.x, target.y, target.z - 0.2405);  // along shoulder to target
        target.x += float(push * target.x);
        target.y += float(push * target.y);
        target.z += float(push * (target.z - 0.2405));
        float out[7];
        EXPECT_EQ(inverse_kinematics(row.stretched.data(), &target, out, 1), row.code) << row.model;
    }
}

// Joint 2 turned (Newton steps) until the wrist centre lies `reach` metres out along frame 1's
// x axis; false near joint 2's limits or an aligned or stretched wrist.
bool place_wrist_centre(std::vector<float>& q, double reach) {
    const ArmModelSpec& arm = *kinematic_state().arm;
    auto along_arm = [&](const std::vector<float>& joints) {
        const Point w = wrist_centre(joints.data());
        const double theta1 = (joints[0] + arm.link[0].offset_deg) * kDeg;
        return std::cos(theta1) * w.x + std::sin(theta1) * w.y - reach;
    };
    for (int i = 0; i < 20 && std::fabs(along_arm(q)) > 3e-8; ++i) {
        std::vector<float> nudged = q;
        nudged[1] += 0.01f;
        const double per_degree = (along_arm(nudged) - along_arm(q)) / (nudged[1] - q[1]);
        if (std::fabs(per_degree) < 1e-4) return false;
        q[1] = float(q[1] - along_arm(q) / per_degree);
    }
    const Range& limit = arm.limit_deg[1];
    const double elbow = (q[2] + arm.link[2].offset_deg) * kDeg - std::atan2(arm.link[3].d, arm.link[3].a);
    return std::fabs(along_arm(q)) < 1e-7 && q[1] > limit.min + 5 && q[1] < limit.max - 5 &&
           std::fabs(std::sin((q[4] + arm.link[4].offset_deg) * kDeg)) > 0.26 && std::fabs(std::sin(elbow)) > 0.26;
}

// Wrist centre on axis 1 or micrometres off: an exact seed keeps its joints (A, C2); C1's
// (never nearer axis 1 than |d3|) on that cylinder or just outside still reaches its targets.
TEST(Inverse, WristCentreAtTheShoulderAxis) {
    auto outside_cylinder = [d3 = std::fabs(kArmModelC1.link[2].d)](double metres) { return std::sqrt(2 * d3 * metres + metres * metres); };
    const struct { int model; std::vector<double> offsets; bool pins_joints; } rows[] = {
        {ARM_MODEL_A, {0, 1e-6, -3e-6, 8e-6}, true},
        {ARM_MODEL_C2, {0, -1e-6, 3e-6}, true},
        {ARM_MODEL_C1, {0, outside_cylinder(1e-7), -outside_cylinder(2e-8), outside_cylinder(3e-6)}, false},
    };
    for (const auto& row : rows) {
        for (const double reach : row.offsets) {
            SCOPED_TRACE(testing::Message() << "model " << row.model << ", " << reach << " m off axis 1");
            Init_Sys_Data(row.model);
            setAngle(0, 0, 0);
            store_tool_frame(Transform::identity().to_matrix());
            std::mt19937 rng(row.model);
            int refused = 0, moved = 0;
            for (int placed = 0; placed < 25;) {
                std::vector<float> q = random_joints_within(rng, *kinematic_state().arm, 0.8f);
                if (!place_wrist_centre(q, reach)) continue;
                ++placed;
                const Pose target = Forward_Kinematics(q.data());
                float out[6];
                if (inverse_kinematics(q.data(), &target, out, 1) != 1) {
                    ++refused;
                    continue;
                }
                EXPECT_TRUE(reaches(out, target, 1e-5)) << "#" << placed;
                float worst = 0;
                for (int i = 0; i < 6; ++i) worst = std::max(worst, std::fabs(out[i] - q[i]));
                if (row.pins_joints && worst > 1e-2f) ++moved;
            }
            EXPECT_EQ(refused, 0) << "targets refused of 25";
            EXPECT_EQ(moved, 0) << "solutions away from the exact seed of 25";
        }
    }
}

// Unreachable targets and singular frames: no-solution codes and zero results, never NaN.
TEST(Inverse, UnreachableAndSingular) {
    const float zeros[7] = {}, q[7] = {20, 30, 40, 50, 60, 70, 80};
    const Pose far = make_pose(5, 0, 0.5f, 0, 0, 0);
    for (const ArmModelSpec& m : kArmModels) {
        Init_Sys_Data(m.model);
        const Pose target = Forward_Kinematics(q);
        float out[7] = {7, 7, 7, 7, 7, 7, 7};
        EXPECT_EQ(inverse_kinematics(zeros, &far, out, 1), seven_axis(m) ? -1 : -9) << m.name << " 5 m";
        store_tool_frame(Matrix{});
        EXPECT_EQ(inverse_kinematics(q, &target, out, 1), seven_axis(m) ? -3 : -9) << m.name;
        for (float v : out) EXPECT_EQ(v, 7) << m.name << ": output untouched";
        store_tool_frame(Transform::identity().to_matrix());
    }
    const Transform kSingular[] = {Transform::zero(),
        {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 1}}},  // no z axis left
        {{{1, 2, 3, 0}, {2, 4, 6, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}}};  // dependent rows
    for (const Transform& s : kSingular) {
        const Pose r = Base_To_WorkFrame(s.to_matrix(), make_pose(0.1f, 0.2f, 0.3f, 0.1f, 0.2f, 0.3f));
        expect_near_all(pose_values(r), {0, 0, 0, 0, 0, 0, 1, 0, 0, 0}, 0, "zero pose");
    }
}

// Nothing loaded yet; then the C family computes real poses from the starting identity frames.
TEST(Kinematics, BadInputAndStartingFrames) {
    const float q[7] = {10, 20, 30, 40, 50, 60};
    const Pose target = make_pose(0.3f, 0, 0.5f, 0, 0, 0);
    float out[7] = {};
    EXPECT_EQ(inverse_kinematics(q, &target, out, 1), 2);
    EXPECT_EQ(transform_distance(Forward_Kinematics(q), Pose{}), 0);
    for (int model : {ARM_MODEL_C1, ARM_MODEL_C2}) {
        Init_Sys_Data(model);
        EXPECT_GT(transform_distance(Forward_Kinematics(q), Pose{}), 0.3) << model;
    }
    EXPECT_EQ(inverse_kinematics(nullptr, &target, out, 1), ARX_NULL_POINTER);
    EXPECT_EQ(inverse_kinematics(q, &target, nullptr, 1), ARX_NULL_POINTER);
}

}  // namespace
}  // namespace arx::kin::test
