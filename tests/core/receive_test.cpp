// The receive loop: the set of sockets it waits on, the stall limits of begun
// lines ordered by time, 300 connections, and closes while streaming.
#include "core/connections.h"
#include "core/deadline_heap.h"
#include "core/library.h"
#include "core/pending_table.h"
#include "core/platform.h"
#include "core/transport.h"
#include "support/fake_controller.h"
#include "support/manual_clock.h"
#include "support/socket_pair.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace arx::test {
namespace {

std::vector<std::uint64_t> ready_keys(platform::ReadySet& set, int timeout_ms) {
    std::uint64_t keys[8];
    const int n = set.wait(keys, 8, timeout_ms);
    std::vector<std::uint64_t> out(keys, keys + std::max(n, 0));
    std::sort(out.begin(), out.end());
    return out;
}

using Keys = std::vector<std::uint64_t>;

// Ready sockets come back under their keys until read (level-triggered);
// unwatched ones never do; the wake-up is one of them, two signals one drain.
TEST(ReadySet, ReportsTheKeysOfReadySocketsUntilRead) {
    SocketPair a, b;
    platform::WakeUp wake;
    ASSERT_NE(a.peer, platform::kInvalidSocket);
    ASSERT_NE(b.peer, platform::kInvalidSocket);
    platform::ReadySet set;
    ASSERT_TRUE(set.watch(a.ours, 7));
    ASSERT_TRUE(set.watch(b.ours, 9));
    ASSERT_TRUE(set.watch(wake.socket(), 300));
    EXPECT_EQ(ready_keys(set, 0), Keys{});
    platform::send_bytes(a.peer, "x", 1);
    EXPECT_EQ(ready_keys(set, 1000), Keys{7});
    EXPECT_EQ(ready_keys(set, 0), Keys{7});  // unread: reported again
    wake.signal();
    wake.signal();
    platform::close_socket(b.peer);  // end of stream counts as readable
    b.peer = platform::kInvalidSocket;
    EXPECT_EQ(ready_keys(set, 1000), (Keys{7, 9, 300}));
    char byte;
    EXPECT_EQ(platform::receive_bytes(a.ours, &byte, 1), 1);
    wake.drain();
    set.unwatch(9);
    EXPECT_EQ(ready_keys(set, 50), Keys{});
}

// The set keeps its own reference: a watched socket closed by its owner and
// its number taken by the next connection under another key; unwatching the
// old key leaves the new connection watched, and the old one never reports.
TEST(ReadySet, ReusedSocketNumberStaysWatchedUnderItsNewKey) {
    SocketPair a;
    ASSERT_NE(a.peer, platform::kInvalidSocket);
    platform::ReadySet set;
    ASSERT_TRUE(set.watch(a.ours, 3));
    const platform::Socket number = a.ours;
    platform::shutdown_socket(a.ours);
    a.close_ours();
    EXPECT_EQ(ready_keys(set, 1000), Keys{3});  // its end is still seen
    SocketPair b;
    ASSERT_NE(b.peer, platform::kInvalidSocket);
    if (b.ours != number) GTEST_SKIP() << "the host gave the next socket another number";
    ASSERT_TRUE(set.watch(b.ours, 4));
    set.unwatch(3);
    EXPECT_EQ(ready_keys(set, 50), Keys{});
    platform::send_bytes(b.peer, "x", 1);
    EXPECT_EQ(ready_keys(set, 1000), Keys{4});
}

// After any sequence of sets and erases (every fourth of the first key) the
// first key is one with the earliest deadline.
TEST(DeadlineHeap, FirstIsAlwaysTheEarliestDeadline) {
    constexpr int kKeys = 40;
    core::DeadlineHeap<kKeys> heap;
    std::map<int, std::int64_t> expected;
    std::mt19937 random(20);
    for (int step = 0; step < 20000; ++step) {
        const int key = step % 4 == 0 && !heap.empty() ? heap.first() : static_cast<int>(random() % kKeys);
        if (step % 4 == 0 || random() % 3 == 0) {
            heap.erase(key);
            expected.erase(key);
        } else {
            const std::int64_t deadline = random() % 500;  // repeats, so ties occur
            heap.set(key, deadline);
            expected[key] = deadline;
        }
        ASSERT_EQ(heap.holds(key), expected.count(key) == 1) << step;
        ASSERT_EQ(heap.size(), static_cast<int>(expected.size())) << step;
        if (expected.empty()) continue;
        const auto earliest = std::min_element(expected.begin(), expected.end(),
                                               [](const auto& l, const auto& r) { return l.second < r.second; });
        ASSERT_EQ(heap.first_deadline(), earliest->second) << step;
        ASSERT_EQ(expected.at(heap.first()), earliest->second) << step;
    }
}

const std::string kBegun = R"({"state":"joint_degree","joint":[1,2,3,4,5,6],"n":)";

// Begun lines on several connections, each given up at its own limit (the
// larger of its receive timeout and the reply timeout, 3000 ms), counted on
// a clock moved by hand: a line completed before its limit is a reply, one
// completed after it is the stray end of a dropped line. Rows in completion order.
TEST(ReceiveLoop, BegunLinesAreGivenUpEachAtItsOwnLimit) {
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
    const struct { int recv_timeout_ms, completed_at_ms; bool reply; } cases[] = {
        {100, 2000, true},   {0, 3600, false},    {100, 4000, false},
        {5000, 4000, true},  {5000, 6000, false}, {8000, 7000, true},
    };
    FakeController fc;
    std::vector<SOCKHANDLE> handles;
    for (const auto& c : cases) handles.push_back(connect_to(fc, c.recv_timeout_ms));
    TestClock clock(true);
    std::vector<core::SlotRef> slots;
    for (std::size_t i = 0; i < handles.size(); ++i) {
        ASSERT_TRUE(ARX_HANDLE_IS_VALID(handles[i]));
        slots.push_back(*core::register_slot(handles[i], core::Kind::JointDegree, true));
        fc.push_bytes(kBegun, static_cast<int>(i));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // read at the start time
    const std::int64_t start = clock.now_ms();
    for (std::size_t i = 0; i < handles.size(); ++i) {
        clock.pass(start + cases[i].completed_at_ms - clock.now_ms());
        fc.push_bytes(std::to_string(i) + "}\r\n", static_cast<int>(i));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    for (std::size_t i = 0; i < handles.size(); ++i) {
        SCOPED_TRACE(i);
        std::string text;
        const auto reply = core::take_reply(slots[i], [&](const char* r) { return text = r, 0; });
        EXPECT_EQ(reply.has_value(), cases[i].reply) << text;
        EXPECT_EQ(text, cases[i].reply ? kBegun + std::to_string(i) + "}" : "");
        Arm_Socket_Close(handles[i]);  // frees a slot left waiting
    }
}

// A peer for many connections answering each request with its own "tag": it
// writes the first halves of all pending answers in reverse order before any
// second half, so the receive thread holds begun lines on many connections.
class TaggingPeer {
public:
    TaggingPeer() : links_{platform::tcp_listen_loopback(&port, 1024)}, thread_([this] { run(); }) {}
    ~TaggingPeer() {
        stop_ = true;
        thread_.join();
        for (platform::Socket s : links_) platform::close_socket(s);
    }
    int port = 0;
    std::atomic<int> answered{0};

private:
    void run() {
        std::vector<std::string> pending(1);  // what each socket sent after its last line feed
        char buffer[4096];
        while (!stop_) {
            auto ready = std::make_unique<bool[]>(links_.size());
            if (platform::wait_readable(links_.data(), ready.get(), static_cast<int>(links_.size()), 5) <= 0) continue;
            std::vector<std::pair<platform::Socket, std::string>> answers;
            for (std::size_t i = 1; i < links_.size(); ++i) {
                const long got = ready[i] ? platform::receive_bytes(links_[i], buffer, sizeof buffer) : 0;
                std::string& p = pending[i];
                p.append(buffer, static_cast<std::size_t>(std::max(got, 0L)));
                for (std::size_t end; (end = p.find('\n')) != std::string::npos; p.erase(0, end + 1)) {
                    const std::size_t tag = p.find("\"tag\":\""), close = p.find('"', tag + 7);
                    if (tag < end && close < end)  // untagged: no answer
                        answers.emplace_back(links_[i], kAnswer + p.substr(tag, close + 1 - tag) + "}\r\n");
                }
            }
            const platform::Socket accepted = ready[0] ? platform::tcp_accept(links_[0]) : platform::kInvalidSocket;
            if (accepted != platform::kInvalidSocket) {
                links_.push_back(accepted);
                pending.emplace_back();
            }
            for (auto a = answers.rbegin(); a != answers.rend(); ++a)
                platform::send_bytes(a->first, a->second.data(), a->second.size() / 2);
            for (const auto& [socket, text] : answers)
                platform::send_bytes(socket, text.data() + text.size() / 2, text.size() - text.size() / 2);
            answered += static_cast<int>(answers.size());
        }
    }

    static constexpr const char* kAnswer = R"({"state":"joint_degree","joint":[1000,2000,3000,4000,5000,6000],)";
    std::atomic<bool> stop_{false};
    std::vector<platform::Socket> links_;  // the listener, then the accepted ones; the peer thread's own
    std::thread thread_;
};

// 300 connections, one caller each: every reply reaches its caller, though the
// answers of all connections arrive interleaved and each cut in two.
TEST(ReceiveLoop, ThreeHundredConnectionsEachGetTheirOwnReplies) {
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
    TaggingPeer peer;
    constexpr int kConnections = core::kMaxConnections, kRounds = 5;
    std::vector<SOCKHANDLE> handles;
    for (int c = 0; c < kConnections; ++c) {
        handles.push_back(core::open_connection("127.0.0.1", peer.port, 100, 6));
        ASSERT_TRUE(ARX_HANDLE_IS_VALID(handles.back())) << c << ": " << handles.back();
    }
    std::atomic<int> wrong{0};
    std::vector<std::thread> callers;
    for (int c = 0; c < kConnections; ++c)
        callers.emplace_back([&, c] {
            for (int r = 0; r < kRounds; ++r) {
                const std::string tag = std::to_string(c) + "." + std::to_string(r);
                std::string text;
                const int rc = core::request_blocking(
                    handles[static_cast<std::size_t>(c)], R"({"command":"get_joint_degree","tag":")" + tag + "\"}\r\n",
                    core::Kind::JointDegree, [&](const char* reply) { return text = reply, 0; });
                if (rc != 0 || text.find("\"tag\":\"" + tag + "\"}") == std::string::npos) ++wrong;
            }
        });
    for (std::thread& t : callers) t.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(peer.answered.load(), kConnections * kRounds);
    {
        std::lock_guard<platform::Mutex> lock(core::library_mutex());
        EXPECT_EQ(core::pending_table().count(), 0);
    }
    for (SOCKHANDLE h : handles) EXPECT_TRUE(core::close_connection(h));
}

// Eight threads stream set-points, one connection each (sharing no lock), and
// each connection is closed mid-stream: the close returns at once, every later
// send fails with 6, and the controller received only whole lines.
TEST(SendPath, ClosesWhileStreamingEndEverySendWithSix) {
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
    constexpr int kStreams = 8;
    FakeController fc;
    std::vector<SOCKHANDLE> handles;
    for (int i = 0; i < kStreams; ++i) handles.push_back(core::open_connection("127.0.0.1", fc.port(), 100, 6));
    ASSERT_TRUE(fc.wait_connections(kStreams));
    std::atomic<int> wrong{0};  // a send that went out after its close, or a result other than 0 and 6
    std::atomic<bool> closed[kStreams] = {};
    std::atomic<long> sent{0};
    std::vector<std::thread> streams;
    for (int i = 0; i < kStreams; ++i)
        streams.emplace_back([&, i] {
            const std::string line = R"({"command":"movej_canfd","joint":[)" + std::to_string(i) + "]}\r\n";
            for (;;) {
                const bool was_closed = closed[i].load();
                const int rc = core::send_only(handles[static_cast<std::size_t>(i)], line);
                sent += rc == ARX_SUCCESS;
                wrong += was_closed ? rc != ARX_SEND_FAILED : rc != ARX_SUCCESS && rc != ARX_SEND_FAILED;
                if (was_closed && rc == ARX_SEND_FAILED) return;
            }
        });
    while (sent.load() < 2000) std::this_thread::yield();
    for (int i = 0; i < kStreams; ++i) {
        const auto start = platform::monotonic_ms();
        EXPECT_TRUE(core::close_connection(handles[static_cast<std::size_t>(i)]));
        closed[i] = true;
        EXPECT_LT(platform::monotonic_ms() - start, 100) << i;
    }
    for (std::thread& t : streams) t.join();
    EXPECT_EQ(wrong.load(), 0);
    for (int i = 0; i < kStreams; ++i) ASSERT_TRUE(fc.wait_closed_by_library(i));
    std::set<std::string> streamed;
    for (int i = 0; i < kStreams; ++i) streamed.insert(R"({"command":"movej_canfd","joint":[)" + std::to_string(i) + "]}");
    for (const std::string& line : fc.lines()) EXPECT_EQ(streamed.count(line), 1u) << line;
}

}  // namespace
}  // namespace arx::test
