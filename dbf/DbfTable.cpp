// The DBF reader: the text of each value, and the questions about fields that formatting
// answers (DbfTableHeader.cpp opens the table). Every read is checked against the mapped
// sizes, because a damaged file must load what it holds rather than crash the job.
#include "dbf/DbfTable.h"

#include "dbf/DBase7Values.h"
#include "dbf/DbfLayout.h"
#include "dbf/DecimalDigits.h"
#include "dbf/DoubleText.h"
#include "dbf/FoxProText.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

using namespace dbf_layout;

namespace {

constexpr std::size_t kIntegerTextChars = 12;
// dBase's binary memo under the letter 'B' gives no text; its column keeps the width a
// double's text had when the letter meant only that.
constexpr int kBinaryMemoBChars = 22;
constexpr std::size_t kMemoBlankChars = 1998;
constexpr std::size_t kMemoTextChars = 1999;
// A four-byte memo field holds its block number as a binary integer rather than as text.
constexpr std::size_t kBinaryMemoFieldBytes = 4;
constexpr std::size_t kCurrencyBytes = 8;
constexpr std::size_t kDateTimeBytes = 8;
constexpr std::size_t kDBase7LongBytes = 4;
constexpr std::size_t kDBase7DoubleBytes = 8;
constexpr std::size_t kDBase7TimestampBytes = 8;

// The letters whose bytes dBase 7 stores in its own sortable encodings.
bool isDBase7NumberType(char type) {
    return type == 'I' || type == '+' || type == 'O' || type == '@';
}

} // namespace

const char* DbfFieldValue::text() const {
    return table != nullptr ? table->formatValue(fieldIndex) : "";
}

const char* DbfFieldValue::text(std::size_t& length) const {
    if (table == nullptr) {
        length = 0;
        return "";
    }
    const char* formatted = table->formatValue(fieldIndex);
    length = table->valueLength;
    return formatted;
}

bool DbfTable::flagBitSet(int bit) const {
    const std::uint64_t offset =
        recordOffset + nullFlagsDisplacement + static_cast<std::uint64_t>(bit / 8);
    return offset < dbf.size() && (dbf.data()[offset] >> (bit % 8) & 1) != 0;
}

int DbfTable::fieldWidth(int index) const {
    if (index < 0 || index >= fieldCount())
        return 0;
    const Field& field = fields[static_cast<std::size_t>(index)];
    // Letters only dBase 7 gives a meaning; in other tables they hold no text.
    const bool dBase7 = tableDialect.dBase7;
    switch (field.type) {
    case '+':
        return dBase7 ? static_cast<int>(kIntegerTextChars) : field.length;
    case 'O':
        return dBase7 ? static_cast<int>(kShortestDoubleTextChars) : field.length;
    case '@':
        return dBase7 ? static_cast<int>(kDateTimeTextChars) : field.length;
    case 'B':
        return tableDialect.binaryMemoB ? kBinaryMemoBChars
                                        : static_cast<int>(kShortestDoubleTextChars);
    case 'Y':
        return static_cast<int>(kCurrencyTextChars);
    case 'I':
        return static_cast<int>(kIntegerTextChars);
    case 'T':
        return static_cast<int>(kDateTimeTextChars);
    case 'M':
        return static_cast<int>(kMemoBlankChars);
    default:
        return field.length;
    }
}

bool DbfTable::isSystemField(int index) const {
    if (index < 0 || index >= fieldCount())
        return false;
    const Field& field = fields[static_cast<std::size_t>(index)];
    return isSystemDescriptor(field.type, field.flags);
}

int DbfTable::recordWidth() const {
    int width = 0;
    for (int index = 0; index < fieldCount(); ++index)
        if (!isSystemField(index))
            width += fieldWidth(index);
    return width;
}

const char* DbfTable::formatValue(int index) {
    if (index < 0 || index >= fieldCount())
        return emptyText();
    const Field& field = fields[static_cast<std::size_t>(index)];
    // NULL wins over whatever the field's bytes hold.
    if (field.nullBit >= 0 && flagBitSet(field.nullBit))
        return emptyText();
    // The common case first, without the dispatch on the type letter.
    if (field.isText && wordsInsideFile)
        return copyWords(dbf.data() + recordOffset + field.displacement, field);
    return formatOtherValue(field);
}

