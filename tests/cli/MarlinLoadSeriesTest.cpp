// marlin-load for whole systems: a folder of tables in one run with a summary, a nightly
// reload with --replace that never leaves the table missing, and --append.
#include "cli/ChildProcess.h"
#include "cli/FolderLoadTest.h"
#include "cli/PseudoTerminal.h"
#include "support/ClientTable.h"
#include "support/StandinDatabase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <signal.h>
#include <sys/stat.h>
#endif

using standin_test::StandinDatabase;

namespace {

const std::string kProgram = MARLIN_LOAD_PROGRAM;

// The reader's words for a client table cut after 40 bytes.
const std::string kCutShort = "Cannot read file: its header claims 225 bytes, more than the "
                              "file holds.";

// The status lines of a table of `rows` small rows loaded without a word of trouble.
std::vector<std::string> plainLoad(const std::string& table, int rows) {
    const std::string prefix = table + ": ";
    return {prefix + "Start loading..",
            prefix + "Connecting to Oracle..",
            prefix + "Connected.",
            prefix + "Open file for read..",
            prefix + std::to_string(rows) + " rows in file.",
            prefix + "Importing file into table " + table + "..",
            prefix + "Loading completed. " + std::to_string(rows) + " records processed."};
}

void append(std::vector<std::string>& to, const std::vector<std::string>& more) {
    to.insert(to.end(), more.begin(), more.end());
}

class MarlinLoadSeriesTest : public FolderLoadTest {};

} // namespace

