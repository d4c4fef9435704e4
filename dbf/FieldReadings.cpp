// Numbers, dates and logicals read from field texts.
#include "dbf/FieldReadings.h"

namespace {

bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

// The text up to its first zero byte, without the blanks around it. Fields are short: a
// loop costs less here than a call.
void trimText(const unsigned char*& text, std::size_t& length) {
    for (std::size_t at = 0; at < length; ++at)
        if (text[at] == 0) {
            length = at;
            break;
        }
    while (length > 0 && text[0] == ' ') {
        ++text;
        --length;
    }
    while (length > 0 && text[length - 1] == ' ')
        --length;
}

bool consistsOf(const unsigned char* text, std::size_t length, unsigned char c) {
    for (std::size_t at = 0; at < length; ++at)
        if (text[at] != c)
            return false;
    return true;
}

// The digits of a number's mantissa, without leading zeros; the exponent counts the integer
// digits that remain.
void addDigit(FieldNumber& number, unsigned char digit, bool integerPart) {
    if (number.digitCount == 0 && digit == '0') {
        if (!integerPart)
            --number.exponent;
        return;
    }
    number.digits[number.digitCount++] = static_cast<char>(digit);
    if (integerPart)
        ++number.exponent;
}

// "E-12" from `at`; false when no digit follows.
bool readExponent(const unsigned char* text, std::size_t length, std::size_t& at, long& exponent) {
    ++at;
    const bool negative = at < length && text[at] == '-';
    if (at < length && (text[at] == '+' || text[at] == '-'))
        ++at;
    if (at >= length || !isDigit(text[at]))
        return false;
    long value = 0;
    for (; at < length && isDigit(text[at]); ++at) {
        value = value * 10 + (text[at] - '0');
        if (value > kLargestFieldExponent)
            value = kLargestFieldExponent;
    }
    exponent = negative ? -value : value;
    return true;
}

} // namespace

FieldReading readFieldNumber(const unsigned char* text, std::size_t length, FieldNumber& number) {
    trimText(text, length);
    number.negative = false;
    number.digitCount = 0;
    number.exponent = 0;
    if (length == 0 || consistsOf(text, length, '*'))
        return FieldReading::Empty;
    std::size_t at = 0;
    if (text[at] == '+' || text[at] == '-')
        number.negative = text[at++] == '-';
    std::size_t digits = 0;
    for (; at < length && isDigit(text[at]); ++at, ++digits)
        addDigit(number, text[at], true);
    if (at < length && text[at] == '.')
        for (++at; at < length && isDigit(text[at]); ++at, ++digits)
            addDigit(number, text[at], false);
    if (digits == 0)
        return FieldReading::Invalid;
    long exponent = 0;
    if (at < length && (text[at] == 'E' || text[at] == 'e') &&
        !readExponent(text, length, at, exponent))
        return FieldReading::Invalid;
    if (at != length)
        return FieldReading::Invalid;
    while (number.digitCount > 0 && number.digits[number.digitCount - 1] == '0')
        --number.digitCount;
    if (number.digitCount == 0) {
        number.negative = false;
        number.exponent = 0;
        return FieldReading::Value;
    }
    number.exponent += exponent;
    return FieldReading::Value;
}

bool isCalendarDay(unsigned year, unsigned month, unsigned day) {
    static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= (month == 2 && leap ? 29u : kDays[month - 1]);
}

FieldReading readFieldDate(const unsigned char* text, std::size_t length, FieldDate& date,
                           CalendarDayCheck isDay) {
    trimText(text, length);
    if (length == 0 || (length == 8 && consistsOf(text, length, '0')))
        return FieldReading::Empty;
    if (length != 8)
        return FieldReading::Invalid;
    unsigned value[8];
    for (std::size_t at = 0; at < 8; ++at) {
        if (!isDigit(text[at]))
            return FieldReading::Invalid;
        value[at] = text[at] - '0';
    }
    date.year = value[0] * 1000 + value[1] * 100 + value[2] * 10 + value[3];
    date.month = value[4] * 10 + value[5];
    date.day = value[6] * 10 + value[7];
    return isDay(date.year, date.month, date.day) ? FieldReading::Value : FieldReading::Invalid;
}

FieldReading readFieldLogical(const unsigned char* text, std::size_t length, bool& value) {
    // A field of one byte, as nearly all are, needs no trimming.
    if (length != 1 || text[0] == ' ' || text[0] == '\0')
        trimText(text, length);
    if (length == 0 || (length == 1 && text[0] == '?'))
        return FieldReading::Empty;
    if (length != 1)
        return FieldReading::Invalid;
    switch (text[0]) {
    case 'T':
    case 't':
    case 'Y':
    case 'y':
        value = true;
        return FieldReading::Value;
    case 'F':
    case 'f':
    case 'N':
    case 'n':
        value = false;
        return FieldReading::Value;
    default:
        return FieldReading::Invalid;
    }
}
