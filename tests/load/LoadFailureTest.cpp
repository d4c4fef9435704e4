// Every way a load can fail: the text shown in the box and left as the last log line, and
// what the database keeps.
#include "load/LoadJobHarness.h"

#include <filesystem>
#include <iterator>
#include <stdexcept>
#include <string>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace {

// The failure ending: shown once in the box, then the last log line, sent with the flag
// already cleared.
void expectFailureEnding(const std::vector<std::string>& messages,
                         const std::vector<std::string>& statusLines, const JobEvent& last,
                         const std::string& text) {
    ASSERT_EQ(messages, std::vector<std::string>{text});
    EXPECT_EQ(statusLines.back(), text);
    EXPECT_EQ(last.kind, JobEvent::Kind::Status);
    EXPECT_EQ(last.loadActive, 0);
}

} // namespace

TEST_F(LoadJobTest, ConnectionFailuresShowOraclesTextAlone) {
    writeTable(wideClientTable(3));
    struct Case {
        std::string user, password, database, library, text;
    };
    const Case cases[] = {
        {"SCOTT", "TIGER", "ORCL", "", "ORA-01017: invalid username/password; logon denied\n"},
        {"NOBODY", "tiger", "ORCL", "", "ORA-01017: invalid username/password; logon denied\n"},
        {"SCOTT", "tiger", "NOWHERE", "",
         "ORA-12154: TNS:could not resolve the connect identifier specified\n"},
#if defined(_WIN32)
        {"SCOTT", "tiger", "ORCL", "no-such-client-library", "Can't load oci.dll"},
#else
        {"SCOTT", "tiger", "ORCL", "no-such-client-library",
         "Can't load the Oracle client library: no library of these names was found\n"
         "Names tried: no-such-client-library"},
#endif
    };
    for (const Case& failure : cases) {
        SCOPED_TRACE(failure.text);
        request.userName = failure.user;
        request.password = failure.password;
        request.database = failure.database;
        if (!failure.library.empty())
            standin_test::StandinDatabase::setEnvironmentVariable("MARLIN_OCI_LIBRARY",
                                                                  failure.library);
        runLoad();
        expectFailureEnding(messages(), statusLines(), lastEvent(), failure.text);
        EXPECT_EQ(statusLines(), (std::vector<std::string>{
                                     "Start loading..", "Connecting to Oracle..", failure.text}));
    }
    EXPECT_TRUE(database.tableNames("SCOTT").empty());
}

TEST_F(LoadJobTest, AConnectionThatNoLaterLoadCouldMakeIsToldToTheCaller) {
    writeTable(wideClientTable(1));
    // Oracle's logon refusals: every one counts towards the account's lock.
    for (int code : {1004, 1005, 1017, 1035, 1045, 28000, 28001, 28009, 28030, 28040, 28273}) {
        SCOPED_TRACE(code);
        failWith("logon=" + std::to_string(code));
        runLoad();
        EXPECT_EQ(result.refusal, LoadJob::Refusal::Logon);
        EXPECT_EQ(result.refusalText, messages().at(0));
    }
    // Other failures are the table's or the moment's own.
    for (const char* rules :
         {"logon=1031", "attach=12154", "attach=12541", "logon=28002;create#1=955"}) {
        SCOPED_TRACE(rules);
        failWith(rules);
        runLoad();
        EXPECT_EQ(result.refusal, LoadJob::Refusal::None);
        EXPECT_EQ(result.refusalText, "");
    }
    failWith("");
    standin_test::StandinDatabase::setEnvironmentVariable("MARLIN_OCI_LIBRARY",
                                                          "no-such-client-library");
    runLoad();
    database.useEnvironment();
    EXPECT_EQ(result.refusal, LoadJob::Refusal::Client);
    EXPECT_EQ(result.refusalText, messages().at(0));
}

