// The command paths and report routing against fake controllers on loopback.
#include "core/connections.h"
#include "core/library.h"
#include "core/pending_table.h"
#include "core/platform.h"
#include "core/transfer_state.h"
#include "core/transport.h"
#include "support/fake_controller.h"
#include "support/log_recorder.h"
#include "support/manual_clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>

namespace arx::test {
namespace {

using core::Kind;
const std::string kDegree = R"({"state":"joint_degree","joint":[1,2,3,4,5,6]})";

// A blocking "get_<word>" request whose decoder keeps the reply text.
int ask(SOCKHANDLE h, std::string* text = nullptr, Kind kind = Kind::JointDegree) {
    const char* word = kind == Kind::JointDegree ? "joint_degree" : "arm_software_version";
    return core::request_blocking(h, std::string("{\"command\":\"get_") + word + "\"}\r\n", kind,
                                  [text](const char* r) { return text ? (*text = r, 0) : 0; });
}

std::int64_t now_ms() { return platform::monotonic_ms(); }

int pending_count() {
    std::lock_guard<platform::Mutex> lock(core::library_mutex());
    return core::pending_table().count();
}

class Transport : public ControllerTest {};

// Replies cut, late, after noise or too long reach the caller, one request
// each (whole replies and the request bytes of every export: the sweep's rows).
TEST_F(Transport, BlockingRequestsGetWholeReplies) {
    const std::string overlong = kDegree + std::string(6000, ' ');
    const struct { const char* what; Reply reply; std::string expected; int max_ms; } cases[] = {
        {"split", Reply{{kDegree.substr(0, 3), kDegree.substr(3, 20), kDegree.substr(23) + "\r\n"}}, kDegree, 300},
        {"noise line first", Reply{{"garbage ~~~\r\n" + kDegree + "\r\n"}}, kDegree, 300},
        {"answered late, within the limit", Reply{{kDegree + "\r\n"}, false, 400}, kDegree, 700},
        {"overlong line", Reply{{overlong + "\r\n"}}, overlong.substr(0, core::kReplyCapacity), 300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fc.on("get_joint_degree", c.reply);
        std::string text;
        const auto start = now_ms();
        EXPECT_EQ(ask(h, &text), 0);
        EXPECT_LT(now_ms() - start, c.max_ms);
        EXPECT_EQ(text, c.expected);
    }
    EXPECT_EQ(fc.lines().size(), 4u);
    EXPECT_EQ(pending_count(), 0);
}

const std::string kFloodLine = "{\"command\":\"flood\",\"pad\":\"" + std::string(250, 'x') + "\"}\r\n";

// A controller that stops reading: a send to it blocks for at most its send
// limit (its receive timeout, here 3000 ms), then fails with 6. Meanwhile a
// healthy controller keeps its latency beside a quiet connection without a
// receive timeout, closing a healthy connection returns at once, and a reply
// wakes its caller at once (a 10 ms poll never answers under 10 ms).
TEST_F(Transport, StuckControllerStallsNoOtherConnection) {
    int port = 0;
    const platform::Socket listener = platform::tcp_listen_loopback(&port);
    constexpr int kSendLimitMs = 3000;
    FakeController other;
    const SOCKHANDLE healthy = connect_to(other, 0);
    fc.on("get_joint_degree", Reply{{kDegree + "\r\n"}, false, 1});  // answered once the caller waits
    const SOCKHANDLE stuck = core::open_connection("127.0.0.1", port, kSendLimitMs, 6);
    ASSERT_GT(stuck, 5u);
    std::atomic<int> sent{0};
    std::atomic<std::int64_t> failed_after_ms{-1};
    std::thread flood([&] {
        std::int64_t start = now_ms();
        for (; core::send_line(stuck, kFloodLine) == 0; start = now_ms()) ++sent;
        failed_after_ms = now_ms() - start;
    });
    // Blocked once the count stops growing; queued lines to it block the send thread too.
    for (int last = -1; last != sent.load();) {
        last = sent.load();
        platform::sleep_ms(100);
    }
    ASSERT_EQ(failed_after_ms.load(), -1) << "the flood ended before it blocked";
    const auto queue_start = now_ms();
    for (int i = 0; i < 3; ++i) core::queue_line(stuck, kFloodLine);
    EXPECT_LT(now_ms() - queue_start, 40);
    platform::sleep_ms(20);  // the send thread is now blocked on the first of them
    std::vector<std::int64_t> took;
    for (int i = 0; i < 200; ++i) {
        const auto start = now_ms();
        ASSERT_EQ(ask(h), 0);
        took.push_back(now_ms() - start);
    }
    EXPECT_LT(*std::max_element(took.begin(), took.end()), 40);
    EXPECT_LT(*std::min_element(took.begin(), took.end()), 9);
    const auto close_start = now_ms();
    Arm_Socket_Close(healthy);
    EXPECT_LT(now_ms() - close_start, 40);
    // All of that happened while the send to the stuck controller was blocked.
    EXPECT_EQ(failed_after_ms.load(), -1);
    flood.join();
    EXPECT_GE(failed_after_ms.load(), kSendLimitMs - 20);
    EXPECT_LT(failed_after_ms.load(), kSendLimitMs + 500);
    Arm_Socket_Close(stuck);
    platform::close_socket(listener);
}

// Replies reach callers of their own kind, the earliest first; two replies in
// one read both arrive (an arrived one is never overwritten).
TEST_F(Transport, RepliesReachTheirOwnKindsCallersInOrder) {
    fc.on("get_arm_software_version", R"({"state":"arm_software_version","n":3})");
    std::string first, second, version;
    auto earlier = std::async(std::launch::async, [&] { return ask(h, &first); });
    ASSERT_TRUE(fc.wait_lines(1));
    EXPECT_EQ(ask(h, &version, Kind::ArmSoftwareVersion), 0);
    EXPECT_EQ(version, R"({"state":"arm_software_version","n":3})");
    fc.on("get_joint_degree", Reply{{"{\"state\":\"joint_degree\",\"n\":1}\r\n{\"state\":\"joint_degree\",\"n\":2}\r\n"}});
    EXPECT_EQ(ask(h, &second), 0);
    EXPECT_EQ(earlier.get(), 0);
    EXPECT_EQ(first, R"({"state":"joint_degree","n":1})");
    EXPECT_EQ(second, R"({"state":"joint_degree","n":2})");
}

// No reply, then a line cut by the peer closing: 7 after the reply timeout each
// time. Only the timed-out call's slot goes; another caller of that kind keeps its own.
class TransportClocks : public Transport, public ::testing::WithParamInterface<bool> {};

TEST_P(TransportClocks, NoReplyTimesOutWithSevenAndRemovesItsSlot) {
    TestClock clock(GetParam());
    ASSERT_TRUE(core::register_slot(h, Kind::JointDegree, true));
    for (const bool cut : {false, true}) {
        SCOPED_TRACE(cut ? "cut by the close" : "silence");
        if (cut) fc.on("get_joint_degree", Reply{{R"({"state":"joint_degree","joi)"}, true});
        std::string text;
        const auto start = clock.now_ms();
        EXPECT_EQ(clock.run([&] { return ask(h, &text); }), ARX_REPLY_TIMEOUT);
        EXPECT_GE(clock.now_ms() - start, core::kReplyTimeoutMs);
        EXPECT_LT(clock.now_ms() - start, core::kReplyTimeoutMs + 500);
        EXPECT_EQ(text, "");
        EXPECT_EQ(pending_count(), 1);
    }
}
INSTANTIATE_TEST_SUITE_P(Clocks, TransportClocks, ::testing::Bool(), clock_name);

TEST_F(Transport, FullTableRefusesWithTwentyAndSendsNothing) {
    for (int i = 0; i < 2000; ++i) ASSERT_TRUE(core::register_slot(h, Kind::JointMaxSpeed, true));
    EXPECT_EQ(ask(h), ARX_PENDING_TABLE_FULL);
    platform::sleep_ms(50);
    EXPECT_TRUE(fc.lines().empty());
}

TEST_F(Transport, QueueAfterUnInitDropsTheLineAndInitRestoresIt) {
    ASSERT_NE(Arx_API_UnInit(), 0);
    EXPECT_EQ(core::queue_line(h, "{\"command\":\"lost\"}\r\n"), 0);
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
    for (const char* line : {"{\"n\":1}\r\n", "{\"n\":2}\r\n"}) EXPECT_EQ(core::queue_line(h, line), 0);
    ASSERT_TRUE(fc.wait_lines(2));
    EXPECT_EQ(fc.raw_of(0), "{\"n\":1}\r\n{\"n\":2}\r\n");  // the lost line would have left first
}

TEST_F(Transport, CloseEndsTheCallsWaitingOnItAtOnce) {
    auto call = std::async(std::launch::async, [&] { return ask(h); });
    auto arrival = std::async(std::launch::async, [&] {
        core::SlotRef slot{};
        const int rc = core::start_request(h, "{\"command\":\"movej\"}\r\n", Kind::CurrentTrajectoryState, &slot);
        return rc ? rc : core::await_reply(slot, 3000, [](const char*) { return 0; }).value_or(-1);
    });
    ASSERT_TRUE(fc.wait_lines(2));
    const auto start = now_ms();
    Arm_Socket_Close(h);
    EXPECT_EQ(call.get(), ARX_SEND_FAILED);
    EXPECT_EQ(arrival.get(), ARX_SEND_FAILED);
    EXPECT_LT(now_ms() - start, 100);
    EXPECT_EQ(pending_count(), 0);
    h = 0;
}

TEST_F(Transport, ConnectionEndedByTheControllerRefusesAtOnce) {
    fc.close_connection(0);
    const float joints[6] = {};
    const auto start = now_ms();
    std::vector<int> state_queued_set_point;
    while (now_ms() - start < 50 && state_queued_set_point != std::vector<int>{6, 6, 6})
        state_queued_set_point = {Arm_Socket_State(h), Set_Joint_Speed(h, 1, 1.0f, false), Movej_CANFD(h, joints)};
    EXPECT_EQ(state_queued_set_point, (std::vector<int>{6, 6, 6}));
    EXPECT_LT(now_ms() - start, 50 + core::kCommandPauseMs);
}

// One run of 400 set-points at 1 kHz beside a blocking call every 20 ms: how
// late the given percentile of them reached the controller.
double set_point_lateness_ms(FakeController& fc, SOCKHANDLE h, int percentile) {
    fc.clear();
    std::atomic<bool> streaming{true};
    std::thread blocking([&] {
        while (streaming) {
            EXPECT_EQ(ask(h), 0);
            platform::sleep_ms(20);
        }
    });
    std::vector<std::chrono::steady_clock::time_point> sent;
    for (int i = 0; i < 400; ++i) {
        const float joints[6] = {static_cast<float>(i), 0, 0, 0, 0, 0};
        sent.push_back(std::chrono::steady_clock::now());
        EXPECT_EQ(Movej_CANFD(h, joints), 0);
        std::this_thread::sleep_until(sent.back() + std::chrono::milliseconds(1));
    }
    streaming = false;
    blocking.join();
    platform::sleep_ms(50);
    const auto lines = fc.lines();
    const auto arrivals = fc.arrivals();
    std::vector<double> late_ms;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        int i = -1;  // joint 1 in thousandths of a degree: the set-point's number
        if (std::sscanf(lines[k].c_str(), R"({"command":"movej_canfd","joint":[%d)", &i) == 1 && i / 1000 < 400)
            late_ms.push_back(std::chrono::duration<double, std::milli>(arrivals[k] - sent[i / 1000]).count());
    }
    EXPECT_EQ(late_ms.size(), sent.size());
    std::sort(late_ms.begin(), late_ms.end());
    return late_ms.empty() ? 1e9 : late_ms[late_ms.size() * percentile / 100];
}

// Set-points leave at once beside blocking calls on their connection (held back
// for acknowledgements they came 20 ms late at the median). The best of three
// runs counts, as a busy machine makes a few late; sanitizers and Wine's uneven
// loopback get 5 ms, and under Wine the median is what is checked.
TEST_F(Transport, SetPointsArriveWithinAMillisecondBesideBlockingCalls) {
    fc.on("get_joint_degree", kDegree);
#if defined(_WIN32)
    const int percentile = 50;
#else
    const int percentile = 99;
#endif
#if defined(_WIN32) || defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    const double bound = 5.0;
#else
    const double bound = 1.0;
#endif
    double best = 1e9;
    for (int run = 0; run < 3 && best > bound; ++run) best = std::min(best, set_point_lateness_ms(fc, h, percentile));
    EXPECT_LE(best, bound) << "percentile " << percentile;
}

// 599 lines fit the queue (held back here by a download), the next is refused
// with 20, and every accepted one leaves in order on the hand-moved clock's beat.
TEST_F(Transport, FullQueueRefusesWithTwentyAndLosesNoAcceptedLine) {
    TestClock clock(true);
    std::vector<std::string> accepted;
    {
        const core::TransferClaim transfer(h);
        for (int n = 0; n < 599; ++n) {
            accepted.push_back("{\"n\":" + std::to_string(n) + "}");
            ASSERT_EQ(core::queue_line(h, accepted.back() + "\r\n"), 0) << n;
        }
        EXPECT_EQ(core::queue_line(h, "{\"n\":599}\r\n"), ARX_PENDING_TABLE_FULL);
    }
    ASSERT_TRUE(clock.wait([&] { return fc.lines().size() >= accepted.size(); }, 599 * 10 + 2000, 10));
    clock.pass(50);
    EXPECT_EQ(fc.lines(), accepted);
}

// A 10 ms beat, not the sum of 10 ms sleeps and sends.
TEST_F(Transport, QueuedLinesDrainAtOneHundredPerSecond) {
    constexpr int kLines = 200;
    for (int n = 0; n < kLines; ++n) ASSERT_EQ(core::queue_line(h, "{\"n\":" + std::to_string(n) + "}\r\n"), 0);
    ASSERT_TRUE(fc.wait_lines_for(kLines, std::chrono::seconds(5)));
    const auto arrivals = fc.arrivals();
    const auto span = [&](int from, int to) {
        return std::chrono::duration<double, std::milli>(arrivals[to] - arrivals[from]).count();
    };
    EXPECT_LE(span(0, kLines - 1), (kLines - 1) * 10.0 + 15);
    for (int n = 10; n < kLines; n += 10) EXPECT_GE(span(n - 10, n), 90.0) << n;
}

// A queued line waits for the end of the download on its connection, while
// other connections' queued lines go on (direct sends refused with 18: the
// trajectory file tests); one queued as the download starts lands before or
// after it, never inside.
TEST_F(Transport, DownloadHoldsEveryOtherLineOfItsConnectionBack) {
    FakeController other;
    const SOCKHANDLE elsewhere = connect_to(other);
    other.clear();
    const std::string content = "<piece----<piece----<piece----", held = "{\"held\":1}\r\n";
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        const std::string line = "{\"round\":" + std::to_string(round) + "}\r\n";
        ASSERT_EQ(core::queue_line(h, line), 0);
        platform::sleep_ms(round % 4);
        std::string during;
        {
            const core::TransferClaim transfer(h);
            ASSERT_TRUE(transfer);
            EXPECT_EQ(core::queue_line(h, held), 0);
            EXPECT_EQ(core::queue_line(elsewhere, "{\"other\":1}\r\n"), 0);
            for (int piece = 0; piece < 3; ++piece) ASSERT_EQ(core::send_raw_piece(h, "<piece----"), 0);
            ASSERT_TRUE(other.wait_lines(round + 1));
            platform::sleep_ms(30);
            during = fc.raw_of(0);
        }
        const std::string all = during == content ? content + line + held : line + content + held;
        EXPECT_TRUE(during == content || during == line + content) << during;
        for (int i = 0; i < 400 && fc.raw_of(0).size() < all.size(); ++i) platform::sleep_ms(5);
        EXPECT_EQ(fc.raw_of(0), all);
        fc.clear();
    }
    Arm_Socket_Close(elsewhere);
}

TEST_F(Transport, WhatIsGivenUpIsLogged) {
    TestClock clock(true);
    Arx_Set_Log_Handler(ARX_LOG_DEBUG, LogRecorder::handler);
    std::vector<LogLine> seen;
    const auto logged = [&seen](int level, const std::string& text) {
        for (int i = 0; i < 200; ++i) {
            for (LogLine& line : LogRecorder::take()) seen.push_back(std::move(line));
            for (const LogLine& line : seen)
                if (line.level == level && line.text.find(text) != std::string::npos) return true;
            platform::sleep_ms(5);
        }
        return false;
    };
    const std::string id = "connection " + std::to_string(h);
    core::queue_line(h, "{\"command\":\"get_joint_degree\"}\r\n");
    fc.push_line(kDegree);
    EXPECT_TRUE(logged(ARX_LOG_DEBUG, id + ": reply of kind 159 discarded, no call waits for it: " + kDegree));
    fc.push_line(kDegree + std::string(5000, ' '));
    EXPECT_TRUE(logged(ARX_LOG_WARNING, id + ": a reply line longer than 4096 bytes was cut to them"));
    // A stalled line is dropped at the reply timeout without traffic; the next is not glued to it.
    fc.push_bytes(kDegree.substr(0, 10));
    EXPECT_EQ(clock.run([&] { return ask(h); }), ARX_REPLY_TIMEOUT);
    EXPECT_TRUE(logged(ARX_LOG_WARNING, id + ": a reply line stalled for 3000 ms and is dropped"));
    EXPECT_TRUE(logged(ARX_LOG_WARNING, id + ": no reply of kind 159 within 3000 ms"));
    fc.on("get_joint_degree", kDegree);
    std::string text;
    EXPECT_EQ(clock.run([&] { return ask(h, &text); }), 0);
    EXPECT_EQ(text, kDegree);
    fc.close_connection(0);
    EXPECT_TRUE(logged(ARX_LOG_INFO, id + " ended by the controller (end of stream)"));
    Arm_Socket_Close(h);
    EXPECT_TRUE(logged(ARX_LOG_INFO, id + " closed"));
    h = 0;
    Arx_Set_Log_Handler(ARX_LOG_DEBUG, nullptr);
}

std::mutex report_mutex;
std::vector<int> report_codes;

std::vector<int> reported() {
    std::lock_guard<std::mutex> lock(report_mutex);
    return report_codes;
}

// Three callback-mode slots; each report reaches only the earliest (the
// decoded values are the force tests'); bad reports carry their fault code.
TEST_F(Transport, EachReportReachesExactlyOneCallbackSlot) {
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, [](CallbackData data) {
                  std::lock_guard<std::mutex> lock(report_mutex);
                  report_codes.push_back(data.err_code);
              }), 0);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(core::request_callback(h, "{}\r\n", Kind::ForcePositionState), 0);
    const char* pushed[] = {R"({"state":"Force_Position_State","joint":[1,2,3,4,5,6],"force":123,"arm_err":0})",
                            "Force_Position_State garbage", R"({"state":"Force_Position_State"})"};
    for (std::size_t n = 1; n <= 3; ++n) {
        fc.push_line(pushed[n - 1]);
        for (int i = 0; i < 200 && reported().size() < n; ++i) platform::sleep_ms(5);
        ASSERT_EQ(reported().size(), n) << pushed[n - 1];
        EXPECT_EQ(pending_count(), 3 - static_cast<int>(n));
    }
    EXPECT_EQ(reported(), (std::vector<int>{0, ARX_REPLY_NOT_JSON, ARX_TYPE_ERROR}));  // the last: no joint array
}

}  // namespace
}  // namespace arx::test
