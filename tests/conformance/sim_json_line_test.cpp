// The simulator prints its reply lines itself: byte for byte what cJSON
// prints for the same values, numbers and escapes included.
#include "sim/json_line.h"

#include <gtest/gtest.h>

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

// One line of every kind of value: numbers whole and not, beyond 32 bits and
// 15 digits, shortest round trip, NaN and infinity; escapes, arrays, objects.
TEST(SimJsonLine, PrintsAsCjsonPrints) {
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const JsonLine inner = JsonLine().number("a", 1).flag("b", false).texts("c", {});
    const std::string line =
        JsonLine::command("w \"q\" \\ /")
            .text("escapes", "\b\f\n\r\t\x01\x1f \xc3\xa9")
            .flag("yes", true)
            .number("third", 1.0 / 3)
            .numbers("list", {0, -0.0, 20000, -1234, 2147483647, 2147483648.0, -2147483649.0, 999999999999999, 1e15,
                              -1e16, 0.1, 1.5, -123.456, 1e-7, 1e300, -2.5, 3e20, nan, -inf})
            .numbers("none", {})
            .texts("names", {"x", "y"})
            .object("inner", inner)
            .object("empty", JsonLine())
            .line();
    EXPECT_EQ(line,
              "{\"command\":\"w \\\"q\\\" \\\\ /\",\"escapes\":\"\\b\\f\\n\\r\\t\\u0001\\u001f \xc3\xa9\","
              "\"yes\":true,\"third\":0.33333333333333331,\"list\":[0,-0,20000,-1234,2147483647,2147483648,"
              "-2147483649,999999999999999,1e+15,-1e+16,0.1,1.5,-123.456,1e-07,1e+300,-2.5,3e+20,null,null],"
              "\"none\":[],\"names\":[\"x\",\"y\"],\"inner\":{\"a\":1,\"b\":false,\"c\":[]},\"empty\":{}}\r\n");
    EXPECT_EQ(line, as_cjson_prints(line));
}

}  // namespace
}  // namespace arx::test
