// Loads into a table that exists: replaced only once every row is in, or appended to when
// its columns are the file's; and a stalled call broken after a stop.
#include "load/LoadJobHarness.h"
#include "load/TableTarget.h"
#include "oracle/DBConnect.h"

#include <thread>

using standin_test::StandinDatabase;

namespace {

// The names of the committed rows, in order.
std::vector<std::string> names(const standin_test::StoredTable& table) {
    std::vector<std::string> result;
    for (const auto& row : table.rows)
        result.push_back(row.at(0).value_or("NULL"));
    return result;
}

std::vector<std::string> clientNames(int first, int count) {
    std::vector<std::string> result;
    for (int record = first; record < first + count; ++record)
        result.push_back(clientName(record));
    return result;
}

// A client table whose names start at `first`, so that two loads can be told apart.
DbfWriter clientsFrom(int first, int records) {
    DbfWriter table = wideClientTable(0);
    for (int record = first; record < first + records; ++record)
        table.addRecord({clientName(record)});
    return table;
}

class ExistingTableTest : public LoadJobTest {
  protected:
    // CLIENTS as a first, plain load leaves it: five rows from C000000000.
    void loadTheOldTable() {
        writeTable(wideClientTable(5));
        runLoad();
        ASSERT_EQ(result.outcome, LoadJob::Outcome::Completed);
    }
    void loadAgain(ExistingTable policy, const DbfWriter& table) {
        writeTable(table);
        request.options.existingTable = policy;
        runLoad();
    }
    std::vector<std::string> theOldNames() const { return clientNames(0, 5); }
};

const std::vector<std::string> kReplacementStart = {
    "Start loading..",
    "Connecting to Oracle..",
    "Connected.",
    "Table CLIENTS exists; loading into CLIENTS$NEW1 to replace it.",
    "Open file for read..",
    "1500 rows in file.",
    "Importing file into table CLIENTS$NEW1..",
    "Commit point reached. 1000 rows imported..",
};

std::vector<std::string> replacementLines(std::vector<std::string> ending) {
    std::vector<std::string> lines = kReplacementStart;
    lines.insert(lines.end(), ending.begin(), ending.end());
    return lines;
}

} // namespace

TEST_F(ExistingTableTest, AReplacementTakesTheOldTablesPlaceOnlyWhenEveryRowIsIn) {
    loadTheOldTable();
    loadAgain(ExistingTable::Replace, clientsFrom(5000, 1500));
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(statusLines(),
              replacementLines({"Table CLIENTS replaced: old table dropped, CLIENTS$NEW1 renamed "
                                "to CLIENTS.",
                                "Loading completed. 1500 records processed."}));
    EXPECT_EQ(database.tableNames("SCOTT"), std::vector<std::string>{"CLIENTS"});
    EXPECT_EQ(names(loadedTable()), clientNames(5000, 1500));
    EXPECT_EQ(result.outcome, LoadJob::Outcome::Completed);
    EXPECT_EQ(result.rowsLoaded, 1500);
    EXPECT_TRUE(result.tableExisted);

    // A temporary name in use is passed over, and named: a killed load leaves its tables
    // under such names. A long name is cut to leave room for the number, within the 30 bytes
    // every server takes.
    database.addObject("SCOTT", "CLIENTS$NEW1", "INDEX");
    database.addTable("SCOTT", "CLIENTS$OLD1", {{"OLD", 5}});
    loadAgain(ExistingTable::Replace, clientsFrom(0, 3));
    EXPECT_EQ(statusLines().at(3),
              "Table CLIENTS exists; loading into CLIENTS$NEW2 to replace it.");
    EXPECT_EQ(statusLines().at(4), "CLIENTS$NEW1, CLIENTS$OLD1 exist already: left by loads that "
                                   "did not end, or in use by ones running now.");
    EXPECT_EQ(names(loadedTable()), clientNames(0, 3));
    EXPECT_EQ(database.tableNames("SCOTT"), (std::vector<std::string>{"CLIENTS", "CLIENTS$OLD1"}));
    request.tableName = "A23456789B123456789C123456789D";
    loadAgain(ExistingTable::Replace, clientsFrom(0, 2));
    loadAgain(ExistingTable::Replace, clientsFrom(7, 1));
    EXPECT_EQ(statusLines().at(3), "Table A23456789B123456789C123456789D exists; loading into "
                                   "A23456789B123456789C12345$NEW1 to replace it.");
    EXPECT_EQ(names(loadedTable(request.tableName)), clientNames(7, 1));
}

