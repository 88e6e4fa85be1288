#include "core/connections.h"

#include "core/library.h"
#include "core/log.h"
#include "core/never_destroyed.h"
#include "core/transport.h"

#include <mutex>

namespace arx::core {

namespace {
using Lock = std::lock_guard<platform::Mutex>;
}  // namespace

Registry& registry() { return library().connections; }

platform::Mutex& Registry::mutex() {
    static NeverDestroyed<platform::Mutex> lock;
    return *lock;
}

platform::WakeUp& Registry::changed() {
    static NeverDestroyed<platform::WakeUp> wake;
    return *wake;
}

Connection* Registry::find(SOCKHANDLE socket) {
    if (socket > kMaxSocketValue) return nullptr;
    const int slot = entry_of_socket_[socket].load() - 1;
    if (slot < 0) return nullptr;
    Connection& c = connections_[slot];
    return c.open() && c.socket() == socket ? &c : nullptr;
}

const Connection* Registry::find(SOCKHANDLE socket) const { return const_cast<Registry*>(this)->find(socket); }

bool Registry::lease(SOCKHANDLE socket, ConnectionLease& lease, bool line_send) {
    if (socket > kMaxSocketValue) return false;
    const int slot = entry_of_socket_[socket].load() - 1;
    return slot >= 0 && lease.take_socket(connections_[slot], socket, line_send);
}

void Registry::note_change() {
    version_.fetch_add(1);
    changed().signal();
}

int Registry::add(SOCKHANDLE socket, int joints, int recv_timeout_ms) {
    if (socket > kMaxSocketValue) return -1;
    int index = -1;
    {
        Lock lock(mutex());
        for (int i = 0; i < kMaxConnections && index < 0; ++i) {
            Connection& c = connections_[i];
            if (c.state_.load() != Connection::State::Free) continue;
            c.socket_.store(socket);
            c.joints_.store(joints);
            c.recv_timeout_ms_.store(recv_timeout_ms);
            c.generation_.fetch_add(1);
            c.ended_.store(false);
            c.transferring_.store(false);
            c.state_.store(Connection::State::Open);  // published last: readers see a complete record
            entry_of_socket_[socket].store(static_cast<std::int16_t>(i + 1));
            index = i;
        }
    }
    if (index >= 0) note_change();
    return index;
}

bool Registry::close(SOCKHANDLE socket) {
    Connection* c = nullptr;
    {
        Lock lock(mutex());
        c = find(socket);
        if (!c) return false;  // a second close must not hit a reused number
        c->state_.store(Connection::State::Closing);
    }
    // No new send can start now: end what the connection owns in the library.
    forget_connection(socket);
    // Wakes a send blocked on a peer that stopped reading, and the receive
    // thread's wait; the socket value stays ours until close_socket below.
    platform::shutdown_socket(socket);
    note_change();
    while (c->leases() > 0) platform::sleep_ms(1);
    platform::close_socket(socket);
    {
        Lock lock(mutex());
        if (c->transferring_.exchange(false)) transfers_.fetch_sub(1);
        // The number is free since close_socket: a connection opened on it
        // meanwhile owns the mapping now.
        const auto entry = static_cast<std::int16_t>(c - connections_ + 1);
        if (entry_of_socket_[socket].load() == entry) entry_of_socket_[socket].store(0);
        c->generation_.fetch_add(1);
        c->state_.store(Connection::State::Free);
    }
    note_change();
    return true;
}

int Registry::send(SOCKHANDLE socket, const char* data, std::size_t length, SendRoute route) {
    ConnectionLease lease;
    // A line is counted with its lease, before the transfer check, while a
    // claim is set before it counts the lines: either the claim waits for
    // this line or the line sees the claim.
    if (!this->lease(socket, lease, route == SendRoute::Line) || lease->ended()) return ARX_SEND_FAILED;
    if (route == SendRoute::Line && lease->transferring()) return ARX_FILE_TRANSFER_BUSY;
    int send_limit_ms = lease->recv_timeout_ms();
    if (send_limit_ms <= 0) send_limit_ms = reply_timeout_ms();
    // Whole within the connection's send limit, or failed.
    const bool sent = platform::send_all(socket, data, length, send_limit_ms, route == SendRoute::TransferPiece);
    return sent ? ARX_SUCCESS : ARX_SEND_FAILED;
}

long Registry::receive(int entry, std::uint32_t generation, char* buffer, std::size_t capacity) {
    ConnectionLease lease;
    if (!lease.take_generation(connections_[entry], generation)) return -1;
    return platform::receive_bytes(lease->socket(), buffer, capacity);
}

bool Registry::watch(int entry, std::uint32_t generation, platform::ReadySet& set) {
    ConnectionLease lease;
    return lease.take_generation(connections_[entry], generation) &&
           set.watch(lease->socket(), static_cast<std::uint64_t>(entry));
}

void Registry::mark_ended(int entry, std::uint32_t generation) {
    ConnectionLease lease;  // a closing connection refuses sends anyway
    if (lease.take_generation(connections_[entry], generation)) lease->ended_.store(true);
}

bool Registry::usable(SOCKHANDLE socket) const {
    const Connection* c = find(socket);
    return c && !c->ended();
}

int Registry::joints(SOCKHANDLE socket) const {
    const Connection* c = find(socket);
    return c ? c->joints() : 6;
}

bool Registry::claim_transfer(SOCKHANDLE socket, TransferTicket* ticket) {
    ConnectionLease lease;  // the entry stays this connection's while the claim waits
    if (!this->lease(socket, lease)) return false;
    bool idle = false;
    if (!lease->transferring_.compare_exchange_strong(idle, true)) return false;
    transfers_.fetch_add(1);
    *ticket = TransferTicket{static_cast<int>(&*lease - connections_), lease->generation()};
    // A line that passed its checks before the claim finishes first, whole.
    while (lease->line_sends() > 0) platform::sleep_ms(1);
    return true;
}

void Registry::release_transfer(TransferTicket ticket) {
    // A closing connection drops the claim itself, once its leases ended.
    ConnectionLease lease;
    if (lease.take_generation(connections_[ticket.entry], ticket.generation) && lease->transferring_.exchange(false))
        transfers_.fetch_sub(1);
}

bool Registry::transferring(SOCKHANDLE socket) const {
    if (transfers_.load() == 0) return false;
    const Connection* c = find(socket);
    return c && c->transferring();
}

bool Registry::view(int entry, ConnectionView* out) const {
    const Connection& c = connections_[entry];
    if (!c.open()) return false;
    *out = ConnectionView{entry, c.socket(), c.joints(), c.recv_timeout_ms(), c.generation()};
    return true;
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
    if (registry().add(socket, joints, recv_timeout_ms) < 0) return discard(socket, ARX_NETWORK_START_FAILED);
    return socket;
}

bool close_connection(SOCKHANDLE handle) {
    if (handle == 0 || !registry().close(handle)) return false;
    log(LogLevel::Info, "connection %llu closed", static_cast<unsigned long long>(handle));
    platform::network_cleanup();
    return true;
}

int joint_count(SOCKHANDLE handle) { return registry().joints(handle); }

}  // namespace arx::core
