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

// Writes the current record's value of `field` into `slot` (typedSlotBytes() bytes) for a
// column of `type`, its length in `length`. A number is rounded as the column keeps it, and
// is Nulled when the column cannot hold it even then; a date is one of Oracle's calendar
// (see OracleDate.h). Not for kinds of text slots or of values gathered whole.
TypedValue writeTypedValue(const ColumnType& type, const DbfFieldValue& field, char* slot,
                           std::size_t& length);

// The writers of the kinds' forms (see TypedWriter), named by the table of kinds.
namespace typed_forms {
// An 'N' or 'F' field's text as Oracle's NUMBER bytes.
TypedValue writeNumberText(const ColumnType& type, const unsigned char* bytes, std::size_t stored,
                           char* slot, std::size_t& written);
// A 'Y' field's ten-thousandths as Oracle's NUMBER bytes.
TypedValue writeCurrency(const ColumnType& type, const unsigned char* bytes, std::size_t stored,
                         char* slot, std::size_t& written);
// A 32-bit integer, FoxPro's or dBase 7's.
TypedValue writeInteger(const ColumnType& type, const unsigned char* bytes, std::size_t stored,
                        char* slot, std::size_t& written);
// A finite double, FoxPro's or dBase 7's.
TypedValue writeDouble(const ColumnType& type, const unsigned char* bytes, std::size_t stored,
                       char* slot, std::size_t& written);
// A 'D' field's text as Oracle's seven DATE bytes.
TypedValue writeDate(const ColumnType& type, const unsigned char* bytes, std::size_t stored,
                     char* slot, std::size_t& written);
// A day and its milliseconds, FoxPro's or dBase 7's, as Oracle's seven DATE bytes.
TypedValue writeMoment(const ColumnType& type, const unsigned char* bytes, std::size_t stored,
                       char* slot, std::size_t& written);
// An 'L' field as 'T' or 'F'.
TypedValue writeLogical(const ColumnType& type, const unsigned char* bytes, std::size_t stored,
                        char* slot, std::size_t& written);
// The field's bytes as they are; none is NULL.
TypedValue writeBytes(const ColumnType& type, const unsigned char* bytes, std::size_t stored,
                      char* slot, std::size_t& written);
} // namespace typed_forms