TEST_F(ExistingTableTest, AReplacementThatFailsOrStopsLeavesTheOldTableAsItWas) {
    loadTheOldTable();
    failWith("insert#2@10=1653");
    loadAgain(ExistingTable::Replace, clientsFrom(5000, 1500));
    // The second batch is the last one.
    const std::string failure = "Error during insert (at end).\nORA-01653: Message 1653 not "
                                "found;  product=RDBMS; facility=ORA\n";
    EXPECT_EQ(messages(), std::vector<std::string>{failure});
    EXPECT_EQ(statusLines(),
              replacementLines({"Table CLIENTS left as it was; CLIENTS$NEW1 dropped.", failure}));
    EXPECT_EQ(database.tableNames("SCOTT"), std::vector<std::string>{"CLIENTS"});
    EXPECT_EQ(names(loadedTable()), theOldNames());
    EXPECT_EQ(result.rowsLoaded, 0);

    // A stop: the job's only words are what became of the table.
    failWith("");
    onEvent = [this](const JobEvent& event) {
        if (event.text == "Commit point reached. 1000 rows imported..")
            stop.clear();
    };
    loadAgain(ExistingTable::Replace, clientsFrom(5000, 1500));
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(statusLines(),
              replacementLines({"Table CLIENTS left as it was; CLIENTS$NEW1 dropped."}));
    EXPECT_EQ(result.outcome, LoadJob::Outcome::Stopped);
    EXPECT_EQ(database.tableNames("SCOTT"), std::vector<std::string>{"CLIENTS"});
    EXPECT_EQ(names(loadedTable()), theOldNames());

    // A failure before the new table was made leaves nothing to drop.
    onEvent = nullptr;
    failWith("create#1=1536");
    loadAgain(ExistingTable::Replace, clientsFrom(5000, 3));
    EXPECT_EQ(statusLines().at(statusLines().size() - 2), "Table CLIENTS left as it was.");
    EXPECT_EQ(names(loadedTable()), theOldNames());

    // A session found gone is never used again: its temporary table stays, and the line says
    // why.
    failWith("insert#2@10=3113");
    loadAgain(ExistingTable::Replace, clientsFrom(5000, 1500));
    const std::string lost = "Error during insert (at end).\n"
                             "ORA-03113: end-of-file on communication channel\n";
    EXPECT_EQ(messages(), std::vector<std::string>{lost});
    EXPECT_EQ(statusLines(), replacementLines({"Table CLIENTS left as it was; cannot drop "
                                               "CLIENTS$NEW1.\nORA-03113: end-of-file on "
                                               "communication channel\n",
                                               lost}));
    EXPECT_EQ(database.tableNames("SCOTT"), (std::vector<std::string>{"CLIENTS", "CLIENTS$NEW1"}));
    EXPECT_EQ(names(loadedTable()), theOldNames());
}

TEST_F(ExistingTableTest, ADropOrRenameThatFailsNeverLosesBothTables) {
    loadTheOldTable();
    // A table that other tables' keys point at cannot be dropped: the new rows go.
    failWith("drop#1=2449");
    loadAgain(ExistingTable::Replace, clientsFrom(5000, 3));
    const std::string dropFailure = "Cannot drop old table CLIENTS.\nORA-02449: Message 2449 not "
                                    "found;  product=RDBMS; facility=ORA\n";
    EXPECT_EQ(messages(), std::vector<std::string>{dropFailure});
    const std::vector<std::string> lines = statusLines();
    EXPECT_EQ(std::vector<std::string>(lines.end() - 2, lines.end()),
              (std::vector<std::string>{"Table CLIENTS left as it was; CLIENTS$NEW1 dropped.",
                                        dropFailure}));
    EXPECT_EQ(database.tableNames("SCOTT"), std::vector<std::string>{"CLIENTS"});
    EXPECT_EQ(names(loadedTable()), theOldNames());

    // The old table goes aside before the new one takes its name: whichever rename fails,
    // the old table is put back under its name.
    const std::string busy = "ORA-00054: Message 54 not found;  product=RDBMS; facility=ORA\n";
    failWith("rename#1=54");
    loadAgain(ExistingTable::Replace, clientsFrom(5000, 3));
    EXPECT_EQ(messages(), std::vector<std::string>{"Cannot rename old table CLIENTS to "
                                                   "CLIENTS$OLD1.\n" +
                                                   busy});
    EXPECT_EQ(database.tableNames("SCOTT"), std::vector<std::string>{"CLIENTS"});
    EXPECT_EQ(names(loadedTable()), theOldNames());
    failWith("rename#2=54");
    loadAgain(ExistingTable::Replace, clientsFrom(5000, 3));
    EXPECT_EQ(messages(),
              std::vector<std::string>{"Cannot rename CLIENTS$NEW1 to CLIENTS.\n" + busy});
    EXPECT_EQ(statusLines().at(statusLines().size() - 2),
              "Table CLIENTS left as it was; CLIENTS$NEW1 dropped.");
    EXPECT_EQ(database.tableNames("SCOTT"), std::vector<std::string>{"CLIENTS"});
    EXPECT_EQ(names(loadedTable()), theOldNames());

    // When the way back fails too, neither table is dropped, and the message says where each
    // one is.
    failWith("rename#2=54;rename#3=1652");
    loadAgain(ExistingTable::Replace, clientsFrom(5000, 3));
    EXPECT_EQ(messages(),
              std::vector<std::string>{
                  "Cannot replace table CLIENTS, nor put it back: the old table is CLIENTS$OLD1 "
                  "and the new rows are in CLIENTS$NEW1.\n" +
                  busy + "ORA-01652: Message 1652 not found;  product=RDBMS; facility=ORA\n"});
    EXPECT_EQ(statusLines().at(statusLines().size() - 2),
              "Importing file into table CLIENTS$NEW1..");
    EXPECT_EQ(database.tableNames("SCOTT"),
              (std::vector<std::string>{"CLIENTS$NEW1", "CLIENTS$OLD1"}));
    EXPECT_EQ(names(loadedTable("CLIENTS$NEW1")), clientNames(5000, 3));
    EXPECT_EQ(names(loadedTable("CLIENTS$OLD1")), theOldNames());
}

