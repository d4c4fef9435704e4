// Typed loads of memo tables and of tables that exist: batches ended early by their memos'
// bytes, long memos handed over whole (by an 11.2 client too), dBase 7's own types, --append that
// compares typed columns, and --replace of a typed table.
#include "load/LoadJobHarness.h"

#include "support/DBase7Writer.h"
#include "support/DbtWriter.h"

#include <string>

namespace {

using standin_test::StoredValue;

constexpr std::uint8_t kWindows1252 = 0x03;

// Records whose NOTES memo is `memo` (all pointing at one block), with a number beside it.
DbfWriter memoTable(FptWriter& memos, const std::vector<std::string>& notes) {
    DbfWriter table;
    table.setContainerArea("").setLanguageDriver(kWindows1252);
    table.addField("ID", 'N', 6).addField("NOTES", 'M', 4);
    for (std::size_t record = 0; record < notes.size(); ++record)
        table.addRecord({std::to_string(record + 1), uint32Bytes(memos.addMemo(notes[record]))});
    return table;
}

std::string clientLibrary112() {
#if defined(_WIN32)
    return "OCI112.DLL";
#else
    std::string path = standin_test::StandinDatabase::standinLibraryPath();
    return path.replace(path.rfind("libclntsh"), 9, "libclntsh_112");
#endif
}

} // namespace

TEST_F(LoadJobTest, MemosEndABatchBeforeTheirBytesPassTheBudgetAndTheCommitLinesStayTrue) {
    // 1252 text may take three bytes a character in UTF-8: a batch plans 300,000 bytes for a
    // memo of 100,000 characters, so 223 of them fill the 64 MB of one batch.
    FptWriter memos(512);
    const std::uint32_t block = memos.addMemo(std::string(100000, 'm'));
    DbfWriter table;
    table.setContainerArea("").setLanguageDriver(kWindows1252);
    table.addField("ID", 'N', 6).addField("NOTES", 'M', 4);
    // Every tenth ID is no number: counted, and only in committed rows.
    for (int record = 1; record <= 230; ++record)
        table.addRecord({record % 10 == 0 ? "x" : std::to_string(record), uint32Bytes(block)});
    writeTable(table);
    writeMemos(memos);
    request.options.typedColumns = true;
    runLoad();
    ASSERT_TRUE(messages().empty()) << messages()[0];
    std::vector<std::string> lines = statusLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3], "Commit point reached. 223 rows imported..");
    EXPECT_EQ(lines[lines.size() - 2],
              "23 values could not be read as their columns' types and were loaded as NULL: "
              "ID 23.");
    EXPECT_EQ(lines.back(), "Loading completed. 230 records processed.");
    const auto stored = loadedTable();
    ASSERT_EQ(stored.rows.size(), 230u);
    EXPECT_EQ(stored.rows[222][0], StoredValue("223"));
    EXPECT_EQ(stored.rows[229][0], StoredValue());
    EXPECT_EQ(stored.rows[229][1], StoredValue(std::string(100000, 'm')));

    // The second batch fails: the first one's 22 are told.
    failWith("insert#2=1653");
    request.tableName = "FAILED";
    runLoad();
    lines = statusLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3], "Commit point reached. 223 rows imported..");
    EXPECT_EQ(lines[lines.size() - 2],
              "22 values could not be read as their columns' types and were loaded as NULL: "
              "ID 22.");
    EXPECT_EQ(lines.back().rfind("Error during insert (at end).", 0), 0u) << lines.back();
    EXPECT_EQ(loadedTable("FAILED").rows.size(), 223u);
}

TEST_F(LoadJobTest, LongMemosAreHandedOverWholeInTheSameInsertByAnOldClientToo) {
    // A batch whose memos all fit an array element binds them as one; a longer memo makes its
    // column's values go over one by one while the insert runs, on an 11.2 client as well.
    FptWriter memos(64);
    writeTable(memoTable(memos, {std::string(32767, 'a'), "short", std::string(65536, 'b'), "",
                                 std::string(100000, 'c')}));
    writeMemos(memos);
    request.options.typedColumns = true;
    for (const std::string& library : {std::string(), clientLibrary112()}) {
        SCOPED_TRACE(library);
        if (!library.empty())
            standin_test::StandinDatabase::setEnvironmentVariable("MARLIN_OCI_LIBRARY", library);
        request.tableName = library.empty() ? "CLIENTS" : "OLDCLIENT";
        standin_test::StandinDatabase::recordCalls(true);
        runLoad();
        const std::string calls = standin_test::StandinDatabase::callLog();
        standin_test::StandinDatabase::recordCalls(false);
        ASSERT_EQ(result.outcome, LoadJob::Outcome::Completed) << messages().at(0);
        // One insert of five rows, its memos bound for it (the log is the first client's).
        if (library.empty()) {
            EXPECT_NE(calls.find("OCIBindDynamic\nOCIStmtExecute 5 0\n"), std::string::npos)
                << calls;
        }
        const auto rows = loadedTable(request.tableName).rows;
        ASSERT_EQ(rows.size(), 5u);
        const std::vector<StoredValue> notes = {std::string(32767, 'a'), "short",
                                                std::string(65536, 'b'), std::nullopt,
                                                std::string(100000, 'c')};
        for (std::size_t row = 0; row < rows.size(); ++row)
            EXPECT_EQ(rows[row][1], notes[row]) << row;
    }

    // Memos that fit an array element are bound as one.
    FptWriter shorter(64);
    writeTable(memoTable(shorter, {std::string(32767, 'a'), "short"}));
    writeMemos(shorter);
    request.tableName = "SHORTER";
    standin_test::StandinDatabase::recordCalls(true);
    runLoad();
    const std::string calls = standin_test::StandinDatabase::callLog();
    standin_test::StandinDatabase::recordCalls(false);
    ASSERT_EQ(result.outcome, LoadJob::Outcome::Completed) << messages().at(0);
    EXPECT_EQ(calls.find("OCIBindDynamic"), std::string::npos) << calls;
    EXPECT_EQ(loadedTable("SHORTER").rows.at(0)[1], StoredValue(std::string(32767, 'a')));
}

