// Controller state, versions, runtime, odometry and network settings against
// the fake controller.
#include "support/fake_controller.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

using arx::test::ControllerTest;
using arx::test::FakeController;

namespace {

using Clock = std::chrono::steady_clock;

long long elapsed_ms(Clock::time_point since) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
}

}  // namespace

class ControllerCommands : public ControllerTest {};

TEST_F(ControllerCommands, SendOnlyLinesGoOutWithoutWaiting) {
    struct Case { const char* what; std::function<int()> call; const char* line; };
    const Case cases[] = {
        {"rs485", [&] { return Set_RS485(h, 115200); }, R"({"command":"set_RS485","baudrate":115200})"},
        {"usb", [&] { return Set_USB_Data(h, 9600); }, R"({"command":"set_usb","baudrate":9600})"},
        {"ethernet", [&] { return Set_Ethernet(h); }, R"({"command":"set_ethernet"})"},
        {"access point, quote escaped", [&] { return Set_WiFi_AP_Data(h, "arm-ap", "pa\"ss\\1"); },
         R"({"command":"set_wifi_ap","wifi_name":"arm-ap","password":"pa\"ss\\1"})"},
        {"client", [&] { return Set_WiFI_STA_Data(h, "router", "p\"w"); },
         R"({"command":"set_wifi_sta","router_name":"router","password":"p\"w"})"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fc.clear();
        const auto start = Clock::now();
        EXPECT_EQ(c.call(), 0);
        EXPECT_LT(elapsed_ms(start), 200);  // the 20 ms pause, no reply wait (the fake never answers)
        ASSERT_TRUE(fc.wait_lines(1));
        EXPECT_EQ(fc.raw_of(0), std::string(c.line) + "\r\n");
    }
    EXPECT_EQ(Set_WiFi_AP_Data(h, "ap", nullptr), 19);
    EXPECT_EQ(Set_WiFI_STA_Data(h, nullptr, "pw"), 19);
}

