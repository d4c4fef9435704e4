// marlin-load --resume: a folder whose loads lost their connection at a commit goes on where
// each table ended, and a second resume finds them complete.
#include "cli/ChildProcess.h"
#include "cli/FolderLoadTest.h"
#include "support/ClientTable.h"
#include "support/StandinDatabase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

using standin_test::StandinDatabase;

namespace {

const std::string kProgram = MARLIN_LOAD_PROGRAM;

class MarlinLoadResumeTest : public FolderLoadTest {
  protected:
    static std::vector<std::string> clientNames(int count) {
        return FolderLoadTest::clientNames(0, count);
    }

    // The lines of `table` of `records` records resumed after the 1000 rows it holds.
    static std::string resumedLines(const std::string& table, int records) {
        const std::string prefix = table + ": ";
        const std::string count = std::to_string(records);
        return prefix + "Start loading..\n" + prefix + "Connecting to Oracle..\n" + prefix +
               "Connected.\n" + prefix + "Table " + table +
               " exists; resuming the load into it.\n" + prefix + "Open file for read..\n" +
               prefix + count + " rows in file.\n" + prefix + "Table " + table +
               " holds 1000 rows; loading the file from record 1001.\n" + prefix +
               "Importing file into table " + table + "..\n" + prefix + "Loading completed. " +
               count + " records processed.\n";
    }
};

} // namespace

TEST_F(MarlinLoadResumeTest, AFolderResumesEachTableWhereItsLoadEndedAndThenFindsThemComplete) {
    // 1000 rows a batch: each load's second commit is its last.
    ASSERT_TRUE(wideClientTable(1500).writeTo(inFolder("A.DBF")));
    ASSERT_TRUE(wideClientTable(1200).writeTo(inFolder("B.DBF")));
    StandinDatabase::setFailRules("commit#2=3113");
    ChildProcess failed(kProgram, {folder, "-u", "scott/Tiger@orcl"});
    EXPECT_EQ(failed.wait(), 1);
    EXPECT_NE(failed.output().find("A_DBF: Error during commit (at end). ORA-03113: end-of-file on "
                                   "communication channel The last batch of 500 rows may or may "
                                   "not have been committed. Run the same load with --resume to "
                                   "continue: it counts the rows the table holds.\n"),
              std::string::npos)
        << failed.output();
    ASSERT_EQ(loadedNames("A_DBF"), clientNames(1000));
    ASSERT_EQ(loadedNames("B_DBF"), clientNames(1000));

    StandinDatabase::setFailRules("");
    ChildProcess resumed(kProgram, {folder, "-u", "scott/Tiger@orcl", "--resume"});
    EXPECT_EQ(resumed.wait(), 0) << resumed.errors();
    EXPECT_EQ(resumed.output(), resumedLines("A_DBF", 1500) + resumedLines("B_DBF", 1200) +
                                    "Summary:\n  " + inFolder("A.DBF") +
                                    "  A_DBF  500 rows  resumed\n  " + inFolder("B.DBF") +
                                    "  B_DBF  200 rows  resumed\n"
                                    "Total: 2 tables, 2 loaded; 700 rows.\n");
    EXPECT_EQ(loadedNames("A_DBF"), clientNames(1500));
    EXPECT_EQ(loadedNames("B_DBF"), clientNames(1200));

    // Resumed two at a time, each table is found complete on its own.
    ChildProcess complete(kProgram, {folder, "-u", "scott/Tiger@orcl", "--resume", "--jobs", "2"});
    EXPECT_EQ(complete.wait(), 0) << complete.errors();
    const std::vector<std::string> lines = linesOf(complete.output());
    ASSERT_GE(lines.size(), 4u);
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "A_DBF: Table A_DBF is complete: it holds the 1500 rows the file loads; "
                        "nothing was loaded."),
              lines.end())
        << complete.output();
    EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
              (std::vector<std::string>{
                  "Summary:", "  " + inFolder("A.DBF") + "  A_DBF  0 rows  complete",
                  "  " + inFolder("B.DBF") + "  B_DBF  0 rows  complete",
                  "Total: 2 tables, 2 loaded; 0 rows."}));
    EXPECT_EQ(loadedNames("B_DBF"), clientNames(1200));

    // A resume takes the table as it is: it neither replaces nor appends to it.
    for (const char* other : {"--replace", "--append"}) {
        ChildProcess usage(kProgram, {folder, "-u", "scott/Tiger@orcl", "--resume", other});
        EXPECT_EQ(usage.wait(), 2);
        EXPECT_EQ(usage.errors(), std::string("marlin-load: --resume and ") + other +
                                      " exclude each other\nTry 'marlin-load --help' for more.\n");
    }
    ChildProcess describe(kProgram, {"--describe", inFolder("A.DBF"), "--resume"});
    EXPECT_EQ(describe.wait(), 2);
}
