// Modbus through the controller against the fake controller: coil and
// register data forms, line-length and count refusals, the read result rules.
#include "support/command_cases.h"

#include <climits>

using arx::test::CommandTest;
using arx::test::Got;

class Modbus : public CommandTest {
protected:
    unsigned char data[64] = {1, 2, 3, 4, 5, 6};
    std::string line_for_coils(int num, const std::string& data_text) {
        return R"({"command":"write_coils","port":1,"address":0,"num":)" + std::to_string(num) + R"(,"data":)" + data_text +
               R"(,"device":1})";
    }
};

TEST_F(Modbus, CoilBytesAsOneIntegerUpToEightThenAnArray) {
    struct Case { int num; std::string data; };
    const Case cases[] = {{0, "1"}, {1, "1"}, {9, "[1,2]"}, {16, "[1,2]"}, {17, "[1,2,3]"}, {41, "[1,2,3,4,5,6]"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.num);
        fc.clear();
        EXPECT_EQ(Write_Coils(h, 1, 0, c.num, data, 1, false), 0);
        ASSERT_TRUE(fc.wait_lines(1));
        EXPECT_EQ(fc.lines().back(), line_for_coils(c.num, c.data));
    }
}

// A count that is negative, or whose bytes would not fit one line, is refused
// with nothing sent and without reading past what the line could hold.
TEST_F(Modbus, CountsWithoutASoundLineAreRefused) {
    unsigned char full[200];
    std::fill(std::begin(full), std::end(full), 255);
    const std::string registers = R"({"command":"write_registers","port":0,"address":4,"num":27,"data":[)";
    std::string bytes27;
    for (int i = 0; i < 54; ++i) bytes27 += std::string(i ? "," : "") + "255";
    const std::string line27 = registers + bytes27 + R"(],"device":3})";
    ASSERT_EQ(line27.size() + 2, 297u);  // 28 registers would need 305 of the 299 characters
    expect_sends({
        {"27 registers of 255 fit", [&] { return Write_Registers(h, 0, 4, 27, full, 3, false); },
         line27.c_str()},
        {"28 registers do not", [&] { return Write_Registers(h, 0, 4, 28, full, 3, false); }, nullptr, 11},
        {"negative registers", [&] { return Write_Registers(h, 0, 4, -1, full, 3, true); }, nullptr, 11},
        {"registers beyond any line, two bytes given", [&] { return Write_Registers(h, 0, 4, INT_MAX, data, 3, true); }, nullptr, 11},
        {"60 coil bytes of 255 do not fit", [&] { return Write_Coils(h, 1, 0, 480, full, 1, true); }, nullptr, 11},
        {"negative coils", [&] { return Write_Coils(h, 1, 0, -8, full, 1, false); }, nullptr, 11},
        {"coils beyond any line", [&] { return Write_Coils(h, 1, 0, INT_MAX, data, 1, false); }, nullptr, 11},
        {"null coil bytes", [&] { return Write_Coils(h, 1, 0, 1, nullptr, 1, false); }, nullptr, 19},
        {"null read output", [&] { return Get_Read_Coils(h, 1, 0, 1, 1, nullptr); }, nullptr, 19},
    });
}

TEST_F(Modbus, ReadResults) {
    const auto coils = [&] { n = -99; const int rc = Get_Read_Coils(h, 1, 10, 2, 1, &n); return Got{rc, double(n)}; };
    const std::string head = R"({"command":"read_coils","state":"coils_data",)";
    expect_decodes({
        {"read coils 1", "read_coils", head + R"("data":-7})", coils, {0, -7}},
        {"read coils 2", "read_coils", head + R"("read_state":"ok","data":3})", coils, {0, 3}},
        {"read coils 3", "read_coils", head + R"("read_state":false,"data":513})", coils, {1, -99}},
        {"read coils 4", "read_coils", head + R"("read_state":true})", coils, {9, -99}},
        {"read coils 5", "read_coils", head + R"("read_state":true,"data":"513"})", coils, {11, -99}},
        {"read coils 6", "read_coils", "coils_data, not json", coils, {9, -99}},
    });
}
