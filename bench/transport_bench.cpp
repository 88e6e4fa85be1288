// The transport beside a raw socket client, against a controller that answers
// at once (a child process on loopback, so only the library's own threads run
// in this process): blocking query latency with and without the 20 ms pause
// every command takes, at 1 and at 300 connections; 16-thread throughput;
// the queued-line drain rate; how soon an arrival report ends a wait; idle
// wake-ups and CPU at 0 and 300 idle connections; heap allocations per call.
//
// Names follow operation/case/implementation, so ratio_table.py pairs each
// "arx" row with the "raw_socket" one of its operation and case.
#include "arx_api.h"
#include "core/platform.h"
#include "core/reply_kinds.h"
#include "core/transport.h"

#include <benchmark/benchmark.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace platform = arx::platform;
namespace core = arx::core;

// ------------------------------------------------------------ allocation count
// Interposes the C allocator: counts the calls the current thread makes while
// counting is on (so the peer and the library's own threads stay out of it).
extern "C" void* __libc_malloc(std::size_t);
extern "C" void* __libc_calloc(std::size_t, std::size_t);
extern "C" void* __libc_realloc(void*, std::size_t);
namespace {
thread_local bool t_counting = false;
thread_local long t_allocations = 0;
}  // namespace
extern "C" void* malloc(std::size_t n) {
    if (t_counting) ++t_allocations;
    return __libc_malloc(n);
}
extern "C" void* calloc(std::size_t n, std::size_t size) {
    if (t_counting) ++t_allocations;
    return __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, std::size_t n) {
    if (t_counting) ++t_allocations;
    return __libc_realloc(p, n);
}