platform::ConvertedText DbfTable::convertOtherValue(int index, char* slot, std::size_t width,
                                                    std::size_t capacity,
                                                    const TextConverter& converter,
                                                    SlotBlanks& blanks) {
    if (index < 0 || index >= fieldCount()) {
        blanks = {};
        return {};
    }
    const Field& field = fields[static_cast<std::size_t>(index)];
    if (field.nullBit >= 0 && flagBitSet(field.nullBit)) {
        blanks = {};
        return {};
    }
    if (field.type == 'M')
        return convertMemo(field, slot, width, capacity, converter, blanks);
    blanks = {};
    if (field.isText) {
        const unsigned char* stored = wordsInsideFile
                                          ? dbf.data() + recordOffset + field.displacement
                                          : valueBytes(field, field.length);
        if (stored == nullptr)
            return {};
        return converter.convert(stored, std::min<std::size_t>(field.length, width), slot,
                                 capacity);
    }
    if (field.type == 'V')
        return convertVarchar(field, slot, width, capacity, converter);
    // Numbers and moments are short texts made here; they take the detour through valueText.
    formatOtherValue(field);
    return converter.convert(reinterpret_cast<const unsigned char*>(valueText),
                             std::min(valueLength, width), slot, capacity);
}

const char* DbfTable::formatOtherValue(const Field& field) {
    if (tableDialect.dBase7 && isDBase7NumberType(field.type))
        return formatDBase7Value(field);
    const unsigned char* stored = nullptr;
    switch (field.type) {
    case 'C':
    case 'D':
    case 'F':
    case 'L':
    case 'N':
        stored = valueBytes(field, field.length);
        return stored != nullptr ? copyText(stored, field.length) : emptyText();
    case 'V':
        return formatVarchar(field);
    case 'I':
        stored = valueBytes(field, 4);
        return stored != nullptr ? formatInteger(readLittle32(stored)) : emptyText();
    case 'B':
        // dBase keeps binary data in the memo file under this letter: no text to give.
        if (tableDialect.binaryMemoB)
            return emptyText();
        stored = valueBytes(field, 8);
        // The decimal count says how a program shows the value, not what it holds.
        return stored != nullptr ? formatDouble(stored) : emptyText();
    case 'Y':
        stored = valueBytes(field, kCurrencyBytes);
        return stored != nullptr ? formatCurrency(stored) : emptyText();
    case 'T':
        stored = valueBytes(field, kDateTimeBytes);
        return stored != nullptr ? formatDateTime(readLittle32(stored), readLittle32(stored + 4))
                                 : emptyText();
    case 'M':
        return formatMemo(field);
    default:
        return emptyText();
    }
}

const char* DbfTable::formatDBase7Value(const Field& field) {
    const unsigned char* stored = nullptr;
    switch (field.type) {
    case 'I':
    case '+':
        if ((stored = valueBytes(field, kDBase7LongBytes)) == nullptr)
            return emptyText();
        if (const std::optional<std::int32_t> value = decodeDBase7Long(stored))
            return formatInteger(static_cast<std::uint32_t>(*value));
        return emptyText();
    case 'O':
        if ((stored = valueBytes(field, kDBase7DoubleBytes)) == nullptr)
            return emptyText();
        valueLength = formatShortestDoubleText(decodeDBase7Double(stored), valueText);
        return valueText;
    default: {
        if ((stored = valueBytes(field, kDBase7TimestampBytes)) == nullptr)
            return emptyText();
        const DBase7Timestamp moment = decodeDBase7Timestamp(stored);
        return formatDateTime(moment.julianDay, moment.milliseconds);
    }
    }
}

const unsigned char* DbfTable::valueBytes(const Field& field, std::size_t bytes) const {
    std::uint64_t offset = recordOffset + field.displacement;
    if (offset > dbf.size() || bytes > dbf.size() - offset)
        return nullptr;
    return dbf.data() + offset;
}

const char* DbfTable::emptyText() {
    valueLength = 0;
    valueText[0] = '\0';
    return valueText;
}

