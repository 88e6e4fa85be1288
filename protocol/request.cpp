#include "protocol/request.h"

#include "protocol/number_text.h"

#include <cmath>
#include <cstring>

namespace arx::protocol {

Value MilliNumber(float v) { return Number(static_cast<double>(v * 1000.0f)); }

Value Number(double v) {
    if (!std::isfinite(v)) return Value::refused(kRequestRefused);
    return Value::number(v);
}

Value Text(const char* s) { return Value::text(s); }
Value Flag(bool b) { return Value::flag(b); }

Request::Request(std::string_view command) {
    static constexpr std::string_view kOpening = R"({"command":)";
    write(kOpening);
    levels_[0] = {false, true};
    depth_ = 1;
    write_string(command);
    if (length_ > kCommandOffset) command_length_ = length_ - kCommandOffset - 1;  // without the closing quote
}

void Request::write(std::string_view s) {
    if (fault_ != 0) return;
    if (length_ + s.size() > kMaxLineLength) {
        fail(kRequestRefused);
        return;
    }
    if (s.empty()) return;  // an empty view may carry no pointer at all
    std::memcpy(text_.data() + length_, s.data(), s.size());
    length_ += s.size();
}

namespace {

// One table read a byte: the words and keys of every line pass through here.
struct EscapeTable {
    bool escaped[256] = {};
    constexpr EscapeTable() {
        for (int c = 0; c < 0x20; ++c) escaped[c] = true;
        escaped[static_cast<unsigned char>('"')] = true;
        escaped[static_cast<unsigned char>('\\')] = true;
    }
};
constexpr EscapeTable kEscapes{};

bool needs_escape(unsigned char c) { return kEscapes.escaped[c]; }

}  // namespace

void Request::write_string(std::string_view s) {
    static constexpr char kHex[] = "0123456789abcdef";
    write('"');
    std::size_t i = 0;
    while (i < s.size()) {
        // The run of bytes that pass unchanged (bytes from 128 up among them), in one copy.
        std::size_t run = i;
        while (run < s.size() && !needs_escape(static_cast<unsigned char>(s[run]))) ++run;
        if (run > i) write(s.substr(i, run - i));
        if (run == s.size()) break;
        const auto c = static_cast<unsigned char>(s[run]);
        i = run + 1;
        switch (c) {
            case '"': write("\\\""); break;
            case '\\': write("\\\\"); break;
            case '\b': write("\\b"); break;
            case '\f': write("\\f"); break;
            case '\n': write("\\n"); break;
            case '\r': write("\\r"); break;
            case '\t': write("\\t"); break;
            default: {
                const char escaped[] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 0xF]};
                write(std::string_view(escaped, sizeof escaped));
            }
        }
    }
    write('"');
}

void Request::begin_member(std::string_view key) {
    if (finished_ || depth_ == 0) {
        fail(kRequestRefused);
        return;
    }
    Level& level = levels_[depth_ - 1];
    if (level.has_members) write(',');
    level.has_members = true;
    if (!level.is_array) {
        write_string(key);
        write(':');
    }
}

void Request::write_other(const Value& value) {
    switch (value.type()) {
        case Value::Type::Number:
            write_in_place([&value](char* out) { return NumberText::write(value.as_number(), out); });
            break;
        case Value::Type::Text: write_string(value.as_text()); break;
        case Value::Type::Flag: write(value.as_flag() ? "true" : "false"); break;
    }
}

Request& Request::add(std::string_view key, const Value& value) {
    begin_member(key);
    write_value(value);
    return *this;
}

Request& Request::push(const Value& value) {
    if (depth_ == 0 || !levels_[depth_ - 1].is_array) {
        fail(kRequestRefused);
        return *this;
    }
    return add("", value);
}

void Request::open(std::string_view key, bool is_array) {
    begin_member(key);
    if (depth_ >= kMaxDepth) {
        fail(kRequestRefused);
        return;
    }
    write(is_array ? '[' : '{');
    levels_[depth_++] = {is_array, false};
}

Request& Request::open_object(std::string_view key) {
    open(key, false);
    return *this;
}

Request& Request::open_array(std::string_view key) {
    open(key, true);
    return *this;
}

Request& Request::close() {
    if (finished_ || depth_ <= 1) {  // the root object is closed by line()
        fail(kRequestRefused);
        return *this;
    }
    --depth_;
    write(levels_[depth_].is_array ? ']' : '}');
    return *this;
}

Request& Request::array(std::string_view key, std::initializer_list<Value> values) {
    return array(key, values.begin(), static_cast<int>(values.size()), [](const Value& v) -> const Value& { return v; });
}

Request& Request::pose(std::string_view key, const POSE& p) {
    return array(key, {Micro(p.x), Micro(p.y), Micro(p.z), Milli(p.rx), Milli(p.ry), Milli(p.rz)});
}

std::string_view Request::line() {
    if (!finished_) {
        while (depth_ > 0) {
            --depth_;
            write(levels_[depth_].is_array ? ']' : '}');
        }
        write("\r\n");
        finished_ = true;
    }
    if (fault_ != 0) return {};
    return {text_.data(), length_};
}

}  // namespace arx::protocol
