#ifndef _WIN32

#include "core/platform.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace arx::platform {

namespace {

int fd_of(Socket socket) { return static_cast<int>(socket); }

constexpr int kLowestSocketValue = 16;

pthread_mutex_t* native(unsigned char* storage) {
    return reinterpret_cast<pthread_mutex_t*>(storage);
}

}  // namespace

std::int64_t monotonic_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
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
    return moved < 0 ? kInvalidSocket : static_cast<Socket>(moved);
}

bool set_receive_timeout(Socket socket, int milliseconds) {
    if (milliseconds < 0) milliseconds = 0;
    timeval tv{};
    tv.tv_sec = milliseconds / 1000;
    tv.tv_usec = (milliseconds % 1000) * 1000;
    return ::setsockopt(fd_of(socket), SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv) == 0;
}

bool tcp_connect(Socket socket, const char* ip, int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port & 0xFFFF));
    if (ip == nullptr || ::inet_pton(AF_INET, ip, &address.sin_addr) != 1) return false;
    int rc;
    do {
        rc = ::connect(fd_of(socket), reinterpret_cast<sockaddr*>(&address), sizeof address);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

void close_socket(Socket socket) { ::close(fd_of(socket)); }

long send_bytes(Socket socket, const char* data, std::size_t length, bool dont_route) {
    ssize_t sent;
    do {
        sent = ::send(fd_of(socket), data, length, MSG_NOSIGNAL | (dont_route ? MSG_DONTROUTE : 0));
    } while (sent < 0 && errno == EINTR);
    return static_cast<long>(sent);
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
    thread_local std::vector<pollfd> fds;
    fds.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        fds[i].fd = fd_of(sockets[i]);
        fds[i].events = POLLIN;
        fds[i].revents = 0;
        ready[i] = false;
    }
    int rc = ::poll(fds.data(), static_cast<nfds_t>(count), timeout_ms);
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

Socket tcp_listen_loopback(int* port) {
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
        ::listen(fd, 512) != 0 ||
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

Mutex::Mutex() { pthread_mutex_init(native(native_), nullptr); }
Mutex::~Mutex() { pthread_mutex_destroy(native(native_)); }
void Mutex::lock() { pthread_mutex_lock(native(native_)); }
void Mutex::unlock() { pthread_mutex_unlock(native(native_)); }

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
