// The stand-in's typed columns, driven through DBStmt: the types CREATE TABLE takes and the
// dictionary reports, values read under the session's NLS settings, Oracle's refusals of what
// a column cannot hold, and LOB data through the data interface.
#include "OracleTestFixture.h"

#include <cstring>
#include <string>
#include <vector>

using standin_test::StandinDatabase;
using standin_test::StoredValue;

namespace {

using BindType = DBStmt::BindType;

// The error of a statement that must fail, as "code|text"; "done" when it succeeds.
template <typename Bind> std::string outcome(DBConnect& connection, const char* sql, Bind bind) {
    DBStmt statement(&connection, sql);
    try {
        bind(statement);
        statement.executeArray(1);
    } catch (const DBStmt::OtherException&) {
        return std::to_string(statement.errorCode()) + "|" + statement.errorText();
    }
    return "done";
}

std::string executed(DBConnect& connection, const char* sql) {
    return outcome(connection, sql, [](DBStmt&) {});
}

// One text bound at position 1 of "INSERT INTO T VALUES( :1   )".
std::string insertText(DBConnect& connection, std::string text) {
    return outcome(connection, "INSERT INTO T VALUES( :1   )", [&text](DBStmt& insert) {
        insert.bindByPos(1, text.data(), static_cast<int>(text.size()));
    });
}

// The seven bytes of a DATE.
std::string oracleDate(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return {static_cast<char>(year / 100 + 100),
            static_cast<char>(year % 100 + 100),
            static_cast<char>(month),
            static_cast<char>(day),
            static_cast<char>(hour + 1),
            static_cast<char>(minute + 1),
            static_cast<char>(second + 1)};
}

// The USER_TAB_COLUMNS row of T at `id`: "TYPE PRECISION SCALE CHAR_LENGTH CHAR_USED
// DATA_LENGTH", NULLs as "-".
std::string describedColumn(DBConnect& connection, const char* id) {
    DBStmt query(&connection, "SELECT DATA_TYPE, DATA_PRECISION, DATA_SCALE, CHAR_LENGTH, "
                              "CHAR_USED, DATA_LENGTH FROM USER_TAB_COLUMNS "
                              "WHERE TABLE_NAME = :1 AND COLUMN_ID = :2");
    char table[] = "T";
    std::string position = id;
    char type[32] = {}, used[2] = {};
    int precision = 0, scale = 0, length = 0, bytes = 0;
    short typeNull = 0, precisionNull = 0, scaleNull = 0, lengthNull = 0, usedNull = 0,
          bytesNull = 0;
    query.bindByPos(1, table, 1);
    query.bindByPos(2, position.data(), static_cast<int>(position.size()));
    query.defineText(1, type, sizeof type, &typeNull);
    query.defineByPos(2, &precision, &precisionNull);
    query.defineByPos(3, &scale, &scaleNull);
    query.defineByPos(4, &length, &lengthNull);
    query.defineText(5, used, sizeof used, &usedNull);
    query.defineByPos(6, &bytes, &bytesNull);
    query.execute();
    auto number = [](int value, short indicator) {
        return indicator < 0 ? std::string("-") : std::to_string(value);
    };
    return std::string(type) + " " + number(precision, precisionNull) + " " +
           number(scale, scaleNull) + " " + number(length, lengthNull) + " " +
           (usedNull < 0 ? "-" : used) + " " + number(bytes, bytesNull);
}

} // namespace

