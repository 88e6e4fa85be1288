// Controller and tool IO against the fake controller: the IO type checks, the
// one-byte channel readings and the two-array replies.
#include "support/command_cases.h"

#include <chrono>

using arx::test::CommandTest;
using arx::test::Got;
using arx::test::list;
using arx::test::ms_since;

class IO : public CommandTest {
protected:
    static constexpr int kCap = ARX_IO_CHANNEL_CAPACITY;
    unsigned char bytes[kCap + 2];
    float values[kCap + 2];
    void mark() override {
        CommandTest::mark();
        std::fill(std::begin(bytes), std::end(bytes), 77);
        std::fill(std::begin(values), std::end(values), kMark);
    }
    // "[1,2,...,n]"
    static std::string counting(int n) {
        std::string s = "[";
        for (int i = 1; i <= n; ++i) s += std::to_string(i) + (i < n ? "," : "]");
        return s;
    }
};

// An unknown IO type is refused after the pause, before anything is built;
// a null output before the pause.
TEST_F(IO, TypeAndPointerRefusals) {
    struct Case { const char* what; std::function<int()> call; int rc; bool pauses; };
    const Case cases[] = {
        {"set, type 2", [&] { return Set_IO_State(h, 2, 1, true, true); }, 11, true},
        {"set, type -1 queued", [&] { return Set_IO_State(h, -1, 1, true, false); }, 11, true},
        {"get, type 4", [&] { return Get_IO_State(h, 4, 1, bytes); }, 11, true},
        {"get, type -1", [&] { return Get_IO_State(h, -1, 1, bytes); }, 11, true},
        {"get, null state", [&] { return Get_IO_State(h, 9, 1, nullptr); }, 19, false},
        {"inputs, null AI", [&] { return Get_IO_Input(h, bytes, nullptr); }, 19, false},
        {"outputs, null DO", [&] { return Get_IO_Output(h, nullptr, values); }, 19, false},
        {"tool state, null modes", [&] { return Get_Tool_IO_State(h, nullptr, values); }, 19, false},
        {"tool voltage", [&] { return Get_Tool_Voltage(h, nullptr); }, 19, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(c.call(), c.rc);
        EXPECT_EQ(ms_since(start) >= 20, c.pauses);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // a queued line would have left by now
    EXPECT_TRUE(fc.lines().empty());
}

TEST_F(IO, ChannelReadingsDecode) {
    const auto one = [&](int type) {
        return [this, type] { const int rc = Get_IO_State(h, type, 1, bytes); return Got{rc, double(bytes[0])}; };
    };
    const auto voltage = [&] { const int rc = Get_Tool_Voltage(h, bytes); return Got{rc, double(bytes[0])}; };
    expect_decodes({
        {"get AI state 1", "get_AI_state", R"({"state":"AI_state","voltage":-1500})", one(3), {0, 255}},  // -1 V: low byte
        {"get AO state 2", "get_AO_state", R"({"state":"AO_state","voltage":"5"})", one(2), {11, 77}},
        {"get DI state 1", "get_DI_state", R"({"state":"DI_state","IO_state":258})", one(1), {0, 2}},
        {"get DI state 2", "get_DI_state", R"({"state":"DI_state"})", one(1), {9, 77}},
        {"get DO state 1", "get_DO_state", R"({"state":"DO_state","IO_state":true})", one(0), {11, 77}},
        {"get tool voltage 1", "get_tool_voltage", R"({"state":"tool_voltage_state","voltage_type":[3]})", voltage, {11, 77}},
    });
}

// The first array is copied whole before the second is looked up; a channel
// list longer than the documented capacity stops at it.
TEST_F(IO, TwoArrayRepliesDecodeInOrder) {
    // digital|analog, both with their first elements and the two past the capacity
    const auto inputs = [&] {
        const int rc = Get_IO_Input(h, bytes, values);
        return Got{rc, 0, list(bytes, 3) + "|" + list(&bytes[kCap], 2) + "|" + list(values, 2) + "|" + list(&values[kCap], 2)};
    };
    const auto outputs = [&] {
        const int rc = Get_IO_Output(h, bytes, values);
        return Got{rc, 0, list(bytes, 3) + "|" + list(values, 2)};
    };
    const auto tool = [&] {
        const int rc = Get_Tool_IO_State(h, f, values);
        return Got{rc, 0, list(f, 3) + "|" + list(values, 2)};
    };
    const std::string in = R"({"state":"IO_input_state",)";
    const std::string out = R"({"state":"IO_output_state",)";
    const std::string many = counting(kCap + 2);
    expect_decodes({
        {"get IO input 2", "get_IO_input", in + R"("DI":)" + many + R"(,"AI":)" + many + "}", inputs,
         {0, 0, "1,2,3|77,77|0.001,0.002|-99,-99"}},
        {"get IO input 3", "get_IO_input", in + R"("DI":[1,1],"AI":5})", inputs, {11, 0, "1,1,77|77,77|-99,-99|-99,-99"}},
        {"get IO input 4", "get_IO_input", in + R"("DI":[1,1]})", inputs, {9, 0, "1,1,77|77,77|-99,-99|-99,-99"}},
        {"get IO input 5", "get_IO_input", in + R"("AI":[1000]})", inputs, {9, 0, "77,77,77|77,77|-99,-99|-99,-99"}},
        {"get IO input 6", "get_IO_input", in + R"("DI":{"a":1},"AI":[1000]})", inputs, {11, 0, "77,77,77|77,77|-99,-99|-99,-99"}},
        {"get IO output 1", "get_IO_output", out + R"("DO":[256,1],"AO":[-2500,12000]})", outputs, {0, 0, "0,1,77|-2.5,12"}},
        {"get IO output 2", "get_IO_output", "IO_output_state, not json", outputs, {9, 0, "77,77,77|-99,-99"}},
        {"get tool IO state 2", "get_tool_IO_state", R"({"state":"tool_IO_state","IO_Mode":[1,1],"IO_State":"on"})", tool, {11, 0, "1,1,-99|-99,-99"}},
    });
}
