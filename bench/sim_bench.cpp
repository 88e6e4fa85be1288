// arx-sim under load beside a one-thread epoll server that answers the same
// query with the same bytes: requests per second for 100 clients, each
// asking again as soon as its reply is in; and arx-sim's wake-ups per second
// with no client and no motion. Each benchmark starts its own arx-sim.
#include "bench/bench_peer.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#ifndef ARX_SIM_PATH
#error "ARX_SIM_PATH names the arx-sim executable"
#endif

namespace {

using bench::now_ns;

const char kQueryLine[] = "{\"command\":\"get_joint_max_speed\"}\r\n";
constexpr int kClients = 100;
constexpr int kSeconds = 2;

// A child process, killed and reaped with its owner.
struct Child {
    pid_t pid = -1;
    int port = 0;
    Child() = default;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
};

// arx-sim on a free port; its first line on stdout names the port.
void start_sim(Child& sim) {
    int out[2];
    if (pipe(out) != 0) return;
    sim.pid = fork();
    if (sim.pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDERR_FILENO);
        execl(ARX_SIM_PATH, ARX_SIM_PATH, "--port", "0", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string first;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n') first.push_back(c);
    close(out[0]);
    const std::size_t colon = first.rfind(':');
    if (first.rfind("listening on", 0) == 0 && colon != std::string::npos) sim.port = std::atoi(first.c_str() + colon + 1);
}

// The reply a server gives to kQueryLine, line feed included.
std::string ask_once(int port) {
    const int fd = bench::raw_connect(port);
    if (fd < 0) return {};
    std::string reply;
    if (send(fd, kQueryLine, sizeof kQueryLine - 1, MSG_NOSIGNAL) == long(sizeof kQueryLine - 1)) {
        char buffer[1024];
        for (long n; reply.find('\n') == std::string::npos && (n = recv(fd, buffer, sizeof buffer, 0)) > 0;)
            reply.append(buffer, std::size_t(n));
    }
    close(fd);
    return reply;
}

// The reference: one thread, epoll, every line answered with `reply`.
[[noreturn]] void run_epoll_server(int listener, const std::string& reply) {
    const int ep = epoll_create1(0);
    epoll_event e{};
    e.events = EPOLLIN;
    e.data.fd = listener;
    epoll_ctl(ep, EPOLL_CTL_ADD, listener, &e);
    std::vector<std::string> pending(65536);
    char buffer[16384];
    epoll_event events[256];
    for (;;) {
        const int n = epoll_wait(ep, events, 256, -1);
        for (int i = 0; i < n; ++i) {
            const int fd = events[i].data.fd;
            if (fd == listener) {
                for (int c; (c = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
                    epoll_event ce{};
                    ce.events = EPOLLIN;
                    ce.data.fd = c;
                    epoll_ctl(ep, EPOLL_CTL_ADD, c, &ce);
                }
                continue;
            }
            const long got = recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0) {
                epoll_ctl(ep, EPOLL_CTL_DEL, fd, nullptr);
                close(fd);
                pending[std::size_t(fd)].clear();
                continue;
            }
            std::string& in = pending[std::size_t(fd)];
            in.append(buffer, std::size_t(got));
            std::string out;
            std::size_t start = 0;
            for (std::size_t end; (end = in.find('\n', start)) != std::string::npos; start = end + 1) out += reply;
            in.erase(0, start);
            if (!out.empty()) bench::send_whole(fd, out);
        }
    }
}

void start_epoll_server(Child& server, const std::string& reply) {
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 1024) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return;
    server.port = ntohs(address.sin_port);
    server.pid = fork();
    if (server.pid == 0) run_epoll_server(listener, reply);
    close(listener);
}

// kClients clients on one epoll thread, each sending the query again as soon
// as its reply's line feed is in: replies per second over kSeconds, after a
// quarter second to settle. Negative when a client could not connect.
double requests_per_second(int port) {
    std::vector<int> fds;
    const int ep = epoll_create1(EPOLL_CLOEXEC);
    for (int i = 0; i < kClients; ++i) {
        const int fd = bench::raw_connect(port);
        if (fd < 0) break;
        fds.push_back(fd);
        epoll_event e{};
        e.events = EPOLLIN;
        e.data.u32 = static_cast<std::uint32_t>(i);
        epoll_ctl(ep, EPOLL_CTL_ADD, fd, &e);
        bench::send_whole(fd, kQueryLine);
    }
    long replies = 0;
    bool ok = int(fds.size()) == kClients;
    const std::int64_t settle_until = now_ns() + 250'000'000, end = settle_until + std::int64_t(kSeconds) * 1'000'000'000;
    char buffer[16384];
    epoll_event events[128];
    for (std::int64_t now = now_ns(); ok && now < end; now = now_ns()) {
        const int n = epoll_wait(ep, events, 128, 100);
        for (int k = 0; k < n; ++k) {
            const int fd = fds[events[k].data.u32];
            const long got = recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0) {
                ok = false;
                break;
            }
            for (long i = 0; i < got; ++i) {
                if (buffer[i] != '\n') continue;
                if (now >= settle_until) ++replies;
                bench::send_whole(fd, kQueryLine);
            }
        }
    }
    for (int fd : fds) close(fd);
    close(ep);
    return ok ? double(replies) / kSeconds : -1;
}

