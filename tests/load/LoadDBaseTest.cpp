// Whole loads of the tables dBase writes: memos from DBT files, dBase 7 values, a missing memo
// file that stops the load before it connects, and field names Oracle refuses.
#include "load/LoadJobHarness.h"

#include "support/DBase7Writer.h"
#include "support/DbtWriter.h"
#include "support/ForeignTables.h"

#include <algorithm>
#include <filesystem>
#include <string>

namespace {

using standin_test::StoredValue;

constexpr std::uint8_t kDBase3WithMemo = 0x83;
constexpr std::uint8_t kDBase4WithMemo = 0x8B;

std::string padded(const std::string& text, std::size_t width) {
    return text + std::string(width - text.size(), ' ');
}

// The NOTES column of every stored row.
std::vector<StoredValue> storedNotes(const standin_test::StoredTable& table, std::size_t column) {
    std::vector<StoredValue> notes;
    for (const auto& row : table.rows)
        notes.push_back(row.at(column));
    return notes;
}

} // namespace

TEST_F(LoadJobTest, DBase4MemosLoadWholeFromALowerCaseMemoFile) {
    DbtWriter memos = DbtWriter::dBase4(64);
    const std::string endByte = "a 0x1A \x1A stays in a dBase IV memo";
    std::string longMemo;
    for (int line = 0; longMemo.size() < 2500; ++line)
        longMemo += "line " + std::to_string(line) + " of a long memo\r\n";
    DbfWriter table;
    table.setVersionByte(kDBase4WithMemo).addField("NAME", 'C', 8).addField("NOTES", 'M', 10);
    table.addRecord({"short", memoFieldText(memos.addMemo("Paid in full."), 10)});
    table.addRecord({"endbyte", memoFieldText(memos.addMemo(endByte), 10)});
    table.addRecord({"long", memoFieldText(memos.addMemo(longMemo), 10)});
    table.addRecord({"old", memoFieldText(memos.addPlainText("from dBase III\x1A\x1A"), 10)});
    table.addRecord({"empty", memoFieldText(memos.addMemo(""), 10)});
    table.addRecord({"none", ""});
    writeTable(table);
    ASSERT_TRUE(memos.writeTo(folder.path("clients.dbt")));
    runLoad();
    ASSERT_TRUE(messages().empty()) << messages()[0];

    const auto stored = loadedTable();
    EXPECT_EQ(stored.columnWidths, (std::vector<int>{8, 1998}));
    EXPECT_EQ(storedNotes(stored, 1),
              (std::vector<StoredValue>{padded("Paid in full.", 1998), padded(endByte, 1998),
                                        longMemo.substr(0, 1998), padded("from dBase III", 1998),
                                        std::string(1998, ' '), std::string(1998, ' ')}));
}

TEST_F(LoadJobTest, DBase3TablePythonDbfWroteLoadsItsMemosInTheAnsiCodePage) {
    ASSERT_TRUE(writeFileBytes(dbfPath, readFileBytes(foreignTablePath("clipper.dbf"))));
    ASSERT_TRUE(
        writeFileBytes(folder.path("clients.DBT"), readFileBytes(foreignTablePath("clipper.DBT"))));
    runLoad();
    ASSERT_TRUE(messages().empty()) << messages()[0];
    const auto stored = loadedTable();
    ASSERT_EQ(stored.rows.size(), 5u);
    // Code page 437 to 1252: u umlaut 81 -> FC, sharp s E1 -> DF, o umlaut 94 -> F6.
    EXPECT_EQ(stored.rows[0][2], padded("Delivered on Monday.\r\nSigned by the porter.", 1998));
    EXPECT_EQ(stored.rows[2][2]->substr(0, 17), "Gr\xFC\xDF"
                                                "e aus K\xF6ln: \xE1");
    std::string long3000;
    for (int line = 0; line < 120; ++line) {
        char text[32];
        std::snprintf(text, sizeof text, "line %03d of a long memo\r\n", line);
        long3000 += text;
    }
    EXPECT_EQ(stored.rows[3][2], long3000.substr(0, 1998));
}

TEST_F(LoadJobTest, DBase7ValuesLoadAsTheirTexts) {
    DbtWriter memos = DbtWriter::dBase4(0);
    DBase7Writer table;
    table.setMemo(true)
        .addField("CUSTOMER_NAME_IN_FULL", 'C', 10)
        .addField("ENTRY", '+', 4)
        .addField("BALANCE", 'O', 8)
        .addField("STAMP", '@', 8)
        .addField("NOTES", 'M', 10);
    table.addRecord({"Jones", dBase7LongBytes(7), dBase7DoubleBytes(-1234.5),
                     dBase7TimestampBytes(2451545, 3600000),
                     memoFieldText(memos.addMemo("dBase 7 memo"), 10)});
    ASSERT_TRUE(table.writeTo(dbfPath));
    ASSERT_TRUE(memos.writeTo(folder.path("clients.DBT")));
    runLoad();
    ASSERT_TRUE(messages().empty()) << messages()[0];
    const auto stored = loadedTable();
    EXPECT_EQ(stored.columnNames, (std::vector<std::string>{"CUSTOMER_NAME_IN_FULL", "ENTRY",
                                                            "BALANCE", "STAMP", "NOTES"}));
    EXPECT_EQ(stored.columnWidths, (std::vector<int>{10, 12, 24, 14, 1998}));
    ASSERT_EQ(stored.rows.size(), 1u);
    EXPECT_EQ(stored.rows[0],
              (std::vector<StoredValue>{padded("Jones", 10), padded("7", 12), "-1234.5",
                                        "20000101010000", padded("dBase 7 memo", 1998)}));
}

