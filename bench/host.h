// What the benchmarks read of the host: a process's threads' wake-ups and CPU
// time from /proc, and a plain TCP client on loopback.
#pragma once

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

namespace bench {

// Wake-ups (context switches) and CPU time of the threads listed in a task
// folder of /proc (`skip_self`: all but the calling one): the scheduler's own
// nanosecond count, not clock ticks.
struct ThreadTimes {
    long switches = 0;
    std::int64_t cpu_ns = 0;
};

// One thread's, from its task folder.
inline ThreadTimes task_times(const std::string& task) {
    ThreadTimes t;
    std::ifstream status(task + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.find("ctxt_switches") != std::string::npos) t.switches += std::atol(line.c_str() + line.find(':') + 1);
    std::ifstream schedstat(task + "/schedstat");
    schedstat >> t.cpu_ns;
    return t;
}

inline ThreadTimes thread_times(const std::string& task_dir, bool skip_self) {
    ThreadTimes sum;
    const std::string self = std::to_string(gettid());
    DIR* dir = opendir(task_dir.c_str());
    if (!dir) return sum;
    while (dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.' || (skip_self && self == e->d_name)) continue;
        const ThreadTimes t = task_times(task_dir + "/" + e->d_name);
        sum.switches += t.switches;
        sum.cpu_ns += t.cpu_ns;
    }
    closedir(dir);
    return sum;
}
// The calling thread's own.
inline ThreadTimes this_thread_times() { return task_times("/proc/self/task/" + std::to_string(gettid())); }
// The same for another process.
inline ThreadTimes process_times(pid_t pid) { return thread_times("/proc/" + std::to_string(pid) + "/task", false); }

// A plain blocking TCP client on loopback, -1 when refused.
inline int raw_connect(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    const int on = 1;  // as the library's sockets
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}

}  // namespace bench
