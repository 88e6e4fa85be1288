// One client connection of the simulated controller: its socket, the writes
// to it (replies with their word's fault, reports as they are), and what it
// is in the middle of receiving.
#pragma once

#include "sim/faults.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <string>

namespace arx::sim {

class Session {
public:
    Session(int socket, const FaultTable& faults) : socket_(socket), faults_(faults) {}
    ~Session() { close(false); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // A reply to a request `word`, with the word's fault applied. False when
    // the fault ended the connection.
    bool reply(const std::string& word, const std::string& line);
    // A report the controller sends on its own (arrival, force-position).
    void report(const std::string& line) { write(line); }
    // Sends a batched reply whose companion did not come within `age`.
    void flush_held(std::chrono::milliseconds age);
    // Closes the socket; `reset` makes the peer see a reset, not an orderly end.
    void close(bool reset);
    bool closed() const;
    int socket() const { return socket_; }

    // A trajectory file arriving after its announcement: raw bytes, no lines.
    std::size_t file_bytes_expected = 0;
    std::string file_content;
    int file_plan_speed = 0;

private:
    void write(const std::string& bytes);
    void write_locked(const std::string& bytes);

    mutable std::mutex mutex_;
    int socket_;
    const FaultTable& faults_;
    std::string held_;
    std::chrono::steady_clock::time_point held_since_;
};

// The line with every true value (at any depth) turned false: a refusal.
std::string refused(const std::string& line);

}  // namespace arx::sim
