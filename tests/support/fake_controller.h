// A fake robot-arm controller for protocol tests: a real TCP peer on
// 127.0.0.1 (ephemeral port) that records every request line and answers by
// script.
//
//   FakeController fc;                                   // listening at once
//   fc.on("get_joint_degree", R"({"joint":[1000,2000]})"); // reply + "\r\n"
//   SOCKHANDLE h = connect_to(fc);                        // Arm_Socket_Start on 127.0.0.1
//   ... call a command on h ...
//   EXPECT_EQ(fc.lines().back(), R"({"command":"get_joint_degree"})");
//   EXPECT_EQ(fc.raw_of(0), "{\"command\":\"get_joint_degree\"}\r\n");
//
// Requests are matched by their "command" value. A command without a script
// gets no answer (silence), except the start-up queries, which get sound
// default answers ("get_current_tool_frame", "get_current_work_frame",
// "get_install_pose"); override them with on() like any other command.
//
// Scripts (Reply):
//   Reply::line(text)                 text + "\r\n" in one write
//   Reply::lines({a, b})              several lines, CR LF each, in ONE write
//   Reply::split(text, {5, 12})       text + "\r\n" written in pieces cut at
//                                     those offsets, `gap_ms` apart
//   Reply::raw(bytes)                 exactly these bytes (garbage, no line end...)
//   Reply::silence()                  no answer
//   Reply::close_mid_line(partial)    writes `partial` (no line end), then closes
//   .after(ms)                        delays the first write
//   .then_close()                     closes the connection after the writes
// on(cmd, reply) sets the lasting answer; once(cmd, reply) queues an answer
// used for the next request only (queued answers go first, in order).
//
// Unsolicited traffic: push(bytes) / push_line(text) write to a connection at
// any time (default: the most recently accepted one).
//
// All accessors are thread-safe; wait_lines() and wait_connections() block
// until the count is reached or the time limit passes.
#pragma once

#include "arx_api.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace arx::test {

struct Reply {
    std::vector<std::string> writes;  // each one send() call
    int delay_ms = 0;                 // before the first write
    int gap_ms = 20;                  // between writes
    bool close_after = false;

    static Reply line(const std::string& text);
    static Reply lines(const std::vector<std::string>& texts);
    static Reply split(const std::string& text, const std::vector<std::size_t>& cuts);
    static Reply raw(const std::string& bytes);
    static Reply silence();
    static Reply close_mid_line(const std::string& partial);

    Reply after(int ms) const;
    Reply then_close() const;
};

class FakeController {
public:
    FakeController();
    ~FakeController();
    FakeController(const FakeController&) = delete;
    FakeController& operator=(const FakeController&) = delete;

    int port() const { return port_; }

    void on(const std::string& command, const std::string& reply_line);
    void on(const std::string& command, const Reply& reply);
    void once(const std::string& command, const Reply& reply);

    // Writes bytes to connection `connection` (accept order, from 0); -1 is
    // the latest accepted connection.
    void push(const std::string& bytes, int connection = -1);
    void push_line(const std::string& text, int connection = -1) { push(text + "\r\n", connection); }
    // Closes every accepted connection (the library sees end of stream).
    void close_connections();

    // Request lines without their CR LF, in arrival order (all connections).
    std::vector<std::string> lines() const;
    std::vector<std::string> lines_of(int connection) const;
    // "command" values of the recorded lines, in arrival order.
    std::vector<std::string> commands() const;
    std::size_t count(const std::string& command) const;
    // Every byte received on a connection, CR LF included.
    std::string raw_of(int connection) const;
    // Forgets the recorded lines and bytes (scripts stay).
    void clear();

    bool wait_lines(std::size_t n, int timeout_ms = 2000) const;
    // Waits until `n` lines carrying `command` have arrived.
    bool wait_command(const std::string& command, std::size_t n = 1, int timeout_ms = 2000) const;
    int connections() const;
    bool wait_connections(int n, int timeout_ms = 2000) const;
    // Waits until the library has closed connection `connection`.
    bool wait_closed_by_library(int connection, int timeout_ms = 2000) const;

private:
    struct Connection;
    struct Action;
    void run();
    void handle_line(int connection, const std::string& line);
    void schedule(int connection, const Reply& reply);
    void perform_due_actions();
    int resolve(int connection) const;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::uint64_t listener_;
    int port_ = 0;
    bool stop_ = false;
    std::vector<std::unique_ptr<Connection>> connections_;
    std::vector<std::pair<int, std::string>> lines_;  // (connection, line)
    std::map<std::string, Reply> replies_;
    std::map<std::string, std::deque<Reply>> queued_;
    std::vector<Action> actions_;
    std::thread thread_;
};

// Arm_Socket_Start("127.0.0.1", fc.port(), recv_timeout_ms); on success also
// waits until the fake has accepted the connection.
SOCKHANDLE connect_to(const FakeController& fc, int recv_timeout_ms = 100);

// A test that starts the library (ARM_MODEL_A, no callback) and one
// connection to a fake controller; `fc` and `h` are ready in each test.
class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    FakeController fc;
    SOCKHANDLE h = 0;
};

}  // namespace arx::test
