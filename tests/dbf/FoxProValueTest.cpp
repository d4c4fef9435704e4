// The Visual FoxPro additions on hand-made bytes: currency and datetime texts at their edges,
// the null and length bits of the hidden system field, and the binary types.
#include "dbf/DbfTable.h"

#include "TableTexts.h"
#include "TempFolder.h"
#include "support/DbfWriter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <utility>
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

// The texts of a one-field table of this type, one per stored value.
std::vector<std::string> fieldTexts(char type, const std::vector<std::string>& stored) {
    DbfWriter writer;
    writer.addField("X", type, 8);
    return oneFieldTexts(writer, stored);
}

} // namespace

TEST(FoxProValue, CurrencyHasFourDecimalsInTwentyTwoCharacters) {
    std::vector<std::string> stored;
    for (std::int64_t amount :
         {std::int64_t{0}, std::int64_t{-50000}, std::numeric_limits<std::int64_t>::min()})
        stored.push_back(int64Bytes(amount));
    EXPECT_EQ((std::vector<std::string>{padded("0.0000", 22), padded("-5.0000", 22),
                                        padded("-922337203685477.5808", 22)}),
              fieldTexts('Y', stored));
}

TEST(FoxProValue, DateTimesAreWholeSecondsLikeDates) {
    const std::uint32_t day2000 = 2451545; // 2000-01-01
    const std::pair<std::string, std::string> cases[] = {
        {dateTimeBytes(day2000, 0), "20000101000000"},
        // Visual FoxPro stores a millisecond off now and then; the nearest second counts.
        {dateTimeBytes(day2000, 43199999), "20000101120000"},
        {dateTimeBytes(day2000, 86399600), "20000102000000"},
        {dateTimeBytes(2299161, 1000), "15821015000001"},
        {dateTimeBytes(1721426, 0), "00010101000000"},
        {dateTimeBytes(5373484, 86399000), "99991231235959"},
        // No moment: all zero; a day before year 1 or past 9999; more than a day's time.
        {dateTimeBytes(0, 0), ""},
        {dateTimeBytes(1721425, 0), ""},
        {dateTimeBytes(5373484, 86399999), ""},
        {dateTimeBytes(day2000, 86400000), ""},
        {dateTimeBytes(0xFFFFFFFF, 0xFFFFFFFF), ""},
    };
    std::vector<std::string> stored;
    std::vector<std::string> expected;
    for (const auto& [bytes, text] : cases) {
        stored.push_back(bytes);
        expected.push_back(text);
    }
    EXPECT_EQ(expected, fieldTexts('T', stored));
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

    // Nine nullable fields and one byte of flags: the ninth has no bit, so is never NULL. The
    // byte after the flags has bit 0 set, as the ninth bit would be if it were read there.
    DbfWriter oneByte;
    std::vector<std::string> values;
    for (int field = 0; field < 9; ++field) {
        oneByte.addField("F" + std::to_string(field), 'C', 1, 0, kNullable);
        values.push_back(std::to_string(field));
    }
    oneByte.addField("_NullFlags", '0', 1, 0, kSystem).addField("AFTER", 'C', 1);
    values.push_back("\xFF");
    values.push_back("A");
    oneByte.addRecord(values);
    ASSERT_TRUE(oneByte.writeTo(folder.path("short.dbf")));
    auto texts = tableTexts(folder.path("short.dbf"));
    ASSERT_EQ(1u, texts.size());
    EXPECT_EQ((std::vector<std::string>{"", "", "", "", "", "", "", "", "8", "", "A"}), texts[0]);

    // Nine 'V' fields and one byte of flags, every bit set: the first eight are short (their
    // last byte counts 1), the ninth has no length bit, so all its bytes are its value.
    DbfWriter nineVarying;
    std::vector<std::string> varying;
    for (int field = 0; field < 9; ++field) {
        nineVarying.addField("V" + std::to_string(field), 'V', 3);
        varying.push_back("ab\x01");
    }
    nineVarying.addField("_NullFlags", '0', 1, 0, kSystem);
    varying.push_back("\xFF");
    nineVarying.addRecord(varying);
    ASSERT_TRUE(nineVarying.writeTo(folder.path("varying.dbf")));
    EXPECT_EQ((TableRows{{"a", "a", "a", "a", "a", "a", "a", "a", "ab\x01", ""}}),
              tableTexts(folder.path("varying.dbf")));
}

TEST(FoxProValue, TheFirstFlagBitIsALengthBitLikeAnyOther) {
    // The 'V' field is the first flagged field: its length bit is bit 0 of the flags.
    TempFolder folder;
    DbfWriter writer;
    writer.addField("NOTE", 'V', 6).addField("_NullFlags", '0', 1, 0, kNullFlagsFlags);
    writer.addRecord({"abcde\x02", std::string(1, '\x01')});
    writer.addRecord({"abcde\x02", std::string(1, '\x00')});
    ASSERT_TRUE(writer.writeTo(folder.path("first.dbf")));
    EXPECT_EQ((TableRows{{"ab", ""}, {"abcde\x02", ""}}), tableTexts(folder.path("first.dbf")));
}

TEST(FoxProValue, BinaryTypesHaveNoText) {
    TempFolder folder;
    DbfWriter writer;
    writer.addField("BYTES", 'Q', 6).addField("OLE", 'G', 4).addField("PICTURE", 'P', 4);
    writer.addRecord({"abcdef", uint32Bytes(1), uint32Bytes(2)});
    ASSERT_TRUE(writer.writeTo(folder.path("q.dbf")));
    EXPECT_EQ((TableRows{{"", "", ""}}), tableTexts(folder.path("q.dbf")));
}
