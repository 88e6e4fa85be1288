// Connection start-up: the controller's active frames and mounting angles are
// loaded into the kinematic state before Arm_Socket_Start returns.
#include "kinematics/state.h"
#include "support/fake_controller.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using arx::test::FakeController;
using arx::test::connect_to;

namespace {

std::string tool_reply(const char* pose) {
    return std::string(R"({"state":"current_tool_frame","tool_name":"tip","pose":)") + pose +
           R"(,"payload":0,"position":[0,0,0]})";
}
std::string work_reply(const char* pose) {
    return std::string(R"({"state":"current_work_frame","frame_name":"w","pose":)") + pose + "}";
}

void expect_matrix(const arx::kin::Transform& t, const Matrix& expected) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(t.m[r][c], expected.data[r][c], 1e-6) << r << "," << c;
}

Matrix matrix_of(float x, float y, float z, float rx, float ry, float rz) {
    Pose p{};
    p.x = x, p.y = y, p.z = z;
    p.euler = eul{rx, ry, rz};
    return pos2matrix(p);
}

float distance(const Pose& a, const Pose& b) {
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

class Startup : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0); }
    const arx::kin::KinematicState& state = arx::kin::kinematic_state();
};

}  // namespace

TEST_F(Startup, LoadsFramesAndMountingAngles) {
    const float joints[7] = {0, 10, 20, 30, 40, 50, 0};
    FakeController plain;  // default answers: zero frames
    const SOCKHANDLE h0 = connect_to(plain);
    ASSERT_NE(h0, ARX_START_FAILED_HANDLE);
    EXPECT_EQ(plain.commands(), (std::vector<std::string>{"get_current_tool_frame", "get_current_work_frame",
                                                          "get_install_pose"}));
    expect_matrix(state.tool, matrix_of(0, 0, 0, 0, 0, 0));  // zero pose: identity
    const Pose bare = Forward_Kinematics(joints);

    FakeController tooled;
    tooled.on("get_current_tool_frame", tool_reply("[0,0,100000,0,0,0]"));
    tooled.on("get_current_work_frame", work_reply("[500000,-250000,0,0,0,1571]"));
    const SOCKHANDLE h1 = connect_to(tooled);
    ASSERT_NE(h1, ARX_START_FAILED_HANDLE);
    expect_matrix(state.tool, matrix_of(0, 0, 0.1f, 0, 0, 0));
    expect_matrix(state.work, matrix_of(0.5f, -0.25f, 0, 0, 0, 1.571f));
    // The tool centre point is now 0.1 m beyond the flange.
    EXPECT_NEAR(distance(Forward_Kinematics(joints), bare), 0.1f, 1e-4);

    // A second connection replaces both matrices with its own frames.
    FakeController other;
    other.on("get_current_tool_frame", tool_reply("[0,0,0,0,1571,0]"));
    other.on("get_current_work_frame", work_reply("[0,0,1000000,0,0,0]"));
    other.on("get_install_pose", R"({"state":"install_pose","pose":[0,0,90]})");
    const SOCKHANDLE h2 = connect_to(other);
    ASSERT_NE(h2, ARX_START_FAILED_HANDLE);
    expect_matrix(state.tool, matrix_of(0, 0, 0, 0, 1.571f, 0));
    expect_matrix(state.work, matrix_of(0, 0, 1.0f, 0, 0, 0));
    EXPECT_NEAR(state.install[2], M_PI / 2, 1e-5);
    Arm_Socket_Close(h0);
    Arm_Socket_Close(h1);
    Arm_Socket_Close(h2);
}

TEST_F(Startup, FailedFrameQueryRefusesTheConnection) {
    FakeController loaded;
    loaded.on("get_current_tool_frame", tool_reply("[0,0,200000,0,0,0]"));
    loaded.on("get_current_work_frame", work_reply("[300000,0,0,0,0,0]"));
    const SOCKHANDLE h = connect_to(loaded);
    ASSERT_NE(h, ARX_START_FAILED_HANDLE);
    const arx::kin::Transform tool = state.tool, work = state.work;

    struct Case { const char* what; std::string tool; std::string work; std::vector<std::string> sent; };
    const Case cases[] = {
        {"tool pose missing", R"({"state":"current_tool_frame","tool_name":"tip"})", work_reply("[0,0,0,0,0,0]"),
         {"get_current_tool_frame"}},
        {"tool name not text", R"({"state":"current_tool_frame","tool_name":5})", work_reply("[0,0,0,0,0,0]"),
         {"get_current_tool_frame"}},
        {"work pose too short", tool_reply("[0,0,0,0,0,0]"), work_reply("[0,0,0]"),
         {"get_current_tool_frame", "get_current_work_frame"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeController failing;
        failing.on("get_current_tool_frame", c.tool);
        failing.on("get_current_work_frame", c.work);
        EXPECT_EQ(connect_to(failing), ARX_START_FAILED_HANDLE);
        EXPECT_EQ(failing.commands(), c.sent);
        // Matrices keep what the last successful start-up loaded.
        EXPECT_EQ(std::memcmp(&state.tool, &tool, sizeof tool), 0);
        EXPECT_EQ(std::memcmp(&state.work, &work, sizeof work), 0);
    }
    Arm_Socket_Close(h);
}

TEST_F(Startup, FailedMountingQueryIsIgnored) {
    FakeController fc;
    fc.on("get_current_tool_frame", tool_reply("[0,0,50000,0,0,0]"));
    fc.on("get_install_pose", R"({"state":"install_pose","pose":"level"})");
    const SOCKHANDLE h = connect_to(fc);
    ASSERT_NE(h, ARX_START_FAILED_HANDLE);
    ASSERT_GT(h, 5u);
    EXPECT_EQ(fc.count("get_install_pose"), 1u);
    expect_matrix(state.tool, matrix_of(0, 0, 0.05f, 0, 0, 0));
    // The handle works.
    fc.on("get_arm_plan_num", R"({"state":"arm_plan_num","plan_num":4})");
    int plan = 0;
    EXPECT_EQ(Get_Arm_Plan_Num(h, &plan), 0);
    EXPECT_EQ(plan, 4);
    Arm_Socket_Close(h);
}
