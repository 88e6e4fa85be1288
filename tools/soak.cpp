// arx_soak: the library under steady use for a long while. N threads, each
// with M connections to one arx-sim it starts itself, run a fixed mix of
// blocking queries, queued settings and blocking moves until the time is up.
//
//   arx_soak --sim PATH [--seconds S] [--threads N] [--connections M]
//
// Prints the calls by function and result code, the slowest call, and the
// resident memory and open descriptors at start and end. Exits 1 when a call
// failed, when resident memory at the end is more than 10 % above what it was
// after the first minute (half the run, for runs under two minutes: the
// library's tables and the threads' stacks are in place by then), or when
// descriptors were left open; 2 on bad usage or when arx-sim does not start.
#include "arx_api.h"
#include "sim/launch.h"

#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    std::string sim;
    int seconds = 60;
    int threads = 4;
    int connections = 4;
};

bool parse(int argc, char** argv, Options& o) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const char* value = argv[i + 1];
        if (option == "--sim")
            o.sim = value;
        else if (option == "--seconds")
            o.seconds = std::atoi(value);
        else if (option == "--threads")
            o.threads = std::atoi(value);
        else if (option == "--connections")
            o.connections = std::atoi(value);
        else
            return false;
    }
    return argc % 2 == 1 && !o.sim.empty() && o.seconds > 0 && o.threads > 0 && o.connections > 0 &&
           o.threads * o.connections <= 250;
}

