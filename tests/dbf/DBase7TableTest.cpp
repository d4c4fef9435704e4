// dBase 7 tables on hand-made bytes (no Debian tool writes them): the longer header and
// descriptors, every type held against the value it was made from, and headers that do not
// add up.
#include "dbf/DbfHeader.h"
#include "dbf/DbfTable.h"

#include "TableTexts.h"
#include "TempFolder.h"
#include "support/DBase7Writer.h"
#include "support/DbtWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string padded(const std::string& text, std::size_t width) {
    return text + std::string(width - text.size(), ' ');
}

// A dBase 7 long stored as dBase 7 stores it, but without its sign bit inverted: days and
// milliseconds are never negative, so either way gives the same moment.
std::string plainBigEndian(std::uint32_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
            static_cast<char>(value >> 8), static_cast<char>(value)};
}

// The texts of a one-field dBase 7 table of this type and length, one per stored value.
std::vector<std::string> fieldTexts(char type, int length, const std::vector<std::string>& stored) {
    DBase7Writer writer;
    writer.addField("X", type, length);
    return oneFieldTexts(writer, stored);
}

const std::string kLongName = "NAME_OF_THE_CUSTOMER_IN_FULL_31"; // 31 characters

} // namespace

TEST(DBase7Table, ReadsTheLongHeaderAndEveryTypeAsTheValuesItWasMadeFrom) {
    TempFolder folder;
    DbtWriter memos = DbtWriter::dBase4(512);
    const std::uint32_t memoBlock = memos.addMemo("A dBase 7 memo.\r\nTwo lines.");
    ASSERT_TRUE(memos.writeTo(folder.path("ledger.dbt")));
    DBase7Writer writer;
    writer.setMemo(true).setLanguageDriver(0x57, "DBWINUS0");
    writer.addField(kLongName, 'C', 12)
        .addField("AMOUNT", 'N', 8, 2)
        .addField("BOOKED", 'D', 8)
        .addField("PAID", 'L', 1)
        .addField("RATE", 'F', 10, 3)
        .addField("NOTES", 'M', 10)
        .addField("ENTRY", 'I', 4)
        .addField("SERIAL", '+', 4)
        .addField("BALANCE", 'O', 8)
        .addField("STAMP", '@', 8)
        .addField("SCAN", 'B', 10)
        .addField("OLE", 'G', 10);
    writer.addRecord({"M\xFCller", "   12.50", "20240615", "T", "     1.250",
                      memoFieldText(memoBlock, 10), dBase7LongBytes(-42), dBase7LongBytes(1),
                      dBase7DoubleBytes(-2.5), dBase7TimestampBytes(2460477, 45296000),
                      "         7", "         8"});
    writer.addRecord({"Smith", "", "", "F", "", "", std::string(4, '\0'), dBase7LongBytes(2),
                      std::string(8, '\0'), std::string(8, '\0'), "", ""},
                     true);
    ASSERT_TRUE(writer.writeTo(folder.path("ledger.dbf")));

    DbfTable table;
    ASSERT_TRUE(table.open(folder.path("ledger.dbf").c_str()));
    EXPECT_TRUE(table.dialect().dBase7);
    EXPECT_EQ(table.versionByte(), 0x8C);
    EXPECT_EQ(table.languageDriverName(), "DBWINUS0");
    EXPECT_EQ(table.codePage(), 1252u);
    EXPECT_EQ(table.recordCount(), 2);
    ASSERT_EQ(table.fieldCount(), 12);
    EXPECT_EQ(table.fieldName(0), kLongName);
    char shortName[11] = {};
    ASSERT_TRUE(table.fieldName(0, shortName));
    EXPECT_STREQ(shortName, "NAME_OF_TH");
    EXPECT_EQ(table.fieldName(8), "BALANCE");
    const std::vector<int> widths{12, 8, 8, 1, 10, 1998, 12, 12, 24, 14, 22, 10};
    for (int field = 0; field < 12; ++field)
        EXPECT_EQ(table.fieldWidth(field), widths[static_cast<std::size_t>(field)]) << field;
    EXPECT_EQ(table.memoFile().layout(), MemoFile::Layout::DBase4);
    table.close();

    const TableRows expected{
        {padded("M\xFCller", 12), "   12.50", "20240615", "T", "     1.250",
         padded("A dBase 7 memo.\r\nTwo lines.", 1999), padded("-42", 12), padded("1", 12), "-2.5",
         "20240615123456", "", ""},
        // Zero bytes are dBase 7's empty binary values.
        {padded("Smith", 12), std::string(8, ' '), std::string(8, ' '), "F", std::string(10, ' '),
         std::string(1998, ' '), "", padded("2", 12), "", "", "", ""},
    };
    EXPECT_EQ(tableTexts(folder.path("ledger.dbf")), expected);
    // Values follow one another from the deletion flag: no repair is ever asked for.
    EXPECT_TRUE(checkDbfHeader(folder.path("ledger.dbf").c_str()));
}

