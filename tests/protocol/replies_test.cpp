// Replies refused or written in part, the kinematics that follow DH and installation, seven-joint connections.
#include "kinematics/kinematic_state.h"
#include "kinematics/state.h"
#include "logged.h"
#include "protocol/command.h"
#include "support/command_cases.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <iterator>

using arx::test::CommandTest;
using arx::test::Got;
using arx::test::list;

namespace {
const arx::kin::KinematicState& kin() { return arx::kin::kinematic_state(); }
float radians(float degrees) { return static_cast<float>(degrees * 3.1415926 / 180.0); }
}  // namespace

class Replies : public CommandTest {
protected:
    static constexpr int kCap = ARX_IO_CHANNEL_CAPACITY;
    FRAME frame;
    FRAME_NAME names[ARX_FRAME_NAME_CAPACITY + 1];
    unsigned char bytes[kCap + 2];
    float values[kCap + 2];
    void mark() override {
        CommandTest::mark();
        std::memset(&frame, 'Z', sizeof frame);  // every byte a known mark
        std::memset(names, 'Z', sizeof names);
        std::fill(std::begin(bytes), std::end(bytes), 77);
        std::fill(std::begin(values), std::end(values), kMark);
    }
};

// Replies refused or written in part: frames stop at the first bad member; two-array replies: the first array is copied
// whole before the second is looked up, and a channel list longer than the capacity stops at it. The current
// trajectory: a "data" array shorter than the type needs is refused before anything is written.
TEST_F(Replies, QueriesDecode) {
    // name|10th character|pose|position, and the payload
    const auto current = [&] {
        return Got{Get_Current_Tool_Frame(h, &frame), frame.payload, std::string(frame.name.name, 9) + "|" +
                   list(&frame.name.name[9], 1) + "|" + list(&frame.pose.x, 6) + "|" + list(&frame.x, 3)};
    };
    const auto given = [&] { return Got{Get_Given_Tool_Frame(h, "any", &frame), frame.payload, list(&frame.pose.x, 1)}; };
    // first name|its 10th character|the name past the capacity, and the count
    const auto all_tools = [&] {
        n = -7;
        return Got{Get_All_Tool_Frame(h, names, &n), double(n), std::string(names[0].name, strnlen(names[0].name, 9)) + "|" +
                   list(&names[0].name[9], 1) + "|" + list(&names[ARX_FRAME_NAME_CAPACITY].name[0], 1)};
    };
    float z;
    std::memset(&z, 'Z', sizeof z);
    const std::string m = list(&z, 1);
    const std::string pose6 = R"("pose":[250000,0,-1000000,1571,0,0])";
    const std::string tool = R"({"state":"current_tool_frame","tool_name":"abcdefghijk",)" + pose6;
    const std::string names_reply = R"({"state":"total_tool_frame","tool_names":)";
    const auto dh = [&] {
        arx::kin::store_end_link_length(0.5f);
        return Got{Get_DH_Data(h, &f[0], &f[1], &f[2], &f[3], &f[4]), kin().end_link, list(f, 5)};
    };
    const auto install = [&] {
        setAngle(1, 2, 3);
        return Got{Get_Install_Pose(h, &f[0], &f[1], &f[2]), kin().install[2] / radians(1), list(f, 3)};
    };
    // digital|analog, both with their first elements and the two past the capacity
    const auto inputs = [&] {
        return Got{Get_IO_Input(h, bytes, values), 0,
                   list(bytes, 3) + "|" + list(&bytes[kCap], 2) + "|" + list(values, 2) + "|" + list(&values[kCap], 2)};
    };
    const std::string in = R"({"state":"IO_input_state",)";
    std::string many = "[";  // 1 to the capacity + 2
    for (int i = 1; i <= kCap + 2; ++i) many += std::to_string(i) + (i < kCap + 2 ? "," : "]");
    ARM_CTRL_MODES type;
    const auto query = [&] {
        type = ARM_CTRL_MOVEL;  // the mark: no row below that fails is of this type
        return Got{Get_Current_Trajectory(h, &type, f), double(type), list(f, 7)};
    };
    const auto reply = [](const char* members) { return std::string(R"({"state":"arm_current_trajectory",)") + members + "}"; };
    const std::string untouched = "-99,-99,-99,-99,-99,-99,-99";  // the trajectory data
    float force[ARX_FORCE_DATA_CAPACITY + 2];
    // the values, then the two past the capacity
    const auto six = [&] {
        std::fill(std::begin(force), std::end(force), kMark);
        return Got{Get_Force_Data(h, force), 0, list(force, 6) + "|" + list(&force[ARX_FORCE_DATA_CAPACITY], 2)};
    };
    const auto fz = [&] { return Got{Get_Fz(h, &f[0]), f[0]}; };
    const std::string data = R"({"state":"get_force_data","force_data":)";
    expect_decodes({
        {"tool position not an array", "get_current_tool_frame", tool + R"(,"payload":2.75,"position":5})", current,
         {9, 2.0, "abcdefghi|90|0.25,0,-1,1.571,0,0|" + m + "," + m + "," + m}},
        {"given tool position not an array", "get_tool_frame", R"({"state":"given_tool_frame",)" + pose6 + R"(,"payload":2.75,"position":5})", given, {11, 2.75, "0.25"}},
        {"twelve names: cut at ten", "get_total_tool_frame", names_reply + R"(["abcdefghijk","b","c","d","e","f","g","h","i","j","k"]})", all_tools,
         {0, ARX_FRAME_NAME_CAPACITY, "abcdefghi|90|90"}},
        {"DH element not a number: nothing written, end link kept", "get_DH_data", R"({"state":"DH_data","data":[2405,0,2560,"1449",0]})", dh, {11, 0.5, "-99,-99,-99,-99,-99"}},
        {"install angles unscaled, stored", "get_install_pose", R"({"state":"install_pose","pose":[0.5,-45,90.25,7]})", install, {0, 90.25, "0.5,-45,90.25"}},
        {"install angle past the float range: refused, kept", "get_install_pose", R"({"state":"install_pose","pose":[0,1e300,0]})", install, {11, 3, "-99,-99,-99"}},
        {"line speed past the float range: refused", "get_arm_max_line_speed", R"({"state":"arm_max_line_speed","arm_line_speed":1e300})",
         [&] { return Got{Get_Arm_Line_Speed(h, f), f[0]}; }, {11, kMark}},
        {"inputs past the capacity", "get_IO_input", in + R"("DI":)" + many + R"(,"AI":)" + many + "}", inputs,
         {0, 0, "1,2,3|77,77|0.001,0.002|-99,-99"}},
        {"AI not an array: DI kept", "get_IO_input", in + R"("DI":[1,1],"AI":5})", inputs, {11, 0, "1,1,77|77,77|-99,-99|-99,-99"}},
        {"AI -1 V: low byte", "get_AI_state", R"({"state":"AI_state","voltage":-1500})",
         [&] { return Got{Get_IO_State(h, 3, 1, bytes), double(bytes[0])}; }, {0, 255}},
        {"movec: a pose", "get_arm_current_trajectory", reply(R"("type":"movec","data":[-1,0,0,0,0,-1,99])"), query, {0, 3, "-1e-06,0,0,0,0,-0.001,-99"}},
        {"none: joints", "get_arm_current_trajectory", reply(R"("type":"none","data":[1000,2000,3000,4000,5000,6500,7000])"), query, {0, 0, "1,2,3,4,5,6.5,-99"}},
        {"movej: data too short", "get_arm_current_trajectory", reply(R"("type":"movej","data":[1000,2000,3000,4000,5000])"), query, {11, 2, untouched}},
        {"type names are lower case", "get_arm_current_trajectory", reply(R"("type":"MOVEL","data":[1,2,3,4,5,6])"), query, {11, 2, untouched}},
        {"no type", "get_arm_current_trajectory", reply(R"("data":[1,2,3,4,5,6])"), query, {9, 2, untouched}},
        {"force data past the capacity", "get_force_data", data + "[1,2,3,4,5,6,7,8]}", six, {0, 0, "0.001,0.002,0.003,0.004,0.005,0.006|-99,-99"}},
        {"force data: fewer written", "get_force_data", data + "[2500.5]}", six, {0, 0, "2.5005,-99,-99,-99,-99,-99|-99,-99"}},
        {"set_state false", "get_Fz", R"({"state":"get_Fz","set_state":false,"Fz":-3.25})", fz, {9, kMark}},
        {"no Fz", "get_Fz", R"({"state":"get_Fz","set_state":true})", fz, {8, kMark}},
        {"Fz as text", "get_Fz", R"({"state":"get_Fz","set_state":true,"Fz":"-3"})", fz, {11, kMark}},
    });
}

