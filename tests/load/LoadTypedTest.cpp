// Whole typed loads: every field type into its own column type, bad values loaded as NULL and
// counted, whole memos through the LOB binds, under German and American NLS settings; and the
// same table loaded untyped as every load was before.
#include "load/LoadJobHarness.h"

#include <cmath>
#include <limits>
#include <string>

namespace {

using standin_test::StoredValue;

constexpr std::uint8_t kWindows1252 = 0x03;
constexpr std::uint32_t kJulian20240305 = 2460375;
constexpr std::uint32_t kMillisecondsPerDay = 86400000;

std::string moment(std::uint32_t julianDay, std::uint32_t milliseconds) {
    return uint32Bytes(julianDay) + uint32Bytes(milliseconds);
}

// A text of `length` characters, the last one national when `national` (é, two bytes in
// UTF-8).
std::string memoText(std::size_t length, bool national = false) {
    std::string text;
    for (std::size_t at = 0; at < length; ++at)
        text += static_cast<char>('a' + at % 26);
    if (national && length > 0)
        text.back() = '\xE9';
    return text;
}

std::string asUtf8(std::string text) {
    const std::size_t at = text.find('\xE9');
    return at == std::string::npos ? text : text.replace(at, 1, "\xC3\xA9");
}

// Visual FoxPro's table of every type but V, in code page 1252, and its memo file.
class TypedTable {
  public:
    TypedTable() {
        table.setContainerArea("").setLanguageDriver(kWindows1252);
        table.addField("NAME", 'C', 8)
            .addField("AMOUNT", 'N', 8, 2)
            .addField("RATIO", 'F', 12, 3)
            .addField("PIECES", 'I', 4)
            .addField("WEIGHT", 'B', 8)
            .addField("PRICE", 'Y', 8)
            .addField("BORN", 'D', 8)
            .addField("SEEN", 'T', 8)
            .addField("OK", 'L', 1)
            .addField("NOTES", 'M', 4)
            .addField("PIC", 'G', 4)
            .addField("STAMP", 'Q', 4);
    }

    // A record; memos are added to the memo file, "none" gives a zero pointer and "damaged"
    // one past the file's end.
    void add(const std::vector<std::string>& values, const std::string& notes,
             const std::string& picture) {
        std::vector<std::string> record = values;
        record.push_back(pointerTo(notes));
        record.push_back(pointerTo(picture));
        record.push_back("ab\xFF\x01");
        table.addRecord(record);
    }

    DbfWriter table;
    FptWriter memos{64};

  private:
    std::string pointerTo(const std::string& memo) {
        if (memo == "none")
            return uint32Bytes(0);
        if (memo == "damaged")
            return uint32Bytes(1000000);
        return uint32Bytes(memos.addMemo(memo));
    }
};

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInfinity = std::numeric_limits<double>::infinity();

TypedTable everyKindOfValue() {
    TypedTable t;
    // Good values of every type.
    t.add({"good", "   12.50", "3.14", int32Bytes(42), doubleBytes(2.5), int64Bytes(123456789),
           "20240305", moment(kJulian20240305, (14 * 3600 + 30 * 60) * 1000), "T"},
          memoText(1998), std::string("\x00\x01\xFFpic", 6));
    // Forms that are numbers, empty values, and values at their edges.
    t.add({"forms", "1.", "  .5", int32Bytes(-7), doubleBytes(-0.0), int64Bytes(-5), "00000000",
           moment(0, 0), "y"},
          "none", "none");
    // One value of each type that is none of it.
    t.add({"bad", "12a", "1-2", int32Bytes(0), doubleBytes(kNaN), int64Bytes(0), "20230231",
           moment(5, 0), "X"},
          "damaged", "damaged");
    t.add({"edge", "********", " 1 2", int32Bytes(2147483647), doubleBytes(1e300),
           int64Bytes(-9223372036854775807LL), "        ", moment(kJulian20240305, 86399500), "?"},
          "", std::string(70000, '\x7F'));
    t.add({"more", "9999999", "+5", int32Bytes(-2147483647 - 1), doubleBytes(-kInfinity),
           int64Bytes(1), "19991231", moment(kJulian20240305, 499), "n"},
          memoText(1999, true), "none");
    t.add({"decimals", "3.14159", "1E5", int32Bytes(1), doubleBytes(0.1), int64Bytes(10000),
           "20000229", moment(kJulian20240305, 500), " "},
          memoText(4001, true), "none");
    t.add({"long", "-0.005", "-2.5e-3", int32Bytes(1), doubleBytes(1), int64Bytes(1), "20240305",
           moment(kJulian20240305, 0), "f"},
          memoText(100000, true), "none");
    return t;
}

std::vector<StoredValue> columnOf(const standin_test::StoredTable& table, std::size_t column) {
    std::vector<StoredValue> values;
    for (const auto& row : table.rows)
        values.push_back(row.at(column));
    return values;
}

const StoredValue null;

std::string repeated(const std::string& text, std::size_t times) {
    std::string all;
    for (std::size_t at = 0; at < times; ++at)
        all += text;
    return all;
}

} // namespace

