// Request lines byte for byte: number text, scalings, escaping, nesting, and
// the requests that must be refused before anything is sent.
#include "protocol/number_text.h"
#include "protocol/request.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using namespace arx::protocol;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

std::string line_of(Request&& r) { return std::string(r.line()); }

// The text a single value takes inside a request.
std::string value_text(const Value& v) {
    Request r("c");
    r.add("v", v);
    const std::string line(r.line());
    const std::string prefix = R"({"command":"c","v":)";
    if (line.empty()) return "<refused " + std::to_string(r.fault()) + ">";
    return line.substr(prefix.size(), line.size() - prefix.size() - 3);  // drop "}\r\n"
}

}  // namespace

TEST(NumberText, FollowsTheControllersRule) {
    struct Case { double value; const char* text; };
    const Case cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {2.0, "2"},
        {-3.0, "-3"},
        {2147483647.0, "2147483647"},
        {-2147483648.0, "-2147483648"},
        {2147483648.0, "2147483648"},        // integral beyond 32 bits: fixed, no decimals
        {1e10, "10000000000"},
        {-1e10, "-10000000000"},
        {1e60, "1.000000e+60"},              // integral but too large for fixed
        {2.5, "2.500000"},
        {12.5, "12.500000"},
        {-2.5, "-2.500000"},
        {1234.5678, "1234.567800"},
        {0.0000015, "0.000002"},
        {5e-7, "5.000000e-07"},
        {-5e-7, "-5.000000e-07"},
        {1000000000.5, "1.000000e+09"},
        {1e-17, "0"},                        // within the integer tolerance of 0
        {static_cast<double>(0.1f), "0.100000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(NumberText(c.value).view(), c.text);
    }
}