TEST_F(Replies, SettingsStoreQueuedAtOnceBlockingOnlyWhenAccepted) {
    arx::kin::store_end_link_length(0.5f);
    fc.on("set_DH_data", R"({"command":"set_DH_data","set_state":false})");
    EXPECT_EQ(Set_DH_Data(h, 0, 0, 0, 0.2f, 0, true), 1);
    EXPECT_FLOAT_EQ(kin().end_link, 0.5f);
    fc.on("set_DH_data", R"({"command":"set_DH_data","set_state":true})");
    EXPECT_EQ(Set_DH_Data(h, 0, 0, 0, 0.2f, 0, true), 0);
    EXPECT_FLOAT_EQ(kin().end_link, 0.2f);

    setAngle(0, 0, 0);
    EXPECT_EQ(Set_Install_Pose(h, 0, 0, 90, false), 0);
    EXPECT_FLOAT_EQ(kin().install[2], radians(90));
    fc.on("set_install_pose", R"({"command":"set_install_pose","set_state":false})");
    EXPECT_EQ(Set_Install_Pose(h, 0, 0, 3, true), 1);
    EXPECT_FLOAT_EQ(kin().install[2], radians(90));
    fc.on("set_install_pose", R"({"command":"set_install_pose","set_state":true})");
    EXPECT_EQ(Set_Install_Pose(h, 180, -45, 2.5f, true), 0);
    EXPECT_FLOAT_EQ(kin().install[0], radians(180));
    EXPECT_FLOAT_EQ(kin().install[2], radians(2.5f));
}

