// Arm-wide settings: Cartesian limits, collision stage, DH values, dynamic
// parameters, home pose, installation angles, servo and power switches. None
// of these checks the handle or the initialisation.
#include "core/log.h"
#include "kinematics/arm_models.h"
#include "kinematics/kinematic_state.h"
#include "protocol/command.h"
#include "protocol/internals.h"

using namespace arx::protocol;

namespace {

// A setting that the kinematics mirror: a queued line stores the value before
// it is queued (the controller's answer is never seen), a blocking one only
// once the controller has accepted it. A refused request stores nothing.
template <class Store>
int run_and_mirror(Request& request, SOCKHANDLE h, bool block, Kind kind, const Field& decode, Store store) {
    if (!block && !request.line().empty()) store();
    const int rc = request.run(h, block, kind, decode);
    if (block && rc == 0) store();
    return rc;
}

// The fourth DH value as the kinematics' end link: taken only when it reads as
// metres an arm can have. A controller counting in a finer unit (1440 for a
// 144 mm link) would otherwise make every later pose computation silently wrong.
void mirror_end_link(float value) {
    if (arx::kin::store_end_link_length(value)) return;
    arx::core::log(arx::core::LogLevel::Warning,
                   "DH end link %g is not a length in metres an arm can have (above 0, at most %g): "
                   "the kinematics keep their end link", static_cast<double>(value),
                   static_cast<double>(arx::kin::kMaxEndLinkMetres));
}

// Switches travel as the numbers 1 and 0.
Value Switch(bool on) { return Int(on ? 1 : 0); }

// Dynamic parameters per connection, as the record of its chain length says.
int dynamic_parameters(SOCKHANDLE h) { return arx::kin::arm_model_of_connection(joints(h)).dynamic_parameters; }

}  // namespace

// ------------------------------------------------------- Cartesian limits

int Set_Arm_Line_Speed(SOCKHANDLE h, float speed, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_arm_max_line_speed")
        .add("arm_line_speed", Milli(speed))
        .run(h, block, Kind::SetArmMaxLineSpeed, Boolean8("arm_line_speed"));
}

int Set_Arm_Line_Acc(SOCKHANDLE h, float acc, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_arm_max_line_acc")
        .add("arm_line_acc", Milli(acc))
        .run(h, block, Kind::SetArmMaxLineAcc, Boolean8("arm_line_acc"));
}

int Set_Arm_Angular_Speed(SOCKHANDLE h, float speed, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_arm_max_angular_speed")
        .add("arm_angular_speed", Milli(speed))
        .run(h, block, Kind::SetArmMaxAngularSpeed, Boolean8("arm_angular_speed"));
}

int Set_Arm_Angular_Acc(SOCKHANDLE h, float acc, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_arm_max_angular_acc")
        .add("arm_angular_acc", Milli(acc))
        .run(h, block, Kind::SetArmMaxAngularAcc, Boolean8("arm_angular_acc"));
}

int Get_Arm_Line_Speed(SOCKHANDLE h, float* speed) {
    ARX_GUARD(h, Transfer, NotNull(speed), Pause);
    return Request("get_arm_max_line_speed").query(h, Kind::ArmMaxLineSpeed, Scaled("arm_line_speed", speed));
}

int Get_Arm_Line_Acc(SOCKHANDLE h, float* acc) {
    ARX_GUARD(h, Transfer, NotNull(acc), Pause);
    return Request("get_arm_max_line_acc").query(h, Kind::ArmMaxLineAcc, Scaled("arm_line_acc", acc));
}

int Get_Arm_Angular_Speed(SOCKHANDLE h, float* speed) {
    ARX_GUARD(h, Transfer, NotNull(speed), Pause);
    return Request("get_arm_max_angular_speed").query(h, Kind::ArmMaxAngularSpeed, Scaled("arm_angular_speed", speed));
}

int Get_Arm_Angular_Acc(SOCKHANDLE h, float* acc) {
    ARX_GUARD(h, Transfer, NotNull(acc), Pause);
    return Request("get_arm_max_angular_acc").query(h, Kind::ArmMaxAngularAcc, Scaled("arm_angular_acc", acc));
}

// ------------------------------------------- end of arm, collision stage

int Set_Arm_Tip_Init(SOCKHANDLE h, bool block) {
    return bare_setting(h, block, "set_arm_init", Kind::SetArmInit, "arm_init");
}

// The controller answers a stage setting with "set_collision_state".
int Set_Collision_Stage(SOCKHANDLE h, int stage, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_collision_stage")
        .add("collision_stage", Int(stage))
        .run(h, block, Kind::SetCollisionState, Boolean("collision_state"));
}

