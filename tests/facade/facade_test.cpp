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
std::string shown(const ort& q) { return list(&q.w, 4); }
std::string shown(const eul& e) { return list(&e.rx, 3); }
std::string shown(int rc, const std::string& outputs = "") { return "rc " + std::to_string(rc) + " " + outputs; }

const Pose kPose{0.3f, -0.1f, 0.4f, {1, 0, 0, 0}, {0.1f, 0.2f, -0.3f}};
const float kJoints[7] = {10, -20, 30, 5, 60, -15, 0};

// One call written twice: through the function and through the method. Both
// return the call's result and outputs as text.
struct Pair {
    const char* what;
    std::function<std::string(SOCKHANDLE)> function, method;
    std::string expected;  // the exact outcome, so that two equally wrong answers cannot pass
    bool sends = true;
};

class Facade : public arx::test::CommandTest {
protected:
    struct Outcome {
        std::string result;
        std::string bytes;
    };
    Outcome observe(const Pair& p, const std::function<std::string(SOCKHANDLE)>& call) {
        fc.clear();
        Outcome o{call(h), ""};
        if (p.sends) EXPECT_TRUE(fc.wait_lines(1));
        o.bytes = fc.raw_of(fc.connections() - 1);
        return o;
    }
    void expect_same(const std::vector<Pair>& pairs) {
        for (const Pair& p : pairs) {
            SCOPED_TRACE(p.what);
            const Outcome f = observe(p, p.function);
            const Outcome m = observe(p, p.method);
            EXPECT_EQ(f.result, p.expected);
            EXPECT_EQ(m.result, f.result);
            EXPECT_EQ(m.bytes, f.bytes);
            EXPECT_EQ(f.bytes.empty(), !p.sends) << f.bytes;
        }
    }
    Arx_Service service;
};

