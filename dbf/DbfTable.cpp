// The DBF reader: header questions answered from the mapping, and the text of each value.
// Every read is checked against the mapped sizes, because a damaged file must load what it
// holds rather than crash the job.
#include "dbf/DbfTable.h"

#include "dbf/DbfLayout.h"
#include "dbf/DecimalDigits.h"
#include "dbf/DoubleText.h"
#include "dbf/FoxProText.h"
#include "dbf/LanguageDriver.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

using namespace dbf_layout;

namespace {

constexpr std::size_t kIntegerTextChars = 12;
constexpr std::size_t kMemoBlankChars = 1998;
constexpr std::size_t kMemoTextChars = 1999;
// A four-byte memo field holds its block number as a binary integer rather than as text.
constexpr std::size_t kBinaryMemoFieldBytes = 4;
constexpr std::size_t kFptHeaderBytes = 8;
constexpr std::size_t kCurrencyBytes = 8;
constexpr std::size_t kDateTimeBytes = 8;

bool isTextType(char type) {
    return type == 'C' || type == 'D' || type == 'F' || type == 'L' || type == 'N';
}

bool isSystemDescriptor(char type, std::uint8_t flags) {
    return type == kNullFlagsType && (flags & kSystemFieldFlag) != 0;
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

bool DbfTable::open(const char* fileName, const char* memoSourceName) {
    close();
    if (fileName == nullptr || !dbf.open(fileName))
        return false;
    std::uint32_t headerLength = 0;
    if (dbf.size() >= kHeaderBytes)
        headerLength = readLittle16(dbf.data() + kHeaderLengthOffset);
    if (dbf.size() < kHeaderBytes || headerLength > dbf.size()) {
        dbf.close();
        return false;
    }
    recordLength = readLittle16(dbf.data() + kRecordLengthOffset);
    firstRecordOffset = headerLength;
    fileCodePage = codePageOfLanguageDriver(dbf.data()[kLanguageDriverOffset]);
    records = wholeRecordCount();
    readFields(headerLength);
    placeRecord(0);
    openMemo(memoSourceName != nullptr ? memoSourceName : fileName);
    return true;
}

void DbfTable::close() {
    dbf.close();
    memo.close();
    fields.clear();
    records = 0;
    currentRecord = 0;
    recordLength = 0;
    firstRecordOffset = 0;
    fileCodePage = 0;
    nullFlagsDisplacement = 0;
    nullFlagsLength = 0;
    recordOffset = 0;
    wordReadExtent = 0;
    wordsInsideFile = false;
}

int DbfTable::wholeRecordCount() const {
    std::uint32_t declared = readLittle32(dbf.data() + kRecordCountOffset);
    // A record holds at least its deletion flag; a zero length would repeat record 0
    // for every count the header claims.
    if (recordLength == 0)
        return 0;
    std::uint64_t held = (dbf.size() - firstRecordOffset) / recordLength;
    std::uint64_t count = declared < held ? declared : held;
    return count > INT_MAX ? INT_MAX : static_cast<int>(count);
}

void DbfTable::readFields(std::uint32_t headerLength) {
    // Slots after the terminator are never fields: Visual FoxPro keeps the path of the
    // table's database container there.
    std::size_t slots = slotLimit(headerLength);
    std::size_t named = 0;
    for (std::size_t slot = 0; slot < slots; ++slot) {
        unsigned char first = dbf.data()[slotOffset(slot)];
        if (first == kTerminator)
            break;
        if (first != 0)
            ++named;
    }
    // Fields are addressed by slot position, as the format lays them out contiguously.
    fields.reserve(named);
    for (std::size_t slot = 0; slot < named; ++slot) {
        const unsigned char* descriptor = dbf.data() + slotOffset(slot);
        Field field{};
        field.type = static_cast<char>(descriptor[kTypeOffset]);
        field.length = descriptor[kLengthOffset];
        field.decimals = descriptor[kDecimalsOffset];
        field.displacement =
            static_cast<std::uint16_t>(readLittle16(descriptor + kDisplacementOffset));
        field.flags = descriptor[kFlagsOffset];
        field.words = static_cast<std::uint8_t>((field.length + 7) / 8);
        std::size_t lastBytes = field.length - 8 * (field.words > 0 ? field.words - 1 : 0);
        field.lastWordMask =
            lastBytes == 0 || lastBytes == 8 ? 0 : ~std::uint64_t{0} << (8 * lastBytes);
        field.isText = isTextType(field.type);
        if (field.isText)
            wordReadExtent =
                std::max<std::uint64_t>(wordReadExtent, field.displacement + 8u * field.words);
        fields.push_back(field);
    }
    assignFlagBits();
}

void DbfTable::assignFlagBits() {
    auto nullFlags = std::find_if(fields.begin(), fields.end(), [](const Field& field) {
        return isSystemDescriptor(field.type, field.flags);
    });
    for (Field& field : fields) {
        field.nullBit = field.shortBit = -1;
        field.isPlainText = field.isText;
    }
    // Without the system field a nullable flag or a 'V' field has no bits to read.
    if (nullFlags == fields.end())
        return;
    nullFlagsDisplacement = nullFlags->displacement;
    nullFlagsLength = nullFlags->length;
    // Bits go out in field order: a variable-length field's length bit first, then the null
    // bit of a nullable field. Bits past the system field's bytes are never set.
    const int bitCount = 8 * nullFlagsLength;
    int next = 0;
    for (Field& field : fields) {
        if (field.type == 'V' || field.type == 'Q') {
            field.shortBit = next < bitCount ? next : -1;
            ++next;
        }
        if ((field.flags & kNullableFieldFlag) != 0) {
            field.nullBit = next < bitCount ? next : -1;
            field.isPlainText = field.isText && field.nullBit < 0;
            ++next;
        }
    }
}

bool DbfTable::flagBitSet(int bit) const {
    const std::uint64_t offset =
        recordOffset + nullFlagsDisplacement + static_cast<std::uint64_t>(bit / 8);
    return offset < dbf.size() && (dbf.data()[offset] >> (bit % 8) & 1) != 0;
}

void DbfTable::openMemo(const char* memoSourceName) {
    std::string stem(memoSourceName);
    if (stem.size() < 3)
        return;
    stem.resize(stem.size() - 3);
    // A missing memo file is no failure; neither is one too short to hold its block size.
    if (memo.open(stem + "FPT") && memo.size() < kFptHeaderBytes)
        memo.close();
}

bool DbfTable::fieldName(int index, char* out) const {
    if (index < 0 || index >= fieldCount())
        return false;
    std::memcpy(out, dbf.data() + slotOffset(static_cast<std::size_t>(index)), kNameBytes);
    return true;
}

int DbfTable::fieldWidth(int index) const {
    if (index < 0 || index >= fieldCount())
        return 0;
    const Field& field = fields[static_cast<std::size_t>(index)];
    switch (field.type) {
    case 'B':
        return kDoubleTextChars;
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

bool DbfTable::selectRecord(int index) {
    if (!isOpen() || index < 0 || index >= records)
        return false;
    placeRecord(index);
    return true;
}

void DbfTable::placeRecord(int index) {
    currentRecord = index;
    recordOffset = firstRecordOffset +
                   static_cast<std::uint64_t>(recordLength) * static_cast<std::uint64_t>(index);
    // Within this record every text may be read in whole words without bounds checks.
    wordsInsideFile = text_words::kLittleEndian && recordOffset + wordReadExtent <= dbf.size();
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
                                                    const TextConverter& converter) {
    if (index < 0 || index >= fieldCount())
        return {};
    const Field& field = fields[static_cast<std::size_t>(index)];
    if (field.nullBit >= 0 && flagBitSet(field.nullBit))
        return {};
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
    if (field.type == 'M')
        return convertMemo(field, slot, width, capacity, converter);
    // Numbers and moments are short texts made here; they take the detour through valueText.
    formatOtherValue(field);
    return converter.convert(reinterpret_cast<const unsigned char*>(valueText),
                             std::min(valueLength, width), slot, capacity);
}

const char* DbfTable::formatOtherValue(const Field& field) {
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
        return stored != nullptr ? formatInteger(stored) : emptyText();
    case 'B':
        stored = valueBytes(field, 8);
        return stored != nullptr ? formatDouble(stored, field.decimals) : emptyText();
    case 'Y':
        stored = valueBytes(field, kCurrencyBytes);
        return stored != nullptr ? formatCurrency(stored) : emptyText();
    case 'T':
        stored = valueBytes(field, kDateTimeBytes);
        return stored != nullptr ? formatDateTime(stored) : emptyText();
    case 'M':
        return formatMemo(field);
    default:
        return emptyText();
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

const char* DbfTable::formatInteger(const unsigned char* stored) {
    std::uint32_t bits = readLittle32(stored);
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

const char* DbfTable::formatDouble(const unsigned char* stored, unsigned decimals) {
    std::uint64_t bits = readLittle64(stored);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    formatDoubleText(value, decimals, valueText);
    valueLength = std::strlen(valueText);
    return valueText;
}

const char* DbfTable::formatCurrency(const unsigned char* stored) {
    formatCurrencyText(static_cast<std::int64_t>(readLittle64(stored)), valueText);
    valueLength = kCurrencyTextChars;
    return valueText;
}

const char* DbfTable::formatDateTime(const unsigned char* stored) {
    valueLength = formatDateTimeText(readLittle32(stored), readLittle32(stored + 4), valueText);
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
                                              std::size_t capacity,
                                              const TextConverter& converter) const {
    // The memo's text and then blanks, or blanks alone, as formatMemo() lays them out, but
    // built in the slot itself.
    const unsigned char* text = nullptr;
    std::size_t stored = 0;
    const bool found = findMemo(field, text, stored);
    const std::size_t total = std::min(found ? kMemoTextChars : kMemoBlankChars, width);
    const std::size_t taken = std::min({stored, kMemoBlankChars, total});
    platform::ConvertedText converted;
    if (taken > 0)
        converted = converter.convert(text, taken, slot, capacity);
    if (converted.cut || converted.ended)
        return converted;
    // A memo longer than its column lost its end, though what it kept fits the slot.
    converted.cut = stored > taken;
    // The blanks are the column's padding: those that do not fit the slot are no loss.
    const std::size_t blanks = std::min(total - taken, capacity - converted.bytes);
    std::memset(slot + converted.bytes, ' ', blanks);
    converted.bytes += blanks;
    return converted;
}

const char* DbfTable::memoBlanks() {
    std::memset(valueText, ' ', kMemoBlankChars);
    valueText[kMemoBlankChars] = '\0';
    valueLength = kMemoBlankChars;
    return valueText;
}

bool DbfTable::findMemo(const Field& field, const unsigned char*& text, std::size_t& length) const {
    std::uint64_t block = 0;
    if (!memo.isOpen() || !readMemoBlock(field, block))
        return false;
    std::uint32_t blockSize = readBig16(memo.data() + kBlockSizeOffset);
    std::uint64_t start = block * blockSize;
    // Block 0 holds the memo file's header, never a memo.
    if (start == 0 || start > memo.size() || memo.size() - start < kMemoTextOffset)
        return false;
    std::uint32_t stored = readBig32(memo.data() + start + kMemoLengthOffset);
    if (stored > memo.size() - start - kMemoTextOffset)
        return false;
    length = stored;
    text = memo.data() + start + kMemoTextOffset;
    return true;
}

bool DbfTable::readMemoBlock(const Field& field, std::uint64_t& block) const {
    if (field.length == kBinaryMemoFieldBytes) {
        const unsigned char* stored = valueBytes(field, kBinaryMemoFieldBytes);
        if (stored == nullptr)
            return false;
        block = readLittle32(stored);
        return block != 0;
    }
    const unsigned char* stored = valueBytes(field, field.length);
    if (stored == nullptr)
        return false;
    // Decimal text, usually right-aligned; a field of blanks holds no digits and so no memo.
    const unsigned char* end = stored + field.length;
    const unsigned char* at = stored;
    while (at < end && *at == ' ')
        ++at;
    if (at < end && (*at == '+' || *at == '-')) {
        if (*at == '-')
            return false;
        ++at;
    }
    block = 0;
    for (; at < end && *at >= '0' && *at <= '9'; ++at) {
        block = block * 10 + static_cast<std::uint64_t>(*at - '0');
        // Past this no memo file that can be mapped holds the block; stop before overflow.
        if (block > UINT32_MAX)
            return false;
    }
    return block != 0;
}
