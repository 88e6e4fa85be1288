// Every decoder family on arbitrary reply text. Each output lives in a heap
// block of exactly its documented size, so a write past it is an ASan report;
// an output the family must leave alone on failure starts as a sentinel and is
// checked. The member names are taken from the text itself (the first member
// of the object, and of the first nested object), so the fuzzer reaches the
// typed reading without having to guess a key.
#include "core/reply_kinds.h"
#include "protocol/decoders.h"
#include "protocol/reports.h"

#include <algorithm>
#include <cmath>
#include <array>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

using namespace arx::protocol;

constexpr float kSentinel = -12345.0f;

void fail(const char* family, const char* what) {
    std::fprintf(stderr, "decoder %s: %s\n", family, what);
    std::abort();
}

template <class T>
std::unique_ptr<T[]> block(std::size_t n, T fill) {
    auto p = std::make_unique<T[]>(n);
    for (std::size_t i = 0; i < n; ++i) p[i] = fill;
    return p;
}

void expect_code(const char* family, int rc, std::initializer_list<int> allowed) {
    for (int a : allowed)
        if (rc == a) return;
    std::fprintf(stderr, "decoder %s: result %d\n", family, rc);
    std::abort();
}

template <class T>
bool untouched(const T* out, std::size_t from, std::size_t to, T sentinel) {
    for (std::size_t i = from; i < to; ++i)
        if (std::memcmp(&out[i], &sentinel, sizeof(T)) != 0) return false;
    return true;
}

bool finite_all(const float* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (!std::isfinite(out[i])) return false;
    return true;
}

bool finite_pose(const POSE& p) {
    const float v[6] = {p.x, p.y, p.z, p.rx, p.ry, p.rz};
    return finite_all(v, 6);
}

// The counted arrays of the protocol: 6 or 7 joints, or a 6-element pose.
template <class T, class Convert>
void counted_array(const char* text, const char* key, int count, Convert convert, ArrayCodes codes, T sentinel) {
    auto out = block<T>(static_cast<std::size_t>(count), sentinel);
    const int rc = CountedArray(key, out.get(), count, convert, codes)(text);
    expect_code("CountedArray", rc, {0, kMissing, codes.not_array, codes.wrong_length, kWrongType});
    if (rc != 0 && !untouched(out.get(), 0, static_cast<std::size_t>(count), sentinel))
        fail("CountedArray", "wrote elements and failed");
}

template <class T, class Convert>
void array_up_to(const char* text, const char* key, int capacity, Convert convert, T sentinel) {
    auto out = block<T>(static_cast<std::size_t>(capacity), sentinel);
    const int rc = ArrayUpTo(key, out.get(), capacity, convert, ARX_ARRAY_ERROR)(text);
    expect_code("ArrayUpTo", rc, {0, kMissing, ARX_ARRAY_ERROR, kWrongType});
    if (rc != 0 && !untouched(out.get(), 0, static_cast<std::size_t>(capacity), sentinel))
        fail("ArrayUpTo", "wrote elements and failed");
}

template <bool kExact>
void separate_elements(const char* text, const char* key) {
    auto a = block<float>(1, kSentinel), b = block<float>(1, kSentinel), c = block<float>(1, kSentinel);
    const std::array<float*, 3> outs{a.get(), b.get(), c.get()};
    const Field field = kExact ? ExactElements(key, outs, Thousandths, kArrayThenTypeError)
                               : LeadingElements(key, outs, Thousandths, kArrayThenTypeError);
    const int rc = field(text);
    expect_code("ElementsTo", rc, {0, kMissing, ARX_ARRAY_ERROR, kWrongType});
    const bool none = a[0] == kSentinel && b[0] == kSentinel && c[0] == kSentinel;
    if (rc != 0 && !none) fail("ElementsTo", "wrote elements and failed");
}

