// Every way a load can fail: the text shown in the box and left as the last log line, and
// what the database keeps.
#include "load/LoadJobHarness.h"

#include <stdexcept>
#include <string>

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
        LoadParams::userName = failure.user;
        LoadParams::password = failure.password;
        LoadParams::database = failure.database;
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

TEST_F(LoadJobTest, TheTableCheckStopsOnlyAtExactlyOneObject) {
    writeTable(wideClientTable(3));
    database.addTable("SCOTT", "CLIENTS", {{"OLD", 5}});
    runLoad();
    expectFailureEnding(messages(), statusLines(), lastEvent(),
                        "Object with this name already exists. Enter other table name.");
    EXPECT_EQ(statusLines().size(), 4u); // nothing after "Connected." but the failure
    EXPECT_EQ(loadedTable().columnNames, std::vector<std::string>{"OLD"});

    // Typed in lower case, the name matches no stored name; Oracle's CREATE TABLE refuses.
    LoadParams::tableName = "clients";
    runLoad();
    expectFailureEnding(messages(), statusLines(), lastEvent(),
                        "Error while create table. \n"
                        "ORA-00955: name is already used by an existing object\n");

    // Two objects of one name (an index and a trigger) do not stop the load.
    database.addObject("SCOTT", "ORDERS", "INDEX");
    database.addObject("SCOTT", "ORDERS", "TRIGGER");
    LoadParams::tableName = "ORDERS";
    runLoad();
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(loadedTable("ORDERS").rows.size(), 3u);

    // One index alone counts 1 and stops it.
    database.addObject("SCOTT", "ITEMS", "INDEX");
    LoadParams::tableName = "ITEMS";
    runLoad();
    EXPECT_EQ(messages(), std::vector<std::string>{
                              "Object with this name already exists. Enter other table name."});

    failWith("select#1=942");
    LoadParams::tableName = "FRESH";
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
    expectFailureEnding(messages(), statusLines(), lastEvent(),
                        "Error while create table. \nORA-00904: : invalid identifier\n"
                        "Can not use reserved word as name of column.");
    EXPECT_TRUE(database.tableNames("SCOTT").empty());

    // Newer servers give 3050 for the same mistake.
    failWith("create#1=3050");
    runLoad();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].rfind("Error while create table. \nORA-03050: ", 0), 0u);
    EXPECT_EQ(messages()[0].substr(messages()[0].size() - 44),
              "Can not use reserved word as name of column.");
    failWith("");

    // DATE becomes THEDATE and collides with a field of that name: no hint.
    DbfWriter twice;
    twice.addField("DATE", 'D', 8).addField("THEDATE", 'D', 8);
    writeTable(twice);
    runLoad();
    expectFailureEnding(messages(), statusLines(), lastEvent(),
                        "Error while create table. \nORA-00957: duplicate column name\n");

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

TEST_F(LoadJobTest, BatchFailuresLeaveExactlyTheCommittedBatches) {
    struct Case {
        int records;
        std::string rules, text;
    };
    const std::string lost = "ORA-03113: end-of-file on communication channel\n";
    const Case cases[] = {
        {2500, "insert#2@10=3113", "Error during insert rows. \n" + lost},
        {2500, "commit#2=3113", "Error during commit(in loop).\n" + lost},
        {1500, "insert#2@10=3113", "Error during insert (at end).\n" + lost},
        {1500, "commit#2=3113", "Error during commit (at end).\n" + lost},
    };
    int run = 0;
    for (const Case& failure : cases) {
        SCOPED_TRACE(failure.rules + " " + std::to_string(failure.records));
        writeTable(wideClientTable(failure.records));
        LoadParams::tableName = "BATCH" + std::to_string(run++);
        failWith(failure.rules);
        runLoad();
        expectFailureEnding(messages(), statusLines(), lastEvent(), failure.text);
        auto lines = statusLines();
        EXPECT_EQ(lines[lines.size() - 2], "Commit point reached. 1000 rows imported..");
        auto stored = loadedTable(LoadParams::tableName);
        ASSERT_EQ(stored.rows.size(), 1000u);
        EXPECT_EQ(stored.rows.back()[0], clientName(999));
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
