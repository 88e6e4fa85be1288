// Request words of the controller and its devices: versions and runtime, IO,
// grippers and hands, force sensing, Modbus, lift and base, the trajectory
// file, and the simulator's own fault switch.
#include "sim/catalogue.h"

#include <cmath>

namespace arx::sim {

namespace {

using C = Controller;
using X = Exchange;
using Channels = std::array<int, IoChannels::kChannels>;
using Volts = std::array<double, IoChannels::kChannels>;

constexpr int kSetPointRefused = 1;          // "arm_err" of a force-position state that did not move
constexpr int kGripperOpen = 1000;           // gripper units, 0 closed
constexpr double kGripperUnitsPerSpeed = 2;  // gripper units per second per unit of "speed"
constexpr double kLiftMmPerSpeed = 5;        // millimetres per second per percent of "speed"

bool valid_index(double index, std::size_t size) { return index >= 0 && index < static_cast<double>(size); }

// ---- IO

void set_digital(X& x, Channels& outputs) {
    const double n = x.number("IO_Num", -1);
    const bool ok = valid_index(n, outputs.size());
    if (ok) outputs[static_cast<std::size_t>(n)] = x.number("state") != 0;
    x.answer(JsonLine::command(x.word).flag("state", ok));
}

void get_digital(X& x, const char* state_word, const Channels& values) {
    const double n = x.number("IO_Num", -1);
    if (!valid_index(n, values.size())) return x.answer(JsonLine::state(state_word).flag("set_state", false));
    x.answer(JsonLine::state(state_word).number("IO_state", values[static_cast<std::size_t>(n)]));
}

void get_analog(X& x, const char* state_word, const Volts& volts) {
    const double n = x.number("IO_Num", -1);
    if (!valid_index(n, volts.size())) return x.answer(JsonLine::state(state_word).flag("set_state", false));
    x.answer(JsonLine::state(state_word).number("voltage", std::trunc(volts[static_cast<std::size_t>(n)] * 1000)));
}

std::vector<double> as_numbers(const Channels& v) { return {v.begin(), v.end()}; }
std::vector<double> as_milli(const Volts& v) {
    std::vector<double> out;
    for (double volts : v) out.push_back(std::trunc(volts * 1000));
    return out;
}

// ---- grippers

void gripper_to(C& c, X& x, double target, double speed) {
    const bool ok = target >= 0 && target <= kGripperOpen && std::fabs(speed) <= kWireIntegerLimit;
    ack_bool(x, "set_state", ok);
    if (ok) c.start_device(x, Motion::Device::Gripper, target, speed * kGripperUnitsPerSpeed);
}

// ---- Modbus: coils travel as bits of one integer (up to 8) or of bytes.
// Addresses are the device's 16 bits; a count is what one request line can
// carry (55 coil bytes, 75 registers of two bytes). Anything else is refused
// before a single coil or register is touched.

constexpr int kLastAddress = 65535;
constexpr int kMaxCoils = 8 * 55;
constexpr int kMaxRegisters = 75;

// The first address and the count, when both fit the device's address range.
std::optional<std::pair<int, int>> span(const X& x, int min_num, int max_num, std::optional<int> missing_num) {
    const std::optional<int> address = x.whole("address", 0, kLastAddress);
    const std::optional<int> num = x.whole("num", min_num, max_num, missing_num);
    if (!address || !num || *address + *num - 1 > kLastAddress) return std::nullopt;
    return std::make_pair(*address, *num);
}

void read_bits(C& c, X& x, const char* state_word) {
    const auto where = span(x, 1, kMaxCoils, 1);
    if (!where) return x.answer(JsonLine::command(x.word).flag("read_state", false));
    const auto [address, num] = *where;
    long long packed = 0;
    for (int i = 0; i < num && i < 31; ++i) {
        const auto coil = c.state.coils.find(address + i);
        packed |= static_cast<long long>(coil != c.state.coils.end() && coil->second != 0) << i;
    }
    x.answer(JsonLine::command(x.word)
                 .text("state", state_word)
                 .flag("read_state", true)
                 .number("data", static_cast<double>(packed)));
}

void read_register(C& c, X& x) {
    const std::optional<int> address = x.whole("address", 0, kLastAddress);
    if (!address) return x.answer(JsonLine::command(x.word).flag("read_state", false));
    const auto value = c.state.registers.find(*address);
    x.answer(JsonLine::command(x.word)
                 .flag("read_state", true)
                 .number("data", value == c.state.registers.end() ? 0 : value->second));
}

void write_coils(C& c, X& x) {
    const auto where = span(x, 0, kMaxCoils, std::nullopt);
    const cJSON* data = cJSON_GetObjectItem(x.request, "data");
    std::vector<int> bytes;
    for (int i = 0; where && i < (where->second + 7) / 8; ++i) {
        const std::optional<int> byte =
            cJSON_IsArray(data) ? x.whole_element("data", i, 0, 255) : x.whole("data", 0, 255);
        if (!byte) return ack_bool(x, "write_state", false);
        bytes.push_back(*byte);
    }
    if (!where) return ack_bool(x, "write_state", false);
    const auto [address, num] = *where;
    for (int i = 0; i < num; ++i) c.state.coils[address + i] = (bytes[i / 8] >> (i % 8)) & 1;
    x.ack("write_state");
}

void write_registers(C& c, X& x) {
    const auto where = span(x, 0, kMaxRegisters, std::nullopt);
    if (!where) return ack_bool(x, "write_state", false);
    const auto [address, num] = *where;
    std::vector<int> values;
    for (int i = 0; i < num; ++i) {
        const std::optional<int> high = x.whole_element("data", 2 * i, 0, 255);
        const std::optional<int> low = x.whole_element("data", 2 * i + 1, 0, 255);
        if (!high || !low) return ack_bool(x, "write_state", false);
        values.push_back(*high << 8 | *low);
    }
    for (int i = 0; i < num; ++i) c.state.registers[address + i] = values[i];
    x.ack("write_state");
}

// ---- force

JsonLine force_reading(const C& c) {
    // The tool's payload pulls down the sensor's z axis.
    const ControllerState& s = c.state;
    const auto tool = s.tools.find(s.tool);
    const double mass = s.payload + (tool != s.tools.end() ? tool->second.payload : 0);
    std::vector<double> values;
    for (int i = 0; i < 6; ++i) values.push_back(std::trunc((s.force[i] + (i == 2 ? -9.81 * mass : 0)) * 1000));
    return JsonLine::state("get_force_data").numbers("force_data", values);
}

// A force-position set-point moves the arm at once and reports its state.
// One beyond a joint limit or out of reach leaves the arm where it is, and the
// report says so with an error.
void force_position_move(C& c, X& x) {
    ControllerState& s = c.state;
    Joints target{};
    bool ok = false;
    if (cJSON_IsArray(cJSON_GetObjectItem(x.request, "joint"))) {
        target = joints_from(c, x, "joint");
        ok = c.within_limits(target);
    } else {
        ok = c.solve(pose_from(x, "pose"), &target) && c.within_limits(target);
    }
    ok = ok && x.bounded("force", kWireIntegerLimit);
    if (ok) s.joints = target;
    std::vector<double> joints(s.joints.begin(), s.joints.begin() + s.joint_count);
    x.answer(JsonLine::state("Force_Position_State")
                 .numbers("joint", joints)
                 .number("arm_err", ok ? 0 : kSetPointRefused)
                 .number("force", ok ? std::trunc(x.number("force")) : 0));
}

// ---- trajectory file: the content follows the announcement as raw bytes.

void run_project(C&, X& x) {
    const double size = x.number("file_size");
    const bool ok = size > 0 && size <= 102400;
    if (ok) {
        x.session->file_bytes_expected = static_cast<std::size_t>(size);
        x.session->file_content.clear();
        x.session->file_plan_speed = x.whole("plan_speed", 0, 100, 0).value_or(0);
    }
    x.answer(JsonLine::command("run_project").flag("project_state", ok));
}

void sim_fault(C& c, X& x) {
    const std::optional<Fault> fault = parse_fault(x.text("fault"));
    const std::string word = x.text("word");
    if (fault && !word.empty()) c.faults.set(word, *fault);
    x.answer(JsonLine::command("sim_fault").flag("set_state", fault && !word.empty()));
}

}  // namespace

const std::map<std::string, Handler>& device_handlers() {
    static const std::map<std::string, Handler> table = {
        // controller
        {"get_controller_state", [](C&, X& x) {
             x.answer(JsonLine::state("controller_state").number("voltage", 48000).number("current", 1200).number("temperature", 35000).number("err_flag", 0));
         }},
        {"get_arm_software_version", [](C&, X& x) {
             x.answer(JsonLine::state("arm_software_version").number("Plan_version", 1021).number("Ctrl_version", 1020)
                          .number("Real-time_Kernal1", 7).number("Real-time_Kernal2", 3));
         }},
        {"get_tool_software_version", [](C&, X& x) { x.answer(JsonLine::state("tool_software_version").number("version", 260)); }},
        {"get_log_file", [](C&, X& x) { x.ack("set_state"); }},
        {"get_system_runtime", [](C& c, X& x) {
             const auto up = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - c.state.started).count();
             x.answer(JsonLine::command("get_system_runtime").number("day", static_cast<double>(up / 86400)).number("hour", static_cast<double>(up / 3600 % 24))
                          .number("min", static_cast<double>(up / 60 % 60)).number("sec", static_cast<double>(up % 60)));
         }},
        {"clear_system_runtime", [](C& c, X& x) { c.state.started = std::chrono::steady_clock::now(); x.ack("clear_state"); }},
        {"get_joint_odom", [](C& c, X& x) {
             x.answer(JsonLine::command("get_joint_odom").numbers("odom", std::vector<double>(c.state.joint_count, 0)));
         }},
        {"clear_joint_odom", [](C&, X& x) { x.ack("clear_state"); }},
        {"clear_system_err", [](C&, X& x) { x.ack("clear_state"); }},
        {"set_high_speed_eth", [](C&, X& x) { x.ack("set_state"); }},
        // IO
        {"set_DO_state", [](C& c, X& x) { set_digital(x, c.state.io.digital_out); }},
        {"set_AO_state", [](C& c, X& x) {
             const double n = x.number("IO_Num", -1);
             const bool ok = valid_index(n, c.state.io.analog_out.size());
             const bool ok_volts = ok && x.bounded("voltage", kWireIntegerLimit);
             if (ok_volts) c.state.io.analog_out[static_cast<std::size_t>(n)] = x.number("voltage") / 1000;
             x.answer(JsonLine::command(x.word).flag("state", ok_volts));
         }},
        {"get_DO_state", [](C& c, X& x) { get_digital(x, "DO_state", c.state.io.digital_out); }},
        {"get_DI_state", [](C& c, X& x) { get_digital(x, "DI_state", c.state.io.digital_in); }},
        {"get_AO_state", [](C& c, X& x) { get_analog(x, "AO_state", c.state.io.analog_out); }},
        {"get_AI_state", [](C& c, X& x) { get_analog(x, "AI_state", c.state.io.analog_in); }},
        {"get_IO_input", [](C& c, X& x) {
             x.answer(JsonLine::state("IO_input_state").numbers("DI", as_numbers(c.state.io.digital_in)).numbers("AI", as_milli(c.state.io.analog_in)));
         }},
        {"get_IO_output", [](C& c, X& x) {
             x.answer(JsonLine::state("IO_output_state").numbers("DO", as_numbers(c.state.io.digital_out)).numbers("AO", as_milli(c.state.io.analog_out)));
         }},
        {"set_tool_DO_state", [](C& c, X& x) {
             const double n = x.number("IO_Num", -1);
             const bool ok = valid_index(n, c.state.io.tool_out.size());
             if (ok) c.state.io.tool_out[static_cast<std::size_t>(n)] = x.number("state") != 0;
             x.answer(JsonLine::command(x.word).flag("state", ok));
         }},
        {"set_tool_IO_mode", [](C& c, X& x) {
             const double n = x.number("IO_Num", -1);
             const bool ok = valid_index(n, c.state.io.tool_mode.size());
             if (ok) c.state.io.tool_mode[static_cast<std::size_t>(n)] = x.number("state") != 0;
             x.answer(JsonLine::command(x.word).flag("set_state", ok));
         }},
        {"get_tool_IO_state", [](C& c, X& x) {
             const ControllerState& s = c.state;
             x.answer(JsonLine::state("tool_IO_state").numbers("IO_Mode", {double(s.io.tool_mode[0]), double(s.io.tool_mode[1])})
                          .numbers("IO_State", {double(s.io.tool_out[0]), double(s.io.tool_out[1])}));
         }},
        {"set_tool_voltage", [](C& c, X& x) {
             const std::optional<int> type = x.whole("voltage_type", INT32_MIN, INT32_MAX);
             if (type) c.state.io.tool_voltage = *type;
             ack_bool(x, "state", type.has_value());
         }},
        {"get_tool_voltage", [](C& c, X& x) { x.answer(JsonLine::state("tool_voltage_state").number("voltage_type", c.state.io.tool_voltage)); }},
        // grippers and hands
        {"set_gripper_route", [](C& c, X& x) {
             const std::optional<int> low = x.whole("min", 0, kGripperOpen, 0);
             const std::optional<int> high = x.whole("max", 0, kGripperOpen, kGripperOpen);
             if (low && high) c.state.gripper_min = *low, c.state.gripper_max = *high;
             ack_bool(x, "state", low && high);
         }},
        {"set_gripper_release", [](C& c, X& x) { gripper_to(c, x, c.state.gripper_max, x.number("speed", 500)); }},
        {"set_gripper_pick", [](C& c, X& x) { gripper_to(c, x, c.state.gripper_min, x.number("speed", 500)); }},
        {"set_gripper_pick_on", [](C& c, X& x) { gripper_to(c, x, c.state.gripper_min, x.number("speed", 500)); }},
        {"set_gripper_position", [](C& c, X& x) { gripper_to(c, x, x.number("position"), 500); }},
        {"set_hand_posture", [](C& c, X& x) {
             const std::optional<int> posture = x.whole("posture_num", INT32_MIN, INT32_MAX);
             if (posture) c.state.hand_posture = *posture;
             ack_bool(x, "set_state", posture.has_value());
         }},
        {"set_hand_seq", [](C&, X& x) { x.ack("set_state"); }},
        {"set_hand_angle", [](C&, X& x) { x.ack("set_state"); }},
        {"set_hand_speed", [](C&, X& x) { x.ack("set_state"); }},
        {"set_hand_force", [](C&, X& x) { x.ack("set_state"); }},
        // force sensing and force-position control; calibrations answer as "set_force_sensor"
        {"get_force_data", [](C& c, X& x) { x.answer(force_reading(c)); }},
        {"clear_force_data", [](C& c, X& x) { std::fill(c.state.force, c.state.force + 6, 0.0); x.ack("clear_state"); }},
        {"set_force_sensor", [](C&, X& x) { x.ack("set_state"); }},
        {"manual_set_force_pose1", [](C&, X& x) { x.answer(JsonLine::command("set_force_sensor").flag("set_state", true)); }},
        {"manual_set_force_pose2", [](C&, X& x) { x.answer(JsonLine::command("set_force_sensor").flag("set_state", true)); }},
        {"manual_set_force_pose3", [](C&, X& x) { x.answer(JsonLine::command("set_force_sensor").flag("set_state", true)); }},
        {"manual_set_force_pose4", [](C&, X& x) { x.answer(JsonLine::command("set_force_sensor").flag("set_state", true)); }},
        {"stop_set_force_sensor", [](C&, X& x) { x.ack("stop_state"); }},
        {"set_force_position", [](C&, X& x) { x.ack("set_state"); }},
        {"stop_force_position", [](C&, X& x) { x.ack("stop_state"); }},
        // The queued form's spelling; answered under the usual word.
        {"stop_force_positon", [](C&, X& x) { x.answer(JsonLine::command("stop_force_position").flag("stop_state", true)); }},
        {"Start_Force_Position_Move", [](C&, X& x) { x.ack("set_state"); }},
        {"Stop_Force_Position_Move", [](C&, X& x) { x.ack("set_state"); }},
        {"Force_Position_Move", force_position_move},
        {"get_Fz", [](C& c, X& x) { x.answer(JsonLine::state("get_Fz").flag("set_state", true).number("Fz", c.state.fz)); }},
        {"clear_Fz", [](C& c, X& x) { c.state.fz = 0; x.ack("set_state"); }},
        {"auto_set_Fz", [](C&, X& x) { x.answer(JsonLine::command("set_force_sensor").flag("set_state", true)); }},
        {"manual_set_Fz", [](C&, X& x) { x.answer(JsonLine::command("set_force_sensor").flag("set_state", true)); }},
        // Modbus
        {"set_modbus_mode", [](C&, X& x) { x.ack("set_state"); }},
        {"close_modbus_mode", [](C&, X& x) { x.ack("set_state"); }},
        {"read_coils", [](C& c, X& x) { read_bits(c, x, "coils_data"); }},
        {"read_input_status", [](C& c, X& x) { read_bits(c, x, "input_status"); }},
        {"read_holding_registers", read_register},
        {"read_input_registers", read_register},
        {"write_single_coil", [](C& c, X& x) {
             const std::optional<int> address = x.whole("address", 0, kLastAddress);
             if (address) c.state.coils[*address] = x.number("data") != 0;
             ack_bool(x, "write_state", address.has_value());
         }},
        {"write_coils", write_coils},
        {"write_single_register", [](C& c, X& x) {
             const std::optional<int> address = x.whole("address", 0, kLastAddress);
             const std::optional<int> value = x.whole("data", INT32_MIN, INT32_MAX);
             if (address && value) c.state.registers[*address] = *value;
             ack_bool(x, "write_state", address && value);
         }},
        {"write_registers", write_registers},
        // lift and mobile base
        {"set_lift_speed", [](C& c, X& x) {
             const std::optional<int> speed = x.whole("speed", INT32_MIN, INT32_MAX);
             if (speed) c.state.lift_speed = *speed;
             ack_bool(x, "set_state", speed.has_value());
         }},
        {"set_lift_height", [](C& c, X& x) {
             const bool ok = x.bounded("height", kWireIntegerLimit) && x.bounded("speed", kWireIntegerLimit);
             ack_bool(x, "set_state", ok);
             if (ok) c.start_device(x, Motion::Device::Lift, x.number("height"), x.number("speed", 50) * kLiftMmPerSpeed);
         }},
        {"get_lift_state", [](C& c, X& x) {
             x.answer(JsonLine::state("lift_state").number("height", std::trunc(c.state.lift_height)).number("current", 0).number("err_flag", 0));
         }},
        {"set_vehicle", [](C&, X& x) { x.ack("set_state"); }},
        {"set_car_move", [](C&, X& x) { x.ack("set_state"); }},
        {"set_car_navigation_mode", [](C&, X& x) { x.ack("navigation_state"); }},
        {"set_car_navigation_speed", [](C&, X& x) { x.ack("navigation_state"); }},
        {"set_car_speed", [](C& c, X& x) {
             const std::optional<int> station = x.whole("station", INT32_MIN, INT32_MAX);
             if (station) c.state.car_station = *station;
             ack_bool(x, "navigation_state", station.has_value());
         }},
        {"set_car_station_num", [](C&, X& x) { x.ack("navigation_state"); }},
        {"set_car_charge", [](C&, X& x) { x.ack("navigation_state"); }},
        {"get_car_state", [](C& c, X& x) {
             x.answer(JsonLine::state("get_car_state").number("battery_volume", 80).number("voltage", 48000).number("current", 0)
                          .number("car_err", 0).number("car_state", 0).number("station_num", c.state.car_station));
         }},
        // network settings: the controller takes them without a word
        {"set_wifi_ap", [](C&, X&) {}},
        {"set_wifi_sta", [](C&, X&) {}},
        {"set_usb", [](C&, X&) {}},
        {"set_RS485", [](C&, X&) {}},
        {"set_ethernet", [](C&, X&) {}},
        {"run_project", run_project},
        {"sim_fault", sim_fault},
        // Whether anything still moves: tests wait for a quiet arm between steps.
        {"sim_status", [](C& c, X& x) {
             x.answer(JsonLine::command("sim_status").number("moving", c.snapshot_locked(false).moving));
         }},
    };
    return table;
}

const std::map<std::string, Handler>& catalogue() {
    static const std::map<std::string, Handler> all = [] {
        std::map<std::string, Handler> merged;
        for (const auto* family : {&arm_handlers(), &frame_handlers(), &motion_handlers(), &device_handlers()})
            merged.insert(family->begin(), family->end());
        return merged;
    }();
    return all;
}

}  // namespace arx::sim
