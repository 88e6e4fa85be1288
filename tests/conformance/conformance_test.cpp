// Every exported command against arx-sim, end to end, for each arm model: the
// sweep's rows that talk to the controller (blocking and queued), the arm
// state following the commands, and the injected faults giving the library's
// result codes.
#include "conformance/sim_process.h"
#include "support/sweep.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

namespace arx::test {

namespace {

std::vector<SweepFamily>& families() {
    static std::vector<SweepFamily> all;
    return all;
}
int g_port = 0;

}  // namespace

// The sweep's rows register here; their decoded values are not compared, the
// simulator's answers are its own.
void got(const std::string&) {}
int controller_port() { return g_port; }
SweepTable::SweepTable(const char* family, std::vector<SweepRow> rows) {
    families().push_back(SweepFamily{family, std::move(rows)});
}
const std::vector<SweepFamily>& sweep_families() { return families(); }

namespace {

struct Model {
    const char* name;
    int code;
};
const Model kModels[] = {{"A", ARM_MODEL_A}, {"B", ARM_MODEL_B}, {"C1", ARM_MODEL_C1}, {"C2", ARM_MODEL_C2}};

// Moves run 20 times faster than on the bench, so the run stays short.
constexpr const char* kTestSpeed = "20";

bool is_handle(SOCKHANDLE h) { return h > 5 && h != ARX_START_FAILED_HANDLE; }

class AgainstSim : public ::testing::TestWithParam<Model> {
protected:
    void start(std::vector<std::string> options) {
        options.insert(options.end(), {"--model", GetParam().name, "--speed", kTestSpeed});
        sim = std::make_unique<SimProcess>(options);
        ASSERT_NE(sim->port(), 0) << "arx-sim did not start";
        g_port = sim->port();
        ASSERT_EQ(Arx_API_Init(GetParam().code, nullptr), 0);
        char ip[] = "127.0.0.1";
        h = Arm_Socket_Start(ip, sim->port(), 100);
        ASSERT_TRUE(is_handle(h)) << "connect failed with " << h;
    }
    void SetUp() override { start({}); }
    void TearDown() override {
        if (is_handle(h)) Arm_Socket_Close(h);
    }
    int joints() const { return GetParam().code == ARM_MODEL_B ? 7 : 6; }

