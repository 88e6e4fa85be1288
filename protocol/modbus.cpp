// Modbus through the controller: it is the master on its serial port, and
// every transaction is one command and one answer.
#include "core/library.h"
#include "protocol/command.h"

#include <cmath>

using namespace arx::protocol;

namespace {

// The controller reopens its port in Modbus mode: it answers late, and needs
// a moment more before the port takes transactions.
constexpr int kModbusModeExtensionMs = 2000;
constexpr int kModbusModeSettleMs = 2000;

// Each data byte takes at least two characters of the line ("0,"), so more
// bytes than this cannot fit; the request builder checks the exact fit. The
// bound also keeps a wild count from reading far past the caller's bytes.
constexpr long long kMaxDataBytes = Request::kMaxLineLength / 2;

// A read answer: a refusal leaves the output alone; otherwise the "data"
// member is the result, whatever count was asked for.
Field ReadResult(int* data) {
    return Field([data](const cJSON* object) {
        if (cJSON_IsFalse(member(object, "read_state"))) return static_cast<int>(ARX_CONTROLLER_FALSE);
        return read_number(object, "data", data, IntegerPart);
    });
}

// Eight coils to a byte; the single-precision product is the controller's own
// rule for the count.
long long coil_bytes(int num) { return static_cast<long long>(std::ceil(static_cast<float>(num) * 0.125f)); }

bool fits(int num, long long bytes) { return num >= 0 && bytes <= kMaxDataBytes; }

}  // namespace

int Set_Modbus_Mode(SOCKHANDLE h, int port, int baudrate, int timeout, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    bool answered = false;
    const Field accepted = Boolean("set_state");
    const int rc = Request("set_modbus_mode")
                       .add("port", Int(port))
                       .add("baudrate", Int(baudrate))
                       .add("timeout", Int(timeout))
                       .run(h, block, Kind::SetModbusMode,
                            [&](const char* reply) {
                                answered = true;
                                return accepted(reply);
                            },
                            kModbusModeExtensionMs);
    if (answered) arx::core::sleep_ms(kModbusModeSettleMs);
    return rc;
}

int Close_Modbus_Mode(SOCKHANDLE h, int port, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("close_modbus_mode").add("port", Int(port)).run(h, block, Kind::CloseModbusMode, Boolean("set_state"));
}

// ---- reads

int Get_Read_Coils(SOCKHANDLE h, int port, int address, int num, int device, int* data) {
    ARX_GUARD(h, Transfer, NotNull(data), Pause);
    return Request("read_coils").add("port", Int(port)).add("address", Int(address)).add("num", Int(num))
        .add("device", Int(device)).query(h, Kind::CoilsData, ReadResult(data));
}

int Get_Read_Input_Status(SOCKHANDLE h, int port, int address, int num, int device, int* data) {
    ARX_GUARD(h, Transfer, NotNull(data), Pause);
    return Request("read_input_status").add("port", Int(port)).add("address", Int(address)).add("num", Int(num))
        .add("device", Int(device)).query(h, Kind::InputStatus, ReadResult(data));
}

int Get_Read_Holding_Registers(SOCKHANDLE h, int port, int address, int device, int* data) {
    ARX_GUARD(h, Transfer, NotNull(data), Pause);
    return Request("read_holding_registers").add("port", Int(port)).add("address", Int(address))
        .add("device", Int(device)).query(h, Kind::HoldingRegisters, ReadResult(data));
}

int Get_Read_Input_Registers(SOCKHANDLE h, int port, int address, int device, int* data) {
    ARX_GUARD(h, Transfer, NotNull(data), Pause);
    return Request("read_input_registers").add("port", Int(port)).add("address", Int(address))
        .add("device", Int(device)).query(h, Kind::InputRegisters, ReadResult(data));
}

// ---- writes

int Write_Single_Coil(SOCKHANDLE h, int port, int address, int data, int device, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("write_single_coil").add("port", Int(port)).add("address", Int(address)).add("data", Int(data))
        .add("device", Int(device)).run(h, block, Kind::WriteSingleCoil, Boolean("write_state"));
}

int Write_Single_Register(SOCKHANDLE h, int port, int address, int data, int device, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("write_single_register").add("port", Int(port)).add("address", Int(address)).add("data", Int(data))
        .add("device", Int(device)).run(h, block, Kind::WriteSingleRegister, Boolean("write_state"));
}

int Write_Coils(SOCKHANDLE h, int port, int address, int num, const unsigned char* data, int device, bool block) {
    ARX_GUARD(h, Transfer, NotNull(data), Pause);
    const long long bytes = coil_bytes(num);
    if (!fits(num, bytes)) return ARX_TYPE_ERROR;
    Request r("write_coils");
    r.add("port", Int(port)).add("address", Int(address)).add("num", Int(num));
    // Up to eight coils travel as one integer, more as an array of bytes.
    if (num <= 8)
        r.add("data", Int(data[0]));
    else
        r.array("data", data, static_cast<int>(bytes), Int);
    return r.add("device", Int(device)).run(h, block, Kind::WriteCoils, Boolean("write_state"));
}

int Write_Registers(SOCKHANDLE h, int port, int address, int num, const unsigned char* data, int device, bool block) {
    ARX_GUARD(h, Transfer, NotNull(data), Pause);
    const long long bytes = 2LL * num;  // two bytes a register, in the caller's order
    if (!fits(num, bytes)) return ARX_TYPE_ERROR;
    return Request("write_registers")
        .add("port", Int(port))
        .add("address", Int(address))
        .add("num", Int(num))
        .array("data", data, static_cast<int>(bytes), Int)
        .add("device", Int(device))
        .run(h, block, Kind::WriteRegisters, Boolean("write_state"));
}
