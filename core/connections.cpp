#include "core/connections.h"

#include "core/library.h"
#include "core/never_destroyed.h"

#include <atomic>
#include <mutex>

namespace arx::core {

namespace {

// Plain atomics with constant initialisation and trivial destructors: safe
// to read from the background threads at any time, also during process exit.
struct Entry {
    std::atomic<bool> in_use;
    std::atomic<bool> closing;   // no new lease; the close waits for `leases` to reach 0
    std::atomic<int> leases;     // reads and sends in progress on the socket
    std::atomic<SOCKHANDLE> socket;
    std::atomic<int> joints;
    std::atomic<int> model;
    std::atomic<int> recv_timeout_ms;
    std::atomic<std::uint32_t> generation;
};

Entry g_entries[kMaxConnections];
std::atomic<std::uint32_t> g_version{0};

ConnectionView view_of(int index, const Entry& e) {
    return ConnectionView{index, e.socket.load(), e.joints.load(), e.model.load(),
                          e.recv_timeout_ms.load(), e.generation.load()};
}

bool open_entry(const Entry& e) { return e.in_use.load() && !e.closing.load(); }

// Guards the bookkeeping only; never held across a socket call.
platform::Mutex& registry_mutex() {
    static NeverDestroyed<platform::Mutex> mutex;
    return *mutex;
}

using Lock = std::lock_guard<platform::Mutex>;

// A read or send in progress on an open entry; Arm_Socket_Close waits for it.
class Lease {
public:
    Lease() = default;
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    ~Lease() {
        if (entry_) entry_->leases.fetch_sub(1);
    }
    bool take(Entry& e) {  // caller holds the registry mutex
        if (!open_entry(e)) return false;
        e.leases.fetch_add(1);
        entry_ = &e;
        return true;
    }
    explicit operator bool() const { return entry_ != nullptr; }

private:
    Entry* entry_ = nullptr;
};

Entry* entry_of(SOCKHANDLE socket) {
    for (Entry& e : g_entries)
        if (open_entry(e) && e.socket.load() == socket) return &e;
    return nullptr;
}

void changed() {
    g_version.fetch_add(1);
    registry_changed().signal();
}

}  // namespace

platform::WakeUp& registry_changed() {
    static NeverDestroyed<platform::WakeUp> wake;
    return *wake;
}

std::uint32_t registry_version() { return g_version.load(); }

int registry_add(SOCKHANDLE socket, int model, int recv_timeout_ms) {
    int index = -1;
    {
        Lock lock(registry_mutex());
        for (int i = 0; i < kMaxConnections && index < 0; ++i) {
            Entry& e = g_entries[i];
            if (e.in_use.load()) continue;
            e.socket.store(socket);
            e.joints.store(model == ARM_MODEL_B ? 7 : 6);
            e.model.store(model);
            e.recv_timeout_ms.store(recv_timeout_ms);
            e.generation.fetch_add(1);
            e.closing.store(false);
            e.in_use.store(true);  // published last: readers see a complete record
            index = i;
        }
    }
    if (index >= 0) changed();
    return index;
}

bool registry_close(SOCKHANDLE socket) {
    Entry* e = nullptr;
    {
        Lock lock(registry_mutex());
        e = entry_of(socket);
        if (!e) return false;  // a second close must not hit a reused number
        e->closing.store(true);
    }
    // Wakes a send blocked on a peer that stopped reading, and the receive
    // thread's wait; the socket value stays ours until close_socket below.
    platform::shutdown_socket(socket);
    changed();
    while (e->leases.load() > 0) platform::sleep_ms(1);
    platform::close_socket(socket);
    {
        Lock lock(registry_mutex());
        e->generation.fetch_add(1);
        e->in_use.store(false);
        e->closing.store(false);
    }
    changed();
    return true;
}

long registry_send(SOCKHANDLE socket, const char* data, std::size_t length, bool dont_route) {
    Lease lease;
    int send_limit_ms = 0;
    {
        Lock lock(registry_mutex());
        Entry* e = entry_of(socket);
        if (!e || !lease.take(*e)) return -1;
        send_limit_ms = e->recv_timeout_ms.load();
    }
    if (send_limit_ms <= 0) send_limit_ms = reply_timeout_ms();
    // Whole within the connection's send limit, or failed.
    if (!platform::send_all(socket, data, length, send_limit_ms, dont_route)) return -1;
    return static_cast<long>(length);
}

long registry_receive(int entry, std::uint32_t generation, char* buffer, std::size_t capacity) {
    Lease lease;
    SOCKHANDLE socket;
    {
        Lock lock(registry_mutex());
        Entry& e = g_entries[entry];
        if (e.generation.load() != generation || !lease.take(e)) return -1;
        socket = e.socket.load();
    }
    return platform::receive_bytes(socket, buffer, capacity);
}

int registry_snapshot(ConnectionView* out, int capacity) {
    int n = 0;
    for (int i = 0; i < kMaxConnections && n < capacity; ++i)
        if (open_entry(g_entries[i])) out[n++] = view_of(i, g_entries[i]);
    return n;
}

bool registry_find(SOCKHANDLE socket, ConnectionView* out) {
    const Entry* e = entry_of(socket);
    if (e && out) *out = view_of(static_cast<int>(e - g_entries), *e);
    return e != nullptr;
}

namespace {
SOCKHANDLE discard(platform::Socket socket, SOCKHANDLE result) {
    platform::close_socket(socket);
    platform::network_cleanup();
    return result;
}
}  // namespace

SOCKHANDLE open_connection(const char* ip, int port, int recv_timeout_ms, int model) {
    if (!platform::network_startup()) return ARX_NETWORK_START_FAILED;
    const platform::Socket socket = platform::tcp_socket();
    if (socket == platform::kInvalidSocket) {
        platform::network_cleanup();
        return ARX_NETWORK_START_FAILED;
    }
    if (socket > kMaxSocketValue) return discard(socket, ARX_NETWORK_START_FAILED);
    platform::set_receive_timeout(socket, recv_timeout_ms);
    if (!platform::tcp_connect(socket, ip, port, reply_timeout_ms())) return discard(socket, ARX_CONNECT_FAILED);
    // Registered before the first request, so the receive thread already
    // serves the start-up queries' replies.
    if (registry_add(socket, model, recv_timeout_ms) < 0) return discard(socket, ARX_NETWORK_START_FAILED);
    return socket;
}

bool close_connection(SOCKHANDLE handle) {
    if (handle == 0 || !registry_close(handle)) return false;
    platform::network_cleanup();
    return true;
}

int joint_count(SOCKHANDLE handle) {
    ConnectionView v;
    return registry_find(handle, &v) ? v.joints : 6;
}

}  // namespace arx::core
