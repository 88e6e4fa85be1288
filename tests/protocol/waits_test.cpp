// How long blocking commands wait: moves watch the arm only after 5 s (movel) or 23 s (the others); device commands
// wait for arrival reports and answers, and settle after a mode or frame change. Each case on both clocks.
#include "core/transfer_state.h"
#include "support/command_cases.h"
#include "support/manual_clock.h"

#include <algorithm>
#include <future>
#include <tuple>

using arx::test::Reply;
using arx::test::TestClock;

namespace {
const float kJoints[6] = {0, 0, 90, 0, 90, 0};
const POSE kPose{0.3f, 0, 0.3f, 0, 0, 0};
const std::string kArrived = R"({"state":"current_trajectory_state","trajectory_state":true})";
// An arm standing at the same joints every time it is asked.
const std::string kStanding =
    R"({"state":"current_arm_state","arm_state":{"pose":[0,0,0,0,0,0],"joint":[1000,2000,3000,4000,5000,6000],"arm_err":0,"sys_err":0}})";
constexpr long long kLongGraceMs = 3000 + 20000;
// The hand-moved clock counts a reply's real time on its way as steps: Wine's slow round trips get room.
#if defined(_WIN32)
constexpr long long kSlackMs = 5000;
#else
constexpr long long kSlackMs = 0;
#endif
constexpr long long kLineGraceMs = 3000 + 2000;

struct WaitCase {
    const char* name;
    const char* command;  // answered with `reply`
    Reply reply;
    std::function<int(SOCKHANDLE)> call;
    int rc;
    long long min_ms, max_ms;  // how long the call takes
    int state_queries = -1;    // how often the arm is asked, when counted
};
Reply late(const std::string& line, int delay_ms) { return Reply{{line + "\r\n"}, false, delay_ms}; }
int state_queries(const arx::test::FakeController& fc) {
    const auto lines = fc.lines();
    return static_cast<int>(std::count(lines.begin(), lines.end(), R"({"command":"get_current_arm_state"})"));
}
bool ready(std::future<int>& f) { return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }
const std::string kCalibrated = R"({"command":"set_force_sensor","set_state":true})";

const WaitCase kWaits[] = {
    // The first sample is only stored, five more stand still.
    {"StandingArmEndsAJointMoveOnTheSixthSample", "get_current_arm_state", late(kStanding, 0),
     [](SOCKHANDLE h) { return Movej_Cmd(h, kJoints, 10, 0, true); }, ARX_MOVE_NOT_COMPLETED, kLongGraceMs + 5 * 200,
     kLongGraceMs + 3000, 6},
    {"JointPoseMoveTimesOutAfterItsLongLimitWithoutSampling", "movej_p", Reply{},
     [](SOCKHANDLE h) { return Movej_P_Cmd(h, kPose, 10, 0, true); }, ARX_REPLY_TIMEOUT, kLongGraceMs, kLongGraceMs + 500, 0},
    {"LineMoveEndsWithTheCodeOfItsNineteenthFailedSample", "get_current_arm_state", late("current_arm_state: not json", 0),
     [](SOCKHANDLE h) { return Movel_Cmd(h, kPose, 10, 0, true); }, ARX_REPLY_NOT_JSON, kLineGraceMs, kLineGraceMs + 3000, 19},
    // The gripper's acknowledgement completes nothing; its arrival report does.
    {"GripperAckThenArrival", "set_gripper_pick",
     Reply{{R"({"command":"set_gripper_pick","state":true})" "\r\n", R"({"state":"current_trajectory_state","trajectory_state":false})" "\r\n"}},
     [](SOCKHANDLE h) { return Set_Gripper_Pick(h, 500, 200, true); }, 1, 20, 500},
    {"GripperAckOnlyTimesOutAtThePlainLimit", "set_gripper_release", late(R"({"command":"set_gripper_release","trajectory_state":true})", 0),
     [](SOCKHANDLE h) { return Set_Gripper_Release(h, 500, true); }, 7, 3000, 3500},
    {"LiftArrivalBeyondThePlainLimit", "set_lift_height", late(kArrived, 3500),
     [](SOCKHANDLE h) { return Set_Lift_Height(h, 100, 10, true); }, 0, 3500, 4000},
    {"ForceSensorCalibration", "set_force_sensor", late(kCalibrated, 3500), [](SOCKHANDLE h) { return Set_Force_Sensor(h); }, 0, 3500, 4000},
    {"ManualFzHasThePlainLimit", "manual_set_Fz", late(kCalibrated, 3500),
     [](SOCKHANDLE h) { const float j[7] = {}; return Manual_Set_Fz(h, j, j); }, 7, 3000, 3500},
    {"ForcePositionOn", "set_force_position", late(R"({"command":"set_force_position","set_state":true})", 3500),
     [](SOCKHANDLE h) { return Set_Force_Postion(h, 1, 0, 2, 5, 1); }, 0, 3500, 4000},
    // Blocking Modbus mode: returns no earlier than 2 s after the answer, and waits for a late answer up to 5 s.
    {"ModbusModeSettles", "set_modbus_mode", late(R"({"command":"set_modbus_mode","set_state":false})", 100),
     [](SOCKHANDLE h) { return Set_Modbus_Mode(h, 1, 9600, 1, true); }, 1, 2100, 2600},
    {"ModbusModeLateAnswer", "set_modbus_mode", late(R"({"command":"set_modbus_mode","set_state":true})", 3500),
     [](SOCKHANDLE h) { return Set_Modbus_Mode(h, 1, 9600, 1, true); }, 0, 5500, 6000},
    {"ModbusModeQueuedDoesNotSettle", "set_modbus_mode", Reply{},
     [](SOCKHANDLE h) { return Set_Modbus_Mode(h, 1, 9600, 1, false); }, 0, 20, 200},
    {"HighSpeedEthSettlesOneSecond", "set_high_speed_eth", late(R"({"command":"set_high_speed_eth","set_state":true})", 0),
     [](SOCKHANDLE h) { return Set_High_Speed_Eth(h, 1, true); }, 0, 1000 + 20, 1600},
    {"ToolFrameChangeSettles300ms", "set_change_tool_frame", late(R"({"command":"set_change_tool_frame","change_tool_frame":true})", 0),
     [](SOCKHANDLE h) { return Change_Tool_Frame(h, "t", true); }, 0, 300 + 20, 900},
};
}  // namespace