TEST_F(OracleTest, TypedColumnsAreCreatedStoredAndDescribedAsOracleDoes) {
    DBConnect connection;
    connect(connection);
    EXPECT_EQ(executed(connection, "CREATE TABLE  T (A NUMBER(39))"),
              "1727|ORA-01727: numeric precision specifier is out of range (1 to 38)\n");
    EXPECT_EQ(executed(connection, "CREATE TABLE  T (A NUMBER(5,128))"),
              "1728|ORA-01728: numeric scale specifier is out of range (-84 to 127)\n");
    EXPECT_EQ(executed(connection, "CREATE TABLE  T (A CHAR(2001))"),
              "910|ORA-00910: specified length too long for its datatype\n");
    EXPECT_EQ(executed(connection, "CREATE TABLE  T (A FLOAT)"),
              "902|ORA-00902: invalid datatype\n");
    EXPECT_EQ(executed(connection,
                       "CREATE TABLE  T (N NUMBER(10,2),I NUMBER(10),F NUMBER,D DATE,L CHAR(1),"
                       "B BINARY_DOUBLE,M CLOB,G BLOB,C VARCHAR2(5 CHAR),W NUMBER(3,-2))"),
              "done");
    EXPECT_EQ(table("T").columnTypes,
              (std::vector<std::string>{"NUMBER(10,2)", "NUMBER(10)", "NUMBER", "DATE", "CHAR(1)",
                                        "BINARY_DOUBLE", "CLOB", "BLOB", "VARCHAR2(5 CHAR)",
                                        "NUMBER(3,-2)"}));
    EXPECT_EQ(describedColumn(connection, "1"), "NUMBER 10 2 0 - 22");
    EXPECT_EQ(describedColumn(connection, "2"), "NUMBER 10 0 0 - 22");
    EXPECT_EQ(describedColumn(connection, "3"), "NUMBER - - 0 - 22");
    EXPECT_EQ(describedColumn(connection, "4"), "DATE - - 0 - 7");
    EXPECT_EQ(describedColumn(connection, "5"), "CHAR - - 1 B 1");
    EXPECT_EQ(describedColumn(connection, "6"), "BINARY_DOUBLE - - 0 - 8");
    EXPECT_EQ(describedColumn(connection, "7"), "CLOB - - 0 - 4000");
    EXPECT_EQ(describedColumn(connection, "9"), "VARCHAR2 - - 5 C 5");

    // A NUMBER rounds to its scale, a negative one too; CHAR pads; values in the file as text.
    std::string n = "123.456", f = "1E5", d = oracleDate(2024, 3, 5, 14, 30, 59), l = "T",
                w = "12351";
    long long integer = 1234567890;
    double binary = -0.5;
    EXPECT_EQ(outcome(connection,
                      "INSERT INTO T (N,I,F,D,L,B,W) VALUES( :1 ,:2 ,:3 ,:4 ,:5 ,:6 ,:7   )",
                      [&](DBStmt& insert) {
                          insert.bindByPos(1, n.data(), 7);
                          insert.bindByPos(2, &integer, 8, BindType::Integer, nullptr, nullptr);
                          insert.bindByPos(3, f.data(), 3);
                          insert.bindByPos(4, d.data(), 7, BindType::Date, nullptr, nullptr);
                          insert.bindByPos(5, l.data(), 1);
                          insert.bindByPos(6, &binary, 8, BindType::Double, nullptr, nullptr);
                          insert.bindByPos(7, w.data(), 5);
                      }),
              "done");
    connection.disconnect();
    const standin_test::StoredTable stored = table("T");
    ASSERT_EQ(stored.rows.size(), 1u);
    EXPECT_EQ(stored.rows[0], (std::vector<StoredValue>{
                                  "123.46", "1234567890", "100000", "2024-03-05 14:30:59", "T",
                                  "-0.5", std::nullopt, std::nullopt, std::nullopt, "12400"}));
}

