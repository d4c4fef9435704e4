// Numbers, dates and doubles as Oracle reads them into typed columns.
#include "TypedValues.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace standin {

namespace {

// A NUMBER has at most 20 base-100 digits, of values below 1E126.
constexpr std::size_t kBase100Digits = 20;
constexpr int kLargestNumberExponent = 126;
constexpr int kSmallestNumberExponent = -129;
// Exponents past this are saturated while reading: no NUMBER comes near them.
constexpr int kExponentLimit = 100000;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

void stripZeros(Decimal& value) {
    std::size_t lead = 0;
    while (lead < value.digits.size() && value.digits[lead] == '0')
        ++lead;
    value.digits.erase(0, lead);
    value.exponent -= static_cast<int>(lead);
    while (!value.digits.empty() && value.digits.back() == '0')
        value.digits.pop_back();
    if (value.digits.empty())
        value = Decimal{};
}

// Keeps the first `kept` digits, rounding half away from zero on the next.
void roundDigits(Decimal& value, long kept) {
    if (kept < 0) {
        value = Decimal{};
        return;
    }
    const auto count = static_cast<std::size_t>(kept);
    if (count >= value.digits.size())
        return;
    const bool up = value.digits[count] >= '5';
    value.digits.resize(count);
    if (up) {
        std::size_t at = count;
        while (at > 0 && value.digits[at - 1] == '9')
            value.digits[--at] = '0';
        if (at == 0) {
            value.digits.insert(value.digits.begin(), '1');
            ++value.exponent;
        } else {
            ++value.digits[at - 1];
        }
    }
    stripZeros(value);
}

// Oracle's calendar is the Julian one up to the Gregorian reform of 1582.
int daysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap =
        year <= 1582 ? year % 4 == 0 : (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// The ten days the reform left out: 1582-10-04 was followed by 1582-10-15.
bool isMissingDay(const DateTime& date) {
    return date.year == 1582 && date.month == 10 && date.day >= 5 && date.day <= 14;
}

int checkDate(const DateTime& date) {
    if (date.year < 1 || date.year > 9999)
        return 1841;
    if (date.month < 1 || date.month > 12)
        return 1843;
    if (date.day < 1 || date.day > 31)
        return 1847;
    if (date.day > daysInMonth(date.year, date.month))
        return 1839;
    if (date.hour < 0 || date.hour > 23)
        return 1850;
    if (date.minute < 0 || date.minute > 59)
        return 1851;
    if (date.second < 0 || date.second > 59)
        return 1852;
    return 0;
}

// Reads up to `most` digits of a date element; ORA-01858 for a letter where they belong,
// 01840 when the text has ended.
int readDigits(const std::string& text, std::size_t& at, std::size_t most, int& value,
               std::size_t& count) {
    if (at >= text.size())
        return 1840;
    value = 0;
    count = 0;
    while (at < text.size() && count < most && isDigit(text[at])) {
        value = value * 10 + (text[at++] - '0');
        ++count;
    }
    return count == 0 ? 1858 : 0;
}

int readMonthName(const std::string& text, std::size_t& at, int& month) {
    static const char* const kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                          "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    if (at >= text.size())
        return 1840;
    char name[4] = {};
    for (std::size_t k = 0; k < 3 && at + k < text.size(); ++k)
        name[k] = static_cast<char>(
            text[at + k] >= 'a' && text[at + k] <= 'z' ? text[at + k] - 'a' + 'A' : text[at + k]);
    for (int index = 0; index < 12; ++index)
        if (std::strcmp(name, kMonths[index]) == 0) {
            month = index + 1;
            at += 3;
            return 0;
        }
    return 1843;
}

bool isDateSeparator(char c) {
    return c != '\0' && std::strchr("-/.,:; ", c) != nullptr;
}

// One element of a date format read from the text into the date.
int readDateElement(const std::string& text, std::size_t& at, const std::string& element,
                    DateTime& date) {
    if (element == "MON")
        return readMonthName(text, at, date.month);
    const bool year = element == "YYYY" || element == "RRRR" || element == "YY" || element == "RR";
    int value = 0;
    std::size_t count = 0;
    if (int error = readDigits(text, at, year ? 4 : 2, value, count))
        return error;
    if (year) {
        // Two digits take a century: RR the nearer one (00-49 this one, 50-99 the last),
        // YY this one.
        if (count <= 2)
            value += element[0] == 'R' && value >= 50 ? 1900 : 2000;
        date.year = value;
    } else if (element == "MM") {
        date.month = value;
        if (value < 1 || value > 12)
            return 1843;
    } else if (element == "DD") {
        date.day = value;
        if (value < 1 || value > 31)
            return 1847;
    } else if (element == "HH24") {
        date.hour = value;
    } else if (element == "MI") {
        date.minute = value;
    } else {
        date.second = value;
    }
    return 0;
}

// The elements in the order of isKnownDateFormat(), longest first.
const char* elementAt(const std::string& format, std::size_t at) {
    for (const char* element : {"YYYY", "RRRR", "HH24", "MON", "YY", "RR", "MM", "DD", "MI", "SS"})
        if (format.compare(at, std::strlen(element), element) == 0)
            return element;
    return nullptr;
}

} // namespace

int parseNumberText(const std::string& text, char decimalCharacter, Decimal& value) {
    return parseNumberText(text.data(), text.size(), decimalCharacter, value);
}

int parseNumberText(const char* text, std::size_t length, char decimalCharacter, Decimal& value) {
    std::size_t at = 0;
    const std::size_t end = length;
    while (at < end && text[at] == ' ')
        ++at;
    value = Decimal{};
    if (at < end && (text[at] == '+' || text[at] == '-'))
        value.negative = text[at++] == '-';
    // Leading zeros are counted, not kept: they only move the exponent.
    int integerDigits = 0;
    int leadingZeros = 0;
    bool anyDigit = false;
    for (; at < end && isDigit(text[at]); ++at, ++integerDigits) {
        anyDigit = true;
        if (value.digits.empty() && text[at] == '0')
            ++leadingZeros;
        else
            value.digits.push_back(text[at]);
    }
    if (at < end && text[at] == decimalCharacter)
        for (++at; at < end && isDigit(text[at]); ++at) {
            anyDigit = true;
            if (value.digits.empty() && text[at] == '0')
                ++leadingZeros;
            else
                value.digits.push_back(text[at]);
        }
    if (!anyDigit)
        return 1722;
    long exponent = 0;
    if (at < end && (text[at] == 'E' || text[at] == 'e')) {
        ++at;
        const bool negative = at < end && text[at] == '-';
        if (at < end && (text[at] == '+' || text[at] == '-'))
            ++at;
        if (at >= end || !isDigit(text[at]))
            return 1722;
        for (; at < end && isDigit(text[at]); ++at)
            exponent = std::min<long>(exponent * 10 + (text[at] - '0'), kExponentLimit);
        exponent = negative ? -exponent : exponent;
    }
    while (at < end && text[at] == ' ')
        ++at;
    if (at != end)
        return 1722;
    value.exponent = integerDigits - leadingZeros + static_cast<int>(exponent);
    const bool negative = value.negative;
    stripZeros(value);
    value.negative = negative && !value.digits.empty();
    return 0;
}

Decimal decimalFromInteger(long long integer) {
    Decimal value;
    value.negative = integer < 0;
    unsigned long long magnitude = value.negative ? 0 - static_cast<unsigned long long>(integer)
                                                  : static_cast<unsigned long long>(integer);
    value.digits = std::to_string(magnitude);
    value.exponent = static_cast<int>(value.digits.size());
    const bool negative = value.negative;
    stripZeros(value);
    value.negative = negative && !value.digits.empty();
    return value;
}

namespace {

constexpr unsigned char kZeroExponent = 128;
constexpr unsigned char kNegativeEnd = 102;

// The digits of a VARNUM's mantissa, from `first` to `end`, as decimal digit pairs; false
// for a byte outside the sign's range or a zero digit at either end.
bool readBase100Digits(const unsigned char* first, const unsigned char* end, bool negative,
                       std::string& digits) {
    const int zero = negative ? 101 : 1;
    if (first == end || *first == zero || *(end - 1) == zero)
        return false;
    for (const unsigned char* at = first; at != end; ++at) {
        const int digit = negative ? 101 - *at : *at - 1;
        if (digit < 0 || digit > 99)
            return false;
        digits.push_back(static_cast<char>('0' + digit / 10));
        digits.push_back(static_cast<char>('0' + digit % 10));
    }
    return true;
}

} // namespace

int decimalFromVarnum(const unsigned char* bytes, std::size_t available, Decimal& value) {
    value = Decimal{};
    if (available < 2 || bytes[0] < 1 || bytes[0] > 1 + kBase100Digits ||
        std::size_t{bytes[0]} + 1 > available)
        return kInvalidNumberBytes;
    const std::size_t length = bytes[0];
    const unsigned char exponent = bytes[1];
    const unsigned char* end = bytes + 1 + length;
    if (length == 1)
        return exponent == kZeroExponent ? 0 : exponent == 0 ? 1426 : kInvalidNumberBytes;
    if (length == 2 && exponent == 255 && bytes[2] == 101)
        return 1426;
    value.negative = exponent < kZeroExponent;
    if (value.negative) {
        // The 102 ends every negative number but one of all 20 digits, and is nowhere else.
        const bool ended = *(end - 1) == kNegativeEnd;
        const std::size_t digits = length - 1 - (ended ? 1 : 0);
        if (ended == (digits == kBase100Digits))
            return kInvalidNumberBytes;
        end -= ended ? 1 : 0;
    }
    if (!readBase100Digits(bytes + 2, end, value.negative, value.digits))
        return kInvalidNumberBytes;
    // The first pair weighs 100^k: 0.(pair)... x 100^(k + 1).
    const int k = value.negative ? 62 - exponent : exponent - 193;
    value.exponent = 2 * (k + 1);
    const bool negative = value.negative;
    stripZeros(value);
    value.negative = negative;
    return 0;
}

int decimalFromDouble(double number, Decimal& value) {
    if (!std::isfinite(number))
        return 1722;
    char text[40];
    const std::to_chars_result written =
        std::to_chars(text, text + sizeof text, number, std::chars_format::scientific);
    return parseNumberText(std::string(text, written.ptr), '.', value);
}

int fitNumberColumn(Decimal& value, int precision, int scale) {
    if (precision == 0) {
        // An odd exponent leaves the first base-100 digit one decimal digit.
        const bool oddExponent = value.exponent % 2 != 0;
        roundDigits(value, static_cast<long>(2 * kBase100Digits - (oddExponent ? 1 : 0)));
        if (!value.digits.empty() && value.exponent > kLargestNumberExponent)
            return 1426;
        if (value.exponent < kSmallestNumberExponent)
            value = Decimal{};
        return 0;
    }
    roundDigits(value, static_cast<long>(value.exponent) + scale);
    if (!value.digits.empty() && value.exponent > precision - scale)
        return 1438;
    return 0;
}

std::string decimalText(const Decimal& value) {
    if (value.digits.empty())
        return "0";
    std::string text = value.negative ? "-" : "";
    const int size = static_cast<int>(value.digits.size());
    const int exponent = value.exponent;
    if (exponent <= 0)
        return text + "0." + std::string(static_cast<std::size_t>(-exponent), '0') + value.digits;
    if (exponent >= size)
        return text + value.digits + std::string(static_cast<std::size_t>(exponent - size), '0');
    return text + value.digits.substr(0, static_cast<std::size_t>(exponent)) + "." +
           value.digits.substr(static_cast<std::size_t>(exponent));
}

int dateFromOracleBytes(const unsigned char* bytes, DateTime& date) {
    const int century = bytes[0] - 100;
    const int yearOfCentury = bytes[1] - 100;
    if (century < 0 || century > 99 || yearOfCentury < 0 || yearOfCentury > 99)
        return 1841;
    date = {century * 100 + yearOfCentury,
            bytes[2],
            bytes[3],
            bytes[4] - 1,
            bytes[5] - 1,
            bytes[6] - 1};
    if (int error = checkDate(date))
        return error;
    return isMissingDay(date) ? 1839 : 0;
}

int parseDateText(const std::string& text, const std::string& format, DateTime& date) {
    // Oracle's defaults for what the format leaves out: this year and month, the first day.
    const std::time_t now = std::time(nullptr);
    std::tm today{};
#if defined(_WIN32)
    gmtime_s(&today, &now);
#else
    gmtime_r(&now, &today);
#endif
    date = DateTime{today.tm_year + 1900, today.tm_mon + 1, 1, 0, 0, 0};
    std::size_t at = 0;
    std::size_t position = 0;
    while (position < format.size()) {
        if (isDateSeparator(format[position])) {
            // Without FX, separators need not match the text's, nor be there at all.
            while (at < text.size() && isDateSeparator(text[at]))
                ++at;
            ++position;
            continue;
        }
        const char* element = elementAt(format, position);
        if (element == nullptr)
            return 1821;
        position += std::strlen(element);
        while (at < text.size() && isDateSeparator(text[at]))
            ++at;
        if (int error = readDateElement(text, at, element, date))
            return error;
    }
    while (at < text.size() && text[at] == ' ')
        ++at;
    if (at < text.size())
        return isDigit(text[at]) ? 1830 : 1861;
    return checkDate(date);
}

std::string dateText(const DateTime& date) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", date.year, date.month,
                  date.day, date.hour, date.minute, date.second);
    return text;
}

std::string doubleText(double value) {
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    char text[40];
    const std::to_chars_result written = std::to_chars(text, text + sizeof text, value);
    return std::string(text, written.ptr);
}

int parseDoubleText(const std::string& text, char decimalCharacter, double& value) {
    Decimal decimal;
    if (int error = parseNumberText(text, decimalCharacter, decimal))
        return error;
    const std::string scientific = (decimal.negative ? "-0." : "0.") +
                                   (decimal.digits.empty() ? "0" : decimal.digits) + "e" +
                                   std::to_string(decimal.exponent);
    std::from_chars(scientific.data(), scientific.data() + scientific.size(), value);
    return 0;
}

} // namespace standin
