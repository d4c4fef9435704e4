// Currency and datetime texts; the calendar is the Gregorian one, extended backwards, as
// Visual FoxPro itself counts days.
#include "dbf/FoxProText.h"

#include "dbf/DecimalDigits.h"

#include <cstring>

namespace {

constexpr std::uint32_t kMillisecondsPerDay = 86400000;
constexpr std::uint32_t kSecondsPerDay = 86400;
// The Julian day numbers of 0001-01-01 and 9999-12-31.
constexpr std::uint32_t kFirstJulianDay = 1721426;
constexpr std::uint32_t kLastJulianDay = 5373484;

struct CivilDate {
    unsigned year;
    unsigned month;
    unsigned day;
};

// Richards' conversion of a Julian day number to a Gregorian date.
CivilDate civilDateOf(std::uint32_t julianDay) {
    const std::uint64_t j = julianDay;
    const std::uint64_t f = j + 1401 + (((4 * j + 274277) / 146097) * 3) / 4 - 38;
    const std::uint64_t e = 4 * f + 3;
    const std::uint64_t h = 5 * ((e % 1461) / 4) + 2;
    const auto month = static_cast<unsigned>((h / 153 + 2) % 12 + 1);
    return {static_cast<unsigned>(e / 1461 - 4716 + (14 - month) / 12), month,
            static_cast<unsigned>((h % 153) / 5 + 1)};
}

// Writes `value` as exactly `digits` decimal digits, leading zeros kept.
char* writeFixedDigits(unsigned value, int digits, char* out) {
    for (int at = digits - 1; at >= 0; --at) {
        out[at] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return out + digits;
}

} // namespace

void formatCurrencyText(std::int64_t tenThousandths, char* out) {
    const bool negative = tenThousandths < 0;
    // Two's complement: the magnitude of the most negative amount is its own bit pattern.
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(tenThousandths)
                                             : static_cast<std::uint64_t>(tenThousandths);
    std::size_t length = 0;
    if (negative)
        out[length++] = '-';
    length += writeDecimalDigits(magnitude / 10000, out + length);
    out[length++] = '.';
    writeFixedDigits(static_cast<unsigned>(magnitude % 10000), 4, out + length);
    length += 4;
    std::memset(out + length, ' ', kCurrencyTextChars - length);
    out[kCurrencyTextChars] = '\0';
}

bool roundToSecond(std::uint32_t& julianDay, std::uint32_t milliseconds, std::uint32_t& second) {
    if (milliseconds >= kMillisecondsPerDay)
        return false;
    // Visual FoxPro keeps whole seconds but stores them a millisecond off now and then.
    second = (milliseconds + 500) / 1000;
    if (second == kSecondsPerDay) {
        second = 0;
        ++julianDay;
    }
    return true;
}

bool civilMomentOf(std::uint32_t julianDay, std::uint32_t milliseconds, CivilMoment& moment) {
    std::uint32_t seconds = 0;
    if (!roundToSecond(julianDay, milliseconds, seconds))
        return false;
    if (julianDay < kFirstJulianDay || julianDay > kLastJulianDay)
        return false;
    const CivilDate date = civilDateOf(julianDay);
    moment = {date.year, date.month, date.day, seconds / 3600, seconds / 60 % 60, seconds % 60};
    return true;
}

std::size_t formatDateTimeText(std::uint32_t julianDay, std::uint32_t milliseconds, char* out) {
    out[0] = '\0';
    CivilMoment moment;
    if (!civilMomentOf(julianDay, milliseconds, moment))
        return 0;
    char* at = writeFixedDigits(moment.year, 4, out);
    at = writeFixedDigits(moment.month, 2, at);
    at = writeFixedDigits(moment.day, 2, at);
    at = writeFixedDigits(moment.hour, 2, at);
    at = writeFixedDigits(moment.minute, 2, at);
    at = writeFixedDigits(moment.second, 2, at);
    *at = '\0';
    return kDateTimeTextChars;
}
