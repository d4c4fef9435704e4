// Whole loads of Visual FoxPro and DOS tables: every value of a table another program wrote,
// the hidden system field left out, NULLs, and text converted from the code page the file
// names.
#include "load/LoadJobHarness.h"

#include "support/ForeignTables.h"

#include <string>

namespace {

using standin_test::StoredValue;

// Puts a table made by make_tables.py where the job loads it from.
void copyForeignTable(const std::string& name, const std::string& dbfPath,
                      const std::string& memoPath) {
    ASSERT_TRUE(writeFileBytes(dbfPath, readFileBytes(foreignTablePath(name + ".dbf"))));
    ASSERT_TRUE(writeFileBytes(memoPath, readFileBytes(foreignTablePath(name + ".FPT"))));
}

// An empty text arrives as NULL; a memo's 1999 characters are cut at its column's 1998.
std::vector<StoredValue> storedRow(const std::vector<std::string>& texts) {
    std::vector<StoredValue> row;
    for (const std::string& text : texts)
        row.push_back(text.empty() ? StoredValue() : StoredValue(text.substr(0, 1998)));
    return row;
}

} // namespace

TEST_F(LoadJobTest, VisualFoxProTableInWindows1252LoadsEveryValue) {
    copyForeignTable("vfp1252", dbfPath, folder.path("clients.FPT"));
    ASSERT_EQ(readFileBytes(dbfPath).size(), readFileBytes(foreignTablePath("vfp1252.dbf")).size())
        << "run the test from its build folder";
    runLoad();
    ASSERT_TRUE(messages().empty()) << messages()[0];

    auto stored = loadedTable();
    EXPECT_EQ(stored.columnNames,
              (std::vector<std::string>{"NAME", "PRICE", "STAMP", "RATE", "COUNT", "AMOUNT",
                                        "WEIGHT", "BORN", "OK", "NOTES", "PHOTO", "PIC"}));
    EXPECT_EQ(stored.columnWidths, (std::vector<int>{24, 22, 14, 24, 12, 10, 8, 8, 1, 1998, 4, 4}));
    // The file's own code page is the database's here: every letter arrives as stored, and
    // the general and picture fields, which hold no text, as NULL.
    std::vector<std::vector<StoredValue>> expected;
    for (const auto& texts : visualFoxProTexts())
        expected.push_back(storedRow(texts));
    EXPECT_EQ(stored.rows, expected);
}

TEST_F(LoadJobTest, DosTableInCodePage850ArrivesInTheDatabasesCodePage) {
    copyForeignTable("fox850", dbfPath, folder.path("clients.FPT"));
    runLoad();
    ASSERT_TRUE(messages().empty()) << messages()[0];
    auto stored = loadedTable();
    ASSERT_EQ(stored.rows.size(), 2u);
    // The same letters in code page 1252; code page 437 holds most of them elsewhere or not.
    auto padded = [](const std::string& text, std::size_t width) {
        return text + std::string(width - text.size(), ' ');
    };
    EXPECT_EQ(stored.rows[0],
              storedRow({padded("\xC6r\xF8 \xE3\xC1\xF0\xDA\xDF", 24),
                         padded("Sm\xF8rrebr\xF8"
                                "d",
                                16),
                         padded("\xD8 \xF8 \xCA \xCD \xCE \xCF \xCC \xD3 \xD4 \xD2 \xF5 \xD5 \xB5 "
                                "\xFE \xDE \xDD \xFD \xA4 \xAE \xA9",
                                1998)}));
    EXPECT_EQ(stored.rows[1],
              storedRow({padded("Caf\xE9 Z\xFCrich", 24), padded("A\xF1o", 16),
                         padded("\xE9 \xFC \xF1 \xE7 \xC7 \xE4 \xF6 \xC4 \xD6 \xC5", 1998)}));
}

TEST_F(LoadJobTest, NullFlagsAreNoColumnAndTheirBitsMakeNulls) {
    DbfWriter table;
    table.addField("NAME", 'C', 6, 0, 0x02)
        .addField("NOTE", 'V', 8, 0, 0x02)
        .addField("PRICE", 'Y', 8, 4)
        .addField("STAMP", 'T', 8, 0, 0x02)
        .addField("_NullFlags", '0', 1, 0, 0x05);
    table.setContainerArea("").setLanguageDriver(0x03);
    const std::string noon = uint32Bytes(2451545) + uint32Bytes(43200000);
    // Bits: NAME null 0, NOTE length 1 and null 2, STAMP null 3.
    table.addRecord(
        {"Ren\xE9", std::string("abc\0\0\0\0\x03", 8), int64Bytes(-15000), noon, "\x02"});
    table.addRecord({"x", "12345678", int64Bytes(0), noon, "\x0D"});
    writeTable(table);
    runLoad();
    ASSERT_TRUE(messages().empty()) << messages()[0];

    auto stored = loadedTable();
    EXPECT_EQ(stored.columnNames, (std::vector<std::string>{"NAME", "NOTE", "PRICE", "STAMP"}));
    EXPECT_EQ(stored.columnWidths, (std::vector<int>{6, 8, 22, 14}));
    ASSERT_EQ(stored.rows.size(), 2u);
    EXPECT_EQ(stored.rows[0],
              storedRow({"Ren\xE9  ", "abc", "-1.5000               ", "20000101120000"}));
    EXPECT_EQ(stored.rows[1], storedRow({"", "", "0.0000                ", ""}));
}

TEST_F(LoadJobTest, TheFilesCodePageOrElseTheOemOneIsConverted) {
    struct Case {
        std::uint8_t languageDriver;
        std::string stored;
        std::string loaded;
    };
    const Case cases[] = {
        // Code page 437 named, an id nobody knows, and none: all read as the OEM code page.
        {0x01, "Z\x81rich", "Z\xFCrich  "},
        {0xEE, "Z\x81rich", "Z\xFCrich  "},
        {0x00, "Z\x81rich", "Z\xFCrich  "},
        // Code page 1252 in a database of its own set: every byte as it was, the one it leaves
        // undefined too.
        {0x03, "Z\x81rich", "Z\x81rich  "},
        // Shift-JIS and code page 1250 decoded: hiragana, and A-ogonek and l-stroke, are not
        // in code page 1252 and arrive as Oracle's replacement; A-acute is.
        {0x7B, "\x82\xA0\x82\xA2", "\xBF\xBF    "},
        {0xC8, "\xC1\xA5\xB3", "\xC1\xBF\xBF     "},
    };
    int load = 0;
    for (const Case& c : cases) {
        DbfWriter table;
        table.addField("CITY", 'C', 8).setLanguageDriver(c.languageDriver);
        table.addRecord({c.stored});
        writeTable(table);
        request.tableName = "CITIES" + std::to_string(load++);
        runLoad();
        ASSERT_TRUE(messages().empty()) << messages()[0];
        auto stored = loadedTable(request.tableName);
        ASSERT_EQ(stored.rows.size(), 1u);
        EXPECT_EQ(stored.rows[0][0], c.loaded) << "language driver " << int{c.languageDriver};
    }
}
