// The sweep over every export: one row per call of an exported function, with
// the exact line it must send, the controller's scripted answer, the result
// and the decoded value. Each family's sweep/<family>_rows.cpp registers one
// SweepTable. A row without a line expects nothing on the wire (kinematics,
// refusals); a row without a reply leaves the controller silent. A call that
// sends several lines (a connection's start-up queries) lists them joined by
// CR LF; the bytes of every connection that received something during the row
// are compared, in connection order. Queued rows: the runner waits for the line.
// Replies are scripted per command for the rest of the family, so put a
// command's queued row before its blocking one. The sweep fails when a
// function declared in include/arx_api.h has no row, so a new export arrives
// with its row. Row files keep one row per line, as the table reads
// (clang-format off to the end).
#pragma once

#include "arx_api.h"

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace arx::test {

struct SweepRow {
    const char* function;                  // the export the row calls, as declared
    const char* variant;                   // "blocking", "queued", or what sets this row apart
    std::function<int(SOCKHANDLE)> call;   // the call on a connection to the fake controller
    const char* line = nullptr;            // the exact request line without CR LF; null: nothing sent
    const char* reply = nullptr;           // the controller's answer to it; null: silence
    int rc = 0;                            // the call's result
    const char* value = nullptr;           // what the call passed to got(); null: not compared
};

// A row's first three fields for the plain call `function(h, arguments...)`:
// the function's name, the variant, and that call.
#define ARX_CALL(function, variant, ...) \
    #function, variant, [](SOCKHANDLE h) { return function(h, __VA_ARGS__); }

// Records the decoded value of interest of the current row.
void got(const std::string& value);
// "1.5,-2,-99": the values of an output array.
template <class T>
std::string list(const T* values, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        char one[32];
        std::snprintf(one, sizeof one, "%s%g", i ? "," : "", static_cast<double>(values[i]));
        out += one;
    }
    return out;
}

// The same, each value rounded to `decimals` (and -0 written as 0): for
// computed values whose last float bits may differ between builds.
template <class T>
std::string rounded(const T* values, int count, int decimals = 4) {
    const double scale = std::pow(10.0, decimals);
    std::vector<double> near(count);
    for (int i = 0; i < count; ++i) near[i] = std::round(static_cast<double>(values[i]) * scale) / scale + 0.0;
    return list(near.data(), count);
}

// An output the call left alone reads as this; unset(v) marks a whole array.
constexpr int kUnset = -99;
template <class T, std::size_t N>
T* unset(T (&values)[N]) {
    for (T& v : values) v = static_cast<T>(kUnset);
    return values;
}

// The port of the fake controller the current row's connection talks to, for
// rows that open a connection of their own.
int controller_port();

struct SweepFamily {
    const char* name;
    std::vector<SweepRow> rows;
};
// Every family's rows, as the row files registered them (one list for the
// whole program: an inline function's static).
inline std::vector<SweepFamily>& sweep_families() {
    static std::vector<SweepFamily> all;
    return all;
}

// The families' names: the parameters of a test run once per family.
inline std::vector<std::string> sweep_family_names() {
    std::vector<std::string> names;
    for (const SweepFamily& f : sweep_families()) names.push_back(f.name);
    return names;
}

// The family named `name`, or nullptr.
inline const SweepFamily* sweep_family(const std::string& name) {
    for (const SweepFamily& f : sweep_families())
        if (name == f.name) return &f;
    return nullptr;
}

// Registers a family's rows at static initialisation.
struct SweepTable {
    SweepTable(const char* family, std::vector<SweepRow> rows) {
        sweep_families().push_back({family, std::move(rows)});
    }
};

}  // namespace arx::test