// arx-sim on a free port, stopped when this goes.
class Simulator {
public:
    explicit Simulator(const std::string& path) {
        const arx::sim::LaunchedSim launched = arx::sim::launch_sim(path, {"--speed", "20"});
        pid_ = launched.pid;
        port_ = launched.port;
    }
    ~Simulator() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;
    int port() const { return port_; }

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

long resident_kib() {
    long pages_total = 0, pages_resident = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return -1;
    const int read = std::fscanf(f, "%ld %ld", &pages_total, &pages_resident);
    std::fclose(f);
    return read == 2 ? pages_resident * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}

int open_descriptors() {
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return -1;
    int n = 0;
    while (const dirent* entry = readdir(dir)) n += entry->d_name[0] != '.';
    closedir(dir);
    return n - 1;  // the listing's own
}

// The count once the library's receive thread has let go of the closed
// connections: it watches a duplicate of each socket and closes that on its
// next turn, a moment after Arm_Socket_Close returns.
int settled_descriptors() {
    int last = open_descriptors(), same = 0;
    for (int i = 0; i < 40 && same < 3; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const int now = open_descriptors();
        same = now == last ? same + 1 : 0;
        last = now;
    }
    return last;
}

// Every call's result by function, and the slowest call.
class Tally {
public:
    void add(const char* function, int rc, double ms) {
        std::lock_guard<std::mutex> lock(mutex_);
        ++results_[function][rc];
        if (rc != 0) ++failures_;
        if (ms > slowest_ms_) slowest_ms_ = ms, slowest_ = function;
    }
    long failures() const { return failures_; }
    void print() const {
        long total = 0;
        std::map<int, long> by_code;
        for (const auto& [function, codes] : results_)
            for (const auto& [rc, n] : codes) {
                std::printf("  %-28s %-3d %-28s %9ld\n", function.c_str(), rc, Arx_Result_Text(rc), n);
                by_code[rc] += n;
                total += n;
            }
        for (const auto& [rc, n] : by_code) std::printf("  result %d (%s): %ld calls\n", rc, Arx_Result_Text(rc), n);
        std::printf("  %ld calls; slowest %s, %.1f ms\n", total, slowest_.c_str(), slowest_ms_);
    }

private:
    mutable std::mutex mutex_;
    std::map<std::string, std::map<int, long>> results_;
    long failures_ = 0;
    double slowest_ms_ = 0;
    std::string slowest_;
};

template <class Call>
void timed(Tally& tally, const char* function, Call&& call) {
    const Clock::time_point start = Clock::now();
    const int rc = call();
    tally.add(function, rc, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
}

// One step of the mix: two queries, a queued setting, a query, a move.
void step(Tally& tally, SOCKHANDLE arm, long n) {
    static const float kHome[7] = {0, 20, 70, 0, 90, 0, 0};
    static const float kNearHome[7] = {4, 22, 68, 0, 88, 3, 0};
    float joints[7];
    POSE pose;
    unsigned short arm_err, sys_err;
    switch (n % 5) {
        case 0:
            timed(tally, "Get_Current_Arm_State",
                  [&] { return Get_Current_Arm_State(arm, joints, &pose, &arm_err, &sys_err); });
            break;
        case 1: timed(tally, "Get_Joint_Degree", [&] { return Get_Joint_Degree(arm, joints); }); break;
        case 2:
            timed(tally, "Set_Joint_Speed (queued)",
                  [&] { return Set_Joint_Speed(arm, static_cast<unsigned char>(1 + n % 6), 30.0f, false); });
            break;
        case 3: timed(tally, "Get_Joint_Speed", [&] { return Get_Joint_Speed(arm, joints); }); break;
        default:
            timed(tally, "Movej_Cmd (blocking)",
                  [&] { return Movej_Cmd(arm, (n / 5) % 2 ? kHome : kNearHome, 50, 0, true); });
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, o)) {
        std::fprintf(stderr,
                     "usage: arx_soak --sim PATH [--seconds S] [--threads N] [--connections M] (N x M <= 250)\n");
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Simulator sim(o.sim);
    if (sim.port() == 0) {
        std::fprintf(stderr, "arx_soak: arx-sim did not start (%s)\n", o.sim.c_str());
        return 2;
    }
    Arx_API_Init(ARM_MODEL_A, nullptr);
    // One connection made and closed first, so what the library creates on
    // first use is counted in the start figures.
    Arm_Socket_Close(Arm_Socket_Start("127.0.0.1", sim.port(), 3000));
    const long rss_start = resident_kib();
    const int fds_start = settled_descriptors();
    std::printf("soak: %d threads x %d connections for %d s against arx-sim on port %d\n", o.threads,
                o.connections, o.seconds, sim.port());
    std::printf("start: resident %ld KiB, %d descriptors\n", rss_start, fds_start);

    Tally tally;
    std::atomic<int> unconnected{0};
    const Clock::time_point end = Clock::now() + std::chrono::seconds(o.seconds);
    std::vector<std::thread> threads;
    for (int t = 0; t < o.threads; ++t)
        threads.emplace_back([&] {
            std::vector<SOCKHANDLE> arms;
            for (int c = 0; c < o.connections; ++c) {
                const SOCKHANDLE arm = Arm_Socket_Start("127.0.0.1", sim.port(), 3000);
                if (ARX_HANDLE_IS_VALID(arm))
                    arms.push_back(arm);
                else
                    ++unconnected;
            }
            for (long n = 0; Clock::now() < end && !arms.empty(); ++n)
                for (SOCKHANDLE arm : arms) step(tally, arm, n);
            for (SOCKHANDLE arm : arms) Arm_Socket_Close(arm);
        });

    // Memory after the first minute (half the run when shorter than two).
    const int settle_s = o.seconds >= 120 ? 60 : o.seconds / 2;
    std::this_thread::sleep_until(Clock::now() + std::chrono::seconds(settle_s));
    const long rss_settled = resident_kib();
    const int fds_open = open_descriptors();
    std::printf("after %d s: resident %ld KiB, %d descriptors\n", settle_s, rss_settled, fds_open);
    for (std::thread& t : threads) t.join();
    const long rss_end = resident_kib();
    const int fds_end = settled_descriptors();

    std::printf("calls by function and result:\n");
    tally.print();
    std::printf("end: resident %ld KiB, %d descriptors\n", rss_end, fds_end);
    const double growth = rss_settled > 0 ? 100.0 * static_cast<double>(rss_end - rss_settled) / rss_settled : 0;
    std::printf("resident memory since %d s: %+.1f %%\n", settle_s, growth);

    bool ok = true;
    if (unconnected > 0) std::printf("FAIL: %d connections did not start\n", unconnected.load()), ok = false;
    if (tally.failures() > 0) std::printf("FAIL: %ld calls failed\n", tally.failures()), ok = false;
    if (growth > 10.0) std::printf("FAIL: resident memory grew more than 10 %%\n"), ok = false;
    if (fds_end != fds_start) std::printf("FAIL: %d descriptors at the end, %d at the start\n", fds_end, fds_start), ok = false;
    Arx_API_UnInit();
    std::printf("%s\n", ok ? "soak passed" : "soak failed");
    return ok ? 0 : 1;
}
