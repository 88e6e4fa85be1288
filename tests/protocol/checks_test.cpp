// The checks every command runs before it builds a line, in its own order: file transfer (18), null pointers (19),
// handle 0 (5), initialisation (2), the 20 ms pause; and values that have no sound line (11). Refused calls send
// nothing and queue nothing.
#include "core/library.h"
#include "core/platform.h"
#include "support/command_cases.h"

#include <climits>
#include <limits>

using arx::test::CommandTest;
using arx::test::ms_since;
using Clock = std::chrono::steady_clock;

namespace {
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kJoints[7] = {0, 0, 90, 0, 90, 0, 45};
}  // namespace

class Checks : public CommandTest {};

TEST_F(Checks, RefuseInEachCommandsOwnOrderBeforeSending) {
    float j[7] = {};
    int i = 0;
    char k[12];
    float huge[14];
    std::fill(std::begin(huge), std::end(huge), 1e30f);  // 34 digits each: the line would not fit
    unsigned char full[200];
    std::fill(std::begin(full), std::end(full), 255);
    const unsigned char two[2] = {1, 2};
    const float far_joint[6] = {0, 0, 3e6f, 0, 0, 0};
    std::string bytes27;
    for (int b = 0; b < 54; ++b) bytes27 += std::string(b ? "," : "") + "255";
    const std::string line27 = R"({"command":"write_registers","port":0,"address":4,"num":27,"data":[)" + bytes27 + R"(],"device":3})";
    ASSERT_EQ(line27.size() + 2, 297u);  // 28 registers would need 305 of the 299 characters
    arx::test::FakeController other;  // the requests' lines are looked for on fc's only connection
    const SOCKHANDLE closed = arx::test::connect_to(other);
    Arm_Socket_Close(closed);
    expect_sends({
        // Commands without the handle check take handle 0, which is no connection.
        {"min pos, handle 0", [] { return Set_Joint_Min_Pos(0, 1, 1.0f, false); }, nullptr, 6},
        {"set-point on a closed connection", [&] { return Movej_CANFD(closed, kJoints); }, nullptr, 6},
        {"queued on a closed connection", [&] { return Set_Joint_Speed(closed, 1, 1.0f, false); }, nullptr, 6},
        {"dynamic parm line over 299 bytes, queued", [&] { return Set_Arm_Dynamic_Parm(h, huge, false); }, nullptr, 11},
        {"set-point not a number", [&] { return Movep_CANFD(h, POSE{kNaN, 0, 0, 0, 0, 0}); }, nullptr, 11},
        {"tool move joints null", [&] { return MoveCartesianTool_Cmd(h, nullptr, 0, 0, 0.1f, 0, 1, 0, true); }, nullptr, 19},
        {"calibrate state second", [&] { return Get_Calibrate_State(h, j, nullptr, &i); }, nullptr, 19},
        {"auto tool frame name", [&] { return Generate_Auto_Tool_Frame(h, nullptr, 1, 0, 0, 0, true); }, nullptr, 19},
        {"second kernel version", [&] { return Get_Arm_Software_Version(h, k, k, k, nullptr); }, nullptr, 19},
        // Force: values without a sound line, unknown calibration poses.
        {"force calibration pose 0", [&] { return Manual_Set_Force(h, 0, kJoints); }, nullptr, 11},
        {"force calibration pose -1, null joints first", [&] { return Manual_Set_Force(h, -1, nullptr); }, nullptr, 19},
        {"force N x10 beyond 32 bits", [&] { return Set_Force_Postion(h, 1, 0, 2, 300000000, 0); }, nullptr, 11},
        {"force NaN", [&] { return Force_Position_Move_POSE(h, POSE{}, 1, 0, 2, kNaN); }, nullptr, 11},
        {"force joint beyond 32 bits x1000", [&] { return Force_Position_Move_Joint(h, far_joint, 1, 0, 2, 1); }, nullptr, 11},
        {"one-axis force, null second pose", [&] { return Manual_Set_Fz(h, kJoints, nullptr); }, nullptr, 19},
        // Modbus counts: negative, or bytes that would not fit a line, refused without reading past what a line holds.
        {"27 registers of 255 fit", [&] { return Write_Registers(h, 0, 4, 27, full, 3, false); }, line27.c_str()},
        // Coil bytes go as one integer up to eight coils (more: the sweep), none included.
        {"no coils", [&] { return Write_Coils(h, 1, 0, 0, two, 1, false); }, R"({"command":"write_coils","port":1,"address":0,"num":0,"data":1,"device":1})"},
        {"28 registers do not", [&] { return Write_Registers(h, 0, 4, 28, full, 3, false); }, nullptr, 11},
        {"negative registers", [&] { return Write_Registers(h, 0, 4, -1, full, 3, true); }, nullptr, 11},
        {"registers beyond any line, two bytes given", [&] { return Write_Registers(h, 0, 4, INT_MAX, two, 3, true); }, nullptr, 11},
        {"60 coil bytes of 255 do not fit", [&] { return Write_Coils(h, 1, 0, 480, full, 1, true); }, nullptr, 11},
        {"negative coils", [&] { return Write_Coils(h, 1, 0, -8, full, 1, false); }, nullptr, 11},
        {"coils beyond any line", [&] { return Write_Coils(h, 1, 0, INT_MAX, two, 1, false); }, nullptr, 11},
    });
    // A socket the library does not hold (say, one that took a closed handle's number) is never written to.
    const arx::platform::Socket foreign = arx::platform::tcp_socket();
    ASSERT_TRUE(arx::platform::tcp_connect(foreign, "127.0.0.1", fc.port(), 1000));
    ASSERT_TRUE(fc.wait_connections(2));
    EXPECT_EQ(Arm_Socket_State(foreign), 6);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(fc.raw_of(1), "");
    arx::platform::close_socket(foreign);
}

