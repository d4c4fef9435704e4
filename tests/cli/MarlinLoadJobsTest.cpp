// marlin-load --jobs: several tables at once, each in its own session and thread, with whole
// lines, one summary in the order given, and the endings of a run of one table at a time.
// Also built with ThreadSanitizer (scripts/test), which then watches every run below.
#include "cli/ChildProcess.h"
#include "cli/FolderLoadTest.h"
#include "support/ClientTable.h"
#include "support/StandinDatabase.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#if !defined(_WIN32)
#include "cli/PseudoTerminal.h"

#include <signal.h>
#endif

using standin_test::StandinDatabase;

namespace {

const std::string kProgram = MARLIN_LOAD_PROGRAM;

const std::string kCutShort = "Cannot read file: its header claims 225 bytes, more than the "
                              "file holds.";

// The status lines of a table of `rows` rows loaded in batches of 1000, without its prefix.
std::vector<std::string> plainLoad(const std::string& table, int rows) {
    std::vector<std::string> lines = {"Start loading..",
                                      "Connecting to Oracle..",
                                      "Connected.",
                                      "Open file for read..",
                                      std::to_string(rows) + " rows in file.",
                                      "Importing file into table " + table + ".."};
    for (int committed = 1000; committed < rows; committed += 1000)
        lines.push_back("Commit point reached. " + std::to_string(committed) + " rows imported..");
    lines.push_back("Loading completed. " + std::to_string(rows) + " records processed.");
    return lines;
}

// The lines before the summary, by the table their prefix names; a line of no table of
// `tables` goes under "?".
std::map<std::string, std::vector<std::string>>
linesByTable(const std::vector<std::string>& lines, const std::vector<std::string>& tables) {
    std::map<std::string, std::vector<std::string>> byTable;
    for (const std::string& line : lines) {
        if (line == "Summary:")
            break;
        std::string owner = "?";
        for (const std::string& table : tables)
            if (line.rfind(table + ": ", 0) == 0)
                owner = table;
        byTable[owner].push_back(owner == "?" ? line : line.substr(owner.size() + 2));
    }
    return byTable;
}

// The summary and what follows it.
std::vector<std::string> summaryOf(const std::vector<std::string>& lines) {
    for (auto line = lines.begin(); line != lines.end(); ++line)
        if (*line == "Summary:")
            return std::vector<std::string>(line, lines.end());
    return {};
}

class MarlinLoadJobsTest : public FolderLoadTest {
  protected:
    void writeClients(const std::string& name, int first, int count) const {
        FolderLoadTest::writeClients(inFolder(name), first, count);
    }

    void writeDamaged(const std::string& name) const {
        ByteImage damaged = wideClientTable(2).image();
        damaged.resize(40);
        ASSERT_TRUE(writeFileBytes(inFolder(name), damaged));
    }

    // "  FILE  TABLE  ROWS rows  ENDING" with the widths given.
    std::string summaryLine(const std::string& file, const std::string& table,
                            const std::string& rows, const std::string& ending) const {
        return "  " + inFolder(file) + "  " + table + "  " + rows + " rows  " + ending;
    }
};

} // namespace

