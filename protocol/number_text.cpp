#include "protocol/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace arx::protocol {

namespace {

constexpr double kEqualWithin = std::numeric_limits<double>::epsilon();  // 2.22e-16
constexpr double kFixedIntegralBelow = 1e60;
constexpr double kExponentBelow = 1e-6;
constexpr double kExponentAbove = 1e9;

bool is_int32_value(double d) {
    if (d < std::numeric_limits<int32_t>::min() || d > std::numeric_limits<int32_t>::max()) return false;
    return std::fabs(static_cast<double>(static_cast<int32_t>(d)) - d) <= kEqualWithin;
}

}  // namespace

std::size_t NumberText::write(double d, char* first) {
    if (!std::isfinite(d)) {
        std::memcpy(first, "null", 4);
        return 4;
    }
    if (d == 0) {
        *first = '0';
        return 1;
    }
    if (is_int32_value(d)) {
        // The common case by far (every scaled set-point): digits by hand.
        return write_whole(static_cast<int32_t>(d), first);
    }
    char* const last = first + kMaxLength;
    std::to_chars_result written{first, std::errc{}};
    if (std::fabs(std::floor(d) - d) <= kEqualWithin && std::fabs(d) < kFixedIntegralBelow) {
        written = std::to_chars(first, last, d, std::chars_format::fixed, 0);
    } else if (std::fabs(d) < kExponentBelow || std::fabs(d) > kExponentAbove) {
        written = std::to_chars(first, last, d, std::chars_format::scientific, 6);
    } else {
        written = std::to_chars(first, last, d, std::chars_format::fixed, 6);
    }
    return written.ec == std::errc{} ? static_cast<std::size_t>(written.ptr - first) : 0;
}

}  // namespace arx::protocol
