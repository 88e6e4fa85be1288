// arx-sim's injected faults, seen through the library: each fault gives the
// result code (and takes the time) that the library promises for it.
#include "conformance/sim_process.h"
#include "support/command_cases.h"
#include "support/manual_clock.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace arx::test {
namespace {

float g_joints[7];
const float kTarget[7] = {10, 30, 60, 5, 80, -20, 0};

struct FaultCase {
    const char* name;
    const char* word;
    const char* fault;
    std::function<int(SOCKHANDLE)> call;
    int rc;
    int min_ms, max_ms;  // how long the call takes
    // The library's own limit: timed on a hand-moved clock too (else the simulator's time is part of it).
    bool library_limit = false;
};

int query(SOCKHANDLE h) { return Get_Joint_Degree(h, g_joints); }
int move(SOCKHANDLE h) { return Movej_Cmd(h, kTarget, 50, 0, true); }
int step(SOCKHANDLE h) { return Joint_Step_Cmd(h, 1, 5, 50, true); }

const FaultCase kFaults[] = {
    {"dropped_reply_times_out", "get_joint_degree", "drop", query, ARX_REPLY_TIMEOUT, 3000, 4000, true},
    {"late_reply_within_the_limit", "get_joint_degree", "delay:400", query, 0, 400, 1000},
    {"reply_split_across_writes", "get_joint_degree", "split:60", query, 0, 60, 600},
    {"refused_move_arrives_false", "movej", "refuse", move, ARX_CONTROLLER_FALSE, 0, 3000},
    {"connection_reset_mid_reply", "get_joint_degree", "reset", query, ARX_REPLY_TIMEOUT, 0, 4000, true},
    {"controller_stops_reading", "get_joint_degree", "deaf", query, ARX_REPLY_TIMEOUT, 3000, 4000, true},
    // A dropped step is never acknowledged, and its arrival is not reported either.
    {"dropped_step_times_out", "set_joint_step", "drop", step, ARX_REPLY_TIMEOUT, 3000, 4000, true},
    // A stalled arm never moves: 23 s waiting for the arrival report, then it finds the arm standing.
    {"stalled_move_returns_standstill", "movej", "stall", move, ARX_MOVE_NOT_COMPLETED, 23000, 30000, true},
};

// A case and the clock it runs on (hand-moved only for the library's limits).
struct ClockedFault {
    FaultCase fault;
    bool manual;
};
std::vector<ClockedFault> clocked_faults() {
    std::vector<ClockedFault> all;
    for (const FaultCase& c : kFaults) {
        all.push_back({c, false});
        if (c.library_limit) all.push_back({c, true});
    }
    return all;
}

class SimFaultCases : public ::testing::TestWithParam<ClockedFault>, protected SimConnection {};

TEST_P(SimFaultCases, GiveTheLibrarysCode) {
    ASSERT_NO_FATAL_FAILURE(start("A", ARM_MODEL_A));
    const FaultCase& c = GetParam().fault;
    ASSERT_TRUE(sim->set_fault(c.word, c.fault));
    TestClock clock(GetParam().manual);
    const auto start_time = clock.now_ms();
    EXPECT_EQ(clock.run([&] { return c.call(h); }), c.rc);
    const long long took = clock.now_ms() - start_time;
    EXPECT_GE(took, c.min_ms);
    EXPECT_LE(took, c.max_ms);
}

INSTANTIATE_TEST_SUITE_P(Faults, SimFaultCases, ::testing::ValuesIn(clocked_faults()),
                         [](const ::testing::TestParamInfo<ClockedFault>& info) {
                             const FaultCase& c = info.param.fault;
                             if (!c.library_limit) return std::string(c.name);
                             return std::string(c.name) + (info.param.manual ? "_ManualClock" : "_RealClock");
                         });

// Two replies that leave in one write both reach their callers: the held
// joint reply goes out with the speed reply asked for meanwhile. A fault
// chosen at start is lifted at run time.
TEST(SimFault, RepliesInOneWriteBothArriveAndTheFaultIsLifted) {
    SimConnection arm;
    ASSERT_NO_FATAL_FAILURE(arm.start("A", ARM_MODEL_A, {"--fault", "get_joint_degree=batch"}));
    int degree_rc = -1;
    std::thread first([&] { degree_rc = Get_Joint_Degree(arm.h, g_joints); });
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    float speed[7] = {};
    EXPECT_EQ(Get_Joint_Speed(arm.h, speed), 0);
    first.join();
    EXPECT_EQ(degree_rc, 0);
    EXPECT_FLOAT_EQ(speed[0], 180);
    EXPECT_FLOAT_EQ(g_joints[2], 70);  // the arm's power-on pose

    ASSERT_TRUE(arm.sim->set_fault("get_joint_degree", "none"));
    const auto start_time = std::chrono::steady_clock::now();
    EXPECT_EQ(Get_Joint_Degree(arm.h, g_joints), 0);
    EXPECT_LT(ms_since(start_time), 300) << "no longer held";
    EXPECT_FALSE(arm.sim->set_fault("get_joint_degree", "melt"));
}

}  // namespace
}  // namespace arx::test
