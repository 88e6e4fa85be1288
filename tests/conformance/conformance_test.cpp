// Every exported command against arx-sim, end to end, for each arm model: the
// sweep's rows that talk to the controller, and the arm following the commands.
// And its injected faults, seen through the library: each gives the result code
// (and takes the time) that the library promises for it.
#include "conformance/sim_process.h"
#include "kinematics/arm_models.h"
#include "support/command_cases.h"
#include "support/manual_clock.h"
#include "support/sweep.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace arx::test {

static int g_port = 0;

// The sweep's decoded values are not compared: the simulator's answers are its own.
void got(const std::string&) {}
int controller_port() { return g_port; }

namespace {

using Model = kin::ArmModelSpec;

class AgainstSim : public ::testing::TestWithParam<Model>, protected SimConnection {
protected:
    void SetUp() override {
        start(GetParam().name, GetParam().model);
        g_port = sim->port();
    }
    POSE pose_now(float* joint_out) {
        POSE pose{};
        uint16_t arm_err = 0, sys_err = 0;
        EXPECT_EQ(Get_Current_Arm_State(h, joint_out, &pose, &arm_err, &sys_err), 0);
        return pose;
    }
    static void expect_at(const POSE& got, const POSE& want, double metres) {
        EXPECT_NEAR(got.x, want.x, metres);
        EXPECT_NEAR(got.y, want.y, metres);
        EXPECT_NEAR(got.z, want.z, metres);
    }
};

// Rows asking for what the controller refuses: t2, the active tool frame, stays; a step along the tool
// axis from the stretched zero joints leaves the reach; with no axis word there is nothing to turn about.
const std::set<std::string> kRefused = {"Delete_Tool_Frame/blocking", "Delete_Work_Frame/blocking",
                                        "MoveCartesianTool_Cmd/state query fails", "Ort_Teach_Cmd/axis 3 has no word"};

// Rows whose poses are chosen for their bytes: the path to them may leave the
// reach on some model and end not arrived (paths in reach: sim_path_test).
const std::set<std::string> kPathMayLeaveReach = {
    "Movel_Cmd/blocking, report false", "Movec_Cmd/blocking, report not true/false", "Ort_Step_Cmd/truncated, arrived"};

TEST_P(AgainstSim, EveryCommandRowSucceeds) {
    ASSERT_EQ(Manual_Set_Tool_Frame(h, "tip", POSE{0, 0, 0.05f, 0, 0, 0}, 0.5f, 0, 0, 0, true), 0);  // rows name it
    int rows = 0;
    for (const SweepFamily& family : sweep_families()) {
        for (const SweepRow& row : family.rows) {
            if (!row.line) continue;  // nothing reaches the controller
            SCOPED_TRACE(std::string(family.name) + ": " + row.function + " " + row.variant);
            const std::string name = std::string(row.function) + "/" + row.variant;
            const int rc = row.call(h);
            if (kPathMayLeaveReach.count(name))
                EXPECT_TRUE(rc == ARX_SUCCESS || rc == ARX_CONTROLLER_FALSE) << rc;
            else
                EXPECT_EQ(rc, kRefused.count(name) ? ARX_CONTROLLER_FALSE : ARX_SUCCESS);
            // A queued move's arrival report must not end the next row's wait.
            ASSERT_TRUE(sim->wait_idle());
            ++rows;
        }
    }
    EXPECT_GT(rows, 200);
}

TEST_P(AgainstSim, ArmStateFollowsTheCommands) {
    float target[7] = {10, 30, 60, 5, 80, -20, 15}, now[7];
    if (GetParam().solver == kin::SolverFamily::SevenAxisHeldJoint) target[3] = 60, target[2] = 5;  // elbow: joint 4
    ASSERT_EQ(Movej_Cmd(h, target, 50, 0, true), 0);
    const POSE pose = pose_now(now);
    for (int i = 0; i < GetParam().joints; ++i) EXPECT_NEAR(now[i], target[i], 1e-3) << "joint " << i + 1;
    // The reported pose is the library's forward kinematics of the reported joints.
    const Pose computed = Forward_Kinematics(now);
    expect_at(pose, {computed.x, computed.y, computed.z}, 1e-5);

    // A straight line 5 cm down from there ends where it was sent.
    POSE lower = pose;
    lower.z -= 0.05f;
    ASSERT_EQ(Movel_Cmd(h, lower, 30, 0, true), 0);
    expect_at(pose_now(now), lower, 1e-3);

    // A step turns one joint by its amount; a tool frame moves the reported pose.
    const float first = now[0];
    ASSERT_EQ(Joint_Step_Cmd(h, 1, 5, 20, true), 0);
    const POSE flange = pose_now(now);
    EXPECT_NEAR(now[0], first + 5, 1e-3);
    ASSERT_EQ(Manual_Set_Tool_Frame(h, "grip", POSE{0, 0, 0.1f, 0, 0, 0}, 1, 0, 0, 0.05f, true), 0);
    ASSERT_EQ(Change_Tool_Frame(h, "grip", true), 0);
    FRAME frame{};
    ASSERT_EQ(Get_Current_Tool_Frame(h, &frame), 0);
    EXPECT_STREQ(frame.name.name, "grip");
    const POSE tipped = pose_now(now);
    EXPECT_GT(std::fabs(tipped.z - flange.z) + std::fabs(tipped.x - flange.x), 0.01f);

    // A downloaded trajectory file runs as a project: its moves leave the arm at the last one's joints.
    const TempFolder folder;
    std::string j7;  // the joints past six, at 0
    for (int i = 6; i < GetParam().joints; ++i) j7 += ",0";
    const std::string path = folder.write("project.txt",
        R"({"command":"movej","joint":[5000,25000,65000,0,85000,0)" + j7 + R"(],"v":50,"r":0})" "\n"
        R"({"command":"movej","joint":[-15000,30000,60000,10000,80000,5000)" + j7 + R"(],"v":50,"r":0})" "\n");
    ASSERT_EQ(Send_TrajectoryFile(h, path.c_str(), static_cast<int>(path.size()), 50), 0);
    ASSERT_TRUE(sim->wait_idle());
    ASSERT_EQ(Get_Joint_Degree(h, now), 0);
    const float last[6] = {-15, 30, 60, 10, 80, 5};
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(now[i], last[i], 1e-3) << "joint " << i + 1;
}

INSTANTIATE_TEST_SUITE_P(Models, AgainstSim, ::testing::ValuesIn(kin::kArmModels),
                         [](const ::testing::TestParamInfo<Model>& info) { return std::string(info.param.name); });

float g_joints[7];
const float kTarget[7] = {10, 30, 60, 5, 80, -20, 0};

struct FaultCase {
    const char *name, *word, *fault;
    std::function<int(SOCKHANDLE)> call;
    int rc;
    int min_ms, max_ms;  // how long the call takes
    // The library's own limit: timed on a hand-moved clock too (else the simulator's time is part of it).
    bool library_limit = false;
    bool manual_clock = false;  // that second run
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

// Every case on the real clock, and those of the library's limits on a hand-moved one too.
std::vector<FaultCase> clocked_faults() {
    std::vector<FaultCase> all(std::begin(kFaults), std::end(kFaults));
    for (FaultCase c : kFaults) {
        c.manual_clock = true;
        if (c.library_limit) all.push_back(c);
    }
    return all;
}

class SimFaultCases : public ::testing::TestWithParam<FaultCase>, protected SimConnection {};

TEST_P(SimFaultCases, GiveTheLibrarysCode) {
    ASSERT_NO_FATAL_FAILURE(start("A", ARM_MODEL_A));
    const FaultCase& c = GetParam();
    ASSERT_TRUE(sim->set_fault(c.word, c.fault));
    TestClock clock(c.manual_clock);
    const auto start_time = clock.now_ms();
    EXPECT_EQ(clock.run([&] { return c.call(h); }), c.rc);
    const long long took = clock.now_ms() - start_time;
    EXPECT_GE(took, c.min_ms);
    EXPECT_LE(took, c.max_ms);
}

INSTANTIATE_TEST_SUITE_P(Faults, SimFaultCases, ::testing::ValuesIn(clocked_faults()),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                             const FaultCase& c = info.param;
                             if (!c.library_limit) return std::string(c.name);
                             return std::string(c.name) + (c.manual_clock ? "_ManualClock" : "_RealClock");
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
