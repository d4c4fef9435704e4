// The text of each field type, byte for byte, and the memo look-up on sound and damaged
// memo files.
#include "dbf/DbfTable.h"

#include "TempFolder.h"
#include "support/DbfWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

// Every value of the table's field 0, record by record.
std::vector<std::string> columnTexts(const std::string& path, const char* memoSource = nullptr) {
    DbfTable table;
    std::vector<std::string> texts;
    if (!table.open(path.c_str(), memoSource))
        return texts;
    for (int record = 0; table.selectRecord(record); ++record) {
        // The length the reader reports saves the load job a count of its own.
        std::size_t length = 0;
        const char* text = table.field(0).text(length);
        EXPECT_EQ(std::strlen(text), length) << "record " << record;
        texts.push_back(text);
    }
    return texts;
}

std::vector<std::string> doubleTexts(int decimals, const std::vector<double>& values) {
    TempFolder folder;
    DbfWriter writer;
    writer.addField("X", 'B', 8, decimals);
    for (double value : values)
        writer.addRecord({doubleBytes(value)});
    writer.writeTo(folder.path("b.dbf"));
    return columnTexts(folder.path("b.dbf"));
}

std::string padded(const std::string& text, std::size_t width) {
    return text + std::string(width - text.size(), ' ');
}

} // namespace

TEST(DbfValueText, TextFieldsAreCopiedAsStored) {
    TempFolder folder;
    DbfWriter writer;
    writer.addField("NAME", 'C', 5).addField("AMOUNT", 'N', 8, 2).addField("DAY", 'D', 8);
    writer.addField("OK", 'L', 1).addField("FLOAT", 'F', 10).addField("TEN", 'C', 10);
    writer.addRecord({"AB", "   12.50", "20240615", "T", "      1.25", "0123456789"});
    writer.addRecord({std::string("AB\0xy", 5), "", "", "?", "", std::string("\0abc", 4)});
    ASSERT_TRUE(writer.writeTo(folder.path("text.dbf")));

    DbfTable table;
    ASSERT_TRUE(table.open(folder.path("text.dbf").c_str()));
    EXPECT_STREQ("AB   ", table.field(0).text());
    EXPECT_STREQ("   12.50", table.field(1).text());
    EXPECT_STREQ("20240615", table.field(2).text());
    EXPECT_STREQ("T", table.field(3).text());
    EXPECT_STREQ("      1.25", table.field(4).text()); // floats are stored as they are shown
    // A value filling its field ends right after it, not at the next field's bytes.
    EXPECT_STREQ("0123456789", table.field(5).text());

    ASSERT_TRUE(table.selectRecord(1));
    EXPECT_STREQ("AB", table.field(0).text());
    EXPECT_STREQ("        ", table.field(1).text());
    EXPECT_STREQ("?", table.field(3).text());
    EXPECT_STREQ("", table.field(5).text());

    // Bytes of the next field never extend a text, zero bytes among them never cut it short.
    DbfWriter tight;
    tight.addField("A", 'C', 3).addField("B", 'C', 5).addField("C", 'N', 9);
    tight.addRecord({"xyz", std::string("ab\0cd", 5), "123456789"});
    tight.addRecord({"pqr", "stuvw", std::string("12345678\0", 9)});
    ASSERT_TRUE(tight.writeTo(folder.path("tight.dbf")));
    ASSERT_TRUE(table.open(folder.path("tight.dbf").c_str()));
    EXPECT_STREQ("xyz", table.field(0).text());
    EXPECT_STREQ("ab", table.field(1).text());
    EXPECT_STREQ("123456789", table.field(2).text());
    ASSERT_TRUE(table.selectRecord(1));
    EXPECT_STREQ("pqr", table.field(0).text());
    EXPECT_STREQ("stuvw", table.field(1).text());
    EXPECT_STREQ("12345678", table.field(2).text());
}

TEST(DbfValueText, IntegerFieldsTakeTwelveCharacters) {
    TempFolder folder;
    DbfWriter writer;
    writer.addField("N", 'I', 4);
    for (std::int32_t value : {-42, 0, 7, 2147483647, -2147483647 - 1})
        writer.addRecord({int32Bytes(value)});
    ASSERT_TRUE(writer.writeTo(folder.path("i.dbf")));
    EXPECT_EQ((std::vector<std::string>{"-42         ", "0           ", "7           ",
                                        "2147483647  ", "-2147483648 "}),
              columnTexts(folder.path("i.dbf")));
}

namespace {

// The fewest significant digits with which printf's %g writes a text that reads back as the
// value: what the shortest text must have.
int fewestDigitsThatReadBack(double value) {
    for (int digits = 1; digits < 17; ++digits) {
        char text[40];
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (std::strtod(text, nullptr) == value)
            return digits;
    }
    return 17;
}

int significantDigits(const std::string& text) {
    const std::string mantissa = text.substr(0, text.find('e'));
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string::npos)
        return 1;
    const std::size_t last = mantissa.find_last_of("123456789");
    int digits = 0;
    for (std::size_t at = first; at <= last; ++at)
        digits += mantissa[at] >= '0' && mantissa[at] <= '9';
    return digits;
}

} // namespace