TEST(DBase7Table, NumbersAndMomentsAtTheirEdges) {
    const std::int32_t longs[] = {0, -1, 2147483647, -2147483647 - 1};
    std::vector<std::string> stored;
    for (std::int32_t value : longs)
        stored.push_back(dBase7LongBytes(value));
    // The most negative long is stored as four zero bytes: it reads as empty.
    EXPECT_EQ(fieldTexts('I', 4, stored),
              (std::vector<std::string>{padded("0", 12), padded("-1", 12), padded("2147483647", 12),
                                        ""}));
    EXPECT_EQ(fieldTexts('+', 4, {dBase7LongBytes(1000)}),
              std::vector<std::string>{padded("1000", 12)});

    const double doubles[] = {0.1,
                              -0.0,
                              1500000.0,
                              0.00012,
                              1e-7,
                              1e25,
                              123456789012.5,
                              -1e-300,
                              1e21,
                              std::numeric_limits<double>::max(),
                              std::numeric_limits<double>::infinity()};
    stored.clear();
    for (double value : doubles)
        stored.push_back(dBase7DoubleBytes(value));
    EXPECT_EQ(fieldTexts('O', 8, stored),
              (std::vector<std::string>{"0.1", "-0", "1500000", "0.00012", "1e-07", "1e+25",
                                        "123456789012.5", "-1e-300", "1e+21",
                                        "1.7976931348623157e+308", ""}));

    EXPECT_EQ(
        fieldTexts('@', 8,
                   {dBase7TimestampBytes(2451545, 0),
                    plainBigEndian(2451545 | 0x80000000u) + plainBigEndian(86399000 | 0x80000000u),
                    dBase7TimestampBytes(2451545, 86400000), dBase7TimestampBytes(0, 0)}),
        (std::vector<std::string>{"20000101000000", "20000101235959", "", ""}));
}

TEST(DBase7Table, HeadersThatDoNotAddUpAreRefusedWithAClearText) {
    TempFolder folder;
    DBase7Writer writer;
    writer.addField("NAME", 'C', 10).addField("ENTRY", 'I', 4);
    writer.addRecord({"Jones", dBase7LongBytes(5)});
    writer.setRecordLength(12);
    ASSERT_TRUE(writer.writeTo(folder.path("short.dbf")));
    DbfTable table;
    EXPECT_FALSE(table.open(folder.path("short.dbf").c_str()));
    EXPECT_FALSE(table.isOpen());
    EXPECT_EQ(table.openFailure(), DbfTable::OpenFailure::HeaderDoesNotAddUp);
    EXPECT_EQ(table.openFailureText(), "Cannot read file: its dBase 7 header does not add up: "
                                       "the fields take 15 bytes of a record of 12.");

    // A header length that leaves no room for the fixed part and the terminator.
    ByteImage image = writer.setRecordLength(15).image();
    image[8] = 60;
    image[9] = 0;
    ASSERT_TRUE(writeFileBytes(folder.path("stub.dbf"), image));
    EXPECT_FALSE(table.open(folder.path("stub.dbf").c_str()));
    EXPECT_EQ(table.openFailureText(), "Cannot read file: its dBase 7 header does not add up: "
                                       "it claims 60 bytes, fewer than the 69 of its fixed part.");

    // A record longer than its fields is sound; a file cut short holds fewer records.
    writer.setRecordLength(20).addRecord({"Brown", dBase7LongBytes(6)});
    image = writer.image();
    image.resize(image.size() - 10);
    ASSERT_TRUE(writeFileBytes(folder.path("cut.dbf"), image));
    ASSERT_TRUE(table.open(folder.path("cut.dbf").c_str()));
    EXPECT_EQ(table.recordCount(), 1);
    EXPECT_EQ(table.declaredRecordCount(), 2u);
    EXPECT_STREQ(table.field(1).text(), "5           ");
}

