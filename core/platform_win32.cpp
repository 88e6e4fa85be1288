#ifdef _WIN32

#include "core/platform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <process.h>

#include <vector>

namespace arx::platform {

namespace {

SOCKET native(Socket socket) { return static_cast<SOCKET>(socket); }

constexpr Socket kLowestSocketValue = 16;
constexpr int kMostSmallHandlesSkipped = 8;

// The wake-up sockets and the loopback listeners live outside any
// connection's start-up and clean-up, so the process keeps one reference of
// its own, taken once and never released.
bool winsock_for_process() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

bool would_block() { return WSAGetLastError() == WSAEWOULDBLOCK; }

// Waits up to `timeout_ms` (negative: without limit) for one socket's
// `events`; true when they (or an error or hang-up) are reported.
bool wait_for(Socket socket, short events, int timeout_ms) {
    WSAPOLLFD p{native(socket), events, 0};
    return WSAPoll(&p, 1, timeout_ms < 0 ? -1 : timeout_ms) > 0;
}

}  // namespace

std::int64_t monotonic_ms() {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    // Split so that the multiplication cannot overflow after long uptimes.
    return static_cast<std::int64_t>(now.QuadPart / frequency * 1000 + now.QuadPart % frequency * 1000 / frequency);
}

void sleep_ms(int milliseconds) {
    if (milliseconds > 0) Sleep(static_cast<DWORD>(milliseconds));
}

bool network_startup() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
    if (data.wVersion != MAKEWORD(2, 2)) {
        WSACleanup();
        return false;
    }
    return true;
}

void network_cleanup() { WSACleanup(); }

Socket tcp_socket() {
    if (!winsock_for_process()) return kInvalidSocket;
    // Socket values are handles, multiples of 4 that may be small; a handle
    // must never read as one of the failure results 2, 4 or 5. Small values
    // are held while another is taken, so the next one differs, then freed.
    SOCKET held[kMostSmallHandlesSkipped];
    int small = 0;
    SOCKET s = INVALID_SOCKET;
    for (;;) {
        s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (s == INVALID_SOCKET || static_cast<Socket>(s) >= kLowestSocketValue) break;
        if (small == kMostSmallHandlesSkipped) {
            closesocket(s);
            s = INVALID_SOCKET;
            break;
        }
        held[small++] = s;
    }
    while (small > 0) closesocket(held[--small]);
    if (s == INVALID_SOCKET) return kInvalidSocket;
    SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    // Every request is one small line that must leave now: a set-point held
    // back until the previous segment's acknowledgement arrives is late.
    BOOL on = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    return static_cast<Socket>(s);
}

bool set_receive_timeout(Socket socket, int milliseconds) {
    const DWORD timeout = milliseconds < 0 ? 0 : static_cast<DWORD>(milliseconds);
    return setsockopt(native(socket), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
                      sizeof timeout) == 0;
}

