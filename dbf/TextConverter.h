// Single-byte text converted through a byte table, a machine word at a time. The word loop
// is here, inline, as it runs for every value of every record.
#pragma once

#include "platform/CodePage.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

// A word is eight bytes in memory order, read and written with memcpy so that no alignment
// is assumed; its byte i is bits 8i to 8i+7 (little-endian machines only: elsewhere every
// byte goes through the table one at a time).
namespace text_words {

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr bool kLittleEndian = true;
#else
constexpr bool kLittleEndian = false;
#endif

// Bit 7 of the first zero byte is set (and maybe bits of later bytes, never of earlier ones).
inline std::uint64_t zeroBytes(std::uint64_t word) {
    return (word - 0x0101010101010101u) & ~word & 0x8080808080808080u;
}

// Position of the first zero byte, given zeroBytes() of the word.
inline std::size_t firstZeroByte(std::uint64_t zeros) {
    return static_cast<std::size_t>(__builtin_ctzll(zeros)) / 8;
}

inline std::uint64_t loadWord(const unsigned char* from) {
    std::uint64_t word;
    std::memcpy(&word, from, sizeof word);
    return word;
}

inline void storeWord(char* to, std::uint64_t word) {
    std::memcpy(to, &word, sizeof word);
}

// The first `count` (below 8) bytes as a word; the bytes above them are blanks, which
// neither end a text nor need the table.
inline std::uint64_t loadShortWord(const unsigned char* from, std::size_t count) {
    std::uint64_t word = 0x2020202020202020u << (8 * count);
    std::size_t at = 0;
    if ((count & 4) != 0) {
        std::uint32_t part;
        std::memcpy(&part, from, sizeof part);
        word |= part;
        at = 4;
    }
    if ((count & 2) != 0) {
        std::uint16_t part;
        std::memcpy(&part, from + at, sizeof part);
        word |= static_cast<std::uint64_t>(part) << (8 * at);
        at += 2;
    }
    if ((count & 1) != 0)
        word |= static_cast<std::uint64_t>(from[at]) << (8 * at);
    return word;
}

inline void storeShortWord(char* to, std::uint64_t word, std::size_t count) {
    std::size_t at = 0;
    if ((count & 4) != 0) {
        const auto part = static_cast<std::uint32_t>(word);
        std::memcpy(to, &part, sizeof part);
        at = 4;
    }
    if ((count & 2) != 0) {
        const auto part = static_cast<std::uint16_t>(word >> (8 * at));
        std::memcpy(to + at, &part, sizeof part);
        at += 2;
    }
    if ((count & 1) != 0)
        to[at] = static_cast<char>(word >> (8 * at));
}

} // namespace text_words

// Converts text from one single-byte code page to another through a table of 256 bytes. Where
// the table keeps ASCII as it is, a word of eight ASCII bytes is copied whole and only the
// bytes above 0x7F are looked up, in mixed words too. A byte that converts to zero ends the
// text, as a zero byte ends a stored value: byte 0 always converts to 0. Built once per load
// and then only read.
class TextConverter {
  public:
    explicit TextConverter(const platform::ByteTable& table);

    // Converts `count` bytes of `from` into `to` and answers how many it converted: all of
    // them, or those in front of the first byte that converts to zero. Reads nothing at or
    // past from + count and writes nothing at or past to + count; every byte it writes past
    // its answer is zero.
    std::size_t convert(const unsigned char* from, std::size_t count, char* to) const;

    // What a blank becomes.
    char blank() const { return static_cast<char>(table_[' ']); }

  private:
    static constexpr std::uint64_t kHighBits = 0x8080808080808080u;

    std::size_t convertWords(const unsigned char* from, std::size_t count, char* to) const;
    std::size_t convertShort(const unsigned char* from, std::size_t count, char* to) const;
    std::size_t convertBytes(const unsigned char* from, std::size_t count, char* to) const;
    bool convertWord(std::uint64_t& word, std::size_t& end) const;
    bool convertWordWithEnd(std::uint64_t& word, std::size_t& end) const;

    platform::ByteTable table_;
    bool keepsAscii_;
    bool highBytesMayEnd_; // some byte above 0x7F converts to zero
};

inline std::size_t TextConverter::convert(const unsigned char* from, std::size_t count,
                                          char* to) const {
    if (!keepsAscii_)
        return convertBytes(from, count, to);
    return count >= 8 ? convertWords(from, count, to) : convertShort(from, count, to);
}

// Converts the bytes above 0x7F of one word in place. False when the word holds the text's
// end: then `end` is its position in the word, and the bytes from there on are cleared.
inline bool TextConverter::convertWord(std::uint64_t& word, std::size_t& end) const {
    const std::uint64_t zeros = text_words::zeroBytes(word);
    if (((word & kHighBits) | zeros) == 0)
        return true;
    if (zeros != 0 || highBytesMayEnd_)
        return convertWordWithEnd(word, end);
    // A word of national text: all eight bytes through the table (it keeps ASCII as it is)
    // cost less than picking out the high ones, whose number no branch can foresee.
    std::uint64_t converted = 0;
    for (unsigned shift = 0; shift < 64; shift += 8)
        converted |= std::uint64_t{table_[(word >> shift) & 0xFF]} << shift;
    word = converted;
    return true;
}

inline std::size_t TextConverter::convertWords(const unsigned char* from, std::size_t count,
                                               char* to) const {
    std::uint64_t word;
    std::size_t end = 0;
    std::size_t at = 0;
    for (; at + 8 <= count; at += 8) {
        word = text_words::loadWord(from + at);
        const bool whole = convertWord(word, end);
        text_words::storeWord(to + at, word);
        if (!whole)
            return at + end;
    }
    if (at == count)
        return count;
    // The last bytes as one word that ends with the text: it takes up again bytes already
    // converted, none of which ended the text, so that nothing past the count is touched.
    const std::size_t last = count - 8;
    word = text_words::loadWord(from + last);
    const bool whole = convertWord(word, end);
    text_words::storeWord(to + last, word);
    return whole ? count : last + end;
}

inline std::size_t TextConverter::convertShort(const unsigned char* from, std::size_t count,
                                               char* to) const {
    if (count == 0)
        return 0;
    std::uint64_t word = text_words::loadShortWord(from, count);
    std::size_t end = 0;
    const bool whole = convertWord(word, end);
    text_words::storeShortWord(to, word, count);
    return whole ? count : end;
}
