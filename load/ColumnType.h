// The Oracle type of a column and how a field's value becomes one of it: VARCHAR2 for every
// field in the default load, the type that holds the field's values in a typed one.
#pragma once

#include "dbf/DbfDialect.h"
#include "dbf/DbfTable.h"

#include <string>

// What a column holds, and so how its values are read from the file and bound.
enum class ColumnKind {
    Text,       // VARCHAR2(n CHAR): the field's text, as the default load gives every field
    Number,     // NUMBER(p,s), NUMBER(p) or NUMBER: the text of an 'N' or 'F' field; N(w,d)
                // is NUMBER(w + d, d), at most 38 digits
    Currency,   // NUMBER(19,4): the ten-thousandths of a 'Y' field
    Integer,    // NUMBER(10): an 'I' field, dBase 7's '+'
    Double,     // BINARY_DOUBLE: a 'B' field of FoxPro, dBase 7's 'O'
    Date,       // DATE: the text of a 'D' field
    Moment,     // DATE to the second: a 'T' field, dBase 7's '@'
    Logical,    // CHAR(1), 'T' or 'F': an 'L' field
    Clob,       // CLOB: a memo's whole text ('M')
    MemoBlob,   // BLOB: a memo's whole bytes ('G', 'P', dBase's binary 'B')
    RecordBlob, // BLOB: the bytes the record holds ('Q')
};

struct ColumnType {
    ColumnKind kind = ColumnKind::Text;
    int precision = 0;   // Number: 1 to 38, or 0 for a NUMBER without precision
    int scale = 0;       // Number and Currency with a precision
    bool dBase7 = false; // Integer, Double and Moment: in dBase 7's own encodings
};

// The largest precision of an Oracle NUMBER.
constexpr int kLargestPrecision = 38;

// The type of a typed load's column for a field. Fields of other types keep the default
// load's VARCHAR2 column (Text).
ColumnType typedColumnType(const DbfFieldInfo& field, const DbfDialect& dialect);

// The column's type as CREATE TABLE writes it: "VARCHAR2(10 CHAR)" (of `width` characters),
// "NUMBER(10,2)", "NUMBER(10)", "NUMBER", "BINARY_DOUBLE", "DATE", "CHAR(1)", "CLOB", "BLOB".
std::string columnTypeText(const ColumnType& type, int width);

// True for CLOB and BLOB columns, whose binds come after all others.
bool isLobKind(ColumnKind kind);