TEST_F(MarlinLoadSeriesTest, AFolderLoadsTableByTableWithASummaryAndGoesOnAfterAFailure) {
    // Five tables in any case of the extension; a damaged one, one whose name is in use; and
    // what is no DBF file is left alone.
    writeClients(inFolder("e.DBF"), 40, 1);
    writeClients(inFolder("a.dbf"), 0, 3);
    writeClients(inFolder("B.DBF"), 10, 2);
    writeClients(inFolder("D.dbf"), 30, 2);
    ByteImage damaged = wideClientTable(2).image();
    damaged.resize(40);
    ASSERT_TRUE(writeFileBytes(inFolder("c.DBF"), damaged));
    ASSERT_TRUE(writeFileBytes(inFolder("notes.txt"), ByteImage(3, 'x')));
    std::filesystem::create_directory(inFolder("old.dbf"));
    database.addTable("SCOTT", "D_DBF", {{"OLD", 5}});

    ChildProcess load(kProgram, {folder, "-u", "scott/Tiger@orcl"});
    EXPECT_EQ(load.wait(), 1);
    std::vector<std::string> expected = plainLoad("A_DBF", 3);
    append(expected, plainLoad("B_DBF", 2));
    append(expected,
           // A file that cannot be read fails before the logon.
           {"C_DBF: Start loading..", "C_DBF: " + kCutShort, "D_DBF: Start loading..",
            "D_DBF: Connecting to Oracle..", "D_DBF: Connected.",
            "D_DBF: Object with this name already exists. Enter other table name. --replace "
            "replaces it, --append adds the rows to it, --table loads them into another table."});
    append(expected, plainLoad("E_DBF", 1));
    append(expected, {"Summary:", "  " + inFolder("a.dbf") + "  A_DBF  3 rows  loaded",
                      "  " + inFolder("B.DBF") + "  B_DBF  2 rows  loaded",
                      "  " + inFolder("c.DBF") + "  C_DBF  0 rows  failed",
                      "  " + inFolder("D.dbf") + "  D_DBF  0 rows  failed",
                      "  " + inFolder("e.DBF") + "  E_DBF  1 rows  loaded",
                      "Total: 5 tables, 3 loaded, 2 failed; 6 rows."});
    EXPECT_EQ(linesOf(load.output()), expected);
    EXPECT_EQ(load.errors(), "C_DBF: " + kCutShort +
                                 "\n"
                                 "D_DBF: Object with this name already exists. Enter other table "
                                 "name.\n--replace replaces it, --append adds the rows to it, "
                                 "--table loads them into another table.\n");
    EXPECT_EQ(loadedNames("A_DBF"), clientNames(0, 3));
    EXPECT_EQ(loadedNames("B_DBF"), clientNames(10, 2));
    EXPECT_EQ(loadedNames("E_DBF"), clientNames(40, 1));
    EXPECT_EQ(database.readTable("SCOTT", "D_DBF").columnNames, std::vector<std::string>{"OLD"});
    EXPECT_EQ(database.tableNames("SCOTT"),
              (std::vector<std::string>{"A_DBF", "B_DBF", "D_DBF", "E_DBF"}));

    // The nightly reload, stopping at the first failure: the tables before it are replaced,
    // those after it not touched.
    writeClients(inFolder("a.dbf"), 100, 2);
    ChildProcess reload(kProgram,
                        {"--replace", "--stop-on-error", "-u", "scott/Tiger@orcl", folder});
    EXPECT_EQ(reload.wait(), 1);
    const std::vector<std::string> output = linesOf(reload.output());
    ASSERT_GE(output.size(), 9u);
    EXPECT_EQ(output[3], "A_DBF: Table A_DBF exists; loading into A_DBF$NEW1 to replace it.");
    EXPECT_EQ(std::vector<std::string>(output.end() - 8, output.end()),
              (std::vector<std::string>{
                  "C_DBF: " + kCutShort,
                  "Summary:", "  " + inFolder("a.dbf") + "  A_DBF  2 rows  replaced",
                  "  " + inFolder("B.DBF") + "  B_DBF  2 rows  replaced",
                  "  " + inFolder("c.DBF") + "  C_DBF  0 rows  failed",
                  "  " + inFolder("D.dbf") + "  D_DBF  0 rows  not loaded",
                  "  " + inFolder("e.DBF") + "  E_DBF  0 rows  not loaded",
                  "Total: 5 tables, 2 loaded, 1 failed, 2 not loaded; 4 rows."}));
    EXPECT_EQ(loadedNames("A_DBF"), clientNames(100, 2));
    EXPECT_EQ(loadedNames("B_DBF"), clientNames(10, 2));
    EXPECT_EQ(loadedNames("E_DBF"), clientNames(40, 1));
    EXPECT_EQ(database.readTable("SCOTT", "D_DBF").columnNames, std::vector<std::string>{"OLD"});
    EXPECT_EQ(database.tableNames("SCOTT"),
              (std::vector<std::string>{"A_DBF", "B_DBF", "D_DBF", "E_DBF"}));
}

