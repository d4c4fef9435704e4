// Rounding to a NUMBER column and writing Oracle's NUMBER bytes.
#include "load/OracleNumber.h"

namespace {

// A NUMBER holds values below 1E126 (0.1 x 10^126) and down to 1E-130 (0.1 x 10^-129).
constexpr long kLargestExponent = 126;
constexpr long kSmallestExponent = -129;
constexpr std::size_t kMostBase100Digits = 20;
constexpr unsigned char kZeroExponentByte = 128;
constexpr unsigned char kPositiveExponentBias = 193;
constexpr unsigned char kNegativeExponentBias = 62;
constexpr unsigned char kNegativeTerminator = 102;

void makeZero(FieldNumber& number) {
    number.digitCount = 0;
    number.negative = false;
    number.exponent = 0;
}

// Keeps the first `kept` digits, the last of them rounded half away from zero on the next;
// nines that round up carry into the digit before them, or into a new first digit.
void roundDigits(FieldNumber& number, long kept) {
    if (kept < 0) {
        makeZero(number);
        return;
    }
    const auto count = static_cast<std::size_t>(kept);
    if (count >= number.digitCount)
        return;
    const bool up = number.digits[count] >= '5';
    number.digitCount = count;
    if (up) {
        std::size_t at = count;
        while (at > 0 && number.digits[at - 1] == '9')
            --at;
        if (at == 0) {
            number.digits[0] = '1';
            number.digitCount = 1;
            ++number.exponent;
        } else {
            ++number.digits[at - 1];
            number.digitCount = at;
        }
    }
    while (number.digitCount > 0 && number.digits[number.digitCount - 1] == '0')
        --number.digitCount;
    if (number.digitCount == 0)
        makeZero(number);
}

bool isOdd(long value) {
    return value % 2 != 0;
}

// With an odd exponent the first base-100 digit has room for one decimal digit only.
long significantDigitsHeld(long exponent) {
    return isOdd(exponent) ? 2 * kMostBase100Digits - 1 : 2 * kMostBase100Digits;
}

} // namespace

bool roundToColumn(FieldNumber& number, int precision, int scale) {
    if (number.digitCount == 0)
        return true;
    if (precision > 0) {
        roundDigits(number, number.exponent + scale);
        return number.digitCount == 0 || number.exponent <= precision - scale;
    }
    roundDigits(number, significantDigitsHeld(number.exponent));
    if (number.digitCount > 0 && number.exponent < kSmallestExponent)
        makeZero(number);
    return number.exponent <= kLargestExponent;
}

void writeOracleNumber(const FieldNumber& number, unsigned char* out) {
    if (number.digitCount == 0) {
        out[0] = 1;
        out[1] = kZeroExponentByte;
        return;
    }
    // 0.d1d2... x 10^E: with E odd the digits pair as (0 d1)(d2 d3)..., with E even as
    // (d1 d2)...; the first pair weighs 100^k.
    const bool oddExponent = isOdd(number.exponent);
    const long k = (number.exponent - (oddExponent ? 1 : 2)) / 2;
    const std::size_t shift = oddExponent ? 1 : 0;
    auto digitAt = [&number, shift](std::size_t place) {
        return place >= shift && place - shift < number.digitCount
                   ? number.digits[place - shift] - '0'
                   : 0;
    };
    const std::size_t pairs = (number.digitCount + shift + 1) / 2;
    out[1] = static_cast<unsigned char>(number.negative ? kNegativeExponentBias - k
                                                        : kPositiveExponentBias + k);
    for (std::size_t pair = 0; pair < pairs; ++pair) {
        const int value = digitAt(2 * pair) * 10 + digitAt(2 * pair + 1);
        out[2 + pair] = static_cast<unsigned char>(number.negative ? 101 - value : value + 1);
    }
    std::size_t length = 1 + pairs;
    if (number.negative && pairs < kMostBase100Digits)
        out[1 + length++] = kNegativeTerminator;
    out[0] = static_cast<unsigned char>(length);
}
