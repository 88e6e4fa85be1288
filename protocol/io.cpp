// Controller and tool IO: digital and analog channels, tool channel modes and
// the tool's supply voltage.
#include "protocol/command.h"

using namespace arx::protocol;

namespace {

// Digital states travel as 1 and 0, never as JSON booleans.
Value State(bool on) { return Int(on ? 1 : 0); }

// A one-byte channel reading: digital states as they are, analog voltages
// (thousandths on the wire) in whole volts.
unsigned char WholeVolts(const cJSON* thousandths) {
    return static_cast<unsigned char>(IntegerPart(thousandths) / 1000);
}

// The controller decides how many channels a reply lists; the caller's arrays
// hold the documented capacity, and further channels are left out.
template <class T, class Convert>
Field Channels(const char* key, T* out, Convert convert) {
    return ArrayUpTo(key, out, ARX_IO_CHANNEL_CAPACITY, convert, kWrongType);
}

struct ChannelQuery {
    const char* command;
    Kind kind;
    bool analog;
};

// Get_IO_State's request, reply kind and reading by IO type.
constexpr ChannelQuery kChannelQueries[] = {
    {"get_DO_state", Kind::DOState, false},
    {"get_DI_state", Kind::DIState, false},
    {"get_AO_state", Kind::AOState, true},
    {"get_AI_state", Kind::AIState, true},
};

}  // namespace

int Set_IO_State(SOCKHANDLE h, int type, unsigned char io_num, bool state, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    if (type == 0)
        return Request("set_DO_state").add("IO_Num", Int(io_num)).add("state", State(state))
            .run(h, block, Kind::SetDOState, Boolean("state"));
    if (type == 1)  // the state byte as volts, in thousandths: true is 1000
        return Request("set_AO_state").add("IO_Num", Int(io_num)).add("voltage", Milli(state ? 1.0f : 0.0f))
            .run(h, block, Kind::SetAOState, Boolean("state"));
    return ARX_TYPE_ERROR;
}

int Get_IO_State(SOCKHANDLE h, int type, unsigned char io_num, unsigned char* state) {
    ARX_GUARD(h, Transfer, NotNull(state), Pause);
    if (type < 0 || type > 3) return ARX_TYPE_ERROR;
    const ChannelQuery& q = kChannelQueries[type];
    const Field reading = q.analog ? Converted("voltage", state, WholeVolts) : Integer("IO_state", state);
    return Request(q.command).add("IO_Num", Int(io_num)).query(h, q.kind, reading);
}

int Get_IO_Input(SOCKHANDLE h, unsigned char* di, float* ai) {
    ARX_GUARD(h, Transfer, NotNull(di, ai), Pause);
    return Request("get_IO_input")
        .query(h, Kind::IOInputState, All(Channels("DI", di, IntegerPart), Channels("AI", ai, Thousandths)));
}

int Get_IO_Output(SOCKHANDLE h, unsigned char* dout, float* aout) {
    ARX_GUARD(h, Transfer, NotNull(dout, aout), Pause);
    return Request("get_IO_output")
        .query(h, Kind::IOOutputState, All(Channels("DO", dout, IntegerPart), Channels("AO", aout, Thousandths)));
}

int Set_Tool_DO_State(SOCKHANDLE h, unsigned char io_num, bool state, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_tool_DO_state").add("IO_Num", Int(io_num)).add("state", State(state))
        .run(h, block, Kind::SetToolDOState, Boolean("state"));
}

int Set_Tool_IO_Mode(SOCKHANDLE h, unsigned char io_num, bool mode, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_tool_IO_mode").add("IO_Num", Int(io_num)).add("state", State(mode))
        .run(h, block, Kind::SetToolIOMode, Boolean("set_state"));
}

int Get_Tool_IO_State(SOCKHANDLE h, float* modes, float* states) {
    ARX_GUARD(h, Transfer, NotNull(modes, states), Pause);
    return Request("get_tool_IO_state")
        .query(h, Kind::ToolIOState, All(Channels("IO_Mode", modes, IntegerPart), Channels("IO_State", states, IntegerPart)));
}

int Set_Tool_Voltage(SOCKHANDLE h, unsigned char voltage_type, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_tool_voltage").add("voltage_type", Int(voltage_type))
        .run(h, block, Kind::SetToolVoltage, Boolean("state"));
}

int Get_Tool_Voltage(SOCKHANDLE h, unsigned char* voltage_type) {
    ARX_GUARD(h, Transfer, NotNull(voltage_type), Pause);
    return Request("get_tool_voltage").query(h, Kind::ToolVoltageState, Integer("voltage_type", voltage_type));
}
