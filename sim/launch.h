// Starting arx-sim as a child process, as the tests, the benchmarks and the
// soak run do: on a free port (--port 0), its port read from the first line it
// prints, "listening on 127.0.0.1:<port>". POSIX only; header-only, so each
// program that starts a simulator includes it without linking the simulator.
#pragma once

#include <signal.h>
#include <sys/prctl.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace arx::sim {

struct LaunchedSim {
    pid_t pid = -1;  // -1: not started
    int port = 0;    // 0: it printed no port (did not start)
};

// Runs `path` --port 0 `options...` with its standard output read here for the
// port; the child ends with its parent, so a crashed test leaves no simulator.
inline LaunchedSim launch_sim(const std::string& path, const std::vector<std::string>& options = {}) {
    LaunchedSim sim;
    int out[2];
    if (pipe(out) != 0) return sim;
    std::vector<std::string> args = {path, "--port", "0"};
    args.insert(args.end(), options.begin(), options.end());
    sim.pid = fork();
    if (sim.pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    if (sim.pid < 0) {
        close(out[0]);
        return sim;
    }
    std::FILE* first = fdopen(out[0], "r");
    char line[128] = {};
    if (first && std::fgets(line, sizeof line, first)) std::sscanf(line, "listening on 127.0.0.1:%d", &sim.port);
    if (first) std::fclose(first);
    return sim;
}

}  // namespace arx::sim
