// The fixed-capacity tables: send queue, pending-reply table, line framing.
#include "core/line_assembler.h"
#include "core/message_queue.h"
#include "core/pending_table.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace arx::core {
namespace {

TEST(MessageQueue, HoldsOneLessThanItsCapacity) {
    auto q = std::make_unique<MessageQueue>();
    ASSERT_TRUE(q->create(kSendQueueCapacity));
    for (int i = 0; i < kSendQueueCapacity - 1; ++i) {
        std::string line = std::to_string(i);
        ASSERT_TRUE(q->push(7, line.data(), line.size())) << i;
    }
    EXPECT_TRUE(q->full());
    EXPECT_FALSE(q->push(7, "x", 1));
    QueuedMessage m;
    for (int i = 0; i < kSendQueueCapacity - 1; ++i) {
        ASSERT_TRUE(q->pop(m));
        EXPECT_EQ(std::string(m.text, m.length), std::to_string(i));
        EXPECT_EQ(m.socket, 7u);
    }
    EXPECT_TRUE(q->empty());
    EXPECT_FALSE(q->pop(m));
}

TEST(MessageQueue, WrapsAroundAndKeepsOrder) {
    auto q = std::make_unique<MessageQueue>();
    ASSERT_TRUE(q->create(3));
    QueuedMessage m;
    for (int round = 0; round < 5; ++round) {
        ASSERT_TRUE(q->push(1, "ab", 2));
        ASSERT_TRUE(q->push(2, "cde", 3));
        EXPECT_FALSE(q->push(3, "f", 1));
        ASSERT_TRUE(q->pop(m));
        EXPECT_EQ(std::string(m.text, m.length), "ab");
        ASSERT_TRUE(q->pop(m));
        EXPECT_EQ(std::string(m.text, m.length), "cde");
        EXPECT_EQ(m.socket, 2u);
    }
}

TEST(MessageQueue, ReleasedOrRecreatedQueueHoldsNothing) {
    auto q = std::make_unique<MessageQueue>();
    ASSERT_TRUE(q->create(10));
    ASSERT_TRUE(q->push(1, "a", 1));
    q->release();
    QueuedMessage m;
    EXPECT_FALSE(q->push(1, "b", 1));
    EXPECT_FALSE(q->pop(m));
    ASSERT_TRUE(q->create(10));
    EXPECT_TRUE(q->empty());
    ASSERT_TRUE(q->push(1, "c", 1));
    ASSERT_TRUE(q->create(10));  // re-creation drops queued lines
    EXPECT_FALSE(q->pop(m));
}

TEST(MessageQueue, RefusesLinesLongerThanARecordAndOversizedCapacity) {
    auto q = std::make_unique<MessageQueue>();
    EXPECT_FALSE(q->create(kSendQueueCapacity + 1));
    ASSERT_TRUE(q->create(4));
    std::string line(kQueuedLineBytes + 1, 'x');
    EXPECT_FALSE(q->push(1, line.data(), line.size()));
    EXPECT_TRUE(q->push(1, line.data(), kQueuedLineBytes));
}

class PendingTable : public ::testing::Test {
protected:
    std::unique_ptr<PendingReplyTable> t = std::make_unique<PendingReplyTable>();
    std::vector<int> order() const {
        std::vector<int> ids;
        for (int i = 0; i < t->count(); ++i) ids.push_back(t->id_at(i));
        return ids;
    }
};

TEST_F(PendingTable, FullAtTwoThousand) {
    for (int i = 0; i < kPendingSlots; ++i) ASSERT_GE(t->add(5, 1, true), 0);
    EXPECT_EQ(t->add(5, 1, true), -1);
    t->remove(t->id_at(1000));
    EXPECT_GE(t->add(5, 1, true), 0);
    EXPECT_EQ(t->count(), kPendingSlots);
}

TEST_F(PendingTable, RemovalKeepsRegistrationOrder) {
    int a = t->add(5, 1, true), b = t->add(5, 1, true), c = t->add(5, 1, true);
    t->remove(c);  // last of three: only the count shrinks
    EXPECT_EQ(order(), (std::vector<int>{a, b}));
    int d = t->add(5, 1, true);
    t->remove(a);  // first: the rest move up in order
    EXPECT_EQ(order(), (std::vector<int>{b, d}));
    t->remove(a);  // already gone: nothing happens
    t->remove(-1);
    t->remove(kPendingSlots);
    EXPECT_EQ(order(), (std::vector<int>{b, d}));
}

TEST_F(PendingTable, RoutesToEarliestMatchingSlotOfThatConnection) {
    int other_conn = t->add(9, 134, true);
    int other_kind = t->add(5, 133, true);
    int first = t->add(5, 134, true);
    int second = t->add(5, 134, true);
    (void)other_conn;
    (void)other_kind;
    EXPECT_EQ(t->route_target(5, 134, false), first);
    t->store(first, "one", 3);
    // An arrived reply is never overwritten: the next goes to the next caller.
    EXPECT_EQ(t->route_target(5, 134, false), second);
    t->store(second, "two", 3);
    EXPECT_EQ(t->route_target(5, 134, false), -1);
    EXPECT_STREQ(t->slot(first).text, "one");
    EXPECT_EQ(t->route_target(7, 134, false), -1);
}

TEST_F(PendingTable, CallbackSlotsOnlyWhenAsked) {
    int report = t->add(5, 161, false);
    EXPECT_EQ(t->route_target(5, 161, false), -1);
    EXPECT_EQ(t->route_target(5, 161, true), report);
}

TEST_F(PendingTable, StoredTextIsCutToCapacityAndTerminated) {
    int id = t->add(5, 1, true);
    std::string longer(kReplyCapacity + 100, 'a');
    t->store(id, longer.data(), longer.size());
    EXPECT_EQ(t->slot(id).length, kReplyCapacity);
    EXPECT_EQ(std::string(t->slot(id).text).size(), kReplyCapacity);
    EXPECT_TRUE(t->slot(id).arrived);
}

// Framing: feed chunks, collect lines.
struct FrameCase {
    const char* what;
    std::vector<std::string> chunks;
    std::vector<std::string> lines;
    std::string partial;  // left waiting for the next read
};

void PrintTo(const FrameCase& c, std::ostream* os) { *os << c.what; }

class LineFraming : public ::testing::TestWithParam<FrameCase> {};

TEST_P(LineFraming, SplitsAtEveryLineFeed) {
    auto lines = std::make_unique<LineAssembler>();
    std::vector<std::string> got;
    auto collect = [&](std::string_view l) { got.emplace_back(l); };
    for (const std::string& chunk : GetParam().chunks) lines->feed(chunk.data(), chunk.size(), collect);
    EXPECT_EQ(got, GetParam().lines);
    got.clear();
    lines->flush(collect);
    EXPECT_EQ(got.empty() ? "" : got[0], GetParam().partial);
}

const std::string kLong(kReplyCapacity + 10, 'z');

INSTANTIATE_TEST_SUITE_P(
    Core, LineFraming,
    ::testing::Values(
        FrameCase{"one_line", {"{\"a\":1}\r\n"}, {"{\"a\":1}"}, ""},
        FrameCase{"two_in_one_read", {"{\"a\":1}\r\n{\"b\":2}\r\n"}, {"{\"a\":1}", "{\"b\":2}"}, ""},
        FrameCase{"split_reply", {"{\"a\"", ":1}\r", "\n"}, {"{\"a\":1}"}, ""},
        FrameCase{"line_and_a_half", {"{\"a\":1}\n{\"b\""}, {"{\"a\":1}"}, "{\"b\""},
        FrameCase{"empty_lines", {"\r\n\n"}, {"", ""}, ""},
        FrameCase{"overlong_cut", {kLong + "\r\n", "ok\n"}, {kLong.substr(0, kReplyCapacity), "ok"}, ""}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace arx::core
