// The request line of a command: one compact JSON object, "command" first, the
// members in the order the command adds them, ended by CR LF.
//
//   Request r("set_joint_max_speed");
//   r.array("joint_max_speed", {Int(joint), Milli(speed)});
//   return r.run(h, block, Kind::SetJointMaxSpeed, Boolean8("joint_max_speed"));
//
// Values:
//   Int(v)          integer, unchanged
//   Milli(f)        f x 1000 in single precision, truncated toward zero to 32 bits
//   Micro(f)        f x 1000000, likewise
//   Truncated(f,k)  f x k, likewise (e.g. k = 10)
//   MilliNumber(f)  f x 1000 in single precision, sent with its fraction
//   Number(d)       sent as is (a float argument widens to double)
//   Text(s)         JSON string, escaped
//   Flag(b)         JSON true / false
// Numbers are written by the rule of number_text.h.
//
// A request that cannot be sent soundly is refused, never sent: a float that is
// not finite or whose scaled product leaves the 32-bit range, or a line that
// would not fit the 300-byte line buffer (at most 299 characters with CR LF),
// makes fault() 11; a null text makes it 19. Every transport method below
// returns fault() without sending when it is set, so a command cannot forget to
// check.
//
// Transport (defined in command.cpp, so the builder links without the core):
//   run(h, block, kind, decoder[, extension_ms])  block ? blocking : queued
//   query(h, kind, decoder[, extension_ms])       always blocking
//   queue(h)                                      queued, returns 0
//   send(h)                                       send-only, 0 or 6
//   callback(h, kind)                             callback-mode slot, 0 / 20 / 6
//   move(h, block, wait)                          a move's arrival (move_wait.cpp)
// The decoder is a ReplyDecoder (the same type as the core's); the families in
// decoders.h (Field) fit. This header needs only core/function_ref.h, a
// self-contained utility, so the builder can be used alone (a simulated
// controller, fuzz targets).
#pragma once

#include "arx_api.h"
#include "core/function_ref.h"
#include "protocol/number_text.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace arx::core {
enum class Kind : int;  // core/reply_kinds.h
}

namespace arx::protocol {

// Decodes a reply text into the caller's outputs; returns the result code.
// Referenced for the length of the call, never copied (allocates nothing).
using ReplyDecoder = core::FunctionRef<int(const char* reply)>;
struct MoveWait;  // protocol/move_wait.h

constexpr int kRequestRefused = ARX_TYPE_ERROR;   // bad value or overlong line
constexpr int kRequestNullText = ARX_NULL_POINTER;

// One request member value, validated when it is made.
class Value {
public:
    enum class Type : std::uint8_t { Number, Text, Flag };

    static Value number(double d) { return Value(Type::Number, d, nullptr, false, 0); }
    // A number known to be whole and within 32 bits: its digits are written
    // without looking at the double again (every scaled set-point).
    static Value whole(std::int32_t n) {
        Value v(Type::Number, n, nullptr, false, 0);
        v.whole_ = true;
        return v;
    }
    static Value text(const char* s) { return Value(Type::Text, 0, s, false, s ? 0 : kRequestNullText); }
    static Value flag(bool b) { return Value(Type::Flag, 0, nullptr, b, 0); }
    static Value refused(int code) { return Value(Type::Number, 0, nullptr, false, code); }

    Type type() const { return type_; }
    double as_number() const { return number_; }
    const char* as_text() const { return text_; }
    bool as_flag() const { return flag_; }
    int fault() const { return fault_; }  // 0, or the code the call returns instead
    bool is_whole() const { return whole_; }

private:
    Value(Type t, double d, const char* s, bool b, int fault)
        : type_(t), number_(d), text_(s), flag_(b), fault_(fault) {}
    Type type_;
    double number_;
    const char* text_;
    bool flag_;
    bool whole_ = false;
    int fault_;
};

// Defined here, not in request.cpp, so that a set-point's per-joint scaling
// inlines into the command that sends it.
inline Value Int(long long v) {
    if (v >= INT32_MIN && v <= INT32_MAX) return Value::whole(static_cast<std::int32_t>(v));
    return Value::number(static_cast<double>(v));
}
inline Value Truncated(float v, float factor) {
    // Floats in [-2^31, 2^31) truncate to a 32-bit integer without overflow;
    // NaN fails both comparisons.
    constexpr float kInt32Low = -2147483648.0f;
    constexpr float kInt32High = 2147483648.0f;
    const float product = v * factor;  // single precision, as the controller's units expect
    if (!(product >= kInt32Low && product < kInt32High)) return Value::refused(kRequestRefused);
    return Value::whole(static_cast<std::int32_t>(product));
}
inline Value Milli(float v) { return Truncated(v, 1000.0f); }
inline Value Micro(float v) { return Truncated(v, 1000000.0f); }
Value MilliNumber(float v);
Value Number(double v);
Value Text(const char* s);
Value Flag(bool b);

class Request {
public:
    // 300-byte line buffer: at most 299 characters including CR LF, and a zero.
    static constexpr std::size_t kLineCapacity = 300;
    static constexpr std::size_t kMaxLineLength = kLineCapacity - 1;

