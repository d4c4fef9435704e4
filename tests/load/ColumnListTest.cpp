// Column names and the CREATE TABLE and INSERT texts.
#include "load/ColumnList.h"
#include "load/ColumnNames.h"
#include "load/TableName.h"
#include "platform/Utf8.h"

#include <gtest/gtest.h>

TEST(ColumnListTest, StatementTextsAreLaidOutExactly) {
    std::vector<Column> columns{{"NAME", 30, {}}, {"THEDATE", 8, {}}, {"SUM", 22, {}}};
    EXPECT_EQ(createTableText("CLIENTS", columns),
              "CREATE TABLE  CLIENTS (NAME VARCHAR2(30 CHAR),THEDATE VARCHAR2(8 CHAR),"
              "SUM VARCHAR2(22 CHAR)                 )");
    EXPECT_EQ(insertText("CLIENTS", 3), "INSERT INTO CLIENTS VALUES( :1 ,:2 ,:3   )");
    EXPECT_EQ(insertText("t", 1), "INSERT INTO t VALUES( :1   )");
    // No fixed buffer: a wide table gets its whole text.
    std::vector<Column> many(150, Column{"LONGNAME10", 1998, {}});
    EXPECT_EQ(createTableText("T", many).size(), 1 + 33 + 150 * (10 + 4 + 17));
    EXPECT_EQ(insertText("T", 150).size(), 1 + 23 + 9 * 4 + 90 * 5 + 51 * 6);
}

TEST(ColumnListTest, TableNameForFileTakesTheNameWithoutFolderDotsReplacedAtMost30Bytes) {
    EXPECT_EQ(tableNameForFile("C:\\DATA\\orders.dbf"), "orders_dbf");
    EXPECT_EQ(tableNameForFile("a.b.dbf"), "a_b_dbf");
    EXPECT_EQ(tableNameForFile("/srv/dbf/x.dbf"), "x_dbf");
    EXPECT_EQ(tableNameForFile("D:clients.DBF"), "clients_DBF");
    EXPECT_EQ(tableNameForFile(std::string(36, 'n') + ".dbf"), std::string(30, 'n'));
    // In UTF-8, at the last whole character within 30 bytes: twelve two-byte letters and
    // five ASCII ones fill 29, and the next letter would make 31.
    std::string zlutoucky;
    for (int letter = 0; letter < 12; ++letter)
        zlutoucky += "\xC5\xBE"; // z-caron
    EXPECT_EQ(tableNameForFile("/data/" + zlutoucky + "abcde\xC5\xBEx.dbf"), zlutoucky + "abcde");
    EXPECT_EQ(tableNameForFile("\xD0\x96" + std::string(28, 'a') + "\xE2\x82\xAC.dbf"),
              "\xD0\x96" + std::string(28, 'a'));
}

TEST(ColumnListTest, Utf8CutsKeepWholeCharacters) {
    const std::string text = "a\xC3\xBC\xE2\x82\xAC"; // a, u-umlaut, euro sign
    const std::size_t wholeAt[] = {0, 1, 1, 3, 3, 3, 6};
    for (std::size_t bytes = 0; bytes <= text.size(); ++bytes)
        EXPECT_EQ(utf8::wholeCharacterPrefix(text.data(), text.size(), bytes), wholeAt[bytes])
            << bytes;
    // A text cut in bytes loses the character it broke, and only that.
    const std::size_t withoutBroken[] = {0, 1, 1, 3, 3, 3, 6};
    for (std::size_t length = 0; length <= text.size(); ++length)
        EXPECT_EQ(utf8::withoutBrokenEnd(text.data(), length), withoutBroken[length]) << length;
    EXPECT_EQ(utf8::withoutBrokenEnd("\xF0\x9F\x98\x80", 4), 4u);
    EXPECT_EQ(utf8::withoutBrokenEnd("\xF0\x9F\x98", 3), 0u);
    // Each length of the encoding at both of its ends, as the Unicode standard writes them.
    const std::pair<char32_t, std::string> encodings[] = {
        {0x7F, "\x7F"},
        {0x80, "\xC2\x80"},
        {0x7FF, "\xDF\xBF"},
        {0x800, "\xE0\xA0\x80"},
        {0xFFFF, "\xEF\xBF\xBF"},
        {0x10000, "\xF0\x90\x80\x80"},
        {0x1F600, "\xF0\x9F\x98\x80"},
        {0x10FFFF, "\xF4\x8F\xBF\xBF"},
    };
    for (const auto& [character, bytes] : encodings) {
        std::string written;
        utf8::append(character, written);
        EXPECT_EQ(written, bytes) << std::hex << static_cast<unsigned long>(character);
        std::size_t at = 0;
        EXPECT_EQ(utf8::next(bytes, at), character);
        EXPECT_EQ(at, bytes.size());
    }
}

TEST(ColumnListTest, FixNamesMakesEveryNameOneOracleTakesOnce) {
    const std::string long31 = "A_NAME_OF_THIRTY_ONE_CHARACTERS";
    const std::string cut30 = long31.substr(0, 30);
    EXPECT_EQ(
        loadableColumnNames({"size", "Order", "rownum", "NESTED_TABLE_ID", "SIZES"}),
        (std::vector<std::string>{"SIZE_", "ORDER_", "ROWNUM_", "NESTED_TABLE_ID_", "SIZES"}));
    // Characters Oracle does not allow, national letters (one "_" for the two bytes of a
    // UTF-8 letter) among them; names that do not start with a letter.
    EXPECT_EQ(loadableColumnNames({"UNIT PRICE", "K\xC3\x96LN", "A-B.C", "PCT%", "$AMT", "#NO",
                                   "_ID", "1ST", "X$Y#Z_1"}),
              (std::vector<std::string>{"UNIT_PRICE", "K_LN", "A_B_C", "PCT_", "F$AMT", "F#NO",
                                        "F_ID", "F1ST", "X$Y#Z_1"}));
    // Names taken before, whatever their case, get the next free number, within 30 bytes.
    EXPECT_EQ(
        loadableColumnNames({"Z600701190", "Z600701190", "z600701190", "Z600701190_2", long31,
                             cut30, "A_B", "A B"}),
        (std::vector<std::string>{"Z600701190", "Z600701190_2", "Z600701190_3", "Z600701190_2_2",
                                  cut30, cut30.substr(0, 28) + "_2", "A_B", "A_B_2"}));
    EXPECT_TRUE(isOracleReservedWord("varchar2"));
    EXPECT_FALSE(isOracleReservedWord("VARCHAR3"));
    EXPECT_EQ(loadableColumnNames({""}), std::vector<std::string>{"F"});
}
