// Whole loads that complete: the log, the progress and every stored byte.
#include "load/LoadJobHarness.h"

#include <string>

namespace {

const std::string kMemoBlanks(1998, ' ');

} // namespace

TEST_F(LoadJobTest, FifteenHundredRecordsTravelInTwoBatches) {
    writeTable(wideClientTable(1500));
    runLoad();

    EXPECT_EQ(statusLines(), (std::vector<std::string>{
                                 "Start loading..",
                                 "Connecting to Oracle..",
                                 "Connected.",
                                 "Open file for read..",
                                 "1500 rows in file.",
                                 "Importing file into table CLIENTS..",
                                 "Commit point reached. 1000 rows imported..",
                                 "Loading completed. 1500 records processed.",
                             }));
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(lastEvent().kind, JobEvent::Kind::Status);
    EXPECT_EQ(lastEvent().loadActive, 0);
    EXPECT_EQ(progressValues().back(), 100);

    auto table = loadedTable();
    EXPECT_EQ(table.columnNames,
              (std::vector<std::string>{"NAME", "NOTE1", "NOTE2", "NOTE3", "NOTE4", "NOTE5"}));
    EXPECT_EQ(table.columnWidths, (std::vector<int>{10, 1998, 1998, 1998, 1998, 1998}));
    ASSERT_EQ(table.rows.size(), 1500u);
    for (int record = 0; record < 1500; ++record) {
        const auto& row = table.rows[record];
        ASSERT_EQ(row[0], clientName(record));
        for (int memo = 1; memo <= 5; ++memo)
            ASSERT_EQ(row[memo], kMemoBlanks);
    }
}

TEST_F(LoadJobTest, ProgressStepsByOnePercentUpTo94ThenJumpsTo100) {
    DbfWriter thousand;
    thousand.addField("ID", 'N', 6);
    for (int record = 0; record < 1000; ++record)
        thousand.addRecord({std::to_string(record)});
    writeTable(thousand);
    runLoad();
    std::vector<std::int32_t> expected;
    for (int percent = 1; percent <= 94; ++percent)
        expected.push_back(percent);
    expected.push_back(100);
    EXPECT_EQ(progressValues(), expected);
    EXPECT_EQ(loadedTable().rows.size(), 1000u);

    // Fewer than 100 records: the step is 0, so only record 0 reports.
    DbfWriter few;
    few.addField("ID", 'N', 6);
    for (int record = 0; record < 42; ++record)
        few.addRecord({std::to_string(record)});
    writeTable(few);
    request.tableName = "FEW";
    runLoad();
    EXPECT_EQ(progressValues(), (std::vector<std::int32_t>{0, 100}));
    EXPECT_EQ(statusLines().back(), "Loading completed. 42 records processed.");
}

TEST_F(LoadJobTest, EmptyFilesAndWholeBatchesCompleteNormally) {
    DbfWriter empty;
    empty.addField("NAME", 'C', 10);
    writeTable(empty);
    runLoad();
    EXPECT_EQ(statusLines(), (std::vector<std::string>{
                                 "Start loading..",
                                 "Connecting to Oracle..",
                                 "Connected.",
                                 "Open file for read..",
                                 "0 rows in file.",
                                 "Importing file into table CLIENTS..",
                                 "Loading completed. 0 records processed.",
                             }));
    EXPECT_TRUE(messages().empty());
    EXPECT_TRUE(loadedTable().rows.empty());

    // 2000 records are exactly two batches: nothing is left for the last insert.
    writeTable(wideClientTable(2000));
    request.tableName = "CLIENTS2";
    runLoad();
    auto lines = statusLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3], "Commit point reached. 1000 rows imported..");
    EXPECT_EQ(lines[lines.size() - 2], "Commit point reached. 2000 rows imported..");
    EXPECT_EQ(lines.back(), "Loading completed. 2000 records processed.");
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(loadedTable("CLIENTS2").rows.size(), 2000u);
}

TEST_F(LoadJobTest, EveryFieldTypeIsStoredAsTheReaderFormatsIt) {
    DbfWriter table;
    table.addField("NAME", 'C', 5)
        .addField("PRICE", 'N', 8, 2)
        .addField("BORN", 'D', 8)
        .addField("ACTIVE", 'L', 1)
        .addField("COUNT", 'I', 4)
        .addField("RATE", 'B', 8, 2)
        .addField("WEIGHT", 'F', 8)
        .addField("NOTE", 'M', 10);
    FptWriter memos(64);
    const std::uint32_t block = memos.addMemo("Line one\r\nLine two");
    table.addRecord({"AB   ", "   12.50", "20240131", "T", int32Bytes(-42), doubleBytes(3.14159),
                     "   1.500", memoFieldText(block, 10)});
    table.addRecord(
        {std::string("AB\0\0\0", 5), "", "", "F", int32Bytes(0), doubleBytes(-1.5), "", ""},
        true); // marked as deleted: loaded all the same
    table.addRecord({"ABCDE"});
    writeTable(table);
    writeMemos(memos);
    runLoad();
    ASSERT_TRUE(messages().empty()) << messages()[0];

    auto stored = loadedTable();
    // A double's text is the shortest that reads back as it, whatever its decimal count.
    EXPECT_EQ(stored.columnWidths, (std::vector<int>{5, 8, 8, 1, 12, 24, 8, 1998}));
    ASSERT_EQ(stored.rows.size(), 3u);
    const std::string memo = "Line one\r\nLine two";
    const std::vector<standin_test::StoredValue> first{
        "AB   ",
        "   12.50",
        "20240131",
        "T",
        "-42         ",
        "3.14159",
        "   1.500", // a float is stored as it is shown, like a numeric
        memo + std::string(1998 - memo.size(), ' ')};
    EXPECT_EQ(stored.rows[0], first);
    EXPECT_EQ(stored.rows[1][0], "AB"); // the zero padding never reaches the table
    EXPECT_EQ(stored.rows[1][1], "        ");
    EXPECT_EQ(stored.rows[1][4], "0           ");
    EXPECT_EQ(stored.rows[1][5], "-1.5");
    EXPECT_EQ(stored.rows[1][7], kMemoBlanks);
    EXPECT_EQ(stored.rows[2][0], "ABCDE");
}