TEST(RequestValues, ScalesInSinglePrecisionAndTruncates) {
    struct Case { const char* what; Value value; const char* text; };
    const Case cases[] = {
        {"milli truncates, not rounds", Milli(0.5678f), "567"},
        {"milli negative toward zero", Milli(-0.5678f), "-567"},
        {"small negative to -1", Milli(-0.0015f), "-1"},
        {"rz 1.5708 in float", Milli(1.5708f), "1570"},
        {"micro", Micro(0.1f), "100000"},
        {"micro negative", Micro(-0.25f), "-250000"},
        {"x10", Truncated(0.2405f, 10.0f), "2"},
        {"lowest 32-bit", Truncated(-2147483648.0f, 1.0f), "-2147483648"},
        {"milli as number keeps fraction", MilliNumber(0.0012f), "1.200000"},
        {"milli as number half", MilliNumber(0.0005f), "0.500000"},
        {"milli as number integral", MilliNumber(1.25f), "1250"},
        {"joint step", MilliNumber(1.2345f), "1234.500000"},
        {"unscaled integral", Number(2.0f), "2"},
        {"unscaled fraction", Number(12.5f), "12.500000"},
        {"unscaled tiny", Number(0.0000005), "5.000000e-07"},
        {"integer", Int(115200), "115200"},
        {"unsigned char", Int(static_cast<unsigned char>(255)), "255"},
        {"true", Flag(true), "true"},
        {"false", Flag(false), "false"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(value_text(c.value), c.text);
    }
}

TEST(RequestValues, RefusesValuesWithoutASoundConversion) {
    struct Case { const char* what; Value value; };
    const Case cases[] = {
        {"NaN joint angle", Milli(kNaN)},
        {"infinite", Milli(kInf)},
        {"minus infinite", Micro(-kInf)},
        {"above 32 bits after x1000", Milli(2147484.0f)},
        {"below 32 bits after x1000", Milli(-2147484.0f)},
        {"above 32 bits after x1000000", Micro(2147.5f)},
        {"exactly 2^31", Truncated(2147483648.0f, 1.0f)},
        {"NaN as number", MilliNumber(kNaN)},
        {"infinite as number", Number(kInf)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.value.fault(), 11);
        Request r("set_joint_max_speed");
        r.array("joint_max_speed", {Int(1), c.value});
        EXPECT_EQ(r.fault(), 11);
        EXPECT_TRUE(r.line().empty());
    }
}

TEST(Request, BuildsCompactLinesInMemberOrder) {
    const float offsets[7] = {0.001f, -0.002f, 0.5f, 1.0f, 0, 90.0f, 7.0f};
    struct Case { const char* what; std::string line; const char* expected; };
    const Case cases[] = {
        {"command only", line_of(Request("get_joint_degree")), R"({"command":"get_joint_degree"})"},
        {"joint pair", line_of(std::move(Request("set_joint_max_speed").array("joint_max_speed", {Int(3), Milli(0.5678f)}))),
         R"({"command":"set_joint_max_speed","joint_max_speed":[3,567]})"},
        {"scalars in order",
         line_of(std::move(Request("set_gripper_pick").add("speed", Int(500)).add("force", Int(200)).add("block", Flag(true)))),
         R"({"command":"set_gripper_pick","speed":500,"force":200,"block":true})"},
        {"array from memory, six of seven",
         line_of(std::move(Request("set_joint_zero_offset").array("offset", offsets, 6, Milli))),
         R"({"command":"set_joint_zero_offset","offset":[1,-2,500,1000,0,90000]})"},
        {"empty array", line_of(std::move(Request("c").array("a", offsets, 0, Milli))), R"({"command":"c","a":[]})"},
        {"nested object",
         line_of(std::move(Request("movec")
                               .open_object("pose")
                               .array("pose_via", {Micro(0.1f), Int(0)})
                               .array("pose_to", {Int(1)})
                               .close()
                               .add("v", Int(20)))),
         R"({"command":"movec","pose":{"pose_via":[100000,0],"pose_to":[1]},"v":20})"},
        {"arrays in arrays",
         line_of(std::move(Request("c").open_array("m").open_array("").push(Int(1)).close().open_object("").add("k", Text("v")).close().close())),
         R"({"command":"c","m":[[1],{"k":"v"}]})"},
        {"open containers closed at the end", line_of(std::move(Request("c").open_object("o").open_array("a").push(Int(1)))),
         R"({"command":"c","o":{"a":[1]}})"},
        {"strings", line_of(std::move(Request("set_wifi_ap").add("wifi_name", Text("lab")).add("password", Text("")))),
         R"({"command":"set_wifi_ap","wifi_name":"lab","password":""})"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.line, std::string(c.expected) + "\r\n");
    }
}

TEST(Request, EscapesStrings) {
    struct Case { const char* what; const char* text; const char* json; };
    const Case cases[] = {
        {"quote and backslash", "a\"b\\c", R"("a\"b\\c")"},
        {"short escapes", "\b\f\n\r\t", R"("\b\f\n\r\t")"},
        {"other control characters", "\x01\x1f", R"("\u0001\u001f")"},
        {"bytes from 128 pass through", "caf\xc3\xa9 \xff", "\"caf\xc3\xa9 \xff\""},
        {"slash and delete untouched", "/\x7f", "\"/\x7f\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(value_text(Text(c.text)), c.json);
    }
}

TEST(Request, RefusesLinesThatDoNotFitTheLineBuffer) {
    // {"command":"x","n":"<text>"}\r\n is 24 characters plus the text.
    struct Case { std::string text; int fault; std::size_t length; };
    const Case cases[] = {
        {std::string(275, 'a'), 0, 299},
        {std::string(276, 'a'), 11, 0},
        {std::string(137, '"') + "a", 0, 299},  // escaping doubles the quotes
        {std::string(138, '"'), 11, 0},
        {std::string(5000, 'a'), 11, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.size());
        Request r("x");
        r.add("n", Text(c.text.c_str()));
        EXPECT_EQ(r.line().size(), c.length);
        EXPECT_EQ(r.fault(), c.fault);
    }
}

TEST(Request, RefusesMalformedBuilding) {
    Request null_text("c");
    null_text.add("name", Text(nullptr));
    Request null_array("c");
    null_array.array("a", static_cast<const float*>(nullptr), 6, Milli);
    Request close_root("c");
    close_root.close();
    Request push_into_object("c");
    push_into_object.push(Int(1));
    Request first_fault_wins("c");
    first_fault_wins.add("a", Text(nullptr)).add("b", Milli(kNaN));
    Request after_finish("c");
    after_finish.line();
    after_finish.add("late", Int(1));

    const std::pair<Request*, int> cases[] = {
        {&null_text, 19}, {&null_array, 19}, {&close_root, 11},
        {&push_into_object, 11}, {&first_fault_wins, 19}, {&after_finish, 11},
    };
    for (auto& [request, fault] : cases) {
        EXPECT_EQ(request->fault(), fault);
        EXPECT_TRUE(request->line().empty());
    }
}
