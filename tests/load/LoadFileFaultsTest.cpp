// Tables that do not hold what their headers and memo pointers promise, and records marked as
// deleted: what a load keeps, and the lines before its last that say what it did not load as
// the file holds it.
#include "load/LoadJobHarness.h"

#include <string>
#include <vector>

namespace {

const std::string kMemoBlanks(1998, ' ');

std::string paddedMemo(const std::string& text) {
    return text + std::string(1998 - text.size(), ' ');
}

// The last `count` status lines.
std::vector<std::string> lastLines(const std::vector<std::string>& lines, std::size_t count) {
    return {lines.end() - static_cast<std::ptrdiff_t>(std::min(count, lines.size())), lines.end()};
}

std::vector<std::string> namesOf(const standin_test::StoredTable& table) {
    std::vector<std::string> names;
    for (const auto& row : table.rows)
        names.push_back(row.at(0).value_or("NULL"));
    return names;
}

} // namespace

TEST_F(LoadJobTest, DamagedMemosLoadAsBlanksAndAreCountedBeforeTheLastLine) {
    FptWriter memos(64);
    const std::uint32_t kept = memos.addMemo("kept");
    const std::uint32_t other = memos.addMemo("other");
    // The last memo claims more text than the file holds: a memo file cut short.
    const std::uint32_t cutShort = memos.addMemo("cut", 5000);
    DbfWriter table;
    table.addField("ID", 'C', 2).addField("NOTE", 'M', 10).addField("REMARK", 'M', 10);
    table.addRecord({"1", memoFieldText(kept, 10), memoFieldText(other, 10)});
    table.addRecord({"2", memoFieldText(9999, 10), ""}); // past the end of the memo file
    table.addRecord({"3", "", memoFieldText(cutShort, 10)});
    table.addRecord({"4", memoFieldText(kept, 10), "abc"}); // no block number
    table.addRecord({"5", memoFieldText(9998, 10), "         0"});
    writeTable(table);
    writeMemos(memos);
    runLoad();
    ASSERT_TRUE(messages().empty()) << messages()[0];
    EXPECT_EQ(lastLines(statusLines(), 2),
              (std::vector<std::string>{
                  "4 memos could not be read and were loaded as blanks: NOTE 2, REMARK 2.",
                  "Loading completed. 5 records processed."}));
    const auto stored = loadedTable();
    ASSERT_EQ(stored.rows.size(), 5u);
    using Row = std::vector<standin_test::StoredValue>;
    EXPECT_EQ(stored.rows[0], (Row{"1 ", paddedMemo("kept"), paddedMemo("other")}));
    EXPECT_EQ(stored.rows[1], (Row{"2 ", kMemoBlanks, kMemoBlanks}));
    EXPECT_EQ(stored.rows[2], (Row{"3 ", kMemoBlanks, kMemoBlanks}));
    EXPECT_EQ(stored.rows[3], (Row{"4 ", paddedMemo("kept"), kMemoBlanks}));

    // A memo file whose header gives blocks of 0 bytes places every memo nowhere.
    ByteImage noBlockSize = memos.image();
    noBlockSize[6] = 0;
    noBlockSize[7] = 0;
    ASSERT_TRUE(writeFileBytes(folder.path("clients.FPT"), noBlockSize));
    DbfWriter one;
    one.addField("NOTE", 'M', 10).addRecord({memoFieldText(kept, 10)}).addRecord({""});
    writeTable(one);
    request.tableName = "ONE";
    runLoad();
    EXPECT_EQ(
        lastLines(statusLines(), 2),
        (std::vector<std::string>{"1 memo could not be read and was loaded as blanks: NOTE 1.",
                                  "Loading completed. 2 records processed."}));
    EXPECT_EQ(loadedTable("ONE").rows[0][0], kMemoBlanks);
}

TEST_F(LoadJobTest, OnlyDamagedMemosOfCommittedRowsAreCounted) {
    // Batches of 1000 rows; a damaged memo in each of the first two, and the second batch's
    // insert fails: its rows, and its damaged memo, are not in the table.
    FptWriter memos(64);
    memos.addMemo("a memo");
    DbfWriter table = wideClientTable(0);
    for (int record = 0; record < 1500; ++record)
        table.addRecord(
            {clientName(record), record == 7 || record == 1200 ? memoFieldText(777, 10) : ""});
    writeTable(table);
    writeMemos(memos);
    failWith("insert#2=1653");
    runLoad();
    const std::vector<std::string> lines = statusLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3], "Commit point reached. 1000 rows imported..");
    EXPECT_EQ(lines[lines.size() - 2],
              "1 memo could not be read and was loaded as blanks: NOTE1 1.");
    EXPECT_EQ(loadedTable().rows.size(), 1000u);
}

TEST_F(LoadJobTest, AShortFileLoadsTheRecordsItHoldsAndSaysWhatItsHeaderCounted) {
    DbfWriter table = wideClientTable(5);
    table.setRecordCount(8);
    writeTable(table);
    runLoad();
    ASSERT_TRUE(messages().empty()) << messages()[0];
    EXPECT_EQ(statusLines(),
              (std::vector<std::string>{
                  "Start loading..", "Connecting to Oracle..", "Connected.", "Open file for read..",
                  "5 rows in file.", "Importing file into table CLIENTS..",
                  "The header counts 8 records, but the file holds only 5 whole records.",
                  "Loading completed. 5 records processed."}));
    EXPECT_EQ(namesOf(loadedTable()).back(), clientName(4));

    // Cut in the middle of its third record: the two whole ones are loaded.
    DbfWriter three = wideClientTable(3);
    ByteImage bytes = three.image();
    bytes.resize(static_cast<std::size_t>(three.headerLength() + 2 * three.recordLength() + 7));
    ASSERT_TRUE(writeFileBytes(dbfPath, bytes));
    request.tableName = "CUT";
    runLoad();
    EXPECT_EQ(lastLines(statusLines(), 2),
              (std::vector<std::string>{
                  "The header counts 3 records, but the file holds only 2 whole records.",
                  "Loading completed. 2 records processed."}));
    EXPECT_EQ(namesOf(loadedTable("CUT")),
              (std::vector<std::string>{clientName(0), clientName(1)}));

    // A failure still tells what the file holds, before its own last line.
    failWith("create#1=1031");
    request.tableName = "REFUSED";
    runLoad();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(lastLines(statusLines(), 2)[0],
              "The header counts 3 records, but the file holds only 2 whole records.");
}

