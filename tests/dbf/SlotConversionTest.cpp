// Values written straight into bind slots: byte for byte the text the reader gives, decoded
// a byte at a time into UTF-8 and cut at the column's width and at the slot's end, for every
// type, conversion table and place of national letters and zero bytes.
#include "dbf/DbfTable.h"

#include "TempFolder.h"
#include "support/DbfWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr char kUntouched = '\xEE';
constexpr std::size_t kGuardBytes = 16;

// What the slot must hold: the text cut at the width, each byte through the table, ended by
// the first byte that converts to zero, and no more whole characters than fit the capacity.
platform::ConvertedText expectedSlot(const char* text, std::size_t length, std::size_t width,
                                     std::size_t capacity, const platform::Utf8ByteTable& table,
                                     std::string& converted) {
    converted.clear();
    for (std::size_t at = 0; at < length && at < width; ++at) {
        const platform::Utf8Bytes& character = table[static_cast<unsigned char>(text[at])];
        if (character.bytes[0] == 0)
            return {converted.size(), false, true};
        if (converted.size() + character.length > capacity)
            return {converted.size(), true, false};
        converted.append(reinterpret_cast<const char*>(character.bytes), character.length);
    }
    return {converted.size(), false, false};
}

// Compares every field of every record, at the column's width and three bytes narrower, each
// into a slot of three bytes a character and into one of a byte a character.
void expectSlotsMatchTexts(DbfTable& table, const platform::Utf8ByteTable& byteTable) {
    const TextConverter converter(byteTable);
    for (int record = 0; table.selectRecord(record); ++record) {
        for (int index = 0; index < table.fieldCount(); ++index) {
            const auto fullWidth = static_cast<std::size_t>(table.fieldWidth(index));
            for (std::size_t width : {fullWidth, fullWidth > 3 ? fullWidth - 3 : fullWidth}) {
                for (std::size_t capacity : {3 * width, width}) {
                    std::size_t length = 0;
                    const char* text = table.field(index).text(length);
                    std::string expected;
                    const platform::ConvertedText expectedText =
                        expectedSlot(text, length, width, capacity, byteTable, expected);
                    std::string slot(capacity + kGuardBytes, kUntouched);
                    const platform::ConvertedText written =
                        table.field(index).convertInto(&slot[0], width, capacity, converter);
                    const std::string where = "record " + std::to_string(record) + ", field " +
                                              std::to_string(index) + ", width " +
                                              std::to_string(width) + ", capacity " +
                                              std::to_string(capacity);
                    ASSERT_EQ(expected.size(), written.bytes) << where;
                    EXPECT_EQ(expected, slot.substr(0, written.bytes)) << where;
                    // A memo's blanks that do not fit are no loss; its own cuts are tested apart.
                    if (table.fieldWidth(index) != 1998) {
                        EXPECT_EQ(expectedText.cut, written.cut) << where;
                    }
                    EXPECT_EQ(std::string(kGuardBytes, kUntouched), slot.substr(capacity)) << where;
                }
            }
        }
    }
}

platform::Utf8ByteTable codePageTable(unsigned codePage) {
    return platform::CodePageDecoder(codePage).utf8Table();
}

// Every byte as the character of the same number: ASCII, then Latin-1 in two bytes each.
platform::Utf8ByteTable latin1Table() {
    platform::Utf8ByteTable table{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        std::string character;
        if (byte < 0x80) {
            character = std::string(1, static_cast<char>(byte));
        } else {
            character += static_cast<char>(0xC0 | (byte >> 6));
            character += static_cast<char>(0x80 | (byte & 0x3F));
        }
        table[byte] = platform::Utf8Bytes{};
        for (std::size_t at = 0; at < character.size(); ++at)
            table[byte].bytes[at] = static_cast<unsigned char>(character[at]);
        table[byte].length = static_cast<unsigned char>(character.size());
    }
    return table;
}

} // namespace