// The fourth DH value becomes the kinematics' end link only when it reads as metres an arm can have (above 0, at most
// 1): a controller counting in a finer unit (1440 for a 144 mm link, read as 144) must not leave every later pose
// computation 144 m off. The outputs and the wire carry the value unchanged.
TEST_F(Replies, DHEndLinkTakenOnlyAsMetresAnArmCanHave) {
    const float zero[7] = {};
    setLwt(0);
    const float initial = kin().end_link;
    const Pose before = Forward_Kinematics(zero);
    struct Case {
        const char* what;
        std::function<int()> call;
        int output;      // Get: the fourth output in thousandths; Set: the result
        float end_link;  // what the kinematics hold afterwards
        std::string warning;  // the logged warning, if any
    };
    const auto not_metres = [](const char* value) {
        return "DH end link " + std::string(value) +
               " is not a length in metres an arm can have (above 0, at most 1): the kinematics keep their end link";
    };
    const auto get = [&](const char* fourth) {
        return [&, fourth] {
            fc.on("get_DH_data", std::string(R"({"state":"DH_data","data":[2405,0,2560,)") + fourth + ",0]}");
            const int rc = Get_DH_Data(h, &f[0], &f[1], &f[2], &f[3], &f[4]);
            return rc == 0 ? static_cast<int>(f[3] * 1000) : -rc;  // the output, in thousandths
        };
    };
    const Case cases[] = {
        {"1440 read back as 144", get("1440"), 144000, initial, not_metres("144")},
        {"0", get("0"), 0, initial, not_metres("0")},
        {"negative", get("-3"), -300, initial, not_metres("-0.3")},
        {"just over a metre", get("11"), 1100, initial, not_metres("1.1")},
        {"1.52: the integer part, 0.1 m", get("1.52"), 100, 0.1f},
        {"a metre", get("10"), 1000, 1.0f},
        {"set, queued: 0.152 m", [&] { return Set_DH_Data(h, 0, 0, 0, 0.152f, 0, false); }, 0, 0.152f},
        {"set, queued: 144 (mm) on the wire, kept", [&] { return Set_DH_Data(h, 0, 0, 0, 144, 0, false); }, 0, initial,
         not_metres("144")},
        {"set, queued: not a number, refused", [&] { return Set_DH_Data(h, 0, 0, 0, std::nanf(""), 0, false); },
         ARX_TYPE_ERROR, initial,
         "set_DH_data: refused before sending: 11 (a reply member has the wrong type or length, or an argument cannot be sent)"},
    };
    Arx_Set_Log_Handler(ARX_LOG_WARNING, arx::test::LogRecorder::handler);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setLwt(0);
        arx::test::LogRecorder::take();
        EXPECT_EQ(c.call(), c.output);
        EXPECT_FLOAT_EQ(kin().end_link, c.end_link);
        const Pose after = Forward_Kinematics(zero);
        if (c.end_link == initial) {
            EXPECT_EQ(std::memcmp(&after, &before, sizeof after), 0) << "forward kinematics changed";
        } else {  // the tool point moves along the flange axis by the change of length
            const float moved = std::hypot(after.x - before.x, after.y - before.y, after.z - before.z);
            EXPECT_NEAR(moved, std::fabs(c.end_link - initial), 1e-5f);
        }
        EXPECT_EQ(arx::test::logged(), c.warning.empty() ? "" : "2:" + c.warning + "\n");
    }
    Arx_Set_Log_Handler(ARX_LOG_DEBUG, nullptr);
    setLwt(0);
}

