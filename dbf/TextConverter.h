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

// Bit 7 of every byte that is zero or above 0x7F (and maybe of bytes above a zero byte): the
// bytes that an ASCII text cannot hold.
inline std::uint64_t nonAsciiOrZeroBytes(std::uint64_t word) {
    return ((word - 0x0101010101010101u) | word) & 0x8080808080808080u;
}

// Copies `count` bytes of `from` to `to` and answers true when every one of them is ASCII and
// none is zero, so that the text is the bytes themselves; else answers false, and what was
// written must be written again. Reads the eight bytes from `from` on when `count` is below
// eight; writes nothing at or past to + count.
inline bool copyAsciiText(const unsigned char* from, std::size_t count, char* to) {
    if (count >= 8) {
        std::uint64_t seen = 0;
        std::size_t at = 0;
        for (; at + 8 < count; at += 8) {
            const std::uint64_t word = loadWord(from + at);
            seen |= nonAsciiOrZeroBytes(word);
            storeWord(to + at, word);
        }
        // The last word ends with the text, over bytes already copied.
        const std::uint64_t word = loadWord(from + count - 8);
        seen |= nonAsciiOrZeroBytes(word);
        storeWord(to + count - 8, word);
        return seen == 0;
    }
    if (count == 0)
        return true;
    // The bytes past the text read as blanks, which any text may hold.
    const std::uint64_t kept = ~std::uint64_t{0} >> (64 - 8 * count);
    std::uint64_t word = loadWord(from);
    if (nonAsciiOrZeroBytes((word & kept) | (0x2020202020202020u & ~kept)) != 0)
        return false;
    if ((count & 4) != 0) {
        const auto part = static_cast<std::uint32_t>(word);
        std::memcpy(to, &part, sizeof part);
        word >>= 32;
        to += 4;
    }
    if ((count & 2) != 0) {
        const auto part = static_cast<std::uint16_t>(word);
        std::memcpy(to, &part, sizeof part);
        word >>= 16;
        to += 2;
    }
    if ((count & 1) != 0)
        *to = static_cast<char>(word);
    return true;
}

} // namespace text_words

// Decodes text from the code page of a DBF file into UTF-8. For a single-byte code page it
// goes through a table of the UTF-8 form of every byte, built once per load: where the table
// keeps ASCII as it is, a word of eight ASCII bytes is copied whole and a word of national text
// goes through the table without a branch per byte. Other code pages are decoded by the system
// a value at a time. A zero byte, or a byte the table turns into one, ends the text. Bytes the
// code page does not define become U+FFFD, and the answer says so. Used by one thread at a time.
class TextConverter {
  public:
    // The most bytes past its answer that a conversion may write: the last word of a text
    // padded with blanks, or the last table entry written whole.
    static constexpr std::size_t kBytesWrittenPastAnswer = 7;

    // Decodes code page `codePage`; null when this system cannot.
    static std::unique_ptr<TextConverter> forCodePage(unsigned codePage);
    // Decodes through `table`, a byte at a time where it changes ASCII. A byte that becomes
    // U+FFFD is one the code page does not define.
    explicit TextConverter(const platform::Utf8ByteTable& table, unsigned codePage = 0);

    // Decodes `count` bytes of `from` into at most `capacity` bytes of UTF-8 at `to`: all of
    // them, or those in front of the text's end, or the whole characters that fit (then `cut`
    // is set; `ended` when the end came first; `undefinedBytes` when a byte that went in was
    // one the code page does not define). Reads nothing at or past from + count and writes
    // nothing at or past to + capacity; up to kBytesWrittenPastAnswer bytes past the answer
    // may have been written.
    platform::ConvertedText convert(const unsigned char* from, std::size_t count, char* to,
                                    std::size_t capacity) const;

    // A whole text (up to its end), as a string.
    std::string toUtf8(const char* text, std::size_t length) const;

    // The most UTF-8 bytes one byte of the file's text can become.
    std::size_t utf8BytesPerByte() const { return utf8BytesPerByte_; }
    // True when every ASCII byte but zero stays itself, so that an ASCII text is its own UTF-8.
    bool keepsAscii() const { return keepsAscii_; }
    // The code page decoded; 0 when the converter was made from a table alone.
    unsigned codePage() const { return codePage_; }

  private:
    static constexpr std::uint64_t kHighBits = 0x8080808080808080u;
    // Each entry: up to three UTF-8 bytes in memory order, their count in the top byte; a
    // count of 0 ends the text.
    using PackedTable = std::array<std::uint32_t, 256>;

    explicit TextConverter(std::unique_ptr<platform::CodePageDecoder> decoder, unsigned codePage);

