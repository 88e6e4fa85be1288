// Initialisation and the connection exports.
#include "core/connections.h"
#include "core/library.h"
#include "core/platform.h"
#include "core/startup.h"
#include "support/fake_controller.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace arx::test {
namespace {

constexpr int kUnknownModel = 42;

SOCKHANDLE start(int port, int recv_timeout_ms = 100) {
    char ip[] = "127.0.0.1";
    return Arm_Socket_Start(ip, port, recv_timeout_ms);
}

// A port on which nobody listens.
int refused_port() {
    int port = 0;
    platform::Socket s = platform::tcp_listen_loopback(&port);
    platform::close_socket(s);
    return port;
}

int quick_startup(SOCKHANDLE) { return 0; }

// Registry tests connect hundreds of times; the frame queries of the real
// start-up are covered elsewhere, so they are skipped here.
struct QuickStartup {
    QuickStartup() { core::override_connection_startup(quick_startup); }
    ~QuickStartup() { core::override_connection_startup(nullptr); }
};

TEST(Library, VersionText) { EXPECT_STREQ(API_Version(), "4.0.6"); }

TEST(Library, ConnectsBeforeInitialisationWithTheDefaultModel) {
    QuickStartup quick;
    FakeController fc;
    SOCKHANDLE h = start(fc.port());
    EXPECT_GT(h, 5u);
    EXPECT_EQ(core::joint_count(h), 6);
    EXPECT_EQ(core::connection_model(h), ARM_MODEL_A);
    Arm_Socket_Close(h);
}

TEST(Library, UnsupportedModelRefusesWithTwoWithoutConnecting) {
    FakeController fc;
    EXPECT_EQ(Arx_API_Init(kUnknownModel, nullptr), 0);
    EXPECT_EQ(start(fc.port()), static_cast<SOCKHANDLE>(ARX_NOT_INITIALISED));
    core::pause_ms(30);
    EXPECT_EQ(fc.connections(), 0);
}

TEST(Library, RefusedConnectGivesFiveAndRegistersNothing) {
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
    EXPECT_EQ(start(refused_port()), static_cast<SOCKHANDLE>(ARX_CONNECT_FAILED));
    core::ConnectionView views[core::kMaxConnections];
    EXPECT_EQ(core::registry_snapshot(views, core::kMaxConnections), 0);
}

TEST(Library, BadAddressGivesFive) {
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
    char ip[] = "not an address";
    EXPECT_EQ(Arm_Socket_Start(ip, 80, 100), static_cast<SOCKHANDLE>(ARX_CONNECT_FAILED));
}

TEST(Library, JointCountFollowsTheModelAtConnectTime) {
    QuickStartup quick;
    FakeController fc;
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_B, nullptr), 0);
    SOCKHANDLE seven = start(fc.port());
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_C2, nullptr), 0);
    SOCKHANDLE six = start(fc.port());
    EXPECT_EQ(core::joint_count(seven), 7);
    EXPECT_EQ(core::connection_model(seven), ARM_MODEL_B);
    EXPECT_EQ(core::joint_count(six), 6);
    EXPECT_EQ(core::connection_model(six), ARM_MODEL_C2);
    // Unknown handles count as six-joint connections of the current model.
    EXPECT_EQ(core::joint_count(123456), 6);
    EXPECT_EQ(core::connection_model(123456), ARM_MODEL_C2);
    Arm_Socket_Close(seven);
    Arm_Socket_Close(six);
}

// A reused socket number must find the new connection's record, not the old one.
TEST(Library, ReusedSocketNumberGetsAFreshRecord) {
    QuickStartup quick;
    FakeController fc;
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_B, nullptr), 0);
    SOCKHANDLE first = start(fc.port());
    Arm_Socket_Close(first);
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
    SOCKHANDLE second = start(fc.port());
    ASSERT_EQ(second, first);  // the host hands out the lowest free number
    EXPECT_EQ(core::joint_count(second), 6);
    Arm_Socket_Close(second);
}

