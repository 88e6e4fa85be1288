#include "core/classifier.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace arx::core {
namespace {

struct ClassifyCase {
    const char* text;
    int kind;
};

// Replies as the controller sends them, including the pairs where one wire
// word contains another.
constexpr ClassifyCase kReplies[] = {
    {R"({"state":"set_joint_max_speed","joint_max_speed":true})", 2},
    {R"({"state":"joint_max_speed","joint_speed":[1,2]})", 1},
    {R"({"state":"set_lift_speed","set_state":true})", 149},
    {R"({"state":"set_lift_height","set_state":true})", 150},
    {R"({"state":"set_lift","set_state":true})", 148},
    {R"({"state":"set_DH_data","set_state":true})", 30},
    {R"({"state":"DH_data","data":[1,2,3,4,5]})", 31},
    {R"({"command":"Start_Force_Position_Move","set_state":true})", 160},
    {R"({"command":"Stop_Force_Position_Move","set_state":true})", 162},
    {R"({"command":"Force_Position_Move","set_state":true})", 166},
    {R"({"state":"Force_Position_State","joint":[1]})", 161},
    {R"({"state":"stop_set_force_sensor"})", 126},
    {R"({"state":"set_force_sensor"})", 125},
    {R"({"state":"set_tool_DO_state"})", 106},
    {R"({"state":"DO_state"})", 100},
    {R"({"state":"set_install_pose"})", 63},
    {R"({"state":"install_pose","pose":[0,0,0]})", 167},
    {R"({"state":"current_trajectory_state","trajectory_state":true})", 64},
    {R"({"state":"joint_state","arm_err":0})", 168},
    {R"({"state":"pose_state","arm_err":0})", 66},
    {R"({"state":"clear_waypoint"})", 169},
    {R"({"state":"joint_degree","joint":[0]})", 159},
    // A reply carrying two words is decided by table order, not text order.
    {R"({"state":"joint_degree","x":"set_joint_max_speed"})", 2},
    // Case matters.
    {R"({"state":"JOINT_DEGREE"})", 0},
    {R"({"state":"nothing we know"})", 0},
    {"", 0},
};

TEST(Classifier, RepliesGetTheirKind) {
    for (const ClassifyCase& c : kReplies) EXPECT_EQ(classify(c.text), c.kind) << c.text;
}

// Every wire word is reachable: on its own it is not shadowed by an earlier,
// shorter word of the table.
TEST(Classifier, EveryWordOnItsOwnGivesItsKind) {
    for (const ReplyPattern& p : kReplyPatterns) EXPECT_EQ(classify(p.text), p.kind) << p.text;
}

TEST(Classifier, KindsAreDistinctAndInRange) {
    std::set<int> kinds;
    for (const ReplyPattern& p : kReplyPatterns) {
        EXPECT_TRUE(kinds.insert(p.kind).second) << "kind " << p.kind << " twice";
        EXPECT_GE(p.kind, 1);
        EXPECT_LE(p.kind, 169);
    }
    EXPECT_EQ(kinds.size(), 164u);
}

static_assert(classify("set_joint_max_speed") == 2, "usable at compile time");

}  // namespace
}  // namespace arx::core
