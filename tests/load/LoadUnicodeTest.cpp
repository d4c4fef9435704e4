// Whole loads whose text reaches Oracle in UTF-8: every character of eight code pages, names
// and credentials with national letters, the code page a load names, the values cut to fit
// their columns and the line that says so, and a client that refuses AL32UTF8.
#include "load/LoadJobHarness.h"

#include "support/CodePageCharacters.h"

#include <string>
#include <vector>

namespace {

using standin_test::StoredValue;

constexpr std::size_t kTextBytes = 60;
constexpr std::size_t kMemoCharacters = 1998;

// The file and what each database stores for it: one record per run of characters that fits
// a C(60) field, the same run as its memo.
struct CodePageTable {
    DbfWriter table;
    FptWriter memos{64};
    std::vector<std::vector<StoredValue>> inUtf8;
    std::vector<std::vector<StoredValue>> in1252;
};

CodePageTable codePageTable(unsigned codePage, const std::vector<CodePageCharacter>& characters) {
    CodePageTable made;
    made.table.addField("TEXT", 'C', static_cast<int>(kTextBytes)).addField("NOTES", 'M', 10);
    made.table.setLanguageDriver(languageDriverOf(codePage));
    std::string bytes, utf8, windows1252;
    auto addRecord = [&] {
        const std::size_t blanks = kTextBytes - bytes.size();
        made.table.addRecord({bytes, memoFieldText(made.memos.addMemo(bytes), 10)});
        // A memo is padded to its column's characters: one a byte of the file.
        const std::size_t memoBlanks = kMemoCharacters - bytes.size();
        made.inUtf8.push_back(
            {utf8 + std::string(blanks, ' '), utf8 + std::string(memoBlanks, ' ')});
        made.in1252.push_back(
            {windows1252 + std::string(blanks, ' '), windows1252 + std::string(memoBlanks, ' ')});
        bytes.clear();
        utf8.clear();
        windows1252.clear();
    };
    for (const CodePageCharacter& character : characters) {
        if (bytes.size() + character.bytes.size() > kTextBytes)
            addRecord();
        bytes += character.bytes;
        utf8 += character.utf8;
        windows1252 += character.windows1252;
    }
    addRecord();
    return made;
}

// The one line that ends a load whose committed rows lost characters.
std::vector<std::string> linesBeforeTheLast(const std::vector<std::string>& lines,
                                            std::size_t count) {
    if (lines.size() < count + 1)
        return {};
    return std::vector<std::string>(lines.end() - static_cast<long>(count) - 1, lines.end() - 1);
}

} // namespace

TEST_F(LoadJobTest, EveryCharacterOfEightCodePagesArrivesAsPythonDecodesIt) {
    const auto characters = codePageCharacters();
    ASSERT_EQ(characters.size(), 8u) << "files/code-page-characters.txt is missing";
    for (const char* characterSet : {"AL32UTF8", "WE8MSWIN1252"}) {
        database.setCharacterSet(characterSet);
        for (const auto& [codePage, list] : characters) {
            SCOPED_TRACE("code page " + std::to_string(codePage) + " into " + characterSet);
            CodePageTable made = codePageTable(codePage, list);
            writeTable(made.table);
            writeMemos(made.memos);
            request.tableName = std::string("CP") + characterSet[0] + std::to_string(codePage);
            runLoad();
            ASSERT_TRUE(messages().empty()) << messages()[0];
            EXPECT_EQ(statusLines().back(), "Loading completed. " +
                                                std::to_string(made.inUtf8.size()) +
                                                " records processed.");
            const auto stored = loadedTable(request.tableName);
            const auto& expected = characterSet[0] == 'A' ? made.inUtf8 : made.in1252;
            ASSERT_EQ(stored.rows.size(), expected.size());
            for (std::size_t row = 0; row < expected.size(); ++row)
                EXPECT_EQ(stored.rows[row], expected[row]) << "record " << row;
        }
    }
}

TEST_F(LoadJobTest, NamesCredentialsAndFieldNamesWithNationalLettersArriveInUtf8) {
    database.setCharacterSet("AL32UTF8");
    database.addUser("M\xC3\x9CLLER", "Gr\xC3\xBC\xC3\x9F"
                                      "e1");
    // Field names in the file's code page 866: NAME and CITY in Russian.
    DbfWriter table;
    table.addField("\x88\x8C\x9F", 'C', 4).addField("\x83\x8E\x90\x8E\x84", 'C', 6);
    table.setLanguageDriver(0x65);
    table.addRecord({"\x8F\xA5\xE2\xE0", "\x8C\xAE\xE1\xAA\xA2\xA0"});
    writeTable(table);
    request.tableName = "PR\xC3\x9C"
                        "FUNG";
    request.userName = "M\xC3\x9CLLER";
    request.password = "Gr\xC3\xBC\xC3\x9F"
                       "e1";
    runLoad();
    ASSERT_TRUE(messages().empty()) << messages()[0];
    EXPECT_EQ(statusLines()[5], "Importing file into table PR\xC3\x9C"
                                "FUNG..");
    const auto stored = database.readTable("M\xC3\x9CLLER", "PR\xC3\x9C"
                                                            "FUNG");
    EXPECT_EQ(stored.columnNames, (std::vector<std::string>{"\xD0\x98\xD0\x9C\xD0\xAF",
                                                            "\xD0\x93\xD0\x9E\xD0\xA0\xD0\x9E"
                                                            "\xD0\x94"}));
    ASSERT_EQ(stored.rows.size(), 1u);
    EXPECT_EQ(stored.rows[0],
              (std::vector<StoredValue>{"\xD0\x9F\xD0\xB5\xD1\x82\xD1\x80",
                                        "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0"}));

    // The existence query finds the table by the name it has in the database.
    runLoad();
    EXPECT_EQ(messages(),
              std::vector<std::string>{"Object with this name already exists. Enter other table "
                                       "name."});
}

