#include "sim/json_line.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace arx::sim {

namespace {

// Values as cJSON_PrintUnformatted writes them, written here because it puts
// every number through printf and scanf, the better part of a reply's cost.
void put_string(std::string& out, const char* text) {
    out += '"';
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text ? text : ""); *p; ++p) {
        switch (*p) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (*p < 32) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", *p);
                    out += escaped;
                } else {
                    out += static_cast<char>(*p);
                }
        }
    }
    out += '"';
}

void put_number(std::string& out, double d) {
    if (std::isnan(d) || std::isinf(d)) {
        out += "null";
        return;
    }
    // A whole number of up to 15 digits prints as its digits in any precision
    // (-0 keeps its sign in printf: it takes the long way).
    if (d == std::trunc(d) && std::fabs(d) < 1e15 && !(d == 0 && std::signbit(d))) {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, static_cast<long long>(d)).ptr;
        out.append(digits, end);
        return;
    }
    char text[32];
    int length = std::snprintf(text, sizeof text, "%1.15g", d);
    // The shortest of the two precisions that reads back as the same number.
    double back = 0;
    if (std::sscanf(text, "%lg", &back) != 1 ||
        std::fabs(back - d) > std::max(std::fabs(back), std::fabs(d)) * DBL_EPSILON)
        length = std::snprintf(text, sizeof text, "%1.17g", d);
    out.append(text, static_cast<std::size_t>(length));
}

}  // namespace

std::string& JsonLine::member(const char* key) {
    if (!body_.empty()) body_ += ',';
    put_string(body_, key);
    body_ += ':';
    return body_;
}

JsonLine& JsonLine::text(const char* key, const std::string& value) {
    put_string(member(key), value.c_str());
    return *this;
}

JsonLine& JsonLine::flag(const char* key, bool value) {
    member(key) += value ? "true" : "false";
    return *this;
}

JsonLine& JsonLine::number(const char* key, double value) {
    put_number(member(key), value);
    return *this;
}

JsonLine& JsonLine::numbers(const char* key, const std::vector<double>& values) {
    std::string& out = member(key);
    out += '[';
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i) out += ',';
        put_number(out, values[i]);
    }
    out += ']';
    return *this;
}

JsonLine& JsonLine::texts(const char* key, const std::vector<std::string>& values) {
    std::string& out = member(key);
    out += '[';
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i) out += ',';
        put_string(out, values[i].c_str());
    }
    out += ']';
    return *this;
}

JsonLine& JsonLine::object(const char* key, const JsonLine& inner) {
    member(key) += '{' + inner.body_ + '}';
    return *this;
}

std::string JsonLine::line() const {
    std::string out;
    out.reserve(body_.size() + 4);
    out += '{';
    out += body_;
    out += "}\r\n";
    return out;
}

std::vector<double> scaled(const double* values, int count, double scale) {
    std::vector<double> out(count);
    for (int i = 0; i < count; ++i) out[i] = std::trunc(values[i] * scale);
    return out;
}

}  // namespace arx::sim
