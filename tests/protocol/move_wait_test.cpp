// The blocking moves' waits against the fake controller. The reply timeout is
// fixed at 3000 ms, so a move watches the arm only after 5 s (movel) or 23 s
// (the others): each long case is its own test, so parallel ctest spreads them.
#include "core/transfer_state.h"
#include "support/command_cases.h"

#include <algorithm>
#include <chrono>
#include <future>
#include <thread>

using arx::test::ControllerTest;
using arx::test::ms_since;
using Clock = std::chrono::steady_clock;

namespace {

const float kJoints[6] = {0, 0, 90, 0, 90, 0};
const POSE kPose{0.3f, 0, 0.3f, 0, 0, 0};
const std::string kArrived = R"({"state":"current_trajectory_state","trajectory_state":true})";
// An arm standing at the same joints every time it is asked.
const std::string kStanding =
    R"({"state":"current_arm_state","arm_state":{"pose":[0,0,0,0,0,0],"joint":[1000,2000,3000,4000,5000,6000],"arm_err":0,"sys_err":0}})";
constexpr long long kLongGraceMs = 3000 + 20000;
constexpr long long kLineGraceMs = 3000 + 2000;

}  // namespace

class MoveWaits : public ControllerTest {
protected:
    int state_queries() const {
        const auto lines = fc.lines();
        return static_cast<int>(std::count(lines.begin(), lines.end(), R"({"command":"get_current_arm_state"})"));
    }
    // Waits up to `max_ms` until the arm has been asked `n` times.
    bool wait_state_queries(int n, int max_ms) const {
        const auto start = Clock::now();
        while (state_queries() < n)
            if (ms_since(start) > max_ms) return false;
            else std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return true;
    }
};

TEST_F(MoveWaits, StandingArmEndsAJointMoveOnTheSixthSample) {
    fc.on("get_current_arm_state", kStanding);
    const auto start = Clock::now();
    EXPECT_EQ(Movej_Cmd(h, kJoints, 10, 0, true), ARX_MOVE_NOT_COMPLETED);
    const long long took = ms_since(start);
    EXPECT_GE(took, kLongGraceMs + 5 * 200);
    EXPECT_LT(took, kLongGraceMs + 3000);
    EXPECT_EQ(state_queries(), 6);  // the first sample is only stored, five more stand still
}

// Ending one move's wait leaves the other's slot: the arc move, which never
// stops on a standing arm, still receives its report.
TEST_F(MoveWaits, TwoMovesOnOneConnectionOneStallsTheOtherArrives) {
    fc.on("get_current_arm_state", kStanding);
    auto joint_move = std::async(std::launch::async, [&] { return Movej_Cmd(h, kJoints, 10, 0, true); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    auto arc_move = std::async(std::launch::async, [&] { return Movec_Cmd(h, kPose, kPose, 10, 0, 1, true); });
    EXPECT_EQ(joint_move.get(), ARX_MOVE_NOT_COMPLETED);
    EXPECT_EQ(arc_move.wait_for(std::chrono::seconds(2)), std::future_status::timeout);  // samples succeed: it waits on
    const auto pushed = Clock::now();
    fc.push_line(kArrived);
    ASSERT_EQ(arc_move.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    EXPECT_EQ(arc_move.get(), 0);
    EXPECT_LT(ms_since(pushed), 500);  // the report ends the wait at once, not after the sampling interval
}

TEST_F(MoveWaits, JointPoseMoveTimesOutAfterItsLongLimitWithoutSampling) {
    const auto start = Clock::now();
    EXPECT_EQ(Movej_P_Cmd(h, kPose, 10, 0, true), ARX_REPLY_TIMEOUT);
    EXPECT_GE(ms_since(start), kLongGraceMs);
    EXPECT_LT(ms_since(start), kLongGraceMs + 500);
    EXPECT_EQ(state_queries(), 0);
}

TEST_F(MoveWaits, LineMoveEndsWithTheCodeOfItsNineteenthFailedSample) {
    fc.on("get_current_arm_state", "current_arm_state: not json");
    const auto start = Clock::now();
    EXPECT_EQ(Movel_Cmd(h, kPose, 10, 0, true), ARX_REPLY_NOT_JSON);
    EXPECT_GE(ms_since(start), kLineGraceMs);
    EXPECT_EQ(state_queries(), 19);
}

// A report that comes in beside the sample that completes a stall wins: the
// arm stands still because it has arrived. A transfer on another connection
// does not refuse this connection's samples.
TEST_F(MoveWaits, ReportBesideTheStallingSampleWins) {
    const SOCKHANDLE elsewhere = h + 1000;
    ASSERT_TRUE(arx::core::claim_transfer(elsewhere));
    fc.on("get_current_arm_state", kStanding);
    auto line_move = std::async(std::launch::async, [&] { return Movel_Cmd(h, kPose, 10, 0, true); });
    ASSERT_TRUE(wait_state_queries(5, kLineGraceMs + 6000));
    fc.on("get_current_arm_state", arx::test::Reply{{kArrived + "\r\n" + kStanding + "\r\n"}});
    EXPECT_EQ(line_move.get(), 0);
    EXPECT_EQ(state_queries(), 6);
    arx::core::release_transfer(elsewhere);
}

// Steps and the return to the drag origin wait for the arrival report only as
// long as any reply: a later report finds no caller.
TEST_F(MoveWaits, StepWaitsOnlyTheReplyTimeout) {
    fc.on("set_pos_step", arx::test::Reply{{kArrived + "\r\n"}, false, 3300});
    const auto start = Clock::now();
    EXPECT_EQ(Pos_Step_Cmd(h, POS_TEACH_Y, 0.001f, 5, true), ARX_REPLY_TIMEOUT);
    EXPECT_GE(ms_since(start), 3000);
    EXPECT_LT(ms_since(start), 3250);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));  // the late report has come and gone
    const std::string refused = R"({"state":"current_trajectory_state","trajectory_state":false})";
    fc.on("drag_trajectory_origin", arx::test::Reply{{refused + "\r\n"}, false, 200});
    EXPECT_EQ(Drag_Trajectory_Origin(h, true), ARX_CONTROLLER_FALSE);
}
