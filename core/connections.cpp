#include "core/connections.h"

#include "core/library.h"
#include "core/log.h"
#include "core/never_destroyed.h"
#include "core/transport.h"

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
    std::atomic<int> line_sends; // ordinary lines being sent; a transfer claim waits for 0
    std::atomic<bool> ended;     // the receive thread saw the controller end it
    std::atomic<bool> transferring;  // a trajectory file is being downloaded
    std::atomic<SOCKHANDLE> socket;
    std::atomic<int> joints;
    std::atomic<int> recv_timeout_ms;
    std::atomic<std::uint32_t> generation;
};

Entry g_entries[kMaxConnections];
std::atomic<std::uint32_t> g_version{0};
std::atomic<int> g_transfers{0};  // downloads running now, over all connections

ConnectionView view_of(int index, const Entry& e) {
    return ConnectionView{index, e.socket.load(), e.joints.load(),
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

int registry_add(SOCKHANDLE socket, int joints, int recv_timeout_ms) {
    int index = -1;
    {
        Lock lock(registry_mutex());
        for (int i = 0; i < kMaxConnections && index < 0; ++i) {
            Entry& e = g_entries[i];
            if (e.in_use.load()) continue;
            e.socket.store(socket);
            e.joints.store(joints);
            e.recv_timeout_ms.store(recv_timeout_ms);
            e.generation.fetch_add(1);
            e.closing.store(false);
            e.ended.store(false);
            e.transferring.store(false);
            e.line_sends.store(0);
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
    // No new send can start now: end what the connection owns in the library.
    forget_connection(socket);
    // Wakes a send blocked on a peer that stopped reading, and the receive
    // thread's wait; the socket value stays ours until close_socket below.
    platform::shutdown_socket(socket);
    changed();
    while (e->leases.load() > 0) platform::sleep_ms(1);
    platform::close_socket(socket);
    {
        Lock lock(registry_mutex());
        if (e->transferring.exchange(false)) g_transfers.fetch_sub(1);
        e->generation.fetch_add(1);
        e->in_use.store(false);
        e->closing.store(false);
    }
    changed();
    return true;
}

int registry_send(SOCKHANDLE socket, const char* data, std::size_t length, SendRoute route) {
    Lease lease;
    Entry* e = nullptr;
    int send_limit_ms = 0;
    {
        Lock lock(registry_mutex());
        e = entry_of(socket);
        if (!e || e->ended.load() || !lease.take(*e)) return ARX_SEND_FAILED;
        if (route == SendRoute::Line) {
            if (e->transferring.load()) return ARX_FILE_TRANSFER_BUSY;
            e->line_sends.fetch_add(1);  // under the mutex: a claim sees it or we see the claim
        }
        send_limit_ms = e->recv_timeout_ms.load();
    }
    if (send_limit_ms <= 0) send_limit_ms = reply_timeout_ms();
    // Whole within the connection's send limit, or failed.
    const bool sent = platform::send_all(socket, data, length, send_limit_ms, route == SendRoute::TransferPiece);
    if (route == SendRoute::Line) e->line_sends.fetch_sub(1);
    return sent ? ARX_SUCCESS : ARX_SEND_FAILED;
}

void registry_mark_ended(int entry, std::uint32_t generation) {
    Lock lock(registry_mutex());
    Entry& e = g_entries[entry];
    if (e.in_use.load() && e.generation.load() == generation) e.ended.store(true);
}

bool registry_usable(SOCKHANDLE socket) {
    const Entry* e = entry_of(socket);
    return e && !e->ended.load();
}

bool registry_claim_transfer(SOCKHANDLE socket, TransferTicket* ticket) {
    Lease lease;  // the entry stays this connection's while the claim waits
    Entry* e = nullptr;
    {
        Lock lock(registry_mutex());
        e = entry_of(socket);
        if (!e || e->transferring.load() || !lease.take(*e)) return false;
        e->transferring.store(true);
        g_transfers.fetch_add(1);
        *ticket = TransferTicket{static_cast<int>(e - g_entries), e->generation.load()};
    }
    // A line that passed its checks before the claim finishes first, whole.
    while (e->line_sends.load() > 0) platform::sleep_ms(1);
    return true;
}

void registry_release_transfer(TransferTicket ticket) {
    Lock lock(registry_mutex());
    Entry& e = g_entries[ticket.entry];
    if (e.generation.load() != ticket.generation || !e.transferring.load()) return;
    e.transferring.store(false);
    g_transfers.fetch_sub(1);
}

bool registry_transferring(SOCKHANDLE socket) {
    if (g_transfers.load() == 0) return false;
    const Entry* e = entry_of(socket);
    return e && e->transferring.load();
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

SOCKHANDLE open_connection(const char* ip, int port, int recv_timeout_ms, int joints) {
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
    if (registry_add(socket, joints, recv_timeout_ms) < 0) return discard(socket, ARX_NETWORK_START_FAILED);
    return socket;
}

bool close_connection(SOCKHANDLE handle) {
    if (handle == 0 || !registry_close(handle)) return false;
    log(LogLevel::Info, "connection %llu closed", static_cast<unsigned long long>(handle));
    platform::network_cleanup();
    return true;
}

int joint_count(SOCKHANDLE handle) {
    ConnectionView v;
    return registry_find(handle, &v) ? v.joints : 6;
}

}  // namespace arx::core
