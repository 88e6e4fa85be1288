// Connection start-up: the controller's active frames and mounting angles are
// loaded into the kinematic state before Arm_Socket_Start returns.
#include "kinematics/state.h"
#include "support/fake_controller.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace arx::test {
namespace {

const kin::KinematicState& state = kin::kinematic_state();

void script(FakeController& fc, const char* tool_pose, const char* work_pose) {
    fc.on("get_current_tool_frame", std::string(R"({"state":"current_tool_frame","tool_name":"tip","pose":)") +
                                        tool_pose + R"(,"payload":0,"position":[0,0,0]})");
    fc.on("get_current_work_frame", std::string(R"({"state":"current_work_frame","frame_name":"w","pose":)") +
                                        work_pose + "}");
}

void expect_matrix(const kin::Transform& t, float x, float y, float z, float rx, float ry, float rz) {
    const Matrix expected = pos2matrix(Pose{x, y, z, ort{}, eul{rx, ry, rz}});
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(t.m[r][c], expected.data[r][c], 1e-6) << r << "," << c;
}

TEST(Startup, LoadsFramesAndASecondConnectionReplacesThem) {
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
    const float joints[7] = {0, 10, 20, 30, 40, 50, 0};
    FakeController plain;  // zero frames
    const SOCKHANDLE h0 = connect_to(plain);
    EXPECT_EQ(plain.raw_of(0), "{\"command\":\"get_current_tool_frame\"}\r\n{\"command\":\"get_current_work_frame\"}"
                               "\r\n{\"command\":\"get_install_pose\"}\r\n");
    const Pose bare = Forward_Kinematics(joints);

    FakeController tooled;
    script(tooled, "[0,0,100000,0,0,0]", "[500000,-250000,0,0,0,1571]");
    const SOCKHANDLE h1 = connect_to(tooled);
    expect_matrix(state.tool, 0, 0, 0.1f, 0, 0, 0);
    expect_matrix(state.work, 0.5f, -0.25f, 0, 0, 0, 1.571f);
    const Pose tip = Forward_Kinematics(joints);  // 0.1 m beyond the flange
    EXPECT_NEAR(std::hypot(tip.x - bare.x, tip.y - bare.y, tip.z - bare.z), 0.1f, 1e-4);

    FakeController other;
    script(other, "[0,0,0,0,1571,0]", "[0,0,1000000,0,0,0]");
    other.on("get_install_pose", R"({"state":"install_pose","pose":[0,0,90]})");
    const SOCKHANDLE h2 = connect_to(other);
    expect_matrix(state.tool, 0, 0, 0, 0, 1.571f, 0);
    expect_matrix(state.work, 0, 0, 1.0f, 0, 0, 0);
    EXPECT_NEAR(state.install[2], M_PI / 2, 1e-5);
    for (SOCKHANDLE h : {h0, h1, h2}) EXPECT_TRUE(h > 5 && h != ARX_START_FAILED_HANDLE) << h;
}

// A failed tool-frame query sends no work-frame query; either failure refuses
// the connection. A failed mounting query does not.
TEST(Startup, FrameFailuresRefuseTheConnectionMountingFailureDoesNot) {
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
    FakeController bad_tool, bad_work, bad_mounting;
    bad_tool.on("get_current_tool_frame", R"({"state":"current_tool_frame","tool_name":"tip"})");
    EXPECT_EQ(connect_to(bad_tool), ARX_START_FAILED_HANDLE);
    EXPECT_EQ(bad_tool.lines().size(), 1u);  // no work-frame query
    script(bad_work, "[0,0,0,0,0,0]", "[0,0,0]");
    EXPECT_EQ(connect_to(bad_work), ARX_START_FAILED_HANDLE);

    script(bad_mounting, "[0,0,50000,0,0,0]", "[0,0,0,0,0,0]");
    bad_mounting.on("get_install_pose", R"({"state":"install_pose","pose":"level"})");
    const SOCKHANDLE h = connect_to(bad_mounting);
    ASSERT_TRUE(h > 5 && h != ARX_START_FAILED_HANDLE) << h;
    expect_matrix(state.tool, 0, 0, 0.05f, 0, 0, 0);
    EXPECT_EQ(Arm_Socket_State(h), 0);  // the handle works
}

}  // namespace
}  // namespace arx::test