TEST(Library, ConnectAndCloseMoreTimesThanTheRegistryHolds) {
    QuickStartup quick;
    FakeController fc;
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
    for (int i = 0; i < core::kMaxConnections + 1; ++i) {
        SOCKHANDLE h = start(fc.port());
        ASSERT_GT(h, 5u) << "cycle " << i;
        ASSERT_NE(h, ARX_START_FAILED_HANDLE);
        Arm_Socket_Close(h);
    }
}

TEST(Library, FullRegistryRefusesWithFourAndClosesTheSocket) {
    QuickStartup quick;
    FakeController fc;
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
    std::vector<SOCKHANDLE> open;
    for (int i = 0; i < core::kMaxConnections; ++i) {
        open.push_back(start(fc.port()));
        ASSERT_GT(open.back(), 5u) << i;
    }
    ASSERT_TRUE(fc.wait_connections(core::kMaxConnections));
    EXPECT_EQ(start(fc.port()), static_cast<SOCKHANDLE>(ARX_NETWORK_START_FAILED));
    Arm_Socket_Close(open.back());
    open.pop_back();
    SOCKHANDLE again = start(fc.port());
    EXPECT_GT(again, 5u);
    open.push_back(again);
    for (SOCKHANDLE h : open) Arm_Socket_Close(h);
}

int failing_startup(SOCKHANDLE) { return ARX_REPLY_TIMEOUT; }

TEST(Library, FailedStartupClosesTheSocketAndFreesTheEntry) {
    FakeController fc;
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
    core::override_connection_startup(failing_startup);
    EXPECT_EQ(start(fc.port()), ARX_START_FAILED_HANDLE);
    core::override_connection_startup(nullptr);
    core::ConnectionView views[core::kMaxConnections];
    EXPECT_EQ(core::registry_snapshot(views, core::kMaxConnections), 0);
    EXPECT_TRUE(fc.wait_closed_by_library(0));
    EXPECT_GT(start(fc.port()), 5u);
}

TEST(Library, SecondInitReplacesModelAndCallbackAndKeepsWorking) {
    static int calls = 0;
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_B, [](CallbackData) { ++calls; }), 0);
    EXPECT_EQ(core::arm_model(), ARM_MODEL_B);
    EXPECT_NE(core::application_callback(), nullptr);
    EXPECT_TRUE(core::initialised());
    EXPECT_EQ(core::reply_timeout_ms(), 3000);
}

// Arm_Socket_State: the write probe and its refusals.
TEST(SocketState, ProbeSendsExactLine) {
    QuickStartup quick;
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
    FakeController fc;
    SOCKHANDLE h = start(fc.port());
    fc.clear();
    EXPECT_EQ(Arm_Socket_State(h), 0);
    ASSERT_TRUE(fc.wait_lines(1));
    EXPECT_EQ(fc.raw_of(0), "{\"command\":\"get_joint_max_speed\"}\r\n");
    Arm_Socket_Close(h);
    EXPECT_EQ(Arm_Socket_State(h), ARX_SEND_FAILED);
}

TEST(SocketState, RefusalCodes) {
    EXPECT_EQ(Arm_Socket_State(0), ARX_CONNECT_FAILED);
    EXPECT_EQ(Arm_Socket_State(77), ARX_NOT_INITIALISED);  // before Arx_API_Init
    core::set_file_transfer_active(true);
    const auto start_ms = platform::monotonic_ms();
    EXPECT_EQ(Arm_Socket_State(77), ARX_FILE_TRANSFER_BUSY);
    EXPECT_LT(platform::monotonic_ms() - start_ms, core::kCommandPauseMs);
    core::set_file_transfer_active(false);
}

TEST(Library, CloseOfZeroOrUnknownHandleTouchesNothing) {
    QuickStartup quick;
    FakeController fc;
    SOCKHANDLE h = start(fc.port());
    Arm_Socket_Close(0);
    Arm_Socket_Close(h + 1000);
    EXPECT_EQ(Arm_Socket_State(h), ARX_NOT_INITIALISED);
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
    EXPECT_EQ(Arm_Socket_State(h), 0);
    Arm_Socket_Close(h);
    Arm_Socket_Close(h);  // a second close must not close someone else's descriptor
}

}  // namespace
}  // namespace arx::test
