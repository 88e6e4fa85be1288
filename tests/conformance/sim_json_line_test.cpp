// The simulator prints its reply lines itself: byte for byte what cJSON
// prints for the same values, numbers and escapes included.
#include "sim/json_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace arx::test {
namespace {

using sim::JsonLine;

// cJSON's own compact text of what `line` parses back to.
std::string as_cjson_prints(const std::string& line) {
    sim::JsonPtr parsed(cJSON_Parse(line.c_str()));
    if (!parsed) return "(not JSON)";
    std::unique_ptr<char, decltype(&cJSON_free)> text(cJSON_PrintUnformatted(parsed.get()), &cJSON_free);
    return std::string(text.get()) + "\r\n";
}

TEST(SimJsonLine, NumbersPrintAsCjsonPrintsThem) {
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    struct Case {
        double value;
        const char* text;  // as the line carries it
    };
    const Case cases[] = {
        {0, "0"},
        {-0.0, "-0"},
        {20000, "20000"},
        {-1234, "-1234"},
        {2147483647, "2147483647"},
        {2147483648.0, "2147483648"},
        {-2147483649.0, "-2147483649"},
        {999999999999999, "999999999999999"},
        {1e15, "1e+15"},
        {-1e16, "-1e+16"},
        {0.1, "0.1"},
        {1.5, "1.5"},
        {-123.456, "-123.456"},
        {1.0 / 3, "0.33333333333333331"},
        {1e-7, "1e-07"},
        {1e300, "1e+300"},
        {nan, "null"},
        {-inf, "null"},
    };
    for (const Case& c : cases) {
        const std::string line = JsonLine::state("x").number("n", c.value).line();
        EXPECT_EQ(line, std::string(R"({"state":"x","n":)") + c.text + "}\r\n") << c.value;
        EXPECT_EQ(line, as_cjson_prints(line)) << c.value;
    }
}

TEST(SimJsonLine, StringsArraysAndObjectsPrintAsCjsonPrintsThem) {
    const JsonLine inner = JsonLine().number("a", 1).flag("b", false).texts("c", {});
    const std::string line = JsonLine::command("w \"q\" \\ /")
                                 .text("escapes", "\b\f\n\r\t\x01\x1f \xc3\xa9")
                                 .flag("yes", true)
                                 .numbers("list", {1, -2.5, 3e20})
                                 .numbers("none", {})
                                 .texts("names", {"x", "y"})
                                 .object("inner", inner)
                                 .object("empty", JsonLine())
                                 .line();
    EXPECT_EQ(line,
              "{\"command\":\"w \\\"q\\\" \\\\ /\",\"escapes\":\"\\b\\f\\n\\r\\t\\u0001\\u001f \xc3\xa9\","
              "\"yes\":true,\"list\":[1,-2.5,3e+20],\"none\":[],\"names\":[\"x\",\"y\"],"
              "\"inner\":{\"a\":1,\"b\":false,\"c\":[]},\"empty\":{}}\r\n");
    EXPECT_EQ(line, as_cjson_prints(line));
}

}  // namespace
}  // namespace arx::test
