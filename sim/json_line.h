// One JSON reply line of the simulated controller, built member by member and
// printed compactly with its CR LF.
#pragma once

#include <cjson/cJSON.h>

#include <memory>
#include <string>
#include <vector>

namespace arx::sim {

struct DeleteJson {
    void operator()(cJSON* item) const { cJSON_Delete(item); }
};
using JsonPtr = std::unique_ptr<cJSON, DeleteJson>;

// The text is written as the members are added, in the form cJSON's compact
// printer gives (numbers and escapes included), without building a tree.
class JsonLine {
public:
    // {"command":word} or {"state":word}: the word the library classifies by.
    static JsonLine command(const std::string& word) { return JsonLine().text("command", word); }
    static JsonLine state(const std::string& word) { return JsonLine().text("state", word); }

    JsonLine& text(const char* key, const std::string& value);
    JsonLine& flag(const char* key, bool value);
    JsonLine& number(const char* key, double value);
    JsonLine& numbers(const char* key, const std::vector<double>& values);
    JsonLine& texts(const char* key, const std::vector<std::string>& values);
    JsonLine& object(const char* key, const JsonLine& inner);

    std::string line() const;  // compact text + CR LF

private:
    std::string& member(const char* key);  // appends the key; the value follows
    std::string body_;                     // the members, without the braces
};

// Integers as the wire carries them: value x scale, truncated toward zero.
std::vector<double> scaled(const double* values, int count, double scale);

}  // namespace arx::sim