namespace {

constexpr int kPauseMs = 20;
constexpr int kManyConnections = 300;
const char kQueryLine[] = "{\"command\":\"get_joint_max_speed\"}\r\n";

// ------------------------------------------------------------------- the peer
// Answers every line at once by its command word; "bench_arrival" and
// "movej" get their arrival report 50 ms later. Runs in a child process until killed.
const std::map<std::string, std::string>& answers() {
    static const std::map<std::string, std::string> table = {
        {"get_current_tool_frame",
         R"({"state":"current_tool_frame","tool_name":"Arm_Tip","pose":[0,0,0,0,0,0],"payload":0,"position":[0,0,0]})"},
        {"get_current_work_frame", R"({"state":"current_work_frame","frame_name":"World","pose":[0,0,0,0,0,0]})"},
        {"get_install_pose", R"({"state":"install_pose","pose":[0,0,0]})"},
        {"get_joint_max_speed", R"({"state":"joint_max_speed","joint_speed":[1000,1000,1000,1000,1000,1000]})"},
        {"set_joint_max_speed", R"({"command":"set_joint_max_speed","joint_max_speed":true})"},
    };
    return table;
}

std::string command_of(const std::string& line) {
    const std::string head = "{\"command\":\"";
    if (line.compare(0, head.size(), head) != 0) return "";
    return line.substr(head.size(), line.find('"', head.size()) - head.size());
}

[[noreturn]] void run_peer(platform::Socket listener) {
    std::vector<platform::Socket> sockets{listener};
    std::vector<std::string> pending{""};
    std::vector<std::pair<std::int64_t, platform::Socket>> arrivals;
    char buffer[8192];
    for (;;) {
        const auto flags = std::make_unique<bool[]>(sockets.size());
        const int timeout = arrivals.empty() ? -1 : 1;
        platform::wait_readable(sockets.data(), flags.get(), static_cast<int>(sockets.size()), timeout);
        const std::int64_t now = platform::monotonic_ms();
        for (auto it = arrivals.begin(); it != arrivals.end();) {
            if (it->first > now) { ++it; continue; }
            const std::string report = "{\"state\":\"current_trajectory_state\",\"trajectory_state\":true}\r\n";
            platform::send_bytes(it->second, report.data(), report.size());
            it = arrivals.erase(it);
        }
        const std::size_t n = sockets.size();
        for (std::size_t i = 0; i < n; ++i) {
            if (!flags[i]) continue;
            if (i == 0) {
                const platform::Socket s = platform::tcp_accept(listener);
                if (s != platform::kInvalidSocket) sockets.push_back(s), pending.emplace_back();
                continue;
            }
            const long got = platform::receive_bytes(sockets[i], buffer, sizeof buffer);
            if (got <= 0) continue;
            pending[i].append(buffer, static_cast<std::size_t>(got));
            std::string out;
            for (std::size_t end; (end = pending[i].find('\n')) != std::string::npos;) {
                const std::string command = command_of(pending[i].substr(0, end));
                pending[i].erase(0, end + 1);
                if (command == "bench_arrival" || command == "movej")
                    arrivals.emplace_back(platform::monotonic_ms() + 50, sockets[i]);
                const auto a = answers().find(command);
                if (a != answers().end()) out += a->second + "\r\n";
            }
            if (!out.empty()) platform::send_bytes(sockets[i], out.data(), out.size());
        }
    }
}

struct Peer {
    int port = 0;
    pid_t pid = -1;
    Peer() {
        const platform::Socket listener = platform::tcp_listen_loopback(&port);
        pid = fork();
        if (pid == 0) run_peer(listener);
        platform::close_socket(listener);
    }
    ~Peer() {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
};

Peer& peer() {
    static Peer p;
    return p;
}

SOCKHANDLE connect_arm() {
    char ip[] = "127.0.0.1";
    return Arm_Socket_Start(ip, peer().port, 3000);
}

// Connections opened once, for the benchmarks that want many.
std::vector<SOCKHANDLE>& connections(std::size_t at_least) {
    static std::vector<SOCKHANDLE> open;
    while (open.size() < at_least) open.push_back(connect_arm());
    return open;
}

// A raw client: its own socket, the same line, a blocking read of the reply.
struct RawClient {
    platform::Socket socket;
    RawClient() {
        socket = platform::tcp_socket();
        char ip[] = "127.0.0.1";
        platform::tcp_connect(socket, ip, peer().port, 3000);
    }
    ~RawClient() { platform::close_socket(socket); }
    void ask(int pause_ms) {
        platform::sleep_ms(pause_ms);
        platform::send_bytes(socket, kQueryLine, sizeof kQueryLine - 1);
        char buffer[512];
        std::string got;
        while (got.find('\n') == std::string::npos) {
            const long n = platform::receive_bytes(socket, buffer, sizeof buffer);
            if (n <= 0) return;
            got.append(buffer, static_cast<std::size_t>(n));
        }
    }
};

const auto no_decode = [](const char*) { return 0; };

void report_percentiles(benchmark::State& state, std::vector<double>& ms) {
    if (ms.empty()) return;
    std::sort(ms.begin(), ms.end());
    state.counters["p50_ms"] = ms[ms.size() / 2];
    state.counters["p99_ms"] = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
}

double now_ms_precise() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// ------------------------------------------------------------- idle
// Context switches (wake-ups) and CPU time of this process's threads other
// than the calling one, over 2 s with no traffic.
struct ThreadTimes {
    long switches = 0;
    long ticks = 0;
};

ThreadTimes other_threads() {
    ThreadTimes sum;
    const std::string self = std::to_string(gettid());
    DIR* dir = opendir("/proc/self/task");
    while (dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.' || self == e->d_name) continue;
        std::ifstream status(std::string("/proc/self/task/") + e->d_name + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.find("ctxt_switches") != std::string::npos) sum.switches += std::atol(line.c_str() + line.find(':') + 1);
        std::ifstream stat(std::string("/proc/self/task/") + e->d_name + "/stat");
        std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        std::vector<std::string> fields;
        std::size_t at = all.rfind(')') + 2;
        for (std::size_t next; (next = all.find(' ', at)) != std::string::npos; at = next + 1) fields.push_back(all.substr(at, next - at));
        sum.ticks += std::atol(fields[11].c_str()) + std::atol(fields[12].c_str());  // utime, stime
    }
    closedir(dir);
    return sum;
}

void idle(benchmark::State& state, std::size_t open_connections) {
    connections(open_connections);
    platform::sleep_ms(200);  // let the start-up traffic settle
    constexpr int kSeconds = 2;
    for (auto _ : state) {
        const ThreadTimes before = other_threads();
        platform::sleep_ms(kSeconds * 1000);
        const ThreadTimes after = other_threads();
        state.counters["wakeups_per_s"] = double(after.switches - before.switches) / kSeconds;
        state.counters["cpu_percent"] = 100.0 * double(after.ticks - before.ticks) / sysconf(_SC_CLK_TCK) / kSeconds;
    }
}
void BM_Idle0(benchmark::State& s) { idle(s, 0); }
void BM_Idle300(benchmark::State& s) { idle(s, kManyConnections); }
// Idle with no connection runs first, before any benchmark opens one.
BENCHMARK(BM_Idle0)->Name("idle/0_connections/arx")->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Idle300)->Name("idle/300_connections/arx")->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// ------------------------------------------------------------ latency

void query_arx(benchmark::State& state, bool pause, std::size_t open_connections) {
    const SOCKHANDLE h = connections(open_connections)[0];
    std::vector<double> ms;
    float speed[7];
    for (auto _ : state) {
        const double start = now_ms_precise();
        const int rc = pause ? Get_Joint_Speed(h, speed)
                             : core::request_blocking(h, kQueryLine, core::Kind::JointMaxSpeed, no_decode);
        ms.push_back(now_ms_precise() - start);
        if (rc != 0) state.SkipWithError("query failed");
    }
    report_percentiles(state, ms);
}

void query_raw(benchmark::State& state, bool pause) {
    RawClient client;
    std::vector<double> ms;
    for (auto _ : state) {
        const double start = now_ms_precise();
        client.ask(pause ? kPauseMs : 0);
        ms.push_back(now_ms_precise() - start);
    }
    report_percentiles(state, ms);
}

void BM_QueryPause1(benchmark::State& s) { query_arx(s, true, 1); }
void BM_QueryPause1Raw(benchmark::State& s) { query_raw(s, true); }
void BM_QueryNoPause1(benchmark::State& s) { query_arx(s, false, 1); }
void BM_QueryNoPause1Raw(benchmark::State& s) { query_raw(s, false); }
void BM_QueryPause300(benchmark::State& s) { query_arx(s, true, kManyConnections); }
void BM_QueryNoPause300(benchmark::State& s) { query_arx(s, false, kManyConnections); }

BENCHMARK(BM_QueryPause1)->Name("query_with_pause/1_connection/arx")->Iterations(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QueryPause1Raw)->Name("query_with_pause/1_connection/raw_socket")->Iterations(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QueryNoPause1)->Name("query_without_pause/1_connection/arx")->Iterations(2000)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_QueryNoPause1Raw)->Name("query_without_pause/1_connection/raw_socket")->Iterations(2000)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_QueryPause300)->Name("query_with_pause/300_connections/arx")->Iterations(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QueryNoPause300)->Name("query_without_pause/300_connections/arx")->Iterations(2000)->Unit(benchmark::kMicrosecond)->UseRealTime();