TEST_F(LoadJobTest, RecordsPastTheHeadersCountAreNamedAndNotLoaded) {
    // The header is the table's word on its records: bytes past its count may be records a
    // program took back (its count set to 0) or never finished writing.
    DbfWriter table = wideClientTable(3);
    table.setRecordCount(0);
    writeTable(table);
    runLoad();
    ASSERT_TRUE(messages().empty()) << messages()[0];
    EXPECT_EQ(statusLines(),
              (std::vector<std::string>{"Start loading..", "Connecting to Oracle..", "Connected.",
                                        "Open file for read..", "0 rows in file.",
                                        "Importing file into table CLIENTS..",
                                        "The header counts 0 records, but the file holds 3 whole "
                                        "records: the 3 past its count were not loaded.",
                                        "Loading completed. 0 records processed."}));
    EXPECT_TRUE(loadedTable().rows.empty());

    table.setRecordCount(2);
    writeTable(table);
    request.tableName = "TWO";
    runLoad();
    EXPECT_EQ(lastLines(statusLines(), 2),
              (std::vector<std::string>{"The header counts 2 records, but the file holds 3 whole "
                                        "records: the 1 past its count was not loaded.",
                                        "Loading completed. 2 records processed."}));
    EXPECT_EQ(namesOf(loadedTable("TWO")),
              (std::vector<std::string>{clientName(0), clientName(1)}));
}

TEST_F(LoadJobTest, DeletedRecordsAreLoadedAndCountedOrLeftOutOnRequest) {
    // Every fifth record of 2500 is marked as deleted: 500 of them.
    DbfWriter table = wideClientTable(0);
    std::vector<std::string> kept;
    for (int record = 0; record < 2500; ++record) {
        table.addRecord({clientName(record)}, record % 5 == 4);
        if (record % 5 != 4)
            kept.push_back(clientName(record));
    }
    writeTable(table);
    runLoad();
    EXPECT_EQ(lastLines(statusLines(), 3),
              (std::vector<std::string>{"Commit point reached. 2000 rows imported..",
                                        "500 records marked as deleted were loaded.",
                                        "Loading completed. 2500 records processed."}));
    EXPECT_EQ(loadedTable().rows.size(), 2500u);

    // Left out, the commit lines and the last line count the rows loaded.
    request.options.skipDeleted = true;
    request.tableName = "KEPT";
    runLoad();
    EXPECT_EQ(statusLines(),
              (std::vector<std::string>{"Start loading..", "Connecting to Oracle..", "Connected.",
                                        "Open file for read..", "2500 rows in file.",
                                        "Importing file into table KEPT..",
                                        "Commit point reached. 1000 rows imported..",
                                        "Commit point reached. 2000 rows imported..",
                                        "500 records marked as deleted were left out.",
                                        "Loading completed. 2000 records processed."}));
    EXPECT_EQ(namesOf(loadedTable("KEPT")), kept);
    EXPECT_EQ(result.rowsLoaded, 2000);

    // Only the rows of committed batches count as loaded.
    request.options.skipDeleted = false;
    request.tableName = "FAILED";
    failWith("insert#3=1653");
    runLoad();
    EXPECT_EQ(lastLines(statusLines(), 2)[0], "400 records marked as deleted were loaded.");

    DbfWriter two = wideClientTable(0);
    two.addRecord({clientName(0)}).addRecord({clientName(1)}, true);
    writeTable(two);
    failWith("");
    request.tableName = "TWO";
    runLoad();
    EXPECT_EQ(lastLines(statusLines(), 1)[0], "Loading completed. 2 records processed.");
    EXPECT_EQ(lastLines(statusLines(), 2)[0], "1 record marked as deleted was loaded.");
    request.options.skipDeleted = true;
    request.tableName = "ONE";
    runLoad();
    EXPECT_EQ(lastLines(statusLines(), 2),
              (std::vector<std::string>{"1 record marked as deleted was left out.",
                                        "Loading completed. 1 records processed."}));
}

TEST_F(LoadJobTest, TheLinesBeforeTheLastComeInOneOrder) {
    database.setCharacterSet("AL32UTF8");
    FptWriter memos(64);
    const std::uint32_t tooLong = memos.addMemo(std::string(2500, 'x'));
    DbfWriter table;
    table.addField("NOTE", 'M', 10);
    table.addRecord({memoFieldText(tooLong, 10)});
    table.addRecord({memoFieldText(9999, 10)}, true);
    table.addRecord({""});
    table.setRecordCount(4);
    writeTable(table);
    writeMemos(memos);
    runLoad();
    ASSERT_TRUE(messages().empty()) << messages()[0];
    EXPECT_EQ(lastLines(statusLines(), 5),
              (std::vector<std::string>{
                  "1 value was cut to fit its column: NOTE.",
                  "1 memo could not be read and was loaded as blanks: NOTE 1.",
                  "1 record marked as deleted was loaded.",
                  "The header counts 4 records, but the file holds only 3 whole records.",
                  "Loading completed. 3 records processed."}));
}