TEST_F(LoadJobTest, TheTableCheckStopsOnlyAtExactlyOneObject) {
    writeTable(wideClientTable(3));
    database.addTable("SCOTT", "CLIENTS", {{"OLD", 5}});
    runLoad();
    expectFailureEnding(messages(), statusLines(), lastEvent(),
                        "Object with this name already exists. Enter other table name.");
    EXPECT_EQ(statusLines().size(), 4u); // nothing after "Connected." but the failure
    EXPECT_EQ(loadedTable().columnNames, std::vector<std::string>{"OLD"});

    // Typed in lower case, the name matches no stored name; Oracle's CREATE TABLE refuses.
    request.tableName = "clients";
    runLoad();
    expectFailureEnding(messages(), statusLines(), lastEvent(),
                        "Error while create table. \n"
                        "ORA-00955: name is already used by an existing object\n");

    // Two objects of one name (an index and a trigger) do not stop the load.
    database.addObject("SCOTT", "ORDERS", "INDEX");
    database.addObject("SCOTT", "ORDERS", "TRIGGER");
    request.tableName = "ORDERS";
    runLoad();
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(loadedTable("ORDERS").rows.size(), 3u);

    // One index alone counts 1 and stops it.
    database.addObject("SCOTT", "ITEMS", "INDEX");
    request.tableName = "ITEMS";
    runLoad();
    EXPECT_EQ(messages(), std::vector<std::string>{
                              "Object with this name already exists. Enter other table name."});

    failWith("select#1=942");
    request.tableName = "FRESH";
    runLoad();
    expectFailureEnding(messages(), statusLines(), lastEvent(),
                        "ORA-00942: table or view does not exist\n");
}

TEST_F(LoadJobTest, CreateTableFailuresCarryOraclesTextAndTheReservedWordHint) {
    DbfWriter reserved;
    reserved.addField("NAME", 'C', 5).addField("ORDER", 'C', 5);
    reserved.addRecord({"a", "b"});
    writeTable(reserved);
    runLoad();
    // The command line's option that renames such columns is named to users of both.
    const std::string fixNames =
        "\nmarlin-load --fix-names loads such a table, with every name made one Oracle takes.";
    expectFailureEnding(messages(), statusLines(), lastEvent(),
                        "Error while create table. \nORA-00904: : invalid identifier\n"
                        "Can not use reserved word as name of column." +
                            fixNames);
    EXPECT_TRUE(database.tableNames("SCOTT").empty());

    // Newer servers give 3050 for the same mistake.
    failWith("create#1=3050");
    runLoad();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].rfind("Error while create table. \nORA-03050: ", 0), 0u);
    EXPECT_NE(messages()[0].find("Can not use reserved word as name of column." + fixNames),
              std::string::npos);
    // A refusal that renaming would not cure gets no hint.
    DbfWriter plain;
    plain.addField("NAME", 'C', 5).addRecord({"a"});
    writeTable(plain);
    runLoad();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].find("--fix-names"), std::string::npos) << messages()[0];
    failWith("");

    // DATE becomes THEDATE and collides with a field of that name: no reserved-word hint.
    DbfWriter twice;
    twice.addField("DATE", 'D', 8).addField("THEDATE", 'D', 8);
    writeTable(twice);
    runLoad();
    expectFailureEnding(messages(), statusLines(), lastEvent(),
                        "Error while create table. \nORA-00957: duplicate column name" + fixNames);

    DbfWriter renamed;
    renamed.addField("DATE", 'D', 8).addField("COST", 'N', 6).addField("FACTOR", 'N', 4);
    renamed.addField("DAT", 'C', 1).addField("COSTS", 'C', 1);
    renamed.addRecord({"20240101", "1", "2", "x", "y"});
    writeTable(renamed);
    runLoad();
    ASSERT_TRUE(messages().empty()) << messages()[0];
    EXPECT_EQ(loadedTable().columnNames,
              (std::vector<std::string>{"THEDATE", "THECOST", "AFACTOR", "DAT", "COSTS"}));
}