bool tcp_connect(Socket socket, const char* ip, int port, int timeout_ms) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port & 0xFFFF));
    if (ip == nullptr || inet_pton(AF_INET, ip, &address.sin_addr) != 1) return false;
    // Connected without blocking, so the handshake is waited for at most
    // timeout_ms. The socket then stays non-blocking: receive_bytes waits for
    // data itself (for the receive timeout) and send_all for room, so neither
    // relies on how the host times out a blocked call.
    u_long non_blocking = 1;
    if (ioctlsocket(native(socket), FIONBIO, &non_blocking) != 0) return false;
    if (::connect(native(socket), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return true;
    if (!would_block()) return false;
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(native(socket), &writable);
    FD_SET(native(socket), &failed);  // a refused connect is reported here
    timeval limit{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
    if (select(0, nullptr, &writable, &failed, &limit) != 1 || !FD_ISSET(native(socket), &writable)) return false;
    int error = 0;
    int length = sizeof error;
    return getsockopt(native(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) == 0 &&
           error == 0;
}

void shutdown_socket(Socket socket) { shutdown(native(socket), SD_BOTH); }
void close_socket(Socket socket) { closesocket(native(socket)); }

namespace {
int send_flags(bool dont_route) { return dont_route ? MSG_DONTROUTE : 0; }
}  // namespace

long send_bytes(Socket socket, const char* data, std::size_t length) {
    return send(native(socket), data, static_cast<int>(length), send_flags(false));
}

bool send_all(Socket socket, const char* data, std::size_t length, int timeout_ms, bool dont_route) {
    const std::int64_t deadline = monotonic_ms() + timeout_ms;
    std::size_t sent = 0;
    while (sent < length) {
        const int n = send(native(socket), data + sent, static_cast<int>(length - sent), send_flags(dont_route));
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n == 0 || !would_block()) return false;
        const std::int64_t left = deadline - monotonic_ms();
        if (left <= 0) return false;
        wait_for(socket, POLLWRNORM, static_cast<int>(left));
    }
    return true;
}

long receive_bytes(Socket socket, char* buffer, std::size_t capacity) {
    const int request = static_cast<int>(capacity > 0x7fffffff ? 0x7fffffff : capacity);
    int got = recv(native(socket), buffer, request, 0);
    if (got >= 0 || !would_block()) return got;
    // A non-blocking connection socket: wait as long as its receive timeout.
    DWORD timeout = 0;
    int length = sizeof timeout;
    getsockopt(native(socket), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&timeout), &length);
    if (!wait_for(socket, POLLRDNORM, timeout == 0 ? -1 : static_cast<int>(timeout))) return -1;
    return recv(native(socket), buffer, request, 0);
}

int wait_readable(const Socket* sockets, bool* ready, int count, int timeout_ms) {
    if (count <= 0) {
        sleep_ms(timeout_ms < 0 ? 0 : timeout_ms);
        return 0;
    }
    thread_local std::vector<WSAPOLLFD> fds;  // grows to the largest count once
    fds.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        fds[i].fd = native(sockets[i]);
        fds[i].events = POLLRDNORM;
        fds[i].revents = 0;
        ready[i] = false;
    }
    const int rc = WSAPoll(fds.data(), static_cast<ULONG>(count), timeout_ms < 0 ? -1 : timeout_ms);
    if (rc <= 0) return rc;
    int n = 0;
    for (int i = 0; i < count; ++i) {
        if (fds[i].revents & (POLLRDNORM | POLLHUP | POLLERR | POLLNVAL)) {
            ready[i] = true;
            ++n;
        }
    }
    return n;
}

// WSAPoll takes the whole list on every wait; the list changes only when a
// socket is watched or unwatched. A closed socket left in it reads as ready
// (POLLNVAL) until its key is unwatched, which the owner does on the failed read.
struct ReadySet::Host {
    std::vector<WSAPOLLFD> fds;
    std::vector<std::uint64_t> keys;  // keys[i] belongs to fds[i]
};

ReadySet::ReadySet() : host_(std::make_unique<Host>()) {}
ReadySet::~ReadySet() = default;

bool ReadySet::watch(Socket socket, std::uint64_t key) {
    unwatch(key);
    WSAPOLLFD entry{};
    entry.fd = native(socket);
    entry.events = POLLRDNORM;
    host_->fds.push_back(entry);
    host_->keys.push_back(key);
    return true;
}

void ReadySet::unwatch(std::uint64_t key) {
    for (std::size_t i = 0; i < host_->keys.size(); ++i) {
        if (host_->keys[i] != key) continue;
        host_->fds[i] = host_->fds.back();
        host_->keys[i] = host_->keys.back();
        host_->fds.pop_back();
        host_->keys.pop_back();
        return;
    }
}

int ReadySet::wait(std::uint64_t* keys, int capacity, int timeout_ms) {
    if (host_->fds.empty()) {
        sleep_ms(timeout_ms < 0 ? 0 : timeout_ms);
        return 0;
    }
    for (WSAPOLLFD& fd : host_->fds) fd.revents = 0;
    const int rc = WSAPoll(host_->fds.data(), static_cast<ULONG>(host_->fds.size()), timeout_ms < 0 ? -1 : timeout_ms);
    int n = 0;
    if (rc < 0 && WSAGetLastError() == WSAENOTSOCK) {
        // WinSock keeps no reference of the set's own: a watched socket that its
        // owner closed fails the whole wait. It reports as ended (readable)
        // until it is unwatched, as a closed socket does on the other hosts.
        for (std::size_t i = 0; i < host_->fds.size() && n < capacity; ++i) {
            int type = 0;
            int length = sizeof type;
            if (getsockopt(host_->fds[i].fd, SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type), &length) != 0)
                keys[n++] = host_->keys[i];
        }
        return n > 0 ? n : rc;
    }
    if (rc <= 0) return rc;
    for (std::size_t i = 0; i < host_->fds.size() && n < capacity; ++i)
        if (host_->fds[i].revents & (POLLRDNORM | POLLHUP | POLLERR | POLLNVAL)) keys[n++] = host_->keys[i];
    return n;
}

