// Conversion between the stand-in's character sets through Unicode code points.
#include "CharacterSets.h"

#include <cctype>
#include <cstdlib>

namespace standin {

namespace {

constexpr char32_t kReplacement = '?';

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
// sequences give kReplacement for their first byte.
char32_t decodeUtf8(const unsigned char* bytes, std::size_t length, std::size_t& used) {
    used = 1;
    const unsigned char lead = bytes[0];
    if (lead < 0x80)
        return lead;
    const std::size_t size = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (size == 0 || size > length || lead > 0xF4)
        return kReplacement;
    char32_t point = lead & (0x7F >> size);
    for (std::size_t i = 1; i < size; ++i) {
        if ((bytes[i] & 0xC0) != 0x80)
            return kReplacement;
        point = (point << 6) | (bytes[i] & 0x3F);
    }
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (point < kSmallest[size] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
        return kReplacement;
    used = size;
    return point;
}

// One character of set `from` at `bytes`; `used` gets its byte count.
char32_t decode(const unsigned char* bytes, std::size_t length, ub2 from, std::size_t& used) {
    used = 1;
    const unsigned char byte = bytes[0];
    switch (from) {
    case kUS7ASCII:
        return byte < 0x80 ? byte : kReplacement;
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

char32_t windows1252Byte(char32_t point) {
    if (point < 0x80 || (point >= 0xA0 && point <= 0xFF))
        return point;
    for (char32_t byte = 0; byte < 32; ++byte)
        if (kWindows1252High[byte] == point)
            return 0x80 + byte;
    return kReplacement;
}

void encode(char32_t point, ub2 to, std::string& out) {
    switch (to) {
    case kUS7ASCII:
        out.push_back(static_cast<char>(point < 0x80 ? point : kReplacement));
        break;
    case kWE8ISO8859P1:
        out.push_back(static_cast<char>(point <= 0xFF ? point : kReplacement));
        break;
    case kWE8MSWIN1252:
        out.push_back(static_cast<char>(windows1252Byte(point)));
        break;
    default:
        encodeUtf8(point, out);
    }
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

std::size_t characterCount(const char* bytes, std::size_t length, ub2 characterSet) {
    if (characterSet != kAL32UTF8)
        return length;
    std::size_t characters = 0;
    for (std::size_t at = 0; at < length; ++at)
        characters += (static_cast<unsigned char>(bytes[at]) & 0xC0) != 0x80 ? 1 : 0;
    return characters;
}

} // namespace standin
