// marlin-load run as a user's script runs it, against the stand-in database.
#include "cli/ChildProcess.h"
#include "support/ClientTable.h"
#include "support/DbfWriter.h"
#include "support/StandinDatabase.h"

#include "MarlinVersion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>
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
    // marlin-load tells how to go on from whichever way the commit went.
    const std::string resume =
        " Run the same load with --resume to continue: it counts the rows the table holds.";
    EXPECT_EQ(linesOf(failed.output()).back(),
              "Error during commit (at end). ORA-03113: end-of-file on communication channel "
              "The last batch of 3 rows may or may not have been committed." +
                  resume);
    EXPECT_EQ(failed.errors(),
              "Error during commit (at end).\nORA-03113: end-of-file on communication channel\n"
              "The last batch of 3 rows may or may not have been committed." +
                  resume + "\n");
    // A commit that lost its connection leaves its batch whole or not at all.
    const std::size_t stored = database.readTable("SCOTT", "CLIENTS").rows.size();
    EXPECT_TRUE(stored == 0 || stored == 3) << stored;
}

namespace {

// A text in the encoding marlin-load reads and writes: the ANSI code page (1252 under Wine)
// on Windows, where the test's own arguments go through CreateProcessA; UTF-8 on Linux.
std::string local(const char* windows1252, const char* utf8) {
#if defined(_WIN32)
    (void)utf8;
    return windows1252;
#else
    (void)windows1252;
    return utf8;
#endif
}

} // namespace

TEST_F(MarlinLoadTest, NationalTextsTravelInUtf8AndComeBackInTheConsolesEncoding) {
    database.setCharacterSet("AL32UTF8");
    database.addUser("M\xC3\x9CLLER", "Gr\xC3\xBC\xC3\x9F"
                                      "e1");
    writeTable(3);
    // Table, user and password with national letters; the names in upper case.
    ChildProcess load(kProgram, {dbfPath, "-t",
                                 local("pr\xFC"
                                       "fung",
                                       "pr\xC3\xBC"
                                       "fung"),
                                 "-u",
                                 local("m\xFCller/Gr\xFC\xDF"
                                       "e1@orcl",
                                       "m\xC3\xBCller/Gr\xC3\xBC\xC3\x9F"
                                       "e1@orcl")});
    EXPECT_EQ(load.wait(), 0) << load.errors();
    EXPECT_NE(load.output().find("Importing file into table " +
                                 local("PR\xDC"
                                       "FUNG",
                                       "PR\xC3\x9C"
                                       "FUNG") +
                                 ".."),
              std::string::npos)
        << load.output();
    EXPECT_EQ(database
                  .readTable("M\xC3\x9CLLER", "PR\xC3\x9C"
                                              "FUNG")
                  .rows.size(),
              3u);
    // The name a file's name suggests, from a name with national letters.
    const std::string overview = database.rootFolder() + "/" +
                                 local("\xDC"
                                       "bersicht.dbf",
                                       "\xC3\x9C"
                                       "bersicht.dbf");
    ASSERT_TRUE(wideClientTable(2).writeTo(overview));
    ChildProcess named(kProgram, {overview, "-u", "scott/Tiger@orcl"});
    EXPECT_EQ(named.wait(), 0) << named.errors();
    EXPECT_EQ(database
                  .readTable("SCOTT", "\xC3\x9C"
                                      "BERSICHT_DBF")
                  .rows.size(),
              2u);

    // Oracle's German message comes back in the console's encoding.
    StandinDatabase::setEnvironmentVariable("NLS_LANG", "GERMAN_GERMANY.WE8MSWIN1252");
    ChildProcess refused(kProgram, {dbfPath, "-t", "t2", "-u", "scott/Secret@orcl"});
    StandinDatabase::setEnvironmentVariable("NLS_LANG", "");
    EXPECT_EQ(refused.wait(), 1);
    EXPECT_EQ(refused.errors(), "ORA-01017: Benutzername/Kennwort ung" + local("\xFC", "\xC3\xBC") +
                                    "ltig; Anmeldung abgelehnt\n");
}