int Get_Collision_Stage(SOCKHANDLE h, int* stage) {
    ARX_GUARD(h, Transfer, NotNull(stage), Pause);
    return Request("get_collision_stage").query(h, Kind::GetCollisionStage, Integer("collision_stage", stage));
}

// ------------------------------------------- DH values, dynamic parameters

// The fourth DH value is the end-link length the kinematics use; the wire and
// the outputs carry it unchanged whether or not the kinematics take it.
int Set_DH_Data(SOCKHANDLE h, float dh1, float dh2, float dh3, float end_link, float dh5, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    Request r("set_DH_data");
    r.array("data", {Truncated(dh1, 10), Truncated(dh2, 10), Truncated(dh3, 10), Truncated(end_link, 10),
                     Truncated(dh5, 10)});
    return run_and_mirror(r, h, block, Kind::SetDHData, Boolean("set_state"),
                          [=] { mirror_end_link(end_link); });
}

int Get_DH_Data(SOCKHANDLE h, float* dh1, float* dh2, float* dh3, float* end_link, float* dh5) {
    ARX_GUARD(h, Transfer, NotNull(dh1, dh2, dh3, end_link, dh5), Pause);
    const int rc = Request("get_DH_data")
                       .query(h, Kind::DHData, LeadingElements("data", std::array{dh1, dh2, dh3, end_link, dh5}, Tenths, kTypeErrors));
    if (rc == 0) mirror_end_link(*end_link);
    return rc;
}

int Set_Arm_Dynamic_Parm(SOCKHANDLE h, const float* parm, bool block) {
    ARX_GUARD(h, Transfer, NotNull(parm), Pause);
    return Request("set_arm_dynamic_parm")
        .array("parm", parm, dynamic_parameters(h), MilliNumber)
        .run(h, block, Kind::SetArmDynamicParm, Boolean("set_state"));
}

// ------------------------------------------------- home pose, installation

int Set_Arm_Init_Pose(SOCKHANDLE h, const float* joint, bool block) {
    ARX_GUARD(h, Transfer, NotNull(joint), Pause);
    return Request("set_init_pose")
        .array("init_pose", joint, joints(h), Milli)
        .run(h, block, Kind::SetInitPose, Boolean("init_pose"));
}

int Get_Arm_Init_Pose(SOCKHANDLE h, float* joint) {
    ARX_GUARD(h, Transfer, NotNull(joint), Pause);
    return Request("get_init_pose").query(h, Kind::InitPose, JointArray(h, "init_pose", joint, Thousandths, kTypeErrors));
}

// Angles in degrees, sent as given.
int Set_Install_Pose(SOCKHANDLE h, float x, float y, float z, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    Request r("set_install_pose");
    r.array("pose", {Number(x), Number(y), Number(z)});
    return run_and_mirror(r, h, block, Kind::SetInstallPose, Boolean("set_state"),
                          [=] { arx::kin::store_install_angles_deg(x, y, z); });
}

int arx::protocol::read_install_pose(SOCKHANDLE h, float* x, float* y, float* z) {
    const int rc = Request("get_install_pose")
                       .query(h, Kind::InstallPose, LeadingElements("pose", std::array{x, y, z}, NumberAsFloat, kTypeErrors));
    if (rc == 0) arx::kin::store_install_angles_deg(*x, *y, *z);
    return rc;
}

int Get_Install_Pose(SOCKHANDLE h, float* x, float* y, float* z) {
    ARX_GUARD(h, Transfer, NotNull(x, y, z), Pause);
    return read_install_pose(h, x, y, z);
}

// ------------------------------------------------------ servo and power

int Set_Arm_Servo_State(SOCKHANDLE h, bool state, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_arm_servo").add("arm_servo", Switch(state)).run(h, block, Kind::SetArmServo, Boolean("arm_servo"));
}

int Set_System_State_Servo(SOCKHANDLE h, bool state, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_system_state_servo")
        .add("servo_state", Switch(state))
        .run(h, block, Kind::SetSystemStateServo, Boolean("servo_state"));
}

int Set_Arm_Power(SOCKHANDLE h, bool on, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_arm_power").add("arm_power", Switch(on)).run(h, block, Kind::SetArmPower, Boolean("arm_power"));
}

int Get_Arm_Power_State(SOCKHANDLE h, int* state) {
    ARX_GUARD(h, Transfer, NotNull(state), Pause);
    return Request("get_arm_power_state").query(h, Kind::ArmPowerState, Integer("power_state", state));
}
