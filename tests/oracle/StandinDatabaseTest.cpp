// The read-back helper must see exactly what a table file holds and refuse damaged files.
#include "support/StandinDatabase.h"

#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>

using standin_test::StandinDatabase;
using standin_test::StoredValue;

namespace {

void writeTableFile(const StandinDatabase& database, const std::string& content) {
    std::ofstream(database.databaseFolder() + "/SCOTT/T.tbl", std::ios::binary | std::ios::trunc)
        << content;
}

} // namespace

TEST(StandinDatabaseTest, ReadTableUnescapesEveryByteAndKeepsNullApart) {
    StandinDatabase database;
    database.addTable("scott", "T", {{"A", 6}, {"B", 2}});
    writeTableFile(database, "columns\tA:6\tB:2\n"
                             "a\\\\\\t\\n\\r\\0\t\\N\n"
                             "\\x01\\x7F\xE9 \t\n");
    standin_test::StoredTable table = database.readTable("SCOTT", "T");
    EXPECT_EQ(table.columnNames, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(table.columnWidths, (std::vector<int>{6, 2}));
    ASSERT_EQ(table.rows.size(), 2u);
    EXPECT_EQ(table.rows[0][0], StoredValue(std::string("a\\\t\n\r\0", 6)));
    EXPECT_EQ(table.rows[0][1], std::nullopt);
    EXPECT_EQ(table.rows[1][0], StoredValue("\x01\x7F\xE9 "));
    EXPECT_EQ(table.rows[1][1], StoredValue(""));
    EXPECT_EQ(database.tableNames("SCOTT"), (std::vector<std::string>{"T"}));
}

TEST(StandinDatabaseTest, ReadTableRefusesDamagedFiles) {
    StandinDatabase database;
    database.addTable("SCOTT", "T", {{"A", 2}, {"B", 2}});
    EXPECT_TRUE(database.readTable("SCOTT", "T").rows.empty());
    const char* damaged[] = {
        "columns\tA:2\tB:2\nab\tcd",       // last row without its line feed
        "columns\tA:2\tB:2\nab\n",         // a value missing
        "columns\tA:2\tB:2\nab\tc\\q\n",   // unknown escape
        "columns\tA:2\tB:2\nab\tc\\x4\n",  // short hex escape
        "columns\tA:2\tB:2\nab\tc\\xz1\n", // bad hex digit
        "A:2\tB:2\n",                      // no columns line
    };
    for (const char* content : damaged) {
        writeTableFile(database, content);
        EXPECT_THROW(database.readTable("SCOTT", "T"), std::runtime_error) << content;
    }
    EXPECT_THROW(database.readTable("SCOTT", "NOSUCH"), std::runtime_error);
}