TEST(DbfValueText, DoubleFieldsGiveTheShortestTextThatReadsBackAsTheValue) {
    // The decimal count says how a program shows a value, not what it holds.
    for (int decimals : {0, 2, 15}) {
        SCOPED_TRACE(decimals);
        EXPECT_EQ((std::vector<std::string>{"3.14159", "2.999", "-1.5", "0.30000000000000004",
                                            "1500000", "0", "-0", "0.00001"}),
                  doubleTexts(decimals, {3.14159, 2.999, -1.5, 0.1 + 0.2, 1.5e6, 0.0, -0.0, 1e-5}));
    }
    // Far from 1: an exponent, as the C library writes one; the longest take 24 characters.
    EXPECT_EQ((std::vector<std::string>{"1e+25", "-1.7976931348623157e+308", "5e-324",
                                        "-2.2250738585072014e-308"}),
              doubleTexts(2, {1e25, -std::numeric_limits<double>::max(),
                              std::numeric_limits<double>::denorm_min(),
                              -std::numeric_limits<double>::min()}));
    double infinity = std::numeric_limits<double>::infinity();
    EXPECT_EQ((std::vector<std::string>{"", "", ""}),
              doubleTexts(2, {std::nan(""), infinity, -infinity}));

    // Any bit pattern: the text reads back as the very value, in no more digits than it needs
    // and no more characters than the column has.
    std::vector<double> values;
    std::uint64_t bits = 0x9E3779B97F4A7C15u;
    while (values.size() < 2000) {
        bits = bits * 6364136223846793005u + 1442695040888963407u;
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isfinite(value))
            values.push_back(value);
    }
    const std::vector<std::string> texts = doubleTexts(3, values);
    ASSERT_EQ(texts.size(), values.size());
    for (std::size_t at = 0; at < values.size(); ++at) {
        SCOPED_TRACE(texts[at]);
        EXPECT_EQ(std::strtod(texts[at].c_str(), nullptr), values[at]);
        EXPECT_LE(texts[at].size(), 24u);
        EXPECT_EQ(significantDigits(texts[at]), fewestDigitsThatReadBack(values[at]));
    }
}

TEST(DbfValueText, MemoFieldsReadTheirBlocks) {
    TempFolder folder;
    FptWriter memos(64);
    std::string longMemo(5000, 'L');
    longMemo[1997] = 'Z';
    std::uint32_t shortBlock = memos.addMemo("Delivered on Monday.\r\nSigned.");
    std::uint32_t midBlock = memos.addMemo(std::string(300, 'm'));
    std::uint32_t longBlock = memos.addMemo(longMemo);
    std::uint32_t zeroBlock = memos.addMemo(std::string("ab\0cd", 5));
    ASSERT_TRUE(memos.writeTo(folder.path("notes.FPT")));

    DbfWriter writer;
    writer.addField("NOTES", 'M', 10);
    writer.addRecord({memoFieldText(shortBlock, 10)});
    writer.addRecord({""});                       // all blanks: no memo
    writer.addRecord({std::to_string(midBlock)}); // left-aligned block number
    writer.addRecord({memoFieldText(longBlock, 10)});
    writer.addRecord({memoFieldText(zeroBlock, 10)});
    ASSERT_TRUE(writer.writeTo(folder.path("notes.dbf")));

    DbfTable table;
    ASSERT_TRUE(table.open(folder.path("notes.dbf").c_str()));
    DbfFieldValue notes = table.field(0);
    EXPECT_EQ(padded("Delivered on Monday.\r\nSigned.", 1999), notes.text());
    ASSERT_TRUE(table.selectRecord(1));
    EXPECT_EQ(std::string(1998, ' '), notes.text());
    ASSERT_TRUE(table.selectRecord(2));
    EXPECT_EQ(padded(std::string(300, 'm'), 1999), notes.text());
    ASSERT_TRUE(table.selectRecord(3));
    EXPECT_EQ(longMemo.substr(0, 1997) + "Z ", notes.text());
    // A zero byte ends the text, but the memo's length stays zero bytes and the blanks after
    // it keep their place.
    ASSERT_TRUE(table.selectRecord(4));
    std::size_t length = 0;
    const char* text = notes.text(length);
    EXPECT_STREQ("ab", text);
    EXPECT_EQ(2u, length);
    EXPECT_EQ(std::string(3, '\0') + std::string(1994, ' ') + std::string(1, '\0'),
              std::string(text + 2, 1998));
}