TEST_F(OracleTest, NumbersAndDatesGivenAsTextAreReadWithTheSessionsNlsSettings) {
    // A German client: decimal comma, dates as DD.MM.RR.
    StandinDatabase::setEnvironmentVariable("NLS_LANG", "GERMAN_GERMANY.AL32UTF8");
    DBConnect german;
    connect(german);
    executed(german, "CREATE TABLE  T (N NUMBER(10,2))");
    EXPECT_EQ(insertText(german, "3.14"), "1722|ORA-01722: invalid number\n");
    EXPECT_EQ(insertText(german, "3,14"), "done");
    executed(german, "CREATE TABLE  D (V DATE)");
    auto insertDate = [&](DBConnect& connection, std::string text) {
        return outcome(connection, "INSERT INTO D VALUES( :1   )", [&text](DBStmt& insert) {
            insert.bindByPos(1, text.data(), static_cast<int>(text.size()));
        });
    };
    EXPECT_EQ(insertDate(german, "20240305"), "1843|ORA-01843: not a valid month\n");
    EXPECT_EQ(insertDate(german, "05.03.24"), "done");
    // After ALTER SESSION the same session reads the text Marlin's own way.
    EXPECT_EQ(executed(german, "ALTER SESSION SET NLS_NUMERIC_CHARACTERS = '.,' "
                               "NLS_DATE_FORMAT = 'yyyymmdd'"),
              "done");
    EXPECT_EQ(insertText(german, "2.5"), "done");
    EXPECT_EQ(insertDate(german, "20240306"), "done");
    EXPECT_EQ(executed(german, "ALTER SESSION SET NLS_NUMERIC_CHARACTERS = '..'"),
              "12705|ORA-12705: Cannot access NLS data files or invalid environment specified\n");
    EXPECT_EQ(executed(german, "ALTER SESSION SET NLS_DATE_FORMAT = 'DD.Q.YYYY'"),
              "1821|ORA-01821: date format not recognized\n");
    EXPECT_EQ(executed(german, "ALTER SESSION SET NLS_SORT = 'BINARY'"),
              "2248|ORA-02248: invalid option for ALTER SESSION\n");
    german.disconnect();

    // An American one: decimal point, dates as DD-MON-RR.
    StandinDatabase::setEnvironmentVariable("NLS_LANG", "AMERICAN_AMERICA.AL32UTF8");
    DBConnect american;
    connect(american);
    EXPECT_EQ(insertText(american, "3,14"), "1722|ORA-01722: invalid number\n");
    EXPECT_EQ(insertText(american, " -7.125 "), "done");
    EXPECT_EQ(insertDate(american, "07-MAR-99"), "done");
    EXPECT_EQ(insertDate(american, "07-XYZ-99"), "1843|ORA-01843: not a valid month\n");
    american.disconnect();
    StandinDatabase::setEnvironmentVariable("NLS_LANG", "");

    std::vector<std::vector<StoredValue>> numbers = table("T").rows;
    EXPECT_EQ(numbers, (std::vector<std::vector<StoredValue>>{{"3.14"}, {"2.5"}, {"-7.13"}}));
    EXPECT_EQ(table("D").rows,
              (std::vector<std::vector<StoredValue>>{
                  {"2024-03-05 00:00:00"}, {"2024-03-06 00:00:00"}, {"1999-03-07 00:00:00"}}));
}

TEST_F(OracleTest, ValuesAColumnCannotHoldFailTheArrayAtTheirRow) {
    DBConnect connection;
    connect(connection);
    executed(connection, "CREATE TABLE  T (N NUMBER(4,2))");
    EXPECT_EQ(insertText(connection, "99.995"),
              "1438|ORA-01438: value larger than specified precision allowed for this column\n");
    EXPECT_EQ(insertText(connection, "12a"), "1722|ORA-01722: invalid number\n");
    EXPECT_EQ(insertText(connection, "1 2"), "1722|ORA-01722: invalid number\n");
    EXPECT_EQ(insertText(connection, "99.994"), "done");

    executed(connection, "CREATE TABLE  D (V DATE,L CHAR(1))");
    auto insertDate = [&](const std::string& bytes) {
        std::string date = bytes;
        char flag = 'T';
        return outcome(connection, "INSERT INTO D VALUES( :1 ,:2   )", [&](DBStmt& insert) {
            insert.bindByPos(1, date.data(), 7, BindType::Date, nullptr, nullptr);
            insert.bindByPos(2, &flag, 1);
        });
    };
    EXPECT_EQ(insertDate(oracleDate(2023, 13, 1)), "1843|ORA-01843: not a valid month\n");
    EXPECT_EQ(insertDate(oracleDate(2023, 1, 32)),
              "1847|ORA-01847: day of month must be between 1 and last day of month\n");
    EXPECT_EQ(insertDate(oracleDate(2023, 2, 29)),
              "1839|ORA-01839: date not valid for month specified\n");
    EXPECT_EQ(insertDate(oracleDate(2024, 2, 29)), "done");
    std::string two = "TF";
    EXPECT_EQ(outcome(connection, "INSERT INTO D (L) VALUES( :1   )",
                      [&](DBStmt& insert) { insert.bindByPos(1, two.data(), 2); }),
              "12899|ORA-12899: value too large for column \"SCOTT\".\"D\".\"L\" (actual: 2, "
              "maximum: 1)\n");

    // An array stops at the row that fails; the rows before it stay in the transaction.
    DBStmt insert(&connection, "INSERT INTO T VALUES( :1   )");
    char values[] = "1.5 12x 2.5 ";
    unsigned short lengths[] = {3, 3, 3};
    insert.bindByPos(1, values, 4, lengths);
    EXPECT_THROW(insert.executeArray(3), DBStmt::OtherException);
    EXPECT_EQ(insert.errorCode(), 1722);
    insert.commit();
    EXPECT_EQ(table("T").rows, (std::vector<std::vector<StoredValue>>{{"99.99"}, {"1.5"}}));
    EXPECT_EQ(table("D").rows,
              (std::vector<std::vector<StoredValue>>{{"2024-02-29 00:00:00", "T"}}));

    // A bind of a type the column cannot take.
    double number = 1;
    EXPECT_EQ(outcome(connection, "INSERT INTO D (V) VALUES( :1   )",
                      [&](DBStmt& bound) {
                          bound.bindByPos(1, &number, 8, BindType::Double, nullptr, nullptr);
                      }),
              "932|ORA-00932: inconsistent datatypes\n");
}

