// A field's value of the current record in the form a typed column binds it: a number as
// text Oracle reads the same way under every NLS setting of the session the load makes, a
// date as Oracle's seven bytes, an integer, a double, a logical as 'T' or 'F', a record's
// bytes. Each value is checked first, so that Oracle is never handed one its column refuses.
#pragma once

#include "dbf/DbfTable.h"
#include "dbf/FieldReadings.h"
#include "dbf/FoxProText.h"
#include "load/ColumnType.h"

#include <cstddef>

enum class TypedValue {
    Value,  // written into the slot
    Null,   // no value: NULL, as the file means it
    Nulled, // a value its column's type cannot hold: NULL, and counted
};

// The bytes a slot of a column of this kind needs for any value of a field `width` bytes
// wide ('N' and 'F' texts, and 'Q' bytes, are as long as their field).
std::size_t typedSlotBytes(const ColumnType& type, int width);

// Writes the current record's value of `field` into `slot` (typedSlotBytes() bytes) for a
// column of `type`, its length in `length`. Not for Text, Clob and MemoBlob columns.
TypedValue writeTypedValue(const ColumnType& type, const DbfFieldValue& field, char* slot,
                           std::size_t& length);

// The text a number is bound as: "-0.314E1", a sign, the digits after "0." and a decimal
// exponent, with no group character and the decimal character the load's session is told
// to use ('.'). Answers its length; `out` must hold number.digitCount + 16 bytes.
std::size_t writeNumberText(const FieldNumber& number, char* out);

// True when a NUMBER(precision, scale) column holds the number once Oracle has rounded it to
// the scale (halves away from zero), or, for precision 0, when a NUMBER without precision
// holds it (below 1E126).
bool numberFits(const FieldNumber& number, int precision, int scale);

// Oracle's seven date bytes for a moment: century + 100, year of the century + 100, month,
// day, hour + 1, minute + 1, second + 1.
void writeOracleDate(const CivilMoment& moment, unsigned char* out);
