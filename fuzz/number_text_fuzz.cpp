// Number text and request values on arbitrary bits. Input: 8 bytes of a
// double, 4 bytes of a float, then a command word and a text member split at
// the first zero byte. Checked:
//   - a finite double's text is one JSON number that reads back within the
//     rounding its form allows (exact for integers, 6 decimals, 7 digits);
//   - a scaled value (x10, x1000, x1000000 in single precision) is a whole
//     number within 32 bits, or refused with 11 exactly when the product is
//     outside them or not a number;
//   - a request line is one JSON object that gives back its word, text and
//     numbers, fits the line buffer, or is refused and empty.
#include "protocol/number_text.h"
#include "protocol/request.h"

#include <cjson/cJSON.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

using namespace arx::protocol;

void fail(const char* what, double value) {
    std::fprintf(stderr, "number text: %s (%.17g)\n", what, value);
    std::abort();
}

// The whole text as one JSON value, nothing after it (cJSON looks for the
// terminator inside the length it is given, so the copy's zero is counted).
struct Json {
    explicit Json(std::string_view text) : copy(text), root(cJSON_ParseWithLengthOpts(copy.c_str(), copy.size() + 1, nullptr, 1)) {}
    ~Json() { cJSON_Delete(root); }
    Json(const Json&) = delete;
    Json& operator=(const Json&) = delete;
    std::string copy;
    cJSON* root;
};

void check_number_text(double d) {
    const NumberText text(d);
    const std::string_view view = text.view();
    if (!std::isfinite(d)) {
        if (view != "null") fail("not finite and not null", d);
        return;
    }
    if (view.empty() || view.size() >= 72) fail("empty or overlong text", d);
    const Json parsed(view);
    if (!cJSON_IsNumber(parsed.root)) fail("not one JSON number", d);
    // The reading is compared with strtod's, which cJSON may not match in its last bit.
    const std::string copy(view);
    char* end = nullptr;
    const double back = std::strtod(copy.c_str(), &end);
    if (*end != '\0') fail("text not wholly a number", d);
    const double allowed = std::max(5.0000001e-7, 5.0000001e-7 * std::fabs(d));
    if (!(std::fabs(back - d) <= allowed)) fail("reads back too far from the value", d);
}

void check_scaled(float v) {
    for (float factor : {10.0f, 1000.0f, 1000000.0f}) {
        const float product = v * factor;
        const Value value = Truncated(v, factor);
        const bool fits = product >= -2147483648.0f && product < 2147483648.0f;
        if (!fits) {
            if (value.fault() != ARX_TYPE_ERROR) fail("a product outside 32 bits was not refused", product);
            continue;
        }
        if (value.fault() != 0) fail("a product within 32 bits was refused", product);
        const double n = value.as_number();
        if (n != std::trunc(n) || n < INT32_MIN || n > INT32_MAX) fail("scaled value not a 32-bit integer", n);
        if (!(std::fabs(n - static_cast<double>(product)) < 1.0)) fail("scaled value not the truncated product", n);
    }
}

void check_request(const std::string& word, const std::string& text, double d, float v) {
    Request r(word);
    r.add("t", Text(text.c_str())).add("d", Number(d)).array("m", {Milli(v), Micro(v), Int(-7)});
    const std::string_view line = r.line();
    const bool refused_value = !std::isfinite(d) || Milli(v).fault() != 0 || Micro(v).fault() != 0;
    if (r.fault() != 0) {
        if (r.fault() != ARX_TYPE_ERROR || !line.empty()) fail("refused with another code, or sent", d);
        return;
    }
    if (refused_value) fail("a refused value was sent", d);
    if (line.size() > Request::kMaxLineLength || line.size() < 2 || line.substr(line.size() - 2) != "\r\n")
        fail("line too long or without CR LF", static_cast<double>(line.size()));
    const Json parsed(line.substr(0, line.size() - 2));
    if (!cJSON_IsObject(parsed.root)) fail("line is not one JSON object", d);
    const cJSON* command = cJSON_GetObjectItemCaseSensitive(parsed.root, "command");
    if (!cJSON_IsString(command) || word != command->valuestring) fail("word does not read back", d);
    const cJSON* t = cJSON_GetObjectItemCaseSensitive(parsed.root, "t");
    if (!cJSON_IsString(t) || text != t->valuestring) fail("text does not read back", d);
    const cJSON* m = cJSON_GetObjectItemCaseSensitive(parsed.root, "m");
    if (cJSON_GetArraySize(m) != 3 || cJSON_GetArrayItem(m, 0)->valuedouble != Milli(v).as_number() ||
        cJSON_GetArrayItem(m, 2)->valuedouble != -7)
        fail("array does not read back", v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 12) return -1;  // not kept in the corpus
    double d;
    float v;
    std::memcpy(&d, data, sizeof d);
    std::memcpy(&v, data + 8, sizeof v);
    const char* rest = reinterpret_cast<const char*>(data + 12);
    const std::size_t rest_size = size - 12;
    const void* zero = std::memchr(rest, '\0', rest_size);
    const std::size_t word_size = zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - rest) : rest_size;
    const std::string word(rest, word_size);
    std::string text = word_size < rest_size ? std::string(rest + word_size + 1, rest_size - word_size - 1) : "";
    text.erase(std::find(text.begin(), text.end(), '\0'), text.end());  // a C string ends at its zero

    check_number_text(d);
    check_number_text(static_cast<double>(v));
    check_scaled(v);
    check_request(word, text, d, v);
    return 0;
}
