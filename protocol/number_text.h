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
    // The same for a value known to be a 32-bit integer (its first form):
    // inline, as every set-point writes six of them.
    static std::size_t write_whole(std::int32_t value, char* out) {
        // The magnitude as unsigned, so that INT32_MIN negates without overflow.
        std::uint32_t magnitude = static_cast<std::uint32_t>(value);
        char* const first = out;
        if (value < 0) {
            *out++ = '-';
            magnitude = 0u - magnitude;
        }
        char* const end = out + digit_count(magnitude);
        char* p = end;
        // Two digits at a time from the least significant pair.
        while (magnitude >= 100) {
            const std::uint32_t pair = (magnitude % 100) * 2;
            magnitude /= 100;
            p -= 2;
            p[0] = kDigitPairs[pair];
            p[1] = kDigitPairs[pair + 1];
        }
        if (magnitude >= 10) {
            p[-2] = kDigitPairs[magnitude * 2];
            p[-1] = kDigitPairs[magnitude * 2 + 1];
        } else {
            p[-1] = static_cast<char>('0' + magnitude);
        }
        return static_cast<std::size_t>(end - first);
    }

private:
    static constexpr char kDigitPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    static constexpr std::size_t digit_count(std::uint32_t n) {
        if (n < 100000) return n < 10 ? 1 : n < 100 ? 2 : n < 1000 ? 3 : n < 10000 ? 4 : 5;
        return n < 1000000 ? 6 : n < 10000000 ? 7 : n < 100000000 ? 8 : n < 1000000000 ? 9 : 10;
    }

    std::array<char, kMaxLength> chars_;  // not cleared: only the first length_ are read
    std::size_t length_;
};

}  // namespace arx::protocol