void scalar_families(const char* text, const char* key) {
    expect_code("Boolean", Boolean(key)(text), {0, ARX_CONTROLLER_FALSE, kWrongType, kMissing});
    expect_code("Boolean8", Boolean8(key)(text), {0, ARX_CONTROLLER_FALSE, ARX_STATE_TYPE_ERROR, kMissing});

    auto i32 = block<int>(1, 0);
    expect_code("Integer", Integer(key, i32.get())(text), {0, kMissing, kWrongType});
    auto u8 = block<unsigned char>(1, 0);
    expect_code("Integer<u8>", Integer(key, u8.get())(text), {0, kMissing, kWrongType});
    auto u16 = block<unsigned short>(1, 0);
    expect_code("Integer<u16>", Integer(key, u16.get())(text), {0, kMissing, kWrongType});

    auto scaled = block<float>(1, kSentinel);
    const int scaled_rc = Scaled(key, scaled.get())(text);
    expect_code("Scaled", scaled_rc, {0, kMissing, kWrongType});
    if (scaled_rc == 0 && !std::isfinite(scaled[0])) fail("Scaled", "not finite");
    if (scaled_rc != 0 && scaled[0] != kSentinel) fail("Scaled", "wrote and failed");

    auto converted = block<float>(1, kSentinel);
    const int converted_rc = Converted(key, converted.get(), NumberAsFloat)(text);
    expect_code("Converted", converted_rc, {0, kMissing, kWrongType});
    if (converted_rc == 0 && !std::isfinite(converted[0])) fail("Converted", "a usable number became inf");

    // Twelve characters hold every 32-bit value and its terminator.
    auto digits = block<char>(12, 'x');
    const int text_rc = IntegerText(key, digits.get(), 12)(text);
    expect_code("IntegerText", text_rc, {0, kMissing, kWrongType});
    if (text_rc == 0) {
        if (std::memchr(digits.get(), '\0', 12) == nullptr) fail("IntegerText", "no terminator");
        char* end = nullptr;
        const long value = std::strtol(digits.get(), &end, 10);
        if (*end != '\0' || value < INT32_MIN || value > INT32_MAX) fail("IntegerText", "not a 32-bit integer");
    }

    // The tenth byte of a FRAME_NAME is the caller's terminator: never written.
    auto name = block<FRAME_NAME>(1, FRAME_NAME{});
    name[0].name[kFrameNameChars] = '#';
    expect_code("FrameName", FrameName(key, name.get())(text), {0, kMissing, kWrongType});
    if (name[0].name[kFrameNameChars] != '#') fail("FrameName", "wrote the terminator byte");

    auto pose = block<POSE>(1, POSE{});
    const int pose_rc = PoseArray(key, pose.get())(text);
    expect_code("PoseArray", pose_rc, {0, kMissing, kWrongType, ARX_POSE_ARRAY_ERROR});
    if (pose_rc == 0 && !finite_pose(pose[0])) fail("PoseArray", "not finite");
}

void list_families(const char* text, const char* key) {
    for (int capacity : {1, 10}) {
        auto names = block<FRAME_NAME>(static_cast<std::size_t>(capacity), FRAME_NAME{});
        for (int i = 0; i < capacity; ++i) names[i].name[kFrameNameChars] = '#';
        auto count = block<int>(1, -1);
        const int rc = NameList(key, names.get(), capacity, count.get())(text);
        expect_code("NameList", rc, {0, kMissing, kWrongType});
        if (count[0] != -1 && (count[0] < 1 || count[0] > capacity)) fail("NameList", "count out of range");
        for (int i = 0; i < capacity; ++i)
            if (names[i].name[kFrameNameChars] != '#') fail("NameList", "wrote a terminator byte");
    }
    for (int joints : {6, 7}) {
        counted_array<float>(text, key, joints, Thousandths, kArrayErrors, kSentinel);
        counted_array<unsigned char>(text, key, joints, IntegerPart, kTypeErrors, 0xA5);
        counted_array<unsigned short>(text, key, joints, IntegerPart, kMissingThenArrayError, 0xA5A5);
        array_up_to<float>(text, key, joints, Millionths, kSentinel);
    }
    counted_array<float>(text, key, 12, Tenths, kMissingThenTypeError, kSentinel);
    array_up_to<float>(text, key, 1, LowByteAsFloat, kSentinel);
    separate_elements<true>(text, key);
    separate_elements<false>(text, key);
}

void report_decoder(const std::string& line) {
    using arx::core::Kind;
    for (Kind kind : {Kind::JointState, Kind::PoseState, Kind::ForcePositionState}) {
        for (int joints : {0, 6, 7, 8}) {
            const CallbackData d = decode_report(kind, 7, line, joints);
            expect_code("report", d.err_code, {0, kMissing, kWrongType});
            const int filled = joints == 7 ? 7 : 6;  // a count no arm has reads as six
            for (int i = filled; i < 7; ++i)
                if (d.joint[i] != 0) fail("report", "a joint past the count was written");
            if (!finite_all(d.joint, 7) || !finite_pose(d.pose)) fail("report", "not finite");
        }
    }
}

// The first member name of an object, if it is one.
std::string first_key(const cJSON* item) {
    if (!cJSON_IsObject(item) || item->child == nullptr || item->child->string == nullptr) return "state";
    return item->child->string;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The stored reply text: zero-terminated, in a block of exactly its size.
    auto text = std::make_unique<char[]>(size + 1);
    std::memcpy(text.get(), data, size);
    text[size] = '\0';

    const Reply reply(text.get());
    const std::string key = first_key(reply.root());
    const cJSON* nested = reply ? member(reply.root(), key.c_str()) : nullptr;
    const std::string inner_key = first_key(nested);

    scalar_families(text.get(), key.c_str());
    list_families(text.get(), key.c_str());

    // Within: the same families one object down.
    auto inner = block<float>(7, kSentinel);
    const int within_rc = Within(key.c_str(), Boolean(inner_key.c_str()))(text.get());
    expect_code("Within", within_rc, {0, ARX_CONTROLLER_FALSE, kWrongType, kMissing});
    const int nested_rc = Within(key.c_str(), CountedArray(inner_key.c_str(), inner.get(), 7, Thousandths,
                                                            kArrayErrors))(text.get());
    expect_code("Within", nested_rc, {0, kWrongType, kMissing, ARX_ARRAY_ERROR});

    report_decoder(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
