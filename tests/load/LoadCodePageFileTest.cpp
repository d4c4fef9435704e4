// The .cpg file shapefile writers put beside a table to name its code page, and the code page
// a load is told to read in: which wins, and what a load says of a .cpg it cannot follow.
#include "load/LoadJobHarness.h"

#include <filesystem>
#include <string>
#include <vector>

namespace {

// Moskva in UTF-8, as the database stores it.
const std::string kMoskva = "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0";

DbfWriter cityTable(const std::string& city, std::uint8_t languageDriver = 0) {
    DbfWriter table;
    table.setLanguageDriver(languageDriver).addField("CITY", 'C', 16).addRecord({city});
    return table;
}

class CodePageFileTest : public LoadJobTest {
  protected:
    CodePageFileTest() { database.setCharacterSet("AL32UTF8"); }

    // Writes the .cpg under `name` alone, the others of its names removed.
    void writeCodePageFile(const std::string& name, const std::string& text) {
        for (const char* other : {"clients.cpg", "CLIENTS.CPG", "clients.Cpg"})
            std::filesystem::remove(folder.path(other));
        ASSERT_TRUE(writeFileBytes(folder.path(name), ByteImage(text.begin(), text.end())));
    }

    // Loads the table into a table of its own and answers the city, as stored.
    std::string loadedCity(const std::string& tableName) {
        request.tableName = tableName;
        runLoad();
        EXPECT_TRUE(messages().empty()) << messages()[0];
        const auto stored = loadedTable(tableName);
        if (stored.rows.size() != 1)
            return "(" + std::to_string(stored.rows.size()) + " rows)";
        const std::string city = stored.rows[0][0].value_or("NULL");
        return city.substr(0, city.find_last_not_of(' ') + 1);
    }
};

} // namespace

TEST_F(CodePageFileTest, ACpgFileNamesTheCodePageTheHeaderDoesNot) {
    // As GDAL writes UTF-8 text: code page byte 0, and "UTF-8" in the .cpg.
    writeTable(cityTable("Zo\xC3\xAB \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"));
    writeCodePageFile("clients.cpg", "UTF-8");
    EXPECT_EQ(loadedCity("GDAL"), "Zo\xC3\xAB \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");
    // Nothing more is said of a .cpg that is followed.
    EXPECT_EQ(statusLines().size(), 7u);

    // The spellings other writers use, in files named in any case.
    struct Spelling {
        const char* fileName;
        std::string text;
        std::string stored;
        std::string expected;
    };
    const Spelling spellings[] = {
        {"CLIENTS.CPG", "ANSI 1251\r\n", "\xCC\xEE\xF1\xEA\xE2\xE0", kMoskva},
        {"clients.Cpg",
         "\xEF\xBB\xBF"
         "CP1250\n",
         "\x8A\xE1", "\xC5\xA0\xC3\xA1"},
        {"clients.cpg", "88591", "Caf\xE9 \x80", "Caf\xC3\xA9 \xC2\x80"},
        {"clients.cpg", " iso-8859-1 ", "Caf\xE9 \x80", "Caf\xC3\xA9 \xC2\x80"},
        {"clients.cpg", "KOI8-R", "\xED\xCF\xD3\xCB\xD7\xC1", kMoskva},
        // Baltic S caron and a ogonek; Turkish dotted I and s cedilla; the euro sign.
        {"clients.cpg", "ISO 8859-13", "\xD0\xE0", "\xC5\xA0\xC4\x85"},
        {"clients.cpg", "8859-9", "\xDD\xFE", "\xC4\xB0\xC5\x9F"},
        {"clients.cpg", "885915", "\xA4", "\xE2\x82\xAC"},
        {"clients.cpg", "UTF8", "Zo\xC3\xAB", "Zo\xC3\xAB"},
        {"clients.cpg", "LDID/38", "\x8C\xAE\xE1\xAA\xA2\xA0", kMoskva},
    };
    int run = 0;
    for (const Spelling& spelling : spellings) {
        SCOPED_TRACE(spelling.text);
        writeTable(cityTable(spelling.stored));
        writeCodePageFile(spelling.fileName, spelling.text);
        EXPECT_EQ(loadedCity("T" + std::to_string(run++)), spelling.expected);
    }
}

TEST_F(CodePageFileTest, TheCpgBesideTheUsersFileServesALoadFromARepairedCopy) {
    DbfWriter table = cityTable("\xCC\xEE\xF1\xEA\xE2\xE0");
    table.setDisplacements({0});
    writeTable(table);
    writeCodePageFile("clients.cpg", "1251");
    EXPECT_EQ(loadedCity("COPIED"), kMoskva);
    EXPECT_EQ(statusLines()[1], "Header not formatted propely. Loading from copy of file.. ");
}

TEST_F(CodePageFileTest, TheHeaderWinsOverTheCpgTheLoadsCodePageOverNeitherUnlessForced) {
    // Code page 866 in the header; the .cpg says otherwise.
    writeTable(cityTable("\x8C\xAE\xE1\xAA\xA2\xA0", 0x26));
    writeCodePageFile("clients.cpg", "UTF-8");
    EXPECT_EQ(loadedCity("HEADER"), kMoskva);
    request.options.codePage = 1251;
    EXPECT_EQ(loadedCity("NAMED"), kMoskva);
    // Forced, the load's code page is every file's: the same bytes read in 1251.
    const std::string in1251 = "\xD0\x8A\xC2\xAE\xD0\xB1\xD0\x84\xD1\x9E\xC2\xA0";
    request.options.forceCodePage = true;
    EXPECT_EQ(loadedCity("FORCED"), in1251);
    writeTable(cityTable("\x8C\xAE\xE1\xAA\xA2\xA0"));
    EXPECT_EQ(loadedCity("FORCEDOVERCPG"), in1251);

    // A file that names none anywhere takes the load's code page without forcing.
    std::filesystem::remove(folder.path("clients.cpg"));
    request.options.forceCodePage = false;
    EXPECT_EQ(loadedCity("NONE"), in1251);
    // And the .cpg comes before it.
    writeCodePageFile("clients.cpg", "866");
    EXPECT_EQ(loadedCity("CPG"), kMoskva);
}

TEST_F(CodePageFileTest, ACpgThatNamesNoKnownCodePageIsSaidAndTheTextReadAsWithoutOne) {
    // u umlaut and Theta in code page 437, the OEM code page a load falls back on here.
    writeTable(cityTable("\x81\xE9"));
    writeCodePageFile("clients.cpg", "KOI8-X\n");
    const std::string cpgName = folder.path("clients.cpg");
    EXPECT_EQ(loadedCity("OEM"), "\xC3\xBC\xCE\x98");
    const std::vector<std::string> lines = statusLines();
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[4], "1 rows in file.");
    EXPECT_EQ(lines[5], "Code page \"KOI8-X\" of " + cpgName +
                            " is unknown, or this system cannot decode it: the text is read in "
                            "code page 437.");

    // The load's code page stands in; bytes a person cannot read are not shown as they are.
    std::string hostile(300, 'A');
    hostile[3] = '\0';
    hostile[5] = '\x1B';
    hostile[7] = '\xE9';
    writeCodePageFile("clients.cpg", hostile);
    request.options.codePage = 866;
    writeTable(cityTable("\x8C\xAE\xE1\xAA\xA2\xA0"));
    EXPECT_EQ(loadedCity("NAMED"), kMoskva);
    EXPECT_EQ(statusLines()[5], "Code page \"AAA?A?A?" + std::string(32, 'A') + "\" of " + cpgName +
                                    " is unknown, or this system cannot decode it: the text is "
                                    "read in code page 866.");
}
