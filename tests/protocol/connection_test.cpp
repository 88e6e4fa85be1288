// Initialisation and the connection exports.
#include "arx_version.h"
#include "core/connections.h"
#include "core/library.h"
#include "core/platform.h"
#include "core/transfer_state.h"
#include "protocol/command.h"
#include "protocol/startup.h"
#include "support/fake_controller.h"

#include <gtest/gtest.h>

namespace arx::test {
namespace {

int registered() {
    core::ConnectionView views[core::kMaxConnections];
    return core::registry_snapshot(views, core::kMaxConnections);
}

// Registry tests skip the frame queries of the connection start-up.
class Registry : public ::testing::Test {
protected:
    Registry() { protocol::override_connection_startup([](SOCKHANDLE) { return 0; }); }
    ~Registry() override { protocol::override_connection_startup(nullptr); }
    FakeController fc;
};

// Unsupported model: 2 without connecting; refused connect: 5, nothing
// registered; Arm_Socket_State: 5, 18 (without pausing), 0 with its probe line,
// 6 once closed or on a socket that is not the library's.
TEST_F(Registry, StartAndStateResultCodes) {
    EXPECT_STREQ(API_Version(), ARX_VERSION_STRING);
    EXPECT_EQ(Arx_API_Init(42, nullptr), 0);
    EXPECT_EQ(connect_to(fc), static_cast<SOCKHANDLE>(ARX_NOT_INITIALISED));
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
    char ip[] = "127.0.0.1";
    int port = 0;  // nobody listens there once closed
    platform::close_socket(platform::tcp_listen_loopback(&port));
    EXPECT_EQ(Arm_Socket_Start(ip, port, 100), static_cast<SOCKHANDLE>(ARX_CONNECT_FAILED));
    EXPECT_EQ(registered(), 0);
    EXPECT_EQ(fc.connections(), 0);

    EXPECT_EQ(Arm_Socket_State(0), ARX_CONNECT_FAILED);
    core::claim_transfer(77);
    const auto start_ms = platform::monotonic_ms();
    EXPECT_EQ(Arm_Socket_State(77), ARX_FILE_TRANSFER_BUSY);
    EXPECT_LT(platform::monotonic_ms() - start_ms, core::kCommandPauseMs);
    core::release_transfer(77);
    SOCKHANDLE h = connect_to(fc);
    EXPECT_EQ(Arm_Socket_State(h), 0);
    ASSERT_TRUE(fc.wait_lines(1));
    EXPECT_EQ(fc.raw_of(0), "{\"command\":\"get_joint_max_speed\"}\r\n");
    Arm_Socket_Close(h);
    EXPECT_EQ(Arm_Socket_State(h), ARX_SEND_FAILED);
    // A socket the library does not hold (say, one that took a closed
    // handle's number) is never written to.
    platform::Socket foreign = platform::tcp_socket();
    ASSERT_TRUE(platform::tcp_connect(foreign, ip, fc.port(), 1000));
    ASSERT_TRUE(fc.wait_connections(2));
    EXPECT_EQ(Arm_Socket_State(foreign), ARX_SEND_FAILED);
    platform::sleep_ms(50);
    EXPECT_EQ(fc.raw_of(1), "");
    platform::close_socket(foreign);
}

// The joint count is fixed by the model at connect time; a reused socket
// number must find the new connection's record, not the old one.
TEST_F(Registry, JointCountFollowsTheModelAtConnectTime) {
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_B, nullptr), 0);
    SOCKHANDLE seven = connect_to(fc);
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_C2, nullptr), 0);
    SOCKHANDLE six = connect_to(fc);
    EXPECT_EQ(core::joint_count(seven), 7);
    EXPECT_EQ(core::joint_count(six), 6);
    EXPECT_EQ(core::joint_count(123456), 6);  // unknown handle
    Arm_Socket_Close(seven);
    SOCKHANDLE reused = connect_to(fc);
#ifndef _WIN32
    ASSERT_EQ(reused, seven);  // the host hands out the lowest free number
#endif                         // (Windows may hand out another: the count is still the new connection's)
    EXPECT_EQ(core::joint_count(reused), 6);
    Arm_Socket_Close(reused);
    Arm_Socket_Close(six);
}

// Closed connections free their entries; 300 live ones fill the registry.
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

// Before Arx_API_Init no thread reads replies: 2 at once, nothing connects.
TEST_F(Registry, StartBeforeInitReturnsTwoWithoutConnecting) {
    char ip[] = "127.0.0.1";
    const auto start = platform::monotonic_ms();
    EXPECT_EQ(Arm_Socket_Start(ip, fc.port(), 100), static_cast<SOCKHANDLE>(ARX_NOT_INITIALISED));
    EXPECT_LT(platform::monotonic_ms() - start, 100);
    platform::sleep_ms(50);
    EXPECT_EQ(fc.connections(), 0);
}

// A peer that never answers the handshake (here: a listener whose backlog
// is full) makes the connect fail with 5 after the reply timeout, not after
// the system's minutes.
TEST_F(Registry, ConnectWithoutAnswerGivesUpAfterTheReplyTimeout) {
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
    int port = 0;
    const platform::Socket listener = platform::tcp_listen_loopback(&port, 0);
    char ip[] = "127.0.0.1";
    std::vector<platform::Socket> fillers;
    // Fill the backlog: connects that complete until one hangs.
    for (int i = 0; i < 8; ++i) {
        platform::Socket s = platform::tcp_socket();
        fillers.push_back(s);
        if (!platform::tcp_connect(s, ip, port, 200)) break;
    }
    const auto start = platform::monotonic_ms();
    EXPECT_EQ(Arm_Socket_Start(ip, port, 100), static_cast<SOCKHANDLE>(ARX_CONNECT_FAILED));
    const auto took = platform::monotonic_ms() - start;
    EXPECT_GE(took, core::kReplyTimeoutMs - 20);
    EXPECT_LT(took, core::kReplyTimeoutMs + 500);
    EXPECT_EQ(registered(), 0);
    for (platform::Socket s : fillers) platform::close_socket(s);
    platform::close_socket(listener);
}

// A handle the library does not know carries six joint values on both sides,
// whatever the current arm model.
TEST_F(Registry, UnknownHandleCountsSixJointsBothWays) {
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_B, nullptr), 0);
    EXPECT_EQ(protocol::request_joints(123456), 6);
    EXPECT_EQ(protocol::joints(123456), 6);
    SOCKHANDLE seven = connect_to(fc);
    EXPECT_EQ(protocol::request_joints(seven), 7);
    Arm_Socket_Close(seven);
}

TEST_F(Registry, FailedStartupClosesTheSocketAndFreesTheEntry) {
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
    protocol::override_connection_startup([](SOCKHANDLE) { return static_cast<int>(ARX_REPLY_TIMEOUT); });
    EXPECT_EQ(connect_to(fc), ARX_START_FAILED_HANDLE);
    EXPECT_EQ(registered(), 0);
    EXPECT_TRUE(fc.wait_closed_by_library(0));
}

}  // namespace
}  // namespace arx::test