    // kCounts: whether a byte may be one the code page does not define, and must be looked at.
    template <bool kCounts>
    platform::ConvertedText convertWords(const unsigned char* from, std::size_t count, char* to,
                                         std::size_t capacity) const;
    template <bool kCounts>
    platform::ConvertedText convertBytes(const unsigned char* from, std::size_t count, char* to,
                                         std::size_t capacity, std::size_t in, std::size_t out,
                                         bool undefined) const;
    platform::ConvertedText convertMultiByte(const unsigned char* from, std::size_t count, char* to,
                                             std::size_t capacity) const;

    PackedTable table_{};
    // 1 for each byte the code page does not define.
    std::array<unsigned char, 256> undefined_{};
    bool keepsAscii_ = false;
    bool highBytesMayEnd_ = false; // some byte above 0x7F ends the text
    bool definesEveryByte_ = true;
    std::size_t utf8BytesPerByte_ = 3;
    unsigned codePage_ = 0;
    std::unique_ptr<platform::CodePageDecoder> multiByte_; // set for code pages without a table
};

inline platform::ConvertedText TextConverter::convert(const unsigned char* from, std::size_t count,
                                                      char* to, std::size_t capacity) const {
    if (multiByte_)
        return convertMultiByte(from, count, to, capacity);
    if (!keepsAscii_)
        return convertBytes<true>(from, count, to, capacity, 0, 0, false);
    // Most code pages define every byte: their words need no look for one that is not.
    if (definesEveryByte_)
        return convertWords<false>(from, count, to, capacity);
    return convertWords<true>(from, count, to, capacity);
}

template <bool kCounts>
inline platform::ConvertedText TextConverter::convertWords(const unsigned char* from,
                                                           std::size_t count, char* to,
                                                           std::size_t capacity) const {
    std::size_t in = 0;
    std::size_t out = 0;
    bool undefined = false;
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
        // no branch can foresee. It writes at most 25 bytes: seven characters of three, and
        // the last one's four bytes of table entry.
        if (zeros == 0 && !highBytesMayEnd_ && out + 25 <= capacity) {
            unsigned char undefinedHere = 0;
            for (std::size_t at = 0; at < 8; ++at) {
                const unsigned char byte = from[in + at];
                const std::uint32_t character = table_[byte];
                std::memcpy(to + out, &character, sizeof character);
                out += character >> 24;
                if (kCounts)
                    undefinedHere |= undefined_[byte];
            }
            undefined = undefined || undefinedHere != 0;
            in += 8;
            continue;
        }
        // Else a byte at a time, as far as the word goes.
        const platform::ConvertedText part =
            convertBytes<kCounts>(from, in + 8, to, capacity, in, out, undefined);
        if (part.ended || part.cut)
            return part;
        in += 8;
        out = part.bytes;
        undefined = part.undefinedBytes;
    }
    const std::size_t rest = count - in;
    if (rest == 0)
        return {out, false, false, undefined};
    if (rest < 8 && in == out && count >= 8 && count <= capacity) {
        // All ASCII so far, so the text sits where it was: its last eight bytes as one word
        // take up again bytes already in place, and nothing past the count is touched.
        const std::uint64_t word = text_words::loadWord(from + count - 8);
        if (((word & kHighBits) | text_words::zeroBytes(word)) == 0) {
            text_words::storeWord(to + count - 8, word);
            return {count, false, false, undefined};
        }
    } else if (rest < 8 && out + 8 <= capacity) {
        // The last bytes as a word padded with blanks, of which only `rest` count.
        const std::uint64_t word = text_words::loadShortWord(from + in, rest);
        if (((word & kHighBits) | text_words::zeroBytes(word)) == 0) {
            text_words::storeWord(to + out, word);
            return {out + rest, false, false, undefined};
        }
    }
    return convertBytes<kCounts>(from, count, to, capacity, in, out, undefined);
}

template <bool kCounts>
inline platform::ConvertedText TextConverter::convertBytes(const unsigned char* from,
                                                           std::size_t count, char* to,
                                                           std::size_t capacity, std::size_t in,
                                                           std::size_t out, bool undefined) const {
    for (; in < count; ++in) {
        const std::uint32_t character = table_[from[in]];
        const std::size_t length = character >> 24;
        if (length == 0)
            return {out, false, true, undefined};
        if (out + length > capacity)
            return {out, true, false, undefined};
        for (std::size_t at = 0; at < length; ++at)
            to[out + at] = static_cast<char>(character >> (8 * at));
        out += length;
        if (kCounts)
            undefined = undefined || undefined_[from[in]] != 0;
    }
    return {out, false, false, undefined};
}
