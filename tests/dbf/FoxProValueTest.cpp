// The Visual FoxPro additions on hand-made bytes: currency and datetime texts, the null and
// length bits of the hidden system field, and the code page byte.
#include "dbf/DbfTable.h"

#include "TableTexts.h"
#include "TempFolder.h"
#include "support/DbfWriter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr int kSystem = 0x01;
constexpr int kNullable = 0x02;
constexpr int kNullFlagsFlags = 0x05; // system field, binary

std::string padded(const std::string& text, std::size_t width) {
    return text + std::string(width - text.size(), ' ');
}

std::string dateTimeBytes(std::uint32_t julianDay, std::uint32_t milliseconds) {
    return uint32Bytes(julianDay) + uint32Bytes(milliseconds);
}

} // namespace

TEST(FoxProValue, CurrencyHasFourDecimalsInTwentyTwoCharacters) {
    TempFolder folder;
    DbfWriter writer;
    writer.addField("PRICE", 'Y', 8, 4);
    for (std::int64_t amount :
         {std::int64_t{12345678}, std::int64_t{-1}, std::int64_t{0}, std::int64_t{-50000},
          std::numeric_limits<std::int64_t>::max(), std::numeric_limits<std::int64_t>::min()})
        writer.addRecord({int64Bytes(amount)});
    ASSERT_TRUE(writer.writeTo(folder.path("y.dbf")));

    DbfTable table;
    ASSERT_TRUE(table.open(folder.path("y.dbf").c_str()));
    EXPECT_EQ(22, table.fieldWidth(0));
    EXPECT_EQ(22, table.recordWidth());
    TableRows expected{{padded("1234.5678", 22)},
                       {padded("-0.0001", 22)},
                       {padded("0.0000", 22)},
                       {padded("-5.0000", 22)},
                       {padded("922337203685477.5807", 22)},
                       {padded("-922337203685477.5808", 22)}};
    EXPECT_EQ(expected, tableTexts(folder.path("y.dbf")));
}

TEST(FoxProValue, DateTimesAreWholeSecondsLikeDates) {
    TempFolder folder;
    DbfWriter writer;
    writer.addField("STAMP", 'T', 8);
    const std::uint32_t day2000 = 2451545; // 2000-01-01
    for (const std::string& stored :
         {dateTimeBytes(day2000, 0), dateTimeBytes(2460477, 49530000),
          // Visual FoxPro stores a millisecond off now and then; the nearest second counts.
          dateTimeBytes(day2000, 43199999), dateTimeBytes(day2000, 86399600),
          dateTimeBytes(2299161, 1000), dateTimeBytes(1721426, 0), dateTimeBytes(5373484, 86399000),
          // No moment: all zero; a day before year 1 or past 9999; more than a day's time.
          dateTimeBytes(0, 0), dateTimeBytes(1721425, 0), dateTimeBytes(5373484, 86399999),
          dateTimeBytes(day2000, 86400000), dateTimeBytes(0xFFFFFFFF, 0xFFFFFFFF)})
        writer.addRecord({stored});
    ASSERT_TRUE(writer.writeTo(folder.path("t.dbf")));

    DbfTable table;
    ASSERT_TRUE(table.open(folder.path("t.dbf").c_str()));
    EXPECT_EQ(14, table.fieldWidth(0));
    TableRows expected{{"20000101000000"},
                       {"20240615134530"},
                       {"20000101120000"},
                       {"20000102000000"},
                       {"15821015000001"},
                       {"00010101000000"},
                       {"99991231235959"},
                       {""},
                       {""},
                       {""},
                       {""},
                       {""}};
    EXPECT_EQ(expected, tableTexts(folder.path("t.dbf")));
}

