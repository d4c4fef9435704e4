// Conversion between the stand-in's character sets through Unicode code points.
#include "CharacterSets.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace standin {

namespace {

constexpr char32_t kNoCharacter = 0xFFFD;

struct NamedSet {
    const char* name;
    ub2 id;
};

constexpr NamedSet kNamedSets[] = {
    {"US7ASCII", kUS7ASCII},
    {"WE8ISO8859P1", kWE8ISO8859P1},
    {"WE8MSWIN1252", kWE8MSWIN1252},
    {"AL32UTF8", kAL32UTF8},
};

// Code page 1252's bytes 0x80 to 0x9F. The five bytes it leaves undefined stand for the C1
// control of the same number, as Windows converts them.
constexpr char32_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The code point of a UTF-8 sequence at `bytes`; `used` gets its length. Malformed
// sequences give kNoCharacter for their first byte.
char32_t decodeUtf8(const unsigned char* bytes, std::size_t length, std::size_t& used) {
    used = 1;
    const unsigned char lead = bytes[0];
    if (lead < 0x80)
        return lead;
    const std::size_t size = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (size == 0 || size > length || lead > 0xF4)
        return kNoCharacter;
    char32_t point = lead & (0x7F >> size);
    for (std::size_t i = 1; i < size; ++i) {
        if ((bytes[i] & 0xC0) != 0x80)
            return kNoCharacter;
        point = (point << 6) | (bytes[i] & 0x3F);
    }
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (point < kSmallest[size] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
        return kNoCharacter;
    used = size;
    return point;
}

// One character of set `from` at `bytes`; `used` gets its byte count.
char32_t decode(const unsigned char* bytes, std::size_t length, ub2 from, std::size_t& used) {
    used = 1;
    const unsigned char byte = bytes[0];
    switch (from) {
    case kUS7ASCII:
        return byte < 0x80 ? byte : kNoCharacter;
    case kWE8MSWIN1252:
        return byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : byte;
    case kAL32UTF8:
        return decodeUtf8(bytes, length, used);
    default:
        return byte;
    }
}

void encodeUtf8(char32_t point, std::string& out) {
    if (point < 0x80) {
        out.push_back(static_cast<char>(point));
    } else if (point < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (point >> 6)));
        out.push_back(static_cast<char>(0x80 | (point & 0x3F)));
    } else if (point < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (point >> 12)));
        out.push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (point & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (point >> 18)));
        out.push_back(static_cast<char>(0x80 | ((point >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (point & 0x3F)));
    }
}

// The byte of code page 1252 for `point`, or 0 when it has none.
unsigned char windows1252Byte(char32_t point) {
    if (point < 0x80 || (point >= 0xA0 && point <= 0xFF))
        return static_cast<unsigned char>(point);
    for (char32_t byte = 0; byte < 32; ++byte)
        if (kWindows1252High[byte] == point)
            return static_cast<unsigned char>(0x80 + byte);
    return 0;
}

// Oracle's replacement character of each set: what a character the set lacks becomes.
constexpr unsigned char kAsciiReplacement = '?';
constexpr unsigned char kWesternReplacement = 0xBF; // the inverted question mark

void encode(char32_t point, ub2 to, std::string& out) {
    switch (to) {
    case kUS7ASCII:
        out.push_back(static_cast<char>(point < 0x80 ? point : kAsciiReplacement));
        break;
    case kWE8ISO8859P1:
        out.push_back(static_cast<char>(
            point <= 0xFF && point != kNoCharacter ? point : kWesternReplacement));
        break;
    case kWE8MSWIN1252: {
        const unsigned char byte = point == 0 ? 0 : windows1252Byte(point);
        out.push_back(static_cast<char>(byte != 0 || point == 0 ? byte : kWesternReplacement));
        break;
    }
    default:
        encodeUtf8(point, out);
    }
}

// Oracle's upper case of one letter of the blocks the stand-in folds.
char32_t upperCaseOf(char32_t point) {
    if ((point >= 'a' && point <= 'z') || (point >= 0xE0 && point <= 0xFE && point != 0xF7) ||
        (point >= 0x3B1 && point <= 0x3CB && point != 0x3C2) || (point >= 0x430 && point <= 0x44F))
        return point - 0x20;
    if (point >= 0x450 && point <= 0x45F)
        return point - 0x50;
    if (point == 0xFF)
        return 0x178;
    if (point == 0x3C2) // the final sigma
        return 0x3A3;
    // Latin Extended-A pairs an upper-case letter with the lower-case one after it, the
    // ranges 0x139-0x148 and 0x179-0x17E one place later.
    const bool oddLower = (point >= 0x100 && point <= 0x137) || (point >= 0x14A && point <= 0x177);
    const bool evenLower = (point >= 0x139 && point <= 0x148) || (point >= 0x179 && point <= 0x17E);
    if ((oddLower && point % 2 == 1) || (evenLower && point % 2 == 0))
        return point - 1;
    constexpr char32_t kGreekAccented[][2] = {{0x3AC, 0x386}, {0x3AD, 0x388}, {0x3AE, 0x389},
                                              {0x3AF, 0x38A}, {0x3CC, 0x38C}, {0x3CD, 0x38E},
                                              {0x3CE, 0x38F}};
    for (const auto& pair : kGreekAccented)
        if (pair[0] == point)
            return pair[1];
    return point;
}

} // namespace

