// Request values and array decoders at the edges the sweep rows do not reach:
// number text forms, escapes, the line-length limit, all-or-nothing arrays.
#include "protocol/decoders.h"
#include "protocol/request.h"

#include <gtest/gtest.h>

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

TEST(Request, RefusesWhatCannotBeSentAndKeepsTheFirstFault) {
    // {"command":"x","n":"<text>"}\r\n is 24 characters plus the text; the
    // controller's line buffer takes 299. Escaping doubles the quotes.
    struct Case { std::string text; int fault; std::size_t length; };
    for (const Case& c : {Case{std::string(275, 'a'), 0, 299}, Case{std::string(276, 'a'), 11, 0}, Case{std::string(138, '"'), 11, 0}}) {
        SCOPED_TRACE(c.text.size());
        Request r("x");
        r.add("n", Text(c.text.c_str()));
        EXPECT_EQ(r.line().size(), c.length);
        EXPECT_EQ(r.fault(), c.fault);
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