TEST_F(LoadJobTest, BatchFailuresKeepTheCommittedBatchesAndNameABatchInDoubt) {
    struct Case {
        int records;
        std::string rules, text;
        std::size_t rowsInDoubt; // of a commit whose outcome the server did not report
    };
    const std::string lost = "ORA-03113: end-of-file on communication channel\n";
    const std::string inDoubt = "The last batch of 500 rows may or may not have been committed.";
    const std::string notCommitted = "The last batch of 500 rows was not committed.";
    const std::string atEnd = "Error during commit (at end).\n";
    const Case cases[] = {
        {2500, "insert#2@10=3113", "Error during insert rows. \n" + lost, 0},
        {2500, "commit#2=3113",
         "Error during commit(in loop).\n" + lost +
             "The last batch of 1000 rows may or may not have been committed.",
         1000},
        {1500, "insert#2@10=3113", "Error during insert (at end).\n" + lost, 0},
        {1500, "commit#2=3113", atEnd + lost + inDoubt, 500},
        // A server that committed, then lost the link before its reply.
        {1500, "commit#2=3113 after", atEnd + lost + inDoubt, 500},
        {1500, "commit#2=3135", atEnd + "ORA-03135: connection lost contact\n" + inDoubt, 500},
        {1500, "commit#2=28", atEnd + "ORA-00028: your session has been killed\n" + inDoubt, 500},
        {1500, "commit#2=1092",
         atEnd + "ORA-01092: ORACLE instance terminated. Disconnection forced\n" + inDoubt, 500},
        {1500, "commit#2=12547", atEnd + "ORA-12547: TNS:lost contact\n" + inDoubt, 500},
        // An error of no dead session's, after which the client says its server is gone.
        {1500, "commit#2=25408 gone",
         atEnd + "ORA-25408: Message 25408 not found;  product=RDBMS; facility=ORA\n" + inDoubt,
         500},
        // A commit that found no session: the server never saw it.
        {1500, "commit#2=1012", atEnd + "ORA-01012: not logged on\n" + notCommitted, 0},
        {1500, "commit#2=2396",
         atEnd + "ORA-02396: exceeded maximum idle time, please connect again\n" + notCommitted, 0},
        // A commit the server refused has a known outcome: the batch is not in the table.
        {1500, "commit#2=2091",
         atEnd + "ORA-02091: Message 2091 not found;  product=RDBMS; facility=ORA\n", 0},
    };
    int run = 0;
    for (const Case& failure : cases) {
        SCOPED_TRACE(failure.rules + " " + std::to_string(failure.records));
        writeTable(wideClientTable(failure.records));
        request.tableName = "BATCH" + std::to_string(run++);
        failWith(failure.rules);
        standin_test::StandinDatabase::recordCalls(true);
        runLoad();
        const std::string calls = standin_test::StandinDatabase::callLog();
        standin_test::StandinDatabase::recordCalls(false);
        expectFailureEnding(messages(), statusLines(), lastEvent(), failure.text);
        auto lines = statusLines();
        EXPECT_EQ(lines[lines.size() - 2], "Commit point reached. 1000 rows imported..");
        // Oracle guarantees the committed batch and nothing of a batch not committed; a commit
        // that lost its connection leaves its whole batch in the table, or none of it.
        auto stored = loadedTable(request.tableName);
        ASSERT_TRUE(stored.rows.size() == 1000u ||
                    (failure.rowsInDoubt > 0 && stored.rows.size() == 1000u + failure.rowsInDoubt))
            << stored.rows.size();
        for (std::size_t row = 0; row < stored.rows.size(); ++row)
            ASSERT_EQ(stored.rows[row][0], clientName(static_cast<int>(row))) << row;
        // A session found gone is never used again: no rollback, no end of the session.
        const bool sessionGone = failure.rules.find("2091") == std::string::npos;
        const bool atCommit = failure.rules.rfind("commit", 0) == 0;
        const std::string afterFailure =
            calls.substr(calls.rfind(atCommit ? "OCITransCommit" : "OCIStmtExecute"));
        EXPECT_EQ(afterFailure.find("OCITransRollback") == std::string::npos, sessionGone)
            << afterFailure;
        EXPECT_EQ(afterFailure.find("OCISessionEnd") == std::string::npos, sessionGone)
            << afterFailure;
    }
}

TEST_F(LoadJobTest, UnreadableFilesEndAfterTheirOpen) {
    runLoad(); // no file at all: the header check passes, the open fails
    expectFailureEnding(
        messages(), statusLines(), lastEvent(),
        "Cannot open file. Check that file exists and not used by any applications.");
    EXPECT_EQ(statusLines()[statusLines().size() - 2], "Open file for read..");

    DbfWriter noFields;
    noFields.addRecord({});
    writeTable(noFields);
    runLoad();
    expectFailureEnding(messages(), statusLines(), lastEvent(),
                        "Cannot load a file without fields.");
    EXPECT_EQ(statusLines()[statusLines().size() - 2], "1 rows in file.");
    EXPECT_TRUE(database.tableNames("SCOTT").empty());

    // Visual FoxPro's null flags alone are no field a table could hold.
    DbfWriter onlyFlags;
    onlyFlags.addField("_NullFlags", '0', 1, 0, 0x05).setContainerArea("");
    onlyFlags.addRecord({std::string(1, '\0')});
    writeTable(onlyFlags);
    runLoad();
    expectFailureEnding(messages(), statusLines(), lastEvent(),
                        "Cannot load a file without fields.");
    EXPECT_TRUE(database.tableNames("SCOTT").empty());
}

