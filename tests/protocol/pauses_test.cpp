// Commands built from other commands' requests take each step's 20 ms pause
// once, where the step happens: the time between two lines on the wire is the
// pauses written in the command, never a second pause hidden in a call.
#include "support/command_cases.h"

using arx::test::connect_to;
using arx::test::FakeController;
using Clock = std::chrono::steady_clock;

namespace {

const std::string kStanding =
    R"({"state":"current_arm_state","arm_state":{"pose":[0,0,0,0,0,0],"joint":[0,0,90000,0,90000,0],"arm_err":0,"sys_err":0}})";
const std::string kArrived = R"({"state":"current_trajectory_state","trajectory_state":true})";

// A pause step is 20 ms; a line may come up to one step later than its pauses
// (scheduling, the fake's reply), and a hidden second pause would make it at
// least a whole step late.
constexpr long long kStepMs = 20;
// The fake stamps a line when its thread reads it; a busy thread stamps the
// earlier line late, which shortens the gap measured after it by a little. A
// missing pause shortens it by a whole step.
constexpr long long kStampSlackMs = 5;

struct Gap {
    const char* command;  // the line's command word
    int pauses;           // 20 ms pauses between the previous line (or the call) and this one
};

// Runs `call` a few times; each time the lines must be `gaps`' commands, each
// at least its pauses after the one before (the first after the call's
// start). The quickest of the runs must also come within one step: a hidden
// pause makes every run late, a busy machine only some.
constexpr int kRuns = 3;
void expect_gaps(FakeController& fc, const std::function<void()>& call, const std::vector<Gap>& gaps) {
    std::vector<long long> quickest(gaps.size(), 1000000);
    for (int run = 0; run < kRuns; ++run) {
        fc.clear();
        const Clock::time_point start = Clock::now();
        call();
        ASSERT_TRUE(fc.wait_lines(gaps.size()));
        const std::vector<std::string> lines = fc.lines();
        const std::vector<Clock::time_point> arrivals = fc.arrivals();
        Clock::time_point previous = start;
        for (std::size_t i = 0; i < gaps.size(); ++i) {
            EXPECT_EQ(arx::test::command_of(lines[i]), gaps[i].command);
            const long long gap = std::chrono::duration_cast<std::chrono::milliseconds>(arrivals[i] - previous).count();
            EXPECT_GE(gap, gaps[i].pauses * kStepMs - kStampSlackMs) << gaps[i].command;
            quickest[i] = std::min(quickest[i], gap);
            previous = arrivals[i];
        }
    }
    for (std::size_t i = 0; i < gaps.size(); ++i)
        EXPECT_LT(quickest[i], (gaps[i].pauses + 1) * kStepMs) << gaps[i].command;
}

class DerivedMovePauses : public arx::test::ControllerTest {};

// The tool move and the rotation: the move's own pause and the state query's
// before the query; the line move's pause before "movel".
TEST_F(DerivedMovePauses, StateQueryAfterTwoPausesLineMoveAfterOne) {
    fc.on("get_current_arm_state", kStanding);
    fc.on("movel", kArrived);
    float joint[6] = {0, 0, 90, 0, 90, 0};
    const std::function<int()> moves[] = {[&] { return MoveCartesianTool_Cmd(h, joint, 0, 0, 0.01f, 0, 20, 0, true); },
                                          [&] { return MoveRotate_Cmd(h, 3, 10, Pose{}, 20, 0, true); }};
    for (const auto& move : moves)
        expect_gaps(fc, [&] { EXPECT_EQ(move(), 0); }, {{"get_current_arm_state", 2}, {"movel", 1}});
}

// Start-up: each frame query after its pause; the mounting-angle query after
// start-up's own pause and the query's.
TEST(StartupPauses, FramesAfterOnePauseEachMountingAnglesAfterTwo) {
    Arx_API_Init(ARM_MODEL_A, nullptr);
    FakeController fc;
    const auto connect = [&] {
        const SOCKHANDLE h = connect_to(fc);
        ASSERT_TRUE(ARX_HANDLE_IS_VALID(h));
        Arm_Socket_Close(h);
    };
    expect_gaps(fc, connect, {{"get_current_tool_frame", 1}, {"get_current_work_frame", 1}, {"get_install_pose", 2}});
}

}  // namespace
