// The four command paths against a fake controller on loopback.
#include "core/library.h"
#include "core/message_queue.h"
#include "core/pending_table.h"
#include "core/platform.h"
#include "core/transport.h"
#include "support/fake_controller.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace arx::test {
namespace {

using core::request_blocking;

constexpr int kJointDegree = 159;
constexpr int kArmSoftwareVersion = 90;

const char kDegreeLine[] = "{\"command\":\"get_joint_degree\"}\r\n";

// A decoder that keeps the reply text and reports success.
struct Capture {
    std::string text;
    core::ReplyDecoder decoder() {
        return [this](const char* reply) {
            text = reply;
            return 0;
        };
    }
};

std::int64_t now_ms() { return platform::monotonic_ms(); }

int pending_count() {
    std::lock_guard<platform::Mutex> lock(core::library_mutex());
    return core::pending_table().count();
}

class Transport : public ControllerTest {};

TEST_F(Transport, BlockingRequestSendsExactBytesAndDecodesReply) {
    fc.on("get_joint_degree", R"({"state":"joint_degree","joint":[1000,2000]})");
    Capture reply;
    EXPECT_EQ(request_blocking(h, kDegreeLine, kJointDegree, reply.decoder()), 0);
    EXPECT_EQ(reply.text, R"({"state":"joint_degree","joint":[1000,2000]})");
    EXPECT_EQ(fc.lines().back(), R"({"command":"get_joint_degree"})");
    std::string raw = fc.raw_of(0);
    EXPECT_EQ(raw.substr(raw.size() - (sizeof kDegreeLine - 1)), kDegreeLine);
    EXPECT_EQ(pending_count(), 0);
}

// Replies cut into pieces, or several replies in one write, reach their callers whole.
struct FramingCase {
    const char* what;
    Reply reply;
    std::string expected;
};

void PrintTo(const FramingCase& c, std::ostream* os) { *os << c.what; }

class Framing : public ControllerTest, public ::testing::WithParamInterface<FramingCase> {};

TEST_P(Framing, ReplyArrivesWhole) {
    fc.on("get_joint_degree", GetParam().reply);
    Capture reply;
    EXPECT_EQ(request_blocking(h, kDegreeLine, kJointDegree, reply.decoder()), 0);
    EXPECT_EQ(reply.text, GetParam().expected);
}

const std::string kReply = R"({"state":"joint_degree","joint":[1,2,3,4,5,6]})";

INSTANTIATE_TEST_SUITE_P(
    Core, Framing,
    ::testing::Values(
        FramingCase{"split_in_three", Reply::split(kReply, {3, 20}), kReply},
        FramingCase{"split_before_line_feed", Reply::split(kReply, {kReply.size() + 1}), kReply},
        FramingCase{"bare_line_feed", Reply::raw(kReply + "\n"), kReply},
        FramingCase{"noise_line_first", Reply::lines({"garbage ~~~", kReply}), kReply},
        FramingCase{"other_kind_first", Reply::lines({R"({"state":"arm_software_version"})", kReply}), kReply},
        FramingCase{"overlong_line_cut", Reply::line(kReply + std::string(6000, ' ')),
                    (kReply + std::string(6000, ' ')).substr(0, core::kReplyCapacity)}),
    [](const auto& info) { return std::string(info.param.what); });

// Two replies in one write, each awaited by its own call, both delivered.
TEST_F(Transport, TwoRepliesInOneReadBothDelivered) {
    fc.on("get_arm_software_version", Reply::silence());
    fc.on("get_joint_degree", Reply::lines({R"({"state":"arm_software_version","v":1})",
                                            R"({"state":"joint_degree","joint":[7]})"}));
    Capture version, degree;
    auto first = std::async(std::launch::async, [&] {
        return request_blocking(h, "{\"command\":\"get_arm_software_version\"}\r\n",
                                kArmSoftwareVersion, version.decoder());
    });
    ASSERT_TRUE(fc.wait_command("get_arm_software_version"));
    EXPECT_EQ(request_blocking(h, kDegreeLine, kJointDegree, degree.decoder()), 0);
    EXPECT_EQ(first.get(), 0);
    EXPECT_EQ(version.text, R"({"state":"arm_software_version","v":1})");
    EXPECT_EQ(degree.text, R"({"state":"joint_degree","joint":[7]})");
}

TEST_F(Transport, NoReplyTimesOutWithSevenAndFreesTheSlot) {
    fc.on("get_joint_degree", Reply::silence());
    const auto start = now_ms();
    EXPECT_EQ(request_blocking(h, kDegreeLine, kJointDegree, Capture{}.decoder()), ARX_REPLY_TIMEOUT);
    const auto elapsed = now_ms() - start;
    EXPECT_GE(elapsed, core::kReplyTimeoutMs);
    EXPECT_LT(elapsed, core::kReplyTimeoutMs + 500);
    EXPECT_EQ(pending_count(), 0);
}

TEST_F(Transport, ExtensionAndOwnWaitLimitsAreHonoured) {
    fc.on("get_joint_degree", Reply::silence());
    auto slot = core::register_slot(h, kJointDegree, true);
    ASSERT_TRUE(slot);
    ASSERT_EQ(core::send_line(h, kDegreeLine), 0);
    const auto start = now_ms();
    EXPECT_EQ(core::wait_reply(*slot, 20, 150, Capture{}.decoder()), ARX_REPLY_TIMEOUT);
    const auto elapsed = now_ms() - start;
    EXPECT_GE(elapsed, 150);
    EXPECT_LT(elapsed, 400);
    EXPECT_EQ(pending_count(), 0);
}

TEST_F(Transport, LateReplyAfterTimeOutIsDiscarded) {
    fc.on("get_joint_degree", Reply::silence());
    auto slot = core::register_slot(h, kJointDegree, true);
    ASSERT_TRUE(slot);
    EXPECT_EQ(core::wait_reply(*slot, 10, 50, Capture{}.decoder()), ARX_REPLY_TIMEOUT);
    fc.push_line(kReply);
    core::pause_ms(50);  // let the receive thread see (and drop) the late reply
    // The next call of the same kind must get its own reply, not the stale one.
    fc.on("get_joint_degree", Reply::line(R"({"state":"joint_degree","fresh":1})").after(100));
    Capture reply;
    EXPECT_EQ(request_blocking(h, kDegreeLine, kJointDegree, reply.decoder()), 0);
    EXPECT_EQ(reply.text, R"({"state":"joint_degree","fresh":1})");
}

TEST_F(Transport, SendFailureGivesSixAndFreesTheSlot) {
    Arm_Socket_Close(h);
    EXPECT_EQ(request_blocking(h, kDegreeLine, kJointDegree, Capture{}.decoder()), ARX_SEND_FAILED);
    EXPECT_EQ(core::request_callback(h, kDegreeLine, 161), ARX_SEND_FAILED);
    EXPECT_EQ(core::send_only(h, kDegreeLine), ARX_SEND_FAILED);
    EXPECT_EQ(pending_count(), 0);
    h = 0;
}

TEST_F(Transport, FullTableRefusesWithTwentyAndSendsNothing) {
    for (int i = 0; i < core::kPendingSlots; ++i) ASSERT_TRUE(core::register_slot(h, 1, true));
    fc.clear();
    EXPECT_EQ(request_blocking(h, kDegreeLine, kJointDegree, Capture{}.decoder()), ARX_PENDING_TABLE_FULL);
    EXPECT_EQ(core::request_callback(h, kDegreeLine, 161), ARX_PENDING_TABLE_FULL);
    core::pause_ms(50);
    EXPECT_TRUE(fc.lines().empty());
}

TEST_F(Transport, EarliestRegisteredCallGetsTheFirstReply) {
    fc.once("get_joint_degree", Reply::silence());
    fc.once("get_joint_degree", Reply::lines({R"({"state":"joint_degree","n":1})",
                                              R"({"state":"joint_degree","n":2})"}));
    Capture first, second;
    auto earlier = std::async(std::launch::async, [&] {
        return request_blocking(h, kDegreeLine, kJointDegree, first.decoder());
    });
    ASSERT_TRUE(fc.wait_command("get_joint_degree"));
    EXPECT_EQ(request_blocking(h, kDegreeLine, kJointDegree, second.decoder()), 0);
    EXPECT_EQ(earlier.get(), 0);
    EXPECT_EQ(first.text, R"({"state":"joint_degree","n":1})");
    EXPECT_EQ(second.text, R"({"state":"joint_degree","n":2})");
}

TEST_F(Transport, ReplyOnAnotherConnectionDoesNotSatisfyTheWait) {
    FakeController other;
    SOCKHANDLE h2 = connect_to(other);
    ASSERT_GT(h2, 5u);
    other.on("get_joint_degree", R"({"state":"joint_degree","from":"other"})");
    fc.on("get_joint_degree", Reply::line(R"({"state":"joint_degree","from":"mine"})").after(150));
    Capture mine;
    auto waiting = std::async(std::launch::async, [&] {
        return request_blocking(h, kDegreeLine, kJointDegree, mine.decoder());
    });
    ASSERT_TRUE(fc.wait_command("get_joint_degree"));
    EXPECT_EQ(request_blocking(h2, kDegreeLine, kJointDegree, Capture{}.decoder()), 0);
    EXPECT_EQ(waiting.get(), 0);
    EXPECT_EQ(mine.text, R"({"state":"joint_degree","from":"mine"})");
    Arm_Socket_Close(h2);
}

// A connection with no receive-timeout limit that never speaks must not hold
// up the replies of another connection.
TEST_F(Transport, QuietConnectionWithoutTimeoutDelaysNobody) {
    FakeController quiet;
    SOCKHANDLE idle = connect_to(quiet, 0);
    ASSERT_GT(idle, 5u);
    fc.on("get_joint_degree", kReply);
    for (int i = 0; i < 5; ++i) {
        const auto start = now_ms();
        ASSERT_EQ(request_blocking(h, kDegreeLine, kJointDegree, Capture{}.decoder()), 0);
        EXPECT_LT(now_ms() - start, 300);
    }
    Arm_Socket_Close(idle);
}

// A peer that stops mid-line: what came is routed after the receive timeout
// (100 ms here) or at once when the peer closes, instead of stalling forever.
struct CutCase {
    const char* what;
    Reply reply;
    int max_ms;
};

void PrintTo(const CutCase& c, std::ostream* os) { *os << c.what; }

class CutLine : public ControllerTest, public ::testing::WithParamInterface<CutCase> {};

TEST_P(CutLine, PartialLineIsHandedToTheDecoder) {
    fc.on("get_joint_degree", GetParam().reply);
    Capture reply;
    const auto start = now_ms();
    EXPECT_EQ(request_blocking(h, kDegreeLine, kJointDegree, reply.decoder()), 0);
    EXPECT_LT(now_ms() - start, GetParam().max_ms);
    EXPECT_EQ(reply.text, R"({"state":"joint_degree","joi)");
}

INSTANTIATE_TEST_SUITE_P(
    Core, CutLine,
    ::testing::Values(CutCase{"peer_closes", Reply::close_mid_line(R"({"state":"joint_degree","joi)"), 300},
                      CutCase{"peer_stalls", Reply::raw(R"({"state":"joint_degree","joi)"), 600}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(Transport, QueuedLinesAreSentInOrderBySendThread) {
    fc.clear();
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(core::queue_line(h, "{\"command\":\"q\",\"n\":" + std::to_string(i) + "}\r\n"), 0);
    ASSERT_TRUE(fc.wait_lines(5));
    EXPECT_EQ(fc.raw_of(0),
              "{\"command\":\"q\",\"n\":0}\r\n{\"command\":\"q\",\"n\":1}\r\n{\"command\":\"q\",\"n\":2}\r\n"
              "{\"command\":\"q\",\"n\":3}\r\n{\"command\":\"q\",\"n\":4}\r\n");
}

TEST_F(Transport, QueueAfterUnInitDropsTheLineAndSucceeds) {
    ASSERT_NE(Arx_API_UnInit(), 0);
    fc.clear();
    EXPECT_EQ(core::queue_line(h, "{\"command\":\"q\"}\r\n"), 0);
    core::pause_ms(60);
    EXPECT_TRUE(fc.lines().empty());
    // A new initialisation brings the queue back.
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
    EXPECT_EQ(core::queue_line(h, "{\"command\":\"q\"}\r\n"), 0);
    EXPECT_TRUE(fc.wait_lines(1));
}

// Several threads on several connections at once: every reply reaches the
// call that asked for it.
TEST(TransportConcurrency, EveryReplyReachesItsOwnCaller) {
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
    constexpr int kConnections = 4;
    constexpr int kRounds = 15;
    std::vector<std::unique_ptr<FakeController>> fakes;
    std::vector<SOCKHANDLE> handles;
    for (int c = 0; c < kConnections; ++c) {
        fakes.push_back(std::make_unique<FakeController>());
        const std::string id = std::to_string(c);
        fakes[c]->on("get_joint_degree", R"({"state":"joint_degree","c":)" + id + "}");
        fakes[c]->on("get_arm_software_version", R"({"state":"arm_software_version","c":)" + id + "}");
        handles.push_back(connect_to(*fakes[c]));
        ASSERT_GT(handles[c], 5u);
    }
    std::atomic<int> wrong{0}, failed{0};
    std::vector<std::thread> callers;
    for (int c = 0; c < kConnections; ++c) {
        for (int kind : {kJointDegree, kArmSoftwareVersion}) {
            callers.emplace_back([&, c, kind] {
                const std::string line = kind == kJointDegree
                                             ? kDegreeLine
                                             : "{\"command\":\"get_arm_software_version\"}\r\n";
                const std::string word = kind == kJointDegree ? "joint_degree" : "arm_software_version";
                const std::string expected = R"({"state":")" + word + R"(","c":)" + std::to_string(c) + "}";
                for (int r = 0; r < kRounds; ++r) {
                    Capture reply;
                    if (request_blocking(handles[c], line, kind, reply.decoder()) != 0) ++failed;
                    else if (reply.text != expected) ++wrong;
                }
            });
        }
    }
    for (auto& t : callers) t.join();
    EXPECT_EQ(failed.load(), 0);
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(pending_count(), 0);
    for (SOCKHANDLE handle : handles) Arm_Socket_Close(handle);
}

}  // namespace
}  // namespace arx::test
