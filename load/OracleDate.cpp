// Oracle's mixed Julian and Gregorian calendar, and its date bytes.
#include "load/OracleDate.h"

namespace {

constexpr unsigned kReformYear = 1582;
constexpr unsigned kReformMonth = 10;
// The days the reform left out: 1582-10-04 was followed by 1582-10-15.
constexpr unsigned kFirstMissingDay = 5;
constexpr unsigned kLastMissingDay = 14;
// Day numbers of 0001-01-01 (in the Julian calendar), 1582-10-15 and 9999-12-31.
constexpr std::uint32_t kFirstDayNumber = 1721424;
constexpr std::uint32_t kFirstGregorianDayNumber = 2299161;
constexpr std::uint32_t kLastDayNumber = 5373484;

bool isLeapYear(unsigned year) {
    if (year <= kReformYear)
        return year % 4 == 0;
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

struct CalendarDate {
    unsigned year;
    unsigned month;
    unsigned day;
};

// Richards' conversion of a day number into a date, with the Gregorian correction only from
// the day the reform took effect.
CalendarDate dateOfDayNumber(std::uint32_t dayNumber) {
    const std::uint64_t j = dayNumber;
    std::uint64_t f = j + 1401;
    if (dayNumber >= kFirstGregorianDayNumber)
        f = f + (((4 * j + 274277) / 146097) * 3) / 4 - 38;
    const std::uint64_t e = 4 * f + 3;
    const std::uint64_t h = 5 * ((e % 1461) / 4) + 2;
    const auto month = static_cast<unsigned>((h / 153 + 2) % 12 + 1);
    return {static_cast<unsigned>(e / 1461 - 4716 + (14 - month) / 12), month,
            static_cast<unsigned>((h % 153) / 5 + 1)};
}

} // namespace

bool isOracleCalendarDay(unsigned year, unsigned month, unsigned day) {
    static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    if (year == kReformYear && month == kReformMonth && day >= kFirstMissingDay &&
        day <= kLastMissingDay)
        return false;
    return day <= (month == 2 && isLeapYear(year) ? 29u : kDays[month - 1]);
}

bool oracleMomentOf(std::uint32_t julianDay, std::uint32_t milliseconds, CivilMoment& moment) {
    std::uint32_t second = 0;
    if (!roundToSecond(julianDay, milliseconds, second))
        return false;
    if (julianDay < kFirstDayNumber || julianDay > kLastDayNumber)
        return false;
    const CalendarDate date = dateOfDayNumber(julianDay);
    moment = {date.year, date.month, date.day, second / 3600, second / 60 % 60, second % 60};
    return true;
}

void writeOracleDate(const CivilMoment& moment, unsigned char* out) {
    out[0] = static_cast<unsigned char>(moment.year / 100 + 100);
    out[1] = static_cast<unsigned char>(moment.year % 100 + 100);
    out[2] = static_cast<unsigned char>(moment.month);
    out[3] = static_cast<unsigned char>(moment.day);
    out[4] = static_cast<unsigned char>(moment.hour + 1);
    out[5] = static_cast<unsigned char>(moment.minute + 1);
    out[6] = static_cast<unsigned char>(moment.second + 1);
}
