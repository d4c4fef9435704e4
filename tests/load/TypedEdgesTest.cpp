// Typed loads at the edges of their values, as the database stores them: memos of national
// text at every length, the last day of every month and the day after it, and every byte a
// logical field can hold.
#include "load/LoadJobHarness.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using standin_test::StoredValue;

constexpr std::uint8_t kWindows1252 = 0x03;
constexpr std::uint8_t kShiftJis = 0x7B;

// A memo of `characters` characters, each one of `pattern` in turn: the file's bytes and the
// UTF-8 text they stand for.
struct NationalMemo {
    std::string bytes;
    std::string utf8;
};

struct Character {
    std::string bytes;
    std::string utf8;
};

NationalMemo nationalMemo(std::size_t characters, const std::vector<Character>& pattern) {
    NationalMemo memo;
    for (std::size_t at = 0; at < characters; ++at) {
        const Character& character = pattern[at % pattern.size()];
        memo.bytes += character.bytes;
        memo.utf8 += character.utf8;
    }
    return memo;
}

std::vector<StoredValue> columnOf(const standin_test::StoredTable& table, std::size_t column) {
    std::vector<StoredValue> values;
    for (const auto& row : table.rows)
        values.push_back(row.at(column));
    return values;
}

} // namespace

TEST_F(LoadJobTest, TypedMemosOfNationalTextArriveWholeAtEveryLength) {
    database.setCharacterSet("AL32UTF8");
    request.options.typedColumns = true;
    // Code page 1252: the euro sign (three bytes in UTF-8) and e-acute (two); code page 932:
    // half-width katakana a (one byte, three in UTF-8) and hiragana a (two bytes, three).
    const std::vector<Character> windows1252 = {{"\x80", "\xE2\x82\xAC"}, {"\xE9", "\xC3\xA9"}};
    const std::vector<Character> shiftJis = {{"\xB1", "\xEF\xBD\xB1"},
                                             {"\x82\xA0", "\xE3\x81\x82"}};
    struct Case {
        const char* tableName;
        std::uint8_t languageDriver;
        const std::vector<Character>& pattern;
    };
    // Lengths around a VARCHAR2's 4000 bytes, a flat bind's 32,767 and two-byte lengths'
    // 65,535, in characters of three bytes and of two.
    const std::size_t lengths[] = {1,     1333,  1334,  1999,  2001,  10922,
                                   10923, 16384, 21845, 21846, 32768, 40000};
    for (const Case& test :
         {Case{"WESTERN", kWindows1252, windows1252}, Case{"JAPANESE", kShiftJis, shiftJis}}) {
        SCOPED_TRACE(test.tableName);
        FptWriter memos(64);
        DbfWriter table;
        table.setContainerArea("").setLanguageDriver(test.languageDriver);
        table.addField("ID", 'N', 6).addField("NOTES", 'M', 4);
        std::vector<StoredValue> expected;
        for (std::size_t characters : lengths) {
            const NationalMemo memo = nationalMemo(characters, test.pattern);
            table.addRecord({std::to_string(characters), uint32Bytes(memos.addMemo(memo.bytes))});
            expected.push_back(memo.utf8);
        }
        writeTable(table);
        writeMemos(memos);
        request.tableName = test.tableName;
        runLoad();
        ASSERT_TRUE(messages().empty()) << messages()[0];
        // Nothing was cut, nothing loaded as NULL: no line between the import and its end.
        const std::vector<std::string> lines = statusLines();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[lines.size() - 2],
                  "Importing file into table " + std::string(test.tableName) + "..");
        EXPECT_EQ(lines.back(), "Loading completed. 12 records processed.");
        const std::vector<StoredValue> stored = columnOf(loadedTable(test.tableName), 1);
        ASSERT_EQ(stored.size(), expected.size());
        for (std::size_t at = 0; at < expected.size(); ++at)
            EXPECT_TRUE(stored[at] == expected[at])
                << lengths[at] << " characters: " << (stored[at] ? stored[at]->size() : 0)
                << " bytes stored, " << expected[at]->size() << " sent";
    }
}

