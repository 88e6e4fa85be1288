// Commands built from other commands' requests send their exact lines and take each step's 20 ms pause once, where the
// step happens: never a second pause hidden in a call.
#include "support/command_cases.h"

#include <cstdint>

using arx::test::connect_to;
using arx::test::FakeController;
using Clock = std::chrono::steady_clock;

namespace {

// The arm reports other joints than the tool move's caller gives.
const std::string kStanding =
    R"({"state":"current_arm_state","arm_state":{"pose":[0,0,0,0,0,0],"joint":[10000,20000,30000,0,45000,0],"arm_err":0,"sys_err":0}})";
const std::string kArrived = R"({"state":"current_trajectory_state","trajectory_state":true})";

// A hidden second pause makes a line at least a whole step late.
constexpr long long kStepMs = 20;
// The fake's busy thread may stamp a line late, shortening the next gap by a little; a missing pause, by a step.
constexpr long long kStampSlackMs = 5;

struct Gap {
    std::string line;  // the exact request line
    int pauses;        // 20 ms pauses between the previous line (or the call) and this one
};

// A pose as the controller receives it: x y z in millionths, angles in thousandths, truncated.
std::string movel(const Pose& p, const char* v_r) {
    const float v[6] = {p.x * 1e6f, p.y * 1e6f, p.z * 1e6f, p.euler.rx * 1e3f, p.euler.ry * 1e3f, p.euler.rz * 1e3f};
    std::string out = R"({"command":"movel","pose":[)";
    for (int i = 0; i < 6; ++i) out += (i ? "," : "") + std::to_string(static_cast<std::int32_t>(v[i]));
    return out + "]," + v_r + "}";
}

// Runs `call` a few times: each line at least its pauses after the one before (the first after the call's start), the
// quickest run within one step: a hidden pause makes every run late, a busy machine only some.
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
            EXPECT_EQ(lines[i], gaps[i].line);
            const long long gap = std::chrono::duration_cast<std::chrono::milliseconds>(arrivals[i] - previous).count();
            EXPECT_GE(gap, gaps[i].pauses * kStepMs - kStampSlackMs) << gaps[i].line;
            quickest[i] = std::min(quickest[i], gap);
            previous = arrivals[i];
        }
    }
    for (std::size_t i = 0; i < gaps.size(); ++i)
        EXPECT_LT(quickest[i], (gaps[i].pauses + 1) * kStepMs) << gaps[i].line;
}

class DerivedMovePauses : public arx::test::ControllerTest {};

// The tool move starts from the caller's joints, the rotation from the joints the arm reports; both send the state
// query after the move's own pause and the query's, the line move after its pause.
TEST_F(DerivedMovePauses, StateQueryAfterTwoPausesLineMoveAfterOne) {
    fc.on("get_current_arm_state", kStanding);
    fc.on("movel", kArrived);
    float caller[6] = {0, 30, 60, 0, 90, 0};
    const float reported[6] = {10, 20, 30, 0, 45, 0};
    Pose axis{};
    axis.euler = eul{0, 1.5708f, 0};
    const std::pair<std::function<int()>, std::string> moves[] = {
        {[&] { return MoveCartesianTool_Cmd(h, caller, 0.01f, -0.02f, 0.05f, 0, 15, 0, true); },
         movel(Cartesian_Tool(caller, 0.01f, -0.02f, 0.05f, 0), R"("v":15,"r":0)")},
        {[&] { return MoveRotate_Cmd(h, 2, 30, axis, 25, 0.2f, true); },
         movel(RotateMove(reported, 2, 30, axis), R"("v":25,"r":200)")},
    };
    for (const auto& move : moves)
        expect_gaps(fc, [&] { EXPECT_EQ(move.first(), 0); }, {{R"({"command":"get_current_arm_state"})", 2}, {move.second, 1}});
}

// Start-up: each frame query after its pause; the mounting-angle query after start-up's own pause and the query's.
TEST(StartupPauses, FramesAfterOnePauseEachMountingAnglesAfterTwo) {
    Arx_API_Init(ARM_MODEL_A, nullptr);
    FakeController fc;
    const auto connect = [&] {
        const SOCKHANDLE h = connect_to(fc);
        ASSERT_TRUE(ARX_HANDLE_IS_VALID(h));
        Arm_Socket_Close(h);
    };
    expect_gaps(fc, connect, {{R"({"command":"get_current_tool_frame"})", 1}, {R"({"command":"get_current_work_frame"})", 1},
                              {R"({"command":"get_install_pose"})", 2}});
}

}  // namespace
