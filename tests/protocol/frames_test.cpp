// Tool and work frames against the fake controller: request bytes, the
// frame queries' decoding and the name lists.
#include "support/fake_controller.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>

using arx::test::ControllerTest;

namespace {

using Clock = std::chrono::steady_clock;

long long elapsed_ms(Clock::time_point since) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
}

FRAME marked_frame() {
    FRAME f;
    std::memset(&f, 0x5a, sizeof f);  // every byte a known mark
    return f;
}

}  // namespace

class Frames : public ControllerTest {};

TEST_F(Frames, SendExactRequestBytes) {
    const POSE pose{0.1f, 0, 0, 0, 0, 1.5708f};
    struct Case { const char* what; std::function<int()> call; const char* line; };
    const Case cases[] = {
        {"work pose truncates", [&] { return Manual_Set_Work_Frame(h, "w1", pose, false); },
         R"({"command":"set_manual_work_frame","frame_name":"w1","frame_pose":[100000,0,0,0,0,1570]})"},
        {"payload x1000 kept whole", [&] { return Generate_Auto_Tool_Frame(h, "t", 1.5f, 0.1f, 0, -0.0015f, false); },
         R"({"command":"generate_auto_tool_frame","tool_name":"t","payload":1500,"position":[100,0,-1]})"},
        {"payload x1000 with fraction", [&] { return Generate_Auto_Tool_Frame(h, "t", 0.0005f, 0, 0, 0, false); },
         R"({"command":"generate_auto_tool_frame","tool_name":"t","payload":0.500000,"position":[0,0,0]})"},
        {"manual tool payload unscaled", [&] { return Manual_Set_Tool_Frame(h, "t2", pose, 2.0f, 0, 0.05f, 0, false); },
         R"({"command":"set_manual_tool_frame","tool_name":"t2","tool_pose":[100000,0,0,0,0,1570],"payload":2,"position":[0,50,0]})"},
        {"set payload integer", [&] { return Set_Payload(h, 3, 0, 0, 0.1f, false); },
         R"({"command":"set_payload","payload":3,"position":[0,0,100]})"},
        {"auto tool point", [&] { return Auto_Set_Tool_Frame(h, 3, false); },
         R"({"command":"set_auto_tool_frame","point_num":3})"},
        {"auto work point", [&] { return Auto_Set_Work_Frame(h, "w", 2, false); },
         R"({"command":"set_auto_work_frame","frame_name":"w","point_num":2})"},
        {"escaped name", [&] { return Delete_Tool_Frame(h, "a\"b", false); },
         R"({"command":"set_delete_tool_frame","tool_name":"a\"b"})"},
        {"delete work", [&] { return Delete_Work_Frame(h, "w", false); },
         R"({"command":"set_delete_work_frame","frame_name":"w"})"},
        {"change tool queued", [&] { return Change_Tool_Frame(h, "t", false); },
         R"({"command":"set_change_tool_frame","tool_name":"t"})"},
        {"change work queued", [&] { return Change_Work_Frame(h, "w", false); },
         R"({"command":"set_change_work_frame","frame_name":"w"})"},
        {"no payload", [&] { return Set_None_Payload(h, false); }, R"({"command":"set_none_payload"})"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fc.clear();
        EXPECT_EQ(c.call(), 0);
        ASSERT_TRUE(fc.wait_lines(1));
        EXPECT_EQ(fc.raw_of(0), std::string(c.line) + "\r\n");
    }
}

