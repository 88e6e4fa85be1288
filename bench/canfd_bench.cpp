// Streaming joint set-points (Movej_CANFD) beside raw send() of the same
// bytes, against the loopback peer of bench_peer.h (which reads and discards
// them): one set-point on one connection; 8 threads streaming to 8
// connections; and how late set-points reach the controller while another
// thread makes a blocking call every 20 ms on the same connection.
#include "arx_api.h"
#include "bench/bench_peer.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using bench::now_ns;

const float kJoint[6] = {0.5f, -12.25f, 90, 0, 45.125f, -180};
const char kQueryLine[] = "{\"command\":\"get_joint_max_speed\"}\r\n";

bench::Peer& peer() {
    static bench::Peer p;
    return p;
}

// The exact line Movej_CANFD sends for kJoint, as the peer received it.
std::string g_set_point_line;

struct RawSockets {
    std::vector<int> fds;
    explicit RawSockets(int count) {
        for (int i = 0; i < count; ++i) fds.push_back(bench::raw_connect(peer().port()));
    }
    ~RawSockets() {
        for (int fd : fds)
            if (fd >= 0) close(fd);
        peer().wait_until_no_connections();
    }
    bool opened(benchmark::State& state) const {
        for (int fd : fds)
            if (fd < 0) {
                state.SkipWithError("a raw socket failed to connect");
                return false;
            }
        return true;
    }
};

bool raw_send(int fd, const std::string& line) {
    return send(fd, line.data(), line.size(), MSG_NOSIGNAL) == long(line.size());
}

// ------------------------------------------------------- one connection
void BM_OneArx(benchmark::State& state) {
    const bench::Arms arms(peer(), 1);
    if (!arms.opened(state)) return;
    for (auto _ : state) benchmark::DoNotOptimize(Movej_CANFD(arms[0], kJoint));
}
void BM_OneRaw(benchmark::State& state) {
    const RawSockets raw(1);
    if (!raw.opened(state)) return;
    for (auto _ : state) benchmark::DoNotOptimize(raw_send(raw.fds[0], g_set_point_line));
}
BENCHMARK(BM_OneArx)->Name("streaming_set_point/1_connection/arx")->UseRealTime();
BENCHMARK(BM_OneRaw)->Name("streaming_set_point/1_connection/raw_send")->UseRealTime();

// -------------------------------------------------- 8 threads, 8 arms
// Each thread streams kPerThread set-points to its own connection; the time
// is from the moment all threads exist until the last has sent its last.
// About half a second: long enough that the kernel's coalescing of small
// segments, which swings a run of a tenth of a second by a third either way,
// averages out.
constexpr int kStreams = 8, kPerThread = 100000;

void set_rate(benchmark::State& state) {
    state.counters["set_points_per_s"] =
        benchmark::Counter(double(kStreams) * kPerThread * double(state.iterations()), benchmark::Counter::kIsRate);
    state.SetLabel("set_points_per_s");
}

// Streams from kStreams threads, each on its own connection of
// `connections` (the library's or raw sockets); send_one(t) is one set-point.
template <class Connections, class Send>
void stream(benchmark::State& state, const Connections& connections, Send send_one) {
    if (!connections.opened(state)) return;
    std::atomic<int> failed{0};
    for (auto _ : state)
        state.SetIterationTime(bench::run_threads(kStreams, [&](int t) {
            for (int i = 0; i < kPerThread; ++i)
                if (!send_one(t)) ++failed;
        }));
    if (failed) state.SkipWithError("set-points failed");
    set_rate(state);
}
void BM_EightArx(benchmark::State& state) {
    const bench::Arms arms(peer(), kStreams);
    stream(state, arms, [&](int t) { return Movej_CANFD(arms[std::size_t(t)], kJoint) == 0; });
}
void BM_EightRaw(benchmark::State& state) {
    const RawSockets raw(kStreams);
    stream(state, raw, [&](int t) { return raw_send(raw.fds[std::size_t(t)], g_set_point_line); });
}
BENCHMARK(BM_EightArx)->Name("streaming_8_threads/8_connections/arx")->Iterations(3)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_EightRaw)->Name("streaming_8_threads/8_connections/raw_send")->Iterations(3)->Unit(benchmark::kMillisecond)->UseManualTime();

