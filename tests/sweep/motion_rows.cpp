// Sweep rows: moves, streaming set-points, trajectory control, waypoints and
// the timer. Blocking moves are answered with the arrival report, so they end
// at once.
#include "support/sweep.h"

namespace arx::test {
namespace {

const float kJoints[7] = {0, 0, 90, 0, 90, 0, 45};
// Seven elements: a seven-joint connection reads the seventh.
const float kNegative[7] = {-1.2345f, 10, 20, 0, 90, 0, 0};
const POSE kPose{0.12345f, 0, 0.3f, 0, 0, 3.1416f};
constexpr const char* kArrived = R"({"state":"current_trajectory_state","trajectory_state":true})";
constexpr const char* kStateQuery = R"({"command":"get_current_arm_state"})";

int trajectory(SOCKHANDLE h) {
    ARM_CTRL_MODES type = ARM_CTRL_NONE;
    float data[7] = {-99, -99, -99, -99, -99, -99, -99};
    const int rc = Get_Current_Trajectory(h, &type, data);
    got(std::to_string(type) + "|" + list(data, 7));
    return rc;
}

// clang-format off
const SweepTable kMotion("motion", {
    {ARX_CALL(Movej_Cmd, "queued", kJoints, 20, 0, false), R"({"command":"movej","joint":[0,0,90000,0,90000,0],"v":20,"r":0})"},
    {ARX_CALL(Movej_Cmd, "blocking, arrived", kNegative, 20, 0.5f, true), R"({"command":"movej","joint":[-1234,10000,20000,0,90000,0],"v":20,"r":500})", kArrived, 0},
    {ARX_CALL(Movel_Cmd, "blocking, report false", kPose, 30, 0, true), R"({"command":"movel","pose":[123450,0,300000,0,0,3141],"v":30,"r":0})", R"({"state":"current_trajectory_state","trajectory_state":false})", 1},
    {ARX_CALL(Movec_Cmd, "blocking, report not true/false", POSE{0.1f, 0.2f, 0.3f, 0, 0, 0}, kPose, 10, 0, 2, true), R"({"command":"movec","pose":{"pose_via":[100000,200000,300000,0,0,0],"pose_to":[123450,0,300000,0,0,3141]},"v":10,"r":0,"loop":2})", R"({"state":"current_trajectory_state","trajectory_state":1})", 11},
    {ARX_CALL(Movej_P_Cmd, "queued", kPose, 5, 0.01f, false), R"({"command":"movej_p","pose":[123450,0,300000,0,0,3141],"v":5,"r":10})"},
    {ARX_CALL(Movej_CANFD, "", kNegative), R"({"command":"movej_canfd","joint":[-1234,10000,20000,0,90000,0]})"},
    {ARX_CALL(Movep_CANFD, "", kPose), R"({"command":"movep_canfd","pose":[123450,0,300000,0,0,3141]})"},
    {"MoveCartesianTool_Cmd", "state query fails", [](SOCKHANDLE h) { float j[7] = {}; return MoveCartesianTool_Cmd(h, j, 0, 0, 0.1f, 0, 10, 0, true); }, kStateQuery, R"({"state":"current_arm_state"})", 9},
    {ARX_CALL(MoveRotate_Cmd, "state query fails", 3, 90, Pose{}, 10, 0, false), kStateQuery, R"({"state":"current_arm_state","arm_state":5})", 11},
    {ARX_CALL(Move_Stop_Cmd, "", true), R"({"command":"set_arm_stop"})", R"({"command":"set_arm_stop","arm_stop":true})", 0},
    {ARX_CALL(Move_Pause_Cmd, "", true), R"({"command":"set_arm_pause"})", R"({"command":"set_arm_pause","arm_pause":false})", 1},
    {ARX_CALL(Move_Continue_Cmd, "", true), R"({"command":"set_arm_continue"})", R"({"command":"set_arm_continue","arm_continue":"yes"})", 11},
    {ARX_CALL(Clear_Current_Trajectory, "", true), R"({"command":"set_delete_current_trajectory"})", R"({"command":"set_delete_current_trajectory","delete_current_trajectory":true})", 0},
    {ARX_CALL(Clear_All_Trajectory, "queued", false), R"({"command":"set_arm_delete_trajectory"})"},
    {"Get_Current_Trajectory", "", trajectory, R"({"command":"get_arm_current_trajectory"})", R"({"state":"arm_current_trajectory","type":"movel","data":[100000,200000,300000,1000,2000,3000]})", 0, "2|0.1,0.2,0.3,1,2,3,-99"},
    // Only a false waypoint state refuses; the other waypoint commands read true/false strictly.
    {ARX_CALL(Add_Waypoint, "state 1 accepted", kJoints, true), R"({"command":"add_waypoint","joint":[0,0,90000,0,90000,0]})", R"({"command":"add_waypoint","waypoint_state":1})", 0},
    {ARX_CALL(Start_Waypoint, "state 1 refused", 100, true), R"({"command":"start_waypoint","frequency":100})", R"({"command":"start_waypoint","waypoint_state":1})", 11},
    {ARX_CALL(Stop_Waypoint, "", true), R"({"command":"stop_waypoint"})", R"({"command":"stop_waypoint","waypoint_state":true})", 0},
    {ARX_CALL(Clear_Waypoint, "", true), R"({"command":"clear_waypoint"})", R"({"command":"clear_waypoint","waypoint_state":false})", 1},
    {ARX_CALL(Timer, "a time is not a state", 500, true), R"({"command":"timer","wait_time":500})", R"({"command":"timer","wait_time":500})", 11},
});

}  // namespace
}  // namespace arx::test
