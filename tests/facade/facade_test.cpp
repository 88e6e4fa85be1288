// Arx_Service against the functions it forwards to: for a sample of every
// family, the method and the function, called alike on a connection to the
// fake controller, send the same bytes and return the same result and outputs.
#include "core/platform.h"
#include "core/transfer_state.h"
#include "support/command_cases.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>

using arx::test::FakeController;
using arx::test::list;

namespace {

std::string shown(const Pose& p) {
    char out[160];
    std::snprintf(out, sizeof out, "%.9g %.9g %.9g | %.9g %.9g %.9g %.9g | %.9g %.9g %.9g", p.x, p.y, p.z,
                  p.quaternion.w, p.quaternion.x, p.quaternion.y, p.quaternion.z, p.euler.rx, p.euler.ry, p.euler.rz);
    return out;
}
std::string shown(const Matrix& m) { return std::to_string(m.irow) + "x" + std::to_string(m.iline) + " " + list(&m.data[0][0], 16); }
std::string shown(int rc, const std::string& outputs) { return "rc " + std::to_string(rc) + " " + outputs; }

const float kJoints[7] = {10, -20, 30, 5, 60, -15, 0};

// One call written twice, through the function and the method: its result and the outputs `out` shows.
struct Pair {
    const char* what;
    std::string expected;  // the exact outcome, so that two equally wrong answers cannot pass
    std::function<std::string(SOCKHANDLE)> function, method;
    bool sends = true;
};
#define BOTH(what, expected, out, F, ...)                                                                   \
    what, expected, [&](SOCKHANDLE h) { mark(); const int rc = F(__VA_ARGS__); return shown(rc, out); }, \
        [&](SOCKHANDLE h) { mark(); const int rc = service.Service_##F(__VA_ARGS__); return shown(rc, out); }

class Facade : public arx::test::CommandTest {
protected:
    void mark() override {
        CommandTest::mark();
        std::memset(names, 0, sizeof names);
        byte = 99;
        ints[0] = ints[1] = ints[2] = -99;
    }
    Arx_Service service;
    FRAME_NAME names[ARX_FRAME_NAME_CAPACITY];
    unsigned char byte;
    int ints[3];
};

TEST_F(Facade, CommandsSendTheSameBytesAndReturnTheSameResults) {
    fc.on("get_joint_max_speed", R"({"state":"joint_max_speed","joint_speed":[1000,2500,0,0,0,-1]})");
    fc.on("get_arm_max_line_speed", R"({"state":"arm_max_line_speed","arm_line_speed":250})");
    fc.on("get_total_tool_frame", R"({"state":"total_tool_frame","tool_names":["tip","gripper","NULL"]})");
    fc.on("set_stop_teach", R"({"command":"set_stop_teach","stop_teach":true})");
    fc.on("set_gripper_route", R"({"command":"set_gripper_route","state":false})");
    fc.on("get_DO_state", R"({"state":"DO_state","IO_state":257})");
    fc.on("get_force_data", R"({"state":"get_force_data","force_data":[1500,-2000,0,10,20,30]})");
    fc.on("read_coils", R"({"command":"read_coils","state":"coils_data","read_state":true,"data":513})");
    fc.on("get_lift_state", R"({"state":"lift_state","height":620,"current":-12,"err_flag":0})");
    fc.on("get_current_joint_temperature", R"({"state":"current_joint_temperature","joint_temperature":[1,2,3,4,5,6]})");
    const std::vector<Pair> pairs = {
        {BOTH("state probe", "rc 0 ", "", Arm_Socket_State, h)},
        {BOTH("joint query", "rc 0 1,2.5,0,0,0,-0.001,-99", list(f, 7), Get_Joint_Speed, h, f)},
        {BOTH("arm limit query", "rc 0 0.25", list(f, 1), Get_Arm_Line_Speed, h, f)},
        {BOTH("frame list", "rc 0 2 tip/gripper", std::to_string(n) + " " + names[0].name + "/" + names[1].name,
              Get_All_Tool_Frame, h, names, &n)},
        {BOTH("telemetry", "rc 0 0.001,0.002,0.003,0.004,0.005,0.006,-99", list(f, 7), Get_Joint_Temperature, h, f)},
        {BOTH("send-only setting", "rc 0 ", "", Set_USB_Data, h, 115200)},
        {BOTH("queued move", "rc 0 ", "", Movej_Cmd, h, kJoints, 20, 0, false)},
        {BOTH("teaching", "rc 0 ", "", Teach_Stop_Cmd, h, true)},
        {BOTH("gripper answered false", "rc 1 ", "", Set_Gripper_Route, h, 10, 900, true)},
        {BOTH("IO", "rc 0 1", std::to_string(byte), Get_IO_State, h, 0, 3, &byte)},
        {BOTH("force", "rc 0 1.5,-2,0,0.01,0.02,0.03", list(f, 6), Get_Force_Data, h, f)},
        {BOTH("Modbus", "rc 0 513", std::to_string(n), Get_Read_Coils, h, 1, 10, 2, 1, &n)},
        {BOTH("lift", "rc 0 620,-12,0", list(ints, 3), Get_Lift_State, h, &ints[0], &ints[1], &ints[2])},
        {BOTH("null output: 19", "rc 19 ", "", Get_Joint_Degree, h, nullptr), false},
    };
    for (const Pair& p : pairs) {
        SCOPED_TRACE(p.what);
        std::string results[2], bytes[2];
        for (int i = 0; i < 2; ++i) {
            fc.clear();
            results[i] = (i ? p.method : p.function)(h);
            if (p.sends) EXPECT_TRUE(fc.wait_lines(1));
            bytes[i] = fc.raw_of(fc.connections() - 1);
        }
        EXPECT_EQ(results[0], p.expected);
        EXPECT_EQ(results[1], p.expected);
        EXPECT_EQ(bytes[1], bytes[0]);
        EXPECT_EQ(bytes[0].empty(), !p.sends) << bytes[0];
    }
}

TEST_F(Facade, FileTransferRefusesMethodsWith18LikeTheFunctions) {
    {
    const arx::core::TransferClaim transfer(h);  // as while a trajectory file travels on h
    ASSERT_TRUE(transfer);
    float v[7];
    EXPECT_EQ(service.Service_Get_Joint_Speed(h, v), ARX_FILE_TRANSFER_BUSY);
    EXPECT_EQ(service.Service_Set_Joint_Speed(h, 1, 1.0f, false), ARX_FILE_TRANSFER_BUSY);
    EXPECT_EQ(service.Service_Get_Joint_Speed(h, nullptr), ARX_FILE_TRANSFER_BUSY);  // 18 before 19
    EXPECT_EQ(Get_Joint_Speed(h, nullptr), ARX_FILE_TRANSFER_BUSY);
    EXPECT_EQ(service.Service_Arm_Socket_State(h), Arm_Socket_State(h));
    }
    arx::platform::sleep_ms(50);
    EXPECT_TRUE(fc.lines().empty());
}

TEST(FacadeLibrary, ConnectionMethodsMatchTheFunctions) {
    Arx_Service service;
    char ip[] = "127.0.0.1";
    EXPECT_EQ(service.Service_Arm_Socket_Start(ip, 1, 100), SOCKHANDLE{ARX_NOT_INITIALISED});  // before Init
    EXPECT_EQ(service.Service_Arx_API_Init(ARM_MODEL_B, nullptr), 0);
    EXPECT_EQ(service.Service_API_Version(), API_Version());
    // A port nobody listens on: refused, 5.
    int port = 0;
    arx::platform::close_socket(arx::platform::tcp_listen_loopback(&port));
    EXPECT_EQ(service.Service_Arm_Socket_Start(ip, port, 100), SOCKHANDLE{ARX_CONNECT_FAILED});
    FakeController fc;
    const SOCKHANDLE h = service.Service_Arm_Socket_Start(ip, fc.port(), 100);
    ASSERT_TRUE(h > 5 && h != ARX_START_FAILED_HANDLE) << h;
    ASSERT_TRUE(fc.wait_lines(3));  // the start-up queries went out through the method too
    EXPECT_EQ(service.Service_Arm_Socket_State(h), 0);
    service.Service_Arm_Socket_Close(h);
    EXPECT_TRUE(fc.wait_closed_by_library(0));
    EXPECT_EQ(service.Service_Arm_Socket_State(h), ARX_SEND_FAILED);
    EXPECT_EQ(service.Service_Arx_API_UnInit(), Arx_API_UnInit());
}

// One method of each shape; state set through the façade is the library's.
TEST(FacadeKinematics, MethodsReturnTheFunctionsRecords) {
    Arx_Service service;
    service.Service_Init_Sys_Data(ARM_MODEL_A);
    service.Service_SetAngle(0, 90, 0);
    EXPECT_EQ(shown(service.Service_Forward_Kinematics(kJoints)), shown(Forward_Kinematics(kJoints)));
    setAngle(0, 0, 0);
    service.Service_SetLwt(1);
    const Pose reached = service.Service_Forward_Kinematics(kJoints);
    EXPECT_EQ(shown(reached), shown(Forward_Kinematics(kJoints)));
    EXPECT_EQ(shown(service.Service_Pos2matrix(reached)), shown(pos2matrix(reached)));

    float fn[7] = {}, method[7] = {};
    const float near[7] = {11, -19, 29, 6, 59, -14, 0};
    EXPECT_EQ(inverse_kinematics(near, &reached, fn, 1), 1);
    EXPECT_EQ(service.Service_Inverse_Kinematics(near, &reached, method, 1), 1);
    EXPECT_EQ(list(method, 6), list(fn, 6));
    EXPECT_EQ(service.Service_Inverse_Kinematics(near, nullptr, method, 0), ARX_NULL_POINTER);

    // The whole-number distance: 2^24 + 1 rounds to 2^24 as a float, as a direct call would.
    service.Service_Init_Sys_Data(ARM_MODEL_C1);
    for (int32_t dx : {-2, 16777217})
        EXPECT_EQ(shown(service.Service_Cartesian_Tool(kJoints, dx, 0.1f, -0.2f, 0)),
                  shown(Cartesian_Tool(kJoints, static_cast<float>(dx), 0.1f, -0.2f, 0)))
            << dx;
}

TEST(FacadeThreads, TwoInstancesOnTwoThreadsEachGetTheirOwnReplies) {
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, nullptr), 0);
    FakeController first, second;
    first.on("get_joint_max_speed", R"({"state":"joint_max_speed","joint_speed":[1000,1000,1000,1000,1000,1000]})");
    second.on("get_joint_max_speed", R"({"state":"joint_max_speed","joint_speed":[2000,2000,2000,2000,2000,2000]})");
    const SOCKHANDLE a = arx::test::connect_to(first), b = arx::test::connect_to(second);
    ASSERT_TRUE(a > 5 && b > 5 && a != ARX_START_FAILED_HANDLE && b != ARX_START_FAILED_HANDLE);
    constexpr int kCalls = 15;
    std::atomic<int> right{0};
    auto run = [&right](SOCKHANDLE h, float expected) {
        Arx_Service service;  // its own instance on its own thread
        for (int i = 0; i < kCalls; ++i) {
            float v[7] = {};
            if (service.Service_Get_Joint_Speed(h, v) == 0 && v[0] == expected && v[5] == expected) ++right;
        }
    };
    std::thread one(run, a, 1.0f), two(run, b, 2.0f);
    one.join();
    two.join();
    EXPECT_EQ(right.load(), 2 * kCalls);
    Arm_Socket_Close(a);
    Arm_Socket_Close(b);
}

}  // namespace
