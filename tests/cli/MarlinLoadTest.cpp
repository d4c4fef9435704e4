// marlin-load run as a user's script runs it, against the stand-in database.
#include "cli/ChildProcess.h"
#include "support/ClientTable.h"
#include "support/StandinDatabase.h"

#include "MarlinVersion.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <signal.h>
#endif

using standin_test::StandinDatabase;

namespace {

class MarlinLoadTest : public ::testing::Test {
  protected:
    MarlinLoadTest() : dbfPath(database.rootFolder() + "/clients.dbf") {
        database.addUser("SCOTT", "Tiger");
        database.useEnvironment();
    }

    void writeTable(int records) { ASSERT_TRUE(wideClientTable(records).writeTo(dbfPath)); }

    // The committed rows' names, in order.
    std::vector<std::string> loadedNames(const std::string& tableName) const {
        std::vector<std::string> names;
        for (const auto& row : database.readTable("SCOTT", tableName).rows)
            names.push_back(row.at(0).value_or("NULL"));
        return names;
    }

    StandinDatabase database;
    std::string dbfPath;
};

const std::string kProgram = MARLIN_LOAD_PROGRAM;

} // namespace

TEST_F(MarlinLoadTest, AWholeLoadWritesTheLogLinesAndExitsWithZero) {
    writeTable(2500);
#if !defined(_WIN32)
    // No name given: the Linux build finds an Instant Client's versioned library name.
    const std::filesystem::path libraryFolder = database.rootFolder() + "/instantclient";
    std::filesystem::create_directory(libraryFolder);
    std::filesystem::create_symlink(StandinDatabase::standinLibraryPath(),
                                    libraryFolder / "libclntsh.so.19.1");
    const char* searchPath = std::getenv("LD_LIBRARY_PATH");
    const std::string previousSearchPath = searchPath != nullptr ? searchPath : "";
    StandinDatabase::setEnvironmentVariable("MARLIN_OCI_LIBRARY", "");
    StandinDatabase::setEnvironmentVariable("LD_LIBRARY_PATH", libraryFolder.string());
#endif
    // The password comes from standard input, as typed; the names go in upper case.
    ChildProcess load(kProgram, {dbfPath, "--userid", "scott@orcl"}, "Tiger\n");
    EXPECT_EQ(load.wait(), 0);
#if !defined(_WIN32)
    StandinDatabase::setEnvironmentVariable("LD_LIBRARY_PATH", previousSearchPath);
#endif
    EXPECT_EQ(load.output(), "Start loading..\n"
                             "Connecting to Oracle..\n"
                             "Connected.\n"
                             "Open file for read..\n"
                             "2500 rows in file.\n"
                             "Importing file into table CLIENTS_DBF..\n"
                             "Commit point reached. 1000 rows imported..\n"
                             "Commit point reached. 2000 rows imported..\n"
                             "Loading completed. 2500 records processed.\n");
    // Not a terminal: no progress bar, and no prompt either.
    EXPECT_EQ(load.errors(), "");
    const std::vector<std::string> names = loadedNames("CLIENTS_DBF");
    ASSERT_EQ(names.size(), 2500u);
    EXPECT_EQ(names.front(), clientName(0));
    EXPECT_EQ(names.back(), clientName(2499));
}

TEST_F(MarlinLoadTest, AFailureGoesToStandardErrorAndExitsWithOne) {
    writeTable(3);
    ChildProcess load(kProgram, {"-t", "clients", dbfPath, "-u", "scott/Secret@orcl"});
    EXPECT_EQ(load.wait(), 1);
    EXPECT_EQ(load.output(), "Start loading..\n"
                             "Connecting to Oracle..\n"
                             "ORA-01017: invalid username/password; logon denied\n");
    EXPECT_EQ(load.errors(), "ORA-01017: invalid username/password; logon denied\n");
    EXPECT_TRUE(database.tableNames("SCOTT").empty());

    // A status line joining a text and Oracle's message stays one line on standard output;
    // the message keeps its line break.
    StandinDatabase::setFailRules("commit#1=3113");
    ChildProcess failed(kProgram,
                        {dbfPath, "--table=clients", "-uscott/Tiger", "--database", "orcl"});
    StandinDatabase::setFailRules("");
    EXPECT_EQ(failed.wait(), 1);
    EXPECT_EQ(linesOf(failed.output()).back(),
              "Error during commit (at end). ORA-03113: end-of-file on communication channel");
    EXPECT_EQ(failed.errors(),
              "Error during commit (at end).\nORA-03113: end-of-file on communication channel\n");
    EXPECT_TRUE(database.readTable("SCOTT", "CLIENTS").rows.empty());
}

#if !defined(_WIN32)

