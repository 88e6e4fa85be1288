// arx-sim as a server that any client on the machine can reach: a client that
// floods without reading, connections by the thousand, requests out of range
// and numbers beyond any limit hold up, exhaust or corrupt nothing for the
// other clients; idle, it does not wake (its motion clock runs only while
// something moves). And its command line.
#include "conformance/sim_process.h"
#include "support/command_cases.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <fstream>

namespace arx::test {
namespace {

using Clock = std::chrono::steady_clock;

// Whether the simulator has ended this connection: a send fails. Nothing is
// read, so a client that does not read stays one.
bool ended(int s) {
    char byte = 'x';
    return send(s, &byte, 1, MSG_DONTWAIT | MSG_NOSIGNAL) < 0 && errno != EAGAIN && errno != EWOULDBLOCK;
}

// A number from the status of the simulator's main thread ("VmSize:" in kB and
// "Threads:" are its process's), or -1.
long status_of(int pid, const std::string& key) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/status");
    long value = -1;
    for (std::string word; file >> word;)
        if (word == key) file >> value;
    return value;
}

// A client whose line never ends costs at most 64 KiB, and one that sends requests
// as fast as the simulator takes them and never reads a reply stalls only itself:
// both are dropped, another client's blocking move arrives in time, a new one is answered.
TEST(SimServer, ClientsThatNeverEndALineOrStopReadingHoldUpNobody) {
    SimConnection arm;
    ASSERT_NO_FATAL_FAILURE(arm.start("A", ARM_MODEL_A));
    const LineClient endless(arm.sim->port());
    ASSERT_GE(endless.socket(), 0);
    const std::string line(128 * 1024, 'x');  // sent until it is refused
    send(endless.socket(), line.data(), line.size(), MSG_NOSIGNAL);
    EXPECT_TRUE(wait_until([&] { return ended(endless.socket()); }, 2000)) << "a line of 128 KiB is still being read";
    // A small receive buffer: the simulator's writes to it find no room soon,
    // also in a sanitizer build, where it answers slowly.
    const LineClient flooder(arm.sim->port(), 4096);
    const int flood = flooder.socket();
    ASSERT_GE(flood, 0);
    std::string burst;
    for (int i = 0; i < 64; ++i) burst += "{\"command\":\"get_joint_degree\"}\r\n";
    // Until its requests find no room for 300 ms: the simulator takes no more.
    const auto give_up = Clock::now() + std::chrono::seconds(10);
    pollfd room{flood, POLLOUT, 0};
    while (Clock::now() < give_up) {
        if (send(flood, burst.data(), burst.size(), MSG_DONTWAIT | MSG_NOSIGNAL) > 0) continue;
        ASSERT_TRUE(errno == EAGAIN || errno == EWOULDBLOCK) << "the flooder was dropped too early";
        if (poll(&room, 1, 300) == 0) break;
    }
    const float target[7] = {10, 30, 60, 5, 80, -20, 0};
    const auto start = Clock::now();
    EXPECT_EQ(Movej_Cmd(arm.h, target, 50, 0, true), 0);
    EXPECT_LT(ms_since(start), 1000);
    EXPECT_NE(arm.sim->ask(R"({"command":"sim_status"})"), "");
    // Dropped 2 s after its replies stopped finding room; a sanitizer build takes longer to get there.
    EXPECT_TRUE(wait_until([&] { return ended(flood); }, 10000)) << "the flooder is still served";
}

// After 5000 connections, each asking once, the simulator has as many threads
// and (within 16 MiB) as much address space as before.
TEST(SimServer, ConnectionsLeaveNoThreadsOrMemoryBehind) {
    SimProcess sim({});
    ASSERT_NE(sim.port(), 0);
    const auto connections = [&](int count) {
        for (int i = 0; i < count; ++i)
            if (sim.ask(R"({"command":"sim_status"})").empty()) return false;
        return true;
    };
    ASSERT_TRUE(connections(200));  // the allocator's arenas settle
    const long threads = status_of(sim.pid(), "Threads:"), vm_kb = status_of(sim.pid(), "VmSize:");
    const auto start = Clock::now();
    ASSERT_TRUE(connections(5000));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the last close is seen
    ASSERT_GT(threads, 0);
    EXPECT_LE(status_of(sim.pid(), "Threads:"), threads);
    EXPECT_LT(status_of(sim.pid(), "VmSize:") - vm_kb, 16 * 1024) << "kB of address space more";
    EXPECT_LT(ms_since(start), 10000);
}

// Modbus requests beyond the protocol's range, and numbers no client of the library
// sends (it refuses them itself), are refused at once: no coil or register is
// touched, and the arm shared by every client stays where it is.
TEST(SimRequests, BeyondAnyRangeIsRefusedAtOnce) {
    SimProcess sim({});
    ASSERT_NE(sim.port(), 0);
    LineClient client(sim.port());
    const std::string joints = client.ask(R"({"command":"get_joint_degree"})");
    ASSERT_NE(joints, "");
    struct Case {
        const char *word, *arguments;
        std::string expected;  // "": no answer at all
        int lines = 1;         // a refused move: its acknowledgement, then a false arrival
    };
    const char *write_refused = R"("write_state":false)", *read_refused = R"("read_state":false)";
    const Case cases[] = {
        {"write_registers", R"("port":0,"device":1,"address":0,"num":1000000000,"data":[1,2])", write_refused},
        {"write_coils", R"("port":0,"device":1,"address":0,"num":1000000000,"data":[1,2])", write_refused},
        {"write_registers", R"("port":0,"device":1,"address":2147483647,"num":2,"data":[1,2,3,4])", write_refused},
        {"write_registers", R"("port":0,"device":1,"address":65535,"num":2,"data":[1,2,3,4])", write_refused},
        {"write_registers", R"("port":0,"device":1,"address":0,"num":-5,"data":[])", write_refused},
        {"write_registers", R"("port":0,"device":1,"address":0,"num":1,"data":[256,0])", write_refused},
        {"write_single_register", R"("port":0,"device":1,"address":1e10,"data":1)", write_refused},
        {"write_single_coil", R"("port":0,"device":1,"address":-1,"data":1)", write_refused},
        {"read_coils", R"("port":0,"device":1,"address":2147483647,"num":8)", read_refused},
        {"read_holding_registers", R"("port":0,"device":1,"address":1e308)", read_refused},
        {"write_registers", R"("port":0,"device":1,"address":65534,"num":2,"data":[1,2,3,4])", R"("write_state":true)"},
        {"read_holding_registers", R"("port":0,"device":1,"address":65535)", R"("data":772)"},
        {"Force_Position_Move", R"("joint":[1e308,0,0,0,0,0],"sensor":0,"mode":0,"dir":0,"force":10)",
         R"("arm_err":1)"},
        {"Force_Position_Move", R"("pose":[1e308,0,0,0,0,0],"sensor":0,"mode":0,"dir":0,"force":10)", R"("arm_err":1)"},
        {"Force_Position_Move", R"("joint":[0,20,70,0,90,0],"sensor":0,"mode":0,"dir":0,"force":1e308)",
         R"("arm_err":1)"},
        {"movej_canfd", R"("joint":[1e308,0,0,0,0,0])", ""},
        {"movej_canfd", R"("joint":[-1e999,0,0,0,0,0])", ""},
        {"movep_canfd", R"("pose":[1e308,0,1e308,0,0,0])", ""},
        {"movej", R"("joint":[1e308,0,0,0,0,0],"v":20,"r":0)", R"("trajectory_state":false)", 2},
        {"set_joint_step", R"("joint_step":[1e308,5000],"v":20)", R"("trajectory_state":false)", 2},
        {"set_joint_teach", R"("teach_joint":1e308,"direction":"pos","v":20)", R"("joint_teach":false)"},
        {"set_joint_max_speed", R"("joint_max_speed":[1,1e308])", R"("joint_max_speed":false)"},
        {"set_joint_en_state", R"("joint_en_state":[-1e308,1])", R"("joint_en_state":false)"},
        {"set_collision_stage", R"("collision_stage":1e308)", R"("collision_state":false)"},
        {"set_tool_voltage", R"("voltage_type":1e308)", R"("state":false)"},
        {"set_gripper_route", R"("min":-1e308,"max":1000)", R"("state":false)"},
        {"set_gripper_position", R"("position":1e308)", R"("set_state":false)"},
        {"set_hand_posture", R"("posture_num":1e308)", R"("set_state":false)"},
        {"set_lift_speed", R"("speed":1e308)", R"("set_state":false)"},
        {"set_car_speed", R"("station":1e308,"speed":50)", R"("navigation_state":false)"},
        {"set_install_pose", R"("pose":[1e308,0,0])", R"("set_state":false)"},
        {"set_manual_tool_frame", R"("tool_name":"t","tool_pose":[1e308,0,0,0,0,0],"payload":0,"position":[0,0,0])",
         R"("Manual_Tool_Frame":false)"},
        {"set_init_pose", R"("init_pose":[1e308,0,0,0,0,0])", R"("init_pose":false)"},
        {"add_waypoint", R"("joint":[1e308,0,0,0,0,0])", R"("waypoint_state":false)"},
    };
    // A loop of 10^9 Modbus writes took seconds; a sanitizer build answers slower.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    constexpr long long kAnswerMs = 100;
#else
    constexpr long long kAnswerMs = 10;
#endif
    for (const Case& c : cases) {
        const std::string request = std::string(R"({"command":")") + c.word + R"(",)" + c.arguments + "}";
        SCOPED_TRACE(request);
        if (c.expected.empty()) {
            client.tell(request);  // a streamed set-point is never answered
            continue;
        }
        const auto start = Clock::now();
        const std::string reply = client.ask(request, c.lines);
        EXPECT_NE(reply.find(c.expected), std::string::npos) << reply;
        if (c.lines == 1) EXPECT_LT(ms_since(start), kAnswerMs);  // a false arrival waits for the motion clock
    }
    EXPECT_EQ(client.ask(R"({"command":"get_joint_degree"})"), joints);
    EXPECT_NE(client.ask(R"({"command":"get_joint_max_speed"})").find("[180000,"), std::string::npos);
}

// Context switches of the simulator's main thread (serving and clock; not a
// sanitizer's own threads): one per wake-up at least. Negative if unread.
long long switches(int pid) {
    return status_of(pid, "voluntary_ctxt_switches:") + status_of(pid, "nonvoluntary_ctxt_switches:");
}

long long wake_ups_in(int pid, int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the last request's turn is over
    const long long before = switches(pid);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return switches(pid) - before;
}

// Without a client, with a client that sends nothing, after a move, and
// under a move that is stalled (it never moves): a second without a wake-up
// (a ticking clock would wake 100 times). A running move wakes it.
TEST(SimIdle, NoWakeUpsWhileNothingMoves) {
    SimProcess sim({"--speed", "0.01"});
    ASSERT_NE(sim.port(), 0);
    ASSERT_GE(switches(sim.pid()), 0);
    EXPECT_LE(wake_ups_in(sim.pid(), 1000), 1) << "no client";

    const LineClient quiet(sim.port());
    EXPECT_LE(wake_ups_in(sim.pid(), 1000), 1) << "one client, silent";

    LineClient arm(sim.port());
    // A slow move (speed 0.01): the clock ticks while it runs.
    ASSERT_NE(arm.ask(R"({"command":"movej","joint":[0,20000,71000,0,90000,0],"v":100,"r":0})"), "");
    EXPECT_GE(wake_ups_in(sim.pid(), 300), 5) << "a moving arm ticks";
    ASSERT_NE(arm.ask(R"({"command":"set_arm_stop"})"), "");
    EXPECT_LE(wake_ups_in(sim.pid(), 1000), 1) << "after the move was stopped";

    ASSERT_TRUE(sim.set_fault("movej", "stall"));
    ASSERT_NE(arm.ask(R"({"command":"movej","joint":[0,20000,72000,0,90000,0],"v":100,"r":0})"), "");
    EXPECT_LE(wake_ups_in(sim.pid(), 1000), 1) << "a stalled move";
}

// arx-sim's command line, as a person types it.
struct SimRun {
    int status;
    std::string output;
};

SimRun run_sim(const std::string& arguments) {
    SimRun run{-1, {}};
    // An option taken by mistake would listen for ever: timeout ends it with 124.
    std::FILE* pipe = popen(("timeout 10 " + std::string(ARX_SIM_PATH) + " " + arguments + " 2>&1").c_str(), "r");
    if (!pipe) return run;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) run.output += buffer;
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// Bad options and values: the reason and the usage, status 2, nothing listening.
TEST(SimOptions, HelpAndBadOptions) {
    const SimRun help = run_sim("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.output.rfind("usage: arx-sim [--port N]", 0), 0u) << help.output;
    const std::pair<const char*, std::vector<const char*>> bad[] = {
        {"unknown option --colour", {"--colour blue"}},
        {"bad fault", {"--fault movej", "--fault movej=melt", "--fault =drop", "--fault movej=delay:soon"}},
        {"model must be A, B, C1 or C2", {"--model D"}},
        {"speed must be a factor above 0", {"--speed 0"}},
        {"bad port", {"--port 70000", "--web -1", "--web 65536", "--web x", "--web ''"}},
        {"missing value after --port", {"--port"}},
    };
    for (const auto& [why, options] : bad) {
        for (const char* arguments : options) {
            const SimRun run = run_sim(std::string("--port 0 ") + arguments);
            EXPECT_EQ(run.status, 2) << arguments;
            EXPECT_EQ(run.output.rfind(std::string("arx-sim: ") + why, 0), 0u) << run.output;
            EXPECT_NE(run.output.find("\nusage: arx-sim [--port N]"), std::string::npos) << run.output;
        }
    }
}

// Good options start it; the simulator's own word is answered whatever is injected for every word.
TEST(SimOptions, SimFaultIsAnsweredUnderADropForEveryWord) {
    SimProcess sim({"--fault", "*=drop", "--model", "C2", "--speed", "0.5"});
    ASSERT_NE(sim.port(), 0);
    EXPECT_EQ(sim.ask(R"({"command":"get_joint_degree"})"), "");
    EXPECT_TRUE(sim.set_fault("movej", "stall"));
    EXPECT_TRUE(sim.set_fault("*", "none"));
    EXPECT_NE(sim.ask(R"({"command":"get_joint_degree"})"), "");
}

}  // namespace
}  // namespace arx::test