TEST_F(LoadJobTest, TypedLoadStoresEveryValueAsItsTypeUnderAnyNlsSettings) {
    database.setCharacterSet("AL32UTF8");
    TypedTable t = everyKindOfValue();
    writeTable(t.table);
    writeMemos(t.memos);
    request.options.typedColumns = true;
    for (const char* nlsLang : {"GERMAN_GERMANY.AL32UTF8", "AMERICAN_AMERICA.AL32UTF8"}) {
        SCOPED_TRACE(nlsLang);
        standin_test::StandinDatabase::setEnvironmentVariable("NLS_LANG", nlsLang);
        request.tableName = nlsLang[0] == 'G' ? "GERMAN" : "AMERICAN";
        runLoad();
        ASSERT_TRUE(messages().empty()) << messages()[0];
        const std::vector<std::string> lines = statusLines();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[lines.size() - 2],
                  "10 values could not be read as their columns' types and were loaded as NULL: "
                  "AMOUNT 1, RATIO 2, WEIGHT 2, BORN 1, SEEN 1, OK 1, NOTES 1, PIC 1.");
        EXPECT_EQ(lines.back(), "Loading completed. 7 records processed.");

        const auto stored = loadedTable(request.tableName);
        EXPECT_EQ(stored.columnTypes,
                  (std::vector<std::string>{"VARCHAR2(8 CHAR)", "NUMBER(10,2)", "NUMBER",
                                            "NUMBER(10)", "BINARY_DOUBLE", "NUMBER(19,4)", "DATE",
                                            "DATE", "CHAR(1)", "CLOB", "BLOB", "BLOB"}));
        ASSERT_EQ(stored.rows.size(), 7u);
        // Seven integer digits in N(8,2), as GDAL and R write them, fit NUMBER(10,2).
        EXPECT_EQ(columnOf(stored, 1),
                  (std::vector<StoredValue>{"12.5", "1", null, null, "9999999", "3.14", "-0.01"}));
        EXPECT_EQ(columnOf(stored, 2),
                  (std::vector<StoredValue>{"3.14", "0.5", null, null, "5", "100000", "-0.0025"}));
        EXPECT_EQ(columnOf(stored, 3), (std::vector<StoredValue>{"42", "-7", "0", "2147483647",
                                                                 "-2147483648", "1", "1"}));
        EXPECT_EQ(columnOf(stored, 4),
                  (std::vector<StoredValue>{"2.5", "0", null, "1e+300", null, "0.1", "1"}));
        EXPECT_EQ(columnOf(stored, 5),
                  (std::vector<StoredValue>{"12345.6789", "-0.0005", "0", "-922337203685477.5807",
                                            "0.0001", "1", "0.0001"}));
        EXPECT_EQ(columnOf(stored, 6),
                  (std::vector<StoredValue>{"2024-03-05 00:00:00", null, null, null,
                                            "1999-12-31 00:00:00", "2000-02-29 00:00:00",
                                            "2024-03-05 00:00:00"}));
        EXPECT_EQ(columnOf(stored, 7),
                  (std::vector<StoredValue>{"2024-03-05 14:30:00", null, null,
                                            "2024-03-06 00:00:00", "2024-03-05 00:00:00",
                                            "2024-03-05 00:00:01", "2024-03-05 00:00:00"}));
        EXPECT_EQ(columnOf(stored, 8),
                  (std::vector<StoredValue>{"T", "T", null, null, "F", null, "F"}));
        EXPECT_EQ(columnOf(stored, 9), (std::vector<StoredValue>{memoText(1998), null, null, null,
                                                                 asUtf8(memoText(1999, true)),
                                                                 asUtf8(memoText(4001, true)),
                                                                 asUtf8(memoText(100000, true))}));
        EXPECT_EQ(columnOf(stored, 10),
                  (std::vector<StoredValue>{"0001FF706963", null, null, repeated("7F", 70000), null,
                                            null, null}));
        EXPECT_EQ(columnOf(stored, 11), std::vector<StoredValue>(7, std::string("6162FF01")));
    }
}

