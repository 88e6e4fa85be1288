// The transport beside a raw socket client, against a controller that answers
// at once (bench_peer.h): blocking query latency with and without the 20 ms
// pause every command takes, at 1 and at 300 connections; 16 and 300 threads
// asking with the pause; the queued-line drain rate; how soon an arrival
// report ends a wait; idle wake-ups and CPU at 0 and 300 idle connections;
// the receive CPU of 300 connections each pushing a report every 10 ms beside
// an epoll receiver; the CPU per reply at 300 connections beside 1; heap
// allocations per call.
//
// Every benchmark opens the connections it uses and closes them before the
// next one starts, so none runs beside another's connections. Names follow
// operation/case/implementation; ratio_table.py pairs each "arx" row with the
// others of its operation and case. A label names the counter compared where
// it is not the time per iteration.
#include "arx_api.h"
#include "bench/bench_peer.h"
#include "core/classifier.h"
#include "core/reply_kinds.h"
#include "core/transport.h"

#include <benchmark/benchmark.h>

#include <sys/eventfd.h>
#include <sys/resource.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace core = arx::core;
using bench::now_ms_precise;
using bench::now_ns;

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
const char kPushLine[] = "{\"command\":\"bench_push_reports\"}\r\n";

bench::Peer& peer() {
    static bench::Peer p;
    return p;
}

// A raw client: its own socket, the same line, a blocking read of the reply.
class RawClient {
public:
    RawClient() : fd_(bench::raw_connect(peer().port())) {}
    ~RawClient() {
        if (fd_ >= 0) close(fd_);
    }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;
    int fd() const { return fd_; }
    bool ask(int pause_ms) {
        if (pause_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(pause_ms));
        if (send(fd_, kQueryLine, sizeof kQueryLine - 1, MSG_NOSIGNAL) != long(sizeof kQueryLine - 1)) return false;
        char buffer[512];
        for (;;) {
            const long n = recv(fd_, buffer, sizeof buffer, 0);
            if (n <= 0) return false;
            if (std::memchr(buffer, '\n', static_cast<std::size_t>(n))) return true;
        }
    }

private:
    int fd_;
};

// Raw clients of one benchmark; the peer has seen them end before the next.
struct RawClients {
    std::vector<std::unique_ptr<RawClient>> clients;
    explicit RawClients(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) clients.push_back(std::make_unique<RawClient>());
    }
    ~RawClients() {
        clients.clear();
        peer().wait_until_no_connections();
    }
    bool opened(benchmark::State& state) const {
        for (const auto& c : clients)
            if (c->fd() < 0) {
                state.SkipWithError("a raw client failed to connect");
                return false;
            }
        return true;
    }
};

const auto no_decode = [](const char*) { return 0; };

// ------------------------------------------------------------- idle
// Context switches (wake-ups) and CPU time of the library's threads over 2 s
// with no traffic.
void idle(benchmark::State& state, std::size_t open_connections) {
    const bench::Arms arms(peer(), open_connections);
    if (!arms.opened(state)) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // let the start-up traffic settle
    constexpr int kSeconds = 2;
    for (auto _ : state) {
        const bench::ThreadTimes before = bench::other_threads();
        std::this_thread::sleep_for(std::chrono::seconds(kSeconds));
        const bench::ThreadTimes after = bench::other_threads();
        state.counters["wakeups_per_s"] = double(after.switches - before.switches) / kSeconds;
        state.counters["cpu_percent"] = 100.0 * double(after.cpu_ns - before.cpu_ns) / 1e9 / kSeconds;
    }
    state.SetLabel("wakeups_per_s");
}
void BM_Idle0(benchmark::State& s) { idle(s, 0); }
void BM_Idle300(benchmark::State& s) { idle(s, kManyConnections); }
BENCHMARK(BM_Idle0)->Name("idle/0_connections/arx")->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Idle300)->Name("idle/300_connections/arx")->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// ------------------------------------------------------------ latency
void query_arx(benchmark::State& state, bool pause, std::size_t open_connections) {
    const bench::Arms arms(peer(), open_connections);
    if (!arms.opened(state)) return;
    const SOCKHANDLE h = arms[0];
    std::vector<double> ms;
    float speed[7];
    for (auto _ : state) {
        const double start = now_ms_precise();
        const int rc = pause ? Get_Joint_Speed(h, speed)
                             : core::request_blocking(h, kQueryLine, core::Kind::JointMaxSpeed, no_decode);
        ms.push_back(now_ms_precise() - start);
        if (rc != 0) state.SkipWithError("query failed");
    }
    bench::report_percentiles(state, ms);
    state.SetLabel("p50_ms");  // a late outlier on a shared machine moves the mean, not the median
}