    std::unique_ptr<SimProcess> sim;
    SOCKHANDLE h = 0;
};

// Rows whose own arguments ask for what the controller refuses, with the
// documented code.
struct Refusal {
    const char* function;
    const char* variant;
    int rc;
};
const Refusal kRefusals[] = {
    // t2 is the active tool frame (the rows before made it so): it stays.
    {"Delete_Tool_Frame", "blocking", ARX_CONTROLLER_FALSE},
    {"Delete_Work_Frame", "blocking", ARX_CONTROLLER_FALSE},
    // A step along the tool axis from the stretched zero joints leaves the
    // arm's reach: the arrival report says false.
    {"MoveCartesianTool_Cmd", "state query fails", ARX_CONTROLLER_FALSE},
    // No axis word: the controller cannot tell what to turn about.
    {"Ort_Teach_Cmd", "axis 3 has no word", ARX_CONTROLLER_FALSE},
};

int expected_rc(const SweepRow& row) {
    for (const Refusal& r : kRefusals)
        if (std::string(r.function) == row.function && std::string(r.variant) == row.variant) return r.rc;
    return ARX_SUCCESS;
}

TEST_P(AgainstSim, EveryCommandRowSucceeds) {
    // The frame the rows ask about by name.
    char tip[] = "tip";
    ASSERT_EQ(Manual_Set_Tool_Frame(h, tip, POSE{0, 0, 0.05f, 0, 0, 0}, 0.5f, 0, 0, 0, true), 0);
    int rows = 0;
    for (const SweepFamily& family : sweep_families()) {
        for (const SweepRow& row : family.rows) {
            if (!row.line) continue;  // nothing reaches the controller
            SCOPED_TRACE(std::string(family.name) + ": " + row.function + " " + row.variant);
            EXPECT_EQ(row.call(h), expected_rc(row));
            // A queued move's arrival report must not end the next row's wait.
            ASSERT_TRUE(sim->wait_idle());
            ++rows;
        }
    }
    EXPECT_GT(rows, 200);
}

// ---- the arm follows the commands

float g_joints[7];

// The pose the controller reports is the library's forward kinematics of the
// joints it reports, for every model.
TEST_P(AgainstSim, ReportedPoseIsTheForwardKinematics) {
    POSE pose{};
    uint16_t arm_err = 0, sys_err = 0;
    ASSERT_EQ(Get_Current_Arm_State(h, g_joints, &pose, &arm_err, &sys_err), 0);
    const Pose computed = Forward_Kinematics(g_joints);
    EXPECT_NEAR(computed.x, pose.x, 1e-5);
    EXPECT_NEAR(computed.y, pose.y, 1e-5);
    EXPECT_NEAR(computed.z, pose.z, 1e-5);
}

TEST_P(AgainstSim, ArmStateFollowsTheCommands) {
    float target[7] = {10, 30, 60, 5, 80, -20, 15};
    if (joints() == 7) target[3] = 60, target[2] = 5;
    ASSERT_EQ(Movej_Cmd(h, target, 50, 0, true), 0);
    POSE pose{};
    uint16_t arm_err = 0, sys_err = 0;
    ASSERT_EQ(Get_Current_Arm_State(h, g_joints, &pose, &arm_err, &sys_err), 0);
    for (int i = 0; i < joints(); ++i) EXPECT_NEAR(g_joints[i], target[i], 1e-3) << "joint " << i + 1;

    // A straight line 5 cm down from there ends where it was sent.
    POSE lower = pose;
    lower.z -= 0.05f;
    ASSERT_EQ(Movel_Cmd(h, lower, 30, 0, true), 0);
    POSE reached{};
    ASSERT_EQ(Get_Current_Arm_State(h, g_joints, &reached, &arm_err, &sys_err), 0);
    EXPECT_NEAR(reached.x, lower.x, 1e-3);
    EXPECT_NEAR(reached.y, lower.y, 1e-3);
    EXPECT_NEAR(reached.z, lower.z, 1e-3);

    // A step turns one joint by its amount; a set-point takes effect at once.
    float before[7];
    ASSERT_EQ(Get_Joint_Degree(h, before), 0);
    ASSERT_EQ(Joint_Step_Cmd(h, 1, 5, 20, true), 0);
    ASSERT_EQ(Get_Joint_Degree(h, g_joints), 0);
    EXPECT_NEAR(g_joints[0], before[0] + 5, 1e-3);
    ASSERT_EQ(Movej_CANFD(h, target), 0);
    ASSERT_EQ(Get_Joint_Degree(h, g_joints), 0);
    EXPECT_NEAR(g_joints[1], target[1], 1e-3);

    int height = 0, current = 0, err = 0;
    ASSERT_EQ(Set_Lift_Height(h, 120, 50, true), 0);
    ASSERT_EQ(Get_Lift_State(h, &height, &current, &err), 0);
    EXPECT_EQ(height, 120);

    ASSERT_EQ(Set_IO_State(h, 0, 2, true, true), 0);
    unsigned char io = 0;
    ASSERT_EQ(Get_IO_State(h, 0, 2, &io), 0);
    EXPECT_EQ(io, 1);

    const unsigned char coils[] = {0x05};
    int read = 0;
    ASSERT_EQ(Write_Coils(h, 1, 10, 3, coils, 1, true), 0);
    ASSERT_EQ(Get_Read_Coils(h, 1, 10, 3, 1, &read), 0);
    EXPECT_EQ(read, 5);

    char tool[] = "grip";
    ASSERT_EQ(Manual_Set_Tool_Frame(h, tool, POSE{0, 0, 0.1f, 0, 0, 0}, 1, 0, 0, 0.05f, true), 0);
    ASSERT_EQ(Change_Tool_Frame(h, tool, true), 0);
    FRAME frame{};
    ASSERT_EQ(Get_Current_Tool_Frame(h, &frame), 0);
    EXPECT_STREQ(frame.name.name, "grip");
    // A second client of the same controller sees the same arm.
    char ip[] = "127.0.0.1";
    const SOCKHANDLE other = Arm_Socket_Start(ip, sim->port(), 100);
    ASSERT_TRUE(is_handle(other));
    float seen[7];
    ASSERT_EQ(Get_Joint_Degree(other, seen), 0);
    ASSERT_EQ(Get_Joint_Degree(h, g_joints), 0);
    for (int i = 0; i < joints(); ++i) EXPECT_FLOAT_EQ(seen[i], g_joints[i]);
    Arm_Socket_Close(other);

    POSE tipped{};
    ASSERT_EQ(Get_Current_Arm_State(h, g_joints, &tipped, &arm_err, &sys_err), 0);
    EXPECT_GT(std::fabs(tipped.z - pose.z) + std::fabs(tipped.x - pose.x), 0.01f) << "the tool moves the reported pose";
}

// Pause holds the running move, continue resumes it, stop and clearing end it
// where the arm stands.
TEST_P(AgainstSim, TrajectoryControlActsOnTheRunningMove) {
    const float far[7] = {60, 20, 70, 0, 90, 0, 0};
    float start[7], held[7], later[7];
    const auto joints_now = [&](float* out) { ASSERT_EQ(Get_Joint_Degree(h, out), 0); };
    const auto settle = [] { std::this_thread::sleep_for(std::chrono::milliseconds(150)); };
    joints_now(start);
    ASSERT_EQ(Movej_Cmd(h, far, 1, 0, false), 0);  // 36 deg/s at the test's speed
    settle();
    ASSERT_EQ(Move_Pause_Cmd(h, true), 0);
    joints_now(held);
    settle();
    joints_now(later);
    EXPECT_GT(held[0], start[0]);
    EXPECT_FLOAT_EQ(later[0], held[0]) << "paused";

    ASSERT_EQ(Move_Continue_Cmd(h, true), 0);
    settle();
    joints_now(later);
    EXPECT_GT(later[0], held[0]) << "continued";

    ASSERT_EQ(Move_Stop_Cmd(h, true), 0);
    joints_now(held);
    settle();
    joints_now(later);
    EXPECT_FLOAT_EQ(later[0], held[0]) << "stopped";
    EXPECT_LT(later[0], far[0]);
    EXPECT_TRUE(sim->wait_idle(50));

    ASSERT_EQ(Movej_Cmd(h, start, 1, 0, false), 0);
    settle();
    ASSERT_EQ(Clear_Current_Trajectory(h, true), 0);
    EXPECT_TRUE(sim->wait_idle(50)) << "cleared";
}

// A downloaded trajectory file runs as a project: its moves, one after the
// other, leave the arm at the last one's joints.
TEST_P(AgainstSim, TrajectoryFileRunsAsProject) {
    const std::string path = testing::TempDir() + "/project_" + GetParam().name + ".txt";
    const char* seventh = joints() == 7 ? ",0" : "";
    std::FILE* file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fprintf(file, "{\"command\":\"movej\",\"joint\":[5000,25000,65000,0,85000,0%s],\"v\":50,\"r\":0}\n", seventh);
    std::fprintf(file, "{\"command\":\"movej\",\"joint\":[-15000,30000,60000,10000,80000,5000%s],\"v\":50,\"r\":0}\n",
                 seventh);
    std::fclose(file);
    std::vector<char> name(path.begin(), path.end());
    name.push_back('\0');
    ASSERT_EQ(Send_TrajectoryFile(h, name.data(), static_cast<int>(path.size()), 50), 0);
    ASSERT_TRUE(sim->wait_idle());
    ASSERT_EQ(Get_Joint_Degree(h, g_joints), 0);
    const float last[6] = {-15, 30, 60, 10, 80, 5};
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(g_joints[i], last[i], 1e-3) << "joint " << i + 1;
    std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Models, AgainstSim, ::testing::ValuesIn(kModels),
                         [](const ::testing::TestParamInfo<Model>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace arx::test