const char* DbfTable::copyWords(const unsigned char* stored, const Field& field) {
    // This runs for every value of every record, so it copies eight bytes at a time and
    // writes only the text and its terminator. The last word may reach past the field (the
    // caller made sure the file holds those bytes); they are forced non-zero so that they
    // never end the text, and what they put after the terminator is not part of it.
    const std::size_t words = field.words;
    if (words == 0)
        return terminateText(0);
    std::uint64_t bits;
    std::size_t count = 0;
    for (std::size_t word = 1; word < words; ++word, count += sizeof bits) {
        std::memcpy(&bits, stored + count, sizeof bits);
        std::memcpy(valueText + count, &bits, sizeof bits);
        std::uint64_t zeros = text_words::zeroBytes(bits);
        if (zeros != 0)
            return terminateText(count + text_words::firstZeroByte(zeros));
    }
    std::memcpy(&bits, stored + count, sizeof bits);
    bits |= field.lastWordMask;
    std::memcpy(valueText + count, &bits, sizeof bits);
    std::uint64_t zeros = text_words::zeroBytes(bits);
    return terminateText(zeros != 0 ? count + text_words::firstZeroByte(zeros) : field.length);
}

const char* DbfTable::copyText(const unsigned char* stored, std::size_t length) {
    // Near the end of the file: no reading past the field.
    const void* zero = std::memchr(stored, 0, length);
    std::size_t count =
        zero != nullptr ? static_cast<std::size_t>(static_cast<const unsigned char*>(zero) - stored)
                        : length;
    std::memcpy(valueText, stored, count);
    return terminateText(count);
}

const char* DbfTable::terminateText(std::size_t length) {
    valueLength = length;
    valueText[length] = '\0';
    return valueText;
}

const char* DbfTable::formatInteger(std::uint32_t bits) {
    bool negative = (bits & 0x80000000u) != 0;
    // Two's complement: the magnitude of a negative value is the bits' negation.
    std::uint32_t magnitude = negative ? 0u - bits : bits;
    std::size_t length = 0;
    if (negative)
        valueText[length++] = '-';
    length += writeDecimalDigits(magnitude, valueText + length);
    std::memset(valueText + length, ' ', kIntegerTextChars - length);
    valueText[kIntegerTextChars] = '\0';
    valueLength = kIntegerTextChars;
    return valueText;
}

const char* DbfTable::formatDouble(const unsigned char* stored) {
    std::uint64_t bits = readLittle64(stored);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    valueLength = formatShortestDoubleText(value, valueText);
    return valueText;
}

const char* DbfTable::formatCurrency(const unsigned char* stored) {
    formatCurrencyText(static_cast<std::int64_t>(readLittle64(stored)), valueText);
    valueLength = kCurrencyTextChars;
    return valueText;
}

const char* DbfTable::formatDateTime(std::uint32_t julianDay, std::uint32_t milliseconds) {
    valueLength = formatDateTimeText(julianDay, milliseconds, valueText);
    return valueText;
}

const char* DbfTable::formatVarchar(const Field& field) {
    const unsigned char* stored = nullptr;
    std::size_t length = 0;
    return findVarchar(field, stored, length) ? copyText(stored, length) : emptyText();
}

platform::ConvertedText DbfTable::convertVarchar(const Field& field, char* slot, std::size_t width,
                                                 std::size_t capacity,
                                                 const TextConverter& converter) const {
    const unsigned char* stored = nullptr;
    std::size_t length = 0;
    if (!findVarchar(field, stored, length))
        return {};
    return converter.convert(stored, std::min(length, width), slot, capacity);
}

bool DbfTable::findVarchar(const Field& field, const unsigned char*& stored,
                           std::size_t& length) const {
    stored = valueBytes(field, field.length);
    if (stored == nullptr)
        return false;
    length = field.length;
    // A shorter value keeps its length in the field's last byte, which is never part of it.
    if (length > 0 && field.shortBit >= 0 && flagBitSet(field.shortBit))
        length = std::min<std::size_t>(stored[length - 1], length - 1);
    return true;
}

