#include "sim/server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace arx::sim {

namespace {

constexpr auto kTick = std::chrono::milliseconds(10);
constexpr auto kPollLimit = std::chrono::milliseconds(100);
// A client whose replies found no room for this long no longer listens.
constexpr auto kSendLimit = std::chrono::milliseconds(2000);
// Out of descriptors: accepting again at once would only spin.
constexpr auto kAcceptPause = std::chrono::milliseconds(100);
constexpr std::size_t kReadChunk = 64 * 1024;
// No request line comes near this; a longer one is not a client of ours.
constexpr std::size_t kMaxLine = 64 * 1024;
// A client with this much unread output is not read from until it takes some.
constexpr std::size_t kReadPauseBacklog = 1024 * 1024;
// Requests answered for one client before the others get their turn.
constexpr int kLinesPerTurn = 64;

}  // namespace

Server::Server(Controller& controller, int port) : controller_(controller) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listener_ < 0) return;
    const int on = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, SOMAXCONN) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return;
    int wake[2];
    if (::pipe2(wake, O_NONBLOCK | O_CLOEXEC) != 0) return;
    wake_read_ = wake[0];
    wake_write_ = wake[1];
    try {
        clock_ = std::thread([this] { clock(); });
    } catch (const std::system_error&) {
        return;  // no clock, no controller: port() stays 0
    }
    port_ = ntohs(address.sin_port);
}

Server::~Server() {
    stop();
    if (clock_.joinable()) clock_.join();
    sessions_.clear();
    for (int fd : {listener_, wake_read_, wake_write_})
        if (fd >= 0) ::close(fd);
}

void Server::stop() {
    stopping_ = true;
    if (wake_write_ >= 0) {
        const char nudge = 1;
        (void)!::write(wake_write_, &nudge, 1);
    }
}

void Server::run() {
    std::vector<pollfd> watched;
    while (!stopping_ && port_ != 0) {
        const SimClock::time_point now = SimClock::now();
        const bool accepting = now >= accept_paused_until_;
        SimClock::time_point wake_at = now + kPollLimit;
        if (!accepting) wake_at = std::min(wake_at, accept_paused_until_);
        watched.clear();
        watched.push_back({wake_read_, POLLIN, 0});
        watched.push_back({accepting ? listener_ : -1, POLLIN, 0});
        for (const std::shared_ptr<Session>& s : sessions_) {
            short events = 0;
            const bool may_answer = s->reading && s->backlog() < kReadPauseBacklog;
            if (may_answer && s->lines_waiting) wake_at = now;  // its next turn comes at once
            if (may_answer && !s->lines_waiting && !s->peer_done) events |= POLLIN;
            // A connection still read learns of its end from recv(); one no longer read, from here.
            if (!s->reading) events |= POLLRDHUP;
            if (s->has_due(now)) events |= POLLOUT;
            wake_at = std::min(wake_at, s->next_due());
            watched.push_back({s->socket(), events, 0});
        }
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(wake_at - now).count();
        if (::poll(watched.data(), watched.size(), static_cast<int>(std::max<long long>(0, wait))) < 0 &&
            errno != EINTR)
            continue;

        if (watched[0].revents) {
            char drain[64];
            while (::read(wake_read_, drain, sizeof drain) > 0) {}
        }
        deliver_reports();
        const std::size_t served = sessions_.size();  // those accepted now were not polled yet
        if (watched[1].revents & POLLIN) accept_clients();

        const SimClock::time_point after = SimClock::now();
        for (std::size_t i = 0; i < served; ++i) {
            const std::shared_ptr<Session>& s = sessions_[i];
            const short seen = watched[i + 2].revents;
            if (seen & POLLNVAL) {
                s->close(false);
                continue;
            }
            if (s->lines_waiting && s->reading && s->backlog() < kReadPauseBacklog) {
                if (!feed(s)) s->close(false);
            } else if (seen & POLLIN) {
                read_from(s);
            }
            // A connection no longer read still ends when its peer leaves.
            if (!s->reading && (seen & (POLLRDHUP | POLLHUP | POLLERR))) s->close(false);
            if (!s->closed() && !s->flush(after, kSendLimit)) s->close(false);
            if (s->peer_done && !s->lines_waiting && s->idle()) s->close(false);
        }
        sessions_.erase(std::remove_if(sessions_.begin(), sessions_.end(),
                                       [](const std::shared_ptr<Session>& s) { return s->closed(); }),
                        sessions_.end());
        controller_.clients = static_cast<int>(sessions_.size());
    }
}