TEST_F(LoadJobTest, DBase7ValuesLoadTyped) {
    DBase7Writer table;
    table.addField("ID", '+', 4).addField("AREA", 'O', 8).addField("STAMP", '@', 8);
    table.addRecord(
        {dBase7LongBytes(1), dBase7DoubleBytes(-2.5), dBase7TimestampBytes(2460375, 3723000)});
    table.addRecord({dBase7LongBytes(2), std::string(8, '\0'), std::string(8, '\0')});
    table.addRecord({std::string(4, '\0'), dBase7DoubleBytes(1e9), dBase7TimestampBytes(5, 0)});
    ASSERT_TRUE(table.writeTo(dbfPath));
    request.options.typedColumns = true;
    runLoad();
    ASSERT_TRUE(messages().empty()) << messages()[0];
    EXPECT_EQ(statusLines()[statusLines().size() - 2],
              "1 value could not be read as its column's type and was loaded as NULL: STAMP 1.");
    const auto stored = loadedTable();
    EXPECT_EQ(stored.columnTypes,
              (std::vector<std::string>{"NUMBER(10)", "BINARY_DOUBLE", "DATE"}));
    const StoredValue null;
    EXPECT_EQ(stored.rows,
              (std::vector<std::vector<StoredValue>>{
                  {"1", "-2.5", "2024-03-05 01:02:03"}, {"2", null, null}, {null, "1e+09", null}}));
}

namespace {

DbfWriter amountTable(int amountWidth, const std::vector<std::string>& amounts, int decimals = 2) {
    DbfWriter table;
    table.addField("NAME", 'C', 6)
        .addField("AMOUNT", 'N', amountWidth, decimals)
        .addField("PAID", 'D', 8);
    for (const std::string& amount : amounts)
        table.addRecord({"n" + amount, amount, "20240305"});
    return table;
}

} // namespace

TEST_F(LoadJobTest, ATypedAppendComparesTypesAndAReplacementKeepsThem) {
    request.options.typedColumns = true;
    writeTable(amountTable(8, {"1.25"}));
    runLoad();
    ASSERT_EQ(result.outcome, LoadJob::Outcome::Completed);

    // The same columns: appended.
    request.options.existingTable = ExistingTable::Append;
    writeTable(amountTable(8, {"2.50"}));
    runLoad();
    EXPECT_EQ(result.outcome, LoadJob::Outcome::Completed);
    EXPECT_EQ(loadedTable().rows.size(), 2u);
    EXPECT_EQ(loadedTable().rows.at(1)[1], StoredValue("2.5"));

    // A number with more digits than the column has, and text where numbers are: refused.
    writeTable(amountTable(10, {"3"}));
    runLoad();
    EXPECT_EQ(statusLines().back(), "Cannot append to table CLIENTS: its column 2 is AMOUNT "
                                    "NUMBER(10,2), the file's is AMOUNT NUMBER(12,2).");
    writeTable(amountTable(9, {"3"}, 3));
    runLoad();
    EXPECT_EQ(statusLines().back(), "Cannot append to table CLIENTS: its column 2 is AMOUNT "
                                    "NUMBER(10,2), the file's is AMOUNT NUMBER(12,3).");
    request.options.typedColumns = false;
    writeTable(amountTable(8, {"4"}));
    runLoad();
    // The default load reads no precisions.
    EXPECT_EQ(statusLines().back(), "Cannot append to table CLIENTS: its column 2 is AMOUNT "
                                    "NUMBER, the file's is AMOUNT VARCHAR2(8 CHAR).");
    EXPECT_EQ(loadedTable().rows.size(), 2u);

    // A narrower number fits a wider column.
    request.options.typedColumns = true;
    writeTable(amountTable(6, {"5"}));
    runLoad();
    EXPECT_EQ(result.outcome, LoadJob::Outcome::Completed);
    EXPECT_EQ(loadedTable().rows.size(), 3u);

    request.options.existingTable = ExistingTable::Replace;
    writeTable(amountTable(10, {"12345678.9"}));
    runLoad();
    EXPECT_EQ(result.outcome, LoadJob::Outcome::Completed);
    const auto stored = loadedTable();
    EXPECT_EQ(stored.columnTypes,
              (std::vector<std::string>{"VARCHAR2(6 CHAR)", "NUMBER(12,2)", "DATE"}));
    EXPECT_EQ(stored.rows, (std::vector<std::vector<StoredValue>>{
                               {"n12345", "12345678.9", "2024-03-05 00:00:00"}}));
}

