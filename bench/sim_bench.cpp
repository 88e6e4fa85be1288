// arx-sim under load beside a one-thread epoll server, in the same run: many
// clients each sending a cheap query and waiting for its reply, over and over,
// against arx-sim and against a reference server that answers the same line
// with the same reply and does nothing else. Repetitions alternate between
// the two; the medians and their ratio are printed. Then arx-sim's idle
// wake-ups: context switches of all its threads over a quiet interval, with
// no client and with idle clients connected.
//
//   sim_bench [--sim PATH] [--clients N] [--seconds S] [--repetitions R]
//             [--idle-seconds S] [--benchmark_out=FILE]
//
// --benchmark_out writes the medians as a benchmark JSON file (other
// --benchmark_* options are accepted and ignored), so `make bench` can run it
// beside the others: rows sim_requests/<N>_clients/{arx,epoll_reference},
// real time per request.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "bench/host.h"
#include "sim/launch.h"

#ifndef ARX_SIM_PATH
#  define ARX_SIM_PATH "arx-sim"
#endif

namespace {

using Clock = std::chrono::steady_clock;
const std::string kRequest = "{\"command\":\"get_joint_degree\"}\r\n";

struct Options {
    std::string sim = ARX_SIM_PATH;
    int clients = 100;
    double seconds = 2;
    int repetitions = 5;
    double idle_seconds = 10;
    std::string out;
};

// One request on a connection of its own, the reply line.
std::string ask_once(int port, const std::string& request) {
    const int s = bench::raw_connect(port);
    if (s < 0) return "";
    (void)!::send(s, request.data(), request.size(), MSG_NOSIGNAL);
    std::string reply;
    char buffer[4096];
    while (reply.find('\n') == std::string::npos) {
        const ssize_t n = ::recv(s, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        reply.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(s);
    return reply;
}

// The reference: one thread, epoll, level-triggered, every whole request line
// answered with `reply`, all of one read's answers in one send. It runs in a
// process of its own, as arx-sim does, until it is killed.
[[noreturn]] void serve_reference(int listener, const std::string& reply) {
    const int ep = ::epoll_create1(EPOLL_CLOEXEC);
    const auto watch = [&](int fd) {
        epoll_event e{};
        e.events = EPOLLIN;
        e.data.fd = fd;
        epoll_ctl(ep, EPOLL_CTL_ADD, fd, &e);
    };
    watch(listener);
    std::vector<std::string> pending(1024);
    epoll_event events[256];
    std::string out;
    char buffer[65536];
    for (;;) {
        const int n = ::epoll_wait(ep, events, 256, -1);
        for (int i = 0; i < n; ++i) {
            const int fd = events[i].data.fd;
            if (fd == listener) {
                for (int c; (c = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC)) >= 0;) {
                    const int on = 1;
                    setsockopt(c, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
                    if (static_cast<std::size_t>(c) >= pending.size()) pending.resize(c + 1);
                    pending[c].clear();
                    watch(c);
                }
                continue;
            }
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0) {
                ::close(fd);  // leaves the epoll set with it
                continue;
            }
            std::string& in = pending[fd];
            in.append(buffer, static_cast<std::size_t>(got));
            out.clear();
            std::size_t at = 0;
            for (std::size_t end; (end = in.find('\n', at)) != std::string::npos; at = end + 1) out += reply;
            in.erase(0, at);
            if (!out.empty()) (void)!::send(fd, out.data(), out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        }
    }
}

struct Sim {
    pid_t pid = -1;
    int port = 0;
};

Sim start_sim(const std::string& path) {
    const arx::sim::LaunchedSim launched = arx::sim::launch_sim(path);
    return Sim{launched.pid, launched.port};
}

Sim start_reference(const std::string& reply) {
    Sim server;
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(listener, 4096) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &length) != 0)
        return server;
    server.pid = ::fork();
    if (server.pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        serve_reference(listener, reply);
    }
    ::close(listener);
    server.port = ntohs(a.sin_port);
    return server;
}

struct Load {
    double requests_per_s = 0;
    double server_cpu_s = 0;  // filled by the caller
};

// `clients` connections, each with one request outstanding, driven from one
// epoll thread; requests answered per second over `seconds` after a warm-up.
double drive(int port, int clients, double seconds) {
    std::vector<int> sockets;
    const int ep = ::epoll_create1(EPOLL_CLOEXEC);
    for (int i = 0; i < clients; ++i) {
        const int s = bench::raw_connect(port);
        if (s < 0) break;
        sockets.push_back(s);
        epoll_event e{};
        e.events = EPOLLIN;
        e.data.u32 = static_cast<uint32_t>(i);
        epoll_ctl(ep, EPOLL_CTL_ADD, s, &e);
    }
    std::vector<std::size_t> partial(sockets.size(), 0);
    for (int s : sockets) (void)!::send(s, kRequest.data(), kRequest.size(), MSG_NOSIGNAL);
    const auto warm = Clock::now() + std::chrono::milliseconds(200);
    const auto end = warm + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    long long answered = 0;
    bool counting = false;
    epoll_event events[256];
    char buffer[65536];
    for (;;) {
        const auto now = Clock::now();
        if (!counting && now >= warm) counting = true, answered = 0;
        if (now >= end) break;
        const int n = ::epoll_wait(ep, events, 256, 50);
        for (int i = 0; i < n; ++i) {
            const uint32_t k = events[i].data.u32;
            const ssize_t got = ::recv(sockets[k], buffer, sizeof buffer, 0);
            if (got <= 0) continue;
            int lines = 0;
            for (ssize_t j = 0; j < got; ++j) lines += buffer[j] == '\n';
            answered += lines;
            for (int l = 0; l < lines; ++l) (void)!::send(sockets[k], kRequest.data(), kRequest.size(), MSG_NOSIGNAL);
        }
    }
    for (int s : sockets) ::close(s);
    ::close(ep);
    if (static_cast<int>(sockets.size()) < clients)
        std::fprintf(stderr, "only %zu clients connected\n", sockets.size());
    return static_cast<double>(answered) / seconds;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Wake-ups per second of the simulator's threads over `seconds`.
double idle_wakeups(pid_t pid, double seconds) {
    const long long before = bench::process_times(pid).switches;
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    return static_cast<double>(bench::process_times(pid).switches - before) / seconds;
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto value = [&] { return i + 1 < argc ? std::string(argv[++i]) : std::string(); };
        if (a == "--sim")
            o.sim = value();
        else if (a == "--clients")
            o.clients = std::atoi(value().c_str());
        else if (a == "--seconds")
            o.seconds = std::atof(value().c_str());
        else if (a == "--repetitions")
            o.repetitions = std::atoi(value().c_str());
        else if (a == "--idle-seconds")
            o.idle_seconds = std::atof(value().c_str());
        else if (a.rfind("--benchmark_out=", 0) == 0)
            o.out = a.substr(std::strlen("--benchmark_out="));
        else if (a.rfind("--benchmark_", 0) == 0)
            continue;  // make bench's options for the others
        else {
            std::fprintf(stderr, "unknown option %s\n", a.c_str());
            std::exit(2);
        }
    }
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    const Options o = parse(argc, argv);
    signal(SIGPIPE, SIG_IGN);
    const Sim sim = start_sim(o.sim);
    if (sim.port == 0) {
        std::fprintf(stderr, "arx-sim (%s) did not start\n", o.sim.c_str());
        return 1;
    }
    const std::string reply = ask_once(sim.port, kRequest);
    const Sim reference = start_reference(reply);
    if (reply.empty() || reference.port == 0) {
        std::fprintf(stderr, "no reply from arx-sim, or no reference server\n");
        return 1;
    }

    std::vector<double> sim_rate, ref_rate, sim_cpu, ref_cpu;
    for (int r = 0; r < o.repetitions; ++r) {
        // Alternating which goes first, so that a drift in the machine's load falls on both.
        for (int turn = 0; turn < 2; ++turn) {
            const bool sim_turn = (turn == 0) == (r % 2 == 0);
            const Sim& server = sim_turn ? sim : reference;
            const double cpu_before = double(bench::process_times(server.pid).cpu_ns) / 1e9;
            const double rate = drive(server.port, o.clients, o.seconds);
            const double cpu = double(bench::process_times(server.pid).cpu_ns) / 1e9 - cpu_before;
            // CPU per request over the whole run (warm-up included, roughly 10 %).
            const double per_request_us = rate > 0 ? cpu / (rate * (o.seconds + 0.2)) * 1e6 : 0;
            (sim_turn ? sim_rate : ref_rate).push_back(rate);
            (sim_turn ? sim_cpu : ref_cpu).push_back(per_request_us);
        }
    }
    const double sim_median = median(sim_rate), ref_median = median(ref_rate);
    std::printf("%d clients, %d x %.1f s, interleaved; medians:\n", o.clients, o.repetitions, o.seconds);
    std::printf("  arx-sim          %9.0f requests/s  %6.2f us CPU/request\n", sim_median, median(sim_cpu));
    std::printf("  epoll reference  %9.0f requests/s  %6.2f us CPU/request\n", ref_median, median(ref_cpu));
    std::printf("  ratio            %9.2f\n", ref_median > 0 ? sim_median / ref_median : 0);

    double idle = -1, idle_clients = -1;
    if (o.idle_seconds > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the load's last connections close
        idle = idle_wakeups(sim.pid, o.idle_seconds);
        std::vector<int> quiet;
        for (int i = 0; i < 50; ++i) quiet.push_back(bench::raw_connect(sim.port));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        idle_clients = idle_wakeups(sim.pid, o.idle_seconds);
        for (int s : quiet)
            if (s >= 0) ::close(s);
        std::printf("arx-sim idle: %.2f wake-ups/s with no client, %.2f with 50 idle clients (%.0f s each)\n", idle,
                    idle_clients, o.idle_seconds);
    }
    for (pid_t pid : {sim.pid, reference.pid}) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }

