// Force sensing and force-position control: the six-axis and the one-axis
// sensor, their calibrations, and force-position set-points.
#include "protocol/command.h"

#include <climits>
#include <cmath>

using namespace arx::protocol;

namespace {

// The controller answers a calibration only once it has finished.
constexpr int kCalibrationExtensionMs = 30000;
// Switching force-position control on settles the arm before the answer.
constexpr int kForcePositionExtensionMs = 10000;

// Forces go on the wire in tenths; a float force keeps its fraction.
Value TenthsNumber(float force) { return Number(static_cast<double>(force * 10.0f)); }

// An integer force in tenths, refused when it leaves the controller's 32 bits.
Value TenthsInteger(int force) {
    const long long tenths = static_cast<long long>(force) * 10;
    return tenths >= INT_MIN && tenths <= INT_MAX ? Int(tenths) : Value::refused(kRequestRefused);
}

// Sensor values arrive in thousandths.
float SensorUnits(const cJSON* thousandths) { return static_cast<float>(thousandths->valuedouble / 1000.0); }

// The calibration poses name the command itself.
const char* manual_force_command(int pose_num) {
    static const char* const kCommands[] = {"manual_set_force_pose1", "manual_set_force_pose2",
                                            "manual_set_force_pose3", "manual_set_force_pose4"};
    return pose_num >= 1 && pose_num <= 4 ? kCommands[pose_num - 1] : nullptr;
}

// The one-axis value: a refusal reads as a reply without a value (9), a
// missing value as 8, and a value that is not a number is not taken as 0.
Field FzValue(float* fz) {
    return Field([fz](const cJSON* object) {
        if (cJSON_IsFalse(member(object, "set_state"))) return kMissing;
        const cJSON* value = member(object, "Fz");
        if (value == nullptr) return static_cast<int>(ARX_STATE_TYPE_ERROR);
        if (!cJSON_IsNumber(value)) return kWrongType;
        *fz = NumberAsFloat(value);
        return 0;
    });
}

}  // namespace

// ---- six-axis sensor

int Get_Force_Data(SOCKHANDLE h, float* force) {
    ARX_GUARD(h, Transfer, NotNull(force), Pause);
    return Request("get_force_data")
        .query(h, Kind::GetForceData, ArrayUpTo("force_data", force, ARX_FORCE_DATA_CAPACITY, SensorUnits, kWrongType));
}

int Clear_Force_Data(SOCKHANDLE h, bool block) {
    return bare_setting(h, block, "clear_force_data", Kind::ClearForceData, "clear_state");
}

// The calibrations all answer as "set_force_sensor".
int Set_Force_Sensor(SOCKHANDLE h) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_force_sensor").query(h, Kind::SetForceSensor, Boolean("set_state"), kCalibrationExtensionMs);
}

int Manual_Set_Force(SOCKHANDLE h, int pose_num, const float* joint) {
    ARX_GUARD(h, Transfer, NotNull(joint), Pause);
    const char* command = manual_force_command(pose_num);
    if (command == nullptr) return ARX_TYPE_ERROR;  // no such pose: a line without a command would go unanswered
    return Request(command).array("joint", joint, 6, MilliNumber)
        .query(h, Kind::SetForceSensor, Boolean("set_state"), kCalibrationExtensionMs);
}

int Stop_Set_Force_Sensor(SOCKHANDLE h, bool block) {
    return bare_setting(h, block, "stop_set_force_sensor", Kind::StopSetForceSensor, "stop_state");
}

// ---- force-position control

int Set_Force_Postion(SOCKHANDLE h, int sensor, int mode, int direction, int N, int block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_force_position")
        .add("sensor", Int(sensor))
        .add("mode", Int(mode))
        .add("direction", Int(direction))
        .add("N", TenthsInteger(N))
        .run(h, block == 1, Kind::SetForcePosition, Boolean("set_state"), kForcePositionExtensionMs);
}

int Stop_Force_Postion(SOCKHANDLE h, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    // The controller knows the queued form by this spelling.
    if (!block) return Request("stop_force_positon").queue(h);
    return Request("stop_force_position").query(h, Kind::StopForcePosition, Boolean("stop_state"));
}

int Start_Force_Position_Move(SOCKHANDLE h, bool block) {
    return bare_setting(h, block, "Start_Force_Position_Move", Kind::StartForcePositionMove, "set_state");
}

int Stop_Force_Postion_Move(SOCKHANDLE h, bool block) {
    return bare_setting(h, block, "Stop_Force_Position_Move", Kind::StopForcePositionMove, "set_state");
}

// Set-points stream without a pause or a wait: each asks for one state report,
// which the receive thread hands to the application callback.

int Force_Position_Move_Joint(SOCKHANDLE h, const float* joint, unsigned char sensor, unsigned char mode, int dir,
                              float force) {
    ARX_GUARD(h, Transfer, NotNull(joint));
    return Request("Force_Position_Move")
        .array("joint", joint, joints(h), Milli)
        .add("sensor", Int(sensor))
        .add("mode", Int(mode))
        .add("dir", Int(dir))
        .add("force", TenthsNumber(force))
        .callback(h, Kind::ForcePositionState);
}

int Force_Position_Move_POSE(SOCKHANDLE h, POSE pose, unsigned char sensor, unsigned char mode, int dir, float force) {
    ARX_GUARD(h, Transfer);
    return Request("Force_Position_Move")
        .pose("pose", pose)
        .add("sensor", Int(sensor))
        .add("mode", Int(mode))
        .add("dir", Int(dir))
        .add("force", TenthsNumber(force))
        .callback(h, Kind::ForcePositionState);
}

// ---- one-axis sensor

int Get_Fz(SOCKHANDLE h, float* fz) {
    ARX_GUARD(h, Transfer, NotNull(fz), Pause);
    return Request("get_Fz").query(h, Kind::GetFz, FzValue(fz));
}

int Clear_Fz(SOCKHANDLE h, bool block) {
    return bare_setting(h, block, "clear_Fz", Kind::ClearFz, "set_state");
}

int Auto_Set_Fz(SOCKHANDLE h) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("auto_set_Fz").query(h, Kind::SetForceSensor, Boolean("set_state"), kCalibrationExtensionMs);
}

int Manual_Set_Fz(SOCKHANDLE h, const float* joint1, const float* joint2) {
    ARX_GUARD(h, Transfer, NotNull(joint1, joint2), Pause);
    const int count = joints(h);
    return Request("manual_set_Fz")
        .array("pose1", joint1, count, MilliNumber)
        .array("pose2", joint2, count, MilliNumber)
        .query(h, Kind::SetForceSensor, Boolean("set_state"));
}
