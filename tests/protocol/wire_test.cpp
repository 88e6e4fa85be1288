// Request values and array decoders at the edges the sweep rows do not reach.
#include "protocol/decoders.h"
#include "protocol/request.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

using namespace arx::protocol;

constexpr float kInf = std::numeric_limits<float>::infinity();

std::string line_or_fault(Request& r) {
    return r.line().empty() ? "refused " + std::to_string(r.fault()) : std::string(r.line());
}

// Each value as the line's last member and as an array element. Whole numbers go by hand-written digit pairs up to 32
// bits and in the fixed form beyond; within the equality margin of a whole number they are that number. Scaled
// set-points truncate toward zero in single precision.
TEST(RequestValues, TextAtTheEdgesOfEachForm) {
    struct Case { Value value; const char* text; };
    const Case cases[] = {
        {Number(0.0), "0"}, {Number(-0.0), "0"}, {Number(1e-17), "0"}, {Number(7), "7"}, {Number(-7), "-7"},
        {Number(10), "10"}, {Number(-99), "-99"}, {Number(100), "100"}, {Number(-1000), "-1000"},
        {Number(123456789), "123456789"}, {Number(1000000000), "1000000000"},
        {Number(1 + std::ldexp(1.0, -52)), "1"},         // one step above 1, within the margin
        {Number(1 + std::ldexp(1.0, -51)), "1.000000"},  // two steps, beyond it
        {Number(-1 - std::ldexp(1.0, -52)), "-1"},
        {Number(2147483647.0), "2147483647"}, {Number(-2147483648.0), "-2147483648"},
        {Number(2147483648.0), "2147483648"}, {Number(-2147483649.0), "-2147483649"},
        {Number(2147483646.5), "2.147484e+09"},  // not whole, above 1e9: exponent form
        {Number(1e10), "10000000000"},
        {Number(5e-7), "5.000000e-07"},
        {Number(1000000000.5), "1.000000e+09"},
        {Milli(1.5f), "1500"}, {Milli(-1.5f), "-1500"}, {Milli(0.0009f), "0"}, {Milli(-0.0009f), "0"},
        {Micro(2147.0f), "2147000064"},  // the single-precision product
        {Micro(-2147.0f), "-2147000064"},
        {Micro(-kInf), "refused 11"},
        {Truncated(2147483648.0f, 1.0f), "refused 11"},
        {Text("\n\t\x01\x1f"), R"("\n\t\u0001\u001f")"},
        {Text("caf\xc3\xa9"), "\"caf\xc3\xa9\""},  // bytes from 128 pass through
        {Text(nullptr), "refused 19"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Request last("c"), element("c");
        last.add("v", c.value);
        element.array("v", {c.value, Int(0)});
        const bool refused = !std::strncmp(c.text, "refused", 7);
        EXPECT_EQ(line_or_fault(last), refused ? c.text : R"({"command":"c","v":)" + std::string(c.text) + "}\r\n");
        EXPECT_EQ(line_or_fault(element), refused ? c.text : R"({"command":"c","v":[)" + std::string(c.text) + ",0]}\r\n");
    }
}

// The controller's line buffer takes 299 characters: {"command":"x","n":"<text>"}\r\n is 24 plus the text, and 16 more
// with ,"v":-2147483648 written in place at the end. Escaping doubles the quotes.
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
    first_fault_wins.add("a", Text(nullptr)).add("b", Milli(std::numeric_limits<float>::quiet_NaN()));
    EXPECT_EQ(first_fault_wins.fault(), 19);
    EXPECT_TRUE(first_fault_wins.line().empty());
}

// Arrays write all or nothing (an element that is not a number, or leaves the float range, writes none); arrays "up to"
// a count never write past it.
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
        std::vector<float> counted(8, kUntouched), up_to(8, kUntouched);
        EXPECT_EQ(CountedArray("joint", counted.data(), 6, Thousandths, ArrayCodes{ARX_ARRAY_ERROR, ARX_POSE_ARRAY_ERROR})(c.reply), c.counted_rc);
        EXPECT_EQ(ArrayUpTo("joint", up_to.data(), 6, Thousandths, 11)(c.reply), c.up_to_rc);
        for (std::size_t i = 0; i < 8; ++i) {
            EXPECT_FLOAT_EQ(counted[i], i < c.counted.size() ? c.counted[i] : kUntouched) << i;
            EXPECT_EQ(up_to[i] == kUntouched, static_cast<int>(i) >= c.up_to_written) << i;
        }
    }
}