TEST_F(MarlinLoadTest, TheCodePageOptionServesFilesThatNameNoneOrForcesItsOwnOnEveryFile) {
    database.setCharacterSet("AL32UTF8");
    // A DOS table in code page 866 whose header names none: Moskva.
    const std::string moskva866 = "\x8C\xAE\xE1\xAA\xA2\xA0";
    const std::string moskva = "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0";
    DbfWriter table;
    table.addField("CITY", 'C', 6).addRecord({moskva866});
    ASSERT_TRUE(table.writeTo(dbfPath));
    auto loadedCity = [&](const std::string& codePage, const std::string& tableName) {
        ChildProcess load(
            kProgram, {dbfPath, "--codepage", codePage, "-u", "scott/Tiger@orcl", "-t", tableName});
        EXPECT_EQ(load.wait(), 0) << load.errors();
        const auto rows = database.readTable("SCOTT", tableName).rows;
        return rows.size() == 1 ? rows[0][0].value_or("NULL") : std::string("no row");
    };
    EXPECT_EQ(loadedCity("866", "NAMED"), moskva);

    // A header that names 1252 is read in 1252, unless 866 is forced.
    table.setLanguageDriver(0x03);
    ASSERT_TRUE(table.writeTo(dbfPath));
    const std::string in1252 = "\xC5\x92\xC2\xAE\xC3\xA1\xC2\xAA\xC2\xA2\xC2\xA0";
    EXPECT_EQ(loadedCity("866", "HEADER"), in1252);
    EXPECT_EQ(loadedCity("866!", "FORCED"), moskva);

    // A code page this system cannot decode, and no number at all, are usage errors.
    const std::string unknown = "is unknown, or this system cannot decode it\n";
    const std::string noNumber =
        "--codepage needs a code page number, such as 866 (or 866! to read every file in it)\n";
    const std::pair<std::string, std::string> mistakes[] = {
        {"12345", "code page 12345 " + unknown},
        {"99999", "code page 99999 " + unknown},
        {"123456789012", "code page 123456789012 " + unknown},
        {"cp866", noNumber},
        {"0", noNumber},
        {"866!!", noNumber},
        {"!", noNumber},
    };
    for (const auto& [value, message] : mistakes) {
        ChildProcess refused(kProgram, {dbfPath, "--codepage=" + value, "-u", "scott/Tiger@orcl"});
        EXPECT_EQ(refused.wait(), 2);
        EXPECT_EQ(refused.errors(),
                  "marlin-load: " + message + "Try 'marlin-load --help' for more.\n");
    }
}

TEST_F(MarlinLoadTest, SkipDeletedLoadsTheOtherRecordsAndCountsThem) {
    DbfWriter table = wideClientTable(0);
    for (int record = 0; record < 1500; ++record)
        table.addRecord({clientName(record)}, record % 3 == 0);
    ASSERT_TRUE(table.writeTo(dbfPath));
    ChildProcess load(kProgram, {dbfPath, "--skip-deleted", "-u", "scott/Tiger@orcl"});
    EXPECT_EQ(load.wait(), 0) << load.errors();
    EXPECT_EQ(load.output(), "Start loading..\n"
                             "Connecting to Oracle..\n"
                             "Connected.\n"
                             "Open file for read..\n"
                             "1500 rows in file.\n"
                             "Importing file into table CLIENTS_DBF..\n"
                             "Commit point reached. 1000 rows imported..\n"
                             "500 records marked as deleted were left out.\n"
                             "Loading completed. 1000 records processed.\n");
    const std::vector<std::string> names = loadedNames("CLIENTS_DBF");
    ASSERT_EQ(names.size(), 1000u);
    EXPECT_EQ(names.front(), clientName(1));

    ChildProcess describe(kProgram, {"--describe", dbfPath, "--skip-deleted"});
    EXPECT_EQ(describe.wait(), 2);
    EXPECT_EQ(describe.errors().rfind("marlin-load: --describe connects to nothing", 0), 0u)
        << describe.errors();

    // The help names every option, --describe's among them.
    ChildProcess help(kProgram, {"--help"});
    EXPECT_EQ(help.wait(), 0);
    EXPECT_NE(help.output().find("marlin-load --describe FILE.DBF [--fix-names] [--typed] "
                                 "[--codepage N[!]]\n"),
              std::string::npos)
        << help.output();
    const std::vector<std::string> lines = linesOf(help.output());
    for (const std::string option : {"--table", "--userid", "--database", "--replace", "--append",
                                     "--stop-on-error", "--fix-names", "--typed", "--describe",
                                     "--codepage", "--skip-deleted", "--help", "--version"})
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
            // An option's own line: indented, the option names first.
            const std::size_t start = line.find_first_not_of(' ');
            return start >= 2 && start != std::string::npos && line[start] == '-' &&
                   (line + " ").find(option + " ") != std::string::npos;
        })) << option;
}

#if !defined(_WIN32)

TEST_F(MarlinLoadTest, SigtermStopsLikeTheStopButtonAndKeepsTheCommittedBatches) {
    writeTable(10000);
    ChildProcess load(kProgram, {dbfPath, "-u", "scott/Tiger@orcl", "-t", "clients"});
    ASSERT_TRUE(load.waitForOutput("Commit point reached. 1000 rows imported..\n"));
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
    EXPECT_EQ(load.errors(), "");
    // The session ended with a rollback: exactly the batches whose commit was logged stay.
    const std::vector<std::string> names = loadedNames("CLIENTS");
    ASSERT_GE(commits, 1u);
    ASSERT_EQ(names.size(), commits * 1000);
    EXPECT_EQ(names.back(), clientName(static_cast<int>(names.size()) - 1));
}

