// Moves, streaming set-points and trajectory control against the fake
// controller: request bytes, the trajectory query's decoding, and the moves
// whose target the kinematics compute.
#include "support/command_cases.h"

#include <cmath>
#include <cstdint>
#include <limits>

using arx::test::CommandTest;
using arx::test::Got;
using arx::test::list;

namespace {

const float kJoints[7] = {0, 0, 90, 0, 90, 0, 45};
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// A pose as the controller receives it: x y z in millionths, angles in thousandths, truncated.
std::string wire(const Pose& p) {
    const float v[6] = {p.x * 1e6f, p.y * 1e6f, p.z * 1e6f, p.euler.rx * 1e3f, p.euler.ry * 1e3f, p.euler.rz * 1e3f};
    std::string out = "[";
    for (int i = 0; i < 6; ++i) out += (i ? "," : "") + std::to_string(static_cast<std::int32_t>(v[i]));
    return out + "]";
}

}  // namespace

class Motion : public CommandTest {};

TEST_F(Motion, SendExactRequestBytes) {
    const POSE pose{0.12345f, -0.2f, 0.3f, 3.1416f, -1.5708f, 0};
    const float negative[6] = {-1.2345f, 0, 0, 0, 0, 0};
    expect_sends({
        {"movej example", [&] { return Movej_Cmd(h, kJoints, 20, 0, false); },
         R"({"command":"movej","joint":[0,0,90000,0,90000,0],"v":20,"r":0})"},
        {"joint truncates toward zero", [&] { return Movej_Cmd(h, negative, 255, 0.0015f, false); },
         R"({"command":"movej","joint":[-1234,0,0,0,0,0],"v":255,"r":1})"},
        {"pose in millionths and thousandths", [&] { return Movel_Cmd(h, pose, 1, 0, false); },
         R"({"command":"movel","pose":[123450,-200000,300000,3141,-1570,0],"v":1,"r":0})"},
        {"movec nests via before to", [&] { return Movec_Cmd(h, POSE{0.1f, 0, 0, 0, 0, 0}, pose, 9, 0, 3, false); },
         R"({"command":"movec","pose":{"pose_via":[100000,0,0,0,0,0],"pose_to":[123450,-200000,300000,3141,-1570,0]},"v":9,"r":0,"loop":3})"},
        {"movej_p", [&] { return Movej_P_Cmd(h, pose, 7, 0, false); },
         R"({"command":"movej_p","pose":[123450,-200000,300000,3141,-1570,0],"v":7,"r":0})"},
        {"pose set-point", [&] { return Movep_CANFD(h, pose); },
         R"({"command":"movep_canfd","pose":[123450,-200000,300000,3141,-1570,0]})"},
        {"joint set-point", [&] { return Movej_CANFD(h, negative); },
         R"({"command":"movej_canfd","joint":[-1234,0,0,0,0,0]})"},
        {"stop, queued", [&] { return Move_Stop_Cmd(h, false); }, R"({"command":"set_arm_stop"})"},
        {"move joints null", [&] { return Movej_Cmd(h, nullptr, 1, 0, true); }, nullptr, 19},
        {"set-point joints null", [&] { return Movej_CANFD(h, nullptr); }, nullptr, 19},
        {"set-point not a number", [&] { return Movep_CANFD(h, POSE{kNaN, 0, 0, 0, 0, 0}); }, nullptr, 11},
        {"blend radius out of range", [&] { return Movej_Cmd(h, kJoints, 1, 3e6f, true); }, nullptr, 11},
        {"trajectory outputs null", [&] { ARM_CTRL_MODES t; return Get_Current_Trajectory(h, &t, nullptr); }, nullptr, 19},
        {"tool move joints null", [&] { return MoveCartesianTool_Cmd(h, nullptr, 0, 0, 0.1f, 0, 1, 0, true); }, nullptr, 19},
    });
}

TEST_F(Motion, SevenJointsOnlyOnASevenJointArm) {
    expect_sends({{"six-joint arm", [&] { return Add_Waypoint(h, kJoints, false); },
                   R"({"command":"add_waypoint","joint":[0,0,90000,0,90000,0]})"}});
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_B, nullptr), 0);
    const SOCKHANDLE seven = arx::test::connect_to(fc);
    ASSERT_TRUE(seven > 5 && seven != ARX_START_FAILED_HANDLE);
    expect_sends({
        {"movej", [&] { return Movej_Cmd(seven, kJoints, 20, 0, false); },
         R"({"command":"movej","joint":[0,0,90000,0,90000,0,45000],"v":20,"r":0})"},
        {"set-point", [&] { return Movej_CANFD(seven, kJoints); },
         R"({"command":"movej_canfd","joint":[0,0,90000,0,90000,0,45000]})"},
        {"waypoint", [&] { return Add_Waypoint(seven, kJoints, false); },
         R"({"command":"add_waypoint","joint":[0,0,90000,0,90000,0,45000]})"},
    });
    // The trajectory's joints are read per connection too.
    fc.on("get_arm_current_trajectory",
          R"({"state":"arm_current_trajectory","type":"movej","data":[1000,2000,3000,4000,5000,6000,7000]})");
    ARM_CTRL_MODES type;
    mark();
    EXPECT_EQ(Get_Current_Trajectory(seven, &type, f), 0);
    EXPECT_EQ(list(f, 8), "1,2,3,4,5,6,7,-99");
    Arm_Socket_Close(seven);
}