TEST_F(ControllerCommands, SettingsBothPaths) {
    struct Case { const char* command; const char* reply; std::function<int(bool)> call; const char* line; int rc; };
    const Case cases[] = {
        {"get_log_file", R"({"command":"get_log_file","set_state":true})", [&](bool b) { return Get_Log_File(h, b); },
         R"({"command":"get_log_file"})", 0},
        {"clear_system_runtime", R"({"command":"clear_system_runtime","clear_state":false})",
         [&](bool b) { return Clear_System_Runtime(h, b); }, R"({"command":"clear_system_runtime"})", 1},
        {"clear_joint_odom", R"({"command":"clear_joint_odom","clear_state":1})",
         [&](bool b) { return Clear_Joint_Odom(h, b); }, R"({"command":"clear_joint_odom"})", 11},
        {"clear_system_err", R"({"command":"clear_system_err","set_state":true})",
         [&](bool b) { return Clear_System_Err(h, b); }, R"({"command":"clear_system_err"})", 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        fc.on(c.command, c.reply);
        fc.clear();
        EXPECT_EQ(c.call(false), 0);
        EXPECT_EQ(c.call(true), c.rc);
        ASSERT_TRUE(fc.wait_lines(2));
        EXPECT_EQ(fc.raw_of(0), std::string(c.line) + "\r\n" + c.line + "\r\n");
    }
}

TEST_F(ControllerCommands, HighSpeedEthBlockingSettlesForOneSecond) {
    fc.on("set_high_speed_eth", R"({"command":"set_high_speed_eth","set_state":true})");
    auto start = Clock::now();
    EXPECT_EQ(Set_High_Speed_Eth(h, 1, true), 0);
    EXPECT_GE(elapsed_ms(start), 1000 + 20);
    EXPECT_EQ(fc.lines().back(), R"({"command":"set_high_speed_eth","mode":1})");
    start = Clock::now();
    EXPECT_EQ(Set_High_Speed_Eth(h, 0, false), 0);
    EXPECT_LT(elapsed_ms(start), 500);
}

TEST_F(ControllerCommands, ControllerState) {
    struct Case { const char* reply; int rc; float voltage; float temperature; unsigned short err; };
    const Case cases[] = {
        {R"({"state":"controller_state","voltage":24000,"current":1500,"temperature":36600,"err_flag":65537})", 0, 24.0f, 36.6f, 1},
        {R"({"state":"controller_state","voltage":"24","current":1500,"temperature":36600,"err_flag":1})", 11, -1, -1, 9},
        {R"({"state":"controller_state","voltage":24000,"current":1500,"temperature":[1],"err_flag":1})", 11, 24.0f, -1, 9},
        {R"({"state":"controller_state","voltage":24000,"current":1500,"temperature":36600})", 9, 24.0f, 36.6f, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        fc.on("get_controller_state", c.reply);
        float voltage = -1, current = -1, temperature = -1;
        unsigned short err = 9;
        EXPECT_EQ(Get_Controller_State(h, &voltage, &current, &temperature, &err), c.rc);
        EXPECT_FLOAT_EQ(voltage, c.voltage);
        EXPECT_FLOAT_EQ(temperature, c.temperature);
        EXPECT_EQ(err, c.err);
    }
    EXPECT_EQ(fc.lines().back(), R"({"command":"get_controller_state"})");
}

TEST_F(ControllerCommands, Versions) {
    struct Case { const char* reply; int rc; const char* plan; const char* kernel2; };
    const Case cases[] = {
        {R"({"state":"arm_software_version","Plan_version":1021,"Ctrl_version":-2147483648,"Real-time_Kernal1":7,"Real-time_Kernal2":2147483647})",
         0, "1021", "2147483647"},
        {R"({"state":"arm_software_version","plan_version":5,"Ctrl_version":"x","Real-time_Kernal1":7,"Real-time_Kernal2":8})", 11, "5", "-"},
        {R"({"state":"arm_software_version","Plan_version":5,"Ctrl_version":6,"Real-time_Kernal1":7})", 9, "5", "-"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        fc.on("get_arm_software_version", c.reply);
        char plan[12] = "-", ctrl[12] = "-", k1[12] = "-", k2[12] = "-";
        EXPECT_EQ(Get_Arm_Software_Version(h, plan, ctrl, k1, k2), c.rc);
        EXPECT_STREQ(plan, c.plan);
        EXPECT_STREQ(k2, c.kernel2);
        if (c.rc == 0) EXPECT_STREQ(ctrl, "-2147483648");
    }
    char buf[12];
    EXPECT_EQ(Get_Arm_Software_Version(h, buf, buf, buf, nullptr), 19);

    struct Tool { const char* reply; int rc; int version; };
    const Tool tools[] = {
        {R"({"state":"tool_software_version","version":260.9})", 0, 260},
        {R"({"state":"tool_software_version","version":"260"})", 11, -1},
        {R"({"state":"tool_software_version"})", 9, -1},
    };
    for (const Tool& t : tools) {
        SCOPED_TRACE(t.reply);
        fc.on("get_tool_software_version", t.reply);
        int version = -1;
        EXPECT_EQ(Get_Tool_Software_Version(h, &version), t.rc);
        EXPECT_EQ(version, t.version);
    }
}

TEST_F(ControllerCommands, RuntimeAndOdometry) {
    struct Runtime { const char* body; int rc; int day; int sec; };
    const Runtime runtimes[] = {
        {R"("day":3,"hour":4,"min":5,"sec":6)", 0, 3, 6},
        {R"("sys_state":"busy","day":3,"hour":4,"min":5,"sec":6)", 0, -1, -1},
        {R"("sys_state":1,"day":3)", 11, -1, -1},
        {R"("day":3,"hour":4,"min":5)", 9, 3, -1},
        {R"("day":3,"hour":"4","min":5,"sec":6)", 11, 3, -1},
    };
    for (const Runtime& r : runtimes) {
        SCOPED_TRACE(r.body);
        fc.on("get_system_runtime", std::string(R"({"command":"get_system_runtime",)") + r.body + "}");
        char state[16] = "untouched";
        int day = -1, hour = -1, min = -1, sec = -1;
        EXPECT_EQ(Get_System_Runtime(h, state, &day, &hour, &min, &sec), r.rc);
        EXPECT_EQ(day, r.day);
        EXPECT_EQ(sec, r.sec);
        EXPECT_STREQ(state, "untouched");
    }
    struct Odom { const char* body; int rc; float first; float second; float seventh; };
    const Odom odoms[] = {
        {R"("odom":[12,34])", 0, 12.0f, 34.0f, -1},
        {R"("odom":[12.9,1,2,3,4,5,6,7,8])", 0, 12.0f, 1.0f, -1},  // stops at the six joints
        {R"("sys_state":"idle","odom":[12,34])", 0, -1, -1, -1},
        {R"("sys_state":true)", 11, -1, -1, -1},
        {R"("odom":12)", 11, -1, -1, -1},
        {R"("state":1)", 9, -1, -1, -1},
    };
    for (const Odom& o : odoms) {
        SCOPED_TRACE(o.body);
        fc.on("get_joint_odom", std::string(R"({"command":"get_joint_odom",)") + o.body + "}");
        char state[16] = "untouched";
        float odom[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
        EXPECT_EQ(Get_Joint_Odom(h, state, odom), o.rc);
        EXPECT_FLOAT_EQ(odom[0], o.first);
        EXPECT_FLOAT_EQ(odom[1], o.second);
        EXPECT_FLOAT_EQ(odom[6], o.seventh);
        EXPECT_STREQ(state, "untouched");
    }
}

TEST_F(ControllerCommands, OdometryOnSevenJoints) {
    Arx_API_Init(ARM_MODEL_B, nullptr);
    FakeController arm7;
    const SOCKHANDLE h7 = arx::test::connect_to(arm7);
    ASSERT_NE(h7, ARX_START_FAILED_HANDLE);
    arm7.on("get_joint_odom", R"({"command":"get_joint_odom","odom":[1,2,3,4,5,6,7,8,9]})");
    char state[4];
    float odom[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    EXPECT_EQ(Get_Joint_Odom(h7, state, odom), 0);
    EXPECT_FLOAT_EQ(odom[6], 7.0f);
    EXPECT_FLOAT_EQ(odom[7], -1.0f);
    Arm_Socket_Close(h7);
}
