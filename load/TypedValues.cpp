// Field values checked and written in the binary or fixed text forms of typed columns.
#include "load/TypedValues.h"

#include "dbf/DBase7Values.h"
#include "dbf/DbfLayout.h"
#include "load/OracleDate.h"
#include "load/OracleNumber.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace {

using dbf_layout::readLittle32;
using dbf_layout::readLittle64;

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

TypedValue writeNumber(const ColumnType& type, FieldNumber& number, char* slot,
                       std::size_t& written) {
    if (!roundToColumn(number, type.precision, type.scale))
        return TypedValue::Nulled;
    writeOracleNumber(number, reinterpret_cast<unsigned char*>(slot));
    written = kOracleNumberBytes;
    return TypedValue::Value;
}

} // namespace

namespace typed_forms {

TypedValue writeNumberText(const ColumnType& type, const unsigned char* bytes, std::size_t stored,
                           char* slot, std::size_t& written) {
    FieldNumber number;
    const FieldReading reading = readFieldNumber(bytes, stored, number);
    if (reading != FieldReading::Value)
        return nullFor(reading);
    return writeNumber(type, number, slot, written);
}

// Ten-thousandths: the amount's digits, with the point four places from their end.
TypedValue writeCurrency(const ColumnType& type, const unsigned char* bytes, std::size_t,
                         char* slot, std::size_t& written) {
    const auto amount = static_cast<std::int64_t>(readLittle64(bytes));
    // Two's complement: the magnitude of the most negative amount is its own bit pattern.
    std::uint64_t magnitude =
        amount < 0 ? 0 - static_cast<std::uint64_t>(amount) : static_cast<std::uint64_t>(amount);
    FieldNumber number;
    while (magnitude > 0 && magnitude % 10 == 0) {
        magnitude /= 10;
        ++number.exponent;
    }
    char reversed[20];
    std::size_t count = 0;
    for (; magnitude > 0; magnitude /= 10)
        reversed[count++] = static_cast<char>('0' + magnitude % 10);
    std::reverse_copy(reversed, reversed + count, number.digits);
    number.digitCount = count;
    number.exponent = count > 0 ? number.exponent + static_cast<long>(count) - 4 : 0;
    number.negative = count > 0 && amount < 0;
    return writeNumber(type, number, slot, written);
}

TypedValue writeInteger(const ColumnType& type, const unsigned char* bytes, std::size_t, char* slot,
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

TypedValue writeDouble(const ColumnType& type, const unsigned char* bytes, std::size_t, char* slot,
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

TypedValue writeDate(const ColumnType&, const unsigned char* bytes, std::size_t stored, char* slot,
                     std::size_t& written) {
    FieldDate date;
    // A written date keeps its label, which Oracle's calendar must have.
    const FieldReading reading = readFieldDate(bytes, stored, date, isOracleCalendarDay);
    if (reading != FieldReading::Value)
        return nullFor(reading);
    writeOracleDate({date.year, date.month, date.day, 0, 0, 0},
                    reinterpret_cast<unsigned char*>(slot));
    written = kOracleDateBytes;
    return TypedValue::Value;
}

TypedValue writeMoment(const ColumnType& type, const unsigned char* bytes, std::size_t, char* slot,
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
    // A day number keeps its day: the date Oracle gives the same number.
    CivilMoment moment;
    if (!oracleMomentOf(day, milliseconds, moment))
        return TypedValue::Nulled;
    writeOracleDate(moment, reinterpret_cast<unsigned char*>(slot));
    written = kOracleDateBytes;
    return TypedValue::Value;
}

TypedValue writeLogical(const ColumnType&, const unsigned char* bytes, std::size_t stored,
                        char* slot, std::size_t& written) {
    bool value = false;
    const FieldReading reading = readFieldLogical(bytes, stored, value);
    if (reading != FieldReading::Value)
        return nullFor(reading);
    slot[0] = value ? 'T' : 'F';
    written = 1;
    return TypedValue::Value;
}

TypedValue writeBytes(const ColumnType&, const unsigned char* bytes, std::size_t stored, char* slot,
                      std::size_t& written) {
    if (stored == 0)
        return TypedValue::Null;
    std::memcpy(slot, bytes, stored);
    written = stored;
    return TypedValue::Value;
}

} // namespace typed_forms

TypedValue writeTypedValue(const ColumnType& type, const DbfFieldValue& field, char* slot,
                           std::size_t& length) {
    length = 0;
    const unsigned char* bytes = nullptr;
    std::size_t stored = 0;
    // A NULL of Visual FoxPro, or a value past the end of the file.
    if (!field.storedBytes(bytes, stored))
        return TypedValue::Null;
    const ColumnKindTraits& kind = kindTraits(type.kind);
    if (kind.write == nullptr)
        return TypedValue::Null;
    if (stored < kind.storedBytes)
        return TypedValue::Nulled;
    return kind.write(type, bytes, stored, slot, length);
}
