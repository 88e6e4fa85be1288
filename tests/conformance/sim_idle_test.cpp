// An idle arx-sim does not wake: no client request, no motion, no wake-up.
// Its motion clock runs only while something moves.
#include "conformance/sim_process.h"
#include "support/command_cases.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace arx::test {
namespace {

// Context switches of the simulator's main thread (serving and clock; not a
// sanitizer's own threads): one per wake-up at least.
long long switches(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/status");
    long long total = -1;
    for (std::string key; status >> key;) {
        long long n = 0;
        if (key == "voluntary_ctxt_switches:" || key == "nonvoluntary_ctxt_switches:")
            status >> n, total = std::max(total, 0LL) + n;
    }
    return total;
}

long long wake_ups_in(int pid, int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the last request's turn is over
    const long long before = switches(pid);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return switches(pid) - before;
}

// Without a client, with a client that sends nothing, after a move, and
// under a move that is stalled (it never moves): a second without a wake-up
// (a ticking clock would wake 100 times). A running move wakes it.
TEST(SimIdle, NoWakeUpsWhileNothingMoves) {
    SimProcess sim({"--speed", "0.01"});
    ASSERT_NE(sim.port(), 0);
    ASSERT_GE(switches(sim.pid()), 0);
    EXPECT_LE(wake_ups_in(sim.pid(), 1000), 1) << "no client";

    const LineClient quiet(sim.port());
    EXPECT_LE(wake_ups_in(sim.pid(), 1000), 1) << "one client, silent";

    LineClient arm(sim.port());
    // A slow move (speed 0.01): the clock ticks while it runs.
    ASSERT_NE(arm.ask(R"({"command":"movej","joint":[0,20000,71000,0,90000,0],"v":100,"r":0})"), "");
    EXPECT_GE(wake_ups_in(sim.pid(), 300), 5) << "a moving arm ticks";
    ASSERT_NE(arm.ask(R"({"command":"set_arm_stop"})"), "");
    EXPECT_LE(wake_ups_in(sim.pid(), 1000), 1) << "after the move was stopped";

    ASSERT_TRUE(sim.set_fault("movej", "stall"));
    ASSERT_NE(arm.ask(R"({"command":"movej","joint":[0,20000,72000,0,90000,0],"v":100,"r":0})"), "");
    EXPECT_LE(wake_ups_in(sim.pid(), 1000), 1) << "a stalled move";
}

}  // namespace
}  // namespace arx::test
