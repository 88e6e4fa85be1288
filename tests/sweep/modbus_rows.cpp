// Sweep rows: Modbus through the controller.
#include "support/sweep.h"

namespace arx::test {
namespace {

// clang-format off
const SweepTable kModbus("modbus", {
    {ARX_CALL(Set_Modbus_Mode, "queued", 1, 115200, 2, false), R"({"command":"set_modbus_mode","port":1,"baudrate":115200,"timeout":2})"},
    {ARX_CALL(Set_Modbus_Mode, "blocking (settles 2 s)", 0, 9600, 5, true), R"({"command":"set_modbus_mode","port":0,"baudrate":9600,"timeout":5})", R"({"command":"set_modbus_mode","set_state":true})"},
    {ARX_CALL(Close_Modbus_Mode, "queued", 1, false), R"({"command":"close_modbus_mode","port":1})"},
    {ARX_CALL(Close_Modbus_Mode, "blocking", 1, true), R"({"command":"close_modbus_mode","port":1})", R"({"command":"close_modbus_mode","set_state":false})", 1},
    {"Get_Read_Coils", "", [](SOCKHANDLE h) { int d = -99; int rc = Get_Read_Coils(h, 1, 10, 2, 1, &d); got(list(&d, 1)); return rc; }, R"({"command":"read_coils","port":1,"address":10,"num":2,"device":1})", R"({"command":"read_coils","state":"coils_data","read_state":true,"data":513})", 0, "513"},
    {"Get_Read_Input_Status", "refused", [](SOCKHANDLE h) { int d = -99; int rc = Get_Read_Input_Status(h, 1, 0, 8, 2, &d); got(list(&d, 1)); return rc; }, R"({"command":"read_input_status","port":1,"address":0,"num":8,"device":2})", R"({"command":"read_input_status","read_state":false,"data":5})", 1, "-99"},
    {"Get_Read_Holding_Registers", "", [](SOCKHANDLE h) { int d = -99; int rc = Get_Read_Holding_Registers(h, 0, 4, 3, &d); got(list(&d, 1)); return rc; }, R"({"command":"read_holding_registers","port":0,"address":4,"device":3})", R"({"command":"read_holding_registers","data":-1})", 0, "-1"},
    {"Get_Read_Input_Registers", "no data", [](SOCKHANDLE h) { int d = -99; int rc = Get_Read_Input_Registers(h, 0, 4, 3, &d); got(list(&d, 1)); return rc; }, R"({"command":"read_input_registers","port":0,"address":4,"device":3})", R"({"command":"read_input_registers","read_state":true})", 9, "-99"},
    {ARX_CALL(Write_Single_Coil, "queued", 1, 5, 1, 2, false), R"({"command":"write_single_coil","port":1,"address":5,"data":1,"device":2})"},
    {ARX_CALL(Write_Single_Coil, "blocking", 1, 5, 0, 2, true), R"({"command":"write_single_coil","port":1,"address":5,"data":0,"device":2})", R"({"command":"write_single_coil","write_state":true})"},
    {"Write_Coils", "queued, twelve coils", [](SOCKHANDLE h) { const unsigned char b[] = {255, 15}; return Write_Coils(h, 1, 0, 12, b, 1, false); }, R"({"command":"write_coils","port":1,"address":0,"num":12,"data":[255,15],"device":1})"},
    {"Write_Coils", "blocking, eight coils as one integer", [](SOCKHANDLE h) { const unsigned char b[] = {170, 1}; return Write_Coils(h, 1, 0, 8, b, 1, true); }, R"({"command":"write_coils","port":1,"address":0,"num":8,"data":170,"device":1})", R"({"command":"write_coils","write_state":false})", 1},
    {ARX_CALL(Write_Single_Register, "queued", 0, 7, 65535, 3, false), R"({"command":"write_single_register","port":0,"address":7,"data":65535,"device":3})"},
    {ARX_CALL(Write_Single_Register, "blocking", 0, 7, 1, 3, true), R"({"command":"write_single_register","port":0,"address":7,"data":1,"device":3})", R"({"command":"write_single_register","write_state":true})"},
    {"Write_Registers", "queued", [](SOCKHANDLE h) { const unsigned char b[] = {1, 0, 0, 200}; return Write_Registers(h, 0, 4, 2, b, 3, false); }, R"({"command":"write_registers","port":0,"address":4,"num":2,"data":[1,0,0,200],"device":3})"},
    {"Write_Registers", "blocking, none", [](SOCKHANDLE h) { const unsigned char b[] = {9}; return Write_Registers(h, 0, 4, 0, b, 3, true); }, R"({"command":"write_registers","port":0,"address":4,"num":0,"data":[],"device":3})", R"({"command":"write_registers","write_state":true})"},
});

}  // namespace
}  // namespace arx::test
