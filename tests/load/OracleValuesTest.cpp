// Oracle's own forms of typed values as the load makes them: NUMBER bytes held against
// Oracle's worked examples, rounding to a column as Oracle keeps its digits, and the dates of
// Oracle's calendar with the day numbers Oracle gives them.
#include "load/OracleDate.h"
#include "load/OracleNumber.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

FieldNumber readNumber(const std::string& text) {
    FieldNumber number;
    EXPECT_EQ(
        readFieldNumber(reinterpret_cast<const unsigned char*>(text.data()), text.size(), number),
        FieldReading::Value)
        << text;
    return number;
}

// The SQLT_VNU element the load binds for `text` in a NUMBER(precision, scale) column: the
// length byte and the bytes it counts. Empty when the column cannot hold the value.
std::vector<int> varnum(const std::string& text, int precision = 0, int scale = 0) {
    FieldNumber number = readNumber(text);
    if (!roundToColumn(number, precision, scale))
        return {};
    unsigned char out[kOracleNumberBytes];
    writeOracleNumber(number, out);
    EXPECT_LE(out[0], 21) << text;
    return std::vector<int>(out, out + 1 + out[0]);
}

// The number a column keeps, as "-0.DIGITSE<exponent>"; "refused" when it cannot hold it.
std::string kept(const std::string& text, int precision, int scale) {
    FieldNumber number = readNumber(text);
    if (!roundToColumn(number, precision, scale))
        return "refused";
    return (number.negative ? "-0." : "0.") + std::string(number.digits, number.digitCount) + "E" +
           std::to_string(number.exponent);
}

std::vector<int> withDigits(std::vector<int> start, std::size_t count, int digit) {
    start.insert(start.end(), count, digit);
    return start;
}

std::string nines(std::size_t count) {
    return std::string(count, '9');
}

std::string dateOf(std::uint32_t dayNumber, std::uint32_t milliseconds = 0) {
    CivilMoment moment;
    if (!oracleMomentOf(dayNumber, milliseconds, moment))
        return "none";
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", moment.year, moment.month,
                  moment.day, moment.hour, moment.minute, moment.second);
    return text;
}

} // namespace

TEST(OracleValues, NumberBytesAreThoseOfOraclesWorkedExamples) {
    // Oracle's VARNUM examples (OCCI guide, table "VARNUM Examples").
    EXPECT_EQ(varnum("0"), (std::vector<int>{1, 128}));
    EXPECT_EQ(varnum("5"), (std::vector<int>{2, 193, 6}));
    EXPECT_EQ(varnum("-5"), (std::vector<int>{3, 62, 96, 102}));
    EXPECT_EQ(varnum("2767"), (std::vector<int>{3, 194, 28, 68}));
    EXPECT_EQ(varnum("-2767"), (std::vector<int>{4, 61, 74, 34, 102}));
    EXPECT_EQ(varnum("100000"), (std::vector<int>{2, 195, 11}));
    EXPECT_EQ(varnum("1234567"), (std::vector<int>{5, 196, 2, 24, 46, 68}));
    // Further values worked from the format, to its limits.
    EXPECT_EQ(varnum("1"), (std::vector<int>{2, 193, 2}));
    EXPECT_EQ(varnum("-1"), (std::vector<int>{3, 62, 100, 102}));
    EXPECT_EQ(varnum("123.45"), (std::vector<int>{4, 194, 2, 24, 46}));
    EXPECT_EQ(varnum("-123.45"), (std::vector<int>{5, 61, 100, 78, 56, 102}));
    EXPECT_EQ(varnum("0.001"), (std::vector<int>{2, 191, 11}));
    EXPECT_EQ(varnum("1E125"), (std::vector<int>{2, 255, 11}));
    EXPECT_EQ(varnum("9." + nines(37) + "E125"), withDigits({20, 255}, 19, 100));
    EXPECT_EQ(varnum("9." + nines(39) + "E125"), withDigits({21, 255}, 20, 100));
    // The most negative has all 20 digits and so no 102 after them.
    EXPECT_EQ(varnum("-9." + nines(39) + "E125"), withDigits({21, 0}, 20, 2));
    // The smallest, 1E-130, takes the exponent byte zero has alone; a minus zero is zero.
    EXPECT_EQ(varnum("1E-130"), (std::vector<int>{2, 128, 2}));
    EXPECT_EQ(varnum("-0.00"), (std::vector<int>{1, 128}));
    // Ten-thousandths of a currency column, rounded to its scale first.
    EXPECT_EQ(varnum("-0.00005", 19, 4), (std::vector<int>{3, 64, 100, 102})); // -0.0001
}

