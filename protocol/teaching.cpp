// Jogging the arm: continuous teaching until a stop, single steps, and the
// frame that position and orientation teaching move in.
#include "protocol/command.h"

using namespace arx::protocol;

namespace {

Value Direction(unsigned char direction) { return Text(direction != 0 ? "pos" : "neg"); }

// The axis word of axis 0, 1 or 2; the member is left out for other values.
Request& axis_member(Request& r, const char* key, int axis, const char* const (&words)[3]) {
    if (axis >= 0 && axis <= 2) r.add(key, Text(words[axis]));
    return r;
}

constexpr const char* kPosTeachAxes[3] = {"x", "y", "z"};
constexpr const char* kOrtTeachAxes[3] = {"rx", "ry", "rz"};
constexpr const char* kPosStepAxes[3] = {"x_step", "y_step", "z_step"};
constexpr const char* kOrtStepAxes[3] = {"rx_step", "ry_step", "rz_step"};

// A step ends with the arrival report, awaited only as long as any reply.
int await_step(Request& r, SOCKHANDLE h, bool block) {
    return r.run(h, block, Kind::CurrentTrajectoryState, Boolean("trajectory_state"));
}

// Only an explicit false refuses; a missing state is 8, as the controller
// always sends one.
Field TeachFrameState() {
    return Field([](const cJSON* object) {
        if (!cJSON_IsObject(object)) return kMissing;
        const cJSON* item = member(object, "set_state");
        if (item == nullptr) return static_cast<int>(ARX_STATE_TYPE_ERROR);
        return cJSON_IsFalse(item) ? int{ARX_CONTROLLER_FALSE} : int{ARX_SUCCESS};
    });
}

}  // namespace

// ---- teaching: the arm moves until Teach_Stop_Cmd

int Joint_Teach_Cmd(SOCKHANDLE h, unsigned char joint, unsigned char direction, unsigned char v, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_joint_teach")
        .add("teach_joint", Int(joint))
        .add("direction", Direction(direction))
        .add("v", Int(v))
        .run(h, block, Kind::SetJointTeach, Boolean("joint_teach"));
}

int Pos_Teach_Cmd(SOCKHANDLE h, POS_TEACH_MODES axis, unsigned char direction, unsigned char v, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    Request r("set_pos_teach");
    return axis_member(r, "teach_type", axis, kPosTeachAxes)
        .add("direction", Direction(direction))
        .add("v", Int(v))
        .run(h, block, Kind::SetPosTeach, Boolean("pos_teach"));
}

int Ort_Teach_Cmd(SOCKHANDLE h, ORT_TEACH_MODES axis, unsigned char direction, unsigned char v, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    Request r("set_ort_teach");
    return axis_member(r, "teach_type", axis, kOrtTeachAxes)
        .add("direction", Direction(direction))
        .add("v", Int(v))
        .run(h, block, Kind::SetOrtTeach, Boolean("ort_teach"));
}

int Teach_Stop_Cmd(SOCKHANDLE h, bool block) {
    return bare_setting(h, block, "set_stop_teach", Kind::SetStopTeach, "stop_teach");
}

// ---- steps

int Joint_Step_Cmd(SOCKHANDLE h, unsigned char joint, float step_deg, unsigned char v, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    // The joint step keeps its fraction: 1.2345 degrees travel as 1234.500000.
    Request r("set_joint_step");
    r.array("joint_step", {Int(joint), MilliNumber(step_deg)}).add("v", Int(v));
    return await_step(r, h, block);
}

int Pos_Step_Cmd(SOCKHANDLE h, POS_TEACH_MODES axis, float step_m, unsigned char v, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    Request r("set_pos_step");
    axis_member(r, "step_type", axis, kPosStepAxes).add("step", Micro(step_m)).add("v", Int(v));
    return await_step(r, h, block);
}

int Ort_Step_Cmd(SOCKHANDLE h, ORT_TEACH_MODES axis, float step_rad, unsigned char v, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    Request r("set_ort_step");
    axis_member(r, "step_type", axis, kOrtStepAxes).add("step", Milli(step_rad)).add("v", Int(v));
    return await_step(r, h, block);
}

int Set_Teach_Frame(SOCKHANDLE h, int frame_type, int block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_teach_frame").add("frame_type", Int(frame_type)).run(h, block == 1, Kind::SetTeachFrame, TeachFrameState());
}
