#include "core/classifier.h"

#include <gtest/gtest.h>

namespace arx::core {
namespace {

// A longer wire word wins over a word it contains, by table order, not text order.
TEST(Classifier, ContainedWordsDoNotShadowLongerOnes) {
    const std::pair<const char*, int> cases[] = {
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
        {R"({"state":"joint_degree","x":"set_joint_max_speed"})", 2},
        {R"({"state":"JOINT_DEGREE"})", 0},  // case matters
        {"", 0},
    };
    for (const auto& [line, kind] : cases) EXPECT_EQ(number_of(classify(line)), kind) << line;
}

}  // namespace
}  // namespace arx::core
