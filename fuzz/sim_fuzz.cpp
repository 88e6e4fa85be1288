// The simulated controller's request handling on arbitrary lines. One
// controller lives across all inputs, as it does across a server's clients,
// so settings, frames, faults and motions from one input meet the next. Each
// input is one client session on a socket pair: its lines are answered, a
// trajectory file announced by a line takes the bytes after it, and the
// motion clock runs a few steps. Checked after every input:
//   - everything the controller wrote is whole JSON lines ended by CR LF
//     (a reset fault may cut the last one, which then ends the session);
//   - the arm's joints, the gripper and the lift stay finite.
#include "sim/controller.h"
#include "sim/session.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace arx::sim;

// A fuzz input is small; more motions than this are what earlier inputs left
// standing (stalled or dropped moves never end), cleared so memory stays flat.
constexpr std::size_t kMotionsKept = 256;

void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "sim: %s: %s\n", what, detail.c_str());
    std::abort();
}

struct SocketPair {
    int ends[2] = {-1, -1};
    SocketPair() {
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, ends) != 0) fail("socketpair", "");
    }
    ~SocketPair() { ::close(ends[1]); }  // ends[0] belongs to the session
    SocketPair(const SocketPair&) = delete;
    SocketPair& operator=(const SocketPair&) = delete;
};

// Moves everything due out of the session and into `received`.
void drain(Session& session, int peer, std::string& received) {
    char buffer[4096];
    for (int round = 0; round < 1000; ++round) {
        const bool open = !session.closed() && session.flush(SimClock::time_point::max(), std::chrono::hours(1));
        ssize_t n;
        while ((n = ::read(peer, buffer, sizeof buffer)) > 0) received.append(buffer, static_cast<std::size_t>(n));
        if (!open || session.idle()) return;
    }
    fail("session never emptied", std::to_string(session.backlog()));
}

void check_lines(const std::string& received, bool cut_allowed) {
    std::size_t at = 0;
    for (std::size_t end; (end = received.find("\r\n", at)) != std::string::npos; at = end + 2) {
        const std::string line = received.substr(at, end - at);
        JsonPtr parsed(cJSON_Parse(line.c_str()));
        if (!cJSON_IsObject(parsed.get()) || line.find('\n') != std::string::npos) fail("not a JSON line", line);
    }
    if (at != received.size() && !cut_allowed) fail("unfinished line", received.substr(at));
}

void check_state(Controller& controller) {
    std::lock_guard<std::mutex> lock(controller.mutex);
    ControllerState& s = controller.state;
    for (double j : s.joints)
        if (!std::isfinite(j)) fail("joint not finite", std::to_string(j));
    if (!std::isfinite(s.gripper) || !std::isfinite(s.lift_height)) fail("device position not finite", "");
    if (s.motions.size() > kMotionsKept) s.motions.clear();
    if (s.device_motions.size() > kMotionsKept) s.device_motions.clear();
}

}  // namespace

// The controller keeps what an input gave it (frames, waypoints, motions), so
// nearly every input ends with more allocated than it began with, and
// libFuzzer's per-input leak check would stop the process for a leak scan
// after each one (a tenth of the speed). Leaks are still reported: by
// LeakSanitizer when the process ends.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static std::vector<char*> args(*argv, *argv + *argc);
    static char no_per_input_leak_check[] = "-detect_leaks=0";
    args.insert(args.begin() + 1, no_per_input_leak_check);
    args.push_back(nullptr);
    *argc = static_cast<int>(args.size()) - 1;
    *argv = args.data();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FaultTable faults;
    static Controller controller(ARM_MODEL_A, 1000, faults);  // quick motions: arrivals within an input

    SocketPair pair;
    auto session = std::make_shared<Session>(pair.ends[0], faults);
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::string received;
    bool reset = false;
    std::size_t at = 0;
    while (at < input.size() && !reset) {
        if (session->file_bytes_expected > 0) {
            // The announced trajectory file: raw bytes, as the server takes them.
            const std::size_t take = std::min(session->file_bytes_expected, input.size() - at);
            session->file_content.append(input, at, take);
            at += take;
            session->file_bytes_expected -= take;
            if (session->file_bytes_expected == 0) {
                controller.run_project(session->file_content, session);
                session->file_content.clear();
            }
            continue;
        }
        std::size_t end = input.find('\n', at);
        if (end == std::string::npos) end = input.size();
        std::string line = input.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        reset = !controller.handle(line, session);
        for (const Report& report : controller.tick(0.01))
            if (auto to = report.to.lock()) to->report(report.line);
    }
    for (int step = 0; step < 3; ++step)
        for (const Report& report : controller.tick(0.1))
            if (auto to = report.to.lock()) to->report(report.line);
    drain(*session, pair.ends[1], received);
    check_lines(received, reset);
    check_state(controller);
    return 0;
}