TEST_F(Checks, PauseOnlyWhereTheCommandTakesIt) {
    struct Case { const char* what; std::function<int()> call; int rc; bool pauses; };
    const Case cases[] = {
        {"setter without pause", [&] { return Set_Joint_Speed(h, 1, 1.0f, false); }, 0, false},
        {"query refused before its pause", [&] { return Get_Joint_Degree(h, nullptr); }, 19, false},
        {"zero pos pauses before its handle check", [] { return Set_Joint_Zero_Pos(0, 1, true); }, 5, true},
        {"acc checks the handle first", [] { return Set_Joint_Acc(0, 1, 1.0f, true); }, 5, false},
        {"IO set, type -1 after the pause", [&] { return Set_IO_State(h, -1, 1, true, false); }, 11, true},
        {"IO get, null state before it", [&] { return Get_IO_State(h, 9, 1, nullptr); }, 19, false},
        {"force set-point, never paused", [&] { return Force_Position_Move_POSE(h, POSE{}, 0, 0, 0, 1); }, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto start = Clock::now();
        EXPECT_EQ(c.call(), c.rc);
        EXPECT_EQ(ms_since(start) >= arx::core::kCommandPauseMs, c.pauses);
    }
}

// Before Arx_API_Init no thread reads replies: 2 at once, nothing connects.
TEST(ChecksUninitialised, SetterAndConnectRefuseWith2) {
    if (arx::core::initialised()) GTEST_SKIP() << "the library was initialised earlier in this process";
    arx::test::FakeController fc;
    const auto start = Clock::now();
    EXPECT_EQ(Set_Joint_Speed(1234, 1, 1.0f, false), 2);
    EXPECT_EQ(Arm_Socket_Start("127.0.0.1", fc.port(), 100), static_cast<SOCKHANDLE>(ARX_NOT_INITIALISED));
    EXPECT_LT(ms_since(start), 100);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(fc.connections(), 0);
}