TEST(OracleValues, NumbersKeepTheDigitsTheirColumnKeeps) {
    // To the scale, halves away from zero; the precision counts after rounding.
    EXPECT_EQ(kept("999999.99", 8, 2), "0.99999999E6");
    EXPECT_EQ(kept("-999999.994", 8, 2), "-0.99999999E6");
    EXPECT_EQ(kept("999999.995", 8, 2), "refused");
    EXPECT_EQ(kept("1000000", 8, 2), "refused");
    EXPECT_EQ(kept("0.004", 8, 2), "0.E0");
    EXPECT_EQ(kept("-0.005", 8, 2), "-0.1E-1");
    EXPECT_EQ(kept("0.5", 3, 0), "0.1E1");
    EXPECT_EQ(kept("0.96", 1, 1), "refused"); // 1.0 needs an integer digit
    EXPECT_EQ(kept("0.06", 1, 1), "0.1E0");
    EXPECT_EQ(kept("0.001", 2, 3), "0.1E-2"); // a scale above the precision
    EXPECT_EQ(kept("0.1", 2, 3), "refused");
    EXPECT_EQ(kept(nines(38), 38, 0), "0." + nines(38) + "E38");
    EXPECT_EQ(kept(nines(39), 38, 0), "refused");
    // Without a precision: 40 significant digits where the point leaves the first base-100
    // digit whole, 39 where it does not.
    const std::string forty = "1234567890123456789012345678901234567891";
    EXPECT_EQ(kept(forty, 0, 0), "0." + forty + "E40");
    EXPECT_EQ(kept("1." + forty.substr(1), 0, 0), "0." + forty.substr(0, 39) + "E1");
    EXPECT_EQ(kept(forty + "5", 0, 0), "0.123456789012345678901234567890123456789E41");
    EXPECT_EQ(varnum("1." + forty.substr(1)).size(), 22u);
    EXPECT_EQ(kept(nines(41), 0, 0), "0.1E42");
    // 41 nines just below 1E126 round to 1E126, which no NUMBER holds; 40 of them fit.
    EXPECT_EQ(kept("0." + nines(41) + "E126", 0, 0), "refused");
    EXPECT_EQ(kept("0." + nines(40) + "E126", 0, 0), "0." + nines(40) + "E126");
    EXPECT_EQ(kept("1E-131", 0, 0), "0.E0");
    EXPECT_EQ(kept("-1E-130", 0, 0), "-0.1E-129");
}

TEST(OracleValues, DatesAreThoseOfOraclesCalendar) {
    // Day numbers as Oracle's 'J' format gives them: the Julian calendar before the reform.
    EXPECT_EQ(dateOf(1721424), "0001-01-01 00:00:00");
    EXPECT_EQ(dateOf(1721423), "none");
    EXPECT_EQ(dateOf(2299157), "1582-10-01 00:00:00");
    EXPECT_EQ(dateOf(2299160), "1582-10-04 00:00:00");
    EXPECT_EQ(dateOf(2299161), "1582-10-15 00:00:00");
    EXPECT_EQ(dateOf(2451545, 45296000), "2000-01-01 12:34:56");
    EXPECT_EQ(dateOf(2299160, 86399500), "1582-10-15 00:00:00"); // rounds into the next day
    EXPECT_EQ(dateOf(5373484), "9999-12-31 00:00:00");
    EXPECT_EQ(dateOf(5373485), "none");
    EXPECT_EQ(dateOf(2451545, 86400000), "none");

    EXPECT_TRUE(isOracleCalendarDay(1500, 2, 29));
    EXPECT_TRUE(isOracleCalendarDay(1582, 10, 4));
    EXPECT_TRUE(isOracleCalendarDay(1582, 10, 15));
    for (unsigned day = 5; day <= 14; ++day)
        EXPECT_FALSE(isOracleCalendarDay(1582, 10, day)) << day;
    EXPECT_FALSE(isOracleCalendarDay(1700, 2, 29));
    EXPECT_TRUE(isOracleCalendarDay(1600, 2, 29));
    EXPECT_FALSE(isOracleCalendarDay(2023, 2, 29));
    EXPECT_FALSE(isOracleCalendarDay(0, 1, 1));
    EXPECT_FALSE(isOracleCalendarDay(2024, 4, 31));

    // Oracle's own example: 30-NOV-1992 3:17 PM.
    unsigned char bytes[7];
    writeOracleDate({1992, 11, 30, 15, 17, 0}, bytes);
    EXPECT_EQ(std::vector<int>(bytes, bytes + 7), (std::vector<int>{119, 192, 11, 30, 16, 18, 1}));
}

TEST(OracleValues, EachDayNumberIsTheDayAfterTheOneBefore) {
    // Walked day by day from 0001-01-01, day number 1721424, to 9999-12-31: leap years every
    // fourth year up to 1582, 1582-10-04 followed by 1582-10-15, Gregorian leap years after.
    const unsigned lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    unsigned year = 1, month = 1, day = 1;
    std::uint32_t number = 1721424;
    long wrong = 0;
    for (; year <= 9999; ++number) {
        CivilMoment moment;
        if (!oracleMomentOf(number, 0, moment) || moment.year != year || moment.month != month ||
            moment.day != day || !isOracleCalendarDay(year, month, day)) {
            if (++wrong <= 5)
                ADD_FAILURE() << "day " << number << " should be " << year << "-" << month << "-"
                              << day;
        }
        const bool leap =
            year <= 1582 ? year % 4 == 0 : (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        const unsigned length = month == 2 && leap ? 29 : lengths[month - 1];
        if (year == 1582 && month == 10 && day == 4) {
            day = 15;
            continue;
        }
        if (day < length) {
            ++day;
            continue;
        }
        if (isOracleCalendarDay(year, month, day + 1) && ++wrong <= 5)
            ADD_FAILURE() << year << "-" << month << "-" << day + 1 << " is no day";
        day = 1;
        month = month % 12 + 1;
        year += month == 1 ? 1 : 0;
    }
    EXPECT_EQ(number, 5373485u);
    EXPECT_EQ(wrong, 0);
}