TEST_F(OracleTest, LobDataArrivesWholeAndLobBindsMustComeLast) {
    DBConnect connection;
    connect(connection);
    executed(connection, "CREATE TABLE  T (NAME VARCHAR2(10 CHAR),NOTES CLOB,PICTURE BLOB)");
    // Two rows of one array: a memo of 100,000 characters and one of 3, bytes with zeros.
    constexpr std::size_t kLong = 100000;
    std::vector<char> memos(2 * kLong, '-');
    std::memcpy(memos.data() + kLong, "abc", 3);
    unsigned memoLengths[] = {static_cast<unsigned>(kLong), 3};
    unsigned short shortLengths[] = {0, 3};
    const char pictures[] = {'\0', '\x01', '\xFF', '\0', 'p', 'q'};
    unsigned pictureLengths[] = {3, 0};
    unsigned short shortPictureLengths[] = {3, 0};
    char names[] = "firstsecnd";
    DBStmt insert(&connection, "INSERT INTO T (NAME,NOTES,PICTURE) VALUES( :1 ,:2 ,:3   )");
    insert.bindByPos(1, names, 5);
    ASSERT_TRUE(insert.bindsLongValues());
    insert.bindLongByPos(2, memos.data(), kLong, BindType::Text, nullptr, memoLengths,
                         shortLengths);
    insert.bindLongByPos(3, const_cast<char*>(pictures), 3, BindType::Bytes, nullptr,
                         pictureLengths, shortPictureLengths);
    insert.executeArray(2);
    insert.commit();
    const standin_test::StoredTable stored = table("T");
    ASSERT_EQ(stored.rows.size(), 2u);
    EXPECT_EQ(stored.rows[0],
              (std::vector<StoredValue>{"first", std::string(kLong, '-'), std::string("0001FF")}));
    EXPECT_EQ(stored.rows[1], (std::vector<StoredValue>{"secnd", "abc", std::nullopt}));

    // A bind over 4000 bytes for a column that is no LOB, after a LOB's: ORA-24816; before
    // it, the VARCHAR2 column refuses it as LONG data.
    std::vector<char> wide(4001, 'w');
    unsigned short one[] = {1};
    unsigned oneLong[] = {1};
    EXPECT_EQ(outcome(connection, "INSERT INTO T (NOTES,NAME) VALUES( :1 ,:2   )",
                      [&](DBStmt& bound) {
                          bound.bindLongByPos(1, memos.data(), 3, BindType::Text, nullptr, oneLong,
                                              one);
                          bound.bindByPos(2, wide.data(), 4001, one);
                      }),
              "24816|ORA-24816: Expanded non LONG bind data supplied after actual LONG or LOB "
              "column\n");
    EXPECT_EQ(outcome(connection, "INSERT INTO T (NAME,NOTES) VALUES( :1 ,:2   )",
                      [&](DBStmt& bound) {
                          bound.bindByPos(1, wide.data(), 4001, one);
                          bound.bindLongByPos(2, memos.data(), 3, BindType::Text, nullptr, oneLong,
                                              one);
                      }),
              "1461|ORA-01461: can bind a LONG value only for insert into a LONG column\n");
    EXPECT_EQ(executed(connection, "INSERT INTO T (NAME,NOSUCH) VALUES( :1 ,:2   )"),
              "904|ORA-00904: \"NOSUCH\": invalid identifier\n");
}

namespace {

// One SQLT_VNU element of 22 bytes (or `width`) holding `bytes` at its start, inserted into T.
std::string insertNumberBytes(DBConnect& connection, const std::vector<int>& bytes,
                              int width = 22) {
    std::string element(22, '\0');
    for (std::size_t at = 0; at < bytes.size(); ++at)
        element[at] = static_cast<char>(bytes[at]);
    return outcome(connection, "INSERT INTO T VALUES( :1   )", [&](DBStmt& insert) {
        insert.bindByPos(1, element.data(), width, BindType::Number, nullptr, nullptr);
    });
}

std::string bytesText(const std::vector<int>& bytes) {
    std::string text;
    for (int byte : bytes)
        text += std::to_string(byte) + ",";
    return text;
}

std::vector<int> repeatedByte(std::vector<int> start, std::size_t count, int byte) {
    start.insert(start.end(), count, byte);
    return start;
}

} // namespace

