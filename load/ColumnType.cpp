// Which Oracle type holds each field's values.
#include "load/ColumnType.h"

#include <algorithm>

namespace {

// Oracle's NUMBER scale goes up to 127; a descriptor may say more.
constexpr int kLargestScale = 127;

// Writers disagree on whether an N field's width counts its decimals: dBase's does, but GDAL
// and R write N(w,d) values of w integer digits and d decimals. Room for w digits in front
// of the point and d behind it takes every value either way.
ColumnType numberType(const DbfFieldInfo& field) {
    ColumnType type{ColumnKind::Number};
    if (field.length <= 0)
        return type;
    const int decimals = std::max(field.decimals, 0);
    type.precision = std::min(field.length + decimals, kLargestPrecision);
    type.scale = std::min(decimals, kLargestScale);
    return type;
}

} // namespace

ColumnType typedColumnType(const DbfFieldInfo& field, const DbfDialect& dialect) {
    const bool dBase7 = dialect.dBase7;
    switch (field.type) {
    case 'N':
        return numberType(field);
    case 'F':
        return ColumnType{ColumnKind::Number};
    case 'Y':
        return ColumnType{ColumnKind::Currency, 19, 4};
    case 'I':
        return ColumnType{ColumnKind::Integer, 10, 0, dBase7};
    case 'B':
        return ColumnType{dialect.binaryMemoB ? ColumnKind::MemoBlob : ColumnKind::Double};
    case 'D':
        return ColumnType{ColumnKind::Date};
    case 'T':
        return ColumnType{ColumnKind::Moment};
    case 'L':
        return ColumnType{ColumnKind::Logical};
    case 'M':
        return ColumnType{ColumnKind::Clob};
    case 'G':
    case 'P':
        return ColumnType{ColumnKind::MemoBlob};
    case 'Q':
        return ColumnType{ColumnKind::RecordBlob};
    // Letters only dBase 7 gives a meaning.
    case '+':
        return dBase7 ? ColumnType{ColumnKind::Integer, 10, 0, true} : ColumnType{};
    case 'O':
        return dBase7 ? ColumnType{ColumnKind::Double, 0, 0, true} : ColumnType{};
    case '@':
        return dBase7 ? ColumnType{ColumnKind::Moment, 0, 0, true} : ColumnType{};
    default:
        return ColumnType{};
    }
}

std::string columnTypeText(const ColumnType& type, int width) {
    switch (type.kind) {
    case ColumnKind::Number:
    case ColumnKind::Currency:
    case ColumnKind::Integer:
        if (type.precision == 0)
            return "NUMBER";
        return "NUMBER(" + std::to_string(type.precision) +
               (type.scale != 0 ? "," + std::to_string(type.scale) : "") + ")";
    case ColumnKind::Double:
        return "BINARY_DOUBLE";
    case ColumnKind::Date:
    case ColumnKind::Moment:
        return "DATE";
    case ColumnKind::Logical:
        return "CHAR(1)";
    case ColumnKind::Clob:
        return "CLOB";
    case ColumnKind::MemoBlob:
    case ColumnKind::RecordBlob:
        return "BLOB";
    default:
        // Widths count characters: in a multi-byte database a national character takes
        // more than one byte, and a value that fills its field must still fit.
        return "VARCHAR2(" + std::to_string(width) + " CHAR)";
    }
}

bool isLobKind(ColumnKind kind) {
    return kind == ColumnKind::Clob || kind == ColumnKind::MemoBlob ||
           kind == ColumnKind::RecordBlob;
}
