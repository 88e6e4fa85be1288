#include "core/classifier.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace arx::core {
namespace {

// A longer wire word wins over a word it contains, by table order, not text
// order; each export's own reply is classified in the sweep's rows.
TEST(Classifier, ContainedWordsDoNotShadowLongerOnes) {
    const std::pair<const char*, int> cases[] = {
        {R"({"state":"joint_degree","x":"set_joint_max_speed"})", 2},
        {R"({"state":"JOINT_DEGREE"})", 0},  // case matters
        {"", 0},
    };
    for (const auto& [line, kind] : cases) EXPECT_EQ(number_of(classify(line)), kind) << line;
}

// The table's own checks (static_asserts on the library's table): a pattern
// hidden by an earlier one it contains, and two rows sharing a kind number,
// are found and named by position.
TEST(Classifier, TableChecksFindTheOffendingPair) {
    struct Case {
        const char* what;
        std::vector<ReplyPattern> table;
        std::size_t hidden_earlier, hidden_later, shared_earlier, shared_later;
    };
    // clang-format off
    const Case cases[] = {
        {"sound", {{"set_lift_speed", Kind::SetLiftSpeed}, {"set_lift", Kind::SetLift}}, 2, 2, 2, 2},
        {"shorter first", {{"set_lift", Kind::SetLift}, {"set_lift_speed", Kind::SetLiftSpeed}}, 0, 1, 2, 2},
        {"equal texts", {{"timer", Kind::Timer}, {"add_waypoint", Kind::AddWaypoint}, {"timer", Kind::StopWaypoint}}, 0, 2, 3, 3},
        {"contained in the middle", {{"DO_state", Kind::DOState}, {"AI_state", Kind::AIState}, {"set_tool_DO_state", Kind::SetToolDOState}}, 0, 2, 3, 3},
        {"case differs", {{"force_position", Kind::SetForcePosition}, {"Force_Position_Move", Kind::ForcePositionMove}}, 2, 2, 2, 2},
        {"shared number", {{"set_gripper", Kind::SetGripper}, {"gripper_route", Kind::SetGripper}}, 2, 2, 0, 1},
    };
    // clang-format on
    for (const Case& c : cases) {
        const PatternPair hidden = first_hidden_pattern(c.table.data(), c.table.size());
        const PatternPair shared = first_shared_number(c.table.data(), c.table.size());
        EXPECT_EQ(std::vector<std::size_t>({hidden.earlier, hidden.later, shared.earlier, shared.later}),
                  std::vector<std::size_t>({c.hidden_earlier, c.hidden_later, c.shared_earlier, c.shared_later}))
            << c.what;
    }
}

// The indexed classifier gives what one search per row gives: on every
// pattern alone, on lines holding several (the earlier row must win wherever
// it stands) and on random lines of pattern pieces, JSON and stray bytes.
TEST(Classifier, IndexAgreesWithTheRowByRowSearch) {
    std::vector<std::string> pieces = {"{\"state\":\"", "\",", "\":", "[1,2,3]", "}", " ", "_", "\xff", "\n"};
    for (const ReplyPattern& p : kReplyPatterns) {
        const std::string text(p.text);
        pieces.push_back(text);
        pieces.push_back(text.substr(0, text.size() - 1));  // one byte short: no match
        pieces.push_back(text.substr(1));
        ASSERT_EQ(classify(text), p.kind) << text;
    }
    std::mt19937 random(11);
    for (int n = 0; n < 100000; ++n) {
        std::string line;
        for (std::size_t k = random() % 8; k > 0; --k) line += pieces[random() % pieces.size()];
        ASSERT_EQ(classify(line), classify_row_by_row(line)) << line;
    }
}

}  // namespace
}  // namespace arx::core