TEST_F(MarlinLoadJobsTest, SeveralTablesLoadAtOnceInWholeLinesWithTheSummaryInTheOrderGiven) {
    writeClients("a.dbf", 0, 2500);
    writeClients("b.dbf", 10, 3);
    writeDamaged("c.dbf");
    writeClients("d.dbf", 30, 1200);
    // Each execute and commit takes a round trip, as over a network, so that the loads
    // overlap.
    StandinDatabase::setFailRules("delay=1ms");
    ChildProcess load(kProgram, {folder, "-u", "scott/Tiger@orcl", "--jobs", "3"});
    EXPECT_EQ(load.wait(), 1) << load.errors();

    const std::vector<std::string> lines = linesOf(load.output());
    auto byTable = linesByTable(lines, {"A_DBF", "B_DBF", "C_DBF", "D_DBF"});
    // Every line is one table's whole line, in that table's order.
    EXPECT_EQ(byTable.count("?"), 0u) << load.output();
    EXPECT_EQ(byTable["A_DBF"], plainLoad("A_DBF", 2500));
    EXPECT_EQ(byTable["B_DBF"], plainLoad("B_DBF", 3));
    EXPECT_EQ(byTable["C_DBF"], (std::vector<std::string>{"Start loading..", kCutShort}));
    EXPECT_EQ(byTable["D_DBF"], plainLoad("D_DBF", 1200));
    EXPECT_EQ(summaryOf(lines),
              (std::vector<std::string>{"Summary:", summaryLine("a.dbf", "A_DBF", "2500", "loaded"),
                                        summaryLine("b.dbf", "B_DBF", "   3", "loaded"),
                                        summaryLine("c.dbf", "C_DBF", "   0", "failed"),
                                        summaryLine("d.dbf", "D_DBF", "1200", "loaded"),
                                        "Total: 4 tables, 3 loaded, 1 failed; 3703 rows."}));
    EXPECT_EQ(load.errors(), "C_DBF: " + kCutShort + "\n");
    EXPECT_EQ(loadedNames("A_DBF"), clientNames(0, 2500));
    EXPECT_EQ(loadedNames("B_DBF"), clientNames(10, 3));
    EXPECT_EQ(loadedNames("D_DBF"), clientNames(30, 1200));
}

TEST_F(MarlinLoadJobsTest, AFailureOrARefusedLogonStartsNoNewTableAndLetsTheRunningOnesEnd) {
    // The first table fails at once; the second, started beside it, loads on.
    writeDamaged("a.dbf");
    writeClients("b.dbf", 10, 3);
    writeClients("c.dbf", 20, 3);
    ChildProcess stopping(kProgram,
                          {folder, "-u", "scott/Tiger@orcl", "--jobs", "2", "--stop-on-error"});
    EXPECT_EQ(stopping.wait(), 1) << stopping.errors();
    EXPECT_EQ(
        summaryOf(linesOf(stopping.output())),
        (std::vector<std::string>{"Summary:", summaryLine("a.dbf", "A_DBF", "0", "failed"),
                                  summaryLine("b.dbf", "B_DBF", "3", "loaded"),
                                  summaryLine("c.dbf", "C_DBF", "0", "not loaded"),
                                  "Total: 3 tables, 1 loaded, 1 failed, 1 not loaded; 3 rows."}));
    EXPECT_EQ(database.tableNames("SCOTT"), std::vector<std::string>{"B_DBF"});

    // A refused logon: the two loads started try theirs, no other starts, and the run says why.
    writeClients("a.dbf", 0, 3);
    ChildProcess refused(kProgram, {folder, "-u", "scott/Wrong@orcl", "--jobs", "2", "--replace"});
    EXPECT_EQ(refused.wait(), 1) << refused.errors();
    const std::string failure = "ORA-01017: invalid username/password; logon denied";
    EXPECT_EQ(summaryOf(linesOf(refused.output())),
              (std::vector<std::string>{
                  "Summary:", summaryLine("a.dbf", "A_DBF", "0", "failed"),
                  summaryLine("b.dbf", "B_DBF", "0", "failed"),
                  summaryLine("c.dbf", "C_DBF", "0", "not loaded"),
                  "Total: 3 tables, 0 loaded, 2 failed, 1 not loaded; 0 rows.",
                  "The other tables were not tried: Oracle refused the logon, and every try "
                  "counts towards locking the account (" +
                      failure + ")."}));
    EXPECT_EQ(loadedNames("B_DBF"), clientNames(10, 3));
}

TEST_F(MarlinLoadJobsTest, AJobsCountThatIsNoSmallPositiveNumberIsAUsageError) {
    writeClients("a.dbf", 0, 1);
    const std::string usage = "marlin-load: --jobs needs the number of tables to load at once, "
                              "from 1 to 32\nTry 'marlin-load --help' for more.\n";
    for (const char* jobs : {"0", "33", "2x", "100000000000000000000"}) {
        SCOPED_TRACE(jobs);
        ChildProcess load(kProgram, {folder, "-u", "scott/Tiger@orcl", "--jobs", jobs});
        EXPECT_EQ(load.wait(), 2);
        EXPECT_EQ(load.errors(), usage);
    }
    ChildProcess upToTheMost(kProgram, {folder, "-u", "scott/Tiger@orcl", "--jobs=32"});
    EXPECT_EQ(upToTheMost.wait(), 0) << upToTheMost.errors();
    EXPECT_TRUE(database.tableNames("SCOTT") == std::vector<std::string>{"A_DBF"});
}

