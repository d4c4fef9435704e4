// The Oracle type of a column and how a field's value becomes one of it: VARCHAR2 for every
// field in the default load, the type that holds the field's values in a typed one. What a
// kind of column is (its SQL type, its bind, its slots, whether it is a LOB) is said in one
// table, in ColumnType.cpp: a new kind is one more row there.
#pragma once

#include "dbf/DbfDialect.h"
#include "dbf/DbfTable.h"
#include "oracle/DBStmt.h"

#include <cstddef>
#include <string>
#include <vector>

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

// What became of a field's value written in its column's form.
enum class TypedValue {
    Value,  // written into the slot
    Null,   // no value: NULL, as the file means it
    Nulled, // a value its column's type cannot hold: NULL, and counted
};

// Writes a value read from the field's stored bytes (`stored` of them, at least the kind's
// storedBytes) into `slot` in the form the kind binds, its length in `written`.
using TypedWriter = TypedValue (*)(const ColumnType& type, const unsigned char* bytes,
                                   std::size_t stored, char* slot, std::size_t& written);

// How CREATE TABLE gives a kind's size after its type name.
enum class TypeSize {
    None,       // "DATE"
    Characters, // "VARCHAR2(10 CHAR)": the column's width in characters
    Precision,  // "NUMBER(10,2)", "NUMBER(10)", or "NUMBER" without a precision
    One,        // "CHAR(1)"
};

// A slot as many bytes as the field holds.
constexpr std::size_t kFieldBytes = static_cast<std::size_t>(-1);

// Everything the load knows of a column kind.
struct ColumnKindTraits {
    ColumnKind kind;
    const char* typeName; // as CREATE TABLE writes it and USER_TAB_COLUMNS' DATA_TYPE says it
    TypeSize size;
    DBStmt::BindType bind;
    // The bytes of one row's slot in the bound form; kFieldBytes: as many as the field; 0 for
    // text slots (sized by their values) and for values gathered whole.
    std::size_t slotBytes;
    // The least bytes a field must store to hold a value of the kind; fewer read as Nulled.
    std::size_t storedBytes;
    bool textSlots; // the field's text in UTF-8, in slots that grow to the widest value
    bool isLob;     // CLOB or BLOB: bound after all others
    // Memos gathered whole for each batch, not written into slots: text decoded into UTF-8
    // when the kind binds text, else bytes as they are.
    bool gatheredWhole;
    TypedWriter write; // null for text slots and values gathered whole
};

// The row of the kind.
const ColumnKindTraits& kindTraits(ColumnKind kind);
// Every kind, in the table's order.
std::vector<ColumnKind> allColumnKinds();

// The largest precision of an Oracle NUMBER.
constexpr int kLargestPrecision = 38;

// The type of a typed load's column for a field. Fields of other types keep the default
// load's VARCHAR2 column (Text).
ColumnType typedColumnType(const DbfFieldInfo& field, const DbfDialect& dialect);

// The column's type as CREATE TABLE writes it: "VARCHAR2(10 CHAR)" (of `width` characters),
// "NUMBER(10,2)", "NUMBER(10)", "NUMBER", "BINARY_DOUBLE", "DATE", "CHAR(1)", "CLOB", "BLOB".
std::string columnTypeText(const ColumnType& type, int width);
// "NUMBER(10,2)", or "NUMBER(10)" with a scale of 0.
std::string numberTypeText(int precision, int scale);

// The characters a column of the type counts for in a batch's size, its field's text being
// `textWidth` characters wide.
int columnWidthOf(const ColumnType& type, int textWidth);

// The bytes of one row's slot for a column of the type whose field is `width` bytes wide: 0
// for text slots and values gathered whole.
std::size_t typedSlotBytes(const ColumnType& type, int width);

// True for CLOB and BLOB columns, whose binds come after all others.
bool isLobKind(ColumnKind kind);