const char* DbfTable::formatMemo(const Field& field) {
    const unsigned char* text = nullptr;
    std::size_t stored = 0;
    if (!findMemo(field, text, stored))
        return memoBlanks();
    const std::size_t copied = std::min(stored, kMemoBlankChars);
    const void* zero = std::memchr(text, 0, copied);
    std::size_t kept =
        zero != nullptr ? static_cast<std::size_t>(static_cast<const unsigned char*>(zero) - text)
                        : copied;
    std::memcpy(valueText, text, kept);
    // A zero byte inside the memo ends its text, but the length it had stays zero-filled
    // and the blanks after it keep their place.
    std::memset(valueText + kept, 0, copied - kept);
    std::memset(valueText + copied, ' ', kMemoTextChars - copied);
    valueText[kMemoTextChars] = '\0';
    valueLength = kept < copied ? kept : kMemoTextChars;
    return valueText;
}

platform::ConvertedText DbfTable::convertMemo(const Field& field, char* slot, std::size_t width,
                                              std::size_t capacity, const TextConverter& converter,
                                              SlotBlanks& blanks) const {
    // The memo's text and then blanks, or blanks alone, as formatMemo() lays them out, but
    // built in the slot itself.
    const unsigned char* text = nullptr;
    std::size_t stored = 0;
    const bool found = findMemo(field, text, stored);
    const std::size_t total = std::min(found ? kMemoTextChars : kMemoBlankChars, width);
    const std::size_t taken = std::min({stored, kMemoBlankChars, total});
    // Read a member at a time: the caller has just written them one by one.
    const std::size_t knownFrom = blanks.from;
    const std::size_t knownTo = blanks.to;
    blanks = {};
    platform::ConvertedText converted;
    if (taken > 0)
        converted = converter.convert(text, taken, slot, capacity);
    if (converted.cut || converted.ended)
        return converted;
    // A memo longer than its column lost its end, though what it kept fits the slot.
    converted.cut = stored > taken;
    // The blanks are the column's padding: those that do not fit the slot are no loss.
    const std::size_t wanted = total - taken;
    const std::size_t padding = std::min(wanted, capacity - converted.bytes);
    blanks = {converted.bytes, converted.bytes + padding, wanted - padding};
    writeBlanks(slot, blanks, knownFrom, knownTo);
    converted.bytes += padding;
    return converted;
}

void DbfTable::writeBlanks(char* slot, const SlotBlanks& wanted, std::size_t knownFrom,
                           std::size_t knownTo) {
    // The blanks an earlier value left are kept, but for those where the text and what the
    // conversion may have written past it now lie.
    const std::size_t keptFrom =
        std::max(knownFrom, wanted.from + TextConverter::kBytesWrittenPastAnswer);
    const std::size_t keptTo = knownTo;
    if (keptFrom >= keptTo || keptFrom >= wanted.to || keptTo <= wanted.from) {
        std::memset(slot + wanted.from, ' ', wanted.to - wanted.from);
        return;
    }
    std::memset(slot + wanted.from, ' ', keptFrom - wanted.from);
    if (wanted.to > keptTo)
        std::memset(slot + keptTo, ' ', wanted.to - keptTo);
}

const char* DbfTable::memoBlanks() {
    std::memset(valueText, ' ', kMemoBlankChars);
    valueText[kMemoBlankChars] = '\0';
    valueLength = kMemoBlankChars;
    return valueText;
}

bool DbfTable::findMemo(const Field& field, const unsigned char*& text, std::size_t& length) const {
    std::uint64_t block = 0;
    // One byte past the column, so that a memo longer than it shows that it lost its end.
    return memo.isOpen() && readMemoBlock(field, block) &&
           memo.find(block, kMemoBlankChars + 1, text, length);
}

bool DbfTable::readMemoBlock(const Field& field, std::uint64_t& block) const {
    return readMemoPointer(field, block, false) == MemoPointer::Block;
}

