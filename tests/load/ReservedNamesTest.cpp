// Field names that are words of Oracle SQL, loaded as Oracle sees them: every reserved word of
// Oracle's list (the stand-in's, which it refuses as an unquoted name) made a name it takes by
// --fix-names, keywords that are no reserved words kept, and the ten names the default load
// renames.
#include "load/LoadJobHarness.h"

#include "oracle_standin/ReservedWords.h"

#include <map>
#include <string>
#include <vector>

TEST_F(LoadJobTest, FixNamesMakesEveryReservedWordANameOracleTakes) {
    // Every reserved word as a field name, and keywords of Oracle SQL that are not reserved:
    // they name a column unquoted as they are. PRIVILEGES is reserved by 11.2 servers only.
    // The four reserved words among the names the dialog renames keep the dialog's names, so
    // that a table either of them made takes the other's rows.
    const std::map<std::string, std::string> dialogNames = {
        {"DATE", "THEDATE"}, {"FILE", "THEFILE"}, {"LEVEL", "ALEVEL"}, {"PRIOR", "APRIOR"}};
    const std::vector<std::string> keywords = {"NAME", "TYPE", "KEY",   "VALUE", "TEXT",  "COUNT",
                                               "SUM",  "YEAR", "MONTH", "DAY",   "STATUS"};
    std::vector<std::string> expected;
    DbfWriter table;
    std::vector<std::string> record;
    for (const char* word : standin::kReservedWords) {
        table.addField(word, 'C', 1);
        const auto renamed = dialogNames.find(word);
        expected.push_back(renamed != dialogNames.end() ? renamed->second
                                                        : std::string(word) + "_");
        record.push_back("x");
    }
    table.addField("privileges", 'C', 1);
    expected.push_back("PRIVILEGES_");
    record.push_back("p");
    for (const std::string& keyword : keywords) {
        table.addField(keyword, 'C', 1);
        expected.push_back(keyword);
        record.push_back("k");
    }
    table.addRecord(record);
    writeTable(table);

    request.options.fixNames = true;
    runLoad();
    ASSERT_TRUE(messages().empty()) << messages()[0];
    const auto stored = loadedTable();
    EXPECT_EQ(stored.columnNames, expected);
    ASSERT_EQ(stored.rows.size(), 1u);
    EXPECT_EQ(stored.rows[0].back(), standin_test::StoredValue("k"));

    // Without the option, the first of them ends the load where Oracle refuses it.
    request.options.fixNames = false;
    request.tableName = "UNFIXED";
    runLoad();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(
        messages()[0].rfind("Error while create table. \nORA-00904: : invalid identifier\n", 0), 0u)
        << messages()[0];
}

TEST_F(LoadJobTest, TheDefaultLoadRenamesTenFieldNamesAndKeepsEveryOtherName) {
    // The ten names the dialog has always renamed, four of them reserved words Oracle would
    // refuse; names that only resemble them stay as they are.
    DbfWriter table;
    std::vector<std::string> record;
    for (const char* name : {"DATE", "TIME", "FILE", "FORM", "LINK", "BACKUP", "PRIOR", "LEVEL",
                             "COST", "FACTOR", "DAT", "COSTS", "DATES", "D"}) {
        table.addField(name, 'C', 2);
        record.push_back(std::string(name).substr(0, 2));
    }
    table.addRecord(record);
    writeTable(table);
    runLoad();
    ASSERT_TRUE(messages().empty()) << messages()[0];
    const auto stored = loadedTable();
    EXPECT_EQ(stored.columnNames,
              (std::vector<std::string>{"THEDATE", "THETIME", "THEFILE", "THEFORM", "THELINK",
                                        "ABACKUP", "APRIOR", "ALEVEL", "THECOST", "AFACTOR", "DAT",
                                        "COSTS", "DATES", "D"}));
    ASSERT_EQ(stored.rows.size(), 1u);
    EXPECT_EQ(stored.rows[0][0], standin_test::StoredValue("DA"));
}
