// marlin-load where a script or a user can make a command line hang or mislead: closed
// standard descriptors, signals at the password prompt, a second Ctrl+C on a stalled call,
// odd passwords and option values, and a client library that cannot be loaded.
#include "cli/ChildProcess.h"
#include "cli/PseudoTerminal.h"
#include "support/ClientTable.h"
#include "support/StandinDatabase.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#if !defined(_WIN32)
#include <signal.h>
#endif

using standin_test::StandinDatabase;

namespace {

const std::string kProgram = MARLIN_LOAD_PROGRAM;

class MarlinLoadPromptTest : public ::testing::Test {
  protected:
    MarlinLoadPromptTest() : dbfPath(database.rootFolder() + "/clients.dbf") {
        database.addUser("SCOTT", "Tiger");
        database.useEnvironment();
        wideClientTable(3).writeTo(dbfPath);
    }

    std::size_t loadedRows(const std::string& table = "CLIENTS") const {
        return database.readTable("SCOTT", table).rows.size();
    }

    StandinDatabase database;
    std::string dbfPath;
};

} // namespace

TEST_F(MarlinLoadPromptTest, APasswordFileMayBeginWithAByteOrderMarkAndEndWithoutALineBreak) {
    ChildProcess marked(kProgram, {dbfPath, "-u", "scott@orcl", "-t", "clients"},
                        "\xEF\xBB\xBFTiger\r\n");
    EXPECT_EQ(marked.wait(), 0) << marked.output();
    ChildProcess unended(kProgram, {dbfPath, "-u", "scott@orcl", "-t", "more"}, "Tiger");
    EXPECT_EQ(unended.wait(), 0) << unended.output();
    EXPECT_EQ(loadedRows("MORE"), 3u);
}

TEST_F(MarlinLoadPromptTest, OptionsAreGivenOnceAndNeverTakeTheNextOptionAsTheirValue) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> mistakes = {
        {{dbfPath, "-u", "scott/Tiger@orcl", "-t", "--help"}, "option -t needs a value"},
        {{dbfPath, "--table", "--userid", "scott/Tiger@orcl"}, "option --table needs a value"},
        {{dbfPath, "-u", "scott/Tiger@orcl", "-t", "a", "--table=b"},
         "option --table is given twice"},
        {{dbfPath, "-u", "scott/Tiger@orcl", "-u", "adams/Tiger@orcl"},
         "option --userid is given twice"},
        {{dbfPath, "-u", "scott/Tiger@orcl", "--replace", "--append"},
         "--replace and --append exclude each other"},
        {{dbfPath, "-u", "scott/Tiger@orcl", "--replace=yes"}, "option --replace takes no value"},
        {{dbfPath, dbfPath, "-u", "scott/Tiger@orcl", "-t", "x"},
         "--table names the table of one file; with several, each file names its own"},
        {{dbfPath, dbfPath, "-u", "scott/Tiger@orcl"},
         "both " + dbfPath + " and " + dbfPath + " would load table CLIENTS_DBF"},
    };
    for (const auto& mistake : mistakes) {
        ChildProcess load(kProgram, mistake.first);
        EXPECT_EQ(load.wait(), 2);
        EXPECT_EQ(load.output(), "");
        EXPECT_EQ(load.errors(),
                  "marlin-load: " + mistake.second + "\nTry 'marlin-load --help' for more.\n");
    }
    EXPECT_TRUE(database.tableNames("SCOTT").empty());
    // An option's value may still begin with "-" when it is attached to the option.
    ChildProcess attached(kProgram, {dbfPath, "-u", "scott/Tiger", "--database=-orcl"});
    EXPECT_EQ(attached.wait(), 1);
    EXPECT_EQ(attached.errors(), "ORA-12154: TNS:could not resolve the connect identifier "
                                 "specified\n");
}

#if !defined(_WIN32)

