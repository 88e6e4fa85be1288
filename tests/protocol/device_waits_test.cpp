// How long the device commands wait: the arrival report of gripper and lift
// motions, the long calibration and mode waits, the Modbus settle pause; and
// what returns at once. Each row of the long waits is its own test, so
// parallel runs spread them.
#include "core/library.h"
#include "core/transfer_state.h"
#include "support/command_cases.h"

#include <atomic>
#include <chrono>
#include <thread>

using arx::test::ControllerTest;
using arx::test::ms_since;
using arx::test::Reply;

namespace {

struct WaitCase {
    const char* name;
    const char* command;  // answered with `reply`
    Reply reply;
    std::function<int(SOCKHANDLE)> call;
    int rc;
    long long min_ms, max_ms;  // how long the call takes
};

const std::string kArrivedFalse = R"({"state":"current_trajectory_state","trajectory_state":false})" "\r\n";
Reply late(const std::string& line, int delay_ms) { return Reply{{line + "\r\n"}, false, delay_ms}; }

const WaitCase kWaits[] = {
    // The gripper's acknowledgement completes nothing; its arrival report does.
    {"GripperAckThenArrival", "set_gripper_pick",
     Reply{{R"({"command":"set_gripper_pick","state":true})" "\r\n", kArrivedFalse}},
     [](SOCKHANDLE h) { return Set_Gripper_Pick(h, 500, 200, true); }, 1, 20, 500},
    {"GripperAckOnlyTimesOutAtThePlainLimit", "set_gripper_release",
     Reply{{R"({"command":"set_gripper_release","trajectory_state":true})" "\r\n"}},
     [](SOCKHANDLE h) { return Set_Gripper_Release(h, 500, true); }, 7, 3000, 3500},
    {"LiftArrivalBeyondThePlainLimit", "set_lift_height",
     late(R"({"state":"current_trajectory_state","trajectory_state":true})", 3500),
     [](SOCKHANDLE h) { return Set_Lift_Height(h, 100, 10, true); }, 0, 3500, 4000},
    {"ForceSensorCalibration", "set_force_sensor", late(R"({"command":"set_force_sensor","set_state":true})", 3500),
     [](SOCKHANDLE h) { return Set_Force_Sensor(h); }, 0, 3500, 4000},
    {"ManualForceCalibration", "manual_set_force_pose1", late(R"({"command":"set_force_sensor","set_state":true})", 3500),
     [](SOCKHANDLE h) { const float j[6] = {}; return Manual_Set_Force(h, 1, j); }, 0, 3500, 4000},
    {"AutoFzCalibration", "auto_set_Fz", late(R"({"command":"set_force_sensor","set_state":true})", 3500),
     [](SOCKHANDLE h) { return Auto_Set_Fz(h); }, 0, 3500, 4000},
    {"ManualFzHasThePlainLimit", "manual_set_Fz", late(R"({"command":"set_force_sensor","set_state":true})", 3500),
     [](SOCKHANDLE h) { const float j[7] = {}; return Manual_Set_Fz(h, j, j); }, 7, 3000, 3500},
    {"ForcePositionOn", "set_force_position", late(R"({"command":"set_force_position","set_state":true})", 3500),
     [](SOCKHANDLE h) { return Set_Force_Postion(h, 1, 0, 2, 5, 1); }, 0, 3500, 4000},
    // Blocking Modbus mode: returns no earlier than 2 s after the answer, and
    // waits for a late answer up to 5 s.
    {"ModbusModeSettles", "set_modbus_mode", late(R"({"command":"set_modbus_mode","set_state":false})", 100),
     [](SOCKHANDLE h) { return Set_Modbus_Mode(h, 1, 9600, 1, true); }, 1, 2100, 2600},
    {"ModbusModeLateAnswer", "set_modbus_mode", late(R"({"command":"set_modbus_mode","set_state":true})", 3500),
     [](SOCKHANDLE h) { return Set_Modbus_Mode(h, 1, 9600, 1, true); }, 0, 5500, 6000},
    {"ModbusModeQueuedDoesNotSettle", "set_modbus_mode", Reply{},
     [](SOCKHANDLE h) { return Set_Modbus_Mode(h, 1, 9600, 1, false); }, 0, 20, 200},
};

class DeviceWaits : public ControllerTest, public ::testing::WithParamInterface<WaitCase> {};

TEST_P(DeviceWaits, TakeTheirTime) {
    const WaitCase& c = GetParam();
    fc.on(c.command, c.reply);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(c.call(h), c.rc);
    const long long took = ms_since(start);
    EXPECT_GE(took, c.min_ms);
    EXPECT_LT(took, c.max_ms);
}

// A file download refuses every device command first, before its pause; the
// force-position set-points never pause at all.
TEST_F(ControllerTest, DeviceCommandsThatReturnAtOnce) {
    const float joint[7] = {};
    int i;
    struct Case { const char* what; std::function<int()> call; int rc; };
    const Case during_download[] = {
        {"gripper pick", [&] { return Set_Gripper_Pick(h, 1, 1, true); }, 18},
        {"IO type 9", [&] { return Set_IO_State(h, 9, 1, true, true); }, 18},
        {"null channel output", [&] { return Get_IO_State(h, 0, 1, nullptr); }, 18},
        {"pose set-point", [&] { return Force_Position_Move_POSE(h, POSE{}, 0, 0, 0, 1); }, 18},
        {"Modbus mode", [&] { return Set_Modbus_Mode(h, 1, 9600, 1, true); }, 18},
        {"car state", [&] { return Get_Car_State(h, &i, &i, &i, &i, &i, &i); }, 18},
        {"lift speed", [&] { return Set_Lift_Speed(h, 1); }, 18},
    };
    const Case set_points[] = {
        {"joint set-point", [&] { return Force_Position_Move_Joint(h, joint, 0, 0, 0, 1); }, 0},
        {"pose set-point", [&] { return Force_Position_Move_POSE(h, POSE{}, 0, 0, 0, 1); }, 0},
        {"tool voltage, null", [&] { return Get_Tool_Voltage(h, nullptr); }, 19},
    };
    ASSERT_TRUE(arx::core::claim_transfer(h));
    for (const Case& c : during_download) {
        SCOPED_TRACE(c.what);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(c.call(), c.rc);
        EXPECT_LT(ms_since(start), arx::core::kCommandPauseMs);
    }
    arx::core::release_transfer(h);
    for (const Case& c : set_points) {
        SCOPED_TRACE(c.what);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(c.call(), c.rc);
        EXPECT_LT(ms_since(start), arx::core::kCommandPauseMs);
    }
    ASSERT_TRUE(fc.wait_lines(2));
    EXPECT_EQ(fc.lines().size(), 2u);

    // Their two reports, so no set-point outlives the test.
    static std::atomic<int> reports{0};
    ASSERT_EQ(Arx_API_Init(ARM_MODEL_A, [](CallbackData) { ++reports; }), 0);
    fc.push_line(R"({"state":"Force_Position_State","joint":[0,0,0,0,0,0]})" "\r\n"
                 R"({"state":"Force_Position_State","joint":[0,0,0,0,0,0]})");
    for (int k = 0; k < 200 && reports < 2; ++k) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(reports, 2);
    Arx_API_Init(ARM_MODEL_A, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Devices, DeviceWaits, ::testing::ValuesIn(kWaits),
                         [](const ::testing::TestParamInfo<WaitCase>& info) { return std::string(info.param.name); });

}  // namespace
