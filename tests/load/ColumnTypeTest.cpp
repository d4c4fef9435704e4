// Every column kind against Oracle's documented type names and the binds its documentation
// gives each: what CREATE TABLE writes, what the INSERT binds, and the bytes of one slot.
#include "load/ColumnType.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

namespace {

using Bind = DBStmt::BindType;

struct Expected {
    ColumnType type;
    int width;
    const char* sqlType;
    Bind bind;
    std::size_t slotBytes;
    std::size_t storedBytes;
    bool lob;
};

// From Oracle's SQL Language Reference (the built-in data types) and the OCI Programmer's
// Guide's external data types: VARCHAR2 and CHAR as SQLT_CHR, NUMBER's 22 bytes as SQLT_VNU
// (or a native integer, SQLT_INT), BINARY_DOUBLE as SQLT_BDOUBLE, DATE's seven bytes as
// SQLT_DAT, CLOB text as SQLT_CHR and BLOB bytes as SQLT_BIN. The least bytes a field holds
// are its binary form's in the file: eight for a currency, a double and a date-time, four for
// an integer; the kinds read from text (or memos) take any length.
const Expected kExpected[] = {
    {{ColumnKind::Text}, 10, "VARCHAR2(10 CHAR)", Bind::Text, 0, 0, false},
    {{ColumnKind::Number, 10, 2}, 8, "NUMBER(10,2)", Bind::Number, 22, 0, false},
    {{ColumnKind::Currency, 19, 4}, 21, "NUMBER(19,4)", Bind::Number, 22, 8, false},
    {{ColumnKind::Integer, 10, 0}, 11, "NUMBER(10)", Bind::Integer, 4, 4, false},
    {{ColumnKind::Double}, 22, "BINARY_DOUBLE", Bind::Double, 8, 8, false},
    {{ColumnKind::Date}, 8, "DATE", Bind::Date, 7, 0, false},
    {{ColumnKind::Moment}, 14, "DATE", Bind::Date, 7, 8, false},
    {{ColumnKind::Logical}, 1, "CHAR(1)", Bind::Text, 1, 0, false},
    {{ColumnKind::Clob}, 10, "CLOB", Bind::Text, 0, 0, true},
    {{ColumnKind::MemoBlob}, 10, "BLOB", Bind::Bytes, 0, 0, true},
    {{ColumnKind::RecordBlob}, 6, "BLOB", Bind::Bytes, 6, 0, true},
};

} // namespace

TEST(ColumnType, EveryKindHasOraclesTypeNameAndDocumentedBind) {
    for (ColumnKind kind : allColumnKinds()) {
        const auto found = std::find_if(std::begin(kExpected), std::end(kExpected),
                                        [&](const Expected& row) { return row.type.kind == kind; });
        ASSERT_NE(found, std::end(kExpected))
            << "kind " << static_cast<int>(kind) << " has no documented name here";
        const Expected& row = *found;
        SCOPED_TRACE(row.sqlType);
        EXPECT_EQ(kindTraits(kind).kind, kind);
        EXPECT_EQ(columnTypeText(row.type, row.width), row.sqlType);
        EXPECT_EQ(kindTraits(kind).bind, row.bind);
        EXPECT_EQ(typedSlotBytes(row.type, row.width), row.slotBytes);
        EXPECT_EQ(kindTraits(kind).storedBytes, row.storedBytes);
        EXPECT_EQ(isLobKind(kind), row.lob);
    }
    EXPECT_EQ(allColumnKinds().size(), std::size(kExpected));
    // A NUMBER without precision, and the text that describes an existing table's column.
    EXPECT_EQ(columnTypeText(ColumnType{ColumnKind::Number}, 20), "NUMBER");
    EXPECT_EQ(numberTypeText(38, 0), "NUMBER(38)");
    EXPECT_EQ(numberTypeText(5, -2), "NUMBER(5,-2)");
    // A record's bytes of a field of none still take a slot of one byte.
    EXPECT_EQ(typedSlotBytes(ColumnType{ColumnKind::RecordBlob}, 0), 1u);
}
