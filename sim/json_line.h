// One JSON reply line of the simulated controller, built member by member and
// printed compactly with its CR LF.
#pragma once

#include <cjson/cJSON.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace arx::sim {

struct DeleteJson {
    void operator()(cJSON* item) const { cJSON_Delete(item); }
};
using JsonPtr = std::unique_ptr<cJSON, DeleteJson>;

class JsonLine {
public:
    JsonLine() : root_(cJSON_CreateObject()) {}
    JsonLine(const JsonLine& other) : root_(cJSON_Duplicate(other.root_.get(), true)) {}
    JsonLine(JsonLine&&) = default;
    JsonLine& operator=(JsonLine other) {
        root_ = std::move(other.root_);
        return *this;
    }
    // {"command":word} or {"state":word}: the word the library classifies by.
    static JsonLine command(const std::string& word) { return JsonLine().text("command", word); }
    static JsonLine state(const std::string& word) { return JsonLine().text("state", word); }

    JsonLine& text(const char* key, const std::string& value) { return add(key, cJSON_CreateString(value.c_str())); }
    JsonLine& flag(const char* key, bool value) { return add(key, cJSON_CreateBool(value)); }
    JsonLine& number(const char* key, double value) { return add(key, cJSON_CreateNumber(value)); }
    JsonLine& numbers(const char* key, const std::vector<double>& values);
    JsonLine& texts(const char* key, const std::vector<std::string>& values);
    JsonLine& object(const char* key, const JsonLine& inner) {
        return add(key, cJSON_Duplicate(inner.root_.get(), true));
    }

    std::string line() const;  // compact text + CR LF

private:
    JsonLine& add(const char* key, cJSON* item) {
        cJSON_AddItemToObject(root_.get(), key, item);
        return *this;
    }
    JsonPtr root_;
};

// Integers as the wire carries them: value x scale, truncated toward zero.
std::vector<double> scaled(const double* values, int count, double scale);

}  // namespace arx::sim
