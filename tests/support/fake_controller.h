// A fake robot-arm controller for network tests: a real TCP peer on 127.0.0.1
// that records every request line and answers by script, matching requests by
// their "command" value. Unscripted commands get no answer, except the start-up
// queries ("get_current_tool_frame", "get_current_work_frame",
// "get_install_pose"), which get zero frames.
#pragma once

#include "arx_api.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace arx::test {

// One scripted answer: after `delay_ms`, each of `writes` is one send, 20 ms
// apart; `close` closes the connection after the last write. No writes: silence.
struct Reply {
    std::vector<std::string> writes;
    bool close = false;
    int delay_ms = 0;
};

class FakeController {
public:
    FakeController();
    ~FakeController();

    int port() const { return port_; }
    // Lasting answer: `line` + CR LF in one write.
    void on(const std::string& command, const std::string& line) { on(command, Reply{{line + "\r\n"}}); }
    void on(const std::string& command, const Reply& reply) { locked([&] { return replies_[command] = reply; }); }
    // Writes `text` + CR LF unasked on a connection (accept order, from 0).
    void push_line(const std::string& text, int connection = 0) { send(connection, text + "\r\n"); }
    // Writes `bytes` as they are (a line begun, or its rest).
    void push_bytes(const std::string& bytes, int connection = 0) { send(connection, bytes); }

    // Request lines without CR LF in arrival order, and every byte received on
    // a connection (accept order, from 0).
    std::vector<std::string> lines() const { return locked([&] { return lines_; }); }
    // When each line's line feed was read (steady clock), in the same order.
    std::vector<std::chrono::steady_clock::time_point> arrivals() const { return locked([&] { return arrivals_; }); }
    std::string raw_of(int c) const { return locked([&] { return c < size() ? connections_[c].raw : ""; }); }
    int connections() const { return locked([&] { return size(); }); }
    void clear() {  // forgets lines and bytes, keeps scripts
        locked([&] {
            for (Connection& c : connections_) c.raw.clear();
            lines_.clear();
            arrivals_.clear();
        });
    }

    // Wait up to 2 s for n request lines, n accepted connections, or the
    // library's close of connection c.
    bool wait_lines(std::size_t n) const { return wait([&] { return lines_.size() >= n; }); }
    bool wait_connections(int n) const { return wait([&] { return size() >= n; }); }
    bool wait_closed_by_library(int c) const { return wait([&] { return c < size() && !connections_[c].open; }); }
    bool wait_lines_for(std::size_t n, std::chrono::milliseconds limit) const {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return lines_.size() >= n; });
    }
    // Ends connection c from the controller's side (end of stream).
    void close_connection(int c) { send(c, "", true); }

private:
    struct Connection {
        std::uint64_t socket;
        bool open = true;
        std::string pending, raw;
    };
    void run();
    void answer(int connection, const Reply& reply);
    void send(int connection, const std::string& bytes, bool close = false);
    int size() const { return static_cast<int>(connections_.size()); }
    template <class F>
    auto locked(F f) const -> decltype(f()) {
        std::lock_guard<std::mutex> lock(mutex_);
        return f();
    }
    template <class Done>
    bool wait(Done done) const {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(2), done);
    }

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::uint64_t listener_;
    int port_ = 0;
    bool stop_ = false;
    std::vector<Connection> connections_;
    std::vector<std::string> lines_;
    std::vector<std::chrono::steady_clock::time_point> arrivals_;
    std::map<std::string, Reply> replies_;
    std::thread thread_;
};

// Arm_Socket_Start("127.0.0.1", fc.port(), recv_timeout_ms); on success also
// waits until the fake has accepted the connection.
SOCKHANDLE connect_to(const FakeController& fc, int recv_timeout_ms = 100);


// The library started (ARM_MODEL_A, no callback) with one connection to `fc`,
// whose recorded lines start empty.
class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override {
        if (ARX_HANDLE_IS_VALID(h)) Arm_Socket_Close(h);
    }
    FakeController fc;
    SOCKHANDLE h = 0;
};

}  // namespace arx::test
