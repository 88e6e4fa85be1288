// The platform contract on each host (POSIX here, WinSock and the Windows
// kernel in the cross-built suite): handle values and the receive timeout.
#include "core/platform.h"
#include "support/socket_pair.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace platform = arx::platform;
using arx::test::SocketPair;

namespace {

TEST(Platform, SocketValuesNeverReadAsFailureResults) {
    ASSERT_TRUE(platform::network_startup());
    std::vector<platform::Socket> sockets;
    for (int i = 0; i < 40; ++i) sockets.push_back(platform::tcp_socket());
    std::set<platform::Socket> distinct(sockets.begin(), sockets.end());
    EXPECT_EQ(distinct.size(), sockets.size());
    for (platform::Socket s : sockets) {
        EXPECT_NE(s, platform::kInvalidSocket);
        EXPECT_GE(s, 16u);  // never 0, 2, 4 or 5
        platform::close_socket(s);
    }
    platform::network_cleanup();
}

TEST(Platform, ReceiveWaitsForItsTimeoutThenFails) {
    SocketPair pair;
    ASSERT_NE(pair.peer, platform::kInvalidSocket);
    char buffer[16];
    for (int timeout_ms : {150, 400}) {
        SCOPED_TRACE(timeout_ms);
        ASSERT_TRUE(platform::set_receive_timeout(pair.ours, timeout_ms));
        const std::int64_t start = platform::monotonic_ms();
        EXPECT_LT(platform::receive_bytes(pair.ours, buffer, sizeof buffer), 0);
        const std::int64_t took = platform::monotonic_ms() - start;
        EXPECT_GE(took, timeout_ms - 20);
        EXPECT_LT(took, timeout_ms + 400);
    }
    // The peer's close reads as 0.
    platform::close_socket(pair.peer);
    pair.peer = platform::kInvalidSocket;
    EXPECT_EQ(platform::receive_bytes(pair.ours, buffer, sizeof buffer), 0);
}

}  // namespace
