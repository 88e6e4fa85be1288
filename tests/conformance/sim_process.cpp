#include "conformance/sim_process.h"
#include "sim/launch.h"
#include "support/command_cases.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace arx::test {

SimProcess::SimProcess(const std::vector<std::string>& options) {
    std::vector<std::string> all = options;
    if (std::getenv("ARX_SIM_LOG")) all.push_back("--log");
    const sim::LaunchedSim launched = sim::launch_sim(ARX_SIM_PATH, all);
    pid_ = launched.pid;
    port_ = launched.port;
}

SimProcess::~SimProcess() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    if (wait_until([this] { return waitpid(pid_, nullptr, WNOHANG) != 0; }, 2000)) return;
    kill(pid_, SIGKILL);  // not stopped within two seconds
    waitpid(pid_, nullptr, 0);
}

LineClient::LineClient(int port, int receive_buffer_bytes) : socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
    if (receive_buffer_bytes > 0)
        setsockopt(socket_, SOL_SOCKET, SO_RCVBUF, &receive_buffer_bytes, sizeof receive_buffer_bytes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(socket_);
        socket_ = -1;
        return;
    }
    const timeval limit{2, 0};
    setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
}

LineClient::~LineClient() {
    if (socket_ >= 0) close(socket_);
}

void LineClient::tell(const std::string& line) const {
    const std::string bytes = line + "\r\n";
    send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

std::string LineClient::ask(const std::string& line, int lines) {
    tell(line);
    std::string replies;
    char buffer[512];
    ssize_t n;
    for (int i = 0; i < lines; ++i) {
        while (pending_.find('\n') == std::string::npos && (n = recv(socket_, buffer, sizeof buffer, 0)) > 0)
            pending_.append(buffer, static_cast<std::size_t>(n));
        const std::size_t end = pending_.find('\n');
        if (end == std::string::npos) break;
        replies += pending_.substr(0, end + 1);
        pending_.erase(0, end + 1);
    }
    return replies;
}

std::string SimProcess::ask(const std::string& line) const { return LineClient(port_).ask(line); }

bool SimProcess::set_fault(const std::string& word, const std::string& fault) const {
    return ask(R"({"command":"sim_fault","word":")" + word + R"(","fault":")" + fault + R"("})").find("true") !=
           std::string::npos;
}

bool SimProcess::wait_idle(int limit_ms) const {
    return wait_until([this] { return ask(R"({"command":"sim_status"})").find(R"("moving":0)") != std::string::npos; },
                      limit_ms);
}

void SimConnection::start(const char* model, int code, std::vector<std::string> options) {
    options.insert(options.begin(), {"--model", model, "--speed", "20"});  // later options win
    sim = std::make_unique<SimProcess>(options);
    ASSERT_NE(sim->port(), 0) << "arx-sim did not start";
    ASSERT_EQ(Arx_API_Init(code, nullptr), 0);
    h = Arm_Socket_Start("127.0.0.1", sim->port(), 100);
    ASSERT_TRUE(ARX_HANDLE_IS_VALID(h)) << "connect failed with " << h;
}

}  // namespace arx::test
