// Which Oracle type holds each field's values, and the one table of what each kind of column
// is.
#include "load/ColumnType.h"

#include "load/OracleDate.h"
#include "load/OracleNumber.h"
#include "load/TypedValues.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

using Bind = DBStmt::BindType;

// Oracle's names of the types, and the binds its documentation gives them: SQLT_CHR for
// character data, SQLT_VNU for NUMBER bytes, SQLT_INT for a native integer, SQLT_BDOUBLE for a
// native double, SQLT_DAT for DATE's seven bytes, SQLT_BIN for bytes taken as they are.
// clang-format off
constexpr ColumnKindTraits kKinds[] = {
//   kind                    typeName         size                  bind           slotBytes                  storedBytes textSlots isLob  gatheredWhole write
    {ColumnKind::Text,       "VARCHAR2",      TypeSize::Characters, Bind::Text,    0,                         0,          true,     false, false,        nullptr},
    {ColumnKind::Number,     "NUMBER",        TypeSize::Precision,  Bind::Number,  kOracleNumberBytes,        0,          false,    false, false,        typed_forms::writeNumberText},
    {ColumnKind::Currency,   "NUMBER",        TypeSize::Precision,  Bind::Number,  kOracleNumberBytes,        8,          false,    false, false,        typed_forms::writeCurrency},
    {ColumnKind::Integer,    "NUMBER",        TypeSize::Precision,  Bind::Integer, sizeof(std::int32_t),      4,          false,    false, false,        typed_forms::writeInteger},
    {ColumnKind::Double,     "BINARY_DOUBLE", TypeSize::None,       Bind::Double,  sizeof(double),            8,          false,    false, false,        typed_forms::writeDouble},
    {ColumnKind::Date,       "DATE",          TypeSize::None,       Bind::Date,    kOracleDateBytes,          0,          false,    false, false,        typed_forms::writeDate},
    {ColumnKind::Moment,     "DATE",          TypeSize::None,       Bind::Date,    kOracleDateBytes,          8,          false,    false, false,        typed_forms::writeMoment},
    {ColumnKind::Logical,    "CHAR",          TypeSize::One,        Bind::Text,    1,                         0,          false,    false, false,        typed_forms::writeLogical},
    {ColumnKind::Clob,       "CLOB",          TypeSize::None,       Bind::Text,    0,                         0,          false,    true,  true,         nullptr},
    {ColumnKind::MemoBlob,   "BLOB",          TypeSize::None,       Bind::Bytes,   0,                         0,          false,    true,  true,         nullptr},
    {ColumnKind::RecordBlob, "BLOB",          TypeSize::None,       Bind::Bytes,   kFieldBytes,               0,          false,    true,  false,        typed_forms::writeBytes},
};
// clang-format on

// Oracle's NUMBER scale goes up to 127; a descriptor may say more.
constexpr int kLargestScale = 127;

// A typed double is bound in its eight bytes, not as text: it counts in the size of a typed
// load's batches as the 22 characters it always has, so that they stay as they are.
constexpr int kTypedDoubleWidth = 22;

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

// The kinds' rows in the order of their enumerators, so that a kind finds its row at once.
constexpr bool rowsInKindOrder() {
    for (std::size_t row = 0; row < std::size(kKinds); ++row)
        if (static_cast<std::size_t>(kKinds[row].kind) != row)
            return false;
    return true;
}
static_assert(rowsInKindOrder(), "each kind's row sits at its enumerator's place");

const ColumnKindTraits& kindTraits(ColumnKind kind) {
    const auto row = static_cast<std::size_t>(kind);
    return row < std::size(kKinds) ? kKinds[row] : kKinds[0];
}

std::vector<ColumnKind> allColumnKinds() {
    std::vector<ColumnKind> kinds;
    for (const ColumnKindTraits& traits : kKinds)
        kinds.push_back(traits.kind);
    return kinds;
}

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

std::string numberTypeText(int precision, int scale) {
    return "NUMBER(" + std::to_string(precision) + (scale != 0 ? "," + std::to_string(scale) : "") +
           ")";
}

std::string columnTypeText(const ColumnType& type, int width) {
    const ColumnKindTraits& traits = kindTraits(type.kind);
    const std::string name = traits.typeName;
    switch (traits.size) {
    case TypeSize::Characters:
        // Widths count characters: in a multi-byte database a national character takes
        // more than one byte, and a value that fills its field must still fit.
        return name + "(" + std::to_string(width) + " CHAR)";
    case TypeSize::Precision:
        return type.precision == 0 ? name : numberTypeText(type.precision, type.scale);
    case TypeSize::One:
        return name + "(1)";
    default:
        return name;
    }
}

int columnWidthOf(const ColumnType& type, int textWidth) {
    if (type.kind == ColumnKind::Double && !type.dBase7)
        return kTypedDoubleWidth;
    return textWidth;
}

std::size_t typedSlotBytes(const ColumnType& type, int width) {
    const std::size_t slotBytes = kindTraits(type.kind).slotBytes;
    if (slotBytes != kFieldBytes)
        return slotBytes;
    return width > 0 ? static_cast<std::size_t>(width) : 1;
}

bool isLobKind(ColumnKind kind) {
    return kindTraits(kind).isLob;
}
