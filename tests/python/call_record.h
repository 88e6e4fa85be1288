// Records the calls of the exports as JSON while a sweep row runs, for the
// Python sweep test: the wrappers that tools/gen_python.py --recorder writes
// give each call's arguments and result to a CallRecord.
#pragma once

#include "arx_api.h"

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <type_traits>

namespace arx::test {

// A JSON text written in order; a comma goes before any value or key that
// follows another (not an opening bracket or a key).
class Json {
public:
    void open(char bracket) { comma(), text_ += bracket; }
    void close(char bracket) { text_ += bracket; }
    void key(const char* name) { comma(), quoted(name, std::strlen(name)), text_ += ':'; }
    void raw(const std::string& value) { comma(), text_ += value; }
    void string(const char* s, std::size_t n) { comma(), quoted(s, n); }
    const std::string& text() const { return text_; }

private:
    void quoted(const char* s, std::size_t n) {
        // Quotes, backslashes and unprintable bytes as \u00XX (Python reads them back as Latin-1).
        text_ += '"';
        for (std::size_t i = 0; i < n; ++i) {
            const unsigned char c = static_cast<unsigned char>(s[i]);
            char escaped[8] = {s[i]};
            if (c < 0x20 || c > 0x7e || c == '"' || c == '\\') std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            text_ += escaped;
        }
        text_ += '"';
    }
    void comma() {
        if (!text_.empty() && text_.back() != '{' && text_.back() != '[' && text_.back() != ':') text_ += ',';
    }
    std::string text_;
};

inline void put(Json& j, bool v) { j.raw(v ? "true" : "false"); }
inline void put(Json& j, double v) {
    // NaN and the infinities as Python's json module reads them.
    if (std::isnan(v)) return j.raw("NaN");
    if (std::isinf(v)) return j.raw(v > 0 ? "Infinity" : "-Infinity");
    char text[40];
    std::snprintf(text, sizeof text, "%.9g", v);
    j.raw(text);
}
inline void put(Json& j, float v) { put(j, static_cast<double>(v)); }
template <class T, std::enable_if_t<std::is_integral_v<T> || std::is_enum_v<T>, int> = 0>
void put(Json& j, T v) {
    j.raw(std::is_signed_v<T> ? std::to_string(static_cast<long long>(v))
                              : std::to_string(static_cast<unsigned long long>(v)));
}
inline void put(Json& j, const char* s) {
    if (!s) return j.raw("null");
    j.string(s, std::strlen(s));
}
template <std::size_t N>
void put(Json& j, const char (&s)[N]) {
    j.string(s, strnlen(s, N));
}
template <class T>
void put_list(Json& j, const T* values, int count) {
    j.open('[');
    for (int i = 0; i < count; ++i) put(j, values[i]);
    j.close(']');
}
template <class T, std::size_t N>
void put(Json& j, const T (&values)[N]) {
    put_list(j, values, static_cast<int>(N));
}

// The joint count of the model last given to Arx_API_Init or Init_Sys_Data:
// how many elements of a joint array the library reads.
int recorded_joints();
void note_recorded_model(int model);

// One call of an export: its arguments, result and outputs (what a successful
// call wrote). Only the outermost call on the thread running the row is
// recorded (an export that calls another records once).
class CallRecord {
public:
    explicit CallRecord(const char* function);
    ~CallRecord();
    template <class T>
    void arg(const char* name, const T& value) {
        if (active_) args_.key(name), put(args_, value);
    }
    void text(const char* name, const char* value) { arg(name, value); }
    void given(const char* name, bool given) { arg(name, given); }
    template <class T>
    void pointed(const char* name, const T* value) {
        if (!active_) return;
        args_.key(name);
        value ? put(args_, *value) : args_.raw("null");
    }
    template <class T>
    void array(const char* name, const T* values, int count) {
        if (!active_) return;
        args_.key(name);
        values ? put_list(args_, values, count) : args_.raw("null");
    }
    template <class T>
    void result(const T& value) {
        if (active_) put(result_, value);
    }
    template <class T>
    void output(const char* name, const T& value) {
        if (active_) outputs_.key(name), put(outputs_, value);
    }
    template <class T>
    void output_array(const char* name, const T* values, int count) {
        if (active_) outputs_.key(name), put_list(outputs_, values, count);
    }
    void output_text(const char* name, const char* text, std::size_t capacity) {
        if (active_) outputs_.key(name), outputs_.string(text, strnlen(text, capacity));
    }
    void names(const char* name, const FRAME_NAME* names, int count) {
        if (!active_) return;
        outputs_.key(name);
        outputs_.open('[');
        for (int i = 0; i < count && i < ARX_FRAME_NAME_CAPACITY; ++i) put(outputs_, names[i].name);
        outputs_.close(']');
    }

private:
    const char* function_;
    bool active_;
    Json args_, result_, outputs_;  // args_ and outputs_ without their closing brace
};

}  // namespace arx::test
