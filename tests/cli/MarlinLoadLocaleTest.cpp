// marlin-load on a terminal whose locale is not UTF-8 (Linux): arguments, file names and
// output in the locale's character set, ISO-8859-1 here, made for the test with localedef.
#include "cli/ChildProcess.h"
#include "support/ClientTable.h"
#include "support/DbfWriter.h"
#include "support/StandinDatabase.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#if !defined(_WIN32)

using standin_test::StandinDatabase;

namespace {

const std::string kProgram = MARLIN_LOAD_PROGRAM;

class MarlinLoadLocaleTest : public ::testing::Test {
  protected:
    MarlinLoadLocaleTest() {
        database.addUser("SCOTT", "Tiger");
        database.useEnvironment();
    }
    ~MarlinLoadLocaleTest() override {
        StandinDatabase::setEnvironmentVariable("LC_ALL", "");
        StandinDatabase::setEnvironmentVariable("LOCPATH", "");
        StandinDatabase::setEnvironmentVariable("LSAN_OPTIONS", previousLeakOptions_);
    }

    // Makes a German ISO-8859-1 locale in the database's folder and names it for the
    // programs this test starts; false when localedef (Debian's locales package) fails.
    bool useLatin1Locale() {
        const std::string folder = database.rootFolder() + "/locales";
        const std::string command = "mkdir -p '" + folder +
                                    "' && localedef -i de_DE -f ISO-8859-1 '" + folder +
                                    "/de_DE.ISO-8859-1' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0)
            return false;
        StandinDatabase::setEnvironmentVariable("LOCPATH", folder);
        StandinDatabase::setEnvironmentVariable("LC_ALL", "de_DE.ISO-8859-1");
        // glibc's newlocale() never frees the list it makes of LOCPATH's folders; the leak
        // checker of the test build is told that this one is not the program's.
        const std::string suppressions = folder + "/leaks.supp";
        std::ofstream(suppressions) << "leak:__argz_add_sep\n";
        const char* options = std::getenv("LSAN_OPTIONS");
        previousLeakOptions_ = options != nullptr ? options : "";
        StandinDatabase::setEnvironmentVariable(
            "LSAN_OPTIONS", "suppressions=" + suppressions + ":print_suppressions=0" +
                                (previousLeakOptions_.empty() ? "" : ":" + previousLeakOptions_));
        return true;
    }

    StandinDatabase database;

  private:
    std::string previousLeakOptions_;
};

} // namespace

TEST_F(MarlinLoadLocaleTest, ALatin1TerminalTypesAndReadsLatin1) {
    ASSERT_TRUE(useLatin1Locale()) << "localedef could not make de_DE.ISO-8859-1";
    database.setCharacterSet("AL32UTF8");
    const std::string dbfPath = database.rootFolder() + "/clients.dbf";
    ASSERT_TRUE(wideClientTable(3).writeTo(dbfPath));

    // A table name typed in ISO-8859-1 (u-umlaut FC) reaches Oracle in UTF-8, and the lines
    // that name it come back in ISO-8859-1 (U-umlaut DC).
    ChildProcess load(kProgram, {dbfPath, "-t",
                                 "pr\xFC"
                                 "fung",
                                 "-u", "scott/Tiger@orcl"});
    EXPECT_EQ(load.wait(), 0) << load.errors();
    EXPECT_NE(load.output().find("Importing file into table PR\xDC"
                                 "FUNG.."),
              std::string::npos)
        << load.output();
    EXPECT_EQ(database
                  .readTable("SCOTT", "PR\xC3\x9C"
                                      "FUNG")
                  .rows.size(),
              3u);

    // A file whose name the terminal writes in ISO-8859-1 suggests its table in UTF-8.
    const std::string overview = database.rootFolder() + "/\xDC"
                                                         "bersicht.dbf";
    ASSERT_TRUE(wideClientTable(2).writeTo(overview));
    ChildProcess named(kProgram, {overview, "-u", "scott/Tiger@orcl"});
    EXPECT_EQ(named.wait(), 0) << named.errors();
    EXPECT_EQ(database
                  .readTable("SCOTT", "\xC3\x9C"
                                      "BERSICHT_DBF")
                  .rows.size(),
              2u);

    // Field names ISO-8859-1 lacks (Cyrillic, from a code page 1251 table) show as '?'.
    DbfWriter russian;
    russian.setLanguageDriver(0xC9).addField("\xC8\xCC\xDF", 'C', 4).addRecord({"x"});
    ASSERT_TRUE(russian.writeTo(dbfPath));
    ChildProcess describe(kProgram, {"--describe", dbfPath});
    EXPECT_EQ(describe.wait(), 0) << describe.errors();
    EXPECT_NE(describe.output().find("\n???  "), std::string::npos) << describe.output();
    EXPECT_EQ(describe.output().find("\xD0"), std::string::npos) << describe.output();
}

#endif
