// The bind slots of a batch as large as its values take in UTF-8 and no larger than that and a
// sixteenth, every value in its slot byte for byte after the slots grew under filled rows, in
// a second batch over the first one's slots, and where a text is copied as its stored bytes.
#include "load/BatchBuffers.h"

#include "load/ColumnList.h"
#include "load/LoadJob.h"
#include "load/LoadJobHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// Code page 437: e acute takes two bytes in UTF-8, a box-drawing line three.
constexpr char kTwoBytes437 = '\x82';
constexpr char kThreeBytes437 = '\xC4';
// Code page 850: u umlaut, two bytes in UTF-8.
constexpr char kTwoBytes850 = '\x81';

// Each byte of these tables' texts in UTF-8, as Python's cp437 and cp850 codecs give them.
std::string utf8Of(const std::string& bytes) {
    std::string utf8;
    for (char byte : bytes) {
        if (byte == kTwoBytes437)
            utf8 += "\xC3\xA9";
        else if (byte == kThreeBytes437)
            utf8 += "\xE2\x94\x80";
        else if (byte == kTwoBytes850)
            utf8 += "\xC3\xBC";
        else
            utf8 += byte;
    }
    return utf8;
}

// A text of `length` bytes: letters, then `two` and `three` national letters at its end.
std::string nationalText(std::size_t length, std::size_t two, std::size_t three) {
    std::string text(length - two - three, 'k');
    text += std::string(two, kTwoBytes437) + std::string(three, kThreeBytes437);
    return text;
}

// A table opened with the load's converter, columns and rows a batch, and its batch buffers.
struct OpenedBatch {
    explicit OpenedBatch(const std::string& path) {
        EXPECT_TRUE(table.open(path.c_str()));
        converter = converterFor(table, 0);
        columns = buildColumns(table, *converter);
        rowsPerBatch = LoadJob::kBatchBudgetBytes / table.recordWidth();
        buffers = std::make_unique<BatchBuffers>(columns, rowsPerBatch, *converter);
    }

    // Fills rows 0, 1, ... from the records given, as the row transfer does.
    void fill(const std::vector<int>& records) {
        for (std::size_t row = 0; row < records.size(); ++row) {
            ASSERT_TRUE(table.selectRecord(records[row]));
            buffers->fillRow(static_cast<int>(row));
        }
    }

    std::string slot(std::size_t column, std::size_t row) {
        const BatchBuffers::Binding bind = buffers->binding(column);
        const char* start = static_cast<const char*>(bind.buffer) +
                            row * static_cast<std::size_t>(bind.elementBytes);
        return std::string(start, bind.lengths[row]);
    }

    DbfTable table;
    std::unique_ptr<TextConverter> converter;
    std::vector<Column> columns;
    int rowsPerBatch = 0;
    std::unique_ptr<BatchBuffers> buffers;
};

// Every filled row's values are the expected ones, and each column's slots hold its widest
// value with at most a sixteenth to spare; all slots together are rowsPerBatch rows of them.
void expectBatchWithinItsBytes(OpenedBatch& batch,
                               const std::vector<std::vector<std::string>>& expected) {
    std::size_t slotBytes = 0;
    for (std::size_t column = 0; column < batch.columns.size(); ++column) {
        std::size_t widest = 0;
        for (std::size_t row = 0; row < expected.size(); ++row) {
            ASSERT_EQ(batch.slot(column, row), expected[row][column])
                << "row " << row << ", column " << column;
            widest = std::max(widest, expected[row][column].size());
        }
        const auto element = static_cast<std::size_t>(batch.buffers->binding(column).elementBytes);
        EXPECT_GE(element, widest) << "column " << column;
        // Slots start at a byte a character, the least an ASCII text of the field takes.
        const auto width = static_cast<std::size_t>(batch.columns[column].width);
        EXPECT_LE(element, std::max(widest + widest / 16, width)) << "column " << column;
        slotBytes += element * static_cast<std::size_t>(batch.rowsPerBatch);
    }
    EXPECT_EQ(batch.buffers->allSlotBytes(), slotBytes);
}

} // namespace

TEST(BatchBuffers, ATableOfNationalTextTakesWhatItsValuesTakeAndKeepsEveryValue) {
    ScratchFolder folder;
    DbfWriter writer;
    writer.addField("NAME", 'C', 20).addField("CITY", 'C', 12).addField("PAID", 'L', 1);
    writer.setLanguageDriver(0x01); // code page 437
    // The national letters grow row by row, so that the slots grow again and again under
    // thousands of filled rows; the flags stay ASCII.
    constexpr int kRecords = 3000;
    std::vector<std::vector<std::string>> expected;
    for (int record = 0; record < kRecords; ++record) {
        const std::string name = nationalText(20, record * 8 / kRecords, record * 12 / kRecords);
        const std::string city = record % 2 == 0 ? nationalText(12, 12 * record / kRecords, 0)
                                                 : std::string("Lyon        ");
        writer.addRecord({name, city, record % 3 == 0 ? "T" : "F"});
        expected.push_back({utf8Of(name), utf8Of(city), record % 3 == 0 ? "T" : "F"});
    }
    ASSERT_TRUE(writer.writeTo(folder.path("national.dbf")));

    OpenedBatch batch(folder.path("national.dbf"));
    ASSERT_GT(batch.rowsPerBatch, kRecords);
    // At a byte a character the slots stay within the budget; at the widest text they would not.
    EXPECT_LE(batch.buffers->allSlotBytes(), BatchBuffers::kSlotBudgetBytes);
    std::vector<int> records(kRecords);
    for (int record = 0; record < kRecords; ++record)
        records[static_cast<std::size_t>(record)] = record;
    batch.fill(records);
    EXPECT_TRUE(batch.buffers->slotsMoved());
    EXPECT_FALSE(batch.buffers->slotsMoved()) << "told once";
    expectBatchWithinItsBytes(batch, expected);
    EXPECT_LT(batch.buffers->binding(0).elementBytes, 60) << "never the widest text";

    // The next batch fills the same slots from the widest records back to the first.
    std::reverse(records.begin(), records.end());
    std::reverse(expected.begin(), expected.end());
    batch.fill(records);
    EXPECT_FALSE(batch.buffers->slotsMoved()) << "slots wide enough already";
    expectBatchWithinItsBytes(batch, expected);
}