TEST_F(LoadJobTest, AnOpenFailureSaysWhyTheFileCannotBeRead) {
    // The dialog's order of stages: connected first, then the open names the cause.
    const auto expectOpenFailure = [this](const std::string& text) {
        expectFailureEnding(messages(), statusLines(), lastEvent(), text);
        EXPECT_EQ(statusLines(),
                  (std::vector<std::string>{"Start loading..", "Connecting to Oracle..",
                                            "Connected.", "Open file for read..", text}));
    };
    ASSERT_TRUE(writeFileBytes(dbfPath, ByteImage(20, 0x03)));
    runLoad();
    expectOpenFailure("Cannot read file: it is too short to hold the header of a table.");
    ASSERT_TRUE(writeFileBytes(dbfPath, ByteImage()));
    runLoad();
    expectOpenFailure("Cannot read file: it is too short to hold the header of a table.");
    std::filesystem::remove(dbfPath);
    std::filesystem::create_directory(dbfPath);
    runLoad();
    expectOpenFailure("Cannot open file: it is a folder.");
#if !defined(_WIN32)
    std::filesystem::remove(dbfPath);
    std::filesystem::create_symlink(folder.path("loop.dbf"), dbfPath);
    std::filesystem::create_symlink(dbfPath, folder.path("loop.dbf"));
    runLoad();
    expectOpenFailure("Cannot open file: its name leads through a loop of symbolic links.");
    // A FIFO is never opened: its open would wait for a writer that never comes.
    std::filesystem::remove(dbfPath);
    ASSERT_EQ(::mkfifo(dbfPath.c_str(), 0600), 0);
    runLoad();
    expectOpenFailure("Cannot open file: it is a FIFO, not a regular file.");
#endif
    EXPECT_TRUE(database.tableNames("SCOTT").empty());
}

TEST_F(LoadJobTest, FieldNamesThatWouldChangeTheStatementNeverReachOracle) {
    // Each name holds what no unquoted name holds: it would add a column, end a string, open
    // a list, end the statement, or break the line.
    // Code page 1252 reads 0x81 as the control character U+0081, shown by its number.
    const char* const names[] = {"X NUMBER,Y", "A'B", "(D", "E;F", "K\x81L", "G\x01H"};
    const char* const shown[] = {"\"X NUMBER,Y\"", "\"A'B\"",       "\"(D\"",
                                 "\"E;F\"",        "\"K\\u0081L\"", "\"G\\x01H\""};
    for (std::size_t index = 0; index < std::size(names); ++index) {
        SCOPED_TRACE(names[index]);
        DbfWriter table;
        table.setLanguageDriver(0x03); // Windows ANSI, code page 1252
        table.addField("NAME", 'C', 5).addField(names[index], 'C', 5);
        table.addRecord({"a", "b"});
        writeTable(table);
        runLoad();
        expectFailureEnding(messages(), statusLines(), lastEvent(),
                            "Field " + std::string(shown[index]) +
                                " cannot name a column: an unquoted name holds only letters, "
                                "digits, _, $ and #.\nmarlin-load --fix-names loads such a "
                                "table, with every name made one Oracle takes.");
        EXPECT_EQ(statusLines()[statusLines().size() - 2], "1 rows in file.");
        EXPECT_TRUE(database.tableNames("SCOTT").empty());
    }

    // --fix-names makes them names Oracle takes.
    request.options.fixNames = true;
    runLoad();
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(loadedTable().columnNames, (std::vector<std::string>{"NAME", "G_H"}));
    request.options.fixNames = false;

    // National letters are letters: the database's character set decides.
    DbfWriter national;
    national
        .addField("STRA\xE1"
                  "E",
                  'C', 5)
        .setLanguageDriver(0x02);
    national.addRecord({"a"});
    writeTable(national);
    request.tableName = "STREETS";
    runLoad();
    EXPECT_TRUE(messages().empty()) << messages().front();
    EXPECT_EQ(loadedTable("STREETS").columnNames.size(), 1u);
}

TEST_F(LoadJobTest, AnExceptionEndsTheLoadLikeAnyFailure) {
    writeTable(wideClientTable(2500));
    onEvent = [](const JobEvent& event) {
        if (event.kind == JobEvent::Kind::Progress && event.percent == 50)
            throw std::runtime_error("no more room");
    };
    runLoad();
    expectFailureEnding(messages(), statusLines(), lastEvent(), "Unexpected error: no more room");
    EXPECT_EQ(loadedTable().rows.size(), 1000u);
}

TEST_F(LoadJobTest, AStatementOracleRefusesToPrepareEndsTheLoadWithOraclesText) {
    // The third statement is the INSERT.
    writeTable(wideClientTable(10));
    failWith("prepare#3=1012");
    runLoad();
    expectFailureEnding(messages(), statusLines(), lastEvent(), "ORA-01012: not logged on\n");
    EXPECT_EQ(statusLines()[statusLines().size() - 2], "Importing file into table CLIENTS..");
    EXPECT_TRUE(loadedTable().rows.empty());
}
