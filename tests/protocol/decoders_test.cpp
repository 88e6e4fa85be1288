// Reply decoder families on the replies a controller (or a broken one) sends.
#include "protocol/decoders.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

using namespace arx::protocol;

TEST(Decoders, BooleanFamilies) {
    struct Case { const char* reply; int boolean; int boolean8; };
    const Case cases[] = {
        {R"({"set_state":true})", 0, 0},
        {R"({"set_state":false})", 1, 1},
        {R"({"SET_STATE":true})", 0, 0},
        {R"({"Set_State":false})", 1, 1},
        {R"({"set_state":1})", 11, 8},
        {R"({"set_state":"true"})", 11, 8},
        {R"({"set_state":null})", 11, 8},
        {R"({"set_state":{}})", 11, 8},
        {R"({"state":"set_state","other":true})", 9, 9},
        {R"({"arm":{"set_state":true}})", 9, 9},
        {"not json", 9, 9},
        {"", 9, 9},
        {R"({"set_state":tru)", 9, 9},
        {R"([{"set_state":true}])", 9, 9},
        {R"( {"set_state":true}{"set_state":false})", 0, 0},  // first value only
        {"{\"set_state\":false}\r\n{\"set_state\":true}\r\n", 1, 1},
        {R"({"set_state":true} trailing words)", 0, 0},
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
        {R"({"value":7})", 0, 7, 0.007f, 7},
        {R"({"VALUE":1234.9})", 0, 1234, 1.234f, 1234},
        {R"({"value":-1500.7})", 0, -1500, -1.5f, static_cast<unsigned short>(-1500)},
        {R"({"value":24000})", 0, 24000, 24.0f, 24000},
        {R"({"value":70000})", 0, 70000, 70.0f, 4464},
        {R"({"value":3e10})", 0, INT_MAX, static_cast<float>(INT_MAX) / 1000.0f, 0xFFFF},
        {R"({"value":"24"})", 11, kUntouched, -1.0f, 1},
        {R"({"value":true})", 11, kUntouched, -1.0f, 1},
        {R"({"value":[1]})", 11, kUntouched, -1.0f, 1},
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

TEST(Decoders, CountedArrays) {
    constexpr float kUntouched = -7.0f;
    struct Case { const char* what; const char* reply; int rc; std::vector<float> out; };
    const Case cases[] = {
        {"six joints", R"({"joint_speed":[1000,2000,3000,4000,5000,6000]})", 0, {1, 2, 3, 4, 5, 6}},
        {"fraction cut first", R"({"joint_speed":[1500.7,-1,0,0,0,999]})", 0, {1.5f, -0.001f, 0, 0, 0, 0.999f}},
        {"too short: nothing written", R"({"joint_speed":[1000,2000,3000,4000,5000]})", 12, {}},
        {"too long: nothing written", R"({"joint_speed":[1,2,3,4,5,6,7]})", 12, {}},
        {"not an array", R"({"joint_speed":1000})", 10, {}},
        {"missing", R"({"joint_acc":[1,2,3,4,5,6]})", 9, {}},
        {"element not a number", R"({"joint_speed":[1000,"x",3,4,5,6]})", 11, {1}},
        {"capitalised key", R"({"Joint_Speed":[1000,2000,3000,4000,5000,6000]})", 0, {1, 2, 3, 4, 5, 6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        float out[8];
        std::fill(std::begin(out), std::end(out), kUntouched);
        EXPECT_EQ(CountedArray("joint_speed", out, 6, Thousandths, 10, 12)(c.reply), c.rc);
        for (std::size_t i = 0; i < 8; ++i) {
            EXPECT_FLOAT_EQ(out[i], i < c.out.size() ? c.out[i] : kUntouched) << "element " << i;
        }
    }
}

TEST(Decoders, ArrayUpToNeverWritesPastCapacity) {
    struct Case { const char* reply; int rc; int written; };
    const Case cases[] = {
        {R"({"joint":[1000,2000,3000,4000,5000,6000,7000,8000]})", 0, 6},
        {R"({"joint":[1000,2000,3000]})", 0, 3},
        {R"({"joint":[]})", 0, 0},
        {R"({"joint":{"a":1}})", 11, 0},
        {R"({"joint":"1000"})", 11, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        float out[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
        EXPECT_EQ(ArrayUpTo("joint", out, 6, Thousandths, 11)(c.reply), c.rc);
        for (int i = 0; i < 8; ++i) EXPECT_FLOAT_EQ(out[i], i < c.written ? (i + 1) : -1.0f) << i;
    }
}

TEST(Decoders, ElementConverters) {
    const char* reply = R"({"a":[300,65537,-1,2.75,1234.9]})";
    unsigned char low8[5] = {};
    unsigned short low16[5] = {};
    float byte_as_float[5] = {};
    float exact[5] = {};
    float tenths[5] = {};
    float millionths[5] = {};
    ASSERT_EQ(CountedArray("a", low8, 5, IntegerPart, 11, 11)(reply), 0);
    ASSERT_EQ(CountedArray("a", low16, 5, IntegerPart, 11, 11)(reply), 0);
    ASSERT_EQ(CountedArray("a", byte_as_float, 5, LowByteAsFloat, 11, 11)(reply), 0);
    ASSERT_EQ(CountedArray("a", exact, 5, NumberAsFloat, 11, 11)(reply), 0);
    ASSERT_EQ(CountedArray("a", tenths, 5, Tenths, 11, 11)(reply), 0);
    ASSERT_EQ(CountedArray("a", millionths, 5, Millionths, 11, 11)(reply), 0);
    EXPECT_EQ(low8[0], 44);
    EXPECT_EQ(low8[2], 255);
    EXPECT_EQ(low16[1], 1);
    EXPECT_EQ(low16[2], 65535);
    EXPECT_FLOAT_EQ(byte_as_float[0], 44.0f);
    EXPECT_FLOAT_EQ(exact[3], 2.75f);
    EXPECT_FLOAT_EQ(tenths[0], 30.0f);
    EXPECT_FLOAT_EQ(tenths[4], 123.4f);
    EXPECT_FLOAT_EQ(millionths[0], 0.0003f);
}

TEST(Decoders, PoseArray) {
    struct Case { const char* reply; int rc; bool written; };
    const Case cases[] = {
        {R"({"pose":[250000,-1000000,3,1571,-3142,0]})", 0, true},
        {R"({"pose":[250000,-1000000,3,1571,-3142,0,7]})", 12, false},
        {R"({"pose":[250000]})", 12, false},
        {R"({"pose":"x"})", 11, false},
        {R"({"position":[1,2,3,4,5,6]})", 9, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        POSE pose{9, 9, 9, 9, 9, 9};
        EXPECT_EQ(PoseArray("pose", &pose)(c.reply), c.rc);
        if (c.written) {
            EXPECT_FLOAT_EQ(pose.x, 0.25f);
            EXPECT_FLOAT_EQ(pose.y, -1.0f);
            EXPECT_FLOAT_EQ(pose.z, 0.000003f);
            EXPECT_FLOAT_EQ(pose.rx, 1.571f);
            EXPECT_FLOAT_EQ(pose.ry, -3.142f);
            EXPECT_FLOAT_EQ(pose.rz, 0.0f);
        } else {
            EXPECT_FLOAT_EQ(pose.x, 9.0f);
        }
    }
}

// A composite in the shape of the arm-state query: outputs written before a
// failure stay written, later ones are untouched.
TEST(Decoders, CompositeStopsAtFirstFailureKeepingEarlierOutputs) {
    struct Case { const char* what; const char* reply; int rc; bool pose; bool joints; bool errors; };
    const Case cases[] = {
        {"complete", R"({"arm_state":{"pose":[1,2,3,4,5,6],"joint":[1000,0,0,0,0,0],"arm_err":3,"sys_err":4}})", 0, true, true, true},
        {"upper-case members", R"({"ARM_STATE":{"POSE":[1,2,3,4,5,6],"Joint":[1000,0,0,0,0,0],"arm_ERR":3,"sys_err":4}})", 0, true, true, true},
        {"no arm_state", R"({"state":"current_arm_state"})", 9, false, false, false},
        {"arm_state not object", R"({"arm_state":[1]})", 11, false, false, false},
        {"pose of seven", R"({"arm_state":{"pose":[1,2,3,4,5,6,7],"joint":[1000,0,0,0,0,0],"arm_err":3,"sys_err":4}})", 12, false, false, false},
        {"joint too short", R"({"arm_state":{"pose":[1,2,3,4,5,6],"joint":[1000,0,0,0,0],"arm_err":3,"sys_err":4}})", 11, true, false, false},
        {"arm_err a string", R"({"arm_state":{"pose":[1,2,3,4,5,6],"joint":[1000,0,0,0,0,0],"arm_err":"3","sys_err":4}})", 11, true, true, false},
        {"sys_err missing", R"({"arm_state":{"pose":[1,2,3,4,5,6],"joint":[1000,0,0,0,0,0],"arm_err":3}})", 9, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        POSE pose{};
        float joint[7] = {};
        unsigned short arm_err = 0;
        unsigned short sys_err = 0;
        const Field decode = Within("arm_state", PoseArray("pose", &pose),
                                    CountedArray("joint", joint, 6, Thousandths, 11, 11),
                                    Integer("arm_err", &arm_err), Integer("sys_err", &sys_err));
        EXPECT_EQ(decode(c.reply), c.rc);
        EXPECT_FLOAT_EQ(pose.rz, c.pose ? 0.006f : 0.0f);
        EXPECT_FLOAT_EQ(joint[0], c.joints ? 1.0f : 0.0f);
        EXPECT_EQ(arm_err, c.errors ? 3 : 0);
    }
}

TEST(Decoders, TextCopiesAtMostTheWidthAndNeverTheNextByte) {
    struct Case { const char* reply; int rc; const char expected[10]; };
    const Case cases[] = {
        {R"({"name":"abcdefghijk"})", 0, {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', '#'}},
        {R"({"name":"abcdefghi"})", 0, {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', '#'}},
        {R"({"name":"ab"})", 0, {'a', 'b', 0, 0, 0, 0, 0, 0, 0, '#'}},
        {R"({"name":5})", 11, {'#', '#', '#', '#', '#', '#', '#', '#', '#', '#'}},
        {R"({"nom":"ab"})", 9, {'#', '#', '#', '#', '#', '#', '#', '#', '#', '#'}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        char name[10];
        std::memset(name, '#', sizeof name);
        const Reply reply(c.reply);
        ASSERT_TRUE(reply);
        EXPECT_EQ(read_text(reply.root(), "name", name, 9), c.rc);
        EXPECT_EQ(std::memcmp(name, c.expected, sizeof name), 0);
    }
}