TEST_F(ExistingTableTest, ATemporaryNameIsCutWhereACharacterEnds) {
    database.setCharacterSet("AL32UTF8");
    // 30 bytes: X, six Cyrillic letters, _, eight more; "$NEW1" leaves room for 25 bytes,
    // which would end inside the seventh letter after the "_".
    request.tableName = "X\xD0\x97\xD0\x90\xD0\x9A\xD0\x90\xD0\x97\xD0\xAB_"
                        "\xD0\x9A\xD0\x9B\xD0\x98\xD0\x95\xD0\x9D\xD0\xA2\xD0\x9E\xD0\x92";
    loadTheOldTable();
    loadAgain(ExistingTable::Replace, clientsFrom(7, 2));
    EXPECT_TRUE(messages().empty()) << messages().front();
    EXPECT_EQ(statusLines().at(3),
              "Table " + request.tableName +
                  " exists; loading into "
                  "X\xD0\x97\xD0\x90\xD0\x9A\xD0\x90\xD0\x97\xD0\xAB_\xD0\x9A\xD0\x9B\xD0\x98"
                  "\xD0\x95\xD0\x9D$NEW1 to replace it.");
    EXPECT_EQ(names(loadedTable(request.tableName)), clientNames(7, 2));
}

TEST_F(ExistingTableTest, AViewOrASynonymIsRefusedBeforeAnyRowIsLoaded) {
    // USER_TAB_COLUMNS lists a view's columns as a table's: nothing else tells them apart.
    database.addView("SCOTT", "CLIENTS", {{"NAME", 10}});
    loadAgain(ExistingTable::Append, clientsFrom(0, 3));
    EXPECT_EQ(messages(),
              std::vector<std::string>{"Cannot append to CLIENTS: it is a view, not a table."});
    EXPECT_EQ(statusLines(),
              (std::vector<std::string>{"Start loading..", "Connecting to Oracle..", "Connected.",
                                        "Cannot append to CLIENTS: it is a view, not a table."}));
    loadAgain(ExistingTable::Replace, clientsFrom(0, 3));
    EXPECT_EQ(messages(),
              std::vector<std::string>{"Cannot replace CLIENTS: it is a view, not a table."});
    database.addObject("SCOTT", "ORDERS", "SYNONYM");
    request.tableName = "ORDERS";
    loadAgain(ExistingTable::Replace, clientsFrom(0, 3));
    EXPECT_EQ(messages(),
              std::vector<std::string>{"Cannot replace ORDERS: it is a synonym, not a table."});
    EXPECT_FALSE(result.tableExisted);
    EXPECT_TRUE(database.tableNames("SCOTT").empty());
}

