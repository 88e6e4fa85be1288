// Grippers and dexterous hands on the tool port.
#include "protocol/command.h"

using namespace arx::protocol;

namespace {

// A gripper motion is complete when the controller reports its arrival, the
// same report the arm's own moves end with; the acknowledgement of the command
// itself completes nothing.
const Field kArrived = Boolean("trajectory_state");

// The controller takes the blocking form as "block": true and the queued form
// as "block": 0.
Value BlockMember(bool block) { return block ? Flag(true) : Int(0); }

}  // namespace

int Set_Gripper_Route(SOCKHANDLE h, int min, int max, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_gripper_route").add("min", Int(min)).add("max", Int(max))
        .run(h, block, Kind::SetGripperRoute, Boolean("state"));
}

int Set_Gripper_Release(SOCKHANDLE h, int speed, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_gripper_release").add("speed", Int(speed)).add("block", BlockMember(block))
        .run(h, block, Kind::CurrentTrajectoryState, kArrived);
}

int Set_Gripper_Pick(SOCKHANDLE h, int speed, int force, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_gripper_pick").add("speed", Int(speed)).add("force", Int(force)).add("block", BlockMember(block))
        .run(h, block, Kind::CurrentTrajectoryState, kArrived);
}

int Set_Gripper_Pick_On(SOCKHANDLE h, int speed, int force, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_gripper_pick_on").add("speed", Int(speed)).add("force", Int(force)).add("block", BlockMember(block))
        .run(h, block, Kind::CurrentTrajectoryState, kArrived);
}

int Set_Gripper_Position(SOCKHANDLE h, int position, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    Request r("set_gripper_position");
    r.add("position", Int(position));
    if (block) r.add("block", Flag(true));  // the queued form carries no "block" at all
    return r.run(h, block, Kind::CurrentTrajectoryState, kArrived);
}

int Set_Hand_Posture(SOCKHANDLE h, int posture_num, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_hand_posture").add("posture_num", Int(posture_num))
        .run(h, block, Kind::SetHandPosture, Boolean("set_state"));
}

int Set_Hand_Seq(SOCKHANDLE h, int seq_num, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_hand_seq").add("seq_num", Int(seq_num)).run(h, block, Kind::SetHandSeq, Boolean("set_state"));
}

int Set_Hand_Angle(SOCKHANDLE h, const int* angle, bool block) {
    ARX_GUARD(h, Transfer, NotNull(angle), Pause);
    return Request("set_hand_angle").array("hand_angle", angle, 6, Int)
        .run(h, block, Kind::SetHandAngle, Boolean("set_state"));
}

int Set_Hand_Speed(SOCKHANDLE h, int speed, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_hand_speed").add("hand_speed", Int(speed)).run(h, block, Kind::SetHandSpeed, Boolean("set_state"));
}

int Set_Hand_Force(SOCKHANDLE h, int force, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_hand_force").add("hand_force", Int(force)).run(h, block, Kind::SetHandForce, Boolean("set_state"));
}