TEST_F(MarlinLoadTest, ACtrlCThatOraclesClientTurnsIntoACancelStopsTheLoad) {
    // Once connected, Oracle's client on Linux takes Ctrl+C for itself and cancels the call
    // in progress with ORA-01013: a stop the load job alone learns of.
    writeTable(2500);
    StandinDatabase::setFailRules("commit#2=block");
    ChildProcess load(kProgram, {dbfPath, "-u", "scott/Tiger@orcl", "-t", "clients"});
    ASSERT_TRUE(database.waitUntilACallIsBlocked());
    load.sendSignal(SIGINT);
    EXPECT_EQ(load.wait(), 130);
    EXPECT_EQ(load.output(), "Start loading..\n"
                             "Connecting to Oracle..\n"
                             "Connected.\n"
                             "Open file for read..\n"
                             "2500 rows in file.\n"
                             "Importing file into table CLIENTS..\n"
                             "Commit point reached. 1000 rows imported..\n"
                             "Loading stopped by user request.\n");
    EXPECT_EQ(load.errors(), "");
    // The cancelled commit's batch was rolled back.
    EXPECT_EQ(loadedNames("CLIENTS").size(), 1000u);
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

TEST_F(MarlinLoadTest, AFileThatCannotBeReadFailsBeforeTheLogonAndSaysWhy) {
    const std::string tiny = database.rootFolder() + "/tiny.dbf";
    ASSERT_TRUE(writeFileBytes(tiny, ByteImage(20, 0x03)));
    const std::pair<std::string, std::string> cases[] = {
        {tiny, "Cannot read file: it is too short to hold the header of a table."},
        {dbfPath, "Cannot open file. Check that file exists and not used by any applications."},
    };
    for (const auto& [path, text] : cases) {
        SCOPED_TRACE(text);
        // The wrong password is never tried: the file fails first.
        ChildProcess load(kProgram, {path, "-u", "scott/Wrong@orcl", "-t", "t"});
        EXPECT_EQ(load.wait(), 1);
        EXPECT_EQ(load.output(), "Start loading..\n" + text + "\n");
        EXPECT_EQ(load.errors(), text + "\n");
    }
#if !defined(_WIN32)
    // A file only its owner may read, for another user.
    writeTable(1);
    std::filesystem::permissions(dbfPath, std::filesystem::perms::owner_read |
                                              std::filesystem::perms::owner_write);
    std::vector<std::string> arguments = {dbfPath, "-u", "scott/Tiger@orcl"};
    std::string program = kProgram;
    if (::getuid() == 0) {
        arguments.insert(arguments.begin(),
                         {"--reuid=65534", "--regid=65534", "--clear-groups", kProgram});
        program = "/usr/bin/setpriv";
    } else {
        std::filesystem::permissions(dbfPath, std::filesystem::perms::none);
    }
    ChildProcess denied(program, arguments);
    EXPECT_EQ(denied.wait(), 1);
    EXPECT_EQ(denied.errors(), "Cannot open file: permission to read it is denied.\n");
#endif
    EXPECT_TRUE(database.tableNames("SCOTT").empty());
}

TEST_F(MarlinLoadTest, WithoutAConnectStringTheClientsDefaultDatabaseIsTaken) {
    writeTable(2);
#if defined(_WIN32)
    const char* remote = "LOCAL";
#else
    const char* remote = "TWO_TASK";
#endif
    ChildProcess nowhere(kProgram, {dbfPath, "-u", "scott/Tiger", "-t", "first"});
    EXPECT_EQ(nowhere.wait(), 1);
    EXPECT_EQ(nowhere.errors(), "ORA-12162: TNS:net service name is incorrectly specified\n");
    StandinDatabase::setEnvironmentVariable(remote, "orcl");
    ChildProcess remoteDefault(kProgram, {dbfPath, "-u", "scott/Tiger", "-t", "first"});
    EXPECT_EQ(remoteDefault.wait(), 0) << remoteDefault.errors();
    StandinDatabase::setEnvironmentVariable(remote, "");
    StandinDatabase::setEnvironmentVariable("ORACLE_SID", "orcl");
    ChildProcess localDefault(kProgram, {dbfPath, "-u", "scott/Tiger", "-t", "second"});
    StandinDatabase::setEnvironmentVariable("ORACLE_SID", "");
    EXPECT_EQ(localDefault.wait(), 0) << localDefault.errors();
    EXPECT_EQ(loadedNames("FIRST").size(), 2u);
    EXPECT_EQ(loadedNames("SECOND").size(), 2u);
}

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