#if !defined(_WIN32)

TEST_F(MarlinLoadJobsTest, CtrlCStopsEveryRunningLoad) {
    writeClients("a.dbf", 0, 5000);
    writeClients("b.dbf", 20000, 5000);
    writeClients("c.dbf", 0, 3);
    // Each load's second commit stalls until Oracle's client takes the Ctrl+C: both are held
    // at once only when they run at once.
    StandinDatabase::setFailRules("commit#2=block");
    ChildProcess load(kProgram, {folder, "-u", "scott/Tiger@orcl", "--jobs", "2"});
    ASSERT_TRUE(load.waitForOutput("A_DBF: Commit point reached. 1000 rows imported..\n"));
    ASSERT_TRUE(load.waitForOutput("B_DBF: Commit point reached. 1000 rows imported..\n"));
    ASSERT_TRUE(database.waitUntilACallIsBlocked());
    // The second load's next batch of 1000 rows is on its way to its commit too.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    load.sendSignal(SIGINT);
    EXPECT_EQ(load.wait(), 130) << load.errors();
    const std::vector<std::string> lines = linesOf(load.output());
    auto byTable = linesByTable(lines, {"A_DBF", "B_DBF", "C_DBF"});
    EXPECT_EQ(byTable["A_DBF"].back(), "Loading stopped by user request.");
    EXPECT_EQ(byTable["B_DBF"].back(), "Loading stopped by user request.");
    EXPECT_EQ(byTable.count("C_DBF"), 0u);
    EXPECT_EQ(summaryOf(lines),
              (std::vector<std::string>{
                  "Summary:", summaryLine("a.dbf", "A_DBF", "1000", "stopped"),
                  summaryLine("b.dbf", "B_DBF", "1000", "stopped"),
                  summaryLine("c.dbf", "C_DBF", "   0", "not loaded"),
                  "Total: 3 tables, 0 loaded, 2 stopped, 1 not loaded; 2000 rows."}));
    EXPECT_EQ(loadedNames("A_DBF"), clientNames(0, 1000));
    EXPECT_EQ(loadedNames("B_DBF"), clientNames(20000, 1000));
    EXPECT_EQ(database.tableNames("SCOTT"), (std::vector<std::string>{"A_DBF", "B_DBF"}));
}

TEST_F(MarlinLoadJobsTest, OnATerminalTheBarCountsTablesDoneAndTheRowsOfTheRunningOnes) {
    writeClients("a.dbf", 0, 1200);
    writeClients("b.dbf", 0, 1200);
    StandinDatabase::setFailRules("delay=1ms");
    PseudoTerminal terminal;
    terminal.setColumns(200);
    ChildSetup errorsOnTerminal;
    errorsOnTerminal.errorDescriptor = terminal.slave();
    ChildProcess load(kProgram, {folder, "-u", "scott/Tiger@orcl", "--jobs", "2"},
                      errorsOnTerminal);
    EXPECT_EQ(load.wait(), 0) << terminal.written();
    const std::string screen = terminal.written();
    EXPECT_NE(screen.find("]   0 %  0 of 2 tables done, A_DBF 0 rows, B_DBF 0 rows"),
              std::string::npos)
        << screen;
    EXPECT_NE(screen.find("A_DBF 1000 rows"), std::string::npos) << screen;
    EXPECT_NE(screen.find("B_DBF 1000 rows"), std::string::npos) << screen;
    EXPECT_NE(screen.find("1 of 2 tables done, "), std::string::npos) << screen;
    EXPECT_NE(screen.find("] 100 %  2 of 2 tables done"), std::string::npos) << screen;
    // The screen ends without a bar: the last one was cleared over its whole length.
    EXPECT_EQ(screen.back(), '\r');
}

#endif
