#include "core/callback_report.h"

#include "core/classifier.h"

#include <cjson/cJSON.h>

#include <memory>
#include <string>

namespace arx::core {

namespace {

struct JsonDeleter {
    void operator()(cJSON* item) const { cJSON_Delete(item); }
};
using Json = std::unique_ptr<cJSON, JsonDeleter>;

// Parses the first JSON value of the line; text after it is ignored.
Json parse_first_value(std::string_view line) {
    std::string text(line);
    return Json(cJSON_ParseWithOpts(text.c_str(), nullptr, false));
}

// Element i as a float; a missing element reads as 0.
float element(const cJSON* array, int i) {
    const cJSON* item = cJSON_GetArrayItem(array, i);
    return item && cJSON_IsNumber(item) ? static_cast<float>(item->valuedouble) : 0.0f;
}

void read_joints(const cJSON* array, int joints, float* out) {
    for (int i = 0; i < 6; ++i) out[i] = element(array, i);
    if (joints == 7) out[6] = element(array, 6);
}

int decode_motion_state(const cJSON* root, int joints, CallbackData& data) {
    if (!cJSON_GetObjectItem(root, "arm_err")) return ARX_REPLY_NOT_JSON;
    const cJSON* pose = cJSON_GetObjectItem(root, "pose");
    if (cJSON_IsArray(pose)) {
        data.pose.x = element(pose, 0);
        data.pose.y = element(pose, 1);
        data.pose.z = element(pose, 2);
        data.pose.rx = element(pose, 3);
        data.pose.ry = element(pose, 4);
        data.pose.rz = element(pose, 5);
    }
    const cJSON* joint = cJSON_GetObjectItem(root, "joint");
    if (cJSON_IsArray(joint)) read_joints(joint, joints, data.joint);
    return ARX_SUCCESS;
}

int decode_force_position_state(const cJSON* root, int joints, CallbackData& data) {
    if (!cJSON_GetObjectItem(root, "state")) return ARX_REPLY_NOT_JSON;
    const cJSON* joint = cJSON_GetObjectItem(root, "joint");
    if (!cJSON_IsArray(joint)) return ARX_TYPE_ERROR;
    read_joints(joint, joints, data.joint);
    if (const cJSON* err = cJSON_GetObjectItem(root, "arm_err"))
        data.arm_err = static_cast<uint16_t>(err->valueint);
    if (const cJSON* force = cJSON_GetObjectItem(root, "force"))
        data.force = force->valueint / 10;  // integer division truncates toward zero
    return ARX_SUCCESS;
}

}  // namespace

int callback_code(int kind) {
    switch (kind) {
    case kKindJointStateReport: return 1;
    case kKindPoseStateReport: return 2;
    case kKindForcePositionState: return 3;
    default: return 0;
    }
}

CallbackData decode_report(int kind, SOCKHANDLE socket, std::string_view line, int joints) {
    CallbackData data{};
    data.socket = static_cast<int32_t>(socket & 0xFFFFFFFFu);
    data.code = callback_code(kind);
    data.arm_err = 8;
    Json root = parse_first_value(line);
    if (!root) {
        data.err_code = ARX_REPLY_NOT_JSON;
        return data;
    }
    data.err_code = data.code == 3 ? decode_force_position_state(root.get(), joints, data)
                                   : decode_motion_state(root.get(), joints, data);
    return data;
}

}  // namespace arx::core