    explicit Request(std::string_view command);

    // A member of the innermost open object.
    Request& add(std::string_view key, const Value& value);

    // An array member built element by element in index order.
    Request& array(std::string_view key, std::initializer_list<Value> values);
    // A POSE as six integers: x, y, z x1000000, then rx, ry, rz x1000.
    Request& pose(std::string_view key, const POSE& p);
    template <class T, class ToValue>
    Request& array(std::string_view key, const T* values, int count, ToValue to_value) {
        open_array(key);
        if (values == nullptr && count > 0) fail(kRequestNullText);
        // The elements go straight in (a set-point line is mostly this loop):
        // the array was just opened and is closed below, so only the
        // separators need care.
        for (int i = 0; values != nullptr && i < count; ++i) {
            if (i > 0) write(',');
            write_value(to_value(values[i]));
        }
        return close();
    }

    // Nested containers: open_* inside an object takes a key, inside an array
    // it does not (pass ""). push() adds an element to the innermost open
    // array. Containers still open when the line is finished are closed.
    Request& open_object(std::string_view key);
    Request& open_array(std::string_view key);
    Request& push(const Value& value);
    Request& close();

    // 0, or the code the call returns instead of sending (11 or 19).
    int fault() const { return fault_; }

    // The command word, as the line carries it.
    std::string_view command() const { return {text_.data() + kCommandOffset, command_length_}; }

    // The finished line with CR LF; empty when the request is refused.
    std::string_view line();

    int run(SOCKHANDLE handle, bool block, core::Kind kind, ReplyDecoder decode,
            int extension_ms = 0);
    int query(SOCKHANDLE handle, core::Kind kind, ReplyDecoder decode, int extension_ms = 0);
    int queue(SOCKHANDLE handle);
    int send(SOCKHANDLE handle);
    int callback(SOCKHANDLE handle, core::Kind kind);
    // A move: queued, or blocking until the arrival report as `wait` says.
    int move(SOCKHANDLE handle, bool block, const MoveWait& wait);

private:
    static constexpr int kMaxDepth = 8;
    struct Level {
        bool is_array;
        bool has_members;
    };

    void fail(int code) {
        if (fault_ == 0) fault_ = code;
    }
    void begin_member(std::string_view key);
    void open(std::string_view key, bool is_array);
    void write_value(const Value& value) {
        if (value.fault() != 0) {
            fail(value.fault());
        } else if (value.is_whole()) {
            const auto n = static_cast<std::int32_t>(value.as_number());
            write_in_place([n](char* out) { return NumberText::write_whole(n, out); });
        } else {
            write_other(value);
        }
    }
    void write_other(const Value& value);
    void write_string(std::string_view s);
    // A number's text is written straight into the line (text_ has room for
    // one past the limit) and refused afterwards if it went past the limit.
    template <class WriteText>
    void write_in_place(WriteText write_text) {
        if (fault_ != 0) return;
        const std::size_t written = write_text(text_.data() + length_);
        if (length_ + written > kMaxLineLength) {
            fail(kRequestRefused);
            return;
        }
        length_ += written;
    }
    void write(std::string_view s);
    void write(char c) {  // most writes are one character: no copy routine for them
        if (fault_ != 0) return;
        if (length_ >= kMaxLineLength) {
            fail(kRequestRefused);
            return;
        }
        text_[length_++] = c;
    }
    // Finishes the line and hands it to `path`, unless the request was refused
    // (then logged; defined beside the transport, so the builder alone needs no log).
    template <class Path>
    int deliver(Path&& path) {
        const std::string_view text = line();
        if (fault_ != 0) {
            log_refusal();
            return fault_;
        }
        return path(text);
    }
    void log_refusal() const;

    // The command word starts after {"command":" .
    static constexpr std::size_t kCommandOffset = 12;

    // The line, and room past its limit for one number's text: a number is
    // written in place and refused afterwards if it went past the limit.
    // Not cleared: only the first length_ are read.
    std::array<char, kLineCapacity + NumberText::kMaxLength> text_;
    std::size_t length_ = 0;
    std::array<Level, kMaxDepth> levels_{};
    int depth_ = 0;
    bool finished_ = false;
    int fault_ = 0;
    std::size_t command_length_ = 0;
};

}  // namespace arx::protocol
