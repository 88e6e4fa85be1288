// The connection registry, and the start-up that loads the active frames and mounting angles.
#include "core/connections.h"
#include "core/library.h"
#include "core/platform.h"
#include "kinematics/state.h"
#include "protocol/startup.h"
#include "support/fake_controller.h"

#include <gtest/gtest.h>

#include <cmath>

namespace arx::test {
namespace {

char kIp[] = "127.0.0.1";

int registered() {
    int n = 0;
    core::ConnectionView view;
    for (int entry = 0; entry < core::kMaxConnections; ++entry) n += core::registry().view(entry, &view);
    return n;
}

// Registry tests skip the frame queries of the connection start-up.
class Registry : public ::testing::Test {
protected:
    Registry() { protocol::override_connection_startup([](SOCKHANDLE) { return 0; }); }
    ~Registry() override { protocol::override_connection_startup(nullptr); }
    FakeController fc;
};

TEST_F(Registry, ReusesClosedEntriesAndRefusesWithFourWhenFull) {
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
    for (int i = 0; i < 301; ++i) {
        SOCKHANDLE h = connect_to(fc);
        ASSERT_GT(h, 5u) << "cycle " << i;
        Arm_Socket_Close(h);
    }
    std::vector<SOCKHANDLE> open;
    for (int i = 0; i < 300; ++i) ASSERT_GT(open.emplace_back(connect_to(fc)), 5u) << i;
    EXPECT_EQ(connect_to(fc), static_cast<SOCKHANDLE>(ARX_NETWORK_START_FAILED));
    Arm_Socket_Close(open.back());
    open.back() = connect_to(fc);
    EXPECT_GT(open.back(), 5u);
    for (SOCKHANDLE h : open) Arm_Socket_Close(h);
}

// A peer that never answers the handshake (here: a listener whose backlog is full) makes the connect fail with 5 after
// the reply timeout, not after the system's minutes.
TEST_F(Registry, ConnectWithoutAnswerGivesUpAfterTheReplyTimeout) {
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
    int port = 0;
    const platform::Socket listener = platform::tcp_listen_loopback(&port, 0);
    std::vector<platform::Socket> fillers;
    // Fill the backlog: connects that complete until one hangs.
    for (int i = 0; i < 8; ++i) {
        platform::Socket s = platform::tcp_socket();
        fillers.push_back(s);
        if (!platform::tcp_connect(s, kIp, port, 200)) break;
    }
    const auto start = platform::monotonic_ms();
    EXPECT_EQ(Arm_Socket_Start(kIp, port, 100), static_cast<SOCKHANDLE>(ARX_CONNECT_FAILED));
    const auto took = platform::monotonic_ms() - start;
    EXPECT_GE(took, core::kReplyTimeoutMs - 20);
    EXPECT_LT(took, core::kReplyTimeoutMs + 500);
    EXPECT_EQ(registered(), 0);
    for (platform::Socket s : fillers) platform::close_socket(s);
    platform::close_socket(listener);
}

void script(FakeController& fc, const char* tool_pose, const char* work_pose) {
    fc.on("get_current_tool_frame", std::string(R"({"state":"current_tool_frame","tool_name":"tip","pose":)") + tool_pose +
                                        R"(,"payload":0,"position":[0,0,0]})");
    fc.on("get_current_work_frame", std::string(R"({"state":"current_work_frame","frame_name":"w","pose":)") + work_pose + "}");
}

void expect_matrix(const kin::Transform& t, float x, float y, float z, float rx, float ry, float rz) {
    const Matrix expected = pos2matrix(Pose{x, y, z, ort{}, eul{rx, ry, rz}});
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(t.m[r][c], expected.data[r][c], 1e-6) << r << "," << c;
}

// A failed tool-frame query refuses the connection: no work-frame query, the socket closed, its registry entry freed.
TEST(Startup, LoadsFramesAndASecondConnectionReplacesThem) {
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
    const kin::KinematicState& state = kin::kinematic_state();
    const float joints[7] = {0, 10, 20, 30, 40, 50, 0};
    FakeController plain, tooled, other, bad_tool;  // plain: zero frames
    ASSERT_NE(connect_to(plain), ARX_START_FAILED_HANDLE);
    const Pose bare = Forward_Kinematics(joints);
    script(tooled, "[0,0,100000,0,0,0]", "[500000,-250000,0,0,0,1571]");
    ASSERT_NE(connect_to(tooled), ARX_START_FAILED_HANDLE);
    expect_matrix(state.tool, 0, 0, 0.1f, 0, 0, 0);
    expect_matrix(state.work, 0.5f, -0.25f, 0, 0, 0, 1.571f);
    const Pose tip = Forward_Kinematics(joints);  // 0.1 m beyond the flange
    EXPECT_NEAR(std::hypot(tip.x - bare.x, tip.y - bare.y, tip.z - bare.z), 0.1f, 1e-4);
    script(other, "[0,0,0,0,1571,0]", "[0,0,1000000,0,0,0]");
    other.on("get_install_pose", R"({"state":"install_pose","pose":[0,0,90]})");
    ASSERT_NE(connect_to(other), ARX_START_FAILED_HANDLE);
    expect_matrix(state.tool, 0, 0, 0, 0, 1.571f, 0);
    expect_matrix(state.work, 0, 0, 1.0f, 0, 0, 0);
    EXPECT_NEAR(state.install[2], M_PI / 2, 1e-5);
    bad_tool.on("get_current_tool_frame", R"({"state":"current_tool_frame","tool_name":"tip"})");
    const int open = registered();
    EXPECT_EQ(connect_to(bad_tool), ARX_START_FAILED_HANDLE);
    EXPECT_EQ(bad_tool.lines().size(), 1u);
    EXPECT_EQ(registered(), open);
    EXPECT_TRUE(bad_tool.wait_closed_by_library(0));
}

}  // namespace
}  // namespace arx::test
