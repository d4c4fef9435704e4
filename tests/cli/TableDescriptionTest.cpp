// marlin-load --describe's text for a table of each dialect: what a load would make of it.
#include "cli/TableDescription.h"

#include "load/LoadJobHarness.h"
#include "platform/CodePage.h"
#include "support/DBase7Writer.h"
#include "support/DbtWriter.h"
#include "support/ForeignTables.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string described(const std::string& path, bool fixNames = false, unsigned codePage = 0) {
    LoadOptions options;
    options.fixNames = fixNames;
    options.codePage = codePage;
    std::string text;
    EXPECT_TRUE(describeTable(path, options, text)) << text;
    return text;
}

} // namespace

TEST(TableDescription, DBase3TablePythonDbfWrote) {
    const std::string path = foreignTablePath("clipper.dbf");
    EXPECT_EQ(described(path),
              "File:           " + path +
                  "\n"
                  "Dialect:        dBase III with memo (version byte 0x83)\n"
                  "Records:        5\n"
                  "Record width:   39 bytes; columns take 2026 characters a row\n"
                  "Code page:      437, named by header byte 29 (0x01)\n"
                  "Memo file:      files/clipper.DBT (DBT, dBase III blocks of 512 bytes)\n"
                  "Header:         sound\n"
                  "Fields:         3\n"
                  "\n"
                  "Field   Type  Length  Decimals  Column  Width  Flags\n"
                  "NAME    C         20         0  NAME       20\n"
                  "AMOUNT  N          8         2  AMOUNT      8\n"
                  "NOTES   M         10         0  NOTES    1998\n");
}

TEST(TableDescription, DBase4TableWithHeaderProblemsAndNoMemoFile) {
    ScratchFolder folder;
    DbfWriter table;
    table.setVersionByte(0x8B).setLanguageDriver(0x1F);
    table.addField("DATE", 'D', 8).addField("ORDER", 'C', 10).addField("NOTES", 'M', 10);
    table.addRecord({"20240615", "first", memoFieldText(1, 10)});
    table.setDisplacements({0, 0, 19}).setRecordCount(3);
    ASSERT_TRUE(table.writeTo(folder.path("orders.dbf")));
    const std::string path = folder.path("orders.dbf");
    const std::string codePage = "852, named by header byte 29 (0x1F)";
    EXPECT_EQ(described(path, true),
              "File:           " + path +
                  "\n"
                  "Dialect:        dBase IV with memo (version byte 0x8B)\n"
                  "Records:        1 (the header says 3; the file holds 1 whole records)\n"
                  "Record width:   29 bytes; columns take 2016 characters a row\n"
                  "Code page:      " +
                  codePage +
                  "\n"
                  "Memo file:      none found (looked for " +
                  folder.path("orders.dbt") +
                  " in any case, and for the other kind)\n"
                  "                records point into it: a load stops before it connects\n"
                  "Header:         2 displacements a load repairs in a working copy:\n"
                  "                field 1 DATE: 0, should be 1\n"
                  "                field 2 ORDER: 0, should be 9\n"
                  "Fields:         3\n"
                  "\n"
                  "Field  Type  Length  Decimals  Column   Width  With --fix-names  Flags\n"
                  "DATE   D          8         0  THEDATE      8  THEDATE\n"
                  "ORDER  C         10         0  ORDER       10  ORDER_\n"
                  "NOTES  M         10         0  NOTES     1998  NOTES\n");
}

TEST(TableDescription, NamesAreDecodedFromTheCodePageALoadWouldRead) {
    ScratchFolder folder;
    DbfWriter table;
    // "ЦЕНА" in code page 866, in a header that names no code page.
    table.setLanguageDriver(0x00).addField("\x96\x85\x8D\x80", 'N', 8, 2);
    ASSERT_TRUE(table.writeTo(folder.path("prices.dbf")));
    const std::string oem = described(folder.path("prices.dbf"));
    EXPECT_NE(oem.find("Code page:      the OEM code page, " +
                       std::to_string(platform::oemCodePage()) +
                       ": header byte 29 (0x00) names none\n"),
              std::string::npos)
        << oem;
    const std::string named = described(folder.path("prices.dbf"), false, 866);
    EXPECT_NE(named.find("Code page:      866, named by --codepage: header byte 29 (0x00) names "
                         "none\n"),
              std::string::npos)
        << named;
    // Columns line up by characters, not by the two bytes of each Cyrillic letter.
    EXPECT_EQ(named.substr(named.find("Field ")),
              "Field  Type  Length  Decimals  Column  Width  Flags\n"
              "\xD0\xA6\xD0\x95\xD0\x9D\xD0\x90   N          8         2  "
              "\xD0\xA6\xD0\x95\xD0\x9D\xD0\x90        8\n");
}

