// The platform contract on each host (POSIX here, WinSock and the Windows
// kernel in the cross-built suite): the receive timeout.
#include "core/platform.h"
#include "support/socket_pair.h"

#include <gtest/gtest.h>

namespace platform = arx::platform;
using arx::test::SocketPair;

namespace {

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
}

}  // namespace