void Server::accept_clients() {
    // A few at a time, so that a storm of connections does not starve the others.
    for (int i = 0; i < 64; ++i) {
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (client < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
                accept_paused_until_ = SimClock::now() + kAcceptPause;
            return;
        }
        const int on = 1;
        setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        sessions_.push_back(std::make_shared<Session>(client, controller_.faults));
    }
}

void Server::read_from(const std::shared_ptr<Session>& session) {
    char buffer[kReadChunk];
    const ssize_t n = ::recv(session->socket(), buffer, sizeof buffer, MSG_DONTWAIT);
    if (n == 0) {
        session->peer_done = true;  // closed once what it was promised is out
        return;
    }
    if (n < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) session->close(false);
        return;
    }
    session->inbound.append(buffer, static_cast<std::size_t>(n));
    if (!feed(session)) session->close(false);
}

bool Server::feed(const std::shared_ptr<Session>& session) {
    std::string& in = session->inbound;
    std::size_t at = 0;
    bool keep = true;
    int answered = 0;
    session->lines_waiting = false;
    while (at < in.size() && session->reading) {
        if (answered == kLinesPerTurn) {
            session->lines_waiting = true;
            break;
        }
        if (session->file_bytes_expected > 0) {
            const std::size_t take = std::min(session->file_bytes_expected, in.size() - at);
            session->file_content.append(in, at, take);
            at += take;
            session->scanned = at;
            session->file_bytes_expected -= take;
            if (session->file_bytes_expected == 0) {
                // The project is under way before the verdict leaves.
                controller_.run_project(session->file_content, session);
                session->file_content.clear();
                if (!session->reply("download_project",
                                    JsonLine::command("download_project").flag("project_state", true).line()))
                    session->reading = false;
            }
            continue;
        }
        // Bytes already searched hold no line feed: only the new ones are looked at.
        const std::size_t end = in.find('\n', std::max(at, session->scanned));
        if (end == std::string::npos) {
            session->scanned = in.size();
            break;
        }
        if (end - at > kMaxLine) {
            keep = false;
            break;
        }
        std::string line = in.substr(at, end - at);
        at = end + 1;
        session->scanned = at;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        ++answered;
        if (!controller_.handle(line, session)) session->reading = false;
    }
    if (!session->reading) {
        in.clear();
        session->scanned = 0;
        return keep;
    }
    in.erase(0, at);
    session->scanned -= std::min(at, session->scanned);
    // A line that never ends is not a request.
    return keep && (session->lines_waiting || session->file_bytes_expected > 0 || in.size() <= kMaxLine);
}

void Server::deliver_reports() {
    std::vector<Report> reports;
    {
        std::lock_guard<std::mutex> lock(mailbox_mutex_);
        reports.swap(mailbox_);
    }
    for (const Report& r : reports)
        if (auto session = r.to.lock()) session->report(r.line);
}

void Server::clock() {
    auto last = SimClock::now();
    while (!stopping_) {
        std::this_thread::sleep_for(kTick);
        const auto now = SimClock::now();
        std::vector<Report> reports = controller_.tick(std::chrono::duration<double>(now - last).count());
        last = now;
        if (reports.empty()) continue;
        {
            std::lock_guard<std::mutex> lock(mailbox_mutex_);
            for (Report& r : reports) mailbox_.push_back(std::move(r));
        }
        const char nudge = 1;
        (void)!::write(wake_write_, &nudge, 1);  // a full pipe already wakes the loop
    }
}

}  // namespace arx::sim