TEST_F(OracleTest, NumberBytesAreReadAsOraclesFormatDefinesThemAndNothingElse) {
    DBConnect connection;
    connect(connection);
    executed(connection, "CREATE TABLE  T (N NUMBER)");
    // Oracle's VARNUM examples, then values at the format's limits.
    const std::vector<std::vector<int>> sound = {
        {1, 128},
        {2, 193, 6},
        {3, 62, 96, 102},
        {3, 194, 28, 68},
        {4, 61, 74, 34, 102},
        {2, 195, 11},
        {5, 196, 2, 24, 46, 68},
        {4, 194, 2, 24, 46},
        {5, 61, 100, 78, 56, 102},
        {2, 191, 11},
        {2, 255, 11},
        repeatedByte({21, 255}, 20, 100),
        repeatedByte({21, 0}, 20, 2),
        {2, 128, 2},
    };
    for (const std::vector<int>& bytes : sound)
        EXPECT_EQ(insertNumberBytes(connection, bytes), "done") << bytesText(bytes);
    const std::string invalid = "22060|ORA-22060: argument [1] is an invalid or uninitialized "
                                "number\n";
    const std::vector<std::vector<int>> malformed = {
        {0},                            // no bytes at all
        {22, 193, 2},                   // a length past 21
        {1, 193},                       // an exponent without digits
        {2, 193, 0},                    // a digit below 1
        {2, 193, 101},                  // a digit above 100
        {3, 193, 1, 2},                 // a zero digit in front
        {3, 193, 2, 1},                 // a zero digit at the end
        {2, 62, 96},                    // a negative number without its 102
        {4, 62, 96, 102, 96},           // a 102 among the digits
        {3, 62, 1, 102},                // a negative digit below 2
        {2, 62, 102},                   // a 102 and no digit
        repeatedByte({21, 62}, 19, 96), // 19 negative digits, no 102
        repeatedByte({21, 0}, 19, 2),   // the same at the largest exponent
    };
    for (const std::vector<int>& bytes : malformed)
        EXPECT_EQ(insertNumberBytes(connection, bytes), invalid) << bytesText(bytes);
    // The length byte counts bytes past the element.
    EXPECT_EQ(insertNumberBytes(connection, {3, 194, 28, 68}, 3), invalid);
    EXPECT_EQ(insertNumberBytes(connection, {3, 194, 28, 68}, 4), "done");
    // The infinities are NUMBER bytes, but no column holds them.
    EXPECT_EQ(insertNumberBytes(connection, {1, 0}), "1426|ORA-01426: numeric overflow\n");
    EXPECT_EQ(insertNumberBytes(connection, {2, 255, 101}), "1426|ORA-01426: numeric overflow\n");
    connection.disconnect();

    std::vector<StoredValue> stored;
    for (const auto& row : table("T").rows)
        stored.push_back(row.at(0));
    EXPECT_EQ(stored,
              (std::vector<StoredValue>{"0", "5", "-5", "2767", "-2767", "100000", "1234567",
                                        "123.45", "-123.45", "0.001", "1" + std::string(125, '0'),
                                        std::string(40, '9') + std::string(86, '0'),
                                        "-" + std::string(40, '9') + std::string(86, '0'),
                                        "0." + std::string(129, '0') + "1", "2767"}));
}