// --------------------------------------------------------- throughput
// 16 threads, each on its own connection, each asking 25 times; the time of
// one iteration is the whole run.
constexpr int kThreads = 16, kAsksPerThread = 25;

void BM_Throughput(benchmark::State& state) {
    std::vector<SOCKHANDLE>& open = connections(kThreads);
    for (auto _ : state) {
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([h = open[t]] {
                float speed[7];
                for (int i = 0; i < kAsksPerThread; ++i) Get_Joint_Speed(h, speed);
            });
        for (auto& t : threads) t.join();
    }
    state.counters["queries_per_s"] = benchmark::Counter(double(kThreads * kAsksPerThread) * state.iterations(),
                                                         benchmark::Counter::kIsRate);
}

void BM_ThroughputRaw(benchmark::State& state) {
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int t = 0; t < kThreads; ++t) clients.push_back(std::make_unique<RawClient>());
    for (auto _ : state) {
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([c = clients[t].get()] {
                for (int i = 0; i < kAsksPerThread; ++i) c->ask(kPauseMs);
            });
        for (auto& t : threads) t.join();
    }
    state.counters["queries_per_s"] = benchmark::Counter(double(kThreads * kAsksPerThread) * state.iterations(),
                                                         benchmark::Counter::kIsRate);
}