void BM_SimRequests(benchmark::State& state) {
    Child sim;
    start_sim(sim);
    if (sim.port == 0 || ask_once(sim.port).empty()) {
        state.SkipWithError("arx-sim did not start or answer");
        return;
    }
    for (auto _ : state) state.counters["requests_per_s"] = requests_per_second(sim.port);
    if (state.counters["requests_per_s"] < 0) state.SkipWithError("a client lost its connection");
    state.SetLabel("requests_per_s");
}

void BM_EpollRequests(benchmark::State& state) {
    Child sim;  // only for the reply's exact bytes
    start_sim(sim);
    const std::string reply = sim.port ? ask_once(sim.port) : std::string();
    if (reply.empty()) {
        state.SkipWithError("arx-sim did not start or answer");
        return;
    }
    kill(sim.pid, SIGKILL);
    Child server;
    start_epoll_server(server, reply);
    if (server.port == 0 || ask_once(server.port) != reply) {
        state.SkipWithError("the epoll server did not start or answer alike");
        return;
    }
    for (auto _ : state) state.counters["requests_per_s"] = requests_per_second(server.port);
    if (state.counters["requests_per_s"] < 0) state.SkipWithError("a client lost its connection");
    state.SetLabel("requests_per_s");
}
BENCHMARK(BM_SimRequests)->Name("sim_requests/100_clients/arx_sim")->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EpollRequests)->Name("sim_requests/100_clients/epoll_server")->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// arx-sim with no client and nothing moving: its threads' wake-ups and CPU
// over kSeconds, after half a second to finish starting.
void BM_SimIdle(benchmark::State& state) {
    Child sim;
    start_sim(sim);
    if (sim.port == 0) {
        state.SkipWithError("arx-sim did not start");
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const std::string tasks = "/proc/" + std::to_string(sim.pid) + "/task";
    for (auto _ : state) {
        const bench::ThreadTimes before = bench::thread_times(tasks, false);
        std::this_thread::sleep_for(std::chrono::seconds(kSeconds));
        const bench::ThreadTimes after = bench::thread_times(tasks, false);
        state.counters["wakeups_per_s"] = double(after.switches - before.switches) / kSeconds;
        state.counters["cpu_percent"] = 100.0 * double(after.cpu_ns - before.cpu_ns) / 1e9 / kSeconds;
    }
    state.SetLabel("wakeups_per_s");
}
BENCHMARK(BM_SimIdle)->Name("sim_idle/no_clients/arx_sim")->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