TEST_F(LoadJobTest, TheSameTableLoadedUntypedGivesTextColumnsAsEver) {
    database.setCharacterSet("AL32UTF8");
    TypedTable t = everyKindOfValue();
    writeTable(t.table);
    writeMemos(t.memos);
    standin_test::StandinDatabase::setEnvironmentVariable("NLS_LANG", "GERMAN_GERMANY.AL32UTF8");
    runLoad();
    ASSERT_TRUE(messages().empty()) << messages()[0];
    EXPECT_EQ(statusLines(),
              (std::vector<std::string>{"Start loading..", "Connecting to Oracle..", "Connected.",
                                        "Open file for read..", "7 rows in file.",
                                        "Importing file into table CLIENTS..",
                                        "3 values were cut to fit their columns: NOTES.",
                                        "1 memo could not be read and was loaded as blanks: "
                                        "NOTES 1.",
                                        "Loading completed. 7 records processed."}));
    const auto stored = loadedTable();
    EXPECT_EQ(stored.columnWidths, (std::vector<int>{8, 8, 12, 12, 24, 22, 8, 14, 1, 1998, 4, 4}));
    ASSERT_EQ(stored.rows.size(), 7u);
    EXPECT_EQ(columnOf(stored, 1),
              (std::vector<StoredValue>{"   12.50", "1.      ", "12a     ", "********", "9999999 ",
                                        "3.14159 ", "-0.005  "}));
    EXPECT_EQ(columnOf(stored, 6)[2], StoredValue("20230231"));
    EXPECT_EQ(columnOf(stored, 7)[3], StoredValue("20240306000000"));
    EXPECT_EQ(columnOf(stored, 8)[2], StoredValue("X"));
    EXPECT_EQ(columnOf(stored, 9)[0], StoredValue(memoText(1998)));
    EXPECT_EQ(columnOf(stored, 9)[1], StoredValue(std::string(1998, ' ')));
    EXPECT_EQ(columnOf(stored, 9)[6], StoredValue(memoText(1998)));
    // Binary data has no text.
    EXPECT_EQ(columnOf(stored, 10), std::vector<StoredValue>(7, null));
}

TEST_F(LoadJobTest, ADoubleTakes24CharactersOfABatchByDefaultAnd22Typed) {
    // A double and texts of 9978 characters: records of 10,002 characters in the default
    // load, where a double's text may take 24, so batches of 999 rows; a typed load binds the
    // double in its eight bytes and keeps the 22 characters it always counted, so batches of
    // 1000 rows, as ever.
    DbfWriter table;
    table.addField("RATE", 'B', 8);
    for (int field = 0; field < 39; ++field)
        table.addField("T" + std::to_string(field), 'C', 254);
    table.addField("LAST", 'C', 72);
    for (int record = 0; record < 1000; ++record)
        table.addRecord({doubleBytes(record / 8.0)});
    writeTable(table);
    runLoad();
    const std::vector<std::string> lines = statusLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "Commit point reached. 999 rows imported..");
    EXPECT_EQ(loadedTable().rows[999][0], StoredValue("124.875"));

    request.options.typedColumns = true;
    request.tableName = "TYPED";
    runLoad();
    EXPECT_EQ(statusLines().back(), "Loading completed. 1000 records processed.");
    EXPECT_EQ(statusLines()[statusLines().size() - 2],
              "Commit point reached. 1000 rows imported..");
}