TEST(DbfValueText, MemoBlockNumberTimesBlockSizeIsItsOffset) {
    TempFolder folder;
    ByteImage fpt(256, 0);
    fpt[3] = 4;  // next free block
    fpt[7] = 64; // block size
    const char memoText[] = "block three";
    fpt[192 + 3] = 1;
    fpt[192 + 7] = sizeof memoText - 1;
    std::memcpy(&fpt[192 + 8], memoText, sizeof memoText - 1);
    ASSERT_TRUE(writeFileBytes(folder.path("three.FPT"), fpt));
    DbfWriter writer;
    writer.addField("NOTES", 'M', 10).addRecord({"         3"});
    ASSERT_TRUE(writer.writeTo(folder.path("three.dbf")));
    EXPECT_EQ(std::vector<std::string>{padded("block three", 1999)},
              columnTexts(folder.path("three.dbf")));
}

TEST(DbfValueText, FourByteMemoFieldsHoldBinaryBlockNumbers) {
    TempFolder folder;
    FptWriter memos(32);
    std::uint32_t block = memos.addMemo("Visual FoxPro memo");
    ASSERT_TRUE(memos.writeTo(folder.path("vfp.FPT")));
    DbfWriter writer;
    writer.addField("NOTES", 'M', 4);
    writer.addRecord({uint32Bytes(block)}).addRecord({uint32Bytes(0)});
    ASSERT_TRUE(writer.writeTo(folder.path("vfp.dbf")));
    EXPECT_EQ(
        (std::vector<std::string>{padded("Visual FoxPro memo", 1999), std::string(1998, ' ')}),
        columnTexts(folder.path("vfp.dbf")));
}

TEST(DbfValueText, MemoFileIsFoundBesideTheNamedSource) {
    TempFolder folder;
    FptWriter memos;
    std::uint32_t block = memos.addMemo("kept");
    DbfWriter writer;
    writer.addField("NOTES", 'M', 10).addRecord({memoFieldText(block, 10)});
    std::string keptMemo = padded("kept", 1999);
    std::string noMemo(1998, ' ');

    // No memo file at all: the table opens and memos read as blanks.
    ASSERT_TRUE(writer.writeTo(folder.path("orders.dbf")));
    EXPECT_EQ(std::vector<std::string>{noMemo}, columnTexts(folder.path("orders.dbf")));

    // The memo name is the table's name less its last three characters, then "FPT".
    ASSERT_TRUE(memos.writeTo(folder.path("orders.FPT")));
    EXPECT_EQ(std::vector<std::string>{keptMemo}, columnTexts(folder.path("orders.dbf")));
    ASSERT_TRUE(writer.writeTo(folder.path("COPY.TMP")));
    ASSERT_TRUE(memos.writeTo(folder.path("COPY.FPT")));
    EXPECT_EQ(std::vector<std::string>{keptMemo}, columnTexts(folder.path("COPY.TMP")));

    // A working copy finds no memo file of its own, but the original's when named.
    std::string copy = folder.path("orders.dbf.0.tmp");
    ASSERT_TRUE(writer.writeTo(copy));
    EXPECT_EQ(std::vector<std::string>{noMemo}, columnTexts(copy));
    EXPECT_EQ(std::vector<std::string>{keptMemo},
              columnTexts(copy, folder.path("orders.dbf").c_str()));
}

TEST(DbfValueText, DamagedMemosReadAsBlanks) {
    TempFolder folder;
    FptWriter memos(64);
    std::uint32_t block = memos.addMemo(std::string(100, 'x'));
    std::uint32_t cutBlock = memos.addMemo("cut short", 5000);
    ByteImage fpt = memos.image();
    ASSERT_TRUE(memos.writeTo(folder.path("memo.FPT")));

    DbfWriter writer;
    writer.addField("NOTES", 'M', 10);
    for (const std::string& field :
         {memoFieldText(block, 10), memoFieldText(cutBlock, 10), std::string("        -8"),
          std::string("         0"), std::string("9999999999"), std::string("4294967295"),
          memoFieldText(static_cast<std::uint32_t>(fpt.size() / 64), 10), std::string("x")})
        writer.addRecord({field});
    ASSERT_TRUE(writer.writeTo(folder.path("memo.dbf")));

    std::string noMemo(1998, ' ');
    std::vector<std::string> expected(8, noMemo);
    expected[0] = padded(std::string(100, 'x'), 1999);
    EXPECT_EQ(expected, columnTexts(folder.path("memo.dbf")));

    // A block size of zero places every memo nowhere.
    fpt[6] = 0;
    fpt[7] = 0;
    ASSERT_TRUE(writeFileBytes(folder.path("memo.FPT"), fpt));
    EXPECT_EQ(std::vector<std::string>(8, noMemo), columnTexts(folder.path("memo.dbf")));

    // A memo file too short to hold its block size.
    ASSERT_TRUE(writeFileBytes(folder.path("memo.FPT"), ByteImage(fpt.begin(), fpt.begin() + 7)));
    EXPECT_EQ(std::vector<std::string>(8, noMemo), columnTexts(folder.path("memo.dbf")));
}