TEST_F(LoadJobTest, ACodePageNamedForTheLoadWinsOverTheHeaders) {
    database.setCharacterSet("AL32UTF8");
    // A DOS table in code page 866 whose header names none.
    DbfWriter table;
    table.addField("CITY", 'C', 6);
    table.addRecord({"\x8C\xAE\xE1\xAA\xA2\xA0"});
    writeTable(table);
    runLoad();
    // Read as the OEM code page 437: box drawing and letters of other languages.
    EXPECT_EQ(loadedTable().rows[0][0], "\xC3\xAE\xC2\xAB\xC3\x9F\xC2\xAC\xC3\xB3\xC3\xA1");
    request.tableName = "CITIES";
    request.options.codePage = 866;
    runLoad();
    request.options.codePage = 0;
    ASSERT_TRUE(messages().empty()) << messages()[0];
    EXPECT_EQ(loadedTable("CITIES").rows[0][0], "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0");
}

TEST_F(LoadJobTest, ValuesCutToFitTheirColumnsAreCountedBeforeTheLastLine) {
    database.setCharacterSet("AL32UTF8");
    // Box-drawing lines take three bytes: 1998 of them do not fit the 4000 a value may have.
    FptWriter memos(64);
    const std::uint32_t lines = memos.addMemo(std::string(1998, '\xC4'));
    const std::uint32_t tooLong = memos.addMemo(std::string(2500, 'x'));
    const std::uint32_t fits = memos.addMemo(std::string(1300, '\xC4'));
    writeMemos(memos);
    DbfWriter table;
    table.addField("NAME", 'C', 10).addField("NOTES", 'M', 10).addField("MORE", 'M', 10);
    table.addRecord({"cut", memoFieldText(lines, 10), memoFieldText(tooLong, 10)});
    table.addRecord({"kept", memoFieldText(fits, 10), ""});
    table.addRecord({"cut", memoFieldText(lines, 10), ""});
    writeTable(table);
    runLoad();
    ASSERT_TRUE(messages().empty()) << messages()[0];
    EXPECT_EQ(linesBeforeTheLast(statusLines(), 1),
              std::vector<std::string>{"3 values were cut to fit their columns: NOTES, MORE."});
    const auto stored = loadedTable();
    ASSERT_EQ(stored.rows.size(), 3u);
    EXPECT_EQ(stored.rows[0][1]->size(), 3999u); // 1333 whole lines
    EXPECT_EQ(*stored.rows[0][2], std::string(1998, 'x'));
    EXPECT_EQ(stored.rows[1][1]->size(), 4000u); // every line, and the blanks that fit
    EXPECT_EQ(stored.rows[1][1]->substr(3900), std::string(100, ' '));

    // Only rows that reached the table count: of 1000 rows a batch (five memos), the second
    // batch fails and is rolled back.
    DbfWriter many;
    many.addField("NOTES", 'M', 10);
    for (int memo = 2; memo <= 5; ++memo)
        many.addField("NOTES" + std::to_string(memo), 'M', 10);
    many.addField("NAME", 'C', 10);
    for (int record = 0; record < 2500; ++record)
        many.addRecord({memoFieldText(record % 2 == 0 ? lines : fits, 10)});
    writeTable(many);
    request.tableName = "MANY";
    failWith("insert#2=1653");
    runLoad();
    failWith("");
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(linesBeforeTheLast(statusLines(), 1),
              std::vector<std::string>{"500 values were cut to fit their columns: NOTES."});
    EXPECT_EQ(loadedTable("MANY").rows.size(), 1000u);

    // A stop after the first batch: the user's line is the dialog's, the job's comes after.
    request.tableName = "STOPPED";
    onEvent = [this](const JobEvent& event) {
        if (event.text == "Commit point reached. 1000 rows imported..")
            stop.clear();
    };
    runLoad();
    onEvent = nullptr;
    EXPECT_EQ(statusLines().back(), "500 values were cut to fit their columns: NOTES.");
    EXPECT_EQ(loadedTable("STOPPED").rows.size(), 1000u);

    // One value, and a load that cut nothing keeps its log as it was.
    DbfWriter one;
    one.addField("NOTES", 'M', 10).addRecord({memoFieldText(lines, 10)});
    writeTable(one);
    request.tableName = "ONE";
    runLoad();
    EXPECT_EQ(linesBeforeTheLast(statusLines(), 1),
              std::vector<std::string>{"1 value was cut to fit its column: NOTES."});
    DbfWriter none;
    none.addField("NOTES", 'M', 10).addRecord({memoFieldText(fits, 10)});
    writeTable(none);
    request.tableName = "NONE";
    runLoad();
    EXPECT_EQ(linesBeforeTheLast(statusLines(), 1),
              std::vector<std::string>{"Importing file into table NONE.."});
}

