// Tool and work frames against the fake controller: the settling after a frame
// change, the frame queries' decoding and the name lists.
#include "support/command_cases.h"

#include <array>
#include <chrono>

using arx::test::CommandTest;
using arx::test::Got;
using arx::test::list;
using arx::test::ms_since;

class FrameCommands : public CommandTest {
protected:
    FRAME frame;
    FRAME_NAME names[ARX_FRAME_NAME_CAPACITY + 1];
    void mark() override {
        CommandTest::mark();
        std::memset(&frame, 'Z', sizeof frame);  // every byte a known mark
        std::memset(names, 'Z', sizeof names);
    }
    static float marked() {
        float x;
        std::memset(&x, 'Z', sizeof x);
        return x;
    }
};

TEST_F(FrameCommands, BlockingChangeSettlesFor300ms) {
    fc.on("set_change_tool_frame", R"({"command":"set_change_tool_frame","change_tool_frame":true})");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Change_Tool_Frame(h, "t", true), 0);
    EXPECT_GE(ms_since(start), 300 + 20);
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(Change_Work_Frame(h, "w", false), 0);
    EXPECT_LT(ms_since(start), 200);
    ASSERT_TRUE(fc.wait_lines(2));
    EXPECT_EQ(fc.lines().back(), R"({"command":"set_change_work_frame","frame_name":"w"})");
}

TEST_F(FrameCommands, QueriesDecode) {
    const std::string pose = R"("pose":[250000,0,-1000000,1571,0,0])";
    // name|10th character|pose|position, and the payload
    const auto current = [&] {
        const int rc = Get_Current_Tool_Frame(h, &frame);
        return Got{rc, frame.payload, std::string(frame.name.name, 9) + "|" + list(&frame.name.name[9], 1) + "|" +
                                          list(&frame.pose.x, 6) + "|" + list(&frame.x, 3)};
    };
    const auto given = [&] { return Got{Get_Given_Tool_Frame(h, "any", &frame), frame.payload, list(&frame.pose.x, 1)}; };
    // first name|its 10th character|the name past the capacity, and the count
    const auto all_tools = [&] {
        n = -7;
        const int rc = Get_All_Tool_Frame(h, names, &n);
        return Got{rc, double(n), std::string(names[0].name, strnlen(names[0].name, 9)) + "|" + list(&names[0].name[9], 1) + "|" +
                                      list(&names[ARX_FRAME_NAME_CAPACITY].name[0], 1)};
    };
    const std::string m = list(std::array<float, 1>{marked()}.data(), 1);
    const std::string tool = R"({"state":"current_tool_frame","tool_name":"abcdefghijk",)" + pose;
    const std::string names_reply = R"({"state":"total_tool_frame","tool_names":)";
    expect_decodes({
        {"current tool frame", "get_current_tool_frame", tool + R"(,"payload":2.75,"position":[1000,2000,3000]})", current,
         {0, 2.0, "abcdefghi|90|0.25,0,-1,1.571,0,0|0.001,0.002,0.003"}},
        {"tool position not an array", "get_current_tool_frame", tool + R"(,"payload":2.75,"position":5})", current,
         {9, 2.0, "abcdefghi|90|0.25,0,-1,1.571,0,0|" + m + "," + m + "," + m}},
        {"given tool position not an array", "get_tool_frame", R"({"state":"given_tool_frame",)" + pose + R"(,"payload":2.75,"position":5})", given, {11, 2.75, "0.25"}},
        {"work pose of seven values", "get_work_frame", R"({"state":"given_work_frame","pose":[0,0,0,0,0,0,0]})",
         [&] { return Got{Get_Given_Work_Frame(h, "w", &frame.pose), frame.pose.x}; }, {12, marked()}},
        {"name list up to NULL", "get_total_tool_frame", names_reply + R"(["tip","gripper","NULL","late"]})", all_tools, {0, 2, "tip|90|90"}},
        {"empty name list: count untouched", "get_total_tool_frame", names_reply + R"([]})", all_tools, {0, -7, "ZZZZZZZZZ|90|90"}},
        {"twelve names: cut at ten", "get_total_tool_frame", names_reply + R"(["abcdefghijk","b","c","d","e","f","g","h","i","j","k"]})", all_tools,
         {0, ARX_FRAME_NAME_CAPACITY, "abcdefghi|90|90"}},
    });
}