TEST_F(MarlinLoadSeriesTest, ANightlyReplaceNeverLeavesTheTableMissingOrHalfLoaded) {
    const std::string file = inFolder("clients.dbf");
    const std::vector<std::string> replace = {file, "-u",      "scott/Tiger@orcl",
                                              "-t", "clients", "--replace"};
    writeClients(file, 0, 5);
    ChildProcess first(kProgram, {file, "-u", "scott/Tiger@orcl", "-t", "clients"});
    ASSERT_EQ(first.wait(), 0);
    const std::vector<std::string> start = {
        "Start loading..",
        "Connecting to Oracle..",
        "Connected.",
        "Table CLIENTS exists; loading into CLIENTS$NEW1 to replace it.",
        "Open file for read..",
        "1500 rows in file.",
        "Importing file into table CLIENTS$NEW1..",
        "Commit point reached. 1000 rows imported..",
    };

    // A load that fails in its second batch leaves the old table as it was.
    writeClients(file, 1000, 1500);
    StandinDatabase::setFailRules("insert#2@10=1653");
    ChildProcess failing(kProgram, replace);
    StandinDatabase::setFailRules("");
    EXPECT_EQ(failing.wait(), 1);
    std::vector<std::string> expected = start;
    append(expected, {"Table CLIENTS left as it was; CLIENTS$NEW1 dropped.",
                      "Error during insert (at end). ORA-01653: Message 1653 not found;  "
                      "product=RDBMS; facility=ORA"});
    EXPECT_EQ(linesOf(failing.output()), expected);
    EXPECT_EQ(database.tableNames("SCOTT"), std::vector<std::string>{"CLIENTS"});
    EXPECT_EQ(loadedNames("CLIENTS"), clientNames(0, 5));

#if !defined(_WIN32)
    // So does a load stopped with SIGTERM.
    writeClients(file, 1000, 10000);
    ChildProcess stopped(kProgram, replace);
    ASSERT_TRUE(stopped.waitForOutput("Commit point reached. 1000 rows imported..\n"));
    stopped.sendSignal(SIGTERM);
    EXPECT_EQ(stopped.wait(), 130);
    const std::vector<std::string> stopLines = linesOf(stopped.output());
    EXPECT_NE(std::find(stopLines.begin(), stopLines.end(), "Loading stopped by user request."),
              stopLines.end());
    EXPECT_EQ(stopLines.back(), "Table CLIENTS left as it was; CLIENTS$NEW1 dropped.");
    EXPECT_EQ(database.tableNames("SCOTT"), std::vector<std::string>{"CLIENTS"});
    EXPECT_EQ(loadedNames("CLIENTS"), clientNames(0, 5));
#endif

    // A load that completes takes the old table's place under its name.
    writeClients(file, 1000, 1500);
    ChildProcess completing(kProgram, replace);
    EXPECT_EQ(completing.wait(), 0);
    expected = start;
    append(expected, {"Table CLIENTS replaced: old table dropped, CLIENTS$NEW1 renamed to CLIENTS.",
                      "Loading completed. 1500 records processed."});
    EXPECT_EQ(linesOf(completing.output()), expected);
    EXPECT_EQ(completing.errors(), "");
    EXPECT_EQ(database.tableNames("SCOTT"), std::vector<std::string>{"CLIENTS"});
    EXPECT_EQ(loadedNames("CLIENTS"), clientNames(1000, 1500));
}

TEST_F(MarlinLoadSeriesTest, AnAppendAddsRowsOnlyToATableOfTheFilesColumns) {
    const std::string file = inFolder("clients.dbf");
    const std::vector<std::string> appendTo = {file, "-u", "scott/Tiger@orcl", "--append"};
    writeClients(file, 0, 5);
    ChildProcess first(kProgram, appendTo);
    ASSERT_EQ(first.wait(), 0);

    writeClients(file, 5, 3);
    ChildProcess matching(kProgram, appendTo);
    EXPECT_EQ(matching.wait(), 0);
    EXPECT_EQ(linesOf(matching.output()),
              (std::vector<std::string>{"Start loading..", "Connecting to Oracle..", "Connected.",
                                        "Table CLIENTS_DBF exists; appending to it.",
                                        "Open file for read..", "3 rows in file.",
                                        "Importing file into table CLIENTS_DBF..",
                                        "Loading completed. 3 records processed."}));
    EXPECT_EQ(loadedNames("CLIENTS_DBF"), clientNames(0, 8));

    // Wider names than the table's column: nothing is inserted.
    DbfWriter wider;
    wider.addField("NAME", 'C', 20);
    for (int memo = 1; memo <= 5; ++memo)
        wider.addField("NOTE" + std::to_string(memo), 'M', 10);
    wider.addRecord({"a name of twenty"});
    ASSERT_TRUE(wider.writeTo(file));
    ChildProcess differing(kProgram, appendTo);
    EXPECT_EQ(differing.wait(), 1);
    EXPECT_EQ(differing.errors(), "Cannot append to table CLIENTS_DBF: its column 1 is NAME "
                                  "VARCHAR2(10 CHAR), the file's is NAME VARCHAR2(20 CHAR).\n");
    EXPECT_EQ(loadedNames("CLIENTS_DBF"), clientNames(0, 8));
}