// A connection opened under ARM_MODEL_B carries seven joint values both ways; the count is fixed at connect time (an
// earlier six-joint connection keeps its count, a reused socket number finds the new connection's), and a handle the
// library does not know counts six whatever the model.
TEST_F(Replies, SevenJointConnection) {
    const SOCKHANDLE six = h;
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_B, nullptr), 0);
    EXPECT_EQ(arx::protocol::joints(123456), 6);
    h = arx::test::connect_to(fc);
    const float seven[7] = {1, 2, 3, 4, 5, 6, 7.5f};
    const float parm[14] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0.0125f, 14};
    expect_sends({
        {"dynamic parm: fourteen", [&] { return Set_Arm_Dynamic_Parm(h, parm, false); },
         R"({"command":"set_arm_dynamic_parm","parm":[1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,12.500000,14000]})"},
        {"movej", [&] { return Movej_Cmd(h, seven, 20, 0, false); },
         R"({"command":"movej","joint":[1000,2000,3000,4000,5000,6000,7500],"v":20,"r":0})"},
    });
    const std::string speeds = R"({"state":"joint_max_speed","joint_speed":[1000,2000,3000,4000,5000,6000,7000]})";
    const std::string untouched = "-99,-99,-99,-99,-99,-99,-99,-99";
    const auto speeds_of = [&](const SOCKHANDLE& s) { return [&] { return Got{Get_Joint_Speed(s, f), 0, list(f, 8)}; }; };
    expect_decodes({
        {"seven joints read", "get_joint_max_speed", speeds, speeds_of(h), {0, 0, "1,2,3,4,5,6,7,-99"}},
        {"the six-joint connection keeps its count", "get_joint_max_speed", speeds, speeds_of(six), {10, 0, untouched}},
    });
    const SOCKHANDLE seven_joints = h;
    Arm_Socket_Close(h);
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_C2, nullptr), 0);
    h = arx::test::connect_to(fc);
#ifndef _WIN32
    ASSERT_EQ(h, seven_joints);  // the host hands out the lowest free number
#endif
    expect_decodes({{"a reused number: the new six-joint connection", "get_joint_max_speed", speeds, speeds_of(h), {10, 0, untouched}}});
    Arm_Socket_Close(six);
}