TEST_F(LoadJobTest, AMissingMemoFileEndsTheLoadBeforeItConnects) {
    DbfWriter table;
    table.setVersionByte(kDBase3WithMemo).addField("NAME", 'C', 8).addField("NOTES", 'M', 10);
    table.addRecord({"blank", ""}).addRecord({"memo", memoFieldText(1, 10)});
    writeTable(table);
    const std::string missing = "Cannot find memo file " + folder.path("clients.dbt") +
                                ". The table's memos are kept in it: copy it beside the table.";
    runLoad();
    ASSERT_EQ(messages(), std::vector<std::string>{missing});
    EXPECT_EQ(statusLines(), (std::vector<std::string>{"Start loading..", missing}));
    EXPECT_EQ(lastEvent().loadActive, 0);
    EXPECT_TRUE(database.tableNames("SCOTT").empty());

    // From a working copy the message names the memo file beside the original, and the copy
    // is deleted.
    table.setDisplacements({0, 0});
    writeTable(table);
    runLoad();
    EXPECT_EQ(messages(), std::vector<std::string>{missing});
    EXPECT_EQ(statusLines().back(), missing);
    EXPECT_EQ(folder.fileNames(), std::vector<std::string>{"clients.dbf"});

    // A memo file found but too short to read is no better.
    ASSERT_TRUE(writeFileBytes(folder.path("clients.DBT"), ByteImage(3, 0)));
    runLoad();
    EXPECT_EQ(messages(),
              std::vector<std::string>{"Cannot read memo file " + folder.path("clients.DBT") +
                                       ": it is too short to hold its header."});

    // Without a pointer into it the memo file is not needed.
    std::filesystem::remove(folder.path("clients.DBT"));
    DbfWriter blanks;
    blanks.setVersionByte(kDBase3WithMemo).addField("NAME", 'C', 8).addField("NOTES", 'M', 10);
    blanks.addRecord({"blank", ""}).addRecord({"zero", memoFieldText(0, 10)});
    writeTable(blanks);
    runLoad();
    ASSERT_TRUE(messages().empty()) << messages()[0];
    EXPECT_EQ(loadedTable().rows.size(), 2u);
}

TEST_F(LoadJobTest, ADBase7HeaderThatDoesNotAddUpEndsTheLoadBeforeItConnects) {
    DBase7Writer table;
    table.addField("NAME", 'C', 10).setRecordLength(5).addRecord({"Jones"});
    ASSERT_TRUE(table.writeTo(dbfPath));
    runLoad();
    const std::string text = "Cannot read file: its dBase 7 header does not add up: the fields "
                             "take 11 bytes of a record of 5.";
    EXPECT_EQ(messages(), std::vector<std::string>{text});
    EXPECT_EQ(statusLines(), (std::vector<std::string>{"Start loading..", text}));
}

TEST_F(LoadJobTest, FieldNamesOracleRefusesLoadWithFixNames) {
    // As two shapefile attribute tables have them: names cut to ten characters by their
    // writer, and a reserved word the ten replacements do not cover.
    DbfWriter cut;
    cut.addField("Z600701190", 'N', 5).addField("Z600701190", 'N', 5);
    cut.addField("Z600701190", 'N', 5).addField("NAME", 'C', 10);
    cut.addRecord({"    1", "    2", "    3", "Ayr"});
    DbfWriter reserved;
    reserved.addField("name", 'C', 10).addField("size", 'N', 8, 2).addRecord({"Troon", "   12.50"});
    const std::string hint =
        "marlin-load --fix-names loads such a table, with every name made one Oracle takes.";
    struct Case {
        DbfWriter table;
        std::string tableName;
        std::string failure;
        std::vector<std::string> columns;
    };
    const Case cases[] = {
        {cut,
         "CUT",
         "Error while create table. \nORA-00957: duplicate column name\n" + hint,
         {"Z600701190", "Z600701190_2", "Z600701190_3", "NAME"}},
        {reserved,
         "RESERVED",
         "Error while create table. \nORA-00904: : invalid identifier\n"
         "Can not use reserved word as name of column.\n" +
             hint,
         {"NAME", "SIZE_"}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.failure);
        writeTable(test.table);
        request.tableName = test.tableName;
        request.options.fixNames = false;
        runLoad();
        EXPECT_EQ(messages(), std::vector<std::string>{test.failure});
        const std::vector<std::string> tables = database.tableNames("SCOTT");
        EXPECT_EQ(std::count(tables.begin(), tables.end(), test.tableName), 0);

        request.options.fixNames = true;
        runLoad();
        ASSERT_TRUE(messages().empty()) << messages()[0];
        const auto stored = loadedTable(test.tableName);
        EXPECT_EQ(stored.columnNames, test.columns);
        EXPECT_EQ(stored.rows.size(), 1u);
    }
}
