// Request lines byte for byte: number text, scalings, escaping, nesting, and
// the requests that must be refused before anything is sent.
#include "protocol/request.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

using namespace arx::protocol;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// The text a single value takes inside a request, or its refusal code.
std::string value_text(const Value& v) {
    Request r("c");
    r.add("v", v);
    const std::string line(r.line());
    const std::string prefix = R"({"command":"c","v":)";
    if (line.empty()) return "refused " + std::to_string(r.fault());
    return line.substr(prefix.size(), line.size() - prefix.size() - 3);  // drop "}\r\n"
}

}  // namespace

TEST(RequestValues, WriteTheControllersNumberTextAndScaleInSinglePrecision) {
    struct Case { const char* what; Value value; const char* text; };
    const Case cases[] = {
        {"zero", Number(0.0), "0"},
        {"integral as integer", Number(2.0), "2"},
        {"integral beyond 32 bits, fixed", Number(1e10), "10000000000"},
        {"fraction", Number(2.5), "2.500000"},
        {"fraction above 10", Number(12.5f), "12.500000"},
        {"tiny", Number(5e-7), "5.000000e-07"},
        {"above 1e9 with fraction", Number(1000000000.5), "1.000000e+09"},
        {"milli truncates, not rounds", Milli(0.5678f), "567"},
        {"milli negative toward zero", Milli(-0.5678f), "-567"},
        {"small negative to -1", Milli(-0.0015f), "-1"},
        {"milli as number keeps fraction", MilliNumber(0.0012f), "1.200000"},
        {"milli as number integral", MilliNumber(1.25f), "1250"},
        {"NaN", Milli(kNaN), "refused 11"},
        {"infinite", Micro(-kInf), "refused 11"},
        {"above 32 bits after x1000", Milli(2147484.0f), "refused 11"},
        {"exactly 2^31", Truncated(2147483648.0f, 1.0f), "refused 11"},
        {"quote and backslash", Text("pa\"ss\\1"), R"("pa\"ss\\1")"},
        {"control characters", Text("\n\t\x01\x1f"), R"("\n\t\u0001\u001f")"},
        {"bytes from 128 pass through", Text("caf\xc3\xa9"), "\"caf\xc3\xa9\""},
        {"null text", Text(nullptr), "refused 19"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(value_text(c.value), c.text);
    }
}

TEST(Request, BuildsCompactLinesInMemberOrder) {
    const float offsets[7] = {0.001f, -0.002f, 0.5f, 1.0f, 0, 90.0f, 7.0f};
    Request nested("movec");
    nested.open_object("pose").array("pose_via", {Micro(0.1f), Int(0)}).open_array("to").push(Int(1));
    EXPECT_EQ(nested.line(), R"({"command":"movec","pose":{"pose_via":[100000,0],"to":[1]}})" "\r\n");
    Request from_memory("set_joint_zero_offset");
    from_memory.array("offset", offsets, 6, Milli).add("block", Flag(true));
    EXPECT_EQ(from_memory.line(), R"({"command":"set_joint_zero_offset","offset":[1,-2,500,1000,0,90000],"block":true})" "\r\n");
}

TEST(Request, RefusesWhatCannotBeSentAndKeepsTheFirstFault) {
    // {"command":"x","n":"<text>"}\r\n is 24 characters plus the text; the
    // controller's line buffer takes 299.
    struct Case { std::string text; int fault; std::size_t length; };
    const Case cases[] = {
        {std::string(275, 'a'), 0, 299},
        {std::string(276, 'a'), 11, 0},
        {std::string(138, '"'), 11, 0},  // escaping doubles the quotes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.size());
        Request r("x");
        r.add("n", Text(c.text.c_str()));
        EXPECT_EQ(r.line().size(), c.length);
        EXPECT_EQ(r.fault(), c.fault);
    }
    Request value_in_array("set_joint_max_speed");
    value_in_array.array("joint_max_speed", {Int(1), Milli(kNaN)});
    Request first_fault_wins("c");
    first_fault_wins.add("a", Text(nullptr)).add("b", Milli(kNaN));
    Request push_into_object("c");
    push_into_object.push(Int(1));
    const std::pair<Request*, int> refused[] = {{&value_in_array, 11}, {&first_fault_wins, 19}, {&push_into_object, 11}};
    for (auto& [request, fault] : refused) {
        EXPECT_EQ(request->fault(), fault);
        EXPECT_TRUE(request->line().empty());
    }
}