TEST(FoxProValue, NullAndLengthBitsGoOutInFieldOrder) {
    TempFolder folder;
    DbfWriter writer;
    // Bits: NAME null 0; NOTE length 1, null 2; CODE length 3; AMOUNT null 4; WHEN null 5.
    writer.addField("NAME", 'C', 5, 0, kNullable)
        .addField("NOTE", 'V', 6, 0, kNullable)
        .addField("CODE", 'V', 4)
        .addField("AMOUNT", 'N', 6, 2, kNullable)
        .addField("WHEN", 'T', 8, 0, kNullable)
        .addField("_NullFlags", '0', 1, 0, kNullFlagsFlags);
    const std::string when = dateTimeBytes(2451545, 0);
    auto flags = [](int bits) { return std::string(1, static_cast<char>(bits)); };
    writer.addRecord({"Alice", "abcdef", "WXYZ", " 12.50", when, flags(0)});
    writer.addRecord({"Bob", std::string("ab\0\0\0\x02", 6), std::string("Q\0\0\x01", 4), "  1.00",
                      when, flags(0x0A)});
    // NULL wins over the bytes, and over a length bit.
    writer.addRecord({"Carol", "abcdef", "WXYZ", " 12.50", when, flags(0x35)});
    writer.addRecord({"Dave", std::string("ab\0\0\0\x02", 6), "WXYZ", "", when, flags(0x06)});
    // A length byte that claims more than the field holds before it; a length of zero.
    writer.addRecord({"Eve", "abcdef", std::string("WXY\0", 4), "", when, flags(0x0A)});
    ASSERT_TRUE(writer.writeTo(folder.path("null.dbf")));

    TableRows expected{
        {"Alice", "abcdef", "WXYZ", " 12.50", "20000101000000"},
        {"Bob  ", "ab", "Q", "  1.00", "20000101000000"},
        {"", "", "WXYZ", "", ""},
        {"Dave ", "", "WXYZ", "      ", "20000101000000"},
        {"Eve  ", "abcde", "", "      ", "20000101000000"},
    };
    auto texts = tableTexts(folder.path("null.dbf"));
    for (auto& row : texts) {
        ASSERT_EQ(6u, row.size());
        EXPECT_EQ("", row.back()); // the system field's own text
        row.pop_back();
    }
    EXPECT_EQ(expected, texts);

    DbfTable table;
    ASSERT_TRUE(table.open(folder.path("null.dbf").c_str()));
    EXPECT_EQ(6, table.fieldCount());
    EXPECT_FALSE(table.isSystemField(4));
    EXPECT_TRUE(table.isSystemField(5));
    EXPECT_FALSE(table.isSystemField(6));
    EXPECT_EQ(5 + 6 + 4 + 6 + 14, table.recordWidth());
}

TEST(FoxProValue, BitsNeedTheSystemFieldAndItsBytes) {
    TempFolder folder;
    // Without the system field a nullable flag means nothing and a 'V' value is all its bytes.
    DbfWriter plain;
    plain.addField("NAME", 'C', 4, 0, kNullable).addField("NOTE", 'V', 4, 0, kNullable);
    plain.addField("FLAGS", '0', 1); // type '0' but not flagged as a system field
    plain.addRecord({"Anne", "abc\x02", "\xFF"});
    ASSERT_TRUE(plain.writeTo(folder.path("plain.dbf")));
    EXPECT_EQ((TableRows{{"Anne", "abc\x02", ""}}), tableTexts(folder.path("plain.dbf")));

    // Nine nullable fields and one byte of flags: the ninth has no bit, so is never NULL.
    DbfWriter oneByte;
    std::vector<std::string> values;
    for (int field = 0; field < 9; ++field) {
        oneByte.addField("F" + std::to_string(field), 'C', 1, 0, kNullable);
        values.push_back(std::to_string(field));
    }
    oneByte.addField("_NullFlags", '0', 1, 0, kSystem);
    values.push_back("\xFF");
    oneByte.addRecord(values);
    ASSERT_TRUE(oneByte.writeTo(folder.path("short.dbf")));
    auto texts = tableTexts(folder.path("short.dbf"));
    ASSERT_EQ(1u, texts.size());
    EXPECT_EQ((std::vector<std::string>{"", "", "", "", "", "", "", "", "8", ""}), texts[0]);
}

TEST(FoxProValue, UninterpretedTypesAndTheCodePageByte) {
    TempFolder folder;
    DbfWriter writer;
    writer.addField("BYTES", 'Q', 6).addField("OLE", 'G', 4).addField("PICTURE", 'P', 4);
    writer.addRecord({"abcdef", uint32Bytes(1), uint32Bytes(2)});
    writer.setLanguageDriver(0x03);
    ASSERT_TRUE(writer.writeTo(folder.path("q.dbf")));
    DbfTable table;
    ASSERT_TRUE(table.open(folder.path("q.dbf").c_str()));
    EXPECT_EQ(1252u, table.codePage());
    EXPECT_EQ(6 + 4 + 4, table.recordWidth());
    for (int field = 0; field < 3; ++field)
        EXPECT_STREQ("", table.field(field).text()) << field;

    // An id the table does not know names no code page; nor does a closed table.
    ASSERT_TRUE(writer.setLanguageDriver(0xEE).writeTo(folder.path("unknown.dbf")));
    ASSERT_TRUE(table.open(folder.path("unknown.dbf").c_str()));
    EXPECT_EQ(0u, table.codePage());
    ASSERT_TRUE(writer.setLanguageDriver(0x65).writeTo(folder.path("dos866.dbf")));
    ASSERT_TRUE(table.open(folder.path("dos866.dbf").c_str()));
    EXPECT_EQ(866u, table.codePage());
    table.close();
    EXPECT_EQ(0u, table.codePage());
}