// ------------------------------------- set-points beside blocking calls
// 500 set-points, one every 2 ms, while another thread makes a blocking
// query every 20 ms on the same connection. The latency of each is from the
// call to its arrival at the peer (the peer's time stamp, same clock); a
// set-point held back behind a blocking call's pause would arrive up to 20 ms
// late. The reference sends the same bytes with send(), and the query under
// the same mutex as the set-points.
constexpr int kSetPoints = 500;
constexpr auto kSetPointPeriod = std::chrono::milliseconds(2);

template <class SendSetPoint>
void measure_set_point_latency(benchmark::State& state, SendSetPoint send_set_point) {
    bench::PeerShared& shared = peer().shared();
    shared.set_points.store(0);
    shared.recording.store(1);
    std::vector<std::int64_t> called(kSetPoints);
    const auto start = std::chrono::steady_clock::now();
    for (int k = 0; k < kSetPoints; ++k) {
        std::this_thread::sleep_until(start + k * kSetPointPeriod);
        called[std::size_t(k)] = now_ns();
        if (!send_set_point()) state.SkipWithError("set-point failed");
    }
    for (int waited = 0; shared.set_points.load(std::memory_order_acquire) < kSetPoints && waited < 2000; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    shared.recording.store(0);
    if (shared.set_points.load() != kSetPoints) {
        state.SkipWithError("the peer did not receive every set-point");
        return;
    }
    std::vector<double> ms;
    for (int k = 0; k < kSetPoints; ++k) ms.push_back(double(shared.set_point_ns[k] - called[std::size_t(k)]) / 1e6);
    bench::report_percentiles(state, ms);
}

void BM_LatencyArx(benchmark::State& state) {
    const bench::Arms arms(peer(), 1);
    if (!arms.opened(state)) return;
    const SOCKHANDLE h = arms[0];
    for (auto _ : state) {
        std::atomic<bool> done{false};
        std::atomic<int> queries{0};
        std::thread blocking([&] {
            float speed[7];
            while (!done) {  // the call's own 20 ms pause spaces them
                Get_Joint_Speed(h, speed);
                ++queries;
            }
        });
        measure_set_point_latency(state, [&] { return Movej_CANFD(h, kJoint) == 0; });
        done = true;
        blocking.join();
        state.counters["blocking_calls"] = queries.load();
    }
    state.SetLabel("p99_ms");
}

void BM_LatencyRaw(benchmark::State& state) {
    const RawSockets raw(1);
    if (!raw.opened(state)) return;
    const int fd = raw.fds[0];
    std::mutex sending;
    for (auto _ : state) {
        std::atomic<bool> done{false};
        std::atomic<int> queries{0};
        std::thread blocking([&] {
            char reply[512];
            while (!done) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                {
                    const std::lock_guard<std::mutex> lock(sending);
                    send(fd, kQueryLine, sizeof kQueryLine - 1, MSG_NOSIGNAL);
                }
                for (long n; (n = recv(fd, reply, sizeof reply, 0)) > 0;)
                    if (std::memchr(reply, '\n', std::size_t(n))) break;
                ++queries;
            }
        });
        measure_set_point_latency(state, [&] {
            const std::lock_guard<std::mutex> lock(sending);
            return raw_send(fd, g_set_point_line);
        });
        done = true;
        blocking.join();
        state.counters["blocking_calls"] = queries.load();
    }
    state.SetLabel("p99_ms");
}
BENCHMARK(BM_LatencyArx)->Name("set_point_latency/blocking_call_every_20ms/arx")->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LatencyRaw)->Name("set_point_latency/blocking_call_every_20ms/raw_send")->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The line the raw references send: what the library sent for kJoint.
bool capture_set_point_line() {
    char ip[] = "127.0.0.1";
    const SOCKHANDLE h = Arm_Socket_Start(ip, peer().port(), 3000);
    if (!ARX_HANDLE_IS_VALID(h)) return false;
    Movej_CANFD(h, kJoint);
    bench::PeerShared& shared = peer().shared();
    for (int waited = 0; shared.set_point_line_length.load() == 0 && waited < 2000; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    Arm_Socket_Close(h);
    peer().wait_until_no_connections();
    g_set_point_line.assign(shared.set_point_line, std::size_t(shared.set_point_line_length.load()));
    return !g_set_point_line.empty();
}

}  // namespace

int main(int argc, char** argv) {
    peer();  // forked before any thread exists
    Arx_API_Init(ARM_MODEL_A, nullptr);
    if (!capture_set_point_line()) {
        std::fprintf(stderr, "canfd_bench: no set-point line reached the peer\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
