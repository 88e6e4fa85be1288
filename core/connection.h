// One open connection to a controller: everything the library holds for it at
// the socket level lives here and ends with it. The registry owns a fixed set
// of these and hands them out again after a close; each reuse bumps the
// generation, so nobody mistakes the next connection for the last.
//
// The fields are plain atomics with constant initialisation and trivial
// destructors, safe to read from the background threads at any time, also
// during process exit. What else a connection owns sits in tables of the
// library (its pending slots, its queued lines): the close ends those too.
#pragma once

#include "arx_api.h"
#include "core/line_assembler.h"

#include <atomic>
#include <cstdint>

namespace arx::core {

class Connection {
public:
    SOCKHANDLE socket() const { return socket_.load(); }
    int joints() const { return joints_.load(); }
    int recv_timeout_ms() const { return recv_timeout_ms_.load(); }
    std::uint32_t generation() const { return generation_.load(); }
    // Registered and not closing: new reads and sends may start.
    bool open() const { return state_.load() == State::Open; }
    // The receive thread saw the controller end it: every send fails at once.
    bool ended() const { return ended_.load(); }
    // A trajectory file is being downloaded: other lines wait or are refused.
    bool transferring() const { return transferring_.load(); }

    // The receive thread's own state for this connection (no other thread
    // touches it): the line being framed. Reset lazily when the thread sees a
    // new generation.
    struct Input {
        std::uint32_t generation;
        bool ended;
        LineAssembler lines;
    } input;

private:
    friend class Registry;
    friend class ConnectionLease;

    // Free → Open (add) → Closing (no new lease; the close waits for
    // `leases_` to reach 0) → Free. One word, so a lease sees one state.
    enum class State : int { Free, Open, Closing };
    std::atomic<State> state_;
    // Reads and sends in progress on the socket (the low 16 bits; a close
    // waits for 0) and, above them, how many of those send ordinary lines (a
    // transfer claim waits for 0). One word, so a line send takes and gives
    // back both counts in one operation each.
    static constexpr std::uint32_t kLeaseMask = 0xFFFF;
    static constexpr std::uint32_t kLineSend = 0x10000;
    std::atomic<std::uint32_t> leases_;
    std::uint32_t leases() const { return leases_.load() & kLeaseMask; }
    std::uint32_t line_sends() const { return leases_.load() / kLineSend; }
    std::atomic<bool> ended_;
    std::atomic<bool> transferring_;
    std::atomic<SOCKHANDLE> socket_;
    std::atomic<int> joints_;
    std::atomic<int> recv_timeout_ms_;
    std::atomic<std::uint32_t> generation_;
};

// A read or send in progress on an open connection: the close waits for it,
// so the socket number is never closed (and reused) under an I/O. Taken
// without a lock: the lease is counted first and the connection checked
// after, while the close marks it closing first and counts the leases after,
// so either the close waits for this lease or the lease sees the close.
class ConnectionLease {
public:
    ConnectionLease() = default;
    ConnectionLease(const ConnectionLease&) = delete;
    ConnectionLease& operator=(const ConnectionLease&) = delete;
    ~ConnectionLease() {
        if (connection_) connection_->leases_.fetch_sub(units_);
    }
    // A lease on `c` while it is open with `socket`, or with `generation`:
    // once counted, the entry cannot be closed and handed on under it.
    // `line_send`: the lease sends an ordinary line, which a transfer claim
    // waits for.
    bool take_socket(Connection& c, SOCKHANDLE socket, bool line_send = false) {
        return take(c, line_send, [&] { return c.socket() == socket; });
    }
    bool take_generation(Connection& c, std::uint32_t generation) {
        return take(c, false, [&] { return c.generation() == generation; });
    }
    Connection* operator->() const { return connection_; }
    Connection& operator*() const { return *connection_; }
    explicit operator bool() const { return connection_ != nullptr; }

private:
    template <typename Same>
    bool take(Connection& c, bool line_send, Same same) {
        const std::uint32_t units = line_send ? 1 + Connection::kLineSend : 1;
        c.leases_.fetch_add(units);
        if (c.open() && same()) {
            connection_ = &c;
            units_ = units;
            return true;
        }
        c.leases_.fetch_sub(units);
        return false;
    }

    Connection* connection_ = nullptr;
    std::uint32_t units_ = 0;
};

}  // namespace arx::core
