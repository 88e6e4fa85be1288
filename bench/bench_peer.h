// What the transport and streaming benchmarks share: a controller that answers
// at once, run as a child process on loopback (so only the library's own
// threads run in the benchmark process), and the clocks they read.
//
// The peer answers every line at once by its command word, stamps what it
// sends and receives on the system-wide monotonic clock into a page shared
// with the benchmark process, and on request:
//   "bench_arrival" and "movej"  an arrival report 50 ms later;
//   "bench_push_reports"         a joint-state report every 10 ms from then on
//                                (the connections spread evenly over the period);
//   "movej_canfd"                no answer; its arrival time is recorded while
//                                recording is on, and the line kept.
#pragma once

#include "arx_api.h"
#include "bench/host.h"

#include <benchmark/benchmark.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/timerfd.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <map>
#include <new>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

namespace bench {

// ------------------------------------------------------------------ clocks
inline std::int64_t now_ns() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}
inline double now_ms_precise() { return double(now_ns()) / 1e6; }

// p50 and p99 of the samples (milliseconds) as counters.
inline void report_percentiles(benchmark::State& state, std::vector<double>& ms) {
    if (ms.empty()) return;
    std::sort(ms.begin(), ms.end());
    state.counters["p50_ms"] = ms[ms.size() / 2];
    state.counters["p99_ms"] = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
}

inline ThreadTimes other_threads() { return thread_times("/proc/self/task", true); }

// A start line for many threads: none starts its timed part before all exist.
class StartGate {
public:
    void wait() {
        while (!open_.load(std::memory_order_acquire)) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    void open() { open_.store(true, std::memory_order_release); }

private:
    std::atomic<bool> open_{false};
};

// Runs body(t) on `threads` threads at once: the seconds from the moment all
// of them exist and start together until the last one is done.
template <class Body>
double run_threads(int threads, Body body) {
    StartGate gate;
    std::atomic<int> ready{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&, t] {
            ++ready;
            gate.wait();
            body(t);
        });
    while (ready.load() < threads) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const std::int64_t start = now_ns();
    gate.open();
    for (auto& w : workers) w.join();
    return double(now_ns() - start) / 1e9;
}

// ------------------------------------------------------------------- peer
constexpr int kMaxRecorded = 8192;
// Each pushing connection reports at its own moment of the 10 ms period, as
// arms that were switched on at different times do: the period is split into
// one phase per connection of the largest benchmark.
constexpr int kReportPhases = 300;
constexpr long kPhaseNs = 10'000'000 / kReportPhases;

struct PeerShared {
    std::atomic<int> open_connections{0};
    std::atomic<std::int64_t> report_sent_ns{0};
    std::atomic<long> reports_pushed{0};  // the last arrival report, stamped before its send
    std::atomic<int> recording{0};
    std::atomic<int> set_points{0};  // recorded while recording is on
    std::int64_t set_point_ns[kMaxRecorded];
    std::atomic<int> set_point_line_length{0};
    char set_point_line[512];
};

inline const std::map<std::string, std::string>& peer_answers() {
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

constexpr std::string_view kPushedReport =
    "{\"state\":\"joint_state\",\"arm_err\":0,\"joint\":[1250,-12500,90125,500,45125,-180000],"
    "\"pose\":[250000,-12000,480500,3141,12,-1570]}\r\n";
constexpr std::string_view kArrivalReport = "{\"state\":\"current_trajectory_state\",\"trajectory_state\":true}\r\n";

inline std::string_view command_of(std::string_view line) {
    constexpr std::string_view head = "{\"command\":\"";
    if (line.substr(0, head.size()) != head) return {};
    const std::size_t end = line.find('"', head.size());
    return end == std::string_view::npos ? std::string_view{} : line.substr(head.size(), end - head.size());
}

inline void send_whole(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const long sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) return;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
}

