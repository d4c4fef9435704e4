// A field's value of the current record in the form a typed column binds it: a number as
// Oracle's NUMBER bytes, a date as Oracle's seven bytes, an integer, a double, a logical as
// 'T' or 'F', a record's bytes. Each value is checked first, so that Oracle is never handed
// one its column refuses.
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
// wide ('Q' bytes are as long as their field).
std::size_t typedSlotBytes(const ColumnType& type, int width);

// Writes the current record's value of `field` into `slot` (typedSlotBytes() bytes) for a
// column of `type`, its length in `length`. A number is rounded as the column keeps it, and
// is Nulled when the column cannot hold it even then; a date is one of Oracle's calendar
// (see OracleDate.h). Not for Text, Clob and MemoBlob columns.
TypedValue writeTypedValue(const ColumnType& type, const DbfFieldValue& field, char* slot,
                           std::size_t& length);
