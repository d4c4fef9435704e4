// --append of a file into the table a load of that same file made, for every field type,
// typed and untyped: the table has the file's columns, so the rows go in again.
#include "load/LoadJobHarness.h"

#include <string>
#include <vector>

namespace {

constexpr std::uint8_t kWindows1252 = 0x03;

std::string moment(std::uint32_t julianDay, std::uint32_t milliseconds) {
    return uint32Bytes(julianDay) + uint32Bytes(milliseconds);
}

} // namespace

TEST_F(LoadJobTest, AFileAppendsToTheTableItsOwnLoadMadeWhateverItsFieldTypes) {
    FptWriter memos(64);
    DbfWriter table;
    table.setContainerArea("").setLanguageDriver(kWindows1252);
    table.addField("NAME", 'C', 8)
        .addField("AMOUNT", 'N', 8, 2)
        .addField("RATIO", 'F', 12, 3)
        .addField("PIECES", 'I', 4)
        .addField("WEIGHT", 'B', 8, 2)
        .addField("PRICE", 'Y', 8)
        .addField("BORN", 'D', 8)
        .addField("SEEN", 'T', 8)
        .addField("OK", 'L', 1)
        .addField("NOTES", 'M', 4);
    table.addRecord({"first", "   12.50", "       3.142", int32Bytes(42), doubleBytes(2.5),
                     int64Bytes(123456), "20240305", moment(2460375, 3723000), "T",
                     uint32Bytes(memos.addMemo("a memo"))});
    table.addRecord({"second", "  -99.99", "      -0.001", int32Bytes(-7), doubleBytes(-1e10),
                     int64Bytes(-5), "19991231", moment(2451545, 0), "n", uint32Bytes(0)});
    writeTable(table);
    writeMemos(memos);

    for (const bool typed : {true, false}) {
        SCOPED_TRACE(typed ? "typed" : "untyped");
        request.options.typedColumns = typed;
        request.tableName = typed ? "TYPED" : "UNTYPED";
        request.options.existingTable = ExistingTable::Refuse;
        runLoad();
        ASSERT_EQ(result.outcome, LoadJob::Outcome::Completed) << statusLines().back();
        const auto first = loadedTable(request.tableName);
        ASSERT_EQ(first.rows.size(), 2u);

        request.options.existingTable = ExistingTable::Append;
        runLoad();
        EXPECT_EQ(result.outcome, LoadJob::Outcome::Completed) << statusLines().back();
        const auto appended = loadedTable(request.tableName);
        EXPECT_EQ(appended.columnTypes, first.columnTypes);
        ASSERT_EQ(appended.rows.size(), 4u);
        EXPECT_EQ(appended.rows[2], first.rows[0]);
        EXPECT_EQ(appended.rows[3], first.rows[1]);
    }
}
