// Sweep rows: controller and tool IO.
#include "support/sweep.h"

namespace arx::test {
namespace {

// clang-format off
const SweepTable kIO("io", {
    {ARX_CALL(Set_IO_State, "digital, queued", 0, 2, true, false), R"({"command":"set_DO_state","IO_Num":2,"state":1})"},
    {ARX_CALL(Set_IO_State, "digital, blocking", 0, 2, false, true), R"({"command":"set_DO_state","IO_Num":2,"state":0})", R"({"command":"set_DO_state","state":true})"},
    {ARX_CALL(Set_IO_State, "analog, blocking", 1, 1, true, true), R"({"command":"set_AO_state","IO_Num":1,"voltage":1000})", R"({"command":"set_AO_state","state":false})", 1},
    {ARX_CALL(Set_IO_State, "type 2", 2, 1, true, true), nullptr, nullptr, 11},
    {"Get_IO_State", "digital output", [](SOCKHANDLE h) { unsigned char s = 99; int rc = Get_IO_State(h, 0, 3, &s); got(list(&s, 1)); return rc; }, R"({"command":"get_DO_state","IO_Num":3})", R"({"state":"DO_state","IO_state":257})", 0, "1"},
    {"Get_IO_State", "digital input", [](SOCKHANDLE h) { unsigned char s = 99; int rc = Get_IO_State(h, 1, 0, &s); got(list(&s, 1)); return rc; }, R"({"command":"get_DI_state","IO_Num":0})", R"({"state":"DI_state","IO_state":0})", 0, "0"},
    {"Get_IO_State", "analog output", [](SOCKHANDLE h) { unsigned char s = 99; int rc = Get_IO_State(h, 2, 1, &s); got(list(&s, 1)); return rc; }, R"({"command":"get_AO_state","IO_Num":1})", R"({"state":"AO_state","voltage":9999})", 0, "9"},
    {"Get_IO_State", "analog input", [](SOCKHANDLE h) { unsigned char s = 99; int rc = Get_IO_State(h, 3, 4, &s); got(list(&s, 1)); return rc; }, R"({"command":"get_AI_state","IO_Num":4})", R"({"state":"AI_state","voltage":5500})", 0, "5"},
    {"Get_IO_State", "type 4", [](SOCKHANDLE h) { unsigned char s; return Get_IO_State(h, 4, 1, &s); }, nullptr, nullptr, 11},
    {"Get_IO_Input", "", [](SOCKHANDLE h) { unsigned char d[16]; float a[16]; int rc = Get_IO_Input(h, d, a); got(list(d, 3) + "|" + list(a, 2)); return rc; }, R"({"command":"get_IO_input"})", R"({"state":"IO_input_state","DI":[1,0,1],"AI":[1500,0]})", 0, "1,0,1|1.5,0"},
    {"Get_IO_Output", "", [](SOCKHANDLE h) { unsigned char d[16]; float a[16]; int rc = Get_IO_Output(h, d, a); got(list(d, 2) + "|" + list(a, 1)); return rc; }, R"({"command":"get_IO_output"})", R"({"state":"IO_output_state","DO":[0,1],"AO":[-250]})", 0, "0,1|-0.25"},
    {ARX_CALL(Set_Tool_DO_State, "queued", 1, true, false), R"({"command":"set_tool_DO_state","IO_Num":1,"state":1})"},
    {ARX_CALL(Set_Tool_DO_State, "blocking", 1, false, true), R"({"command":"set_tool_DO_state","IO_Num":1,"state":0})", R"({"command":"set_tool_DO_state","state":true})"},
    {ARX_CALL(Set_Tool_IO_Mode, "queued", 0, true, false), R"({"command":"set_tool_IO_mode","IO_Num":0,"state":1})"},
    {ARX_CALL(Set_Tool_IO_Mode, "blocking", 0, false, true), R"({"command":"set_tool_IO_mode","IO_Num":0,"state":0})", R"({"command":"set_tool_IO_mode","set_state":false})", 1},
    {"Get_Tool_IO_State", "", [](SOCKHANDLE h) { float m[16], s[16]; int rc = Get_Tool_IO_State(h, m, s); got(list(m, 2) + "|" + list(s, 2)); return rc; }, R"({"command":"get_tool_IO_state"})", R"({"state":"tool_IO_state","IO_Mode":[0,1],"IO_State":[1,0]})", 0, "0,1|1,0"},
    {ARX_CALL(Set_Tool_Voltage, "queued", 3, false), R"({"command":"set_tool_voltage","voltage_type":3})"},
    {ARX_CALL(Set_Tool_Voltage, "blocking", 2, true), R"({"command":"set_tool_voltage","voltage_type":2})", R"({"command":"set_tool_voltage","state":true})"},
    {"Get_Tool_Voltage", "", [](SOCKHANDLE h) { unsigned char v = 99; int rc = Get_Tool_Voltage(h, &v); got(list(&v, 1)); return rc; }, R"({"command":"get_tool_voltage"})", R"({"state":"tool_voltage_state","voltage_type":2})", 0, "2"},
});

}  // namespace
}  // namespace arx::test
