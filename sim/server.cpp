#include "sim/server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace arx::sim {

namespace {

constexpr auto kTick = std::chrono::milliseconds(10);
// A batched reply whose companion does not come leaves alone after this.
constexpr auto kBatchHold = std::chrono::milliseconds(300);
constexpr int kPollMs = 100;

}  // namespace

Server::Server(Controller& controller, int port) : controller_(controller) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (listener_ < 0) return;
    const int on = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 64) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return;
    port_ = ntohs(address.sin_port);
    clock_ = std::thread([this] { clock(); });
}

Server::~Server() {
    stop();
    if (clock_.joinable()) clock_.join();
    for (std::thread& t : readers_)
        if (t.joinable()) t.join();
    if (listener_ >= 0) ::close(listener_);
}

void Server::stop() { stopping_ = true; }

void Server::run() {
    while (!stopping_ && port_ != 0) {
        pollfd wait{listener_, POLLIN, 0};
        if (::poll(&wait, 1, kPollMs) <= 0) continue;
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client < 0) continue;
        const int on = 1;
        setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        auto session = std::make_shared<Session>(client, controller_.faults);
        {
            std::lock_guard<std::mutex> lock(sessions_mutex_);
            sessions_.push_back(session);
        }
        readers_.emplace_back([this, session] { serve(session); });
    }
}

void Server::serve(const std::shared_ptr<Session>& session) {
    std::string pending;
    char buffer[4096];
    while (!stopping_) {
        pollfd wait{session->socket(), POLLIN, 0};
        if (wait.fd < 0) break;
        const int ready = ::poll(&wait, 1, kPollMs);
        if (ready == 0) continue;
        const ssize_t n = ready < 0 ? -1 : ::recv(wait.fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        pending.append(buffer, static_cast<std::size_t>(n));
        if (!feed(session, pending)) {
            // A deaf controller keeps the connection open and reads nothing more.
            while (!stopping_ && !session->closed()) std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
            break;
        }
    }
    session->close(false);
}

bool Server::feed(const std::shared_ptr<Session>& session, std::string& pending) {
    while (!pending.empty()) {
        if (session->file_bytes_expected > 0) {
            const std::size_t take = std::min(session->file_bytes_expected, pending.size());
            session->file_content.append(pending, 0, take);
            pending.erase(0, take);
            session->file_bytes_expected -= take;
            if (session->file_bytes_expected == 0) {
                // The project is under way before the verdict leaves.
                controller_.run_project(session->file_content, session);
                if (!session->reply("download_project",
                                    JsonLine::command("download_project").flag("project_state", true).line()))
                    return false;
            }
            continue;
        }
        const std::size_t end = pending.find('\n');
        if (end == std::string::npos) return true;
        std::string line = pending.substr(0, end);
        pending.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!controller_.handle(line, session)) return false;
    }
    return true;
}

void Server::clock() {
    auto last = std::chrono::steady_clock::now();
    while (!stopping_) {
        std::this_thread::sleep_for(kTick);
        const auto now = std::chrono::steady_clock::now();
        controller_.tick(std::chrono::duration<double>(now - last).count());
        last = now;
        std::lock_guard<std::mutex> lock(sessions_mutex_);
        for (auto it = sessions_.begin(); it != sessions_.end();) {
            if (auto s = it->lock()) {
                s->flush_held(kBatchHold);
                ++it;
            } else {
                it = sessions_.erase(it);
            }
        }
    }
}

}  // namespace arx::sim