// WSAPoll waits on sockets only: the wake-up is a pair of loopback UDP
// sockets, the write end connected to the read end.
WakeUp::WakeUp() {
    if (!winsock_for_process()) return;
    SOCKET reader = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    SOCKET writer = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    u_long non_blocking = 1;
    if (reader == INVALID_SOCKET || writer == INVALID_SOCKET ||
        bind(reader, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(reader, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::connect(writer, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ioctlsocket(reader, FIONBIO, &non_blocking) != 0 || ioctlsocket(writer, FIONBIO, &non_blocking) != 0) {
        if (reader != INVALID_SOCKET) closesocket(reader);
        if (writer != INVALID_SOCKET) closesocket(writer);
        return;
    }
    read_end_ = static_cast<Socket>(reader);
    write_end_ = static_cast<Socket>(writer);
}

WakeUp::~WakeUp() {
    if (read_end_ != kInvalidSocket) closesocket(native(read_end_));
    if (write_end_ != kInvalidSocket) closesocket(native(write_end_));
}

void WakeUp::signal() {
    const char byte = 1;
    // A full buffer already wakes the reader; nothing is lost by a failed send.
    send(native(write_end_), &byte, 1, 0);
}

void WakeUp::drain() {
    char bytes[64];
    while (recv(native(read_end_), bytes, sizeof bytes, 0) > 0) {
    }
}

Socket tcp_listen_loopback(int* port, int backlog) {
    if (!winsock_for_process()) return kInvalidSocket;
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return kInvalidSocket;
    // No SO_REUSEADDR: here it would let another socket take the same port.
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s, backlog) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        closesocket(s);
        return kInvalidSocket;
    }
    if (port) *port = ntohs(address.sin_port);
    return static_cast<Socket>(s);
}

Socket tcp_accept(Socket listener) {
    const SOCKET s = accept(native(listener), nullptr, nullptr);
    if (s == INVALID_SOCKET) return kInvalidSocket;
    BOOL on = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    return static_cast<Socket>(s);
}

// A slim reader/writer lock taken exclusively: non-recursive, needs no
// clean-up, and the condition variables below wait on it.
static_assert(sizeof(SRWLOCK) <= 64, "mutex storage too small");
static_assert(sizeof(CONDITION_VARIABLE) <= 64, "condition variable storage too small");

namespace {
SRWLOCK* native_lock(void* storage) { return static_cast<SRWLOCK*>(storage); }
CONDITION_VARIABLE* native_cond(unsigned char* storage) { return reinterpret_cast<CONDITION_VARIABLE*>(storage); }
}  // namespace

Mutex::Mutex() { InitializeSRWLock(native_lock(native_)); }
Mutex::~Mutex() = default;
void Mutex::lock() { AcquireSRWLockExclusive(native_lock(native_)); }
void Mutex::unlock() { ReleaseSRWLockExclusive(native_lock(native_)); }

ConditionVariable::ConditionVariable() { InitializeConditionVariable(native_cond(native_)); }
ConditionVariable::~ConditionVariable() = default;

void ConditionVariable::wait_until(Mutex& mutex, std::int64_t deadline_ms) {
    // A relative wait computed from the monotonic clock: the wall clock
    // never moves it.
    const std::int64_t left = deadline_ms - monotonic_ms();
    if (left <= 0) return;
    const DWORD wait = left >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(left);
    SleepConditionVariableSRW(native_cond(native_), native_lock(mutex.native()), wait, 0);
}
void ConditionVariable::wait(Mutex& mutex) {
    SleepConditionVariableSRW(native_cond(native_), native_lock(mutex.native()), INFINITE, 0);
}
void ConditionVariable::notify_one() { WakeConditionVariable(native_cond(native_)); }
void ConditionVariable::notify_all() { WakeAllConditionVariable(native_cond(native_)); }

namespace {
unsigned __stdcall thread_entry(void* body) {
    reinterpret_cast<void (*)()>(body)();
    return 0;
}
}  // namespace

bool start_detached_thread(void (*body)()) {
    const std::uintptr_t thread =
        _beginthreadex(nullptr, 0, thread_entry, reinterpret_cast<void*>(body), 0, nullptr);
    if (thread == 0) return false;
    CloseHandle(reinterpret_cast<HANDLE>(thread));
    return true;
}

}  // namespace arx::platform

#endif  // _WIN32
