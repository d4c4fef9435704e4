// Field values checked and written in the binary or fixed text forms of typed columns.
#include "load/TypedValues.h"

#include "dbf/DBase7Values.h"
#include "dbf/DbfLayout.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace {

using dbf_layout::readLittle32;
using dbf_layout::readLittle64;

// Oracle's NUMBER holds values below 1E126; below 1E-130 it has only zero, which every
// column's scale (at most 127) rounds such a value to anyway.
constexpr long kLargestNumberExponent = 126;
constexpr long kSmallestNumberExponent = -129;
constexpr std::size_t kDateBytes = 7;
constexpr std::size_t kMomentBytes = 8;

bool allBytesAre(const unsigned char* bytes, std::size_t length, unsigned char value) {
    for (std::size_t at = 0; at < length; ++at)
        if (bytes[at] != value)
            return false;
    return true;
}

// Writers of other programs leave a binary field they have no value for as zeros or blanks.
bool isBlankBinary(const unsigned char* bytes, std::size_t length) {
    return allBytesAre(bytes, length, 0) || allBytesAre(bytes, length, ' ');
}

// What a reading that found no value loads: NULL, counted when the text is no value of its
// type.
TypedValue nullFor(FieldReading reading) {
    return reading == FieldReading::Empty ? TypedValue::Null : TypedValue::Nulled;
}

TypedValue writeNumber(const ColumnType& type, const unsigned char* bytes, std::size_t length,
                       char* slot, std::size_t& written) {
    FieldNumber number;
    const FieldReading reading = readFieldNumber(bytes, length, number);
    if (reading != FieldReading::Value)
        return nullFor(reading);
    if (!numberFits(number, type.precision, type.scale))
        return TypedValue::Nulled;
    if (number.exponent < kSmallestNumberExponent)
        number.digitCount = 0;
    written = writeNumberText(number, slot);
    return TypedValue::Value;
}

TypedValue writeCurrency(const unsigned char* bytes, char* slot, std::size_t& written) {
    // Ten-thousandths: the digits, then the exponent that puts the point in its place.
    const auto amount = static_cast<std::int64_t>(readLittle64(bytes));
    const std::string text = std::to_string(amount) + "E-4";
    FieldNumber number;
    readFieldNumber(reinterpret_cast<const unsigned char*>(text.data()), text.size(), number);
    written = writeNumberText(number, slot);
    return TypedValue::Value;
}

TypedValue writeInteger(const ColumnType& type, const unsigned char* bytes, char* slot,
                        std::size_t& written) {
    std::int32_t value = 0;
    if (type.dBase7) {
        const std::optional<std::int32_t> decoded = decodeDBase7Long(bytes);
        if (!decoded)
            return TypedValue::Null;
        value = *decoded;
    } else {
        value = static_cast<std::int32_t>(readLittle32(bytes));
    }
    std::memcpy(slot, &value, sizeof value);
    written = sizeof value;
    return TypedValue::Value;
}

TypedValue writeDouble(const ColumnType& type, const unsigned char* bytes, char* slot,
                       std::size_t& written) {
    double value = 0;
    if (type.dBase7) {
        // Eight zero bytes are dBase 7's empty value; they decode as a NaN.
        if (allBytesAre(bytes, sizeof value, 0))
            return TypedValue::Null;
        value = decodeDBase7Double(bytes);
    } else {
        const std::uint64_t bits = readLittle64(bytes);
        std::memcpy(&value, &bits, sizeof value);
    }
    if (!std::isfinite(value))
        return TypedValue::Nulled;
    // A column of numbers has no use for a negative zero.
    if (value == 0)
        value = 0;
    std::memcpy(slot, &value, sizeof value);
    written = sizeof value;
    return TypedValue::Value;
}

TypedValue writeDate(const unsigned char* bytes, std::size_t length, char* slot,
                     std::size_t& written) {
    FieldDate date;
    const FieldReading reading = readFieldDate(bytes, length, date);
    if (reading != FieldReading::Value)
        return nullFor(reading);
    writeOracleDate({date.year, date.month, date.day, 0, 0, 0},
                    reinterpret_cast<unsigned char*>(slot));
    written = kDateBytes;
    return TypedValue::Value;
}

TypedValue writeMoment(const ColumnType& type, const unsigned char* bytes, char* slot,
                       std::size_t& written) {
    if (isBlankBinary(bytes, kMomentBytes))
        return TypedValue::Null;
    std::uint32_t day = 0, milliseconds = 0;
    if (type.dBase7) {
        const DBase7Timestamp stamp = decodeDBase7Timestamp(bytes);
        day = stamp.julianDay;
        milliseconds = stamp.milliseconds;
    } else {
        day = readLittle32(bytes);
        milliseconds = readLittle32(bytes + 4);
    }
    CivilMoment moment;
    if (!civilMomentOf(day, milliseconds, moment))
        return TypedValue::Nulled;
    writeOracleDate(moment, reinterpret_cast<unsigned char*>(slot));
    written = kDateBytes;
    return TypedValue::Value;
}

