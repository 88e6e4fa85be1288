// Moves, streaming set-points and trajectory control.
#include "kinematics/frames.h"
#include "protocol/command.h"
#include "protocol/internals.h"
#include "protocol/move_wait.h"

#include <cstring>

using namespace arx::protocol;

namespace {

POSE command_pose(const Pose& p) { return POSE{p.x, p.y, p.z, p.euler.rx, p.euler.ry, p.euler.rz}; }

// The arm's current joints, read before a derived move: 0 or the query's code.
int current_joints(SOCKHANDLE h, float* joint) {
    POSE pose;
    unsigned short arm_err = 0, sys_err = 0;
    return read_arm_state(h, joint, &pose, &arm_err, &sys_err);
}

// "type" and "data" of the current trajectory: joints (thousandths) for none
// and movej, a pose for movel and movec. A "data" array shorter than the type
// needs is refused before anything is written.
Field CurrentTrajectory(SOCKHANDLE h, ARM_CTRL_MODES* type, float* data) {
    return Field([=](const cJSON* object) {
        const cJSON* array = nullptr;
        if (int rc = read_array(object, "data", &array, kWrongType)) return rc;
        const cJSON* name = member(object, "type");
        if (name == nullptr) return kMissing;
        if (!cJSON_IsString(name) || name->valuestring == nullptr) return kWrongType;
        struct Mode { const char* name; ARM_CTRL_MODES mode; };
        static constexpr Mode kModes[] = {
            {"none", ARM_CTRL_NONE}, {"movej", ARM_CTRL_MOVEJ}, {"movel", ARM_CTRL_MOVEL}, {"movec", ARM_CTRL_MOVEC}};
        for (const Mode& m : kModes) {
            if (std::strcmp(name->valuestring, m.name) != 0) continue;
            const bool joint_space = m.mode == ARM_CTRL_NONE || m.mode == ARM_CTRL_MOVEJ;
            const int needed = joint_space ? joints(h) : 6;
            if (cJSON_GetArraySize(array) < needed) return kWrongType;
            *type = m.mode;
            if (joint_space) return read_elements(array, data, needed, Thousandths);
            const cJSON* item = array->child;
            for (int i = 0; i < 6; ++i, item = item->next) {  // metres, then radians
                if (!cJSON_IsNumber(item)) return kWrongType;
                data[i] = i < 3 ? Millionths(item) : Thousandths(item);
            }
            return 0;
        }
        return kWrongType;
    });
}

}  // namespace

// ---- moves

int Movej_Cmd(SOCKHANDLE h, const float* joint, unsigned char v, float r, bool block) {
    ARX_GUARD(h, Transfer, NotNull(joint), Pause);
    return Request("movej")
        .array("joint", joint, joints(h), Milli)
        .add("v", Int(v))
        .add("r", Milli(r))
        .move(h, block, kJointMoveWait);
}

int arx::protocol::move_line(SOCKHANDLE h, POSE pose, unsigned char v, float r, bool block) {
    return Request("movel").pose("pose", pose).add("v", Int(v)).add("r", Milli(r)).move(h, block, kLineMoveWait);
}

int Movel_Cmd(SOCKHANDLE h, POSE pose, unsigned char v, float r, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return move_line(h, pose, v, r, block);
}

int Movec_Cmd(SOCKHANDLE h, POSE pose_via, POSE pose_to, unsigned char v, float r, unsigned char loop, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("movec")
        .open_object("pose").pose("pose_via", pose_via).pose("pose_to", pose_to).close()
        .add("v", Int(v))
        .add("r", Milli(r))
        .add("loop", Int(loop))
        .move(h, block, kArcMoveWait);
}

int Movej_P_Cmd(SOCKHANDLE h, POSE pose, unsigned char v, float r, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("movej_p").pose("pose", pose).add("v", Int(v)).add("r", Milli(r)).move(h, block, kJointPoseMoveWait);
}

// ---- streaming set-points: one send from the calling thread, no reply, no
// pause. A value with no sound line is refused (11); a send that fails (a
// closed, reset or ended connection) is 6, so a streaming loop learns that
// its arm is gone.

int Movej_CANFD(SOCKHANDLE h, const float* joint) {
    ARX_GUARD(h, Transfer, NotNull(joint));
    return Request("movej_canfd").array("joint", joint, joints(h), Milli).send(h);
}

int Movep_CANFD(SOCKHANDLE h, POSE pose) {
    ARX_GUARD(h, Transfer);
    return Request("movep_canfd").pose("pose", pose).send(h);
}

// ---- moves whose target the kinematics compute from the arm's joints
// Three steps, each with the transfer check and 20 ms pause of a command of
// its own: the move's, the state query's, the line move's. The controller
// sees the state query and the line 20 ms after the step before, as it would
// from an application sending them itself.

int MoveCartesianTool_Cmd(SOCKHANDLE h, float* joint, float dx, float dy, float dz, int /*mode*/, unsigned char v,
                          float r, bool block) {
    // Without joints the kinematics would give the zero pose, a target nobody meant.
    ARX_GUARD(h, Transfer, NotNull(joint), Pause);
    float current[7] = {};
    ARX_GUARD(h, Transfer, Pause);  // the state query's
    if (const int rc = current_joints(h, current)) return rc;
    ARX_GUARD(h, Transfer, Pause);  // the line move's
    return move_line(h, command_pose(arx::kin::cartesian_tool(joint, dx, dy, dz)), v, r, block);
}

int MoveRotate_Cmd(SOCKHANDLE h, int axis, float angle, Pose choose_axis, unsigned char v, float r, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    float current[7] = {};
    ARX_GUARD(h, Transfer, Pause);  // the state query's
    if (const int rc = current_joints(h, current)) return rc;
    ARX_GUARD(h, Transfer, Pause);  // the line move's
    return move_line(h, command_pose(arx::kin::rotate_move(current, axis, angle, choose_axis)), v, r, block);
}

// ---- trajectory control

int Move_Stop_Cmd(SOCKHANDLE h, bool block) {
    return bare_setting(h, block, "set_arm_stop", Kind::SetArmStop, "arm_stop");
}

int Move_Pause_Cmd(SOCKHANDLE h, bool block) {
    return bare_setting(h, block, "set_arm_pause", Kind::SetArmPause, "arm_pause");
}

int Move_Continue_Cmd(SOCKHANDLE h, bool block) {
    return bare_setting(h, block, "set_arm_continue", Kind::SetArmContinue, "arm_continue");
}

int Clear_Current_Trajectory(SOCKHANDLE h, bool block) {
    return bare_setting(h, block, "set_delete_current_trajectory", Kind::SetDeleteCurrentTrajectory, "delete_current_trajectory");
}

int Clear_All_Trajectory(SOCKHANDLE h, bool block) {
    return bare_setting(h, block, "set_arm_delete_trajectory", Kind::SetArmDeleteTrajectory, "arm_delete_trajectory");
}

int Get_Current_Trajectory(SOCKHANDLE h, ARM_CTRL_MODES* type, float* data) {
    ARX_GUARD(h, Transfer, NotNull(type, data), Pause);
    return Request("get_arm_current_trajectory").query(h, Kind::ArmCurrentTrajectory, CurrentTrajectory(h, type, data));
}
