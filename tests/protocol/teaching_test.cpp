// Waypoints, teaching, stepping and drag teaching against the fake
// controller: request bytes, the lenient decoders, the steps' plain wait.
#include "support/command_cases.h"

#include <chrono>
#include <thread>

using arx::test::CommandTest;
using arx::test::ms_since;

class Teaching : public CommandTest {};

TEST_F(Teaching, SendExactRequestBytes) {
    const float waypoint[6] = {0, 10, 20, 0, 90, 0};
    expect_sends({
        {"waypoint example", [&] { return Add_Waypoint(h, waypoint, false); },
         R"({"command":"add_waypoint","joint":[0,10000,20000,0,90000,0]})"},
        {"timer example", [&] { return Timer(h, 500, false); }, R"({"command":"timer","wait_time":500})"},
        {"start waypoints", [&] { return Start_Waypoint(h, -3, false); }, R"({"command":"start_waypoint","frequency":-3})"},
        {"pos teach example", [&] { return Pos_Teach_Cmd(h, POS_TEACH_Z, 0, 30, false); },
         R"({"command":"set_pos_teach","teach_type":"z","direction":"neg","v":30})"},
        {"direction 255 is positive", [&] { return Joint_Teach_Cmd(h, 6, 255, 0, false); },
         R"({"command":"set_joint_teach","teach_joint":6,"direction":"pos","v":0})"},
        {"orientation axis 3 has no word", [&] { return Ort_Teach_Cmd(h, ORT_TEACH_MODES(3), 1, 10, false); },
         R"({"command":"set_ort_teach","direction":"pos","v":10})"},
        {"orientation axis ry", [&] { return Ort_Teach_Cmd(h, ORT_TEACH_RY, 0, 10, false); },
         R"({"command":"set_ort_teach","teach_type":"ry","direction":"neg","v":10})"},
        {"pos step example", [&] { return Pos_Step_Cmd(h, POS_TEACH_X, 0.01f, 20, false); },
         R"({"command":"set_pos_step","step_type":"x_step","step":10000,"v":20})"},
        {"pos step axis 7 has no word", [&] { return Pos_Step_Cmd(h, POS_TEACH_MODES(7), 0.01f, 20, false); },
         R"({"command":"set_pos_step","step":10000,"v":20})"},
        {"joint step keeps its fraction", [&] { return Joint_Step_Cmd(h, 2, 1.2345f, 10, false); },
         R"({"command":"set_joint_step","joint_step":[2,1234.500000],"v":10})"},
        {"integral joint step prints whole", [&] { return Joint_Step_Cmd(h, 1, 0.5f, 10, false); },
         R"({"command":"set_joint_step","joint_step":[1,500],"v":10})"},
        {"orientation step truncates toward zero", [&] { return Ort_Step_Cmd(h, ORT_TEACH_RZ, -0.0015f, 10, false); },
         R"({"command":"set_ort_step","step_type":"rz_step","step":-1,"v":10})"},
        {"teach frame, block 2 queues", [&] { return Set_Teach_Frame(h, 1, 2); },
         R"({"command":"set_teach_frame","frame_type":1})"},
        {"drag teach records", [&] { return Start_Drag_Teach(h, false); },
         R"({"command":"start_drag_teach","trajectory_record":1})"},
        {"waypoint joints null", [&] { return Add_Waypoint(h, nullptr, true); }, nullptr, 19},
    });
}

TEST_F(Teaching, LenientAndStrictStates) {
    const float waypoint[6] = {};
    struct Case { const char* command; const char* reply; std::function<int()> call; int rc; };
    const Case cases[] = {
        {"add_waypoint", R"({"command":"add_waypoint","waypoint_state":1})", [&] { return Add_Waypoint(h, waypoint, true); }, 0},
        {"add_waypoint", R"({"command":"add_waypoint","waypoint_state":"no"})", [&] { return Add_Waypoint(h, waypoint, true); }, 0},
        {"add_waypoint", R"({"command":"add_waypoint","waypoint_state":false})", [&] { return Add_Waypoint(h, waypoint, true); }, 1},
        {"add_waypoint", R"({"command":"add_waypoint"})", [&] { return Add_Waypoint(h, waypoint, true); }, 9},
        {"start_waypoint", R"({"command":"start_waypoint","waypoint_state":1})", [&] { return Start_Waypoint(h, 5, true); }, 11},
        {"timer", R"({"command":"timer","wait_time":500})", [&] { return Timer(h, 500, true); }, 11},
        {"timer", R"({"command":"timer","wait_time":true})", [&] { return Timer(h, 500, true); }, 0},
        {"set_teach_frame", R"({"command":"set_teach_frame","set_state":false})", [&] { return Set_Teach_Frame(h, 0, 1); }, 1},
        {"set_teach_frame", R"({"command":"set_teach_frame","set_state":3})", [&] { return Set_Teach_Frame(h, 0, 1); }, 0},
        {"set_teach_frame", R"({"command":"set_teach_frame"})", [&] { return Set_Teach_Frame(h, 0, 1); }, 8},
        {"set_teach_frame", R"(["set_teach_frame"])", [&] { return Set_Teach_Frame(h, 0, 1); }, 9},
        {"set_teach_frame", R"(set_teach_frame ?)", [&] { return Set_Teach_Frame(h, 0, 1); }, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        fc.on(c.command, c.reply);
        EXPECT_EQ(c.call(), c.rc);
    }
}

// A step waits for the arrival report only as long as any reply: a later
// report finds no caller.
TEST_F(Teaching, StepWaitsOnlyTheReplyTimeout) {
    const std::string arrived = R"({"state":"current_trajectory_state","trajectory_state":true})";
    fc.on("set_pos_step", arx::test::Reply{{arrived + "\r\n"}, false, 3300});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Pos_Step_Cmd(h, POS_TEACH_Y, 0.001f, 5, true), 7);
    EXPECT_GE(ms_since(start), 3000);
    EXPECT_LT(ms_since(start), 3250);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));  // the late report has come and gone
    const std::string refused = R"({"state":"current_trajectory_state","trajectory_state":false})";
    fc.on("drag_trajectory_origin", arx::test::Reply{{refused + "\r\n"}, false, 200});
    EXPECT_EQ(Drag_Trajectory_Origin(h, true), 1);
}
