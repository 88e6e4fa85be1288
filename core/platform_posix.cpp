#ifndef _WIN32

#include "core/platform.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <chrono>
#include <cstring>
#include <thread>
#include <unordered_map>
#include <vector>

namespace arx::platform {

namespace {

int fd_of(Socket socket) { return static_cast<int>(socket); }

constexpr int kLowestSocketValue = 16;

pthread_mutex_t* native_mutex(unsigned char* storage) {
    return reinterpret_cast<pthread_mutex_t*>(storage);
}

}  // namespace

std::int64_t monotonic_ms() {
    // The clock the condition variables wait on (CLOCK_MONOTONIC).
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void sleep_ms(int milliseconds) {
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool network_startup() { return true; }
void network_cleanup() {}

Socket tcp_socket() {
    int fd = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (fd < 0) return kInvalidSocket;
    // Descriptors are small numbers here; a handle must never read as one of
    // the failure results 2, 4 or 5, so move it above them.
    int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, kLowestSocketValue);
    ::close(fd);
    if (moved < 0) return kInvalidSocket;
    // Every request is one small line that must leave now: a set-point held
    // back until the previous segment's acknowledgement arrives is late.
    int on = 1;
    ::setsockopt(moved, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return static_cast<Socket>(moved);
}

namespace {
bool set_timeout(Socket socket, int option, int milliseconds) {
    if (milliseconds < 0) milliseconds = 0;
    timeval tv{};
    tv.tv_sec = milliseconds / 1000;
    tv.tv_usec = (milliseconds % 1000) * 1000;
    return ::setsockopt(fd_of(socket), SOL_SOCKET, option, &tv, sizeof tv) == 0;
}
}  // namespace

bool set_receive_timeout(Socket socket, int milliseconds) { return set_timeout(socket, SO_RCVTIMEO, milliseconds); }

bool tcp_connect(Socket socket, const char* ip, int port, int timeout_ms) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port & 0xFFFF));
    if (ip == nullptr || ::inet_pton(AF_INET, ip, &address.sin_addr) != 1) return false;
    // Connect without blocking, then wait for the handshake at most timeout_ms:
    // an unplugged arm would otherwise hold the caller for the system's minutes.
    const int fd = fd_of(socket);
    const int flags = ::fcntl(fd, F_GETFL, 0);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) return false;
    bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (!connected && (errno == EINPROGRESS || errno == EINTR)) {
        pollfd p{fd, POLLOUT, 0};
        const std::int64_t deadline = monotonic_ms() + timeout_ms;
        int ready = 0;
        for (std::int64_t left = timeout_ms; left > 0; left = deadline - monotonic_ms()) {
            ready = ::poll(&p, 1, static_cast<int>(left));
            if (ready >= 0 || errno != EINTR) break;
        }
        int error = 0;
        socklen_t length = sizeof error;
        connected = ready == 1 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
    }
    ::fcntl(fd, F_SETFL, flags);
    return connected;
}

void shutdown_socket(Socket socket) { ::shutdown(fd_of(socket), SHUT_RDWR); }
void close_socket(Socket socket) { ::close(fd_of(socket)); }

long send_bytes(Socket socket, const char* data, std::size_t length) {
    ssize_t sent;
    do {
        sent = ::send(fd_of(socket), data, length, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return static_cast<long>(sent);
}

bool send_all(Socket socket, const char* data, std::size_t length, int timeout_ms, bool dont_route) {
    const int fd = fd_of(socket);
    std::int64_t deadline = -1;  // read from the clock only once the socket is full
    std::size_t sent = 0;
    while (sent < length) {
        // Tried at once first: a healthy connection takes the line in one call.
        const ssize_t n = ::send(fd, data + sent, length - sent, MSG_NOSIGNAL | MSG_DONTWAIT | (dont_route ? MSG_DONTROUTE : 0));
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) return false;
        if (deadline < 0) deadline = monotonic_ms() + timeout_ms;
        const std::int64_t left = deadline - monotonic_ms();
        if (left <= 0) return false;
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, static_cast<int>(left)) < 0 && errno != EINTR) return false;
    }
    return true;
}

long receive_bytes(Socket socket, char* buffer, std::size_t capacity) {
    ssize_t got;
    do {
        got = ::recv(fd_of(socket), buffer, capacity, 0);
    } while (got < 0 && errno == EINTR);
    return static_cast<long>(got);
}

int wait_readable(const Socket* sockets, bool* ready, int count, int timeout_ms) {
    // The receive thread calls this every pass; keep the descriptor list on
    // the thread instead of allocating each time.
    thread_local std::vector<pollfd> fds;  // grows to the largest count once
    fds.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        fds[i].fd = fd_of(sockets[i]);
        fds[i].events = POLLIN;
        fds[i].revents = 0;
        ready[i] = false;
    }
    int rc = ::poll(fds.data(), static_cast<nfds_t>(count), timeout_ms < 0 ? -1 : timeout_ms);
    if (rc <= 0) return rc < 0 && errno == EINTR ? 0 : rc;
    int n = 0;
    for (int i = 0; i < count; ++i) {
        if (fds[i].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) {
            ready[i] = true;
            ++n;
        }
    }
    return n;
}

// Level-triggered: the receive thread reads one chunk per ready connection
// and pass, so every connection gets its turn; what stays unread reports the
// socket again on the next wait. Edge-triggered would need each socket read
// until it would block, on sockets that are otherwise blocking ones.
//
// Each watched socket is a duplicate descriptor private to the set: the
// connection's own number may be closed (and reused) by another thread at any
// time, while the set adds and removes only descriptors nobody else closes.
struct ReadySet::Host {
    int epoll = -1;
    std::unordered_map<std::uint64_t, int> duplicate_of_key;
    std::vector<epoll_event> events;
};