TEST_F(LoadJobTest, TypedValuesKeepTheirMeaningAtTheEdgesOfOraclesDigitsAndCalendar) {
    database.setCharacterSet("AL32UTF8");
    FptWriter memos(64);
    DbfWriter table;
    table.setContainerArea("").setLanguageDriver(kWindows1252);
    table.addField("RATIO", 'F', 60, 0)
        .addField("BORN", 'D', 8)
        .addField("SEEN", 'T', 8)
        .addField("NOTES", 'M', 4);
    const std::string nines40(40, '9');
    const std::string withZeros = std::string("before\0after\0", 13);
    // 41 nines just below 1E126 round to 1E126, which no NUMBER holds: NULL, not a failed batch.
    table.addRecord({"0." + nines40 + "9E126", "15000229", moment(2299160, 0),
                     uint32Bytes(memos.addMemo(withZeros))});
    table.addRecord({"0." + nines40 + "E126", "15821004", moment(2299161, 0),
                     uint32Bytes(memos.addMemo(std::string("\0", 1)))});
    table.addRecord({"12345678901234567890123456789012345678901", "15821010", moment(1721424, 0),
                     uint32Bytes(memos.addMemo("plain"))});
    table.addRecord({"-123456789.0123456789012345678901234567891", "15821015", moment(1721423, 0),
                     uint32Bytes(0)});
    writeTable(table);
    writeMemos(memos);
    request.options.typedColumns = true;
    runLoad();
    ASSERT_TRUE(messages().empty()) << messages()[0];
    const std::vector<std::string> lines = statusLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2],
              "3 values could not be read as their columns' types and were loaded as NULL: "
              "RATIO 1, BORN 1, SEEN 1.");
    EXPECT_EQ(lines.back(), "Loading completed. 4 records processed.");

    const auto stored = loadedTable();
    // At most 40 significant digits, 39 where the decimal point splits a base-100 digit.
    EXPECT_EQ(columnOf(stored, 0),
              (std::vector<StoredValue>{null, nines40 + std::string(86, '0'),
                                        "12345678901234567890123456789012345678900",
                                        "-123456789.012345678901234567890123456789"}));
    // A written date keeps its label in Oracle's calendar; a day number keeps its day.
    EXPECT_EQ(columnOf(stored, 1),
              (std::vector<StoredValue>{"1500-02-29 00:00:00", "1582-10-04 00:00:00", null,
                                        "1582-10-15 00:00:00"}));
    EXPECT_EQ(columnOf(stored, 2),
              (std::vector<StoredValue>{"1582-10-04 00:00:00", "1582-10-15 00:00:00",
                                        "0001-01-01 00:00:00", null}));
    EXPECT_EQ(columnOf(stored, 3),
              (std::vector<StoredValue>{withZeros, std::string("\0", 1), "plain", null}));
}

TEST_F(LoadJobTest, ATypedLoadChangesNoSessionSettingAndRunsTheDefaultLoadsStatements) {
    DbfWriter table;
    table.addField("NAME", 'C', 8).addField("AMOUNT", 'N', 8, 2);
    table.addRecord({"one", "1.5"});
    writeTable(table);
    auto executions = [this](bool typed, const char* tableName) {
        request.options.typedColumns = typed;
        request.tableName = tableName;
        standin_test::StandinDatabase::recordCalls(true);
        runLoad();
        const std::string calls = standin_test::StandinDatabase::callLog();
        standin_test::StandinDatabase::recordCalls(false);
        EXPECT_EQ(result.outcome, LoadJob::Outcome::Completed);
        std::size_t count = 0;
        for (std::size_t at = calls.find("OCIStmtExecute"); at != std::string::npos;
             at = calls.find("OCIStmtExecute", at + 1))
            ++count;
        return count;
    };
    // The existence query, CREATE TABLE and one INSERT each: numbers need no NLS setting.
    EXPECT_EQ(executions(false, "PLAIN"), 3u);
    EXPECT_EQ(executions(true, "TYPED"), 3u);
    EXPECT_EQ(loadedTable("TYPED").rows,
              (std::vector<std::vector<StoredValue>>{{"one     ", "1.5"}}));
}