TEST_F(LoadJobTest, AnAppendRoundsAsTheTablesColumnsDoAndAScaleAloneLimitsWhatTheyTake) {
    {
        DBConnect connection;
        connection.connect("SCOTT", "tiger", "ORCL");
        DBStmt create(&connection,
                      "CREATE TABLE  CLIENTS (NAME VARCHAR2(6 CHAR),AMOUNT INTEGER,PAID DATE)");
        create.execute();
        DBStmt wider(&connection,
                     "CREATE TABLE  WIDER (NAME VARCHAR2(6 CHAR),AMOUNT NUMBER(14,4),PAID DATE)");
        wider.execute();
        DBStmt scaled(&connection,
                      "CREATE TABLE  SCALED (NAME VARCHAR2(6 CHAR),AMOUNT NUMBER(*,3),PAID DATE)");
        scaled.execute();
    }
    request.options.typedColumns = true;
    request.options.existingTable = ExistingTable::Append;
    // INTEGER is NUMBER(*,0): whole numbers only, though of any 38 digits.
    writeTable(amountTable(10, {"12.75"}));
    runLoad();
    EXPECT_EQ(statusLines().back(), "Cannot append to table CLIENTS: its column 2 is AMOUNT "
                                    "NUMBER(*,0), the file's is AMOUNT NUMBER(12,2).");
    writeTable(amountTable(30, {"123456789012345678901234567890"}, 0));
    runLoad();
    EXPECT_EQ(result.outcome, LoadJob::Outcome::Completed);
    EXPECT_EQ(loadedTable().rows.at(0)[1], StoredValue("123456789012345678901234567890"));

    // The values are rounded to the table's scale, not the file's.
    request.tableName = "WIDER";
    writeTable(amountTable(8, {"3.14159", "-0.00005"}));
    runLoad();
    EXPECT_EQ(result.outcome, LoadJob::Outcome::Completed);
    std::vector<StoredValue> amounts;
    for (const auto& row : loadedTable("WIDER").rows)
        amounts.push_back(row.at(1));
    EXPECT_EQ(amounts, (std::vector<StoredValue>{"3.1416", "-0.0001"}));

    // NUMBER(*,3) takes three decimals and 35 integer digits.
    request.tableName = "SCALED";
    writeTable(amountTable(36, {"2.71828"}, 1));
    runLoad();
    EXPECT_EQ(statusLines().back(), "Cannot append to table SCALED: its column 2 is AMOUNT "
                                    "NUMBER(*,3), the file's is AMOUNT NUMBER(37,1).");
    writeTable(amountTable(34, {"2.71828", "12345678901234567890123456789012.5"}, 1));
    runLoad();
    EXPECT_EQ(result.outcome, LoadJob::Outcome::Completed);
    amounts.clear();
    for (const auto& row : loadedTable("SCALED").rows)
        amounts.push_back(row.at(1));
    EXPECT_EQ(amounts, (std::vector<StoredValue>{"2.718", "12345678901234567890123456789012.5"}));
}

TEST_F(LoadJobTest, DBase3MemoPointersThatAreNoBlockNumberLoadAsCountedNulls) {
    DbtWriter memos = DbtWriter::dBase3();
    const std::uint32_t block = memos.addMemo("kept whole");
    DbfWriter table;
    table.setVersionByte(0x83).addField("ID", 'N', 2).addField("NOTES", 'M', 10);
    const std::string digits = std::to_string(block);
    for (const std::string& pointer :
         {memoFieldText(block, 10), "        " + digits + "x", "-" + digits, std::string(),
          memoFieldText(block + 1000, 10)})
        table.addRecord({"1", pointer});
    writeTable(table);
    ASSERT_TRUE(memos.writeTo(folder.path("clients.dbt")));
    request.options.typedColumns = true;
    runLoad();
    ASSERT_TRUE(messages().empty()) << messages()[0];
    EXPECT_EQ(statusLines()[statusLines().size() - 2],
              "3 values could not be read as their columns' types and were loaded as NULL: "
              "NOTES 3.");
    const StoredValue null;
    std::vector<StoredValue> notes;
    for (const auto& row : loadedTable().rows)
        notes.push_back(row.at(1));
    EXPECT_EQ(notes, (std::vector<StoredValue>{"kept whole", null, null, null, null}));
}
