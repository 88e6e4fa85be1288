// arx-sim's answers on the wire, without the library: for every sweep row
// whose scripted reply decodes to success, the simulator's answer to the
// row's request line classifies to the same reply kind and carries every
// member the scripted reply carries (names ignoring letter case, as the
// decoders read them).
#include "conformance/sim_process.h"
#include "core/classifier.h"
#include "support/sweep.h"

#include <cjson/cJSON.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <set>
#include <string>

namespace arx::test {
namespace {

using JsonPtr = std::unique_ptr<cJSON, decltype(&cJSON_Delete)>;

// A plain connection to the simulator: lines out, lines in.
class RawConnection {
public:
    explicit RawConnection(int port) : socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        const timeval limit{0, 200 * 1000};
        setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    }
    ~RawConnection() { ::close(socket_); }
    bool connected() const { return connected_; }
    void send_line(const std::string& line) {
        const std::string bytes = line + "\r\n";
        ASSERT_EQ(::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
    }
    // The first line of kind `kind` within `limit_ms`; "" when none came.
    std::string line_of_kind(core::Kind kind, int limit_ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit_ms);
        while (std::chrono::steady_clock::now() < end) {
            for (std::size_t at; (at = pending_.find('\n')) != std::string::npos;) {
                std::string line = pending_.substr(0, at);
                pending_.erase(0, at + 1);
                if (core::classify(line) == kind) return line;
            }
            char buffer[1024];
            const ssize_t n = ::recv(socket_, buffer, sizeof buffer, 0);
            if (n > 0) pending_.append(buffer, static_cast<std::size_t>(n));
        }
        return "";
    }

private:
    int socket_;
    bool connected_ = false;
    std::string pending_;
};

// Members of `expected` (at any depth of objects) missing from `actual`.
std::string missing_members(const cJSON* expected, const cJSON* actual, const std::string& path = "") {
    std::string missing;
    for (const cJSON* member = expected ? expected->child : nullptr; member; member = member->next) {
        const cJSON* found = cJSON_GetObjectItem(actual, member->string);
        if (!found) {
            missing += " " + path + member->string;
            continue;
        }
        if (cJSON_IsObject(member)) missing += missing_members(member, found, path + member->string + ".");
    }
    return missing;
}

TEST(SimReplies, ClassifyAndCarryWhatTheDecodersRead) {
    SimProcess sim({"--model", "A", "--speed", "50"});
    ASSERT_NE(sim.port(), 0);
    // The tool frame the rows ask about by name.
    ASSERT_NE(
        sim.ask(
            R"({"command":"set_manual_tool_frame","tool_name":"tip","tool_pose":[0,0,0,0,0,0],"payload":1,"position":[0,0,0]})"),
        "");
    int checked = 0;
    std::set<std::string> lines;  // the first successful row of each request line: later ones vary the reply
    for (const SweepFamily& family : sweep_families()) {
        for (const SweepRow& row : family.rows) {
            if (!row.line || !row.reply || row.rc != 0 || !lines.insert(row.line).second) continue;
            SCOPED_TRACE(std::string(family.name) + ": " + row.function + " " + row.variant + "\n  " + row.line);
            RawConnection arm(sim.port());
            ASSERT_TRUE(arm.connected());
            arm.send_line(row.line);
            const core::Kind kind = core::classify(row.reply);
            const std::string answer = arm.line_of_kind(kind, 3000);
            ASSERT_FALSE(answer.empty()) << "no answer of the kind of " << row.reply;
            JsonPtr expected(cJSON_Parse(row.reply), cJSON_Delete), actual(cJSON_Parse(answer.c_str()), cJSON_Delete);
            ASSERT_TRUE(actual) << answer;
            EXPECT_EQ(missing_members(expected.get(), actual.get()), "") << "answer: " << answer;
            ASSERT_TRUE(sim.wait_idle());
            ++checked;
        }
    }
    EXPECT_GT(checked, 100);
}

}  // namespace
}  // namespace arx::test
