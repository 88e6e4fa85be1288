// The operating-system layer: sockets, clock, sleep, the mutex and threads.
// The only code of the library that names the host's socket or thread API;
// one implementation file per host (platform_posix.cpp, later platform_win32.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

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

// An IPv4 TCP stream socket, or kInvalidSocket.
Socket tcp_socket();
// Receive timeout of blocking reads in milliseconds; 0 waits without limit.
bool set_receive_timeout(Socket socket, int milliseconds);
// Connects to a dotted IPv4 address; `port` is used in its low 16 bits.
bool tcp_connect(Socket socket, const char* ip, int port);
void close_socket(Socket socket);

// Sends in one call; never raises a signal on a broken connection.
// `dont_route`: the send flag the trajectory-file pieces travel with.
// Returns the bytes sent, or a negative number on failure.
long send_bytes(Socket socket, const char* data, std::size_t length, bool dont_route = false);

// Reads what is available (blocks at most for the receive timeout).
// > 0 bytes read; 0 the peer closed; < 0 failure or time-out.
long receive_bytes(Socket socket, char* buffer, std::size_t capacity);

// Waits up to `timeout_ms` until any of `sockets` can be read (data, end of
// stream or an error). Sets ready[i] for each such socket; returns how many
// are ready, 0 on time-out, negative on failure.
int wait_readable(const Socket* sockets, bool* ready, int count, int timeout_ms);

// Listening socket on 127.0.0.1 with an ephemeral port (for local peers such
// as test controllers). Stores the port; kInvalidSocket on failure.
Socket tcp_listen_loopback(int* port);
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

private:
    alignas(16) unsigned char native_[64];
};

// Starts `body` on a new thread with the default stack size and lets it run
// detached. Returns false when the thread could not be started.
bool start_detached_thread(void (*body)());

}  // namespace arx::platform