TypedValue writeLogical(const unsigned char* bytes, std::size_t length, char* slot,
                        std::size_t& written) {
    bool value = false;
    const FieldReading reading = readFieldLogical(bytes, length, value);
    if (reading != FieldReading::Value)
        return nullFor(reading);
    slot[0] = value ? 'T' : 'F';
    written = 1;
    return TypedValue::Value;
}

// The bytes a binary kind reads from its field.
std::size_t binaryBytes(ColumnKind kind) {
    switch (kind) {
    case ColumnKind::Currency:
    case ColumnKind::Double:
    case ColumnKind::Moment:
        return 8;
    case ColumnKind::Integer:
        return 4;
    default:
        return 0;
    }
}

} // namespace

std::size_t typedSlotBytes(const ColumnType& type, int width) {
    const auto fieldBytes = static_cast<std::size_t>(width > 0 ? width : 0);
    switch (type.kind) {
    case ColumnKind::Number:
        return fieldBytes + 16;
    case ColumnKind::Currency:
        return 20 + 16; // the digits of a 64-bit amount
    case ColumnKind::Integer:
        return sizeof(std::int32_t);
    case ColumnKind::Double:
        return sizeof(double);
    case ColumnKind::Date:
    case ColumnKind::Moment:
        return kDateBytes;
    case ColumnKind::Logical:
        return 1;
    case ColumnKind::RecordBlob:
        return fieldBytes > 0 ? fieldBytes : 1;
    default:
        return 0;
    }
}

TypedValue writeTypedValue(const ColumnType& type, const DbfFieldValue& field, char* slot,
                           std::size_t& length) {
    length = 0;
    const unsigned char* bytes = nullptr;
    std::size_t stored = 0;
    // A NULL of Visual FoxPro, or a value past the end of the file.
    if (!field.storedBytes(bytes, stored))
        return TypedValue::Null;
    if (stored < binaryBytes(type.kind))
        return TypedValue::Nulled;
    switch (type.kind) {
    case ColumnKind::Number:
        return writeNumber(type, bytes, stored, slot, length);
    case ColumnKind::Currency:
        return writeCurrency(bytes, slot, length);
    case ColumnKind::Integer:
        return writeInteger(type, bytes, slot, length);
    case ColumnKind::Double:
        return writeDouble(type, bytes, slot, length);
    case ColumnKind::Date:
        return writeDate(bytes, stored, slot, length);
    case ColumnKind::Moment:
        return writeMoment(type, bytes, slot, length);
    case ColumnKind::Logical:
        return writeLogical(bytes, stored, slot, length);
    case ColumnKind::RecordBlob:
        if (stored == 0)
            return TypedValue::Null;
        std::memcpy(slot, bytes, stored);
        length = stored;
        return TypedValue::Value;
    default:
        return TypedValue::Null;
    }
}

std::size_t writeNumberText(const FieldNumber& number, char* out) {
    char* at = out;
    if (number.digitCount == 0) {
        *at++ = '0';
        return 1;
    }
    if (number.negative)
        *at++ = '-';
    *at++ = '0';
    *at++ = '.';
    // A few digits: a loop costs less than a call.
    for (std::size_t digit = 0; digit < number.digitCount; ++digit)
        *at++ = number.digits[digit];
    *at++ = 'E';
    long exponent = number.exponent;
    if (exponent < 0) {
        *at++ = '-';
        exponent = -exponent;
    }
    // The digits from the last, then turned round.
    char* first = at;
    do {
        *at++ = static_cast<char>('0' + exponent % 10);
        exponent /= 10;
    } while (exponent > 0);
    std::reverse(first, at);
    return static_cast<std::size_t>(at - out);
}

bool numberFits(const FieldNumber& number, int precision, int scale) {
    if (number.digitCount == 0)
        return true;
    if (precision == 0)
        return number.exponent <= kLargestNumberExponent;
    // The digits kept after rounding to the scale; a number that rounds up past a run of
    // nines gains an integer digit.
    const long kept = number.exponent + scale;
    if (kept < 0)
        return true; // rounds to zero
    long exponent = number.exponent;
    const auto keptDigits = static_cast<std::size_t>(kept);
    if (keptDigits < number.digitCount && number.digits[keptDigits] >= '5') {
        std::size_t nines = 0;
        while (nines < keptDigits && number.digits[nines] == '9')
            ++nines;
        if (nines == keptDigits)
            ++exponent;
    }
    return exponent <= precision - scale;
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
