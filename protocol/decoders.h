// Reading the controller's replies: the decoder families and the pieces that
// composite decoders are built from.
//
// A reply is the first JSON value of the stored text (anything after it is
// ignored); member names match ignoring letter case. A Field reads members of
// one JSON object and returns a result code; called on reply text it parses
// first (not JSON -> 9). Composite fields write outputs as they go: what an
// earlier field wrote stays written when a later one fails; one array field
// writes all its elements or none. A number that does not convert to a
// finite float counts as not a number (11).
//
// Families (key: a string literal; codes beyond these are the caller's):
//   Boolean(key)            true 0, false 1, other type 11, missing 9
//   Boolean8(key)           as Boolean, other type 8
//   Integer(key, out)       not a number 11; *out = integer part (low bits for
//                           narrow unsigned outputs)
//   Scaled(key, out[, d])   as Integer, *out = integer part / d (default 1000),
//                           in single precision: 1234.9 -> 1.234
//   CountedArray(key, out, count, convert, codes)
//                           not an array -> codes.not_array; length != count ->
//                           codes.wrong_length (nothing written);
//                           out[i] = convert(element i)
//   ArrayUpTo(key, out, capacity, convert, not_array_code)
//                           no length check; writes min(length, capacity)
//   LeadingElements(key, {&a, &b}, convert, codes)
//                           elements 0.. to separate outputs; shorter array ->
//                           codes.wrong_length (nothing written)
//   ExactElements(key, {&a, &b}, convert, codes)
//                           as LeadingElements, but exactly as many elements
// The array families take their two codes as one named pair (ArrayCodes), so a
// row reads as its table does: kArrayErrors, kTypeErrors, ... below.
//   Converted(key, out, convert)
//                           one number member: *out = convert(it), other type 11
//   IntegerText(key, out, capacity)
//                           one number member written as "%d" text
//   FrameName(key, name)    a name member into a FRAME_NAME (9 characters)
//   NameList(key, names, capacity, count)
//                           names up to the first "NULL", at most capacity;
//                           *count = names copied, untouched when none
//   PoseArray(key, pose)    not an array 11, not six elements 12; x y z / 1e6,
//                           rx ry rz / 1000
//   Within(key, fields...)  member must be an object (missing 9, other 11);
//                           the fields read inside it
//   All(fields...)          the fields in order; the first failure ends
// Element converters: Thousandths, Millionths, Tenths, IntegerPart (assigned to
// the output type: to float it is the whole number, to unsigned char / short the
// low 8 / 16 bits), LowByteAsFloat, NumberAsFloat (fraction kept). An element
// that is not a number gives 11.
//
// For decoders these families cannot express, write a lambda over the reply
// text with Reply, member() and the read_* helpers below.
#pragma once

#include "arx_api.h"

#include <cjson/cJSON.h>

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <utility>

namespace arx::protocol {

constexpr int kMissing = ARX_REPLY_NOT_JSON;  // 9: not JSON, or a member missing
constexpr int kWrongType = ARX_TYPE_ERROR;    // 11

// What an array member fails with: not an array at all, or not as many
// elements as expected.
struct ArrayCodes {
    int not_array;
    int wrong_length;
};
// The pairs the protocol tables use, named after their codes (not array, length).
inline constexpr ArrayCodes kArrayErrors{ARX_ARRAY_ERROR, ARX_ARRAY_ERROR};              // 10, 10
inline constexpr ArrayCodes kArrayThenTypeError{ARX_ARRAY_ERROR, ARX_TYPE_ERROR};        // 10, 11
inline constexpr ArrayCodes kTypeErrors{ARX_TYPE_ERROR, ARX_TYPE_ERROR};                 // 11, 11
inline constexpr ArrayCodes kMissingThenArrayError{ARX_REPLY_NOT_JSON, ARX_ARRAY_ERROR}; // 9, 10
inline constexpr ArrayCodes kMissingThenTypeError{ARX_REPLY_NOT_JSON, ARX_TYPE_ERROR};   // 9, 11

// The first JSON value of a reply text, released with the object.
class Reply {
public:
    explicit Reply(const char* text);
    explicit operator bool() const { return root_ != nullptr; }
    const cJSON* root() const { return root_.get(); }

private:
    struct Release {
        void operator()(cJSON* item) const { cJSON_Delete(item); }
    };
    std::unique_ptr<cJSON, Release> root_;
};

// Member of a JSON object by name, ignoring letter case; null when `object` is
// not an object or has no such member.
const cJSON* member(const cJSON* object, const char* key);

// A number's integer value: truncated toward zero, saturated to 32 bits.
int integer_part(const cJSON* number);

// A member value the decoders take as a number: a JSON number that converts
// to a finite float. Anything else (1e300, say) is refused with 11, so a
// controller's overflow never reaches the caller or the kinematics as inf.
bool is_usable_number(const cJSON* item);
// Every element of `array` up to `count` is a usable number.
bool usable_numbers(const cJSON* array, int count);

// Element converters.
float Thousandths(const cJSON* number);
float Millionths(const cJSON* number);
float Tenths(const cJSON* number);
int IntegerPart(const cJSON* number);
float LowByteAsFloat(const cJSON* number);
float NumberAsFloat(const cJSON* number);

// Typed member readers: 9 when the member is missing, else as stated.
int read_bool(const cJSON* object, const char* key, int other_type_code);  // true 0, false 1
int read_array(const cJSON* object, const char* key, const cJSON** array, int not_array_code);
int read_object(const cJSON* object, const char* key, const cJSON** found, int not_object_code = kWrongType);
// Copies at most `width` characters, zero-filling a shorter text up to `width`
// and writing no terminator when the text is as long or longer. 11 when not a string.
int read_text(const cJSON* object, const char* key, char* out, std::size_t width);

template <class T, class Convert>
int read_number(const cJSON* object, const char* key, T* out, Convert convert) {
    const cJSON* item = member(object, key);
    if (item == nullptr) return kMissing;
    if (!is_usable_number(item)) return kWrongType;
    *out = static_cast<T>(convert(item));
    return 0;
}

// out[i] = convert(element i) for i < count (count <= the array's size);
// nothing is written unless every one of them is a usable number.
template <class T, class Convert>
int read_elements(const cJSON* array, T* out, int count, Convert convert) {
    if (!usable_numbers(array, count)) return kWrongType;
    const cJSON* item = array != nullptr ? array->child : nullptr;
    for (int i = 0; i < count && item != nullptr; ++i, item = item->next) out[i] = static_cast<T>(convert(item));
    return 0;
}

// A decoder step over one JSON object; on reply text it parses first.
class Field {
public:
    using Read = std::function<int(const cJSON* object)>;
    explicit Field(Read read) : read_(std::move(read)) {}