TEST_F(Facade, CommandsSendTheSameBytesAndReturnTheSameResults) {
    fc.on("get_joint_max_speed", R"({"state":"joint_max_speed","joint_speed":[1000,2500,0,0,0,-1]})");
    fc.on("set_joint_max_speed", R"({"command":"set_joint_max_speed","joint_max_speed":false})");
    fc.on("get_arm_max_line_speed", R"({"state":"arm_max_line_speed","arm_line_speed":250})");
    fc.on("get_total_tool_frame", R"({"state":"total_tool_frame","tool_names":["tip","gripper","NULL"]})");
    fc.on("set_stop_teach", R"({"command":"set_stop_teach","stop_teach":true})");
    fc.on("set_gripper_route", R"({"command":"set_gripper_route","state":false})");
    fc.on("get_DO_state", R"({"state":"DO_state","IO_state":257})");
    fc.on("get_force_data", R"({"state":"get_force_data","force_data":[1500,-2000,0,10,20,30]})");
    fc.on("read_coils", R"({"command":"read_coils","state":"coils_data","read_state":true,"data":513})");
    fc.on("get_lift_state", R"({"state":"lift_state","height":620,"current":-12,"err_flag":0})");
    fc.on("get_current_joint_temperature", R"({"state":"current_joint_temperature","joint_temperature":[1,2,3,4,5,6]})");
    auto joint_speed = [this](auto get) {
        return [this, get](SOCKHANDLE h) {
            mark();
            const int rc = get(h, f);
            return shown(rc, list(f, 7));
        };
    };
    const std::vector<Pair> pairs = {
        {"state probe", [](SOCKHANDLE h) { return shown(Arm_Socket_State(h)); },
         [this](SOCKHANDLE h) { return shown(service.Service_Arm_Socket_State(h)); }, "rc 0 "},
        {"state probe of handle 0", [](SOCKHANDLE) { return shown(Arm_Socket_State(0)); },
         [this](SOCKHANDLE) { return shown(service.Service_Arm_Socket_State(0)); }, "rc 5 ", false},
        {"blocking setter answered false", [](SOCKHANDLE h) { return shown(Set_Joint_Speed(h, 2, 1.5f, true)); },
         [this](SOCKHANDLE h) { return shown(service.Service_Set_Joint_Speed(h, 2, 1.5f, true)); }, "rc 1 "},
        {"queued setter", [](SOCKHANDLE h) { return shown(Set_Joint_Acc(h, 3, 2.25f, false)); },
         [this](SOCKHANDLE h) { return shown(service.Service_Set_Joint_Acc(h, 3, 2.25f, false)); }, "rc 0 "},
        {"joint query", joint_speed([](SOCKHANDLE h, float* v) { return Get_Joint_Speed(h, v); }),
         joint_speed([this](SOCKHANDLE h, float* v) { return service.Service_Get_Joint_Speed(h, v); }),
         "rc 0 1,2.5,0,0,0,-0.001,-99"},
        {"arm limit query", [](SOCKHANDLE h) { float v = -1; int rc = Get_Arm_Line_Speed(h, &v); return shown(rc, std::to_string(v)); },
         [this](SOCKHANDLE h) { float v = -1; int rc = service.Service_Get_Arm_Line_Speed(h, &v); return shown(rc, std::to_string(v)); },
         "rc 0 0.250000"},
        {"frame list", [](SOCKHANDLE h) { FRAME_NAME n[ARX_FRAME_NAME_CAPACITY] = {}; int c = -1; int rc = Get_All_Tool_Frame(h, n, &c);
                                          return shown(rc, std::to_string(c) + n[0].name + "/" + n[1].name); },
         [this](SOCKHANDLE h) { FRAME_NAME n[ARX_FRAME_NAME_CAPACITY] = {}; int c = -1; int rc = service.Service_Get_All_Tool_Frame(h, n, &c);
                                return shown(rc, std::to_string(c) + n[0].name + "/" + n[1].name); },
         "rc 0 2tip/gripper"},
        {"telemetry", joint_speed([](SOCKHANDLE h, float* v) { return Get_Joint_Temperature(h, v); }),
         joint_speed([this](SOCKHANDLE h, float* v) { return service.Service_Get_Joint_Temperature(h, v); }),
         "rc 0 0.001,0.002,0.003,0.004,0.005,0.006,-99"},
        {"send-only setting", [](SOCKHANDLE h) { return shown(Set_USB_Data(h, 115200)); },
         [this](SOCKHANDLE h) { return shown(service.Service_Set_USB_Data(h, 115200)); }, "rc 0 "},
        {"queued move", [](SOCKHANDLE h) { return shown(Movej_Cmd(h, kJoints, 20, 0, false)); },
         [this](SOCKHANDLE h) { return shown(service.Service_Movej_Cmd(h, kJoints, 20, 0, false)); }, "rc 0 "},
        {"teaching", [](SOCKHANDLE h) { return shown(Teach_Stop_Cmd(h, true)); },
         [this](SOCKHANDLE h) { return shown(service.Service_Teach_Stop_Cmd(h, true)); }, "rc 0 "},
        {"gripper answered false", [](SOCKHANDLE h) { return shown(Set_Gripper_Route(h, 10, 900, true)); },
         [this](SOCKHANDLE h) { return shown(service.Service_Set_Gripper_Route(h, 10, 900, true)); }, "rc 1 "},
        {"IO", [](SOCKHANDLE h) { unsigned char v = 99; int rc = Get_IO_State(h, 0, 3, &v); return shown(rc, std::to_string(v)); },
         [this](SOCKHANDLE h) { unsigned char v = 99; int rc = service.Service_Get_IO_State(h, 0, 3, &v); return shown(rc, std::to_string(v)); },
         "rc 0 1"},
        {"force", [](SOCKHANDLE h) { float v[ARX_FORCE_DATA_CAPACITY] = {}; int rc = Get_Force_Data(h, v); return shown(rc, list(v, 6)); },
         [this](SOCKHANDLE h) { float v[ARX_FORCE_DATA_CAPACITY] = {}; int rc = service.Service_Get_Force_Data(h, v); return shown(rc, list(v, 6)); },
         "rc 0 1.5,-2,0,0.01,0.02,0.03"},
        {"Modbus", [](SOCKHANDLE h) { int v = -99; int rc = Get_Read_Coils(h, 1, 10, 2, 1, &v); return shown(rc, std::to_string(v)); },
         [this](SOCKHANDLE h) { int v = -99; int rc = service.Service_Get_Read_Coils(h, 1, 10, 2, 1, &v); return shown(rc, std::to_string(v)); },
         "rc 0 513"},
        {"lift", [](SOCKHANDLE h) { int v[3] = {-99, -99, -99}; int rc = Get_Lift_State(h, &v[0], &v[1], &v[2]); return shown(rc, list(v, 3)); },
         [this](SOCKHANDLE h) { int v[3] = {-99, -99, -99}; int rc = service.Service_Get_Lift_State(h, &v[0], &v[1], &v[2]); return shown(rc, list(v, 3)); },
         "rc 0 620,-12,0"},
        {"null output: 19", [](SOCKHANDLE h) { return shown(Get_Joint_Degree(h, nullptr)); },
         [this](SOCKHANDLE h) { return shown(service.Service_Get_Joint_Degree(h, nullptr)); }, "rc 19 ", false},
        {"null name: 19", [](SOCKHANDLE h) { return shown(Delete_Tool_Frame(h, nullptr, true)); },
         [this](SOCKHANDLE h) { return shown(service.Service_Delete_Tool_Frame(h, nullptr, true)); }, "rc 19 ", false},
    };
    expect_same(pairs);
}

