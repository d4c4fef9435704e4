// The names of code pages shapefile writers put in .cpg files, and the reading of such a file
// beside a table.
#include "dbf/CodePageFile.h"
#include "dbf/DbfTable.h"

#include "TempFolder.h"
#include "platform/CodePage.h"
#include "support/DbfWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

TEST(CodePageFile, NamesAreReadInTheSpellingsWritersUse) {
    // Windows' numbers: 28591 + N - 1 for ISO 8859-N, 20866 KOI8-R, 65001 UTF-8.
    const std::pair<const char*, unsigned> names[] = {
        {"UTF-8", 65001},
        {"utf8", 65001},
        {"1252", 1252},
        {"ANSI 1251", 1251},
        {"OEM 866", 866},
        {"CP1250", 1250},
        {"cp-1257", 1257},
        {"windows-1252", 1252},
        {"IBM866", 866},
        {"88591", 28591},
        {"8859-2", 28592},
        {"885915", 28605},
        {"ISO-8859-1", 28591},
        {"iso_8859-5", 28595},
        {"ISO 8859-13", 28603},
        {"KOI8-R", 20866},
        {"koi8-u", 21866},
        {"Big5", 950},
        {"Shift_JIS", 932},
        {"SJIS", 932},
        {"GB2312", 936},
        {"GBK", 936},
        {"EUC-KR", 949},
        {"LDID/87", 1252},
        {"LDID/201", 1251},
        {"437", 437},
        // ISO 8859 parts Windows has no code page for, and what names none at all.
        {"8859-10", 0},
        {"ISO-8859-16", 0},
        {"ISO8859A", 0},
        {"UTF-16", 0},
        {"", 0},
        {"ANSI", 0},
        {"1252a", 0},
        {"65536", 0},
        {"99999999", 0},
        {"LDID/999", 0},
        {"LDID/", 0},
        {"ISO-8859", 0},
        {"0", 0},
    };
    for (const auto& [name, codePage] : names)
        EXPECT_EQ(codePageOfName(name), codePage) << name;
    EXPECT_EQ(codePageOfName("OEM"), platform::oemCodePage());
}

TEST(CodePageFile, TheFirstLineOfTheFileBesideTheTableIsRead) {
    TempFolder folder;
    const std::string table = folder.path("roads.dbf");
    CodePageFile file;
    file.read(table);
    EXPECT_FALSE(file.found());
    EXPECT_EQ(file.codePage(), 0u);

    auto write = [&](const std::string& name, const std::string& text) {
        ASSERT_TRUE(writeFileBytes(folder.path(name), ByteImage(text.begin(), text.end())));
    };
    // A byte-order mark, blanks and a Windows line end around the name; a second line unread.
    write("roads.cpg", "\xEF\xBB\xBF  ANSI 1251 \r\nUTF-8\n");
    file.read(table);
    EXPECT_TRUE(file.found());
    EXPECT_EQ(file.name(), folder.path("roads.cpg"));
    EXPECT_EQ(file.text(), "ANSI 1251");
    EXPECT_EQ(file.codePage(), 1251u);

    // What is no printable ASCII is shown as '?', and only so much of a long line.
    write("roads.cpg", "~Caf\xC3\xA9\t\x7F" + std::string(60, 'x') + "\n");
    file.read(table);
    EXPECT_EQ(file.text(), "~Caf????" + std::string(32, 'x'));
    EXPECT_EQ(file.codePage(), 0u);

    // An empty file is found and names nothing.
    write("roads.cpg", "");
    file.read(table);
    EXPECT_TRUE(file.found());
    EXPECT_EQ(file.text(), "");
    EXPECT_EQ(file.codePage(), 0u);

    // The name in another case than the table's: the extension first, then the whole name.
    // (Windows' file names ignore case: these are one file there.)
    std::filesystem::remove(folder.path("roads.cpg"));
    write("ROADS.CPG", "1250");
#if !defined(_WIN32)
    write("roads.CPG", "UTF-8");
    file.read(table);
    EXPECT_EQ(file.codePage(), 65001u);
    std::filesystem::remove(folder.path("roads.CPG"));
#endif
    file.read(table);
    EXPECT_EQ(file.codePage(), 1250u);

    // The table reads the one beside its source, and forgets it when closed.
    DbfWriter writer;
    writer.addField("NAME", 'C', 4).addRecord({"x"});
    ASSERT_TRUE(writer.writeTo(folder.path("copy.tmp")));
    DbfTable opened;
    ASSERT_TRUE(opened.open(folder.path("copy.tmp").c_str(), table.c_str()));
    EXPECT_EQ(opened.codePageFile().codePage(), 1250u);
    opened.close();
    EXPECT_FALSE(opened.codePageFile().found());
}