void query_raw(benchmark::State& state, bool pause) {
    const RawClients raw(1);
    if (!raw.opened(state)) return;
    std::vector<double> ms;
    for (auto _ : state) {
        const double start = now_ms_precise();
        if (!raw.clients[0]->ask(pause ? kPauseMs : 0)) state.SkipWithError("raw query failed");
        ms.push_back(now_ms_precise() - start);
    }
    bench::report_percentiles(state, ms);
    state.SetLabel("p50_ms");
}

void BM_QueryPause1(benchmark::State& s) { query_arx(s, true, 1); }
void BM_QueryNoPause1(benchmark::State& s) { query_arx(s, false, 1); }
void BM_QueryPause300(benchmark::State& s) { query_arx(s, true, kManyConnections); }
void BM_QueryNoPause300(benchmark::State& s) { query_arx(s, false, kManyConnections); }
void BM_QueryPauseRaw(benchmark::State& s) { query_raw(s, true); }
void BM_QueryNoPauseRaw(benchmark::State& s) { query_raw(s, false); }

// Each arx row right beside its reference.
BENCHMARK(BM_QueryPause1)->Name("query_with_pause/1_connection/arx")->Iterations(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QueryPauseRaw)->Name("query_with_pause/1_connection/raw_socket")->Iterations(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QueryNoPause1)->Name("query_without_pause/1_connection/arx")->Iterations(2000)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_QueryNoPauseRaw)->Name("query_without_pause/1_connection/raw_socket")->Iterations(2000)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_QueryPause300)->Name("query_with_pause/300_connections/arx")->Iterations(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QueryPauseRaw)->Name("query_with_pause/300_connections/raw_socket")->Iterations(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QueryNoPause300)->Name("query_without_pause/300_connections/arx")->Iterations(2000)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_QueryNoPauseRaw)->Name("query_without_pause/300_connections/raw_socket")->Iterations(2000)->Unit(benchmark::kMicrosecond)->UseRealTime();

// ------------------------------------------------------ CPU per reply
// The CPU time of the whole process (calling thread and library threads) per
// blocking query without the pause, asked round-robin over every open
// connection: what a reply costs at 300 connections beside at 1.
void cpu_per_reply(benchmark::State& state, std::size_t open_connections) {
    const bench::Arms arms(peer(), open_connections);
    if (!arms.opened(state)) return;
    constexpr int kReplies = 1000;
    auto process_cpu_ns = [] {
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        return (std::int64_t(u.ru_utime.tv_sec) + u.ru_stime.tv_sec) * 1000000000 +
               (std::int64_t(u.ru_utime.tv_usec) + u.ru_stime.tv_usec) * 1000;
    };
    for (auto _ : state) {
        const std::int64_t before = process_cpu_ns();
        for (int i = 0; i < kReplies; ++i)
            if (core::request_blocking(arms[std::size_t(i) % arms.size()], kQueryLine, core::Kind::JointMaxSpeed,
                                       no_decode) != 0)
                state.SkipWithError("query failed");
        state.counters["cpu_us_per_reply"] = double(process_cpu_ns() - before) / 1e3 / kReplies;
    }
    state.SetLabel("cpu_us_per_reply");
}
void BM_CpuPerReply300(benchmark::State& s) { cpu_per_reply(s, kManyConnections); }
void BM_CpuPerReply1(benchmark::State& s) { cpu_per_reply(s, 1); }
BENCHMARK(BM_CpuPerReply300)->Name("cpu_per_reply/300_vs_1_connection/arx")->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CpuPerReply1)->Name("cpu_per_reply/300_vs_1_connection/arx_1_connection")->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---------------------------------------------------- pushed reports
// 300 connections, each pushing a joint-state report every 10 ms (30 000
// lines/s): the CPU of the library's threads over 2 s, beside one epoll
// thread that reads the same reports, frames them at line feeds and
// classifies each line as the library does.
constexpr int kReportSeconds = 2;

// The receiving threads' CPU and wake-ups over the window, and the reports
// the peer pushed meanwhile (30 000 a second when it keeps up).
void measure_receive(benchmark::State& state) {
    const long pushed_before = peer().shared().reports_pushed.load();
    const bench::ThreadTimes before = bench::other_threads();
    std::this_thread::sleep_for(std::chrono::seconds(kReportSeconds));
    const bench::ThreadTimes after = bench::other_threads();
    state.counters["cpu_percent"] = 100.0 * double(after.cpu_ns - before.cpu_ns) / 1e9 / kReportSeconds;
    state.counters["wakeups_per_s"] = double(after.switches - before.switches) / kReportSeconds;
    state.counters["reports_per_s"] = double(peer().shared().reports_pushed.load() - pushed_before) / kReportSeconds;
}

