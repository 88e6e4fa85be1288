// Joint configuration and calibration.
#include "protocol/command.h"

using namespace arx::protocol;

// ---------------------------------------------------------------- settings

int Set_Joint_Speed(SOCKHANDLE h, unsigned char joint, float speed, bool block) {
    ARX_GUARD(h, Transfer, Handle, Init);
    return Request("set_joint_max_speed")
        .array("joint_max_speed", {Int(joint), Milli(speed)})
        .run(h, block, Kind::SetJointMaxSpeed, Boolean8("joint_max_speed"));
}

int Set_Joint_Acc(SOCKHANDLE h, unsigned char joint, float acc, bool block) {
    ARX_GUARD(h, Transfer, Handle, Init);
    return Request("set_joint_max_acc")
        .array("joint_max_acc", {Int(joint), Milli(acc)})
        .run(h, block, Kind::SetJointMaxAcc, Boolean8("joint_max_acc"));
}

int Set_Joint_Min_Pos(SOCKHANDLE h, unsigned char joint, float pos, bool block) {
    ARX_GUARD(h, Transfer);
    return Request("set_joint_min_pos")
        .array("joint_min_pos", {Int(joint), Milli(pos)})
        .run(h, block, Kind::SetJointMinPos, Boolean8("joint_min_pos"));
}

int Set_Joint_Max_Pos(SOCKHANDLE h, unsigned char joint, float pos, bool block) {
    ARX_GUARD(h, Transfer);
    return Request("set_joint_max_pos")
        .array("joint_max_pos", {Int(joint), Milli(pos)})
        .run(h, block, Kind::SetJointMaxPos, Boolean8("joint_max_pos"));
}

int Set_Joint_EN_State(SOCKHANDLE h, unsigned char joint, bool state, bool block) {
    ARX_GUARD(h, Transfer);
    return Request("set_joint_en_state")
        .array("joint_en_state", {Int(joint), Int(state ? 1 : 0)})
        .run(h, block, Kind::SetJointEnState, Boolean8("joint_en_state"));
}

int Set_Joint_Zero_Pos(SOCKHANDLE h, unsigned char joint, bool block) {
    ARX_GUARD(h, Transfer, Pause, Handle, Init);
    return Request("set_joint_zero_pos")
        .add("joint_zero_pos", Int(joint))
        .run(h, block, Kind::JointZeroPos, Boolean8("joint_zero_pos"));
}

int Set_Joint_Err_Clear(SOCKHANDLE h, unsigned char joint, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_joint_clear_err")
        .add("joint_clear_err", Int(joint))
        .run(h, block, Kind::SetJointClearErr, Boolean8("joint_clear_err"));
}

int Set_Joint_Zero_Offset(SOCKHANDLE h, const float* offset, bool block) {
    ARX_GUARD(h, Transfer, NotNull(offset), Pause);
    return Request("set_joint_zero_offset")
        .array("offset", offset, joints(h), Milli)
        .run(h, block, Kind::SetJointZeroOffset, Boolean("set_state"));
}

int Start_Calibrate(SOCKHANDLE h, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("start_calibrate").run(h, block, Kind::StartCalibrate, Boolean8("calibrate_state"));
}

int Stop_Calibrate(SOCKHANDLE h, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("stop_calibrate").run(h, block, Kind::StopCalibrate, Boolean8("calibrate_state"));
}

// ----------------------------------------------------------------- queries
// Per-joint replies fail with the pair of codes their table gives (not an
// array, wrong length).

int Get_Joint_Speed(SOCKHANDLE h, float* speed) {
    ARX_GUARD(h, Transfer, NotNull(speed), Pause);
    return Request("get_joint_max_speed")
        .query(h, Kind::JointMaxSpeed, JointArray(h, "joint_speed", speed, Thousandths, kArrayErrors));
}

int Get_Joint_Acc(SOCKHANDLE h, float* acc) {
    ARX_GUARD(h, Transfer, NotNull(acc), Pause);
    return Request("get_joint_max_acc").query(h, Kind::JointMaxAcc, JointArray(h, "joint_acc", acc, Thousandths, kArrayErrors));
}

int Get_Joint_Min_Pos(SOCKHANDLE h, float* pos) {
    ARX_GUARD(h, Transfer, NotNull(pos), Pause);
    return Request("get_joint_min_pos").query(h, Kind::JointMinPos, JointArray(h, "min_pos", pos, Thousandths, kArrayErrors));
}

int Get_Joint_Max_Pos(SOCKHANDLE h, float* pos) {
    ARX_GUARD(h, Transfer, NotNull(pos), Pause);
    return Request("get_joint_max_pos").query(h, Kind::JointMaxPos, JointArray(h, "max_pos", pos, Thousandths, kArrayThenTypeError));
}

int Get_Joint_EN_State(SOCKHANDLE h, unsigned char* state) {
    ARX_GUARD(h, Transfer, NotNull(state), Pause);
    return Request("get_joint_en_state").query(h, Kind::JointEnState, JointArray(h, "en_state", state, IntegerPart, kArrayThenTypeError));
}

int Get_Joint_Err_Flag(SOCKHANDLE h, unsigned short* flags) {
    ARX_GUARD(h, Transfer, NotNull(flags), Pause);
    return Request("get_joint_err_flag").query(h, Kind::JointErrFlag, JointArray(h, "err_flag", flags, IntegerPart, kArrayThenTypeError));
}

int Get_Joint_Software_Version(SOCKHANDLE h, float* version) {
    ARX_GUARD(h, Transfer, NotNull(version), Pause);
    return Request("get_joint_software_version")
        .query(h, Kind::JointSoftwareVersion, JointArray(h, "version", version, Thousandths, kArrayThenTypeError));
}

// The controller fills only the per-joint states; `second` and `third` are
// left as the caller set them.
int Get_Calibrate_State(SOCKHANDLE h, float* state, unsigned short* second, int* third) {
    ARX_GUARD(h, Transfer, NotNull(state, second, third), Pause);
    return Request("get_calibrate_state")
        .query(h, Kind::CalibrateState, JointArray(h, "joint_state", state, LowByteAsFloat, kMissingThenArrayError));
}

// Telemetry that lives here for history: at most one value per joint is written.
int Get_Joint_Degree(SOCKHANDLE h, float* degree) {
    ARX_GUARD(h, Transfer, NotNull(degree), Pause);
    return Request("get_joint_degree").query(h, Kind::JointDegree, JointArrayUpTo(h, "joint", degree, Thousandths, ARX_TYPE_ERROR));
}
