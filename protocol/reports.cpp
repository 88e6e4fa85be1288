#include "protocol/reports.h"

#include "core/classifier.h"
#include "kinematics/arm_models.h"
#include "protocol/decoders.h"

#include <string>

namespace arx::protocol {

namespace {

// Reports are read leniently: a missing, non-numeric or overflowing element reads as 0.
float element_or_zero(const cJSON* array, int i) {
    const cJSON* item = cJSON_GetArrayItem(array, i);
    return is_usable_number(item) ? NumberAsFloat(item) : 0.0f;
}

void read_joints(const cJSON* array, int joints, float* out) {
    for (int i = 0; i < joints; ++i) out[i] = element_or_zero(array, i);
}

int decode_motion_state(const cJSON* root, int joints, CallbackData& data) {
    if (!member(root, "arm_err")) return kMissing;
    const cJSON* pose = member(root, "pose");
    if (cJSON_IsArray(pose)) {
        data.pose = POSE{element_or_zero(pose, 0), element_or_zero(pose, 1), element_or_zero(pose, 2),
                         element_or_zero(pose, 3), element_or_zero(pose, 4), element_or_zero(pose, 5)};
    }
    const cJSON* joint = member(root, "joint");
    if (cJSON_IsArray(joint)) read_joints(joint, joints, data.joint);
    return 0;
}

int decode_force_position_state(const cJSON* root, int joints, CallbackData& data) {
    if (!member(root, "state")) return kMissing;
    const cJSON* joint = member(root, "joint");
    if (!cJSON_IsArray(joint)) return kWrongType;
    read_joints(joint, joints, data.joint);
    // Only numbers are taken: a value of another type would read as 0, "no
    // error" or "no force", which the controller never said.
    const cJSON* err = member(root, "arm_err");
    if (cJSON_IsNumber(err)) data.arm_err = static_cast<uint16_t>(integer_part(err));
    const cJSON* force = member(root, "force");
    if (cJSON_IsNumber(force)) data.force = integer_part(force) / 10;  // truncates toward zero
    return 0;
}

}  // namespace

int callback_code(core::Kind kind) {
    switch (kind) {
    case core::Kind::JointState: return 1;
    case core::Kind::PoseState: return 2;
    case core::Kind::ForcePositionState: return 3;
    default: return 0;
    }
}

CallbackData decode_report(core::Kind kind, SOCKHANDLE socket, std::string_view line, int joints) {
    CallbackData data{};
    data.socket = static_cast<int32_t>(socket & 0xFFFFFFFFu);
    data.code = callback_code(kind);
    data.arm_err = 8;
    const Reply reply(std::string(line).c_str());  // the stored line is not zero-terminated
    if (!reply) {
        data.err_code = kMissing;
        return data;
    }
    joints = arx::kin::arm_model_of_connection(joints).joints;  // a count no arm has reads as six
    data.err_code = data.code == 3 ? decode_force_position_state(reply.root(), joints, data)
                                   : decode_motion_state(reply.root(), joints, data);
    return data;
}

}  // namespace arx::protocol
