// The operating-system layer: sockets, clock, sleep, the mutex and threads.
// The only code of the library that names the host's socket or thread API;
// one implementation file per host (platform_posix.cpp, platform_win32.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace arx::platform {

// A native socket value widened to 64 bits (a file descriptor or a socket handle).
using Socket = std::uint64_t;
constexpr Socket kInvalidSocket = ~Socket{0};

// Milliseconds on a monotonic clock; only differences are meaningful.
std::int64_t monotonic_ms();
void sleep_ms(int milliseconds);

// Network start-up and clean-up, balanced per connection (a no-op where the
// host needs none).
bool network_startup();
void network_cleanup();

// An IPv4 TCP stream socket, or kInvalidSocket. Its value becomes the
// connection's handle, so it is never 0, 2, 4 or 5 (the failure results of
// Arm_Socket_Start): every host keeps it at 16 or above (POSIX moves the
// descriptor up; Windows holds small handle values while it takes another).
Socket tcp_socket();
// Receive timeout of blocking reads in milliseconds; 0 waits without limit.
bool set_receive_timeout(Socket socket, int milliseconds);
// Connects to a dotted IPv4 address; `port` is used in its low 16 bits. Gives
// up after `timeout_ms` when the peer does not answer the handshake.
bool tcp_connect(Socket socket, const char* ip, int port, int timeout_ms);
// Ends both directions of the connection without releasing the socket value:
// a send or receive blocked on it returns at once.
void shutdown_socket(Socket socket);
void close_socket(Socket socket);

// Sends in one call; never raises a signal on a broken connection.
// Returns the bytes sent, or a negative number on failure.
long send_bytes(Socket socket, const char* data, std::size_t length);

// Sends all of `data` within `timeout_ms`: a peer that stops reading makes it
// fail after the limit instead of blocking for ever. True when all was sent.
// `dont_route`: the send flag the trajectory-file pieces travel with.
bool send_all(Socket socket, const char* data, std::size_t length, int timeout_ms, bool dont_route = false);

// Reads what is available (blocks at most for the receive timeout).
// > 0 bytes read; 0 the peer closed; < 0 failure or time-out.
long receive_bytes(Socket socket, char* buffer, std::size_t capacity);

// Waits up to `timeout_ms` (negative: without limit) until any of `sockets`
// can be read (data, end of stream or an error). Sets ready[i] for each such
// socket; returns how many are ready, 0 on time-out, negative on failure.
int wait_readable(const Socket* sockets, bool* ready, int count, int timeout_ms);

// The sockets one thread waits on, each under a key of the caller's that a
// wait hands back when the socket is ready. On Linux the set lives in the
// kernel (epoll), so a wait costs what the ready sockets cost, not what the
// whole set costs; Windows keeps a list for WSAPoll. Used by one thread only.
class ReadySet {
public:
    ReadySet();
    ~ReadySet();
    ReadySet(const ReadySet&) = delete;
    ReadySet& operator=(const ReadySet&) = delete;
    // Watches `socket` under `key` (replacing what `key` watched before).
    // `socket` must stay open during the call; after it another thread may
    // close it at any time: the set holds a reference of its own until
    // unwatch(key), so it never touches a number that was closed and taken
    // again (on Windows, which has no such reference, a socket closed while
    // watched reports as ended until unwatched). False when the host refused.
    bool watch(Socket socket, std::uint64_t key);
    void unwatch(std::uint64_t key);
    // Waits up to `timeout_ms` (negative: without limit) until some socket can
    // be read (data, end of stream or an error) and writes the keys of up to
    // `capacity` such sockets. Returns how many; 0 on time-out or an
    // interrupted wait, negative on failure.
    int wait(std::uint64_t* keys, int capacity, int timeout_ms);

private:
    struct Host;  // defined by the host's implementation file
    std::unique_ptr<Host> host_;
};

// A descriptor that a thread blocked in a ReadySet wait can be woken through:
// signal() makes its socket() readable until drain().
class WakeUp {
public:
    WakeUp();
    ~WakeUp();
    WakeUp(const WakeUp&) = delete;
    WakeUp& operator=(const WakeUp&) = delete;
    Socket socket() const { return read_end_; }
    void signal();
    void drain();

private:
    Socket read_end_ = kInvalidSocket;
    Socket write_end_ = kInvalidSocket;
};

// Listening socket on 127.0.0.1 with an ephemeral port (for local peers such
// as test controllers) and room for `backlog` unaccepted connections. Stores
// the port; kInvalidSocket on failure.
Socket tcp_listen_loopback(int* port, int backlog = 512);
// Accepts one pending connection; kInvalidSocket when none.
Socket tcp_accept(Socket listener);

// A non-recursive mutex. Construct it once and never destroy it while any
// thread may still use it (see NeverDestroyed).
class Mutex {
public:
    Mutex();
    ~Mutex();
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;
    void lock();
    void unlock();
    void* native() { return native_; }

private:
    alignas(16) unsigned char native_[64];
};

// A condition variable over Mutex whose timed waits run on the monotonic
// clock, so a change of the wall clock never lengthens or cuts a wait.
class ConditionVariable {
public:
    ConditionVariable();
    ~ConditionVariable();
    ConditionVariable(const ConditionVariable&) = delete;
    ConditionVariable& operator=(const ConditionVariable&) = delete;
    // Waits with `mutex` held (released while waiting) until notified or until
    // monotonic_ms() reaches `deadline_ms`; may also return spuriously.
    void wait_until(Mutex& mutex, std::int64_t deadline_ms);
    // Waits without limit until notified (or spuriously).
    void wait(Mutex& mutex);
    void notify_one();
    void notify_all();

private:
    alignas(16) unsigned char native_[64];
};

// Starts `body` on a new thread with the default stack size and lets it run
// detached. Returns false when the thread could not be started.
bool start_detached_thread(void (*body)());

}  // namespace arx::platform
