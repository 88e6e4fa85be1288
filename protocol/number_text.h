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
#include <string_view>

namespace arx::protocol {

class NumberText {
public:
    explicit NumberText(double value);
    std::string_view view() const { return {chars_.data(), length_}; }

private:
    std::array<char, 72> chars_{};  // 60 digits of the largest fixed form, sign, margin
    std::size_t length_ = 0;
};

}  // namespace arx::protocol
