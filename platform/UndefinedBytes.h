// What a byte that a code page leaves undefined stands for, the same on every system.
#pragma once

#include "platform/CodePage.h"
#include "platform/Utf8.h"

#include <cstring>

namespace platform {

inline Utf8Bytes utf8BytesOf(const char* text, std::size_t length) {
    Utf8Bytes character{};
    std::memcpy(character.bytes, text, length);
    character.length = static_cast<unsigned char>(length);
    return character;
}

// Bytes 0x80 to 0x9F stand for the C1 control of the same number, as Windows' own tables have
// them; any other undefined byte for the replacement character.
inline Utf8Bytes undefinedByte(unsigned byte) {
    if (byte >= 0x80 && byte < 0xA0) {
        const char control[] = {'\xC2', static_cast<char>(byte)};
        return utf8BytesOf(control, 2);
    }
    return utf8BytesOf(utf8::kReplacement, utf8::kReplacementBytes);
}

} // namespace platform
