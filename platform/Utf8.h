// UTF-8, the encoding of every text inside Marlin: the few facts about its byte sequences that
// cuts and conversions need.
#pragma once

#include <cstddef>
#include <string>

namespace utf8 {

// The replacement character U+FFFD, which stands for bytes that are no character.
constexpr const char* kReplacement = "\xEF\xBF\xBD";
constexpr std::size_t kReplacementBytes = 3;

// True for the second to fourth bytes of a character, which never start one.
inline bool isContinuationByte(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The most bytes of `text` (of `length` bytes) that end with a whole character and are at most
// `maxBytes`: a cut there leaves no broken character behind.
inline std::size_t wholeCharacterPrefix(const char* text, std::size_t length,
                                        std::size_t maxBytes) {
    if (length <= maxBytes)
        return length;
    std::size_t end = maxBytes;
    while (end > 0 && isContinuationByte(static_cast<unsigned char>(text[end])))
        --end;
    return end;
}

// The text without an incomplete character at its end (left by a cut made in bytes).
inline std::size_t withoutBrokenEnd(const char* text, std::size_t length) {
    std::size_t start = length;
    while (start > 0 && isContinuationByte(static_cast<unsigned char>(text[start - 1])) &&
           length - start < 3)
        --start;
    if (start == 0)
        return length;
    const auto lead = static_cast<unsigned char>(text[start - 1]);
    const std::size_t expected = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return length - (start - 1) < expected ? start - 1 : length;
}

// Appends the UTF-8 form of `character` (a Unicode scalar value).
inline void append(char32_t character, std::string& out) {
    if (character < 0x80) {
        out += static_cast<char>(character);
    } else if (character < 0x800) {
        out += static_cast<char>(0xC0 | (character >> 6));
        out += static_cast<char>(0x80 | (character & 0x3F));
    } else if (character < 0x10000) {
        out += static_cast<char>(0xE0 | (character >> 12));
        out += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (character & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (character >> 18));
        out += static_cast<char>(0x80 | ((character >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (character & 0x3F));
    }
}

// The character at `text[at]`, moving `at` past it; a byte that starts no valid character
// gives U+FFFD and moves one byte.
inline char32_t next(const std::string& text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80)
        return lead;
    const std::size_t size = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (size == 0 || lead > 0xF4 || at + size - 1 > text.size())
        return 0xFFFD;
    char32_t character = lead & (0x7F >> size);
    for (std::size_t i = 0; i + 1 < size; ++i) {
        const auto byte = static_cast<unsigned char>(text[at + i]);
        if (!isContinuationByte(byte))
            return 0xFFFD;
        character = character << 6 | (byte & 0x3F);
    }
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (character < kSmallest[size] || character > 0x10FFFF ||
        (character >= 0xD800 && character <= 0xDFFF))
        return 0xFFFD;
    at += size - 1;
    return character;
}

} // namespace utf8
