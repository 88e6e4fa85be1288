#include "sim/json_line.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace arx::sim {

JsonLine& JsonLine::numbers(const char* key, const std::vector<double>& values) {
    cJSON* array = cJSON_CreateArray();
    for (double v : values) cJSON_AddItemToArray(array, cJSON_CreateNumber(v));
    return add(key, array);
}

JsonLine& JsonLine::texts(const char* key, const std::vector<std::string>& values) {
    cJSON* array = cJSON_CreateArray();
    for (const std::string& v : values) cJSON_AddItemToArray(array, cJSON_CreateString(v.c_str()));
    return add(key, array);
}

namespace {

// The text cJSON_PrintUnformatted gives, written here because its numbers go
// through printf and scanf each, the better part of a reply's cost.
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

void put(std::string& out, const cJSON* item) {
    switch (item->type & 0xFF) {
        case cJSON_False: out += "false"; return;
        case cJSON_True: out += "true"; return;
        case cJSON_NULL: out += "null"; return;
        case cJSON_Number: put_number(out, item->valuedouble); return;
        case cJSON_String: put_string(out, item->valuestring); return;
        case cJSON_Raw: out += item->valuestring ? item->valuestring : ""; return;
        case cJSON_Array:
        case cJSON_Object: {
            const bool object = (item->type & 0xFF) == cJSON_Object;
            out += object ? '{' : '[';
            for (const cJSON* child = item->child; child; child = child->next) {
                if (child != item->child) out += ',';
                if (object) {
                    put_string(out, child->string);
                    out += ':';
                }
                put(out, child);
            }
            out += object ? '}' : ']';
            return;
        }
        default: return;
    }
}

}  // namespace

std::string JsonLine::line() const {
    std::string out;
    out.reserve(128);
    if (root_)
        put(out, root_.get());
    else
        out += "{}";
    out += "\r\n";
    return out;
}

std::vector<double> scaled(const double* values, int count, double scale) {
    std::vector<double> out(count);
    for (int i = 0; i < count; ++i) out[i] = std::trunc(values[i] * scale);
    return out;
}

}  // namespace arx::sim
