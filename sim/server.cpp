#include "sim/server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace arx::sim {

namespace {

constexpr auto kTick = std::chrono::milliseconds(10);  // the motion clock, while something moves
// Room for a storm of connects: none waits for a retransmitted handshake.
constexpr int kListenBacklog = 4096;
constexpr int kEventsPerWait = 256;
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
        ::listen(listener_, kListenBacklog) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return;
    int wake[2];
    if (::pipe2(wake, O_NONBLOCK | O_CLOEXEC) != 0) return;
    wake_read_ = wake[0];
    wake_write_ = wake[1];
    epoll_ = ::epoll_create1(EPOLL_CLOEXEC);
    timer_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (epoll_ < 0 || timer_ < 0 || !watch(listener_, EPOLLIN, EPOLL_CTL_ADD) ||
        !watch(wake_read_, EPOLLIN, EPOLL_CTL_ADD) || !watch(timer_, EPOLLIN, EPOLL_CTL_ADD))
        return;  // port() stays 0
    port_ = ntohs(address.sin_port);
}

Server::~Server() {
    for (Client& c : clients_) c.session.reset();
    for (int fd : {listener_, wake_read_, wake_write_, timer_, epoll_})
        if (fd >= 0) ::close(fd);
}

void Server::stop() {
    stopping_ = true;
    wake();
}

void Server::wake() {
    if (wake_write_ >= 0) {
        const char nudge = 1;
        (void)!::write(wake_write_, &nudge, 1);  // a full pipe already wakes the loop
    }
}

bool Server::watch(int fd, uint32_t events, int operation) {
    epoll_event e{};
    e.events = events;
    e.data.fd = fd;
    return ::epoll_ctl(epoll_, operation, fd, &e) == 0;
}

void Server::run() {
    epoll_event events[kEventsPerWait];
    while (!stopping_ && port_ != 0) {
        const int ready = ::epoll_wait(epoll_, events, kEventsPerWait, wait_ms(SimClock::now()));
        if (ready < 0 && errno != EINTR) continue;
        const SimClock::time_point now = SimClock::now();
        bool accept_now = false;
        for (int i = 0; i < std::max(ready, 0); ++i) {
            const int fd = events[i].data.fd;
            const uint32_t seen = events[i].events;
            if (fd == wake_read_) {
                char drain[64];
                while (::read(wake_read_, drain, sizeof drain) > 0) {}
            } else if (fd == timer_) {
                uint64_t expirations = 0;
                (void)!::read(timer_, &expirations, sizeof expirations);
                tick(now);
            } else if (fd == listener_) {
                accept_now = true;  // after the clients polled now are served
            } else if (fd >= 0 && static_cast<std::size_t>(fd) < clients_.size() && clients_[fd].session) {
                const std::shared_ptr<Session>& s = clients_[fd].session;
                touch(fd);
                // A connection still read learns of its end from recv(); one no longer read, from here.
                if (!s->reading && (seen & (EPOLLRDHUP | EPOLLHUP | EPOLLERR)))
                    s->close(false);
                else if (s->reading && !s->lines_waiting && (seen & (EPOLLIN | EPOLLHUP | EPOLLERR)))
                    read_from(s);
            }
        }
        // Clients whose received lines waited for their turn are answered on.
        working_.swap(turns_);
        for (int fd : working_) {
            const std::shared_ptr<Session>& s = clients_[fd].session;
            if (!s) continue;
            touch(fd);
            if (s->lines_waiting && s->reading && s->backlog() < kReadPauseBacklog && !feed(s)) s->close(false);
        }
        // Writes that fell due, and peers that took nothing for too long.
        for (int fd : timed_) touch(fd);
        working_.clear();
        const SimClock::time_point after = SimClock::now();
        working_.swap(touched_);
        for (int fd : working_) settle(fd, after);
        working_.clear();
        if (!listening_ && after >= accept_paused_until_) listening_ = watch(listener_, EPOLLIN, EPOLL_CTL_MOD);
        if (accept_now && listening_) accept_clients();
        set_clock();
    }
}