TEST_F(ExistingTableTest, AnAppendNeedsTheFilesColumnsAndInsertsNothingOtherwise) {
    loadTheOldTable();
    loadAgain(ExistingTable::Append, clientsFrom(5, 1500));
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(statusLines(), (std::vector<std::string>{
                                 "Start loading..", "Connecting to Oracle..", "Connected.",
                                 "Table CLIENTS exists; appending to it.", "Open file for read..",
                                 "1500 rows in file.", "Importing file into table CLIENTS..",
                                 "Commit point reached. 1000 rows imported..",
                                 "Loading completed. 1500 records processed."}));
    EXPECT_EQ(names(loadedTable()), clientNames(0, 1505));
    EXPECT_EQ(result.rowsLoaded, 1500);
    EXPECT_TRUE(result.tableExisted);

    // Wider columns take the file's values; a narrower one is named, and nothing is inserted.
    auto places = [](int nameWidth, int cityWidth, const char* name) {
        DbfWriter table;
        table.addField("NAME", 'C', nameWidth);
        table.addField("city", 'C', cityWidth);
        table.addRecord({name, "Rome"});
        return table;
    };
    request.tableName = "PLACES";
    loadAgain(ExistingTable::Append, places(10, 5, "first"));
    EXPECT_FALSE(result.tableExisted);
    loadAgain(ExistingTable::Append, places(8, 3, "second"));
    EXPECT_EQ(result.outcome, LoadJob::Outcome::Completed);
    loadAgain(ExistingTable::Append, places(10, 20, "third"));
    const std::string differs = "Cannot append to table PLACES: its column 2 is CITY "
                                "VARCHAR2(5 CHAR), the file's is CITY VARCHAR2(20 CHAR).";
    EXPECT_EQ(messages(), std::vector<std::string>{differs});
    EXPECT_EQ(statusLines(),
              (std::vector<std::string>{"Start loading..", "Connecting to Oracle..", "Connected.",
                                        "Table PLACES exists; appending to it.",
                                        "Open file for read..", "1 rows in file.", differs}));
    EXPECT_EQ(result.rowsLoaded, 0);
    // Values keep their blanks, as every load stores them.
    EXPECT_EQ(names(loadedTable("PLACES")), (std::vector<std::string>{"first     ", "second  "}));

    // A failed append keeps the batches it committed, as a new table does.
    failWith("insert#2@10=1653");
    request.tableName = "CLIENTS";
    loadAgain(ExistingTable::Append, clientsFrom(1505, 1500));
    EXPECT_EQ(result.outcome, LoadJob::Outcome::Failed);
    EXPECT_EQ(result.rowsLoaded, 1000);
    EXPECT_EQ(names(loadedTable()), clientNames(0, 2505));
}

TEST(ColumnDifference, NamesTheFirstColumnThatCannotTakeTheFilesValues) {
    auto column = [](const char* name, int width) { return Column{name, width, DbfFieldValue()}; };
    const std::vector<Column> file = {column("name", 10), column("CITY", 5)};
    const TableColumn name{"NAME", "VARCHAR2", 10, "C"};
    const TableColumn city{"CITY", "VARCHAR2", 5, "C"};
    EXPECT_EQ(columnDifference({name, city}, file), "");
    EXPECT_EQ(columnDifference({{"NAME", "VARCHAR2", 4000, "C"}, city}, file), "");
    EXPECT_EQ(columnDifference({name}, file),
              "it has no column 2, the file's is CITY VARCHAR2(5 CHAR)");
    EXPECT_EQ(columnDifference({name, city, {"ZIP", "NUMBER", 0, ""}}, file),
              "its column 3 ZIP NUMBER is not in the file");
    EXPECT_EQ(columnDifference({city, name}, file),
              "its column 1 is CITY VARCHAR2(5 CHAR), the file's is NAME VARCHAR2(10 CHAR)");
    EXPECT_EQ(columnDifference({{"NAME", "VARCHAR2", 10, "B"}, city}, file),
              "its column 1 is NAME VARCHAR2(10 BYTE), the file's is NAME VARCHAR2(10 CHAR)");
    EXPECT_EQ(columnDifference({{"NAME", "CHAR", 10, "C"}, city}, file),
              "its column 1 is NAME CHAR(10 CHAR), the file's is NAME VARCHAR2(10 CHAR)");
    EXPECT_EQ(columnDifference({name, {"CITY", "DATE", 0, ""}}, file),
              "its column 2 is CITY DATE, the file's is CITY VARCHAR2(5 CHAR)");
}

TEST_F(ExistingTableTest, ACallBrokenAfterAStopEndsTheLoadAsAStop) {
    loadTheOldTable();
    // The commit of the only batch stalls; the user stops, then breaks the call.
    failWith("commit#1=block");
    writeTable(clientsFrom(5000, 500));
    request.options.existingTable = ExistingTable::Replace;
    std::thread worker([this] { runLoad(false); });
    const bool blocked = database.waitUntilACallIsBlocked();
    stop.clear();
    DBConnect::breakCallsInProgress();
    worker.join();
    ASSERT_TRUE(blocked);
    EXPECT_EQ(standin_test::StandinDatabase::liveHandleCount(), 0);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(result.outcome, LoadJob::Outcome::Stopped);
    EXPECT_EQ(statusLines().back(), "Table CLIENTS left as it was; CLIENTS$NEW1 dropped.");
    EXPECT_EQ(database.tableNames("SCOTT"), std::vector<std::string>{"CLIENTS"});
    EXPECT_EQ(names(loadedTable()), theOldNames());
}