TEST_F(OracleTest, NumberBytesAreRoundedToTheirColumnAndScalesAloneHold38Digits) {
    DBConnect connection;
    connect(connection);
    EXPECT_EQ(executed(connection, "CREATE TABLE  T (P NUMBER(4,1))"), "done");
    EXPECT_EQ(insertNumberBytes(connection, {4, 194, 2, 24, 46}), "done"); // 123.45
    EXPECT_EQ(insertNumberBytes(connection, {3, 194, 100, 100}),           // 9999
              "1438|ORA-01438: value larger than specified precision allowed for this column\n");
    EXPECT_EQ(executed(connection, "CREATE TABLE  S (I INTEGER,M SMALLINT,N NUMBER(*,2),W "
                                   "NUMBER(7),F NUMBER,X NUMBER(*))"),
              "1727|ORA-01727: numeric precision specifier is out of range (1 to 38)\n");
    EXPECT_EQ(executed(connection, "CREATE TABLE  S (I INTEGER,M SMALLINT,N NUMBER(*,2),W "
                                   "NUMBER(7),F NUMBER)"),
              "done");
    EXPECT_EQ(table("S").columnTypes,
              (std::vector<std::string>{"NUMBER(*,0)", "NUMBER(*,0)", "NUMBER(*,2)", "NUMBER(7)",
                                        "NUMBER"}));
    // DATA_PRECISION and DATA_SCALE as Oracle lists them.
    auto describe = [&connection](const char* id) {
        DBStmt query(&connection, "SELECT DATA_PRECISION, DATA_SCALE FROM USER_TAB_COLUMNS "
                                  "WHERE TABLE_NAME = :1 AND COLUMN_ID = :2");
        char name[] = "S";
        std::string position = id;
        int precision = 0, scale = 0;
        short precisionNull = 0, scaleNull = 0;
        query.bindByPos(1, name, 1);
        query.bindByPos(2, position.data(), static_cast<int>(position.size()));
        query.defineByPos(1, &precision, &precisionNull);
        query.defineByPos(2, &scale, &scaleNull);
        query.execute();
        return (precisionNull < 0 ? std::string("-") : std::to_string(precision)) + " " +
               (scaleNull < 0 ? std::string("-") : std::to_string(scale));
    };
    EXPECT_EQ(describe("1"), "- 0");
    EXPECT_EQ(describe("2"), "- 0");
    EXPECT_EQ(describe("3"), "- 2");
    EXPECT_EQ(describe("4"), "7 0");
    EXPECT_EQ(describe("5"), "- -");

    // INTEGER rounds to whole numbers; NUMBER(*,2) holds 36 integer digits, not 37.
    std::string half = "12.5", big = "1E35", bigger = "1E36";
    auto insert = [&connection](const char* sql, std::string& text) {
        return outcome(connection, sql, [&text](DBStmt& statement) {
            statement.bindByPos(1, text.data(), static_cast<int>(text.size()));
        });
    };
    EXPECT_EQ(insert("INSERT INTO S (I) VALUES( :1   )", half), "done");
    EXPECT_EQ(insert("INSERT INTO S (N) VALUES( :1   )", big), "done");
    EXPECT_EQ(insert("INSERT INTO S (N) VALUES( :1   )", bigger),
              "1438|ORA-01438: value larger than specified precision allowed for this column\n");
    connection.disconnect();
    EXPECT_EQ(table("T").rows, (std::vector<std::vector<StoredValue>>{{"123.5"}}));
    const auto rows = table("S").rows;
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], StoredValue("13"));
    EXPECT_EQ(rows[1][2], StoredValue("1" + std::string(35, '0')));
}

TEST_F(OracleTest, DateBytesAreDaysOfOraclesCalendar) {
    DBConnect connection;
    connect(connection);
    executed(connection, "CREATE TABLE  D (V DATE)");
    auto insertDate = [&connection](std::string date) {
        return outcome(connection, "INSERT INTO D VALUES( :1   )", [&date](DBStmt& insert) {
            insert.bindByPos(1, date.data(), 7, BindType::Date, nullptr, nullptr);
        });
    };
    const std::string notInMonth = "1839|ORA-01839: date not valid for month specified\n";
    // Julian leap years up to the reform, Gregorian ones after it.
    EXPECT_EQ(insertDate(oracleDate(1500, 2, 29)), "done");
    EXPECT_EQ(insertDate(oracleDate(1300, 2, 29, 23, 59, 59)), "done");
    EXPECT_EQ(insertDate(oracleDate(1700, 2, 29)), notInMonth);
    EXPECT_EQ(insertDate(oracleDate(1600, 2, 29)), "done");
    // The ten days the reform left out.
    EXPECT_EQ(insertDate(oracleDate(1582, 10, 4)), "done");
    for (int day = 5; day <= 14; ++day)
        EXPECT_EQ(insertDate(oracleDate(1582, 10, day)), notInMonth) << day;
    EXPECT_EQ(insertDate(oracleDate(1582, 10, 15)), "done");
    connection.disconnect();
    EXPECT_EQ(table("D").rows, (std::vector<std::vector<StoredValue>>{{"1500-02-29 00:00:00"},
                                                                      {"1300-02-29 23:59:59"},
                                                                      {"1600-02-29 00:00:00"},
                                                                      {"1582-10-04 00:00:00"},
                                                                      {"1582-10-15 00:00:00"}}));
}