void reports_arx(benchmark::State& state) {
    const bench::Arms arms(peer(), kManyConnections);
    if (!arms.opened(state)) return;
    for (std::size_t i = 0; i < arms.size(); ++i)
        if (core::send_line(arms[i], kPushLine) != 0) state.SkipWithError("push request failed");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // every connection pushing
    for (auto _ : state) measure_receive(state);
    state.SetLabel("cpu_percent");
}

void receive_with_epoll(const std::vector<int>& sockets, int stop) {
    const int ep = epoll_create1(EPOLL_CLOEXEC);
    auto watch = [ep](int fd, int index) {
        epoll_event e{};
        e.events = EPOLLIN;
        e.data.u32 = static_cast<std::uint32_t>(index);
        epoll_ctl(ep, EPOLL_CTL_ADD, fd, &e);
    };
    for (std::size_t i = 0; i < sockets.size(); ++i) watch(sockets[i], int(i));
    watch(stop, -1);
    std::vector<std::string> partial(sockets.size());
    char chunk[4096];
    epoll_event events[64];
    long counted = 0, kinds = 0;
    for (bool running = true; running;) {
        const int n = epoll_wait(ep, events, 64, -1);
        for (int k = 0; k < n; ++k) {
            const int index = static_cast<int>(events[k].data.u32);
            if (index < 0) {
                running = false;
                continue;
            }
            const long got = recv(sockets[std::size_t(index)], chunk, sizeof chunk, 0);
            if (got <= 0) continue;
            std::string& line = partial[std::size_t(index)];
            for (long i = 0; i < got; ++i) {
                if (chunk[i] != '\n') {
                    line.push_back(chunk[i]);
                    continue;
                }
                kinds += static_cast<int>(core::classify(line));
                ++counted;
                line.clear();
            }
        }
    }
    benchmark::DoNotOptimize(kinds);
    benchmark::DoNotOptimize(counted);
    close(ep);
}

void reports_epoll(benchmark::State& state) {
    const RawClients raw(kManyConnections);
    if (!raw.opened(state)) return;
    std::vector<int> sockets;
    for (const auto& c : raw.clients) {
        sockets.push_back(c->fd());
        send(c->fd(), kPushLine, sizeof kPushLine - 1, MSG_NOSIGNAL);
    }
    const int stop = eventfd(0, EFD_CLOEXEC);
    std::thread receiver(receive_with_epoll, std::cref(sockets), stop);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (auto _ : state) measure_receive(state);
    const std::uint64_t one = 1;
    if (write(stop, &one, sizeof one) != sizeof one) state.SkipWithError("stop failed");
    receiver.join();
    close(stop);
    state.SetLabel("cpu_percent");
}
BENCHMARK(reports_arx)->Name("receive_300x100Hz_reports/cpu/arx")->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(reports_epoll)->Name("receive_300x100Hz_reports/cpu/epoll_receiver")->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// --------------------------------------------------------- throughput

// `threads` threads each asking `asks` times on its own connection of
// `connections` (the library's or raw clients); ask(t) is one query of thread t.
// Beside the rate: the CPU time and context switches a query costs, of the
// asking threads and the library's own threads together, so the cost of
// routing every reply through the receive thread shows beside raw clients.
template <class Connections, class Ask>
void throughput(benchmark::State& state, int threads, int asks, const Connections& connections, Ask ask) {
    if (!connections.opened(state)) return;
    std::atomic<int> failed{0};
    std::atomic<std::int64_t> cpu_ns{0};
    std::atomic<long> switches{0};
    for (auto _ : state) {
        const bench::ThreadTimes library_before = bench::other_threads();
        state.SetIterationTime(bench::run_threads(threads, [&](int t) {
            const bench::ThreadTimes before = bench::this_thread_times();
            for (int i = 0; i < asks; ++i)
                if (!ask(t)) ++failed;
            const bench::ThreadTimes after = bench::this_thread_times();
            cpu_ns += after.cpu_ns - before.cpu_ns;
            switches += after.switches - before.switches;
        }));
        // The askers have ended: the other threads now are the library's.
        const bench::ThreadTimes library_after = bench::other_threads();
        cpu_ns += library_after.cpu_ns - library_before.cpu_ns;
        switches += library_after.switches - library_before.switches;
    }
    if (failed) state.SkipWithError("queries failed");
    const double queries = double(threads * asks) * double(state.iterations());
    state.counters["queries_per_s"] = benchmark::Counter(queries, benchmark::Counter::kIsRate);
    state.counters["cpu_us_per_query"] = double(cpu_ns) / 1e3 / queries;
    state.counters["switches_per_query"] = double(switches) / queries;
    state.SetLabel("queries_per_s");
}

void throughput_arx(benchmark::State& state, int threads, int asks) {
    const bench::Arms arms(peer(), static_cast<std::size_t>(threads));
    throughput(state, threads, asks, arms, [&](int t) {
        float speed[7];
        return Get_Joint_Speed(arms[std::size_t(t)], speed) == 0;
    });
}