BENCHMARK(BM_Throughput)->Name("throughput_16_threads/pause/arx")->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ThroughputRaw)->Name("throughput_16_threads/pause/raw_socket")->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---------------------------------------------------------- queued lines
// 100 queued lines, timed until the last is answered (one line leaves per 10 ms).
void BM_QueuedDrain(benchmark::State& state) {
    const SOCKHANDLE h = connections(1)[0];
    constexpr int kLines = 100;
    for (auto _ : state) {
        // The peer answers every queued line; waiting slots catch the answers
        // in order, so the last one marks the last line's arrival.
        state.PauseTiming();
        std::vector<core::SlotRef> slots;
        for (int i = 0; i < kLines; ++i) slots.push_back(*core::register_slot(h, core::Kind::SetJointMaxSpeed, true));
        state.ResumeTiming();
        for (int i = 0; i < kLines; ++i) Set_Joint_Speed(h, 1, 1.0f, false);
        for (core::SlotRef slot : slots) core::wait_reply(slot, 5000, no_decode);
    }
    state.counters["lines_per_s"] = benchmark::Counter(double(kLines) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_QueuedDrain)->Name("queued_drain/100_lines/arx")->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// ------------------------------------------------------- arrival report
// A slot waits for the arrival report that the peer sends 50 ms after the
// request; the time past those 50 ms is the wait's own delay.
void BM_ArrivalWake(benchmark::State& state) {
    const SOCKHANDLE h = connections(1)[0];
    std::vector<double> ms;
    for (auto _ : state) {
        const auto slot = core::register_slot(h, core::Kind::CurrentTrajectoryState, true);
        const double start = now_ms_precise();
        core::send_line(h, "{\"command\":\"bench_arrival\"}\r\n");
        const int rc = core::wait_reply(*slot, 3000, no_decode);
        ms.push_back(now_ms_precise() - start - 50.0);
        if (rc != 0) state.SkipWithError("no arrival report");
    }
    report_percentiles(state, ms);
}
// A blocking Movej_Cmd on a move that arrives after 50 ms: the time past the
// 50 ms and the 20 ms pause is how late the wait noticed the report.
void BM_MoveArrival(benchmark::State& state) {
    const SOCKHANDLE h = connections(1)[0];
    const float joints[7] = {0, 10, 20, 30, 40, 50, 0};
    std::vector<double> ms;
    for (auto _ : state) {
        const double start = now_ms_precise();
        const int rc = Movej_Cmd(h, joints, 20, 0, true);
        ms.push_back(now_ms_precise() - start - 50.0 - kPauseMs);
        if (rc != 0) state.SkipWithError("move failed");
    }
    report_percentiles(state, ms);
}
BENCHMARK(BM_MoveArrival)->Name("move_arrival_wake/50ms_move/arx")->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK(BM_ArrivalWake)->Name("arrival_report_wake/50ms_move/arx")->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();

// ------------------------------------------------------- allocations
template <class Call>
double allocations_of(Call call) {
    t_allocations = 0;
    t_counting = true;
    call();
    t_counting = false;
    return double(t_allocations);
}

void BM_Allocations(benchmark::State& state) {
    const SOCKHANDLE h = connections(1)[0];
    float speed[7];
    for (auto _ : state) {
        state.counters["query"] = allocations_of([&] { Get_Joint_Speed(h, speed); });
        state.counters["setting_blocking"] = allocations_of([&] { Set_Joint_Speed(h, 1, 1.0f, true); });
        state.counters["setting_queued"] = allocations_of([&] { Set_Joint_Speed(h, 1, 1.0f, false); });
        state.counters["query_no_decoder"] =
            allocations_of([&] { core::request_blocking(h, kQueryLine, core::Kind::JointMaxSpeed, no_decode); });
    }
}
BENCHMARK(BM_Allocations)->Name("allocations_per_call/blocking/arx")->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    peer();  // forked before any thread exists
    Arx_API_Init(ARM_MODEL_A, nullptr);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
