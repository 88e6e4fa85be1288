// Controller state, versions, runtime, odometry and network settings against
// the fake controller: send-only settings that never wait, the one-second
// settling, and replies that are refused or partly written.
#include "support/command_cases.h"

#include <chrono>

using arx::test::CommandTest;
using arx::test::Got;
using arx::test::list;
using arx::test::ms_since;

class ControllerCommands : public CommandTest {};

TEST_F(ControllerCommands, SendExactRequestBytes) {
    const auto start = std::chrono::steady_clock::now();
    expect_sends({
        // Send-only: the fake never answers, so these must not wait.
        {"access point, quote escaped", [&] { return Set_WiFi_AP_Data(h, "arm-ap", "pa\"ss\\1"); },
         R"({"command":"set_wifi_ap","wifi_name":"arm-ap","password":"pa\"ss\\1"})"},
        {"clear odometry blocking", [&] { return Clear_Joint_Odom(h, true); }, R"({"command":"clear_joint_odom"})", 11,
         R"({"command":"clear_joint_odom","clear_state":1})"},
    });
    EXPECT_LT(ms_since(start), 500);
}

TEST_F(ControllerCommands, HighSpeedEthBlockingSettlesForOneSecond) {
    fc.on("set_high_speed_eth", R"({"command":"set_high_speed_eth","set_state":true})");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Set_High_Speed_Eth(h, 1, true), 0);
    EXPECT_GE(ms_since(start), 1000 + 20);
    EXPECT_EQ(fc.lines().back(), R"({"command":"set_high_speed_eth","mode":1})");
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(Set_High_Speed_Eth(h, 0, false), 0);
    EXPECT_LT(ms_since(start), 500);
}

TEST_F(ControllerCommands, QueriesDecode) {
    float v[4];
    unsigned short err;
    // voltage,current,temperature|error flag
    const auto state = [&] {
        std::fill(v, v + 4, kMark);
        err = 9;
        const int rc = Get_Controller_State(h, &v[0], &v[1], &v[2], &err);
        return Got{rc, double(err), list(v, 3)};
    };
    const auto runtime = [&] {
        int t[4] = {-1, -1, -1, -1};
        const int rc = Get_System_Runtime(h, text[0], &t[0], &t[1], &t[2], &t[3]);
        return Got{rc, 0, std::string(text[0], 3) + "|" + list(t, 4)};
    };
    const auto odom = [&] { return Got{Get_Joint_Odom(h, text[0], f), 0, std::string(text[0], 3) + "|" + list(f, 7)}; };
    expect_decodes({
        {"voltage as text", "get_controller_state", R"({"state":"controller_state","voltage":"24","current":1500,"temperature":36600,"err_flag":1})",
         state, {11, 9, "-99,-99,-99"}},
        {"tool version as text", "get_tool_software_version", R"({"state":"tool_software_version","version":"260"})",
         [&] { return Got{Get_Tool_Software_Version(h, &n), double(n)}; }, {11, -99}},
        {"sys_state of another type", "get_system_runtime", R"({"command":"get_system_runtime","sys_state":1,"day":3})", runtime, {11, 0, "###|-1,-1,-1,-1"}},
        {"runtime without sec", "get_system_runtime", R"({"command":"get_system_runtime","day":3,"hour":4,"min":5})", runtime, {9, 0, "###|3,4,5,-1"}},
        {"odometry shorter than the joint count", "get_joint_odom", R"({"command":"get_joint_odom","odom":[12,34]})", odom, {0, 0, "###|12,34,-99,-99,-99,-99,-99"}},
        {"no odometry array", "get_joint_odom", R"({"command":"get_joint_odom","state":1})", odom, {9, 0, "###|-99,-99,-99,-99,-99,-99,-99"}},
    });
}
