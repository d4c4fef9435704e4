// The shortest text of a double: the digits that read back as exactly the same value.
#include "dbf/DoubleText.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace {

// Decimal exponents written without an exponent, as people write amounts and measures; the
// longest such text ("-0.0000" and 17 digits) still fits the column.
constexpr int kFirstFixedExponent = -5;
constexpr int kLastFixedExponent = 20;

// The shortest digits of a finite value and its decimal exponent: d1.d2d3... x 10^exponent.
struct ShortestDigits {
    bool negative = false;
    char digits[20] = {};
    std::size_t count = 0;
    int exponent = 0;
};

// Reads the scientific text std::to_chars writes: "-1.2345e+06".
ShortestDigits parseScientific(const char* text, const char* end) {
    ShortestDigits shortest;
    shortest.negative = *text == '-';
    const char* at = text + (shortest.negative ? 1 : 0);
    for (; at < end && *at != 'e'; ++at)
        if (*at != '.')
            shortest.digits[shortest.count++] = *at;
    std::from_chars(at + (at[1] == '+' ? 2 : 1), end, shortest.exponent);
    return shortest;
}

// "123.45", "0.00012", "1500000"
std::size_t writeFixed(const ShortestDigits& shortest, char* out) {
    std::size_t length = 0;
    if (shortest.negative)
        out[length++] = '-';
    const int exponent = shortest.exponent;
    if (exponent < 0) {
        out[length++] = '0';
        out[length++] = '.';
        for (int zero = -1; zero > exponent; --zero)
            out[length++] = '0';
        std::memcpy(out + length, shortest.digits, shortest.count);
        return length + shortest.count;
    }
    const auto integerDigits = static_cast<std::size_t>(exponent) + 1;
    for (std::size_t at = 0; at < integerDigits; ++at)
        out[length++] = at < shortest.count ? shortest.digits[at] : '0';
    if (shortest.count > integerDigits) {
        out[length++] = '.';
        std::memcpy(out + length, shortest.digits + integerDigits, shortest.count - integerDigits);
        length += shortest.count - integerDigits;
    }
    return length;
}

} // namespace

std::size_t formatShortestDoubleText(double value, char* out) {
    out[0] = '\0';
    if (!std::isfinite(value))
        return 0;
    char scientific[32];
    const std::to_chars_result written = std::to_chars(scientific, scientific + sizeof scientific,
                                                       value, std::chars_format::scientific);
    if (written.ec != std::errc())
        return 0;
    const ShortestDigits shortest = parseScientific(scientific, written.ptr);
    std::size_t length = 0;
    if (shortest.exponent < kFirstFixedExponent || shortest.exponent > kLastFixedExponent) {
        length = static_cast<std::size_t>(written.ptr - scientific);
        std::memcpy(out, scientific, length);
    } else {
        length = writeFixed(shortest, out);
    }
    out[length] = '\0';
    return length;
}
