// arx-sim's injected faults, seen through the library: each fault gives the
// result code (and takes the time) that the library promises for it.
#include "conformance/sim_process.h"

#include "arx_api.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace arx::test {
namespace {

using Clock = std::chrono::steady_clock;

long long ms_since(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class SimFault : public ::testing::Test {
protected:
    void start(std::vector<std::string> options) {
        options.insert(options.end(), {"--model", "A", "--speed", "20"});
        sim = std::make_unique<SimProcess>(options);
        ASSERT_NE(sim->port(), 0);
        ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
        char ip[] = "127.0.0.1";
        h = Arm_Socket_Start(ip, sim->port(), 100);
        ASSERT_TRUE(h > 5 && h != ARX_START_FAILED_HANDLE) << h;
    }
    void TearDown() override {
        if (h > 5 && h != ARX_START_FAILED_HANDLE) Arm_Socket_Close(h);
    }
    std::unique_ptr<SimProcess> sim;
    SOCKHANDLE h = 0;
};

float g_joints[7];
const float kTarget[7] = {10, 30, 60, 5, 80, -20, 0};

struct FaultCase {
    const char* name;
    const char* word;
    const char* fault;
    std::function<int(SOCKHANDLE)> call;
    int rc;
    int min_ms, max_ms;  // how long the call takes
};

int query(SOCKHANDLE h) { return Get_Joint_Degree(h, g_joints); }

const FaultCase kFaults[] = {
    {"dropped reply times out", "get_joint_degree", "drop", query, ARX_REPLY_TIMEOUT, 3000, 4000},
    {"late reply within the limit", "get_joint_degree", "delay:400", query, 0, 400, 1000},
    {"reply later than the limit", "get_joint_degree", "delay:3300", query, ARX_REPLY_TIMEOUT, 3000, 4000},
    {"reply split across writes", "get_joint_degree", "split:60", query, 0, 60, 600},
    {"reply held for a later write", "get_joint_degree", "batch", query, 0, 100, 700},
    {"refused setting", "set_joint_max_speed", "refuse", [](SOCKHANDLE h) { return Set_Joint_Speed(h, 1, 90, true); },
     ARX_CONTROLLER_FALSE, 0, 600},
    {"refused move arrives false", "movej", "refuse", [](SOCKHANDLE h) { return Movej_Cmd(h, kTarget, 50, 0, true); },
     ARX_CONTROLLER_FALSE, 0, 3000},
    {"connection reset mid-reply", "get_joint_degree", "reset", query, ARX_REPLY_TIMEOUT, 0, 4000},
    {"controller stops reading", "get_joint_degree", "deaf", query, ARX_REPLY_TIMEOUT, 3000, 4000},
};

class SimFaultCases : public SimFault, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(SimFaultCases, GiveTheLibrarysCode) {
    start({});
    const FaultCase& c = GetParam();
    ASSERT_TRUE(sim->set_fault(c.word, c.fault));
    const auto start_time = Clock::now();
    EXPECT_EQ(c.call(h), c.rc);
    const long long took = ms_since(start_time);
    EXPECT_GE(took, c.min_ms);
    EXPECT_LE(took, c.max_ms);
}

INSTANTIATE_TEST_SUITE_P(Faults, SimFaultCases, ::testing::ValuesIn(kFaults),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

// Two replies that leave in one write both reach their callers: the held
// joint reply goes out with the speed reply asked for meanwhile.
TEST_F(SimFault, RepliesInOneWriteBothArrive) {
    start({"--fault", "get_joint_degree=batch"});
    int degree_rc = -1;
    std::thread first([&] { degree_rc = Get_Joint_Degree(h, g_joints); });
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    float speed[7] = {};
    EXPECT_EQ(Get_Joint_Speed(h, speed), 0);
    first.join();
    EXPECT_EQ(degree_rc, 0);
    EXPECT_FLOAT_EQ(speed[0], 180);
    EXPECT_FLOAT_EQ(g_joints[2], 70);  // the arm's power-on pose
}

// A fault chosen at run time is lifted the same way.
TEST_F(SimFault, FaultLiftedAtRunTime) {
    start({"--fault", "get_joint_degree=drop"});
    ASSERT_TRUE(sim->set_fault("get_joint_degree", "none"));
    EXPECT_EQ(Get_Joint_Degree(h, g_joints), 0);
    EXPECT_FALSE(sim->set_fault("get_joint_degree", "melt"));
}

// Options arx-sim refuses to start with (it prints its usage and exits).
TEST(SimOptions, BadOptionsDoNotStart) {
    const std::vector<std::vector<std::string>> bad = {
        {"--fault", "movej"},
        {"--fault", "movej=melt"},
        {"--fault", "movej=delay:soon"},
        {"--fault", "movej=delay:-5"},
        {"--fault", "=drop"},
        {"--model", "D"},
        {"--speed", "0"},
        {"--port", "70000"},
        {"--port"},
        {"--verbose", "1"},
    };
    for (const auto& options : bad) {
        SimProcess sim(options);
        EXPECT_EQ(sim.port(), 0) << options[0] << " " << (options.size() > 1 ? options[1] : "");
    }
    SimProcess good({"--fault", "*=delay:5", "--model", "C2", "--speed", "0.5"});
    EXPECT_NE(good.port(), 0);
}

// A stalled arm never arrives and never moves: the move waits 23 s for the
// arrival report, then finds the arm standing still and returns 14.
TEST_F(SimFault, StalledMoveReturnsStandstill) {
    start({"--fault", "movej=stall"});
    const auto start_time = Clock::now();
    EXPECT_EQ(Movej_Cmd(h, kTarget, 50, 0, true), ARX_MOVE_NOT_COMPLETED);
    const long long took = ms_since(start_time);
    EXPECT_GE(took, 23000);
    EXPECT_LE(took, 30000);
}

}  // namespace
}  // namespace arx::test