TEST_F(LoadJobTest, ValuesHoldingBytesTheCodePageDoesNotDefineAreCountedBeforeTheLastLine) {
    database.setCharacterSet("AL32UTF8");
    // Code page 1253 leaves 0xAA and 0xD2 undefined (Python's codec refuses both); 0xC1 is
    // capital alpha.
    const std::string alpha = "\xCE\x91";
    const std::string replacement = "\xEF\xBF\xBD";
    FptWriter memos(64);
    const std::uint32_t undefinedMemo = memos.addMemo("\xC1\xAA");
    const std::uint32_t greekMemo = memos.addMemo("\xC1\xC1");
    writeMemos(memos);
    DbfWriter table;
    table.setVersionByte(0xF5).setLanguageDriver(0xCB);
    table.addField("NAME", 'C', 6).addField("CITY", 'C', 6).addField("NOTES", 'M', 10);
    table.addRecord({"\xC1\xAA", "\xC1", memoFieldText(greekMemo, 10)});
    table.addRecord({"ab\xD2", "\xC1\xC1", memoFieldText(undefinedMemo, 10)});
    // A byte after the zero byte that ends a text is no part of its value.
    table.addRecord({"a", std::string("b\0\xAA", 3), ""});
    table.addRecord({"\xAA\xAA", "x", ""});
    writeTable(table);
    for (bool typed : {false, true}) {
        SCOPED_TRACE(typed ? "typed" : "default");
        request.options.typedColumns = typed;
        request.tableName = typed ? "TYPED" : "CLIENTS";
        runLoad();
        ASSERT_TRUE(messages().empty()) << messages()[0];
        EXPECT_EQ(linesBeforeTheLast(statusLines(), 1),
                  std::vector<std::string>{
                      "4 values held bytes code page 1253 does not define: NAME, NOTES."});
        const auto stored = loadedTable(request.tableName);
        ASSERT_EQ(stored.rows.size(), 4u);
        EXPECT_EQ(*stored.rows[0][0], alpha + replacement + "    ");
        EXPECT_EQ(*stored.rows[3][0], replacement + replacement + "    ");
        EXPECT_EQ(stored.rows[1][2]->substr(0, 5), alpha + replacement);
    }
    request.options.typedColumns = false;

    // Only rows that reached the table count: of 1000 rows a batch (five memos), the second
    // batch fails and is rolled back.
    DbfWriter many;
    many.setVersionByte(0xF5).setLanguageDriver(0xCB);
    many.addField("NOTES", 'M', 10);
    for (int memo = 2; memo <= 5; ++memo)
        many.addField("NOTES" + std::to_string(memo), 'M', 10);
    many.addField("NAME", 'C', 10);
    for (int record = 0; record < 2500; ++record)
        many.addRecord({memoFieldText(record % 2 == 0 ? undefinedMemo : greekMemo, 10)});
    writeTable(many);
    request.tableName = "MANY";
    failWith("insert#2=1653");
    runLoad();
    failWith("");
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(
        linesBeforeTheLast(statusLines(), 1),
        std::vector<std::string>{"500 values held bytes code page 1253 does not define: NOTES."});

    // One value; and a load whose every byte is defined keeps its log as it was.
    DbfWriter one;
    one.setLanguageDriver(0xCB);
    one.addField("CITY", 'C', 6).addRecord({"\xC1\xAA"}).addRecord({"\xC1"});
    writeTable(one);
    request.tableName = "ONE";
    runLoad();
    EXPECT_EQ(linesBeforeTheLast(statusLines(), 1),
              std::vector<std::string>{"1 value held bytes code page 1253 does not define: CITY."});
    DbfWriter none;
    none.setLanguageDriver(0xCB);
    none.addField("CITY", 'C', 6).addRecord({"\xC1\xD3"});
    writeTable(none);
    request.tableName = "NONE";
    runLoad();
    EXPECT_EQ(linesBeforeTheLast(statusLines(), 1),
              std::vector<std::string>{"Importing file into table NONE.."});
}

TEST_F(LoadJobTest, AClientThatRefusesAl32Utf8EndsTheLoadWithItsReason) {
    writeTable(wideClientTable(3));
    failWith("environment=12705");
    runLoad();
    const std::string reason =
        "ORA-12705: Cannot access NLS data files or invalid environment specified\n";
    EXPECT_EQ(messages(), std::vector<std::string>{reason});
    EXPECT_EQ(statusLines(),
              (std::vector<std::string>{"Start loading..", "Connecting to Oracle..", reason}));
    EXPECT_TRUE(database.tableNames("SCOTT").empty());
}
