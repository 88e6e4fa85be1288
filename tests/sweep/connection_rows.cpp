// Sweep rows: the library and connection exports. The rows run on a library
// initialised with ARM_MODEL_A and connected to the fake controller; a row
// that releases or re-initialises the library restores that state.
#include "arx_version.h"
#include "support/sweep.h"

namespace arx::test {
namespace {

// The three queries every connection start-up sends, in order.
#define ARX_STARTUP_LINES \
    R"({"command":"get_current_tool_frame"})" "\r\n" R"({"command":"get_current_work_frame"})" "\r\n" R"({"command":"get_install_pose"})"

const char kLoopback[] = "127.0.0.1";

SOCKHANDLE open_second() { return Arm_Socket_Start(kLoopback, controller_port(), 100); }

// The lines a handler received, "level:text" joined by "|".
std::string g_log;
void keep_line(int level, const char* text) { g_log += (g_log.empty() ? "" : "|") + std::to_string(level) + ":" + text; }

// A refused call with the handler at warning level; the log is off again afterwards.
int refused_with_log() {
    g_log.clear();
    Arx_Set_Log_Handler(ARX_LOG_WARNING, keep_line);
    const int rc = Set_Joint_Speed(0, 1, 1.0f, false);
    Arx_Set_Log_Handler(ARX_LOG_DEBUG, nullptr);
    got(g_log);
    return rc;
}

// clang-format off
const SweepTable kConnection("connection", {
    {"API_Version", "", [](SOCKHANDLE) { got(API_Version()); return 0; }, nullptr, nullptr, 0, ARX_VERSION_STRING},
    {"Arx_API_Init", "again, same model", [](SOCKHANDLE) { return Arx_API_Init(ARM_MODEL_A, nullptr); }},
    {"Arx_API_UnInit", "a queued command then drops its line", [](SOCKHANDLE h) { const int rc = Arx_API_UnInit(); got(std::to_string(Set_Joint_Speed(h, 1, 0.5f, false))); Arx_API_Init(ARM_MODEL_A, nullptr); return rc; }, nullptr, nullptr, 1, "0"},
    {"Arm_Socket_State", "the write probe", [](SOCKHANDLE h) { return Arm_Socket_State(h); }, R"({"command":"get_joint_max_speed"})"},
    {"Arm_Socket_State", "handle 0", [](SOCKHANDLE) { return Arm_Socket_State(0); }, nullptr, nullptr, ARX_CONNECT_FAILED},
    {"Arm_Socket_Start", "a second connection loads the frames", [](SOCKHANDLE) { const SOCKHANDLE s = open_second(); got(ARX_HANDLE_IS_VALID(s) ? "handle" : std::to_string(s)); Arm_Socket_Close(s); return 0; }, ARX_STARTUP_LINES, nullptr, 0, "handle"},
    {"Arm_Socket_Start", "unsupported model", [](SOCKHANDLE) { Arx_API_Init(99, nullptr); const SOCKHANDLE s = open_second(); Arx_API_Init(ARM_MODEL_A, nullptr); return static_cast<int>(s); }, nullptr, nullptr, ARX_NOT_INITIALISED},
    {"Arm_Socket_Close", "a closed handle is no longer written to", [](SOCKHANDLE) { const SOCKHANDLE s = open_second(); Arm_Socket_Close(s); got(std::to_string(Arm_Socket_State(s))); return 0; }, ARX_STARTUP_LINES, nullptr, 0, "6"},
    {"Arm_Socket_Close", "handle 0 is ignored", [](SOCKHANDLE) { Arm_Socket_Close(0); return 0; }},
    {"Arm_Socket_Start", "nothing listens: a failure, not a handle", [](SOCKHANDLE) { const SOCKHANDLE s = Arm_Socket_Start(kLoopback, 1, 100); got(Arx_Result_Text(static_cast<int>(s))); return ARX_HANDLE_IS_VALID(s) ? 1 : 0; }, nullptr, nullptr, 0, "the connection failed, or the handle is 0"},
    {"Arx_Set_Log_Handler", "a refused call, warning", [](SOCKHANDLE) { return refused_with_log(); }, nullptr, nullptr, ARX_CONNECT_FAILED, "2:Set_Joint_Speed: refused before sending: 5 (the connection failed, or the handle is 0)"},
    {"Arx_Result_Text", "", [](SOCKHANDLE) { got(Arx_Result_Text(ARX_REPLY_TIMEOUT)); return 0; }, nullptr, nullptr, 0, "no reply in time"},
    {"Arx_Result_Text", "start-up failed handle", [](SOCKHANDLE) { got(Arx_Result_Text(static_cast<int>(ARX_START_FAILED_HANDLE))); return 0; }, nullptr, nullptr, 0, "connected, but a start-up frame query failed; the connection is closed"},
    {"Arx_Result_Text", "unknown", [](SOCKHANDLE) { got(Arx_Result_Text(3)); return 0; }, nullptr, nullptr, 0, "unknown result code"},
});

}  // namespace
}  // namespace arx::test
