// How the controller expects numbers to be written in request lines.
//
//   0                                            -> "0"
//   equal to its 32-bit integer                  -> "%d"        2.0 -> "2"
//   integral, magnitude below 1e60               -> "%.0f"      1e10 -> "10000000000"
//   magnitude below 1e-6 or above 1e9            -> "%e"        5e-7 -> "5.000000e-07"
//   anything else                                -> "%f"        12.5 -> "12.500000"
//
// The text never depends on the process locale. Non-finite values have no
// JSON form; the request builder refuses them before they get here.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace arx::protocol {

class NumberText {
public:
    // Room for the longest text: 60 digits of the largest fixed form, sign, margin.
    static constexpr std::size_t kMaxLength = 72;

    explicit NumberText(double value) : length_(write(value, chars_.data())) {}
    std::string_view view() const { return {chars_.data(), length_}; }

    // Writes the text of `value` at `out` (kMaxLength bytes of room) and
    // returns its length: the request builder writes straight into its line.
    static std::size_t write(double value, char* out);
    // The same for a value known to be a 32-bit integer (its first form).
    static std::size_t write_whole(std::int32_t value, char* out);

private:
    std::array<char, kMaxLength> chars_;  // not cleared: only the first length_ are read
    std::size_t length_;
};

}  // namespace arx::protocol
