// Tables written by another program, Debian's python3-dbf: every value of a Visual FoxPro
// table with each type that program writes, and of a FoxPro DOS table, read as stored. The
// code page conversion happens later, in the load.
#include "TableTexts.h"
#include "support/ForeignTables.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string padded(const std::string& text, std::size_t width) {
    return text + std::string(width - text.size(), ' ');
}

} // namespace

TEST(ForeignTable, VisualFoxProTableInWindows1252) {
    const std::string path = foreignTablePath("vfp1252.dbf");
    DbfTable table;
    ASSERT_TRUE(table.open(path.c_str())) << "run the test from its build folder";
    EXPECT_EQ(1252u, table.codePage());
    ASSERT_EQ(12, table.fieldCount());
    const std::vector<int> widths{24, 22, 14, 24, 12, 10, 8, 8, 1, 1998, 4, 4};
    for (int field = 0; field < 12; ++field)
        EXPECT_EQ(widths[static_cast<std::size_t>(field)], table.fieldWidth(field)) << field;
    table.close();
    EXPECT_EQ(visualFoxProTexts(), tableTexts(path));
}

TEST(ForeignTable, FoxProDosTableInCodePage850) {
    const std::string path = foreignTablePath("fox850.dbf");
    DbfTable table;
    ASSERT_TRUE(table.open(path.c_str())) << "run the test from its build folder";
    EXPECT_EQ(850u, table.codePage());
    table.close();

    // Code page 850 bytes: Æ 92, ø 9B, ã C6, Á B5, ð D0, Ú E9, ß E1, é 82, ü 81, ñ A4.
    const TableRows expected{
        {padded("\x92r\x9B \xC6\xB5\xD0\xE9\xE1", 24),
         padded("Sm\x9Brrebr\x9B"
                "d",
                16),
         padded("\x9D \x9B \xD2 \xD6 \xD7 \xD8 \xDE \xE0 \xE2 \xE3 \xE4 \xE5 \xE6 \xE7 \xE8 \xED "
                "\xEC \xCF \xA9 \xB8",
                1999)},
        {padded("Caf\x82 Z\x81rich", 24), padded("A\xA4o", 16),
         padded("\x82 \x81 \xA4 \x87 \x80 \x84 \x94 \x8E \x99 \x8F", 1999)},
    };
    EXPECT_EQ(expected, tableTexts(path));
}