ub2 characterSetNamed(const std::string& name) {
    std::string upper = name;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const NamedSet& set : kNamedSets)
        if (upper == set.name)
            return set.id;
    return 0;
}

bool isKnownCharacterSet(ub2 characterSet) {
    for (const NamedSet& set : kNamedSets)
        if (set.id == characterSet)
            return true;
    return false;
}

bool isNationalCharacterSet(ub2 characterSet) {
    return characterSet == kUTF8 || characterSet == kAL16UTF16 || isKnownCharacterSet(characterSet);
}

ub2 characterSetFromNlsLang() {
    const char* nlsLang = std::getenv("NLS_LANG");
    const std::string value = nlsLang != nullptr ? nlsLang : "";
    const std::size_t dot = value.rfind('.');
    if (dot == std::string::npos || dot + 1 == value.size())
        return kUS7ASCII;
    return characterSetNamed(value.substr(dot + 1));
}

void convertText(const char* bytes, std::size_t length, ub2 from, ub2 to, std::string& out) {
    if (from == to) {
        out.append(bytes, length);
        return;
    }
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    for (std::size_t at = 0; at < length;) {
        std::size_t used = 1;
        encode(decode(in + at, length - at, from, used), to, out);
        at += used;
    }
}

std::string convertText(const std::string& text, ub2 from, ub2 to) {
    std::string out;
    convertText(text.data(), text.size(), from, to, out);
    return out;
}

std::string upperCased(const std::string& text, ub2 characterSet) {
    std::string out;
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t at = 0; at < text.size();) {
        std::size_t used = 1;
        const char32_t point = decode(in + at, text.size() - at, characterSet, used);
        // A byte that is no character of the set stays as it is.
        if (point == kNoCharacter)
            out.append(text, at, used);
        else
            encode(upperCaseOf(point), characterSet, out);
        at += used;
    }
    return out;
}

std::size_t characterCount(const char* bytes, std::size_t length, ub2 characterSet) {
    if (characterSet != kAL32UTF8)
        return length;
    std::size_t characters = 0;
    for (std::size_t at = 0; at < length; ++at)
        characters += (static_cast<unsigned char>(bytes[at]) & 0xC0) != 0x80 ? 1 : 0;
    return characters;
}

bool fitsInCharacters(const char* bytes, std::size_t length, ub2 characterSet,
                      std::size_t characters) {
    if (length <= characters)
        return true;
    if (characterSet != kAL32UTF8)
        return false;
    // Characters are the bytes less the continuation bytes (10xxxxxx); enough of those decide
    // it. Eight bytes at a time: a benchmark's discarded rows pass through here.
    const std::size_t needed = length - characters;
    std::size_t continuations = 0;
    std::size_t at = 0;
    for (; at + 8 <= length && continuations < needed; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + at, sizeof word);
        // Bit 7 of each continuation byte, moved to bit 0 and summed by one multiplication
        // (no popcount instruction is assumed).
        const std::uint64_t marks = (word & ~(word << 1) & 0x8080808080808080u) >> 7;
        continuations += static_cast<std::size_t>((marks * 0x0101010101010101u) >> 56);
    }
    for (; at < length && continuations < needed; ++at)
        continuations += (static_cast<unsigned char>(bytes[at]) & 0xC0) == 0x80 ? 1 : 0;
    return continuations >= needed;
}

bool isIdentifierText(const std::string& text, ub2 characterSet) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t at = 0; at < text.size();) {
        std::size_t used = 1;
        const char32_t point = decode(bytes + at, text.size() - at, characterSet, used);
        const bool replacement = characterSet == kAL32UTF8 ? point == kNoCharacter
                                                           : bytes[at] == kWesternReplacement &&
                                                                 characterSet != kUS7ASCII;
        if (replacement)
            return false;
        at += used;
    }
    return true;
}

} // namespace standin