namespace {

// The signals whose handler the process has installed, from /proc ("SigCgt").
bool catches(int processId, int signalNumber) {
    std::ifstream status("/proc/" + std::to_string(processId) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("SigCgt:", 0) == 0)
            return (std::stoull(line.substr(7), nullptr, 16) >> (signalNumber - 1) & 1) != 0;
    return false;
}

// Waits until the child has its stop handlers, so that it waits for the password.
bool waitUntilItCatchesStops(const ChildProcess& child) {
    for (int wait = 0; wait < 1000; ++wait) {
        if (catches(child.processId(), SIGINT) && catches(child.processId(), SIGTERM))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

std::string descriptorTarget(int processId, int descriptor) {
    const std::string link =
        "/proc/" + std::to_string(processId) + "/fd/" + std::to_string(descriptor);
    return std::filesystem::read_symlink(link).string();
}

} // namespace

TEST_F(MarlinLoadPromptTest, ClosedStandardDescriptorsNeverBecomeTheSignalPipe) {
    // No standard input and no password: it ends as an empty input does.
    ChildSetup noInput;
    noInput.closed = {0};
    ChildProcess closedInput(kProgram, {dbfPath, "-u", "scott@orcl"}, noInput);
    ASSERT_TRUE(closedInput.endsWithin(20)) << "it waits for a password on its own pipe";
    EXPECT_EQ(closedInput.wait(), 2);
    EXPECT_EQ(closedInput.errors(), "marlin-load: no password given\n"
                                    "Try 'marlin-load --help' for more.\n");

    // No standard error: its descriptor goes to the null device, not to the pipe.
    ChildSetup noErrors;
    noErrors.keepInputOpen = true;
    noErrors.closed = {2};
    ChildProcess closedErrors(kProgram, {dbfPath, "-u", "scott@orcl"}, noErrors);
    ASSERT_TRUE(waitUntilItCatchesStops(closedErrors));
    EXPECT_EQ(descriptorTarget(closedErrors.processId(), 2), "/dev/null");
    closedErrors.sendSignal(SIGTERM);
    ASSERT_TRUE(closedErrors.endsWithin(20));
    EXPECT_EQ(closedErrors.wait(), 130);
}

TEST_F(MarlinLoadPromptTest, AStopEndsTheWaitForAPasswordFromAPipe) {
    for (int signalNumber : {SIGINT, SIGTERM}) {
        ChildSetup openInput;
        openInput.keepInputOpen = true;
        ChildProcess load(kProgram, {dbfPath, "-u", "scott@orcl"}, openInput);
        ASSERT_TRUE(waitUntilItCatchesStops(load));
        load.sendSignal(signalNumber);
        ASSERT_TRUE(load.endsWithin(20)) << "signal " << signalNumber << " was swallowed";
        EXPECT_EQ(load.wait(), 130);
        EXPECT_EQ(load.output(), "");
    }
    EXPECT_TRUE(database.tableNames("SCOTT").empty());
}

TEST_F(MarlinLoadPromptTest, EveryWayOutOfThePromptGivesTheTerminalItsEchoBack) {
    for (int signalNumber : {SIGQUIT, SIGHUP}) {
        PseudoTerminal terminal;
        ChildSetup onTerminal;
        onTerminal.inputDescriptor = terminal.slave();
        ChildProcess load(kProgram, {dbfPath, "-u", "scott@orcl"}, onTerminal);
        ASSERT_TRUE(terminal.waitForHiddenPrompt());
        terminal.type("Tig");
        load.sendSignal(signalNumber);
        ASSERT_TRUE(load.endsWithin(20));
        EXPECT_EQ(load.wait(), -1) << "ended by the signal";
        EXPECT_TRUE(terminal.echoes()) << "after signal " << signalNumber;
    }
    EXPECT_TRUE(database.tableNames("SCOTT").empty());
}

namespace {

// Waits until the process is stopped (state "T" in /proc).
bool waitUntilStopped(int processId) {
    for (int wait = 0; wait < 1000; ++wait) {
        std::ifstream stat("/proc/" + std::to_string(processId) + "/stat");
        std::string line;
        std::getline(stat, line);
        const std::size_t end = line.rfind(')');
        if (end != std::string::npos && line.compare(end + 2, 1, "T") == 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

} // namespace

TEST_F(MarlinLoadPromptTest, ThePasswordStaysHiddenAfterTheProgramIsSuspendedAndResumed) {
    PseudoTerminal terminal;
    ChildSetup onTerminal;
    onTerminal.inputDescriptor = terminal.slave();
    ChildProcess load(kProgram, {dbfPath, "-u", "scott@orcl", "-t", "resumed"}, onTerminal);
    ASSERT_TRUE(terminal.waitForHiddenPrompt());
    // Ctrl+Z, then fg: meanwhile the shell gives the terminal its own settings, echo on.
    load.sendSignal(SIGSTOP);
    ASSERT_TRUE(waitUntilStopped(load.processId()));
    terminal.setEcho(true);
    load.sendSignal(SIGCONT);
    EXPECT_TRUE(terminal.waitForHiddenPrompt()) << "the echo stays on after fg";
    terminal.type("Tiger\n");
    ASSERT_TRUE(load.endsWithin(60));
    EXPECT_EQ(load.wait(), 0) << load.errors();
    EXPECT_EQ(terminal.written().find("Tiger"), std::string::npos);
    EXPECT_EQ(loadedRows("RESUMED"), 3u);
    EXPECT_TRUE(terminal.echoes());
}

TEST_F(MarlinLoadPromptTest, EndingTheInputAfterATypedPasswordKeepsIt) {
    PseudoTerminal terminal;
    ChildSetup onTerminal;
    onTerminal.inputDescriptor = terminal.slave();
    ChildProcess load(kProgram, {dbfPath, "-u", "scott@orcl", "-t", "typed"}, onTerminal);
    ASSERT_TRUE(terminal.waitForHiddenPrompt());
    // Ctrl+D hands over what was typed; a second one ends the input.
    terminal.type("Tiger\x04\x04");
    ASSERT_TRUE(load.endsWithin(60));
    EXPECT_EQ(load.wait(), 0) << load.errors();
    EXPECT_EQ(loadedRows("TYPED"), 3u);
    EXPECT_TRUE(terminal.echoes());
}

TEST_F(MarlinLoadPromptTest, ASecondStopBreaksAStalledCallAndTheLoadEndsAsStopped) {
    StandinDatabase::setFailRules("commit#1=block");
    ChildProcess load(kProgram, {dbfPath, "-u", "scott/Tiger@orcl", "-t", "clients"});
    StandinDatabase::setFailRules("");
    ASSERT_TRUE(database.waitUntilACallIsBlocked());
    // SIGTERM: Oracle's client takes SIGINT for itself while connected.
    load.sendSignal(SIGTERM);
    ASSERT_TRUE(load.waitForOutput("Loading stopped by user request.\n"));
    load.sendSignal(SIGTERM);
    ASSERT_TRUE(load.endsWithin(20)) << "the stalled commit was not broken";
    EXPECT_EQ(load.wait(), 130);
    EXPECT_EQ(load.output(), "Start loading..\n"
                             "Connecting to Oracle..\n"
                             "Connected.\n"
                             "Open file for read..\n"
                             "3 rows in file.\n"
                             "Importing file into table CLIENTS..\n"
                             "Loading stopped by user request.\n");
    EXPECT_EQ(load.errors(), "The load is ending; please wait.\n");
    EXPECT_EQ(loadedRows(), 0u);
    EXPECT_FALSE(database.hasABlockedCall());
}

TEST_F(MarlinLoadPromptTest, AClientLibraryThatCannotLoadIsNamedWithTheLoadersReason) {
    // Nothing in the loader's search here; ORACLE_HOME's lib folder is tried last.
    const std::string home = database.rootFolder() + "/oraclehome";
    std::filesystem::create_directories(home + "/lib");
    const std::string library = home + "/lib/libclntsh.so";
    std::ofstream(library) << std::string(200, 'x');
    StandinDatabase::setEnvironmentVariable("MARLIN_OCI_LIBRARY", "");
    StandinDatabase::setEnvironmentVariable("ORACLE_HOME", home);
    ChildProcess broken(kProgram, {dbfPath, "-u", "scott/Tiger@orcl"});
    EXPECT_EQ(broken.wait(), 1);
    const std::string reason =
        "Can't load the Oracle client library: " + library + ": invalid ELF header";
    const std::string names = "Names tried: libclntsh.so, libclntsh.so.23.1, libclntsh.so.21.1, "
                              "libclntsh.so.20.1, libclntsh.so.19.1, libclntsh.so.18.1, "
                              "libclntsh.so.12.1, libclntsh.so.11.1, " +
                              library;
    EXPECT_EQ(broken.errors(), reason + "\n" + names + "\n");
    EXPECT_EQ(broken.output(),
              "Start loading..\nConnecting to Oracle..\n" + reason + " " + names + "\n");

    // The client found in ORACLE_HOME loads.
    std::filesystem::remove(library);
    std::filesystem::create_symlink(StandinDatabase::standinLibraryPath(), library);
    ChildProcess found(kProgram, {dbfPath, "-u", "scott/Tiger@orcl", "-t", "clients"});
    EXPECT_EQ(found.wait(), 0) << found.output();
    StandinDatabase::setEnvironmentVariable("ORACLE_HOME", "");
    EXPECT_EQ(loadedRows(), 3u);
}

#endif
