// Values written straight into bind slots: byte for byte the text the reader gives, converted
// a byte at a time and cut at the slot's width, for every type, conversion table and place of
// national letters and zero bytes.
#include "dbf/DbfTable.h"

#include "TempFolder.h"
#include "support/DbfWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr char kUntouched = '\xEE';
constexpr std::size_t kGuardBytes = 16;

// What the slot must hold: the text cut at the width, each byte through the table, ended
// by the first byte that converts to zero.
std::string expectedSlot(const char* text, std::size_t length, std::size_t width,
                         const platform::ByteTable& table) {
    std::string converted;
    for (std::size_t at = 0; at < length && at < width; ++at) {
        const unsigned char byte = table[static_cast<unsigned char>(text[at])];
        if (byte == 0)
            break;
        converted += static_cast<char>(byte);
    }
    return converted;
}

// Compares every field of every record, at the column's width and three bytes narrower.
void expectSlotsMatchTexts(DbfTable& table, const platform::ByteTable& byteTable) {
    const TextConverter converter(byteTable);
    for (int record = 0; table.selectRecord(record); ++record) {
        for (int index = 0; index < table.fieldCount(); ++index) {
            const auto fullWidth = static_cast<std::size_t>(table.fieldWidth(index));
            for (std::size_t width : {fullWidth, fullWidth > 3 ? fullWidth - 3 : fullWidth}) {
                std::size_t length = 0;
                const char* text = table.field(index).text(length);
                const std::string expected = expectedSlot(text, length, width, byteTable);
                std::string slot(width + kGuardBytes, kUntouched);
                const std::size_t written =
                    table.field(index).convertInto(&slot[0], width, converter);
                const std::string where =
                    "record " + std::to_string(record) + ", field " + std::to_string(index);
                ASSERT_EQ(expected.size(), written) << where;
                EXPECT_EQ(expected, slot.substr(0, written)) << where;
                // Past the value only zero bytes or what the slot held; past the width nothing.
                for (std::size_t at = written; at < width; ++at)
                    ASSERT_TRUE(slot[at] == '\0' || slot[at] == kUntouched) << where << " @" << at;
                EXPECT_EQ(std::string(kGuardBytes, kUntouched), slot.substr(width)) << where;
            }
        }
    }
}

platform::ByteTable identityTable() {
    platform::ByteTable table{};
    for (unsigned byte = 0; byte < 256; ++byte)
        table[byte] = static_cast<unsigned char>(byte);
    return table;
}

} // namespace

TEST(SlotConversion, EveryValueArrivesAsItsTextConverted) {
    TempFolder folder;
    FptWriter memos(64);
    const std::string national = "Z\x81rich \x84\x94\x9A \xE1 caf\x82 ";
    const std::uint32_t shortMemo = memos.addMemo(national + "\r\nline two");
    const std::uint32_t zeroMemo = memos.addMemo(std::string("ab\0\x81"
                                                             "cd",
                                                             6));
    std::string longText;
    while (longText.size() < 2100)
        longText += national;
    const std::uint32_t longMemo = memos.addMemo(longText);
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
    record("abcdefg\x9Fhijklmnopqrs", memoFieldText(9999, 10), "plain", noFlags);
    ByteImage image = writer.image();
    image.pop_back(); // no end-of-file byte: the last record's words reach past the file
    ASSERT_TRUE(writeFileBytes(folder.path("slots.dbf"), image));

    DbfTable table;
    ASSERT_TRUE(table.open(folder.path("slots.dbf").c_str()));
    // The OEM table, a table that ends texts at 0x9F, and one that changes ASCII (so that
    // every byte goes through it).
    platform::ByteTable endsAt9F = platform::oemToAnsiTable();
    endsAt9F[0x9F] = 0;
    platform::ByteTable upperCase = identityTable();
    for (unsigned byte = 'a'; byte <= 'z'; ++byte)
        upperCase[byte] = static_cast<unsigned char>(byte - 'a' + 'A');
    for (const platform::ByteTable& byteTable : {platform::oemToAnsiTable(), endsAt9F, upperCase})
        expectSlotsMatchTexts(table, byteTable);
}

TEST(SlotConversion, ANullTableOrAFieldBeyondTheLastWritesNothing) {
    TempFolder folder;
    DbfWriter writer;
    writer.addField("NAME", 'C', 4).addRecord({"abcd"});
    ASSERT_TRUE(writer.writeTo(folder.path("one.dbf")));
    DbfTable table;
    ASSERT_TRUE(table.open(folder.path("one.dbf").c_str()));
    const TextConverter converter(platform::oemToAnsiTable());
    std::string slot(8, kUntouched);
    EXPECT_EQ(0u, DbfFieldValue().convertInto(&slot[0], 4, converter));
    EXPECT_EQ(0u, table.field(1).convertInto(&slot[0], 4, converter));
    EXPECT_EQ(std::string(8, kUntouched), slot);
    EXPECT_EQ(4u, table.field(0).convertInto(&slot[0], 4, converter));
    EXPECT_EQ(std::string("abcd") + std::string(4, kUntouched), slot);
}
