// Every exported command against arx-sim, end to end, for each arm model: the
// sweep's rows that talk to the controller, and the arm following the commands.
#include "conformance/sim_process.h"
#include "kinematics/arm_models.h"
#include "support/sweep.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

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
    int joints() const { return GetParam().joints; }
    bool seven_axis() const { return GetParam().solver == kin::SolverFamily::SevenAxisHeldJoint; }
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
    char tip[] = "tip";  // the frame the rows ask about by name
    ASSERT_EQ(Manual_Set_Tool_Frame(h, tip, POSE{0, 0, 0.05f, 0, 0, 0}, 0.5f, 0, 0, 0, true), 0);
    int rows = 0;
    for (const SweepFamily& family : sweep_families()) {
        for (const SweepRow& row : family.rows) {
            if (!row.line) continue;  // nothing reaches the controller
            SCOPED_TRACE(std::string(family.name) + ": " + row.function + " " + row.variant);
            const std::string name = std::string(row.function) + "/" + row.variant;
            const bool refused = kRefused.count(name) > 0;
            const int rc = row.call(h);
            if (kPathMayLeaveReach.count(name))
                EXPECT_TRUE(rc == ARX_SUCCESS || rc == ARX_CONTROLLER_FALSE) << rc;
            else
                EXPECT_EQ(rc, refused ? ARX_CONTROLLER_FALSE : ARX_SUCCESS);
            // A queued move's arrival report must not end the next row's wait.
            ASSERT_TRUE(sim->wait_idle());
            ++rows;
        }
    }
    EXPECT_GT(rows, 200);
}

TEST_P(AgainstSim, ArmStateFollowsTheCommands) {
    float target[7] = {10, 30, 60, 5, 80, -20, 15}, now[7];
    if (seven_axis()) target[3] = 60, target[2] = 5;  // its elbow is joint 4
    ASSERT_EQ(Movej_Cmd(h, target, 50, 0, true), 0);
    const POSE pose = pose_now(now);
    for (int i = 0; i < joints(); ++i) EXPECT_NEAR(now[i], target[i], 1e-3) << "joint " << i + 1;
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
    char tool[] = "grip";
    ASSERT_EQ(Manual_Set_Tool_Frame(h, tool, POSE{0, 0, 0.1f, 0, 0, 0}, 1, 0, 0, 0.05f, true), 0);
    ASSERT_EQ(Change_Tool_Frame(h, tool, true), 0);
    FRAME frame{};
    ASSERT_EQ(Get_Current_Tool_Frame(h, &frame), 0);
    EXPECT_STREQ(frame.name.name, "grip");
    const POSE tipped = pose_now(now);
    EXPECT_GT(std::fabs(tipped.z - flange.z) + std::fabs(tipped.x - flange.x), 0.01f);

    // A downloaded trajectory file runs as a project: its moves leave the arm at the last one's joints.
    const TempFolder folder;
    std::string j7;  // the joints past six, at 0
    for (int i = 6; i < joints(); ++i) j7 += ",0";
    const std::string path = folder.write("project.txt",
        R"({"command":"movej","joint":[5000,25000,65000,0,85000,0)" + j7 + R"(],"v":50,"r":0})" "\n"
        R"({"command":"movej","joint":[-15000,30000,60000,10000,80000,5000)" + j7 + R"(],"v":50,"r":0})" "\n");
    std::vector<char> name(path.c_str(), path.c_str() + path.size() + 1);
    ASSERT_EQ(Send_TrajectoryFile(h, name.data(), static_cast<int>(path.size()), 50), 0);
    ASSERT_TRUE(sim->wait_idle());
    ASSERT_EQ(Get_Joint_Degree(h, now), 0);
    const float last[6] = {-15, 30, 60, 10, 80, 5};
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(now[i], last[i], 1e-3) << "joint " << i + 1;
}

INSTANTIATE_TEST_SUITE_P(Models, AgainstSim, ::testing::ValuesIn(kin::kArmModels),
                         [](const ::testing::TestParamInfo<Model>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace arx::test
