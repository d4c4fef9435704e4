// A DBF file's text decoded into UTF-8, straight into a bind slot. The word loop of single-byte
// code pages is here, inline, as it runs for every value of every record.
#pragma once

#include "platform/CodePage.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

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

// Position of the first zero byte, given zeroBytes() of the word; or of the first byte
// marked in any such mask (bit 7 of each byte).
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

} // namespace text_words

// Decodes text from the code page of a DBF file into UTF-8. For a single-byte code page it
// goes through a table of the UTF-8 form of every byte, built once per load: where the table
// keeps ASCII as it is, a word of eight ASCII bytes is copied whole and only the other bytes
// are looked up. Other code pages are decoded by the system a value at a time. A zero byte,
// or a byte the table turns into one, ends the text. Used by one thread at a time.
class TextConverter {
  public:
    // Decodes code page `codePage`; null when this system cannot.
    static std::unique_ptr<TextConverter> forCodePage(unsigned codePage);
    // Decodes through `table`, a byte at a time where it changes ASCII.
    explicit TextConverter(const platform::Utf8ByteTable& table);

    // Decodes `count` bytes of `from` into at most `capacity` bytes of UTF-8 at `to`: all of
    // them, or those in front of the text's end, or the whole characters that fit (then `cut`
    // is set; `ended` when the end came first). Reads nothing at or past from + count and writes
    // nothing at or past to + capacity; bytes past the answer may have been written.
    platform::ConvertedText convert(const unsigned char* from, std::size_t count, char* to,
                                    std::size_t capacity) const;

    // A whole text (up to its end), as a string.
    std::string toUtf8(const char* text, std::size_t length) const;

    // The most UTF-8 bytes one byte of the file's text can become.
    std::size_t utf8BytesPerByte() const { return utf8BytesPerByte_; }

  private:
    static constexpr std::uint64_t kHighBits = 0x8080808080808080u;
    // Each entry: up to three UTF-8 bytes in memory order, their count in the top byte; a
    // count of 0 ends the text.
    using PackedTable = std::array<std::uint32_t, 256>;

    explicit TextConverter(std::unique_ptr<platform::CodePageDecoder> decoder);

    platform::ConvertedText convertWords(const unsigned char* from, std::size_t count, char* to,
                                         std::size_t capacity) const;
    platform::ConvertedText convertBytes(const unsigned char* from, std::size_t count, char* to,
                                         std::size_t capacity, std::size_t in,
                                         std::size_t out) const;
    platform::ConvertedText convertMultiByte(const unsigned char* from, std::size_t count, char* to,
                                             std::size_t capacity) const;

    PackedTable table_{};
    bool keepsAscii_ = false;
    bool highBytesMayEnd_ = false; // some byte above 0x7F ends the text
    std::size_t utf8BytesPerByte_ = 3;
    std::unique_ptr<platform::CodePageDecoder> multiByte_; // set for code pages without a table
};

inline platform::ConvertedText TextConverter::convert(const unsigned char* from, std::size_t count,
                                                      char* to, std::size_t capacity) const {
    if (multiByte_)
        return convertMultiByte(from, count, to, capacity);
    if (!keepsAscii_)
        return convertBytes(from, count, to, capacity, 0, 0);
    return convertWords(from, count, to, capacity);
}

inline platform::ConvertedText TextConverter::convertWords(const unsigned char* from,
                                                           std::size_t count, char* to,
                                                           std::size_t capacity) const {
    std::size_t in = 0;
    std::size_t out = 0;
    while (in + 8 <= count && out + 8 <= capacity) {
        const std::uint64_t word = text_words::loadWord(from + in);
        const std::uint64_t zeros = text_words::zeroBytes(word);
        if (((word & kHighBits) | zeros) == 0) {
            text_words::storeWord(to + out, word);
            in += 8;
            out += 8;
            continue;
        }
        // A word of national text, where the text cannot end: all eight bytes through the
        // table (it keeps ASCII as it is) cost less than picking out the others, whose number
        // no branch can foresee. It writes at most 25 bytes: eight characters of three, and
        // the count byte that follows the last one in the table.
        if (zeros == 0 && !highBytesMayEnd_ && out + 32 <= capacity) {
            for (std::size_t at = 0; at < 8; ++at) {
                const std::uint32_t character = table_[from[in + at]];
                std::memcpy(to + out, &character, sizeof character);
                out += character >> 24;
            }
            in += 8;
            continue;
        }
        // Else a byte at a time, as far as the word goes.
        const platform::ConvertedText part = convertBytes(from, in + 8, to, capacity, in, out);
        if (part.ended || part.cut)
            return part;
        in += 8;
        out = part.bytes;
    }
    const std::size_t rest = count - in;
    if (rest == 0)
        return {out, false};
    if (rest < 8 && in == out && count >= 8 && count <= capacity) {
        // All ASCII so far, so the text sits where it was: its last eight bytes as one word
        // take up again bytes already in place, and nothing past the count is touched.
        const std::uint64_t word = text_words::loadWord(from + count - 8);
        if (((word & kHighBits) | text_words::zeroBytes(word)) == 0) {
            text_words::storeWord(to + count - 8, word);
            return {count, false};
        }
    } else if (rest < 8 && out + 8 <= capacity) {
        // The last bytes as a word padded with blanks, of which only `rest` count.
        const std::uint64_t word = text_words::loadShortWord(from + in, rest);
        if (((word & kHighBits) | text_words::zeroBytes(word)) == 0) {
            text_words::storeWord(to + out, word);
            return {out + rest, false};
        }
    }
    return convertBytes(from, count, to, capacity, in, out);
}

inline platform::ConvertedText TextConverter::convertBytes(const unsigned char* from,
                                                           std::size_t count, char* to,
                                                           std::size_t capacity, std::size_t in,
                                                           std::size_t out) const {
    for (; in < count; ++in) {
        const std::uint32_t character = table_[from[in]];
        const std::size_t length = character >> 24;
        if (length == 0)
            return {out, false, true};
        if (out + length > capacity)
            return {out, true, false};
        for (std::size_t at = 0; at < length; ++at)
            to[out + at] = static_cast<char>(character >> (8 * at));
        out += length;
    }
    return {out, false, false};
}
