// One client connection of the simulated controller: its socket, what it has
// sent that is not yet a whole line, and what is still to be written to it.
// A session belongs to the server's event loop alone: nothing here blocks and
// nothing here locks. Replies and reports wait in the outbox until the socket
// takes them; a fault that answers late or in pieces is a write due later.
#pragma once

#include "sim/faults.h"

#include <chrono>
#include <deque>
#include <memory>
#include <string>

namespace arx::sim {

using SimClock = std::chrono::steady_clock;

class Session {
public:
    // `socket` non-blocking, or -1 for a session nobody listens to (a project's lines).
    Session(int socket, const FaultTable& faults) : socket_(socket), faults_(faults) {}
    ~Session() { close(false); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // A reply to a request `word`, with the word's fault applied. False when
    // the fault ends the connection (no more requests are read).
    bool reply(const std::string& word, const std::string& line);
    // A report the controller sends on its own (an arrival).
    void report(const std::string& line) { queue(line, due_base(SimClock::now())); }

    // Writes what is due without blocking. False when the peer is gone or has
    // taken nothing for `limit` while there was something to write.
    bool flush(SimClock::time_point now, std::chrono::milliseconds limit);
    // Whether something is due now (then the socket is watched for room).
    bool has_due(SimClock::time_point now) const;
    // When the next write falls due; max() when nothing waits.
    SimClock::time_point next_due() const;
    // Bytes written by the controller and not yet taken by the socket.
    std::size_t backlog() const { return backlog_; }
    bool idle() const { return outbox_.empty() && ready_.empty(); }
    // Due bytes the socket had no room for (then it is watched for room).
    bool unsent() const { return !ready_.empty(); }
    // When flush() gives the peer up if it takes nothing more; max() while
    // nothing waits for room.
    SimClock::time_point give_up_at(std::chrono::milliseconds limit) const {
        return waiting_ ? waiting_since_ + limit : SimClock::time_point::max();
    }

    // Closes the socket; `reset` makes the peer see a reset, not an orderly end.
    void close(bool reset);
    bool closed() const { return socket_ < 0; }
    int socket() const { return socket_; }

    // Reading: bytes that are not yet a whole line (`scanned` of them hold no
    // line feed), and whether requests are still read.
    std::string inbound;
    std::size_t scanned = 0;
    bool reading = true;
    bool peer_done = false;      // the peer sent its last byte
    bool lines_waiting = false;  // whole lines received and not yet answered (its turn was up)

    // A trajectory file arriving after its announcement: raw bytes, no lines.
    std::size_t file_bytes_expected = 0;
    std::string file_content;
    int file_plan_speed = 0;

private:
    struct Chunk {
        std::string bytes;
        SimClock::time_point due;
        bool held = false;         // a batched reply: leaves with the next write
        bool reset_after = false;  // the connection is reset once this is out
    };
    SimClock::time_point due_base(SimClock::time_point now) const { return std::max(now, tail_due_); }
    void queue(std::string bytes, SimClock::time_point due, bool reset_after = false);

    int socket_;
    const FaultTable& faults_;
    std::deque<Chunk> outbox_;
    std::string ready_;  // due bytes, partly sent
    bool reset_when_sent_ = false;
    std::size_t backlog_ = 0;
    SimClock::time_point tail_due_{};       // the last unheld chunk's due time: order is kept
    SimClock::time_point waiting_since_{};  // since when due bytes found no room
    bool waiting_ = false;
};

// The line with every true value (at any depth) turned false: a refusal.
std::string refused(const std::string& line);

}  // namespace arx::sim
