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

std::size_t digit_count(std::uint32_t n) {
    std::size_t count = 1;
    for (std::uint32_t bound = 10; count < 10 && n >= bound; bound *= 10) ++count;
    return count;
}

// Two digits at a time from the least significant pair, straight into the
// text; the magnitude as unsigned so that INT32_MIN negates without overflow.
char* write_int32(char* out, int32_t value) {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    std::uint32_t magnitude = static_cast<std::uint32_t>(value);
    if (value < 0) {
        *out++ = '-';
        magnitude = 0u - magnitude;
    }
    char* const end = out + digit_count(magnitude);
    char* p = end;
    while (magnitude >= 100) {
        const std::uint32_t pair = (magnitude % 100) * 2;
        magnitude /= 100;
        p -= 2;
        p[0] = kPairs[pair];
        p[1] = kPairs[pair + 1];
    }
    if (magnitude >= 10) {
        p[-2] = kPairs[magnitude * 2];
        p[-1] = kPairs[magnitude * 2 + 1];
    } else {
        p[-1] = static_cast<char>('0' + magnitude);
    }
    return end;
}

}  // namespace

std::size_t NumberText::write_whole(std::int32_t value, char* out) {
    return static_cast<std::size_t>(write_int32(out, value) - out);
}

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
