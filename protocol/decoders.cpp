#include "protocol/decoders.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstring>

namespace arx::protocol {

Reply::Reply(const char* text) {
    if (text != nullptr) root_.reset(cJSON_ParseWithOpts(text, nullptr, /*require_null_terminated=*/0));
}

const cJSON* member(const cJSON* object, const char* key) {
    if (!cJSON_IsObject(object)) return nullptr;
    return cJSON_GetObjectItem(object, key);  // case-insensitive
}

int integer_part(const cJSON* number) {
    const double d = number->valuedouble;
    if (d >= INT_MAX) return INT_MAX;
    if (d <= INT_MIN) return INT_MIN;
    return static_cast<int>(d);
}

bool is_usable_number(const cJSON* item) {
    return cJSON_IsNumber(item) && std::isfinite(item->valuedouble) && std::fabs(item->valuedouble) <= FLT_MAX;
}

bool usable_numbers(const cJSON* array, int count) {
    const cJSON* item = array != nullptr ? array->child : nullptr;
    for (int i = 0; i < count && item != nullptr; ++i, item = item->next)
        if (!is_usable_number(item)) return false;
    return true;
}

float Thousandths(const cJSON* number) { return static_cast<float>(integer_part(number)) / 1000.0f; }
float Millionths(const cJSON* number) { return static_cast<float>(integer_part(number)) / 1000000.0f; }
float Tenths(const cJSON* number) { return static_cast<float>(integer_part(number)) / 10.0f; }
int IntegerPart(const cJSON* number) { return integer_part(number); }
float LowByteAsFloat(const cJSON* number) {
    return static_cast<float>(static_cast<std::uint8_t>(integer_part(number)));
}
float NumberAsFloat(const cJSON* number) { return static_cast<float>(number->valuedouble); }

int read_bool(const cJSON* object, const char* key, int other_type_code) {
    const cJSON* item = member(object, key);
    if (item == nullptr) return kMissing;
    if (cJSON_IsTrue(item)) return 0;
    if (cJSON_IsFalse(item)) return ARX_CONTROLLER_FALSE;
    return other_type_code;
}

int read_array(const cJSON* object, const char* key, const cJSON** array, int not_array_code) {
    const cJSON* item = member(object, key);
    if (item == nullptr) return kMissing;
    if (!cJSON_IsArray(item)) return not_array_code;
    *array = item;
    return 0;
}

int read_object(const cJSON* object, const char* key, const cJSON** found, int not_object_code) {
    const cJSON* item = member(object, key);
    if (item == nullptr) return kMissing;
    if (!cJSON_IsObject(item)) return not_object_code;
    *found = item;
    return 0;
}

int read_text(const cJSON* object, const char* key, char* out, std::size_t width) {
    const cJSON* item = member(object, key);
    if (item == nullptr) return kMissing;
    if (!cJSON_IsString(item) || item->valuestring == nullptr) return kWrongType;
    std::strncpy(out, item->valuestring, width);
    return 0;
}

int Field::operator()(const char* reply_text) const {
    const Reply reply(reply_text);
    if (!reply) return kMissing;
    return read_(reply.root());
}

Field Boolean(const char* key) {
    return Field([key](const cJSON* object) { return read_bool(object, key, kWrongType); });
}

Field Boolean8(const char* key) {
    return Field([key](const cJSON* object) { return read_bool(object, key, ARX_STATE_TYPE_ERROR); });
}

Field Scaled(const char* key, float* out, float divisor) {
    return Field([=](const cJSON* object) {
        return read_number(object, key, out,
                           [divisor](const cJSON* n) { return static_cast<float>(integer_part(n)) / divisor; });
    });
}

Field PoseArray(const char* key, POSE* out) {
    return Field([=](const cJSON* object) {
        const cJSON* array = nullptr;
        if (int rc = read_array(object, key, &array, kWrongType)) return rc;
        if (cJSON_GetArraySize(array) != 6) return static_cast<int>(ARX_POSE_ARRAY_ERROR);
        float v[6] = {};
        if (int rc = read_elements(array, v, 6, IntegerPart)) return rc;
        *out = POSE{v[0] / 1000000.0f, v[1] / 1000000.0f, v[2] / 1000000.0f,
                    v[3] / 1000.0f, v[4] / 1000.0f, v[5] / 1000.0f};
        return 0;
    });
}

Field IntegerText(const char* key, char* out, std::size_t capacity) {
    return Field([=](const cJSON* object) {
        int value = 0;
        if (int rc = read_number(object, key, &value, IntegerPart)) return rc;
        std::snprintf(out, capacity, "%d", value);
        return 0;
    });
}

Field FrameName(const char* key, FRAME_NAME* out) {
    return Field([=](const cJSON* object) { return read_text(object, key, out->name, kFrameNameChars); });
}

Field NameList(const char* key, FRAME_NAME* names, int capacity, int* count) {
    return Field([=](const cJSON* object) {
        const cJSON* array = nullptr;
        if (int rc = read_array(object, key, &array, kWrongType)) return rc;
        int copied = 0;
        for (const cJSON* item = array->child; item != nullptr && copied < capacity; item = item->next) {
            if (!cJSON_IsString(item) || item->valuestring == nullptr) return kWrongType;
            if (std::strcmp(item->valuestring, "NULL") == 0) break;
            std::strncpy(names[copied].name, item->valuestring, kFrameNameChars);
            *count = ++copied;
        }
        return 0;
    });
}

}  // namespace arx::protocol
