// The conversion table, and the conversion a byte at a time for tables that change ASCII.
#include "dbf/TextConverter.h"

namespace {

bool convertsHighByteToZero(const platform::ByteTable& table) {
    for (unsigned byte = 0x80; byte < 0x100; ++byte)
        if (table[byte] == 0)
            return true;
    return false;
}

bool keepsAscii(const platform::ByteTable& table) {
    for (unsigned byte = 1; byte < 0x80; ++byte)
        if (table[byte] != byte)
            return false;
    return text_words::kLittleEndian;
}

} // namespace

TextConverter::TextConverter(const platform::ByteTable& table)
    : table_(table), keepsAscii_(keepsAscii(table)),
      highBytesMayEnd_(convertsHighByteToZero(table)) {
    // A zero byte ends every stored text before any conversion sees it.
    table_[0] = 0;
}

// The word holds a zero byte, or a byte that may convert to one: the bytes above 0x7F in front
// of the first such byte are converted one by one.
bool TextConverter::convertWordWithEnd(std::uint64_t& word, std::size_t& end) const {
    const std::uint64_t zeros = text_words::zeroBytes(word);
    end = zeros != 0 ? text_words::firstZeroByte(zeros) : 8;
    for (std::uint64_t high = word & kHighBits; high != 0; high &= high - 1) {
        const unsigned shift = static_cast<unsigned>(__builtin_ctzll(high)) - 7;
        if (shift >= 8 * end)
            break;
        const std::uint64_t converted = table_[(word >> shift) & 0xFF];
        if (converted == 0) {
            end = shift / 8;
            break;
        }
        word = (word & ~(std::uint64_t{0xFF} << shift)) | converted << shift;
    }
    if (end == 8)
        return true;
    word = end == 0 ? 0 : word & (~std::uint64_t{0} >> (64 - 8 * end));
    return false;
}

std::size_t TextConverter::convertBytes(const unsigned char* from, std::size_t count,
                                        char* to) const {
    for (std::size_t at = 0; at < count; ++at) {
        const unsigned char converted = table_[from[at]];
        if (converted == 0)
            return at;
        to[at] = static_cast<char>(converted);
    }
    return count;
}
