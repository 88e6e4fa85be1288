// Controller state, versions, runtime, odometry and communication settings.
#include "core/library.h"
#include "protocol/command.h"

using namespace arx::protocol;

namespace {

// "%d" of any 32-bit value and its terminator.
constexpr std::size_t kVersionTextCapacity = 12;

// The controller restarts its network side after a mode change; a blocking
// call gives it this long before returning.
constexpr int kHighSpeedEthSettleMs = 1000;

// Runtime and odometry replies carry either a "sys_state" text (the counters
// are unavailable: success, nothing written) or the values themselves.
Field StateOr(Field values) {
    return Field([values = std::move(values)](const cJSON* object) {
        if (const cJSON* state = member(object, "sys_state")) return cJSON_IsString(state) ? 0 : kWrongType;
        return values.read(object);
    });
}

}  // namespace

// ---- state and versions

int Get_Controller_State(SOCKHANDLE h, float* voltage, float* current, float* temperature, unsigned short* err_flag) {
    ARX_GUARD(h, Transfer, NotNull(voltage, current, temperature, err_flag), Pause);
    return Request("get_controller_state")
        .query(h, Kind::ControllerState, All(Scaled("voltage", voltage), Scaled("current", current), Scaled("temperature", temperature),
                          Integer("err_flag", err_flag)));
}

int Get_Arm_Software_Version(SOCKHANDLE h, char* plan, char* ctrl, char* kernel1, char* kernel2) {
    ARX_GUARD(h, Transfer, NotNull(plan, ctrl, kernel1, kernel2), Pause);
    return Request("get_arm_software_version")
        .query(h, Kind::ArmSoftwareVersion, All(IntegerText("Plan_version", plan, kVersionTextCapacity),
                          IntegerText("Ctrl_version", ctrl, kVersionTextCapacity),
                          IntegerText("Real-time_Kernal1", kernel1, kVersionTextCapacity),
                          IntegerText("Real-time_Kernal2", kernel2, kVersionTextCapacity)));
}

int Get_Tool_Software_Version(SOCKHANDLE h, int* version) {
    ARX_GUARD(h, Transfer, NotNull(version), Pause);
    return Request("get_tool_software_version").query(h, Kind::ToolSoftwareVersion, Integer("version", version));
}

int Get_Log_File(SOCKHANDLE h, bool block) {
    return bare_setting(h, block, "get_log_file", Kind::GetLogFile, "set_state");
}

// ---- runtime, odometry, system error

int Get_System_Runtime(SOCKHANDLE h, char* state, int* day, int* hour, int* min, int* sec) {
    ARX_GUARD(h, Transfer, NotNull(state, day, hour, min, sec), Pause);
    return Request("get_system_runtime")
        .query(h, Kind::GetSystemRuntime, StateOr(All(Integer("day", day), Integer("hour", hour), Integer("min", min),
                                  Integer("sec", sec))));
}

int Clear_System_Runtime(SOCKHANDLE h, bool block) {
    return bare_setting(h, block, "clear_system_runtime", Kind::ClearSystemRuntime, "clear_state");
}

int Get_Joint_Odom(SOCKHANDLE h, char* state, float* odom) {
    ARX_GUARD(h, Transfer, NotNull(state, odom), Pause);
    return Request("get_joint_odom").query(h, Kind::GetJointOdom, StateOr(JointArrayUpTo(h, "odom", odom, IntegerPart, ARX_TYPE_ERROR)));
}

int Clear_Joint_Odom(SOCKHANDLE h, bool block) {
    return bare_setting(h, block, "clear_joint_odom", Kind::ClearJointOdom, "clear_state");
}

int Clear_System_Err(SOCKHANDLE h, bool block) {
    return bare_setting(h, block, "clear_system_err", Kind::ClearSystemErr, "clear_state");
}

// ---- communication settings

int Set_High_Speed_Eth(SOCKHANDLE h, unsigned char mode, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    const int rc = Request("set_high_speed_eth").add("mode", Int(mode)).run(h, block, Kind::SetHighSpeedEth, Boolean("set_state"));
    if (block) arx::core::sleep_ms(kHighSpeedEthSettleMs);
    return rc;
}

// Send-only: sent on the calling thread, no reply awaited; whatever the
// controller answers matches no waiting call and is dropped.

int Set_WiFi_AP_Data(SOCKHANDLE h, const char* wifi_name, const char* password) {
    ARX_GUARD(h, Transfer, NotNull(wifi_name, password), Pause);
    return Request("set_wifi_ap").add("wifi_name", Text(wifi_name)).add("password", Text(password)).send(h);
}

int Set_WiFI_STA_Data(SOCKHANDLE h, const char* router_name, const char* password) {
    ARX_GUARD(h, Transfer, NotNull(router_name, password), Pause);
    return Request("set_wifi_sta").add("router_name", Text(router_name)).add("password", Text(password)).send(h);
}

int Set_USB_Data(SOCKHANDLE h, int baudrate) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_usb").add("baudrate", Int(baudrate)).send(h);
}

int Set_RS485(SOCKHANDLE h, int baudrate) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_RS485").add("baudrate", Int(baudrate)).send(h);
}

int Set_Ethernet(SOCKHANDLE h) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_ethernet").send(h);
}
