// marlin-load on the tables users have: --describe, --fix-names, and a missing memo file.
#include "cli/ChildProcess.h"
#include "support/DbfWriter.h"
#include "support/StandinDatabase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using standin_test::StandinDatabase;

namespace {

const std::string kProgram = MARLIN_LOAD_PROGRAM;

class MarlinLoadTablesTest : public ::testing::Test {
  protected:
    MarlinLoadTablesTest() : dbfPath(database.rootFolder() + "/towns.dbf") {
        database.addUser("SCOTT", "Tiger");
        database.useEnvironment();
    }

    StandinDatabase database;
    std::string dbfPath;
};

} // namespace

TEST_F(MarlinLoadTablesTest, DescribeConnectsToNothingAndPrintsTheTable) {
    DbfWriter table;
    table.addField("name", 'C', 10).addField("size", 'N', 8, 2).addRecord({"Troon", "   12.50"});
    ASSERT_TRUE(table.writeTo(dbfPath));
    // No user, no password, no database: nothing is asked for.
    ChildProcess describe(kProgram, {"--describe", dbfPath, "--fix-names"});
    EXPECT_EQ(describe.wait(), 0);
    EXPECT_EQ(describe.errors(), "");
    const std::string output = describe.output();
    EXPECT_EQ(output.rfind("File:           " + dbfPath + "\n", 0), 0u) << output;
    EXPECT_NE(output.find("\nsize   N          8         2  size        8  SIZE_\n"),
              std::string::npos)
        << output;
    EXPECT_TRUE(database.tableNames("SCOTT").empty());

    // A file that is no table: the reader's message, exit 1.
    ChildProcess missing(kProgram, {"--describe", dbfPath + ".none"});
    EXPECT_EQ(missing.wait(), 1);
    EXPECT_EQ(missing.output(), "");
    EXPECT_EQ(missing.errors(),
              "Cannot open file. Check that file exists and not used by any applications.\n");

    for (const std::vector<std::string>& mistake :
         {std::vector<std::string>{"--describe", dbfPath, "-u", "scott/Tiger@orcl"},
          {"--describe=yes", dbfPath},
          {dbfPath, "--fix-names=1", "-u", "scott/Tiger@orcl"},
          {"--describe"}}) {
        ChildProcess usage(kProgram, mistake);
        EXPECT_EQ(usage.wait(), 2);
        EXPECT_EQ(usage.errors().rfind("marlin-load: ", 0), 0u) << usage.errors();
    }
}

TEST_F(MarlinLoadTablesTest, FixNamesLoadsNamesOracleRefusesAndAMissingMemoFileFails) {
    DbfWriter table;
    table.addField("name", 'C', 10).addField("size", 'N', 8, 2).addRecord({"Troon", "   12.50"});
    ASSERT_TRUE(table.writeTo(dbfPath));
    ChildProcess refused(kProgram, {dbfPath, "-u", "scott/Tiger@orcl"});
    EXPECT_EQ(refused.wait(), 1);
    EXPECT_EQ(refused.errors(), "Error while create table. \nORA-00904: : invalid identifier\n"
                                "Can not use reserved word as name of column.\n"
                                "marlin-load --fix-names makes every field name a column name "
                                "Oracle takes.\n");

    ChildProcess fixed(kProgram, {dbfPath, "-u", "scott/Tiger@orcl", "--fix-names"});
    EXPECT_EQ(fixed.wait(), 0) << fixed.errors();
    const standin_test::StoredTable stored = database.readTable("SCOTT", "TOWNS_DBF");
    EXPECT_EQ(stored.columnNames, (std::vector<std::string>{"NAME", "SIZE_"}));
    ASSERT_EQ(stored.rows.size(), 1u);
    EXPECT_EQ(stored.rows[0][1], "   12.50");

    // A dBase III table whose memo file was not copied along.
    DbfWriter memos;
    memos.setVersionByte(0x83).addField("NOTES", 'M', 10).addRecord({memoFieldText(1, 10)});
    ASSERT_TRUE(memos.writeTo(dbfPath));
    ChildProcess missing(kProgram, {dbfPath, "-u", "scott/Tiger@orcl", "-t", "notes"});
    EXPECT_EQ(missing.wait(), 1);
    const std::string memoName = database.rootFolder() + "/towns.dbt";
    const std::string text = "Cannot find memo file " + memoName +
                             ". The table's memos are kept in it: copy it beside the table.";
    EXPECT_EQ(missing.output(), "Start loading..\n" + text + "\n");
    EXPECT_EQ(missing.errors(), text + "\n");
}

TEST_F(MarlinLoadTablesTest, TypedLoadsValuesAsTheirTypesAndCountsWhatItLoadsAsNull) {
    DbfWriter table;
    table.addField("TOWN", 'C', 10).addField("AREA", 'N', 8, 2).addField("FOUNDED", 'D', 8);
    table.addField("PORT", 'L', 1);
    table.addRecord({"Troon", "   12.50", "18080305", "T"});
    table.addRecord({"Irvine", "12a", "18080231", "n"});
    ASSERT_TRUE(table.writeTo(dbfPath));

    ChildProcess describe(kProgram, {"--describe", dbfPath, "--typed"});
    EXPECT_EQ(describe.wait(), 0);
    EXPECT_NE(describe.output().find("\nAREA     N          8         2  AREA         8  "
                                     "NUMBER(10,2)\n"),
              std::string::npos)
        << describe.output();

    // A German client's session reads a decimal comma; the load must not care.
    StandinDatabase::setEnvironmentVariable("NLS_LANG", "GERMAN_GERMANY.WE8MSWIN1252");
    ChildProcess load(kProgram, {dbfPath, "-u", "scott/Tiger@orcl", "--typed"});
    const int exitCode = load.wait();
    StandinDatabase::setEnvironmentVariable("NLS_LANG", "");
    EXPECT_EQ(exitCode, 0) << load.errors();
    EXPECT_EQ(load.output(),
              "Start loading..\nConnecting to Oracle..\nConnected.\nOpen file for read..\n"
              "2 rows in file.\nImporting file into table TOWNS_DBF..\n"
              "2 values could not be read as their columns' types and were loaded as NULL: "
              "AREA 1, FOUNDED 1.\nLoading completed. 2 records processed.\n");
    const standin_test::StoredTable stored = database.readTable("SCOTT", "TOWNS_DBF");
    EXPECT_EQ(stored.columnTypes,
              (std::vector<std::string>{"VARCHAR2(10 CHAR)", "NUMBER(10,2)", "DATE", "CHAR(1)"}));
    const standin_test::StoredValue null;
    EXPECT_EQ(stored.rows, (std::vector<std::vector<standin_test::StoredValue>>{
                               {"Troon     ", "12.5", "1808-03-05 00:00:00", "T"},
                               {"Irvine    ", null, null, "F"}}));
}
