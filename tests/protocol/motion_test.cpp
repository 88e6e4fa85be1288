// Moves against the fake controller: refusals, seven joints, the trajectory
// query's decoding, and the moves whose target the kinematics compute.
#include "support/command_cases.h"

#include <cstdint>
#include <limits>

using arx::test::CommandTest;
using arx::test::Got;
using arx::test::list;

namespace {

const float kJoints[7] = {0, 0, 90, 0, 90, 0, 45};

// A pose as the controller receives it: x y z in millionths, angles in thousandths, truncated.
std::string wire(const Pose& p) {
    const float v[6] = {p.x * 1e6f, p.y * 1e6f, p.z * 1e6f, p.euler.rx * 1e3f, p.euler.ry * 1e3f, p.euler.rz * 1e3f};
    std::string out = "[";
    for (int i = 0; i < 6; ++i) out += (i ? "," : "") + std::to_string(static_cast<std::int32_t>(v[i]));
    return out + "]";
}

}  // namespace

class Motion : public CommandTest {};

TEST_F(Motion, RefusedBeforeSendingAndSevenJointsOnlyOnASevenJointArm) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    ARM_CTRL_MODES type;
    const SOCKHANDLE closed = arx::test::connect_to(fc);
    Arm_Socket_Close(closed);
    expect_sends({
        {"move joints null", [&] { return Movej_Cmd(h, nullptr, 1, 0, true); }, nullptr, 19},
        {"set-point joints null", [&] { return Movej_CANFD(h, nullptr); }, nullptr, 19},
        {"set-point not a number", [&] { return Movep_CANFD(h, POSE{nan, 0, 0, 0, 0, 0}); }, nullptr, 11},
        {"set-point on a closed connection", [&] { return Movej_CANFD(closed, kJoints); }, nullptr, 0},
        {"blend radius out of range", [&] { return Movej_Cmd(h, kJoints, 1, 3e6f, true); }, nullptr, 11},
        {"trajectory data null", [&] { return Get_Current_Trajectory(h, &type, nullptr); }, nullptr, 19},
        {"tool move joints null", [&] { return MoveCartesianTool_Cmd(h, nullptr, 0, 0, 0.1f, 0, 1, 0, true); }, nullptr, 19},
    });
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_B, nullptr), 0);
    const SOCKHANDLE seven = arx::test::connect_to(fc);
    expect_sends({
        {"movej", [&] { return Movej_Cmd(seven, kJoints, 20, 0, false); },
         R"({"command":"movej","joint":[0,0,90000,0,90000,0,45000],"v":20,"r":0})"},
        {"set-point", [&] { return Movej_CANFD(seven, kJoints); },
         R"({"command":"movej_canfd","joint":[0,0,90000,0,90000,0,45000]})"},
        {"waypoint", [&] { return Add_Waypoint(seven, kJoints, false); },
         R"({"command":"add_waypoint","joint":[0,0,90000,0,90000,0,45000]})"},
    });
    fc.on("get_arm_current_trajectory",
          R"({"state":"arm_current_trajectory","type":"movej","data":[1000,2000,3000,4000,5000,6000,7000]})");
    mark();
    EXPECT_EQ(Get_Current_Trajectory(seven, &type, f), 0);
    EXPECT_EQ(list(f, 8), "1,2,3,4,5,6,7,-99");
    Arm_Socket_Close(seven);
}

// A "data" array shorter than the type needs is refused before anything is written.
TEST_F(Motion, CurrentTrajectoryDecodesByType) {
    ARM_CTRL_MODES type;
    const auto query = [&] {
        type = ARM_CTRL_MOVEL;  // the mark: no row below that fails is of this type
        const int rc = Get_Current_Trajectory(h, &type, f);
        return Got{rc, double(type), list(f, 7)};
    };
    const auto reply = [](const char* members) { return std::string(R"({"state":"arm_current_trajectory",)") + members + "}"; };
    const std::string untouched = "-99,-99,-99,-99,-99,-99,-99";
    expect_decodes({
        {"get arm current trajectory 1", "get_arm_current_trajectory", reply(R"("type":"movec","data":[-1,0,0,0,0,-1,99])"), query, {0, 3, "-1e-06,0,0,0,0,-0.001,-99"}},
        {"get arm current trajectory 2", "get_arm_current_trajectory", reply(R"("type":"none","data":[1000,2000,3000,4000,5000,6500,7000])"), query, {0, 0, "1,2,3,4,5,6.5,-99"}},
        {"get arm current trajectory 3", "get_arm_current_trajectory", reply(R"("type":"movej","data":[1000,2000,3000,4000,5000])"), query, {11, 2, untouched}},
        {"get arm current trajectory 4", "get_arm_current_trajectory", reply(R"("type":"movec","data":[1,2,3])"), query, {11, 2, untouched}},
        {"get arm current trajectory 5", "get_arm_current_trajectory", reply(R"("type":"MOVEL","data":[1,2,3,4,5,6])"), query, {11, 2, untouched}},
        {"get arm current trajectory 6", "get_arm_current_trajectory", reply(R"("type":"movec","data":{"x":1})"), query, {11, 2, untouched}},
        {"get arm current trajectory 7", "get_arm_current_trajectory", reply(R"("data":[1,2,3,4,5,6])"), query, {9, 2, untouched}},
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
    const std::string state_query = R"({"command":"get_current_arm_state"})";
    struct Case { std::function<int()> call; std::string movel; };
    const Case cases[] = {
        {[&] { return MoveCartesianTool_Cmd(h, caller, 0.01f, -0.02f, 0.05f, 0, 15, 0, false); },
         R"({"command":"movel","pose":)" + wire(Cartesian_Tool(caller, 0.01f, -0.02f, 0.05f, 0)) + R"(,"v":15,"r":0})"},
        {[&] { return MoveRotate_Cmd(h, 2, 30, axis, 25, 0.2f, false); },
         R"({"command":"movel","pose":)" + wire(RotateMove(reported, 2, 30, axis)) + R"(,"v":25,"r":200})"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.movel);
        fc.clear();
        EXPECT_EQ(c.call(), 0);
        ASSERT_TRUE(fc.wait_lines(2));
        EXPECT_EQ(fc.lines(), (std::vector<std::string>{state_query, c.movel}));
    }
    fc.on("get_current_arm_state", arx::test::Reply{});  // silent: the query's time-out, nothing moved
    fc.clear();
    EXPECT_EQ(MoveRotate_Cmd(h, 3, 90, axis, 10, 0, true), 7);
    EXPECT_EQ(fc.lines(), std::vector<std::string>{state_query});
}