TEST_F(Facade, FileTransferRefusesMethodsWith18LikeTheFunctions) {
    ASSERT_TRUE(arx::core::claim_transfer(h));  // as while a trajectory file travels on h
    float v[7];
    EXPECT_EQ(service.Service_Get_Joint_Speed(h, v), ARX_FILE_TRANSFER_BUSY);
    EXPECT_EQ(service.Service_Set_Joint_Speed(h, 1, 1.0f, false), ARX_FILE_TRANSFER_BUSY);
    EXPECT_EQ(service.Service_Get_Joint_Speed(h, nullptr), ARX_FILE_TRANSFER_BUSY);  // 18 before 19
    EXPECT_EQ(Get_Joint_Speed(h, nullptr), ARX_FILE_TRANSFER_BUSY);
    EXPECT_EQ(service.Service_Arm_Socket_State(h), Arm_Socket_State(h));
    arx::core::release_transfer(h);
    arx::platform::sleep_ms(50);
    EXPECT_TRUE(fc.lines().empty());
}

TEST(FacadeLibrary, ConnectionMethodsMatchTheFunctions) {
    Arx_Service service;
    char ip[] = "127.0.0.1";
    // Before initialisation: 2 at once, from both.
    EXPECT_EQ(service.Service_Arm_Socket_Start(ip, 1, 100), SOCKHANDLE{ARX_NOT_INITIALISED});
    EXPECT_EQ(Arm_Socket_Start(ip, 1, 100), SOCKHANDLE{ARX_NOT_INITIALISED});
    EXPECT_EQ(service.Service_Arx_API_Init(ARM_MODEL_B, nullptr), 0);
    EXPECT_STREQ(service.Service_API_Version(), "4.0.6");
    EXPECT_EQ(service.Service_API_Version(), API_Version());
    // A port nobody listens on: refused, 5.
    int port = 0;
    const arx::platform::Socket listener = arx::platform::tcp_listen_loopback(&port);
    arx::platform::close_socket(listener);
    EXPECT_EQ(service.Service_Arm_Socket_Start(ip, port, 100), SOCKHANDLE{ARX_CONNECT_FAILED});
    FakeController fc;
    const SOCKHANDLE h = service.Service_Arm_Socket_Start(ip, fc.port(), 100);
    ASSERT_GT(h, SOCKHANDLE{5});
    ASSERT_NE(h, ARX_START_FAILED_HANDLE);
    ASSERT_TRUE(fc.wait_lines(3));  // the start-up queries went out through the method too
    EXPECT_EQ(service.Service_Arm_Socket_State(h), 0);
    service.Service_Arm_Socket_Close(h);
    EXPECT_TRUE(fc.wait_closed_by_library(0));
    EXPECT_EQ(service.Service_Arm_Socket_State(h), ARX_SEND_FAILED);
    EXPECT_EQ(service.Service_Arx_API_UnInit(), Arx_API_UnInit());
}