namespace {

// The fewest significant digits that read back as exactly `value`: what any shortest text of
// it must carry.
int shortestDigitCount(double value) {
    for (int digits = 1; digits < 17; ++digits) {
        char text[40];
        std::snprintf(text, sizeof text, "%.*e", digits - 1, value);
        if (std::strtod(text, nullptr) == value)
            return digits;
    }
    return 17;
}

// The significant digits a decimal text carries: "-0.00120" and "1200" carry two, "1.5e+25" two.
int significantDigitCount(const std::string& text) {
    std::string digits;
    for (char c : text.substr(0, text.find_first_of("eE")))
        if (c >= '0' && c <= '9')
            digits += c;
    const std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos)
        return 0;
    const std::size_t last = digits.find_last_not_of('0');
    return static_cast<int>(last - first + 1);
}

} // namespace

TEST(DBase7Table, DoublesAreTheirShortestTextPlainBetweenTheEndsOfPlainNotation) {
    // Both ends of plain notation, and just past them: five zeros after the point at most, and
    // at most 21 integer digits, beyond which a number is written with an exponent.
    const std::pair<double, const char*> ends[] = {
        {0.00001, "0.00001"},
        {-0.000012345678901234567, "-0.000012345678901234568"},
        {0.0000099, "9.9e-06"},
        {0.000001, "1e-06"},
        {1e20, "100000000000000000000"},
        {-123456789012345678901.0, "-123456789012345680000"},
        {999999999999999868928.0, "999999999999999900000"},
        {1e21, "1e+21"},
        {-1.5e21, "-1.5e+21"},
        {1.0, "1"},
        {-0.5, "-0.5"},
        {5e-324, "5e-324"},
    };
    std::vector<std::string> stored;
    std::vector<std::string> expected;
    for (const auto& [value, text] : ends) {
        stored.push_back(dBase7DoubleBytes(value));
        expected.push_back(text);
    }
    EXPECT_EQ(fieldTexts('O', 8, stored), expected);

    // Numbers of every size between and around them: each text reads back as the very same
    // double, carries no more digits than the shortest that does, and fits the column of 24.
    std::vector<double> values;
    std::uint64_t seed = 0x9E3779B97F4A7C15u;
    for (int exponent = -9; exponent <= 24; ++exponent) {
        for (int sample = 0; sample < 6; ++sample) {
            seed = seed * 6364136223846793005u + 1442695040888963407u;
            const double mantissa = 1.0 + static_cast<double>(seed >> 11) / 9007199254740992.0 * 9;
            const double value = (sample % 2 == 0 ? 1 : -1) * mantissa * std::pow(10.0, exponent);
            values.push_back(value);
        }
    }
    stored.clear();
    for (double value : values)
        stored.push_back(dBase7DoubleBytes(value));
    const std::vector<std::string> texts = fieldTexts('O', 8, stored);
    ASSERT_EQ(texts.size(), values.size());
    for (std::size_t at = 0; at < values.size(); ++at) {
        const std::string& text = texts[at];
        EXPECT_EQ(std::strtod(text.c_str(), nullptr), values[at]) << text;
        EXPECT_EQ(significantDigitCount(text), shortestDigitCount(values[at])) << text;
        EXPECT_LE(text.size(), 24u) << text;
        const double magnitude = std::fabs(values[at]);
        const bool plain = text.find('e') == std::string::npos;
        EXPECT_EQ(plain, magnitude >= 0.00001 && magnitude < 1e21) << text;
    }
}