DbfTable::MemoPointer DbfTable::readMemoPointer(const Field& field, std::uint64_t& block,
                                                bool strict) const {
    const MemoPointer damaged = strict ? MemoPointer::Damaged : MemoPointer::None;
    if (field.length == kBinaryMemoFieldBytes) {
        const unsigned char* stored = valueBytes(field, kBinaryMemoFieldBytes);
        if (stored == nullptr)
            return MemoPointer::None;
        block = readLittle32(stored);
        return block != 0 ? MemoPointer::Block : MemoPointer::None;
    }
    const unsigned char* stored = valueBytes(field, field.length);
    if (stored == nullptr)
        return MemoPointer::None;
    // Decimal text, usually right-aligned; a field of blanks holds no digits and so no memo.
    const unsigned char* end = stored + field.length;
    const unsigned char* at = stored;
    while (at < end && *at == ' ')
        ++at;
    if (at < end && (*at == '+' || *at == '-')) {
        if (*at == '-')
            return damaged;
        ++at;
    }
    block = 0;
    for (; at < end && *at >= '0' && *at <= '9'; ++at) {
        block = block * 10 + static_cast<std::uint64_t>(*at - '0');
        // Past this no memo file that can be mapped holds the block; stop before overflow.
        if (block > UINT32_MAX)
            return damaged;
    }
    if (strict)
        while (at < end && (*at == ' ' || *at == '\0'))
            ++at;
    if (strict && at != end)
        return MemoPointer::Damaged;
    return block != 0 ? MemoPointer::Block : MemoPointer::None;
}

bool DbfFieldValue::storedTextPlace(std::size_t& displacement, std::size_t& length) const {
    if (table == nullptr || fieldIndex < 0 || fieldIndex >= table->fieldCount())
        return false;
    const DbfTable::Field& field = table->fields[static_cast<std::size_t>(fieldIndex)];
    displacement = field.displacement;
    length = field.length;
    return field.isPlainText;
}

bool DbfFieldValue::padsWithBlanks() const {
    return table != nullptr && fieldIndex >= 0 && fieldIndex < table->fieldCount() &&
           table->fields[static_cast<std::size_t>(fieldIndex)].type == 'M';
}

bool DbfFieldValue::storedBytes(const unsigned char*& bytes, std::size_t& length) const {
    return table != nullptr && table->findStoredBytes(fieldIndex, bytes, length);
}

DbfFieldValue::Memo DbfFieldValue::wholeMemo(const unsigned char*& bytes,
                                             std::size_t& length) const {
    return table != nullptr ? table->findWholeMemo(fieldIndex, bytes, length) : Memo::None;
}

bool DbfFieldValue::isMemo() const {
    return table != nullptr && fieldIndex >= 0 && fieldIndex < table->fieldCount() &&
           table->fields[static_cast<std::size_t>(fieldIndex)].type == 'M';
}

bool DbfFieldValue::memoIsDamaged() const {
    return table != nullptr && table->isMemoDamaged(fieldIndex);
}

bool DbfTable::findStoredBytes(int index, const unsigned char*& bytes, std::size_t& length) const {
    if (index < 0 || index >= fieldCount())
        return false;
    const Field& field = fields[static_cast<std::size_t>(index)];
    if (field.nullBit >= 0 && flagBitSet(field.nullBit))
        return false;
    if (field.type == 'V' || field.type == 'Q')
        return findVarchar(field, bytes, length);
    bytes = valueBytes(field, field.length);
    length = field.length;
    return bytes != nullptr;
}

DbfFieldValue::Memo DbfTable::findWholeMemo(int index, const unsigned char*& bytes,
                                            std::size_t& length) const {
    using Memo = DbfFieldValue::Memo;
    if (index < 0 || index >= fieldCount())
        return Memo::None;
    const Field& field = fields[static_cast<std::size_t>(index)];
    if (field.nullBit >= 0 && flagBitSet(field.nullBit))
        return Memo::None;
    std::uint64_t block = 0;
    switch (readMemoPointer(field, block, true)) {
    case MemoPointer::None:
        return Memo::None;
    case MemoPointer::Damaged:
        return Memo::Damaged;
    default:
        return memo.find(block, SIZE_MAX, bytes, length) ? Memo::Found : Memo::Damaged;
    }
}

bool DbfTable::isMemoDamaged(int index) const {
    if (index < 0 || index >= fieldCount())
        return false;
    const Field& field = fields[static_cast<std::size_t>(index)];
    if (field.type != 'M' || (field.nullBit >= 0 && flagBitSet(field.nullBit)))
        return false;
    // Read as text() reads it: digits in front of other text still name their block.
    std::uint64_t block = 0;
    const unsigned char* text = nullptr;
    std::size_t length = 0;
    if (readMemoPointer(field, block, false) == MemoPointer::Block)
        return !memo.find(block, 1, text, length);
    return readMemoPointer(field, block, true) == MemoPointer::Damaged;
}
