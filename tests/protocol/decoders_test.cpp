// Reply decoder families on the replies a controller (or a broken one) sends.
#include "protocol/decoders.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

using namespace arx::protocol;

TEST(Decoders, BooleanFamilies) {
    struct Case { const char* reply; int boolean; int boolean8; };
    const Case cases[] = {
        {R"({"set_state":true})", 0, 0},
        {R"({"set_state":false})", 1, 1},
        {R"({"Set_State":false})", 1, 1},
        {R"({"set_state":1})", 11, 8},
        {R"({"set_state":"true"})", 11, 8},
        {R"({"state":"set_state","other":true})", 9, 9},
        {"not json", 9, 9},
        {R"( {"set_state":true}{"set_state":false})", 0, 0},  // the first value only
        {"{\"set_state\":false}\r\n{\"set_state\":true}\r\n", 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        EXPECT_EQ(Boolean("set_state")(c.reply), c.boolean);
        EXPECT_EQ(Boolean8("set_state")(c.reply), c.boolean8);
    }
    EXPECT_EQ(Boolean("set_state")(nullptr), 9);
}

TEST(Decoders, NumberFamilies) {
    constexpr int kUntouched = -12345;
    struct Case { const char* reply; int rc; int integer; float scaled; unsigned short low16; };
    const Case cases[] = {
        {R"({"VALUE":1234.9})", 0, 1234, 1.234f, 1234},
        {R"({"value":-1500.7})", 0, -1500, -1.5f, static_cast<unsigned short>(-1500)},
        {R"({"value":70000})", 0, 70000, 70.0f, 4464},
        {R"({"value":3e10})", 0, INT_MAX, static_cast<float>(INT_MAX) / 1000.0f, 0xFFFF},
        {R"({"value":"24"})", 11, kUntouched, -1.0f, 1},
        {R"({"other":1})", 9, kUntouched, -1.0f, 1},
        {"garbage", 9, kUntouched, -1.0f, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        int integer = kUntouched;
        float scaled = -1.0f;
        unsigned short low16 = 1;
        EXPECT_EQ(Integer("value", &integer)(c.reply), c.rc);
        EXPECT_EQ(Scaled("value", &scaled)(c.reply), c.rc);
        EXPECT_EQ(Integer("value", &low16)(c.reply), c.rc);
        EXPECT_EQ(integer, c.integer);
        EXPECT_FLOAT_EQ(scaled, c.scaled);
        EXPECT_EQ(low16, c.low16);
    }
}

// Arrays write all or nothing (an element that is not a number, or leaves
// the float range, writes none); arrays "up to" a count never write past it.
TEST(Decoders, ScaledArrays) {
    constexpr float kUntouched = -7.0f;
    struct Case { const char* reply; int counted_rc; int up_to_rc; std::vector<float> counted; int up_to_written; };
    const Case cases[] = {
        {R"({"joint":[1000,2000,3000,4000,5000,6000]})", 0, 0, {1, 2, 3, 4, 5, 6}, 6},
        {R"({"Joint":[1234.9,-1,0,0,0,999]})", 0, 0, {1.234f, -0.001f, 0, 0, 0, 0.999f}, 6},
        {R"({"joint":[1000,2000,3000,4000,5000]})", 12, 0, {}, 5},
        {R"({"joint":[1000,2000,3000,4000,5000,6000,7000,8000]})", 12, 0, {}, 6},
        {R"({"joint":[1000,"x",3,4,5,6]})", 11, 11, {}, 0},
        {R"({"joint":[1000,2000,3000,4000,5000,1e300]})", 11, 11, {}, 0},
        {R"({"joint":1000})", 10, 11, {}, 0},
        {R"({"joint_acc":[1,2,3,4,5,6]})", 9, 9, {}, 0},
        {"not json", 9, 9, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        float counted[8], up_to[8];
        std::fill(std::begin(counted), std::end(counted), kUntouched);
        std::fill(std::begin(up_to), std::end(up_to), kUntouched);
        EXPECT_EQ(CountedArray("joint", counted, 6, Thousandths, ArrayCodes{ARX_ARRAY_ERROR, ARX_POSE_ARRAY_ERROR})(c.reply), c.counted_rc);
        EXPECT_EQ(ArrayUpTo("joint", up_to, 6, Thousandths, 11)(c.reply), c.up_to_rc);
        for (std::size_t i = 0; i < 8; ++i) {
            EXPECT_FLOAT_EQ(counted[i], i < c.counted.size() ? c.counted[i] : kUntouched) << i;
            EXPECT_EQ(up_to[i] == kUntouched, static_cast<int>(i) >= c.up_to_written) << i;
        }
    }
}