[[noreturn]] inline void run_peer(int listener, PeerShared* shared) {
    const int ep = epoll_create1(0);
    const int timer = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK);  // a stale event after disarming must not block
    auto watch = [ep](int fd) {
        epoll_event e{};
        e.events = EPOLLIN;
        e.data.fd = fd;
        epoll_ctl(ep, EPOLL_CTL_ADD, fd, &e);
    };
    watch(listener);
    watch(timer);
    std::unordered_map<int, std::string> pending;
    std::vector<int> phase_of(65536, -1);
    std::vector<int> pushed[kReportPhases];
    int pushing = 0, next_phase = 0;
    unsigned tick = 0;
    std::vector<std::pair<std::int64_t, int>> arrivals;  // due time, connection
    bool timer_on = false;
    auto keep_timer = [&] {
        const bool on = pushing > 0 || !arrivals.empty();
        if (on == timer_on) return;
        itimerspec t{};
        if (on) t.it_interval.tv_nsec = t.it_value.tv_nsec = kPhaseNs;
        timerfd_settime(timer, 0, &t, nullptr);
        timer_on = on;
    };
    auto drop = [&](int fd) {
        epoll_ctl(ep, EPOLL_CTL_DEL, fd, nullptr);
        if (phase_of[fd] >= 0) {
            auto& list = pushed[phase_of[fd]];
            list.erase(std::remove(list.begin(), list.end(), fd), list.end());
            phase_of[fd] = -1;
            --pushing;
        }
        arrivals.erase(std::remove_if(arrivals.begin(), arrivals.end(), [fd](auto& a) { return a.second == fd; }),
                       arrivals.end());
        pending.erase(fd);
        close(fd);
        shared->open_connections.fetch_sub(1);
        keep_timer();
    };
    std::vector<char> buffer(1 << 16);
    epoll_event events[256];
    for (;;) {
        const int n = epoll_wait(ep, events, 256, -1);
        for (int i = 0; i < n; ++i) {
            const int fd = events[i].data.fd;
            if (fd == listener) {
                for (int c; (c = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
                    watch(c);
                    pending[c];
                    shared->open_connections.fetch_add(1);
                }
                continue;
            }
            if (fd == timer) {
                std::uint64_t expired = 0;
                if (read(timer, &expired, sizeof expired) != sizeof expired) continue;
                for (std::uint64_t k = 0; k < std::min<std::uint64_t>(expired, kReportPhases); ++k)
                    for (int c : pushed[tick++ % kReportPhases]) {
                        send_whole(c, kPushedReport);
                        shared->reports_pushed.fetch_add(1, std::memory_order_relaxed);
                    }
                const std::int64_t now = now_ns();
                for (auto it = arrivals.begin(); it != arrivals.end();) {
                    if (it->first > now) { ++it; continue; }
                    shared->report_sent_ns.store(now_ns());
                    send_whole(it->second, kArrivalReport);
                    it = arrivals.erase(it);
                }
                keep_timer();
                continue;
            }
            const long got = recv(fd, buffer.data(), buffer.size(), 0);
            if (got <= 0) {
                drop(fd);
                continue;
            }
            const std::int64_t arrived = now_ns();
            std::string& in = pending[fd];
            in.append(buffer.data(), static_cast<std::size_t>(got));
            std::string out;
            std::size_t start = 0;
            for (std::size_t end; (end = in.find('\n', start)) != std::string::npos; start = end + 1) {
                const std::string_view line(in.data() + start, end - start);
                const std::string_view command = command_of(line);
                if (command == "movej_canfd") {
                    if (shared->recording.load(std::memory_order_relaxed)) {
                        const int k = shared->set_points.load(std::memory_order_relaxed);
                        if (k < kMaxRecorded) shared->set_point_ns[k] = arrived;
                        shared->set_points.store(k + 1, std::memory_order_release);
                    }
                    if (shared->set_point_line_length.load() == 0 && line.size() + 1 < sizeof shared->set_point_line) {
                        std::memcpy(shared->set_point_line, line.data(), line.size());
                        shared->set_point_line[line.size()] = '\n';
                        shared->set_point_line_length.store(static_cast<int>(line.size() + 1));
                    }
                    continue;
                }
                if (command == "bench_arrival" || command == "movej") {
                    arrivals.emplace_back(arrived + 50'000'000, fd);
                    keep_timer();
                } else if (command == "bench_push_reports" && phase_of[fd] < 0) {
                    phase_of[fd] = next_phase;
                    pushed[next_phase].push_back(fd);
                    next_phase = (next_phase + 1) % kReportPhases;
                    ++pushing;
                    keep_timer();
                }
                const auto a = peer_answers().find(std::string(command));
                if (a != peer_answers().end()) out.append(a->second).append("\r\n");
            }
            in.erase(0, start);
            if (in.size() > (1 << 20)) in.clear();  // no line ever grows this long
            if (!out.empty()) send_whole(fd, out);
        }
    }
}

// The peer process: forked before any thread exists in this one.
class Peer {
public:
    Peer() {
        void* page = mmap(nullptr, sizeof(PeerShared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        shared_ = new (page) PeerShared;
        const int listener = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 1024) != 0 ||
            getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            std::abort();
        port_ = ntohs(address.sin_port);
        pid_ = fork();
        if (pid_ == 0) run_peer(listener, shared_);
        close(listener);
    }
    ~Peer() {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;
    int port() const { return port_; }
    PeerShared& shared() { return *shared_; }
    // A benchmark starts from a clean state: the connections of the one
    // before have ended at the peer too. False when some are still open after 5 s.
    bool wait_until_no_connections() const {
        for (int waited = 0; waited < 5000; ++waited) {
            if (shared_->open_connections.load() == 0) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

private:
    PeerShared* shared_ = nullptr;
    int port_ = 0;
    pid_t pid_ = -1;
};

// The library's connections of one benchmark, opened from up to 50 threads at
// once (each start-up takes four 20 ms pauses), closed when it ends; the
// next benchmark starts when the peer has seen them all end.
class Arms {
public:
    Arms(const Peer& peer, std::size_t count) : peer_(peer), handles_(count, 0) {
        std::atomic<std::size_t> next{0};
        std::vector<std::thread> openers;
        for (std::size_t t = 0; t < std::min<std::size_t>(count, 50); ++t)
            openers.emplace_back([&] {
                char ip[] = "127.0.0.1";
                for (std::size_t i; (i = next++) < handles_.size();)
                    handles_[i] = Arm_Socket_Start(ip, peer_.port(), 3000);
            });
        for (auto& t : openers) t.join();
    }
    ~Arms() {
        for (SOCKHANDLE h : handles_)
            if (ARX_HANDLE_IS_VALID(h)) Arm_Socket_Close(h);
        peer_.wait_until_no_connections();
    }
    Arms(const Arms&) = delete;
    Arms& operator=(const Arms&) = delete;
    bool opened(benchmark::State& state) const {
        for (SOCKHANDLE h : handles_)
            if (!ARX_HANDLE_IS_VALID(h)) {
                state.SkipWithError("a connection failed to open");
                return false;
            }
        return true;
    }
    SOCKHANDLE operator[](std::size_t i) const { return handles_[i]; }
    std::size_t size() const { return handles_.size(); }

private:
    const Peer& peer_;
    std::vector<SOCKHANDLE> handles_;
};

}  // namespace bench

