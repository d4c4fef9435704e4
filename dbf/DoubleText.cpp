// Fixed and exponent text of 'B' values; the rounding below 2^53 keeps the table format's
// own arithmetic so that files load with the digits their writers expect.
#include "dbf/DoubleText.h"

#include "dbf/DecimalDigits.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// Every double rounded to at most 255 decimals fits: 309 integer digits, a point, 255
// fraction digits and the terminator.
constexpr std::size_t kFixedBytes = 640;
constexpr int kSignificantDigits = 15;
// Below this every integer is a double, so trunc() and the division are exact.
constexpr double kExactIntegerLimit = 9007199254740992.0; // 2^53

double powerOfTen(unsigned exponent) {
    static const double exact[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (exponent < sizeof exact / sizeof exact[0])
        return exact[exponent];
    return std::pow(10.0, static_cast<double>(exponent));
}

// |value| rounded to `decimals` places as "digits.digits"; returns its length.
std::size_t fixedText(double magnitude, unsigned decimals, char* out) {
    double scaled = magnitude * powerOfTen(decimals + 1) + 5;
    if (!(scaled < kExactIntegerLimit)) {
        // Beyond the exact range the C library's correctly rounded conversion takes over.
        int written =
            std::snprintf(out, kFixedBytes, "%#.*f", static_cast<int>(decimals), magnitude);
        return written > 0 ? static_cast<std::size_t>(written) : 0;
    }
    char digits[20];
    std::size_t digitCount = writeDecimalDigits(static_cast<std::uint64_t>(scaled) / 10, digits);
    std::size_t totalDigits = digitCount > decimals ? digitCount : decimals + 1;
    std::size_t length = 0;
    // Position p counts digits from the last one; positions past the integer's own are zeros.
    for (std::size_t position = totalDigits; position-- > 0;) {
        out[length++] = position < digitCount ? digits[digitCount - 1 - position] : '0';
        if (position == decimals)
            out[length++] = '.';
    }
    out[length] = '\0';
    return length;
}

bool hasNonZeroDigit(const char* text, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i)
        if (text[i] >= '1' && text[i] <= '9')
            return true;
    return false;
}

void padWithBlanks(char* out, std::size_t length) {
    std::memset(out + length, ' ', kDoubleTextChars - length);
    out[kDoubleTextChars] = '\0';
}

// Rounds the fixed text to 15 significant digits and writes "d.ddddddddddddddE+xx".
void exponentText(const char* fixed, std::size_t length, bool negative, char* out) {
    char digits[kFixedBytes];
    std::size_t digitCount = 0;
    long pointPosition = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (fixed[i] == '.')
            pointPosition = static_cast<long>(digitCount);
        else
            digits[digitCount++] = fixed[i];
    }
    std::size_t first = 0;
    while (first < digitCount && digits[first] == '0')
        ++first;
    char significant[kSignificantDigits];
    long exponent = 0;
    if (first < digitCount) {
        exponent = pointPosition - static_cast<long>(first) - 1;
        for (int i = 0; i < kSignificantDigits; ++i) {
            std::size_t at = first + static_cast<std::size_t>(i);
            significant[i] = at < digitCount ? digits[at] : '0';
        }
        std::size_t next = first + kSignificantDigits;
        if (next < digitCount && digits[next] >= '5') {
            int i = kSignificantDigits - 1;
            while (i >= 0 && significant[i] == '9')
                significant[i--] = '0';
            if (i >= 0) {
                ++significant[i];
            } else {
                significant[0] = '1';
                ++exponent;
            }
        }
    } else {
        std::memset(significant, '0', sizeof significant);
    }
    int written = std::snprintf(out, kDoubleTextChars + 1, "%s%c.%.*sE%c%02ld", negative ? "-" : "",
                                significant[0], kSignificantDigits - 1, significant + 1,
                                exponent < 0 ? '-' : '+', exponent < 0 ? -exponent : exponent);
    padWithBlanks(out, written > 0 ? static_cast<std::size_t>(written) : 0);
}

} // namespace

void formatDoubleText(double value, unsigned decimals, char* out) {
    if (!std::isfinite(value)) {
        out[0] = '\0';
        return;
    }
    char fixed[kFixedBytes];
    std::size_t length = fixedText(std::fabs(value), decimals, fixed);
    bool negative = std::signbit(value) && hasNonZeroDigit(fixed, length);
    if (length + (negative ? 1 : 0) > kDoubleTextChars) {
        exponentText(fixed, length, negative, out);
        return;
    }
    std::size_t at = 0;
    if (negative)
        out[at++] = '-';
    std::memcpy(out + at, fixed, length);
    padWithBlanks(out, at + length);
}