    if (!o.out.empty()) {
        std::FILE* f = std::fopen(o.out.c_str(), "w");
        if (!f) return 1;
        const auto row = [&](const char* impl, double rate, double cpu_us, bool last) {
            std::fprintf(f,
                         "    {\"name\": \"sim_requests/%d_clients/%s/real_time_median\", "
                         "\"run_name\": \"sim_requests/%d_clients/%s/real_time\", \"run_type\": \"aggregate\", "
                         "\"aggregate_name\": \"median\", \"repetitions\": %d, \"iterations\": 1, "
                         "\"real_time\": %.3f, \"cpu_time\": %.3f, \"time_unit\": \"ns\", "
                         "\"label\": \"requests_per_s\", \"requests_per_s\": %.0f%s}%s\n",
                         o.clients, impl, o.clients, impl, o.repetitions, rate > 0 ? 1e9 / rate : 0, cpu_us * 1e3, rate,
                         std::string(idle >= 0 && std::strcmp(impl, "arx") == 0
                                         ? ", \"idle_wakeups_per_s\": " + std::to_string(idle) +
                                               ", \"idle_wakeups_50_clients_per_s\": " + std::to_string(idle_clients)
                                         : "")
                             .c_str(),
                         last ? "" : ",");
        };
        std::fprintf(f, "{\n  \"context\": {\"executable\": \"sim_bench\"},\n  \"benchmarks\": [\n");
        row("arx", sim_median, median(sim_cpu), false);
        row("epoll_reference", ref_median, median(ref_cpu), true);
        std::fprintf(f, "  ]\n}\n");
        std::fclose(f);
    }
    return 0;
}