int Server::wait_ms(SimClock::time_point now) const {
    if (!turns_.empty()) return 0;
    SimClock::time_point wake_at = SimClock::time_point::max();
    for (int fd : timed_) {
        const Session& s = *clients_[fd].session;
        wake_at = std::min(wake_at, s.next_due());
        // A moment after the limit, so that the peer is past it when looked at.
        const SimClock::time_point give_up = s.give_up_at(kSendLimit);
        if (give_up != SimClock::time_point::max()) wake_at = std::min(wake_at, give_up + std::chrono::milliseconds(1));
    }
    if (!listening_) wake_at = std::min(wake_at, accept_paused_until_);
    if (wake_at == SimClock::time_point::max()) return -1;  // until something happens
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(wake_at - now).count();
    return static_cast<int>(std::clamp<long long>(wait, 0, 60 * 1000));
}

void Server::touch(int fd) {
    Client& c = clients_[fd];
    if (!c.touched) {
        c.touched = true;
        touched_.push_back(fd);
    }
}

void Server::settle(int fd, SimClock::time_point now) {
    Client& c = clients_[fd];
    c.touched = false;
    if (!c.session) return;
    Session& s = *c.session;
    if (!s.closed() && !s.flush(now, kSendLimit)) s.close(false);
    if (s.peer_done && !s.lines_waiting && s.idle()) s.close(false);
    if (s.closed()) return drop(fd);
    const bool may_answer = s.reading && s.backlog() < kReadPauseBacklog;
    uint32_t wanted = 0;
    if (may_answer && !s.lines_waiting && !s.peer_done) wanted |= EPOLLIN;
    if (!s.reading) wanted |= EPOLLRDHUP;
    if (s.unsent()) wanted |= EPOLLOUT;
    if (wanted != c.watched && watch(fd, wanted, EPOLL_CTL_MOD)) c.watched = wanted;
    if (may_answer && s.lines_waiting) turns_.push_back(fd);
    const bool timed =
        s.next_due() != SimClock::time_point::max() || s.give_up_at(kSendLimit) != SimClock::time_point::max();
    if (timed)
        timed_.insert(fd);
    else
        timed_.erase(fd);
}

void Server::drop(int fd) {
    // Closing the socket took it out of the epoll set.
    clients_[fd] = Client{};
    --connected_;
    timed_.erase(fd);
}

void Server::tick(SimClock::time_point now) {
    if (!clock_running_) return;
    const double seconds = std::chrono::duration<double>(now - last_tick_).count();
    last_tick_ = now;
    for (const Report& r : controller_.tick(seconds)) {
        const std::shared_ptr<Session> session = r.to.lock();
        if (!session || session->closed()) continue;
        session->report(r.line);
        touch(session->socket());
    }
}

void Server::set_clock() {
    bool moving = false;
    {
        std::lock_guard<std::mutex> lock(controller_.mutex);
        moving = controller_.moving();
    }
    if (moving == clock_running_) return;
    itimerspec period{};
    if (moving) {
        period.it_interval = {0, std::chrono::nanoseconds(kTick).count()};
        period.it_value = period.it_interval;
        last_tick_ = SimClock::now();  // the time before a move began is not its time
    }
    if (::timerfd_settime(timer_, 0, &period, nullptr) == 0) clock_running_ = moving;
}

void Server::accept_clients() {
    // A few at a time, so that a storm of connections does not starve the others.
    for (int i = 0; i < 64; ++i) {
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (client < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                accept_paused_until_ = SimClock::now() + kAcceptPause;
                listening_ = !watch(listener_, 0, EPOLL_CTL_MOD);
            }
            return;
        }
        const int on = 1;
        setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        if (static_cast<std::size_t>(client) >= clients_.size()) clients_.resize(client + 1);
        Client& c = clients_[client];
        c = Client{std::make_shared<Session>(client, controller_.faults), EPOLLIN, false};
        if (watch(client, EPOLLIN, EPOLL_CTL_ADD))
            ++connected_;
        else
            c = Client{};  // its session's end closes the socket
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

}  // namespace arx::sim