TEST(FacadeKinematics, MethodsReturnTheFunctionsRecords) {
    Arx_Service service;
    service.Service_Init_Sys_Data(ARM_MODEL_A);
    service.Service_SetAngle(0, 90, 0);  // state set through the façade is the library's
    EXPECT_EQ(shown(service.Service_Forward_Kinematics(kJoints)), shown(Forward_Kinematics(kJoints)));
    setAngle(0, 0, 0);
    service.Service_SetLwt(1);
    const Pose reached = service.Service_Forward_Kinematics(kJoints);
    EXPECT_EQ(shown(reached), shown(Forward_Kinematics(kJoints)));

    float fn[7] = {}, method[7] = {};
    const float near[7] = {11, -19, 29, 6, 59, -14, 0};
    const int rc = inverse_kinematics(near, &reached, fn, 1);
    EXPECT_EQ(service.Service_Inverse_Kinematics(near, &reached, method, 1), rc);
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(list(method, 6), list(fn, 6));
    EXPECT_EQ(service.Service_Inverse_Kinematics(near, nullptr, method, 0), ARX_NULL_POINTER);

    const eul e{0.1f, -0.2f, 0.3f};
    const Matrix m = pos2matrix(kPose);
    EXPECT_EQ(shown(service.Service_Pos2matrix(kPose)), shown(m));
    EXPECT_EQ(shown(service.Service_Matrix2pos(m)), shown(matrix2pos(m)));
    EXPECT_EQ(shown(service.Service_Euler2matrix(e)), shown(euler2matrix(e)));
    EXPECT_EQ(shown(service.Service_Euler2quaternion(e)), shown(euler2quaternion(e)));
    EXPECT_EQ(shown(service.Service_Quaternion2euler(kPose.quaternion)), shown(quaternion2euler(kPose.quaternion)));
    EXPECT_EQ(shown(service.Service_Base_To_WorkFrame(m, reached)), shown(Base_To_WorkFrame(m, reached)));
    EXPECT_EQ(shown(service.Service_WorkFrame_To_Base(m, reached)), shown(WorkFrame_To_Base(m, reached)));
    EXPECT_EQ(shown(service.Service_End2tool(reached, kPose, kPose)), shown(end2tool(reached, kPose, kPose)));
    EXPECT_EQ(shown(service.Service_Tool2end(reached, kPose, kPose)), shown(tool2end(reached, kPose, kPose)));
    EXPECT_EQ(shown(service.Service_RotateMove(kJoints, 2, 0.2f, kPose)), shown(RotateMove(kJoints, 2, 0.2f, kPose)));
}

TEST(FacadeKinematics, CartesianToolTakesAWholeNumberDistance) {
    Arx_Service service;
    service.Service_Init_Sys_Data(ARM_MODEL_C1);
    for (int32_t dx : {0, 1, -2, 3, 16777217}) {  // 2^24 + 1 rounds to 2^24 as a float, as a direct call would
        SCOPED_TRACE(dx);
        EXPECT_EQ(shown(service.Service_Cartesian_Tool(kJoints, dx, 0.1f, -0.2f, 0)),
                  shown(Cartesian_Tool(kJoints, static_cast<float>(dx), 0.1f, -0.2f, 0)));
    }
    EXPECT_NE(shown(service.Service_Cartesian_Tool(kJoints, 1, 0, 0, 0)), shown(service.Service_Cartesian_Tool(kJoints, 0, 0, 0, 0)));
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