TEST_F(LoadJobTest, TypedDatesOfEveryMonthsLastDayAndLogicalsOfEveryByte) {
    request.options.typedColumns = true;
    // The last day of each month of 2023 and the day after it, and 29 February of two leap
    // years and two century years that are none.
    const unsigned lastDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    DbfWriter dates;
    dates.addField("BORN", 'D', 8);
    std::vector<StoredValue> expected;
    for (unsigned month = 1; month <= 12; ++month) {
        char text[16];
        std::snprintf(text, sizeof text, "2023%02u%02u", month, lastDays[month - 1]);
        dates.addRecord({text});
        char stored[32];
        std::snprintf(stored, sizeof stored, "2023-%02u-%02u 00:00:00", month, lastDays[month - 1]);
        expected.push_back(std::string(stored));
        std::snprintf(text, sizeof text, "2023%02u%02u", month, lastDays[month - 1] + 1);
        dates.addRecord({text});
        expected.push_back(StoredValue());
    }
    for (const char* leap : {"20240229", "20000229"}) {
        dates.addRecord({leap});
        expected.push_back(std::string(leap, 4) + "-02-29 00:00:00");
    }
    for (const char* none : {"19000229", "21000229"}) {
        dates.addRecord({none});
        expected.push_back(StoredValue());
    }
    writeTable(dates);
    request.tableName = "DATES";
    runLoad();
    ASSERT_TRUE(messages().empty()) << messages()[0];
    std::vector<std::string> lines = statusLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "14 values could not be read as their columns' types and "
                                       "were loaded as NULL: BORN 14.");
    EXPECT_EQ(columnOf(loadedTable("DATES"), 0), expected);

    // A blank, '?' and a zero byte are no value yet; T, t, Y and y are true, F, f, N and n
    // false; every other byte is no logical, loaded as NULL and counted.
    DbfWriter logicals;
    logicals.addField("OK", 'L', 1);
    expected.clear();
    const std::string yes = "TtYy", no = "FfNn";
    for (unsigned byte = 0; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        logicals.addRecord({std::string(1, c)});
        if (yes.find(c) != std::string::npos)
            expected.push_back(std::string("T"));
        else if (no.find(c) != std::string::npos)
            expected.push_back(std::string("F"));
        else
            expected.push_back(StoredValue());
    }
    writeTable(logicals);
    request.tableName = "LOGICALS";
    runLoad();
    ASSERT_TRUE(messages().empty()) << messages()[0];
    lines = statusLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "245 values could not be read as their columns' types and "
                                       "were loaded as NULL: OK 245.");
    EXPECT_EQ(columnOf(loadedTable("LOGICALS"), 0), expected);
}

TEST_F(LoadJobTest, ANumberFieldWithMoreDecimalsThanOracleTakesStillMakesItsColumn) {
    // A descriptor may claim up to 255 decimals; Oracle's NUMBER takes a scale of at most 127
    // (ORA-01728 beyond it), so the column has that, and the table is made.
    DbfWriter table;
    table.addField("RATE", 'N', 20, 200).addField("NAME", 'C', 4);
    table.addRecord({"0", "zero"});
    writeTable(table);
    request.options.typedColumns = true;
    runLoad();
    ASSERT_EQ(result.outcome, LoadJob::Outcome::Completed) << statusLines().back();
    const auto stored = loadedTable();
    ASSERT_EQ(stored.columnTypes.size(), 2u);
    const std::string& type = stored.columnTypes[0];
    EXPECT_EQ(type.substr(type.find(',')), ",127)") << type;
    EXPECT_EQ(stored.rows, (std::vector<std::vector<StoredValue>>{{"0", "zero"}}));
}

TEST_F(LoadJobTest, ATableOfMemosAloneLoadsTyped) {
    // Every column is a LOB, so the first bound is one too.
    FptWriter memos(64);
    DbfWriter table;
    table.setContainerArea("").setLanguageDriver(kWindows1252);
    table.addField("NOTES", 'M', 4).addField("PICTURE", 'G', 4);
    // Bytes a code page would turn into other ones stay as they are in a BLOB.
    table.addRecord(
        {uint32Bytes(memos.addMemo("first note")), uint32Bytes(memos.addMemo("\x01\x02\xFF\x80"))});
    table.addRecord({uint32Bytes(memos.addMemo("second note")), uint32Bytes(0)});
    writeTable(table);
    writeMemos(memos);
    request.options.typedColumns = true;
    runLoad();
    ASSERT_EQ(result.outcome, LoadJob::Outcome::Completed) << statusLines().back();
    const auto stored = loadedTable();
    EXPECT_EQ(stored.columnTypes, (std::vector<std::string>{"CLOB", "BLOB"}));
    EXPECT_EQ(stored.rows, (std::vector<std::vector<StoredValue>>{{"first note", "0102FF80"},
                                                                  {"second note", StoredValue()}}));
}

TEST_F(LoadJobTest, ARecordsBytesOfOneByteLoadTypedAsThatByte) {
    // A one-byte varbinary field: a value of one byte is a value, not NULL.
    DbfWriter table;
    table.setContainerArea("").setLanguageDriver(kWindows1252);
    table.addField("FLAG", 'Q', 1).addField("NAME", 'C', 2);
    table.addRecord({"\x07", "a"});
    table.addRecord({"\x80", "b"});
    writeTable(table);
    request.options.typedColumns = true;
    runLoad();
    ASSERT_EQ(result.outcome, LoadJob::Outcome::Completed) << statusLines().back();
    const auto stored = loadedTable();
    EXPECT_EQ(stored.columnTypes, (std::vector<std::string>{"BLOB", "VARCHAR2(2 CHAR)"}));
    EXPECT_EQ(stored.rows, (std::vector<std::vector<StoredValue>>{{"07", "a "}, {"80", "b "}}));
}