ReadySet::ReadySet() : host_(std::make_unique<Host>()) { host_->epoll = ::epoll_create1(EPOLL_CLOEXEC); }

ReadySet::~ReadySet() {
    for (const auto& watched : host_->duplicate_of_key) ::close(watched.second);
    if (host_->epoll >= 0) ::close(host_->epoll);
}

bool ReadySet::watch(Socket socket, std::uint64_t key) {
    unwatch(key);
    if (host_->epoll < 0) return false;
    const int duplicate = ::fcntl(fd_of(socket), F_DUPFD_CLOEXEC, 0);
    if (duplicate < 0) return false;
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = key;
    if (::epoll_ctl(host_->epoll, EPOLL_CTL_ADD, duplicate, &event) != 0) {
        ::close(duplicate);
        return false;
    }
    host_->duplicate_of_key[key] = duplicate;
    return true;
}

void ReadySet::unwatch(std::uint64_t key) {
    const auto watched = host_->duplicate_of_key.find(key);
    if (watched == host_->duplicate_of_key.end()) return;
    // Taken out first: the connection's own descriptor may still be open.
    ::epoll_ctl(host_->epoll, EPOLL_CTL_DEL, watched->second, nullptr);
    ::close(watched->second);
    host_->duplicate_of_key.erase(watched);
}

int ReadySet::wait(std::uint64_t* keys, int capacity, int timeout_ms) {
    if (host_->epoll < 0 || capacity <= 0) return -1;
    host_->events.resize(static_cast<std::size_t>(capacity));
    const int n = ::epoll_wait(host_->epoll, host_->events.data(), capacity, timeout_ms < 0 ? -1 : timeout_ms);
    if (n < 0) return errno == EINTR ? 0 : -1;
    for (int i = 0; i < n; ++i) keys[i] = host_->events[static_cast<std::size_t>(i)].data.u64;
    return n;
}

WakeUp::WakeUp() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
    read_end_ = static_cast<Socket>(ends[0]);
    write_end_ = static_cast<Socket>(ends[1]);
}

WakeUp::~WakeUp() {
    if (read_end_ != kInvalidSocket) ::close(fd_of(read_end_));
    if (write_end_ != kInvalidSocket) ::close(fd_of(write_end_));
}

void WakeUp::signal() {
    const char byte = 1;
    // A full pipe already wakes the reader; nothing is lost by a failed write.
    [[maybe_unused]] ssize_t n = ::write(fd_of(write_end_), &byte, 1);
}

void WakeUp::drain() {
    char bytes[64];
    while (::read(fd_of(read_end_), bytes, sizeof bytes) > 0) {
    }
}

Socket tcp_listen_loopback(int* port, int backlog) {
    int fd = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (fd < 0) return kInvalidSocket;
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, backlog) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return kInvalidSocket;
    }
    if (port) *port = ntohs(address.sin_port);
    return static_cast<Socket>(fd);
}

Socket tcp_accept(Socket listener) {
    int fd;
    do {
        fd = ::accept(fd_of(listener), nullptr, nullptr);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return kInvalidSocket;
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return static_cast<Socket>(fd);
}

static_assert(sizeof(pthread_mutex_t) <= 64, "mutex storage too small");

Mutex::Mutex() { pthread_mutex_init(native_mutex(native_), nullptr); }
Mutex::~Mutex() { pthread_mutex_destroy(native_mutex(native_)); }
void Mutex::lock() { pthread_mutex_lock(native_mutex(native_)); }
void Mutex::unlock() { pthread_mutex_unlock(native_mutex(native_)); }

static_assert(sizeof(pthread_cond_t) <= 64, "condition variable storage too small");

namespace {
pthread_cond_t* native_cond(unsigned char* storage) { return reinterpret_cast<pthread_cond_t*>(storage); }
}  // namespace

ConditionVariable::ConditionVariable() {
    pthread_condattr_t attributes;
    pthread_condattr_init(&attributes);
    pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
    pthread_cond_init(native_cond(native_), &attributes);
    pthread_condattr_destroy(&attributes);
}
ConditionVariable::~ConditionVariable() { pthread_cond_destroy(native_cond(native_)); }

void ConditionVariable::wait_until(Mutex& mutex, std::int64_t deadline_ms) {
    timespec deadline{};
    deadline.tv_sec = static_cast<time_t>(deadline_ms / 1000);
    deadline.tv_nsec = static_cast<long>(deadline_ms % 1000) * 1000000;
    pthread_cond_timedwait(native_cond(native_), static_cast<pthread_mutex_t*>(mutex.native()), &deadline);
}
void ConditionVariable::wait(Mutex& mutex) {
    pthread_cond_wait(native_cond(native_), static_cast<pthread_mutex_t*>(mutex.native()));
}
void ConditionVariable::notify_one() { pthread_cond_signal(native_cond(native_)); }
void ConditionVariable::notify_all() { pthread_cond_broadcast(native_cond(native_)); }

namespace {
void* thread_entry(void* body) {
    reinterpret_cast<void (*)()>(body)();
    return nullptr;
}
}  // namespace

bool start_detached_thread(void (*body)()) {
    pthread_t thread;
    if (pthread_create(&thread, nullptr, thread_entry, reinterpret_cast<void*>(body)) != 0)
        return false;
    pthread_detach(thread);
    return true;
}

}  // namespace arx::platform

#endif  // _WIN32
