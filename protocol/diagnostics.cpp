// Errors as text and the log handler: the exports an application uses to say
// what went wrong. Static texts only, so they are safe from any thread and
// from a log handler.
#include "arx_api.h"
#include "core/log.h"
#include "kinematics/state.h"
#include "protocol/internals.h"

void Arx_Set_Log_Handler(int min_level, ArxLogHandler handler) { arx::core::set_log_handler(min_level, handler); }

const char* Arx_Result_Text(int code) { return arx::protocol::result_text(code); }

const char* arx::protocol::result_text(int code) {
    switch (code) {
        case ARX_SUCCESS: return "success";
        case ARX_CONTROLLER_FALSE: return "the controller answered false: it refused or failed the operation";
        case ARX_NOT_INITIALISED: return "the library is not initialised, or the arm model is not supported";
        case ARX_NETWORK_START_FAILED: return "network start-up or socket creation failed, or 300 connections are open";
        case ARX_CONNECT_FAILED: return "the connection failed, or the handle is 0";
        case ARX_SEND_FAILED: return "sending the request failed";
        case ARX_REPLY_TIMEOUT: return "no reply in time";
        case ARX_STATE_TYPE_ERROR: return "a true/false member of the reply has another type";
        case ARX_REPLY_NOT_JSON: return "the reply is not JSON, or a member is missing";
        case ARX_ARRAY_ERROR: return "a reply array has the wrong type or length";
        case ARX_TYPE_ERROR: return "a reply member has the wrong type or length, or an argument cannot be sent";
        case ARX_POSE_ARRAY_ERROR: return "a reply array does not hold the six values of a pose";
        case ARX_MOVE_NOT_COMPLETED: return "the move did not complete in time";
        case ARX_PATH_TOO_LONG: return "the trajectory file path is too long";
        case ARX_PATH_OR_PROJECT: return "the trajectory file path has no folder, or the controller refused the project";
        case ARX_FILE_UNREADABLE: return "the trajectory file cannot be read or is empty";
        case ARX_FILE_TRANSFER_BUSY: return "a trajectory file upload is in progress";
        case ARX_NULL_POINTER: return "a required pointer argument is null";
        case ARX_PENDING_TABLE_FULL: return "too many replies are awaited, or the send queue is full; nothing was sent";
        // Arm_Socket_Start's all-ones handle, as an int.
        case static_cast<int>(ARX_START_FAILED_HANDLE):
            return "connected, but a start-up frame query failed; the connection is closed";
        default: return "unknown result code";
    }
}

namespace {

// "joint N is beyond its limit", N = 1..7.
constexpr const char* kJointBeyondLimit[] = {
    "joint 1 is beyond its limit", "joint 2 is beyond its limit", "joint 3 is beyond its limit",
    "joint 4 is beyond its limit", "joint 5 is beyond its limit", "joint 6 is beyond its limit",
    "joint 7 is beyond its limit",
};

// The joint whose limit code this is, 1-based, or 0. The six-joint solvers
// count joint 1 from -3 down, the seven-joint one from -5 down.
int limit_joint(int code, const arx::kin::ArmModelSpec& arm) {
    const int joint = arm.ik.first_joint_limit - code + 1;
    return joint >= 1 && joint <= arm.joints ? joint : 0;
}

const char* no_solution_text(arx::kin::SolverFamily solver) {
    switch (solver) {
        case arx::kin::SolverFamily::SevenAxisHeldJoint:
            return "no solution within 0.26 rad of the current joints, or the tool frame is singular";
        case arx::kin::SolverFamily::SixAxisClosedForm: break;
    }
    return "no solution: the target is out of reach, or the tool frame is singular";
}

}  // namespace

const char* Arx_IK_Result_Text(int code) {
    switch (code) {
        case 1: return "solved";
        case ARX_NOT_INITIALISED: return "no arm model is loaded";
        case ARX_NULL_POINTER: return "a pointer argument is null";
        default: break;
    }
    // Read with the codes of the model inverse_kinematics now solves for.
    const arx::kin::ArmModelSpec* arm = arx::kin::kinematic_state().arm;
    if (arm == nullptr) return "unknown inverse kinematics result";  // no model: no negative codes
    if (arm->ik.wrist_out_of_reach != 0 && code == arm->ik.wrist_out_of_reach) return "the wrist point is out of reach";
    if (code == arm->ik.no_solution) return no_solution_text(arm->solver);
    if (const int joint = limit_joint(code, *arm)) return kJointBeyondLimit[joint - 1];
    return "unknown inverse kinematics result";
}