class DeviceWaits : public arx::test::ControllerTest, public ::testing::WithParamInterface<std::tuple<WaitCase, bool>> {};

TEST_P(DeviceWaits, TakeTheirTime) {
    const WaitCase& c = std::get<0>(GetParam());
    TestClock clock(std::get<1>(GetParam()));
    fc.on(c.command, c.reply);
    const auto start = clock.now_ms();
    // Steps fine enough that the measured time stays within the case's window.
    EXPECT_EQ(clock.run([&] { return c.call(h); }, std::clamp<long long>((c.max_ms - c.min_ms) / 25, 1, 20)), c.rc);
    const long long took = clock.now_ms() - start;
    EXPECT_GE(took, c.min_ms);
    EXPECT_LT(took, c.max_ms + kSlackMs);
    if (c.state_queries >= 0) EXPECT_EQ(state_queries(fc), c.state_queries);
}

INSTANTIATE_TEST_SUITE_P(Devices, DeviceWaits, ::testing::Combine(::testing::ValuesIn(kWaits), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<WaitCase, bool>>& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "_ManualClock" : "_RealClock");
                         });

class MoveWaits : public arx::test::ControllerTest, public ::testing::WithParamInterface<bool> {};

// Ending one move's wait leaves the other's slot: the arc move, never stopped by a standing arm, gets its report.
TEST_P(MoveWaits, TwoMovesOnOneConnectionOneStallsTheOtherArrives) {
    TestClock clock(GetParam());  // after the connect: its start-up runs on the real clock
    fc.on("get_current_arm_state", kStanding);
    auto joint_move = std::async(std::launch::async, [&] { return Movej_Cmd(h, kJoints, 10, 0, true); });
    clock.pass(50);
    auto arc_move = std::async(std::launch::async, [&] { return Movec_Cmd(h, kPose, kPose, 10, 0, 1, true); });
    ASSERT_TRUE(clock.wait([&] { return ready(joint_move); }, kLongGraceMs + 3000));
    EXPECT_EQ(joint_move.get(), ARX_MOVE_NOT_COMPLETED);
    EXPECT_FALSE(clock.wait([&] { return ready(arc_move); }, 2000));  // samples succeed: it waits on
    const auto pushed = clock.now_ms();
    fc.push_line(kArrived);
    ASSERT_TRUE(clock.wait([&] { return ready(arc_move); }, 2000, 5));
    EXPECT_EQ(arc_move.get(), 0);
    EXPECT_LT(clock.now_ms() - pushed, 500 + kSlackMs);  // the report ends the wait at once, not after the sampling interval
}

// A report beside the sample that completes a stall wins: the arm stands because it has arrived. A transfer on another
// connection does not refuse this connection's samples.
TEST_P(MoveWaits, ReportBesideTheStallingSampleWins) {
    TestClock clock(GetParam());
    arx::test::FakeController other;
    const SOCKHANDLE elsewhere = clock.run([&] { return arx::test::connect_to(other); });
    const arx::core::TransferClaim transfer(elsewhere);
    ASSERT_TRUE(transfer);
    fc.on("get_current_arm_state", kStanding);
    auto line_move = std::async(std::launch::async, [&] { return Movel_Cmd(h, kPose, 10, 0, true); });
    ASSERT_TRUE(clock.wait([&] { return state_queries(fc) >= 5; }, kLineGraceMs + 6000));
    fc.on("get_current_arm_state", arx::test::Reply{{kArrived + "\r\n" + kStanding + "\r\n"}});
    ASSERT_TRUE(clock.wait([&] { return ready(line_move); }, 3000));
    EXPECT_EQ(line_move.get(), 0);
    EXPECT_EQ(state_queries(fc), 6);
}

// Steps and the return to the drag origin wait for their report only a reply's time: a later one finds no caller.
TEST_P(MoveWaits, StepWaitsOnlyTheReplyTimeout) {
    TestClock clock(GetParam());
    fc.on("set_pos_step", late(kArrived, 3300));
    const auto start = clock.now_ms();
    EXPECT_EQ(clock.run([&] { return Pos_Step_Cmd(h, POS_TEACH_Y, 0.001f, 5, true); }, 5), ARX_REPLY_TIMEOUT);
    EXPECT_GE(clock.now_ms() - start, 3000);
    EXPECT_LT(clock.now_ms() - start, 3250 + kSlackMs);
    clock.pass(400);  // the late report has come and gone
    const std::string refused = R"({"state":"current_trajectory_state","trajectory_state":false})";
    fc.on("drag_trajectory_origin", late(refused, 200));
    EXPECT_EQ(clock.run([&] { return Drag_Trajectory_Origin(h, true); }), ARX_CONTROLLER_FALSE);
}

INSTANTIATE_TEST_SUITE_P(Clocks, MoveWaits, ::testing::Bool(), arx::test::clock_name);