TEST_F(MarlinLoadSeriesTest, ARefusedLogonEndsTheRunSoThatNoAccountIsLocked) {
    writeClients(inFolder("a.dbf"), 0, 1);
    writeClients(inFolder("b.dbf"), 0, 1);
    writeClients(inFolder("c.dbf"), 0, 1);
    const auto notTried = [this](const std::string& failure, const std::string& reason) {
        return std::vector<std::string>{
            "A_DBF: " + failure,
            "Summary:",
            "  " + inFolder("a.dbf") + "  A_DBF  0 rows  failed",
            "  " + inFolder("b.dbf") + "  B_DBF  0 rows  not loaded",
            "  " + inFolder("c.dbf") + "  C_DBF  0 rows  not loaded",
            "Total: 3 tables, 0 loaded, 1 failed, 2 not loaded; 0 rows.",
            "The other tables were not tried: " + reason + " (" + failure + ")."};
    };
    const std::string logonRefused =
        "Oracle refused the logon, and every try counts towards locking the account";
    // One logon is tried, not one a table.
    ChildProcess wrong(kProgram, {folder, "-u", "scott/Wrong@orcl"});
    EXPECT_EQ(wrong.wait(), 1);
    std::vector<std::string> lines = linesOf(wrong.output());
    ASSERT_EQ(lines.size(), 9u) << wrong.output();
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 2, lines.end()),
              notTried("ORA-01017: invalid username/password; logon denied", logonRefused));

    StandinDatabase::setFailRules("logon=28000");
    ChildProcess locked(kProgram, {folder, "-u", "scott/Tiger@orcl"});
    StandinDatabase::setFailRules("");
    EXPECT_EQ(locked.wait(), 1);
    lines = linesOf(locked.output());
    ASSERT_EQ(lines.size(), 9u) << locked.output();
    EXPECT_EQ(lines.back(), notTried("ORA-28000: the account is locked", logonRefused).back());

    // Without a client library no table could load either.
    StandinDatabase::setEnvironmentVariable("MARLIN_OCI_LIBRARY", "no-such-client-library");
    ChildProcess clientless(kProgram, {folder, "-u", "scott/Tiger@orcl"});
    database.useEnvironment();
    EXPECT_EQ(clientless.wait(), 1);
    lines = linesOf(clientless.output());
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2],
              "Total: 3 tables, 0 loaded, 1 failed, 2 not loaded; 0 rows.");
    EXPECT_EQ(lines.back().rfind("The other tables were not tried: the Oracle client library "
                                 "could not be loaded (",
                                 0),
              0u)
        << lines.back();
    EXPECT_TRUE(database.tableNames("SCOTT").empty());
}