    int read(const cJSON* object) const { return read_(object); }
    int operator()(const char* reply_text) const;

private:
    Read read_;
};

Field Boolean(const char* key);
Field Boolean8(const char* key);
Field Scaled(const char* key, float* out, float divisor = 1000.0f);
Field PoseArray(const char* key, POSE* out);

template <class T>
Field Integer(const char* key, T* out) {
    return Field([=](const cJSON* object) { return read_number(object, key, out, IntegerPart); });
}

template <class T, class Convert>
Field CountedArray(const char* key, T* out, int count, Convert convert, ArrayCodes codes) {
    return Field([=](const cJSON* object) {
        const cJSON* array = nullptr;
        if (int rc = read_array(object, key, &array, codes.not_array)) return rc;
        if (cJSON_GetArraySize(array) != count) return codes.wrong_length;
        return read_elements(array, out, count, convert);
    });
}

template <class T, class Convert>
Field ArrayUpTo(const char* key, T* out, int capacity, Convert convert, int not_array_code) {
    return Field([=](const cJSON* object) {
        const cJSON* array = nullptr;
        if (int rc = read_array(object, key, &array, not_array_code)) return rc;
        return read_elements(array, out, capacity, convert);
    });
}

// Array elements 0.. each to its own output, in order. With `longer_ok` an
// array may hold more elements than outputs; otherwise it must hold exactly as
// many. Any other length -> codes.wrong_length, nothing written.
template <class T, std::size_t N, class Convert>
Field ElementsTo(const char* key, const std::array<T*, N>& outs, Convert convert, ArrayCodes codes,
                 bool longer_ok) {
    return Field([=](const cJSON* object) {
        const cJSON* array = nullptr;
        if (int rc = read_array(object, key, &array, codes.not_array)) return rc;
        const int size = cJSON_GetArraySize(array);
        if (size < static_cast<int>(N) || (!longer_ok && size != static_cast<int>(N))) return codes.wrong_length;
        if (!usable_numbers(array, static_cast<int>(N))) return kWrongType;
        const cJSON* item = array->child;
        for (T* out : outs) {
            *out = static_cast<T>(convert(item));
            item = item->next;
        }
        return 0;
    });
}

template <class T, std::size_t N, class Convert>
Field LeadingElements(const char* key, const std::array<T*, N>& outs, Convert convert, ArrayCodes codes) {
    return ElementsTo(key, outs, convert, codes, /*longer_ok=*/true);
}

template <class T, std::size_t N, class Convert>
Field ExactElements(const char* key, const std::array<T*, N>& outs, Convert convert, ArrayCodes codes) {
    return ElementsTo(key, outs, convert, codes, /*longer_ok=*/false);
}

template <class T, class Convert>
Field Converted(const char* key, T* out, Convert convert) {
    return Field([=](const cJSON* object) { return read_number(object, key, out, convert); });
}

// The integer value as decimal text with its terminator; `capacity` of 12
// holds every 32-bit value.
Field IntegerText(const char* key, char* out, std::size_t capacity);

// A frame or tool name holds this many characters; the tenth byte of
// FRAME_NAME is the caller's terminator and is never written.
constexpr std::size_t kFrameNameChars = sizeof(FRAME_NAME::name) - 1;

// One name member into a FRAME_NAME (kFrameNameChars limit); 11 when not a string.
Field FrameName(const char* key, FRAME_NAME* out);

// Names of a list reply, each copied with the FRAME_NAME limit of 9
// characters (no terminator written for 9 or more; the tenth never written).
// Stops at the element "NULL" or after `capacity` names; an element that is
// not a string gives 11.
Field NameList(const char* key, FRAME_NAME* names, int capacity, int* count);

template <class... Fields>
Field All(Fields... fields) {
    return Field([=](const cJSON* object) {
        int rc = 0;
        (void)(((rc = fields.read(object)) == 0) && ...);  // stops at the first failure
        return rc;
    });
}

template <class... Fields>
Field Within(const char* key, Fields... fields) {
    return Field([key, inner = All(std::move(fields)...)](const cJSON* object) {
        const cJSON* nested = nullptr;
        if (int rc = read_object(object, key, &nested)) return rc;
        return inner.read(nested);
    });
}

}  // namespace arx::protocol