TEST_F(Frames, BlockingSettersWaitForTheirOwnReply) {
    const POSE pose{};
    struct Case { const char* command; const char* reply; std::function<int()> call; int rc; };
    const Case cases[] = {
        {"generate_auto_tool_frame", R"({"command":"generate_auto_tool_frame","auto_tool_frame":true})",
         [&] { return Generate_Auto_Tool_Frame(h, "t", 1.0f, 0, 0, 0, true); }, 0},
        {"generate_auto_tool_frame", R"({"command":"generate_auto_tool_frame","auto_tool_frame":false})",
         [&] { return Generate_Auto_Tool_Frame(h, "t", 1.0f, 0, 0, 0, true); }, 1},
        {"set_auto_tool_frame", R"({"command":"set_auto_tool_frame","auto_tool_frame":1})",
         [&] { return Auto_Set_Tool_Frame(h, 1, true); }, 11},
        {"set_manual_work_frame", R"({"command":"set_maual_work_frame","manual_work_frame":true})",
         [&] { return Manual_Set_Work_Frame(h, "w", pose, true); }, 0},
        {"set_manual_tool_frame", R"({"command":"set_manual_tool_frame","Manual_Tool_Frame":false})",
         [&] { return Manual_Set_Tool_Frame(h, "t", pose, 1, 0, 0, 0, true); }, 1},
        {"set_payload", R"({"command":"set_payload","state":true})",
         [&] { return Set_Payload(h, 1, 0, 0, 0, true); }, 9},
        {"set_none_payload", R"(set_none_payload, not json)", [&] { return Set_None_Payload(h, true); }, 9},
        {"set_delete_work_frame", R"({"command":"set_delete_work_frame","delete_work_frame":true})",
         [&] { return Delete_Work_Frame(h, "w", true); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        fc.on(c.command, c.reply);
        EXPECT_EQ(c.call(), c.rc);
    }
}

TEST_F(Frames, BlockingChangeSettlesFor300ms) {
    fc.on("set_change_tool_frame", R"({"command":"set_change_tool_frame","change_tool_frame":true})");
    fc.on("set_change_work_frame", R"({"command":"set_change_work_frame","change_work_frame":false})");
    auto start = Clock::now();
    EXPECT_EQ(Change_Tool_Frame(h, "t", true), 0);
    EXPECT_GE(elapsed_ms(start), 320);
    start = Clock::now();
    EXPECT_EQ(Change_Work_Frame(h, "w", true), 1);
    EXPECT_GE(elapsed_ms(start), 320);
    start = Clock::now();
    EXPECT_EQ(Change_Work_Frame(h, "w", false), 0);
    EXPECT_LT(elapsed_ms(start), 200);
}

TEST_F(Frames, CurrentAndGivenToolFrameDiffer) {
    struct Case { const char* body; int current_rc; int given_rc; };
    const Case cases[] = {
        {R"("pose":[250000,0,-1000000,1571,0,0],"payload":2.75,"position":[1000,2000,3000])", 0, 0},
        {R"("pose":[250000,0,-1000000,1571,0,0],"payload":2.75,"position":5)", 9, 11},
        {R"("pose":[250000,0,-1000000,1571,0,0],"payload":2.75,"position":[1,2])", 11, 11},
        {R"("pose":[250000,0,-1000000,1571,0,0],"payload":"2","position":[1,2,3])", 11, 11},
        {R"("pose":[250000,0,-1000000,1571,0,0],"position":[1,2,3])", 9, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        fc.on("get_current_tool_frame", std::string(R"({"state":"current_tool_frame","tool_name":"abcdefghijk",)") + c.body + "}");
        fc.on("get_tool_frame", std::string(R"({"state":"given_tool_frame",)") + c.body + "}");
        FRAME current = marked_frame();
        EXPECT_EQ(Get_Current_Tool_Frame(h, &current), c.current_rc);
        EXPECT_EQ(std::string(current.frame_name.name, 9), "abcdefghi");
        EXPECT_EQ(current.frame_name.name[9], 0x5a);  // the tenth character is never written
        EXPECT_FLOAT_EQ(current.pose.x, 0.25f);
        EXPECT_FLOAT_EQ(current.pose.z, -1.0f);
        EXPECT_FLOAT_EQ(current.pose.rx, 1.571f);
        FRAME given = marked_frame();
        EXPECT_EQ(Get_Given_Tool_Frame(h, "any", &given), c.given_rc);
        EXPECT_EQ(given.frame_name.name[0], 0x5a);
        EXPECT_FLOAT_EQ(given.pose.x, 0.25f);
        if (c.current_rc == 0) {
            EXPECT_FLOAT_EQ(current.payload, 2.0f);
            EXPECT_FLOAT_EQ(given.payload, 2.75f);
            EXPECT_FLOAT_EQ(current.x, 0.001f);
            EXPECT_FLOAT_EQ(given.z, 0.003f);
        }
    }
    EXPECT_EQ(fc.lines().back(), R"({"command":"get_tool_frame","tool_name":"any"})");
}

TEST_F(Frames, ManualToolFrameIntegerPayloadSentAsInteger) {
    fc.on("set_manual_tool_frame", R"({"command":"set_manual_tool_frame","manual_tool_frame":true})");
    EXPECT_EQ(Manual_Set_Tool_Frame(h, "t", POSE{}, 2.0f, 0, 0, 0, true), 0);
    EXPECT_NE(fc.lines().back().find(R"("payload":2,)"), std::string::npos) << fc.lines().back();
}

TEST_F(Frames, WorkFrameQueries) {
    fc.on("get_current_work_frame", R"({"state":"current_work_frame","frame_name":"Base","pose":[1000000,0,0,0,0,-3142]})");
    FRAME work = marked_frame();
    ASSERT_EQ(Get_Current_Work_Frame(h, &work), 0);
    EXPECT_STREQ(work.frame_name.name, "Base");
    EXPECT_FLOAT_EQ(work.pose.x, 1.0f);
    EXPECT_FLOAT_EQ(work.pose.rz, -3.142f);
    const FRAME mark = marked_frame();
    EXPECT_EQ(std::memcmp(&work.payload, &mark.payload, 4 * sizeof(float)), 0);  // payload and x y z untouched

    struct Case { const char* reply; int rc; };
    const Case cases[] = {
        {R"({"state":"given_work_frame","pose":[0,0,0,0,0,0,0]})", 12},
        {R"({"state":"given_work_frame","pose":"0"})", 11},
        {R"({"state":"given_work_frame"})", 9},
        {R"({"state":"given_work_frame","pose":[500000,0,0,0,0,0]})", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        fc.on("get_work_frame", c.reply);
        POSE pose{-1, -1, -1, -1, -1, -1};
        EXPECT_EQ(Get_Given_Work_Frame(h, "w", &pose), c.rc);
        EXPECT_FLOAT_EQ(pose.x, c.rc == 0 ? 0.5f : -1.0f);
    }
}

TEST_F(Frames, NameLists) {
    struct Case { const char* list; int rc; int count; const char* first; };
    const Case cases[] = {
        {R"(["tip","gripper","NULL","late"])", 0, 2, "tip"},
        {R"([])", 0, -7, nullptr},
        {R"(["NULL","x"])", 0, -7, nullptr},
        {R"(["abcdefghijk"])", 0, 1, "abcdefghi"},
        {R"(["a","b","c","d","e","f","g","h","i","j","k","l"])", 0, ARX_FRAME_NAME_CAPACITY, "a"},
        {R"(["a",5])", 11, 1, "a"},
        {R"("tip")", 11, -7, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        fc.on("get_total_tool_frame", std::string(R"({"state":"total_tool_frame","tool_names":)") + c.list + "}");
        fc.on("get_total_work_frame", std::string(R"({"state":"total_work_frame","frame_names":)") + c.list + "}");
        for (int work = 0; work < 2; ++work) {
            FRAME_NAME names[ARX_FRAME_NAME_CAPACITY + 1];
            std::memset(names, 0x5a, sizeof names);
            int count = -7;
            EXPECT_EQ(work ? Get_All_Work_Frame(h, names, &count) : Get_All_Tool_Frame(h, names, &count), c.rc);
            EXPECT_EQ(count, c.count);
            if (c.first) EXPECT_EQ(std::string(names[0].name, strnlen(names[0].name, 9)), c.first);
            EXPECT_EQ(names[0].name[9], 0x5a);
            EXPECT_EQ(names[ARX_FRAME_NAME_CAPACITY].name[0], 0x5a);  // never past the capacity
        }
    }
    FRAME_NAME names[2];
    fc.on("get_total_tool_frame", R"({"state":"total_tool_frame","tool_names":["tip","NULL"]})");
    EXPECT_EQ(Get_All_Tool_Frame(h, names, nullptr), 19);
}

TEST_F(Frames, RefusesNullsBeforeSending) {
    FRAME f{};
    POSE p{};
    int count = 0;
    EXPECT_EQ(Generate_Auto_Tool_Frame(h, nullptr, 1, 0, 0, 0, true), 19);
    EXPECT_EQ(Change_Tool_Frame(h, nullptr, true), 19);
    EXPECT_EQ(Get_Current_Tool_Frame(h, nullptr), 19);
    EXPECT_EQ(Get_Given_Tool_Frame(h, nullptr, &f), 19);
    EXPECT_EQ(Get_Given_Work_Frame(h, "w", nullptr), 19);
    EXPECT_EQ(Get_All_Work_Frame(h, nullptr, &count), 19);
    EXPECT_EQ(Manual_Set_Work_Frame(h, nullptr, p, false), 19);
    EXPECT_TRUE(fc.lines().empty());
}
