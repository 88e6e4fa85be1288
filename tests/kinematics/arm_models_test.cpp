// The arm model records and the name exports C programs parse --model with.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "kinematics/arm_models.h"

namespace arx::kin {
namespace {

TEST(ArmModels, EachRecordByNameAndCode) {
    const struct { const char* name; int model, joints; } kExpected[] = {{"A", ARM_MODEL_A, 6}, {"B", ARM_MODEL_B, 7}, {"C1", ARM_MODEL_C1, 6}, {"C2", ARM_MODEL_C2, 6}};
    ASSERT_EQ(std::size(kArmModels), std::size(kExpected));
    for (const auto& e : kExpected) {
        SCOPED_TRACE(e.name);
        const ArmModelSpec* arm = arm_model_spec(e.model);
        ASSERT_NE(arm, nullptr);
        EXPECT_STREQ(arm->name, e.name);
        EXPECT_EQ(arm->joints, e.joints);
        EXPECT_EQ(arm_model_by_name(e.name), arm);
        EXPECT_EQ(Arx_Arm_Model_From_Name(e.name), e.model);
        EXPECT_STREQ(Arx_Arm_Model_Name(e.model), e.name);
    }
}

TEST(ArmModels, UnknownNamesAndCodes) {
    // Names are taken exactly as the simulator's --model has always taken them.
    for (const char* name : {"", "a", "c1", "C", "C3", "D", "A ", " A", "C12", "B\n", "ARM_MODEL_A", "0"}) {
        EXPECT_EQ(Arx_Arm_Model_From_Name(name), -1) << '"' << name << '"';
        EXPECT_EQ(arm_model_by_name(name), nullptr) << '"' << name << '"';
    }
    EXPECT_EQ(Arx_Arm_Model_From_Name(nullptr), -1);
    // A name with a terminator inside is the part before it, as C sees it.
    EXPECT_EQ(arm_model_by_name(std::string_view("C1\0x", 4)), nullptr);
    EXPECT_EQ(Arx_Arm_Model_From_Name("C1\0x"), ARM_MODEL_C1);
    for (int code : {-1, 5, 99, INT_MIN, INT_MAX}) {
        EXPECT_EQ(Arx_Arm_Model_Name(code), nullptr) << code;
        EXPECT_EQ(arm_model_spec(code), nullptr) << code;
    }
}

// A connection records only its joint count; a count no arm has reads as six joints.
TEST(ArmModels, ConnectionJointCounts) {
    const struct { int joints, reads_as, dynamic_parameters; } kCounts[] = {
        {6, 6, 12}, {7, 7, 14}, {0, 6, 12}, {5, 6, 12}, {8, 6, 12}, {-7, 6, 12}};
    for (const auto& c : kCounts) {
        const ArmModelSpec& arm = arm_model_of_connection(c.joints);
        EXPECT_EQ(arm.joints, c.reads_as) << c.joints;
        EXPECT_EQ(arm.dynamic_parameters, c.dynamic_parameters) << c.joints;
    }
}

}  // namespace
}  // namespace arx::kin