TEST(SlotConversion, EveryValueArrivesAsItsTextConverted) {
    TempFolder folder;
    FptWriter memos(64);
    // Letters of two bytes in UTF-8, box drawing of three.
    const std::string national = "Z\x81rich \x84\x94\x9A \xE1 caf\x82 \xC9\xCD\xBB ";
    const std::uint32_t shortMemo = memos.addMemo(national + "\r\nline two");
    const std::uint32_t zeroMemo = memos.addMemo(std::string("ab\0\x81"
                                                             "cd",
                                                             6));
    std::string longText;
    while (longText.size() < 2100)
        longText += national;
    const std::uint32_t longMemo = memos.addMemo(longText);
    const std::uint32_t oneLetterMemo = memos.addMemo("\x81");
    ASSERT_TRUE(memos.writeTo(folder.path("slots.FPT")));

    // Character fields of 1 to 19 bytes take every path of the word loop.
    DbfWriter writer;
    for (int length = 1; length < 20; ++length)
        writer.addField("C" + std::to_string(length), 'C', length);
    writer.addField("NOTES", 'M', 10).addField("COUNT", 'I', 4).addField("RATE", 'B', 8, 2);
    writer.addField("NOTE", 'V', 12, 0, 0x02).addField("_NullFlags", '0', 1, 0, 0x05);
    const std::string nineteen(19, 'x');
    auto record = [&](const std::string& text, const std::string& memo, const std::string& varchar,
                      const std::string& flags) {
        std::vector<std::string> values;
        for (int length = 1; length < 20; ++length)
            values.push_back(text.substr(0, static_cast<std::size_t>(length)));
        values.insert(values.end(), {memo, int32Bytes(-42), doubleBytes(3.14159), varchar, flags});
        writer.addRecord(values);
    };
    // Flag bit 0: NOTE is shorter than its field; bit 1: NOTE is NULL.
    const std::string noFlags(1, '\0');
    record(nineteen, memoFieldText(shortMemo, 10), std::string("sh\x81rt\0\0\0\0\0\0\x05", 12),
           "\x01");
    record(national + national, memoFieldText(zeroMemo, 10), "a\x82", "\x02");
    record(std::string("ab\0cdefgh\x9F\0jk\x81lmnopq", 19), memoFieldText(longMemo, 10), "\x9Fxyz",
           noFlags);
    record("\x80\x81\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8D\x8E\x8F\x90\x91\x92", "", "",
           noFlags);
    record("q", memoFieldText(oneLetterMemo, 10), "v", noFlags);
    record("abcdefg\x9Fhijklmnopqrs", memoFieldText(9999, 10), "plain", noFlags);
    ByteImage image = writer.image();
    image.pop_back(); // no end-of-file byte: the last record's words reach past the file
    ASSERT_TRUE(writeFileBytes(folder.path("slots.dbf"), image));

    DbfTable table;
    ASSERT_TRUE(table.open(folder.path("slots.dbf").c_str()));
    // Code page 437, a table that ends texts at 0x9F, and one that changes ASCII (so that
    // every byte goes through it).
    platform::Utf8ByteTable endsAt9F = codePageTable(437);
    endsAt9F[0x9F] = platform::Utf8Bytes{{0, 0, 0}, 1};
    platform::Utf8ByteTable upperCase = latin1Table();
    for (unsigned byte = 'a'; byte <= 'z'; ++byte)
        upperCase[byte].bytes[0] = static_cast<unsigned char>(byte - 'a' + 'A');
    for (const platform::Utf8ByteTable& byteTable : {codePageTable(437), endsAt9F, upperCase})
        expectSlotsMatchTexts(table, byteTable);
}

TEST(SlotConversion, AMemoIsCutOnlyWhereItsTextLosesCharacters) {
    TempFolder folder;
    FptWriter memos(64);
    // u-umlaut takes two bytes in UTF-8, a box-drawing line three.
    const std::uint32_t fits = memos.addMemo(std::string(1000, '\x81'));
    const std::uint32_t blanksLost = memos.addMemo(std::string(1300, '\xC4'));
    const std::uint32_t textLost = memos.addMemo(std::string(1998, '\xC4'));
    const std::uint32_t tooLong = memos.addMemo(std::string(1999, 'y'));
    const std::uint32_t endsEarly = memos.addMemo(std::string("ab\0", 3) + std::string(2100, 'z'));
    ASSERT_TRUE(memos.writeTo(folder.path("memos.FPT")));
    DbfWriter writer;
    writer.addField("NOTES", 'M', 10);
    for (std::uint32_t block : {fits, blanksLost, textLost, tooLong, endsEarly})
        writer.addRecord({memoFieldText(block, 10)});
    ASSERT_TRUE(writer.writeTo(folder.path("memos.dbf")));

    DbfTable table;
    ASSERT_TRUE(table.open(folder.path("memos.dbf").c_str()));
    const TextConverter converter(codePageTable(437));
    std::string slot(4000, '\0');
    auto convert = [&](int record) {
        EXPECT_TRUE(table.selectRecord(record));
        return table.field(0).convertInto(&slot[0], 1998, 4000, converter);
    };
    // 1000 letters of two bytes and 998 blanks.
    platform::ConvertedText converted = convert(0);
    EXPECT_EQ(converted.bytes, 2998u);
    EXPECT_FALSE(converted.cut);
    EXPECT_EQ(slot.substr(2000, 998), std::string(998, ' '));
    // The text fits (3900 bytes); of its 698 blanks only 100 do, and they are no loss.
    converted = convert(1);
    EXPECT_EQ(converted.bytes, 4000u);
    EXPECT_FALSE(converted.cut);
    EXPECT_EQ(slot.substr(3900, 100), std::string(100, ' '));
    // 1998 lines of three bytes: 1333 whole ones fit.
    converted = convert(2);
    EXPECT_EQ(converted.bytes, 3999u);
    EXPECT_TRUE(converted.cut);
    EXPECT_EQ(slot.substr(3996, 3), "\xE2\x94\x80");
    // A memo of 1999 characters loses its last one to the column, though it fits the slot.
    converted = convert(3);
    EXPECT_EQ(converted.bytes, 1998u);
    EXPECT_TRUE(converted.cut);
    // A zero byte ends the text: what follows it is no text, and nothing is lost.
    converted = convert(4);
    EXPECT_EQ(converted.bytes, 2u);
    EXPECT_FALSE(converted.cut);
}

TEST(SlotConversion, ANullTableOrAFieldBeyondTheLastWritesNothing) {
    TempFolder folder;
    DbfWriter writer;
    writer.addField("NAME", 'C', 4).addRecord({"abcd"});
    ASSERT_TRUE(writer.writeTo(folder.path("one.dbf")));
    DbfTable table;
    ASSERT_TRUE(table.open(folder.path("one.dbf").c_str()));
    const TextConverter converter(codePageTable(437));
    std::string slot(8, kUntouched);
    EXPECT_EQ(0u, DbfFieldValue().convertInto(&slot[0], 4, 4, converter).bytes);
    EXPECT_EQ(0u, table.field(1).convertInto(&slot[0], 4, 4, converter).bytes);
    EXPECT_EQ(std::string(8, kUntouched), slot);
    EXPECT_EQ(4u, table.field(0).convertInto(&slot[0], 4, 4, converter).bytes);
    EXPECT_EQ(std::string("abcd") + std::string(4, kUntouched), slot);
}