TEST_F(MarlinLoadSeriesTest, TableNamesMadeFromFileNamesNeverPutSqlIntoAStatement) {
    writeClients(inFolder("fylk-val.dbf"), 0, 1);
    writeClients(inFolder("my table.dbf"), 10, 1);
    writeClients(inFolder("ok.dbf"), 20, 1);
    // Two long names that share their first 30 bytes, the most a table name takes.
    const std::string shared = "municipality_population_by_age";
    writeClients(inFolder(shared + "_east.dbf"), 30, 1);
    writeClients(inFolder(shared + "_west.dbf"), 40, 1);
    ChildProcess load(kProgram, {folder, "-u", "scott/Tiger@orcl"});
    EXPECT_EQ(load.wait(), 1);
    const std::string unquoted = ", made from the file's name, cannot name a table: an unquoted "
                                 "name holds only letters, digits, _, $ and #.\n--fix-names makes "
                                 "it one Oracle takes, or load the file alone with --table NAME.";
    const std::string table = "MUNICIPALITY_POPULATION_BY_AGE";
    const std::string bothFiles = table + ": Cannot load table " + table + ": files " +
                                  inFolder(shared + "_east.dbf") + " and " +
                                  inFolder(shared + "_west.dbf") +
                                  " would both load it. Load each alone with --table NAME.\n";
    EXPECT_EQ(load.errors(), "FYLK-VAL_DBF: Table name \"FYLK-VAL_DBF\"" + unquoted + "\n" +
                                 bothFiles + bothFiles +
                                 "MY TABLE_DBF: Table name \"MY TABLE_DBF\"" + unquoted + "\n");
    EXPECT_EQ(database.tableNames("SCOTT"), std::vector<std::string>{"OK_DBF"});
    EXPECT_EQ(linesOf(load.output()).back(), "Total: 5 tables, 1 loaded, 4 failed; 1 rows.");

    // --fix-names makes them names Oracle takes; the shared name stays refused.
    ChildProcess fixed(kProgram, {folder, "-u", "scott/Tiger@orcl", "--fix-names", "--replace"});
    EXPECT_EQ(fixed.wait(), 1);
    EXPECT_EQ(fixed.errors(), bothFiles + bothFiles);
    EXPECT_EQ(database.tableNames("SCOTT"),
              (std::vector<std::string>{"FYLK_VAL_DBF", "MY_TABLE_DBF", "OK_DBF"}));
    EXPECT_EQ(loadedNames("MY_TABLE_DBF"), clientNames(10, 1));
}

#if !defined(_WIN32)

TEST_F(MarlinLoadSeriesTest, AFifoIsSkippedInAFolderAndRefusedBeforeItIsOpened) {
    writeClients(inFolder("a.dbf"), 0, 2);
    ASSERT_EQ(::mkfifo(inFolder("b.dbf").c_str(), 0600), 0);
    ChildProcess load(kProgram, {folder, "-u", "scott/Tiger@orcl"});
    ASSERT_TRUE(load.endsWithin(60)) << "it waits for a writer of the FIFO";
    EXPECT_EQ(load.wait(), 0);
    EXPECT_EQ(load.errors(),
              "marlin-load: skipped " + inFolder("b.dbf") + ": it is a FIFO, not a regular file\n");
    EXPECT_EQ(loadedNames("A_DBF"), clientNames(0, 2));

    // Named on its own, it fails before the logon, at once.
    ChildProcess named(kProgram, {inFolder("b.dbf"), "-u", "scott/Tiger@orcl"});
    ASSERT_TRUE(named.endsWithin(20)) << "it waits for a writer of the FIFO";
    EXPECT_EQ(named.wait(), 1);
    EXPECT_EQ(named.output(), "Start loading..\nCannot open file: it is a FIFO, not a regular "
                              "file.\n");
    EXPECT_EQ(database.tableNames("SCOTT"), std::vector<std::string>{"A_DBF"});
}

TEST_F(MarlinLoadSeriesTest, ACtrlCStopsTheTableInProgressAndStartsNoOther) {
    writeClients(inFolder("a.dbf"), 0, 10000);
    writeClients(inFolder("b.dbf"), 0, 1);
    // Oracle's client takes Ctrl+C for itself while connected, and cancels the call in
    // progress: the second commit, which stalls.
    StandinDatabase::setFailRules("commit#2=block");
    ChildProcess load(kProgram, {folder, "-u", "scott/Tiger@orcl"});
    ASSERT_TRUE(database.waitUntilACallIsBlocked());
    load.sendSignal(SIGINT);
    EXPECT_EQ(load.wait(), 130);
    EXPECT_NE(load.output().find("A_DBF: Loading stopped by user request.\n"), std::string::npos)
        << load.output();
    const std::vector<std::string> output = linesOf(load.output());
    ASSERT_GE(output.size(), 4u);
    EXPECT_EQ(output[output.size() - 4], "Summary:");
    const std::size_t committed = loadedNames("A_DBF").size();
    EXPECT_EQ(std::vector<std::string>(output.end() - 3, output.end()),
              (std::vector<std::string>{"  " + inFolder("a.dbf") + "  A_DBF  " +
                                            std::to_string(committed) + " rows  stopped",
                                        "  " + inFolder("b.dbf") + "  B_DBF     0 rows  not loaded",
                                        "Total: 2 tables, 0 loaded, 1 stopped, 1 not loaded; " +
                                            std::to_string(committed) + " rows."}));
    EXPECT_EQ(database.tableNames("SCOTT"), std::vector<std::string>{"A_DBF"});
}

