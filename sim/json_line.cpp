#include "sim/json_line.h"

#include <cmath>

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

std::string JsonLine::line() const {
    std::unique_ptr<char, decltype(&cJSON_free)> text(cJSON_PrintUnformatted(root_.get()), &cJSON_free);
    return std::string(text ? text.get() : "{}") + "\r\n";
}

std::vector<double> scaled(const double* values, int count, double scale) {
    std::vector<double> out(count);
    for (int i = 0; i < count; ++i) out[i] = std::trunc(values[i] * scale);
    return out;
}

}  // namespace arx::sim
