// Request values and array decoders at the edges the sweep rows do not reach.
#include "protocol/decoders.h"
#include "protocol/number_text.h"
#include "protocol/request.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace arx::protocol;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

TEST(RequestValues, WriteTheControllersNumberTextAndScaleInSinglePrecision) {
    struct Case { const char* what; Value value; const char* text; };
    const Case cases[] = {
        {"integral beyond 32 bits, fixed", Number(1e10), "10000000000"},
        {"tiny", Number(5e-7), "5.000000e-07"},
        {"above 1e9 with fraction", Number(1000000000.5), "1.000000e+09"},
        {"infinite", Micro(-kInf), "refused 11"},
        {"exactly 2^31", Truncated(2147483648.0f, 1.0f), "refused 11"},
        {"control characters", Text("\n\t\x01\x1f"), R"("\n\t\u0001\u001f")"},
        {"bytes from 128 pass through", Text("caf\xc3\xa9"), "\"caf\xc3\xa9\""},
        {"null text", Text(nullptr), "refused 19"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Request r("c");
        r.add("v", c.value);
        const std::string line(r.line()), prefix = R"({"command":"c","v":)";
        // The value's text inside the request ("}\r\n" dropped), or its refusal code.
        EXPECT_EQ(line.empty() ? "refused " + std::to_string(r.fault()) : line.substr(prefix.size(), line.size() - prefix.size() - 3), c.text);
    }
}

// The hand-written digits of the 32-bit form, at its ends and where the
// form changes: one digit, whole pairs, the sign, one past 32 bits, and
// values within the equality margin of a whole number.
TEST(RequestValues, IntegerTextAtTheEdgesOfItsForms) {
    struct Case { double value; const char* text; };
    const Case cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {1e-17, "0"},  // within the margin of 0: the whole number
        {7, "7"},
        {-7, "-7"},
        {10, "10"},
        {-99, "-99"},
        {100, "100"},
        {-1000, "-1000"},
        {123456789, "123456789"},
        {1000000000, "1000000000"},
        {1 + std::ldexp(1.0, -52), "1"},         // one step above 1, within the margin
        {1 + std::ldexp(1.0, -51), "1.000000"},  // two steps, beyond it
        {-1 - std::ldexp(1.0, -52), "-1"},
        {2147483647.0, "2147483647"},
        {-2147483648.0, "-2147483648"},
        {2147483648.0, "2147483648"},  // past 32 bits: the fixed form, same digits
        {-2147483649.0, "-2147483649"},
        {2147483646.5, "2.147484e+09"},  // not whole, above 1e9: exponent form
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(NumberText(c.value).view(), c.text);
        Request r("c");
        r.add("v", Number(c.value));
        EXPECT_EQ(r.line(), std::string(R"({"command":"c","v":)") + c.text + "}\r\n");
    }
    // Scaled set-points: truncated toward zero in single precision, then digits.
    struct Scaled { Value value; const char* text; };
    const Scaled scaled[] = {
        {Milli(1.5f), "1500"},
        {Milli(-1.5f), "-1500"},
        {Milli(0.0009f), "0"},
        {Milli(-0.0009f), "0"},
        {Micro(2147.0f), "2147000064"},  // the single-precision product
        {Micro(-2147.0f), "-2147000064"},
    };
    for (const Scaled& c : scaled) {
        SCOPED_TRACE(c.text);
        Request r("c");
        r.array("v", {c.value, Int(0)});
        EXPECT_EQ(r.line(), std::string(R"({"command":"c","v":[)") + c.text + ",0]}\r\n");
    }
}

// The controller's line buffer takes 299 characters: {"command":"x","n":"<text>"}\r\n is 24 plus the text, and
// 16 more with ,"v":-2147483648 written in place at the end. Escaping doubles the quotes.
TEST(Request, RefusesWhatCannotBeSentAndKeepsTheFirstFault) {
    struct Case { std::string text; bool number; int fault; std::size_t length; };
    const Case cases[] = {{std::string(275, 'a'), false, 0, 299}, {std::string(276, 'a'), false, 11, 0},
                          {std::string(138, '"'), false, 11, 0},  {std::string(259, 'a'), true, 0, 299},
                          {std::string(260, 'a'), true, 11, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.size());
        Request r("x");
        r.add("n", Text(c.text.c_str()));
        if (c.number) r.add("v", Int(-2147483648LL));
        const std::string_view line = r.line();
        EXPECT_EQ(line.size(), c.length);
        EXPECT_EQ(r.fault(), c.fault);
        if (c.number && c.length) EXPECT_EQ(line.substr(line.size() - 18), "\"v\":-2147483648}\r\n");
    }
    Request first_fault_wins("c");
    first_fault_wins.add("a", Text(nullptr)).add("b", Milli(kNaN));
    EXPECT_EQ(first_fault_wins.fault(), 19);
    EXPECT_TRUE(first_fault_wins.line().empty());
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
