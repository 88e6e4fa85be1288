// Sweep rows: controller state, versions, runtime, odometry and network settings.
#include "support/sweep.h"

namespace arx::test {
namespace {

int controller_state(SOCKHANDLE h) {
    float v[3];
    unsigned short err = 0;
    const int rc = Get_Controller_State(h, &v[0], &v[1], &v[2], &err);
    got(list(v, 3) + "|" + std::to_string(err));
    return rc;
}

int versions(SOCKHANDLE h) {
    char plan[12]{}, ctrl[12]{}, k1[12]{}, k2[12]{};
    const int rc = Get_Arm_Software_Version(h, plan, ctrl, k1, k2);
    got(std::string(plan) + "," + ctrl + "," + k1 + "," + k2);
    return rc;
}

int runtime(SOCKHANDLE h) {
    char state[4] = "##";
    int t[4] = {kUnset, kUnset, kUnset, kUnset};
    const int rc = Get_System_Runtime(h, state, &t[0], &t[1], &t[2], &t[3]);
    got(std::string(state) + "|" + list(t, 4));
    return rc;
}

int odometry(SOCKHANDLE h) {
    char state[4] = "##";
    float odom[7];
    const int rc = Get_Joint_Odom(h, state, unset(odom));
    got(std::string(state) + "|" + list(odom, 7));
    return rc;
}

// clang-format off
const SweepTable kController("controller", {
    {"Get_Controller_State", "", controller_state, R"({"command":"get_controller_state"})", R"({"state":"controller_state","voltage":24000,"current":1500,"temperature":36600,"err_flag":65537})", 0, "24,1.5,36.6|1"},
    {"Get_Controller_State", "not a number", controller_state, R"({"command":"get_controller_state"})", R"({"state":"controller_state","voltage":"24","current":1500,"temperature":36600,"err_flag":1})", ARX_TYPE_ERROR},
    {"Get_Arm_Software_Version", "", versions, R"({"command":"get_arm_software_version"})", R"({"state":"arm_software_version","Plan_version":1021,"Ctrl_version":-2147483648,"Real-time_Kernal1":7,"Real-time_Kernal2":2147483647})", 0, "1021,-2147483648,7,2147483647"},
    {"Get_Tool_Software_Version", "", [](SOCKHANDLE h) { int v = kUnset; int rc = Get_Tool_Software_Version(h, &v); got(std::to_string(v)); return rc; }, R"({"command":"get_tool_software_version"})", R"({"state":"tool_software_version","version":260})", 0, "260"},
    {"Get_Tool_Software_Version", "not a number", [](SOCKHANDLE h) { int v = kUnset; return Get_Tool_Software_Version(h, &v); }, R"({"command":"get_tool_software_version"})", R"({"state":"tool_software_version","version":"260"})", ARX_TYPE_ERROR},
    {ARX_CALL(Get_Log_File, "queued", false), R"({"command":"get_log_file"})"},
    {ARX_CALL(Get_Log_File, "blocking", true), R"({"command":"get_log_file"})", R"({"command":"get_log_file","set_state":true})"},
    {"Get_System_Runtime", "", runtime, R"({"command":"get_system_runtime"})", R"({"command":"get_system_runtime","day":3,"hour":4,"min":5,"sec":6})", 0, "##|3,4,5,6"},
    {"Get_System_Runtime", "sys_state text: nothing written", runtime, R"({"command":"get_system_runtime"})", R"({"command":"get_system_runtime","sys_state":"busy","day":3})", 0, "##|-99,-99,-99,-99"},
    {ARX_CALL(Clear_System_Runtime, "queued", false), R"({"command":"clear_system_runtime"})"},
    {ARX_CALL(Clear_System_Runtime, "blocking", true), R"({"command":"clear_system_runtime"})", R"({"command":"clear_system_runtime","clear_state":true})"},
    {"Get_Joint_Odom", "at most the joint count written", odometry, R"({"command":"get_joint_odom"})", R"({"command":"get_joint_odom","odom":[12.9,1,2,3,4,5,6,7]})", 0, "##|12,1,2,3,4,5,-99"},
    {ARX_CALL(Clear_Joint_Odom, "queued", false), R"({"command":"clear_joint_odom"})"},
    {ARX_CALL(Clear_Joint_Odom, "blocking, state not true/false", true), R"({"command":"clear_joint_odom"})", R"({"command":"clear_joint_odom","clear_state":1})", ARX_TYPE_ERROR},
    {ARX_CALL(Clear_System_Err, "queued", false), R"({"command":"clear_system_err"})"},
    {ARX_CALL(Clear_System_Err, "blocking", true), R"({"command":"clear_system_err"})", R"({"command":"clear_system_err","clear_state":true})"},
    {ARX_CALL(Set_High_Speed_Eth, "queued", 1, false), R"({"command":"set_high_speed_eth","mode":1})"},
    {ARX_CALL(Set_High_Speed_Eth, "blocking, returns 1 s after the reply", 0, true), R"({"command":"set_high_speed_eth","mode":0})", R"({"command":"set_high_speed_eth","set_state":true})"},
    {ARX_CALL(Set_WiFi_AP_Data, "send-only, text escaped", "arm-ap", "pa\"ss\\1"), R"({"command":"set_wifi_ap","wifi_name":"arm-ap","password":"pa\"ss\\1"})"},
    {ARX_CALL(Set_WiFI_STA_Data, "send-only", "lab", "secret"), R"({"command":"set_wifi_sta","router_name":"lab","password":"secret"})"},
    {ARX_CALL(Set_USB_Data, "send-only", 460800), R"({"command":"set_usb","baudrate":460800})"},
    {ARX_CALL(Set_RS485, "send-only", 115200), R"({"command":"set_RS485","baudrate":115200})"},
    {"Set_Ethernet", "send-only", [](SOCKHANDLE h) { return Set_Ethernet(h); }, R"({"command":"set_ethernet"})"},
});

}  // namespace
}  // namespace arx::test