TEST_F(Motion, SetPointOnAClosedConnectionStillSucceeds) {
    const SOCKHANDLE gone = arx::test::connect_to(fc);
    Arm_Socket_Close(gone);
    EXPECT_EQ(Movej_CANFD(gone, kJoints), 0);
    EXPECT_EQ(Movep_CANFD(gone, POSE{}), 0);
}

TEST_F(Motion, CurrentTrajectoryDecodesByType) {
    ARM_CTRL_MODES type;
    const auto query = [&] {
        type = ARM_CTRL_MODES(9);  // untouched mark
        const int rc = Get_Current_Trajectory(h, &type, f);
        return Got{rc, double(type), list(f, 7)};
    };
    const auto reply = [](const char* members) {
        return std::string(R"({"state":"arm_current_trajectory",)") + members + "}";
    };
    const std::string untouched = "-99,-99,-99,-99,-99,-99,-99";
    expect_decodes({
        {"get_arm_current_trajectory", reply(R"("type":"movel","data":[100000,200000,300000,1000,2000,3000])"), query,
         {0, 2, "0.1,0.2,0.3,1,2,3,-99"}},
        {"get_arm_current_trajectory", reply(R"("type":"movec","data":[-1,0,0,0,0,-1,99])"), query,
         {0, 3, "-1e-06,0,0,0,0,-0.001,-99"}},
        {"get_arm_current_trajectory", reply(R"("type":"none","data":[1000,2000,3000,4000,5000,6500,7000])"), query,
         {0, 0, "1,2,3,4,5,6.5,-99"}},
        {"get_arm_current_trajectory", reply(R"("type":"movej","data":[1000,2000,3000,4000,5000])"), query,
         {11, 9, untouched}},
        {"get_arm_current_trajectory", reply(R"("type":"movel","data":[1,2,3])"), query, {11, 9, untouched}},
        {"get_arm_current_trajectory", reply(R"("type":"MOVEL","data":[1,2,3,4,5,6])"), query, {11, 9, untouched}},
        {"get_arm_current_trajectory", reply(R"("type":2,"data":[1,2,3,4,5,6])"), query, {11, 9, untouched}},
        {"get_arm_current_trajectory", reply(R"("type":"movel","data":{"x":1})"), query, {11, 9, untouched}},
        {"get_arm_current_trajectory", reply(R"("type":"movel")"), query, {9, 9, untouched}},
        {"get_arm_current_trajectory", reply(R"("data":[1,2,3,4,5,6])"), query, {9, 9, untouched}},
    });
}

// The tool move starts from the caller's joints, the rotation from the joints
// the arm reports; both travel as a straight-line move after the state query.
TEST_F(Motion, DerivedMovesSendTheKinematicsTarget) {
    fc.on("get_current_arm_state",
          R"({"state":"current_arm_state","arm_state":{"pose":[0,0,0,0,0,0],"joint":[10000,20000,30000,0,45000,0],"arm_err":0,"sys_err":0}})");
    float caller[6] = {0, 30, 60, 0, 90, 0};
    const float reported[6] = {10, 20, 30, 0, 45, 0};
    Pose axis{};
    axis.euler = eul{0, 1.5708f, 0};
    const std::string tool = wire(Cartesian_Tool(caller, 0.01f, -0.02f, 0.05f, 0));
    const std::string turned = wire(RotateMove(reported, 2, 30, axis));
    const std::string state_query = R"({"command":"get_current_arm_state"})";
    struct Case { const char* what; std::function<int()> call; std::string movel; };
    const Case cases[] = {
        {"tool move", [&] { return MoveCartesianTool_Cmd(h, caller, 0.01f, -0.02f, 0.05f, 0, 15, 0, false); },
         R"({"command":"movel","pose":)" + tool + R"(,"v":15,"r":0})"},
        {"rotation", [&] { return MoveRotate_Cmd(h, 2, 30, axis, 25, 0.2f, false); },
         R"({"command":"movel","pose":)" + turned + R"(,"v":25,"r":200})"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fc.clear();
        EXPECT_EQ(c.call(), 0);
        ASSERT_TRUE(fc.wait_lines(2));
        EXPECT_EQ(fc.lines(), (std::vector<std::string>{state_query, c.movel}));
    }
    // A failed state query moves nothing and gives its own code.
    fc.on("get_current_arm_state", arx::test::Reply{});
    fc.clear();
    EXPECT_EQ(MoveRotate_Cmd(h, 3, 90, axis, 10, 0, true), 7);
    EXPECT_EQ(fc.lines(), std::vector<std::string>{state_query});
}
