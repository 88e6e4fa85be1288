// Table rows for command tests against the fake controller: "call, expect
// these exact request bytes and this result" and "answer this, expect this
// result and decoded value".
#pragma once

#include "support/fake_controller.h"
#include "support/sweep.h"  // list()

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace arx::test {

// A call, the line it must send (nullptr: nothing may be sent), its result,
// and the controller's answer (nullptr: none, the call must not wait for one).
// The line is looked for on the latest connection.
struct SendCase {
    const char* what;
    std::function<int()> call;
    const char* line;
    int rc = 0;
    const char* reply = nullptr;
};

// A query's result and one decoded value of interest (a number or a text).
struct Got {
    int rc;
    double value = 0;
    std::string text = {};
};

struct DecodeCase {
    const char* what;     // the row's label, shown when it fails
    const char* command;  // answered with `reply`
    std::string reply;
    std::function<Got()> call;
    Got expected;
};

inline long long ms_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

// Polls `done` every 2 ms for up to `max_ms`.
inline bool wait_until(const std::function<bool()>& done, long long max_ms) {
    for (const auto start = std::chrono::steady_clock::now(); !done();)
        if (ms_since(start) > max_ms) return false;
        else std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return true;
}

// The "command" value of a request line; "" for any other line.
inline std::string command_of(const std::string& line) {
    const std::string head = R"({"command":")";
    if (line.compare(0, head.size(), head) != 0) return "";
    return line.substr(head.size(), line.find('"', head.size()) - head.size());
}

class CommandTest : public ControllerTest {
protected:
    static constexpr float kMark = -99.0f;  // an output the call left alone

    // Output buffers the rows write into, marked again before each row.
    float f[16];
    int n;
    virtual void mark() {
        std::fill(std::begin(f), std::end(f), kMark);
        n = -99;
    }

    void expect_sends(const std::vector<SendCase>& rows) {
        for (const SendCase& c : rows) {
            SCOPED_TRACE(c.what);
            fc.clear();
            if (c.reply) fc.on(command_of(c.line), c.reply);
            mark();
            EXPECT_EQ(c.call(), c.rc);
            if (!c.line) {
                EXPECT_TRUE(fc.lines().empty());
                continue;
            }
            ASSERT_TRUE(fc.wait_lines(1));
            EXPECT_EQ(fc.raw_of(fc.connections() - 1), std::string(c.line) + "\r\n");
        }
    }

    void expect_decodes(const std::vector<DecodeCase>& rows) {
        for (const DecodeCase& c : rows) {
            SCOPED_TRACE(std::string(c.what) + ": " + c.reply);
            fc.on(c.command, c.reply);
            mark();
            const Got got = c.call();
            EXPECT_EQ(got.rc, c.expected.rc);
            EXPECT_FLOAT_EQ(static_cast<float>(got.value), static_cast<float>(c.expected.value));
            EXPECT_EQ(got.text, c.expected.text);
        }
    }
};

}  // namespace arx::test
