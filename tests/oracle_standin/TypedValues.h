// The values of the typed columns as Oracle reads them from a bind: numbers, dates and doubles,
// from text under the session's NLS settings or from their binary forms, each checked against
// its column, and the text a table file keeps of each.
#pragma once

#include "Nls.h"

#include <string>

namespace standin {

// A decimal number: -0.d1d2... x 10^exponent when negative. `digits` has no leading or
// trailing zeros; it is empty for zero.
struct Decimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

// Reads a number as Oracle's implicit conversion does: blanks around it, a sign, digits with
// the session's decimal character, an exponent (E or e). Anything else, the group character
// among them, is ORA-01722. Answers 0 or the Oracle error.
int parseNumberText(const std::string& text, char decimalCharacter, Decimal& value);
int parseNumberText(const char* text, std::size_t length, char decimalCharacter, Decimal& value);
Decimal decimalFromInteger(long long value);

// The error of bytes that are no NUMBER, and the largest precision a NUMBER has.
constexpr int kInvalidNumberBytes = 22060;
constexpr int kLargestPrecision = 38;

// Reads an SQLT_VNU element of `available` bytes as Oracle's NUMBER format defines it: a
// length byte of 1 to 21 counting the bytes after it; an exponent byte (193 + k for a first
// base-100 digit of weight 100^k, or 62 - k when negative); 1 to 20 digits, d + 1 (1 to 100)
// or when negative 101 - d (2 to 101), none of them a zero at either end; after a negative
// number's digits a 102, unless there are 20 of them. The single byte 128 is zero. Anything
// else is kInvalidNumberBytes; the infinities (0 alone, 255 101) are ORA-01426, as no column
// holds them. Answers 0 or the error.
int decimalFromVarnum(const unsigned char* bytes, std::size_t available, Decimal& value);
// The shortest decimal that reads back as `value`; NaN and infinities are ORA-01722.
int decimalFromDouble(double value, Decimal& decimal);
// Rounds `value` (halves away from zero) to the column's scale and checks that it has room:
// NUMBER(p,s) holds values below 10^(p-s) (ORA-01438); a NUMBER without precision holds what
// 20 base-100 digits hold (40 significant digits, 39 where the decimal point splits the
// first) of values below 1E126 (ORA-01426). Answers 0 or the Oracle error.
int fitNumberColumn(Decimal& value, int precision, int scale);
// "-12.5", "0.001", "100000", "0".
std::string decimalText(const Decimal& value);

struct DateTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The seven bytes of an SQLT_DAT value: century + 100, year of the century + 100, month, day,
// hour + 1, minute + 1, second + 1. Impossible values are refused: ORA-01841 (year), 01843
// (month), 01847 (day), 01839 (a day its month has not in Oracle's calendar: Julian leap
// years up to 1582, 1582-10-05 to 1582-10-14 missing), 01850 to 01852 (hour, minute,
// second). Answers 0 or the Oracle error.
int dateFromOracleBytes(const unsigned char* bytes, DateTime& date);
// Reads `text` with a date format of isKnownDateFormat(): ORA-01861 when the text does not
// follow it, 01858 for a letter where digits belong, 01843 for an unknown month name, and the
// range errors above. Answers 0 or the Oracle error.
int parseDateText(const std::string& text, const std::string& format, DateTime& date);
// "2024-03-05 14:30:00".
std::string dateText(const DateTime& date);

// The shortest text that reads back as `value`: "3.14", "-2.5", "1e+25", "nan", "inf".
std::string doubleText(double value);
// Reads a double from text as parseNumberText reads a number.
int parseDoubleText(const std::string& text, char decimalCharacter, double& value);

} // namespace standin