TEST(TableDescription, VisualFoxProFlagsAndDBase7Names) {
    ScratchFolder folder;
    DbfWriter foxPro;
    foxPro.addField("NAME", 'C', 5, 0, 0x02).addField("NOTE", 'V', 6, 0, 0x02);
    foxPro.addField("_NullFlags", '0', 1, 0, 0x05).setContainerArea("").setLanguageDriver(0x03);
    ASSERT_TRUE(foxPro.writeTo(folder.path("fox.dbf")));
    const std::string fox = described(folder.path("fox.dbf"));
    EXPECT_NE(fox.find("Dialect:        Visual FoxPro (version byte 0x30)\n"), std::string::npos);
    EXPECT_NE(fox.find("Memo file:      none found (looked for " + folder.path("fox.fpt")),
              std::string::npos);
    EXPECT_EQ(fox.substr(fox.find("Field ")),
              "Field       Type  Length  Decimals  Column  Width  Flags\n"
              "NAME        C          5         0  NAME        5  nullable (bit 0)\n"
              "NOTE        V          6         0  NOTE        6  nullable (bit 2), length bit 1\n"
              "_NullFlags  0          1         0  -           -  null flags: no column\n");
    // A varchar field that comes first takes the first bit, bit 0.
    DbfWriter varchar;
    varchar.addField("NOTE", 'V', 6).addField("_NullFlags", '0', 1, 0, 0x05).setContainerArea("");
    ASSERT_TRUE(varchar.writeTo(folder.path("varchar.dbf")));
    const std::string first = described(folder.path("varchar.dbf"));
    EXPECT_NE(first.find("\nNOTE        V          6         0  NOTE        6  length bit 0\n"),
              std::string::npos)
        << first;

    DBase7Writer dBase7;
    dBase7.setLanguageDriver(0x57, "DBWINUS0");
    dBase7.addField("CUSTOMER_NUMBER_AS_GIVEN", '+', 4).addField("BALANCE", 'O', 8);
    ASSERT_TRUE(dBase7.writeTo(folder.path("ledger.dbf")));
    const std::string ledger = described(folder.path("ledger.dbf"));
    EXPECT_NE(ledger.find("Dialect:        dBase 7 (version byte 0x04)\n"), std::string::npos);
    EXPECT_NE(ledger.find("Code page:      1252, named by header byte 29 (0x57); language "
                          "driver DBWINUS0\n"),
              std::string::npos);
    EXPECT_EQ(
        ledger.substr(ledger.find("Field ")),
        "Field                     Type  Length  Decimals  Column                    Width  Flags\n"
        "CUSTOMER_NUMBER_AS_GIVEN  +          4         0  CUSTOMER_NUMBER_AS_GIVEN     12\n"
        "BALANCE                   O          8         0  BALANCE                      24\n");

    // A file the reader cannot read gives its message.
    std::string text;
    dBase7.setRecordLength(3);
    ASSERT_TRUE(dBase7.writeTo(folder.path("bad.dbf")));
    EXPECT_FALSE(describeTable(folder.path("bad.dbf"), LoadOptions{}, text));
    EXPECT_EQ(text, "Cannot read file: its dBase 7 header does not add up: the fields take 13 "
                    "bytes of a record of 3.");
}