TEST_F(LoadJobTest, OemCharactersArriveInTheDatabasesCodePage) {
    DbfWriter table;
    table.addField("CITY", 'C', 12);
    table.addRecord({"Z\x81rich Caf\x82"});
    table.addRecord({"\xA4"
                     "and\xA3"});
    writeTable(table);
    runLoad();
    auto stored = loadedTable();
    ASSERT_EQ(stored.rows.size(), 2u);
    EXPECT_EQ(stored.rows[0][0], "Z\xFCrich Caf\xE9 ");
    EXPECT_EQ(stored.rows[1][0], "\xF1"
                                 "and\xFA"
                                 "       ");
}

TEST_F(LoadJobTest, TablesOfMoreThanAHundredFieldsLoadWhole) {
    DbfWriter table;
    std::vector<std::string> values;
    for (int field = 0; field < 150; ++field) {
        table.addField("FIELD" + std::to_string(field), 'C', 3);
        values.push_back(std::to_string(field));
    }
    table.addRecord(values);
    writeTable(table);
    runLoad();
    ASSERT_TRUE(messages().empty()) << messages()[0];
    auto stored = loadedTable();
    ASSERT_EQ(stored.columnNames.size(), 150u);
    EXPECT_EQ(stored.columnNames[149], "FIELD149");
    ASSERT_EQ(stored.rows.size(), 1u);
    EXPECT_EQ(stored.rows[0][149], "149");
}

TEST_F(LoadJobTest, NationalCharactersFillingTheirColumnsArriveIntactInAnAl32Utf8Database) {
    database.setCharacterSet("AL32UTF8");
    DbfWriter table;
    table.addField("CITY", 'C', 6).addField("NOTE", 'C', 3);
    table.addRecord({"Z\x81rich", "\x84\x94\x81"}); // code page 437
    table.addRecord({"\x8E\x99\x9A\xE1\xA4\xA5", "caf"});
    writeTable(table);
    const std::vector<std::vector<standin_test::StoredValue>> expected{
        {"Z\xC3\xBCrich", "\xC3\xA4\xC3\xB6\xC3\xBC"},
        {"\xC3\x84\xC3\x96\xC3\x9C\xC3\x9F\xC3\xB1\xC3\x91", "caf"},
    };
    // Whatever NLS_LANG says, the client works in AL32UTF8.
    int run = 0;
    for (const char* nlsLang : {"AMERICAN_AMERICA.WE8MSWIN1252", ""}) {
        SCOPED_TRACE(nlsLang);
        standin_test::StandinDatabase::setEnvironmentVariable("NLS_LANG", nlsLang);
        request.tableName = "CITIES" + std::to_string(run++);
        runLoad();
        ASSERT_TRUE(messages().empty()) << messages()[0];
        auto stored = loadedTable(request.tableName);
        EXPECT_EQ(stored.widthsInCharacters, (std::vector<bool>{true, true}));
        EXPECT_EQ(stored.rows, expected);
    }
}

TEST_F(LoadJobTest, ALogonWarningIsShownAfterConnectedAndTheLoadGoesOn) {
    writeTable(wideClientTable(3));
    failWith("logon=28002");
    runLoad();
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(statusLines(), (std::vector<std::string>{
                                 "Start loading..",
                                 "Connecting to Oracle..",
                                 "Connected.",
                                 "ORA-28002: the password will expire within 7 days",
                                 "Open file for read..",
                                 "3 rows in file.",
                                 "Importing file into table CLIENTS..",
                                 "Loading completed. 3 records processed.",
                             }));
    EXPECT_EQ(loadedTable().rows.size(), 3u);
}

TEST_F(LoadJobTest, TheJobReadsOnlyTheTextsItWasStartedWith) {
    writeTable(wideClientTable(1500));
    // What a new Start writes into the request while this load is still running.
    onEvent = [this](const JobEvent& event) {
        if (event.kind != JobEvent::Kind::Status || event.text != "Connected.")
            return;
        request.fileName = "elsewhere.dbf";
        request.tableName = "OTHER";
        request.userName = "NOBODY";
        request.password = "none";
        request.database = "NOWHERE";
    };
    runLoad();
    ASSERT_TRUE(messages().empty()) << messages()[0];
    EXPECT_EQ(statusLines()[5], "Importing file into table CLIENTS..");
    EXPECT_EQ(database.tableNames("SCOTT"), std::vector<std::string>{"CLIENTS"});
    EXPECT_EQ(loadedTable().rows.size(), 1500u);
}