TEST_F(MarlinLoadSeriesTest, OnATerminalTheBarNamesTheTableInProgressAndCountsTheTablesDone) {
    writeClients(inFolder("a.dbf"), 0, 3);
    writeClients(inFolder("b.dbf"), 0, 3);
    PseudoTerminal terminal;
    ChildSetup errorsOnTerminal;
    errorsOnTerminal.errorDescriptor = terminal.slave();
    ChildProcess load(kProgram, {folder, "-u", "scott/Tiger@orcl"}, errorsOnTerminal);
    EXPECT_EQ(load.wait(), 0);
    const std::string bar = "\r[" + std::string(40, '.') + "]   0 %  ";
    const std::string screen = terminal.written();
    EXPECT_NE(screen.find(bar + "A_DBF, 0 of 2 tables done"), std::string::npos) << screen;
    EXPECT_NE(screen.find(bar + "B_DBF, 1 of 2 tables done"), std::string::npos) << screen;
    // Each bar is cleared over its whole length, caption included.
    EXPECT_NE(screen.find("\r" + std::string(48 + 27, ' ') + "\r"), std::string::npos);
}

TEST_F(MarlinLoadSeriesTest, TheBarFitsANarrowTerminalAndNeverWraps) {
    const std::string longName = "quarterly_sales_by_region_and_product";
    writeClients(inFolder(longName + ".dbf"), 0, 3);
    writeClients(inFolder("b.dbf"), 0, 3);
    PseudoTerminal terminal;
    terminal.setColumns(50);
    ChildSetup errorsOnTerminal;
    errorsOnTerminal.errorDescriptor = terminal.slave();
    ChildProcess load(kProgram, {folder, "-u", "scott/Tiger@orcl"}, errorsOnTerminal);
    EXPECT_EQ(load.wait(), 0);
    const std::string screen = terminal.written();
    // At most 49 columns (a terminal may wrap on writing the last one): the bar narrows
    // first, then the caption is cut.
    std::size_t bars = 0;
    for (std::size_t start = screen.find('\r'); start != std::string::npos;
         start = screen.find('\r', start + 1)) {
        const std::size_t end = screen.find_first_of("\r\n", start + 1);
        const std::string drawn = screen.substr(start + 1, end - start - 1);
        EXPECT_LE(drawn.size(), 49u) << drawn;
        bars += drawn.rfind('[', 0) == 0;
    }
    EXPECT_GT(bars, 0u);
    EXPECT_NE(screen.find("\r[" + std::string(10, '.') + "]   0 %  QUARTERLY_SALES_BY_REGION_AN"),
              std::string::npos)
        << screen;
    EXPECT_NE(screen.find("\r[" + std::string(14, '.') + "]   0 %  B_DBF, 0 of 2 tables done"),
              std::string::npos)
        << screen;

    // A terminal too narrow for any bar gets the percentage alone, and no caption.
    PseudoTerminal narrow;
    narrow.setColumns(9);
    errorsOnTerminal.errorDescriptor = narrow.slave();
    ChildProcess narrowLoad(kProgram, {folder, "-u", "scott/Tiger@orcl", "--replace"},
                            errorsOnTerminal);
    EXPECT_EQ(narrowLoad.wait(), 0);
    const std::string narrowScreen = narrow.written();
    EXPECT_NE(narrowScreen.find("\r[]   0 %\r"), std::string::npos) << narrowScreen;
    EXPECT_EQ(narrowScreen.find("[."), std::string::npos) << narrowScreen;
}

#endif