TEST(TableDescription, TypedColumnsAreTheLoadsOwnBesideTheDefaultWidths) {
    ScratchFolder folder;
    DbfWriter foxPro;
    foxPro.addField("PRICE", 'B', 8, 2).addField("PAID", 'Y', 8, 4).addField("SIZE", 'N', 6, 1);
    foxPro.addField("OK", 'L', 1).setContainerArea("").setLanguageDriver(0x03);
    ASSERT_TRUE(foxPro.writeTo(folder.path("prices.dbf")));
    LoadOptions options;
    options.typedColumns = true;
    options.fixNames = true;
    std::string text;
    ASSERT_TRUE(describeTable(folder.path("prices.dbf"), options, text)) << text;
    // Width is the default load's VARCHAR2 (a double's shortest text takes 24 characters,
    // a currency's 22), whatever a typed column binds; N(6,1) holds six digits before the
    // point and one after it.
    EXPECT_EQ(
        text.substr(text.find("Field ")),
        "Field  Type  Length  Decimals  Column  Width  With --typed   With --fix-names  Flags\n"
        "PRICE  B          8         2  PRICE      24  BINARY_DOUBLE  PRICE\n"
        "PAID   Y          8         4  PAID       22  NUMBER(19,4)   PAID\n"
        "SIZE   N          6         1  SIZE        6  NUMBER(7,1)    SIZE_\n"
        "OK     L          1         0  OK          1  CHAR(1)        OK\n");
}

TEST(TableDescription, TheCodePageLineSaysWhichFileOrOptionNamedIt) {
    ScratchFolder folder;
    const std::string path = folder.path("roads.dbf");
    const std::string cpg = folder.path("roads.cpg");
    auto writeCpg = [&](const std::string& text) {
        ASSERT_TRUE(writeFileBytes(cpg, ByteImage(text.begin(), text.end())));
    };
    auto codePageLine = [&](const LoadOptions& options) {
        std::string text;
        EXPECT_TRUE(describeTable(path, options, text)) << text;
        const std::size_t start = text.find("Code page:      ");
        return start == std::string::npos
                   ? text
                   : text.substr(start + 16, text.find('\n', start) - start - 16);
    };
    DbfWriter table;
    table.addField("NAME", 'C', 8);
    ASSERT_TRUE(table.writeTo(path));
    writeCpg("UTF-8\n");
    LoadOptions options;
    EXPECT_EQ(codePageLine(options),
              "65001, named by " + cpg + " (\"UTF-8\"): header byte 29 (0x00) names none");
    // The .cpg comes before the load's code page, unless the load forces its own.
    options.codePage = 1251;
    EXPECT_EQ(codePageLine(options),
              "65001, named by " + cpg + " (\"UTF-8\"): header byte 29 (0x00) names none");
    options.forceCodePage = true;
    EXPECT_EQ(codePageLine(options),
              "1251, forced by --codepage 1251!; " + cpg + " says \"UTF-8\" (65001)");
    options.forceCodePage = false;
    writeCpg("ISO-8859-77");
    EXPECT_EQ(codePageLine(options), "1251, named by --codepage: header byte 29 (0x00) names "
                                     "none; " +
                                         cpg +
                                         " says \"ISO-8859-77\", which names no code page this "
                                         "system decodes");

    // The header's code page is taken over the .cpg's.
    table.setLanguageDriver(0xC9);
    ASSERT_TRUE(table.writeTo(path));
    writeCpg("1250");
    EXPECT_EQ(codePageLine(LoadOptions{}),
              "1251, named by header byte 29 (0xC9); " + cpg + " says \"1250\" (1250)");
}

TEST(TableDescription, RecordsTheHeaderDoesNotCountAreNamed) {
    ScratchFolder folder;
    DbfWriter table;
    table.addField("NAME", 'C', 8).addRecord({"a"}).addRecord({"b"}).addRecord({"c"});
    table.setRecordCount(1);
    ASSERT_TRUE(table.writeTo(folder.path("more.dbf")));
    EXPECT_NE(described(folder.path("more.dbf"))
                  .find("Records:        1 (the file holds 3 whole records; a load reads the "
                        "ones the header counts)\n"),
              std::string::npos);
    table.setRecordCount(5);
    ASSERT_TRUE(table.writeTo(folder.path("fewer.dbf")));
    EXPECT_NE(described(folder.path("fewer.dbf"))
                  .find("Records:        3 (the header says 5; the file holds 3 whole records)\n"),
              std::string::npos);
}