void throughput_raw(benchmark::State& state, int threads, int asks) {
    const RawClients raw(static_cast<std::size_t>(threads));
    throughput(state, threads, asks, raw, [&](int t) { return raw.clients[std::size_t(t)]->ask(kPauseMs); });
}

void BM_Throughput16(benchmark::State& s) { throughput_arx(s, 16, 25); }
void BM_Throughput16Raw(benchmark::State& s) { throughput_raw(s, 16, 25); }
void BM_Throughput300(benchmark::State& s) { throughput_arx(s, kManyConnections, 10); }
void BM_Throughput300Raw(benchmark::State& s) { throughput_raw(s, kManyConnections, 10); }
BENCHMARK(BM_Throughput16)->Name("throughput_16_threads/pause/arx")->Iterations(3)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_Throughput16Raw)->Name("throughput_16_threads/pause/raw_socket")->Iterations(3)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_Throughput300)->Name("throughput_300_threads/pause/arx")->Iterations(3)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_Throughput300Raw)->Name("throughput_300_threads/pause/raw_socket")->Iterations(3)->Unit(benchmark::kMillisecond)->UseManualTime();

// ---------------------------------------------------------- queued lines
// 100 queued lines, timed until the last is answered (one line leaves per 10 ms).
void BM_QueuedDrain(benchmark::State& state) {
    const bench::Arms arms(peer(), 1);
    if (!arms.opened(state)) return;
    const SOCKHANDLE h = arms[0];
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
    state.SetLabel("lines_per_s");
}
BENCHMARK(BM_QueuedDrain)->Name("queued_drain/100_lines/arx")->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// ------------------------------------------------------- arrival report
// How long after the peer sent an arrival report (its own time stamp, taken
// just before the send, on the clock both processes share) the wait returned.
// Compared by its median (p50); p99 in the counters.
double wake_after_report_ms() { return double(now_ns() - peer().shared().report_sent_ns.load()) / 1e6; }

void BM_ArrivalWake(benchmark::State& state) {
    const bench::Arms arms(peer(), 1);
    if (!arms.opened(state)) return;
    const SOCKHANDLE h = arms[0];
    std::vector<double> ms;
    for (auto _ : state) {
        const auto slot = core::register_slot(h, core::Kind::CurrentTrajectoryState, true);
        core::send_line(h, "{\"command\":\"bench_arrival\"}\r\n");
        const int rc = core::wait_reply(*slot, 3000, no_decode);
        const double late = wake_after_report_ms();
        ms.push_back(late);
        state.SetIterationTime(late / 1e3);
        if (rc != 0) state.SkipWithError("no arrival report");
    }
    bench::report_percentiles(state, ms);
    state.SetLabel("p50_ms");
}

// A blocking Movej_Cmd on a move that the peer reports arrived 50 ms later.
void BM_MoveArrival(benchmark::State& state) {
    const bench::Arms arms(peer(), 1);
    if (!arms.opened(state)) return;
    const SOCKHANDLE h = arms[0];
    const float joints[7] = {0, 10, 20, 30, 40, 50, 0};
    std::vector<double> ms;
    for (auto _ : state) {
        const int rc = Movej_Cmd(h, joints, 20, 0, true);
        const double late = wake_after_report_ms();
        ms.push_back(late);
        state.SetIterationTime(late / 1e3);
        if (rc != 0) state.SkipWithError("move failed");
    }
    bench::report_percentiles(state, ms);
    state.SetLabel("p50_ms");
}
BENCHMARK(BM_MoveArrival)->Name("move_arrival_wake/after_report/arx")->Iterations(20)->Unit(benchmark::kMicrosecond)->UseManualTime();
BENCHMARK(BM_ArrivalWake)->Name("arrival_report_wake/after_report/arx")->Iterations(20)->Unit(benchmark::kMicrosecond)->UseManualTime();

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
    const bench::Arms arms(peer(), 1);
    if (!arms.opened(state)) return;
    const SOCKHANDLE h = arms[0];
    float speed[7];
    for (auto _ : state) {
        state.counters["query"] = allocations_of([&] { Get_Joint_Speed(h, speed); });
        state.counters["setting_blocking"] = allocations_of([&] { Set_Joint_Speed(h, 1, 1.0f, true); });
        state.counters["setting_queued"] = allocations_of([&] { Set_Joint_Speed(h, 1, 1.0f, false); });
        state.counters["query_no_decoder"] =
            allocations_of([&] { core::request_blocking(h, kQueryLine, core::Kind::JointMaxSpeed, no_decode); });
    }
    state.SetLabel("query");
}
BENCHMARK(BM_Allocations)->Name("allocations_per_call/blocking/arx")->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    peer();  // forked before any thread exists
    Arx_API_Init(ARM_MODEL_A, nullptr);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
