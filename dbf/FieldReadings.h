// Field texts read as the values their types hold, for loads that keep the types: an 'N' or
// 'F' field as a number, a 'D' field as a date, an 'L' field as true or false. Each reading
// tells an empty value (how the writers store none) from one that is no value of its type.
#pragma once

#include <cstddef>

enum class FieldReading {
    Empty,   // no value: blanks, or what writers store for none
    Invalid, // a text that is no value of the type
    Value,
};

// A decimal number: -0.d1d2...dn x 10^exponent when negative. The digits have no leading and
// no trailing zeros; there are none for zero.
struct FieldNumber {
    static constexpr std::size_t kMaxDigits = 255; // a field is at most 255 bytes long
    bool negative = false;
    std::size_t digitCount = 0;
    // Only the first digitCount are set: a number is read for every value of a typed load,
    // and clearing all of them each time would cost more than reading it.
    char digits[kMaxDigits];
    long exponent = 0;
};

// The exponents a number's text may give are taken up to this size; larger ones stand for
// it, which is already far outside every number a database holds.
constexpr long kLargestFieldExponent = 100000;

// Reads the text of an 'N' or 'F' field (up to its first zero byte): blanks around a sign,
// digits with one '.', and an exponent: "12.50", "-3", "1.", ".5", "+5", "1E5", "2.5e-3".
// Empty: blanks only, or asterisks only (how dBase, GDAL and shapelib write a number that is
// none, or one that does not fit the field). Invalid: anything else, a blank between digits
// among them.
FieldReading readFieldNumber(const unsigned char* text, std::size_t length, FieldNumber& number);

struct FieldDate {
    unsigned year = 0;
    unsigned month = 0;
    unsigned day = 0;
};

// True when the Gregorian calendar has the day (years 1 to 9999).
bool isCalendarDay(unsigned year, unsigned month, unsigned day);

// Says whether a calendar has a day.
using CalendarDayCheck = bool (*)(unsigned year, unsigned month, unsigned day);

// Reads the text of a 'D' field, YYYYMMDD (up to its first zero byte, blanks around it).
// Empty: blanks only, or eight zeros (how dBase writes no date). Invalid: other text, or a
// day the calendar `isDay` has not (by default the Gregorian one: year 0, 20230229).
FieldReading readFieldDate(const unsigned char* text, std::size_t length, FieldDate& date,
                           CalendarDayCheck isDay = isCalendarDay);

// Reads the text of an 'L' field: T, t, Y and y are true, F, f, N and n false. Empty: '?'
// (dBase's unknown) or blanks. Invalid: any other text.
FieldReading readFieldLogical(const unsigned char* text, std::size_t length, bool& value);