TEST(BatchBuffers, AMemoTableTakesWhatItsPaddedMemosTakeBatchAfterBatch) {
    ScratchFolder folder;
    DbfWriter writer;
    writer.addField("CODE", 'C', 6).addField("NOTES", 'M', 10);
    writer.setVersionByte(0xF5).setLanguageDriver(0x02); // FoxPro 2, code page 850
    FptWriter memos(64);
    constexpr int kRecords = 1200;
    constexpr std::size_t kColumnCharacters = 1998;
    std::vector<std::vector<std::string>> expected;
    for (int record = 0; record < kRecords; ++record) {
        // Long and short memos in turn, a national letter in every five, some none at all,
        // some longer than the column.
        const std::size_t length = static_cast<std::size_t>(record * 379 % 2600);
        std::string text;
        for (std::size_t at = 0; at < length; ++at)
            text += at % 5 == 4 ? kTwoBytes850 : static_cast<char>('a' + at % 26);
        const std::string code = "K" + std::to_string(10000 + record);
        writer.addRecord({code, length == 0 ? "" : memoFieldText(memos.addMemo(text), 10)});
        const std::string kept = text.substr(0, std::min(length, kColumnCharacters));
        expected.push_back(
            {code, utf8Of(kept) + std::string(kColumnCharacters - kept.size(), ' ')});
    }
    ASSERT_TRUE(writer.writeTo(folder.path("memo.dbf")));
    ASSERT_TRUE(memos.writeTo(folder.path("memo.FPT")));

    OpenedBatch batch(folder.path("memo.dbf"));
    ASSERT_GT(batch.rowsPerBatch, kRecords / 2);
    // Batches of half the records each, every row's slot over another memo's.
    const int half = kRecords / 2;
    for (int first : {0, half, 1}) {
        std::vector<int> records;
        std::vector<std::vector<std::string>> expectedBatch;
        for (int record = first; record < first + half; ++record) {
            records.push_back(record);
            expectedBatch.push_back(expected[static_cast<std::size_t>(record)]);
        }
        SCOPED_TRACE("batch from record " + std::to_string(first));
        batch.fill(records);
        expectBatchWithinItsBytes(batch, expectedBatch);
        batch.buffers->batchCommitted();
    }
    std::vector<long> cuts = batch.buffers->committedCuts();
    EXPECT_GT(cuts[1], 0) << "memos longer than the column";
    EXPECT_EQ(cuts[0], 0);
}

TEST(BatchBuffers, ATextIsItsStoredBytesOnlyWhereEveryByteIsASCIIAndNoneEndsIt) {
    ScratchFolder folder;
    DbfWriter writer;
    writer.setLanguageDriver(0x01); // code page 437
    constexpr int kWidths = 17;
    for (int width = 1; width <= kWidths; ++width)
        writer.addField("F" + std::to_string(width), 'C', width);
    // Each record puts a zero byte, a national letter, or nothing at one place of each field,
    // and every field's neighbours hold the others, so that bytes past a short field's end
    // never count for it.
    std::vector<std::vector<std::string>> expected;
    for (int place = 0; place < kWidths; ++place) {
        for (char marker : {'\0', kTwoBytes437, 'x'}) {
            std::vector<std::string> values;
            std::vector<std::string> converted;
            for (int width = 1; width <= kWidths; ++width) {
                std::string value(static_cast<std::size_t>(width), static_cast<char>('a' + width));
                if (place < width)
                    value[static_cast<std::size_t>(place)] = marker;
                values.push_back(value);
                // A zero byte ends the text; the letter takes two bytes.
                converted.push_back(utf8Of(value.substr(0, value.find('\0'))));
            }
            writer.addRecord(values);
            expected.push_back(converted);
        }
    }
    ASSERT_TRUE(writer.writeTo(folder.path("places.dbf")));

    OpenedBatch batch(folder.path("places.dbf"));
    std::vector<int> records(expected.size());
    for (std::size_t record = 0; record < records.size(); ++record)
        records[record] = static_cast<int>(record);
    batch.fill(records);
    expectBatchWithinItsBytes(batch, expected);
}