TEST_F(MarlinLoadTest, SigintStopsLikeTheStopButtonAndKeepsTheCommittedBatches) {
    writeTable(10000);
    ChildProcess load(kProgram, {dbfPath, "-u", "scott/Tiger@orcl", "-t", "clients"});
    ASSERT_TRUE(load.waitForOutput("Commit point reached. 1000 rows imported..\n"));
    load.sendSignal(SIGINT);
    // A second request while the load ends only says so.
    load.sendSignal(SIGTERM);
    EXPECT_EQ(load.wait(), 130);

    std::size_t commits = 0;
    std::size_t stopLines = 0;
    for (const std::string& line : linesOf(load.output())) {
        commits += line.rfind("Commit point reached. ", 0) == 0;
        stopLines += line == "Loading stopped by user request.";
        EXPECT_EQ(line.find("Loading completed."), std::string::npos);
    }
    EXPECT_EQ(stopLines, 1u);
    EXPECT_EQ(load.errors(), "The load is ending; please wait.\n");
    // The session ended with a rollback: exactly the batches whose commit was logged stay.
    const std::vector<std::string> names = loadedNames("CLIENTS");
    ASSERT_GE(commits, 1u);
    ASSERT_EQ(names.size(), commits * 1000);
    EXPECT_EQ(names.back(), clientName(static_cast<int>(names.size()) - 1));
}

TEST_F(MarlinLoadTest, UsageErrorsNameTheFaultExitWithTwoAndNeverShowThePassword) {
    writeTable(1);
    const std::vector<std::vector<std::string>> mistakes = {
        {},
        {"-u", "scott/Secret@orcl"},
        {dbfPath, dbfPath, "-u", "scott/Secret@orcl"},
        {dbfPath, "--bogus=Secret", "-u", "scott/Secret@orcl"},
        {dbfPath, "-xSecret", "-u", "scott/Secret@orcl"},
        {dbfPath},
        {dbfPath, "-u", "scott/Secret"},
        {dbfPath, "-u", "scott/Secret@orcl", "--database", "orcl"},
        {dbfPath, "-u", "scott/\"Sec@ret", "--database", "orcl"},
        {dbfPath, "-u", "/Secret@orcl"},
        {dbfPath, "-u", "scott@orcl", "--table", ""},
        {dbfPath, "-u", "scott@orcl", "-t"},
        // No password in the userid and none on standard input.
        {dbfPath, "-u", "scott@orcl"},
    };
    for (const std::vector<std::string>& arguments : mistakes) {
        ChildProcess load(kProgram, arguments);
        EXPECT_EQ(load.wait(), 2);
        EXPECT_EQ(load.output(), "");
        EXPECT_EQ(load.errors().rfind("marlin-load: ", 0), 0u) << load.errors();
        EXPECT_EQ(load.errors().find("Secret"), std::string::npos) << load.errors();
    }
    EXPECT_TRUE(database.tableNames("SCOTT").empty());

    // A quoted password may hold "@" and "/".
    database.addUser("ADAMS", "p@ss/word");
    ChildProcess quoted(kProgram, {dbfPath, "-u", "adams/\"p@ss/word\"@orcl", "-t", "t1"});
    EXPECT_EQ(quoted.wait(), 0) << quoted.errors();
    EXPECT_EQ(database.readTable("ADAMS", "T1").rows.size(), 1u);

    ChildProcess help(kProgram, {dbfPath, "--help"});
    EXPECT_EQ(help.wait(), 0);
    EXPECT_EQ(help.output().rfind("Usage: marlin-load FILE.DBF", 0), 0u);
}

#endif

TEST(MarlinLoadVersion, ProgramsCarryTheOneVersion) {
    ChildProcess version(kProgram, {"--version"});
    EXPECT_EQ(version.wait(), 0);
    EXPECT_EQ(version.output(), std::string("marlin-load (Marlin) ") + MARLIN_VERSION_TEXT + "\n");
#if defined(_WIN32)
    // Both Windows programs, in the resource Explorer's properties show.
    for (const char* program : {"marlin-load.exe", "marlin.exe"}) {
        SCOPED_TRACE(program);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(program, &ignored);
        ASSERT_GT(size, 0u);
        std::vector<char> info(size);
        ASSERT_TRUE(GetFileVersionInfoA(program, 0, size, info.data()));
        void* text = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\040904B0\\ProductVersion", &text,
                                   &length));
        EXPECT_STREQ(static_cast<const char*>(text), MARLIN_VERSION_TEXT);
        void* fixed = nullptr;
        ASSERT_TRUE(VerQueryValueA(info.data(), "\\", &fixed, &length));
        const auto* numbers = static_cast<const VS_FIXEDFILEINFO*>(fixed);
        EXPECT_EQ(std::to_string(HIWORD(numbers->dwFileVersionMS)) + "." +
                      std::to_string(LOWORD(numbers->dwFileVersionMS)),
                  MARLIN_VERSION_TEXT);
    }
#endif
}
