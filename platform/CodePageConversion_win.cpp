// Windows half of the code-page decoder: MultiByteToWideChar, then WideCharToMultiByte into
// UTF-8; once per byte for the table of a single-byte code page, once per value otherwise.
#include "platform/CodePage.h"

#include "platform/UndefinedBytes.h"
#include "platform/Utf8.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace platform {

namespace {

// The one UTF-16 unit of a byte, or 0 when the code page does not define the byte.
wchar_t characterOf(unsigned codePage, unsigned char byte) {
    const char source = static_cast<char>(byte);
    wchar_t character = 0;
    if (::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, &source, 1, &character, 1) == 1)
        return character;
    // A few code pages take no flags at all.
    if (::GetLastError() == ERROR_INVALID_FLAGS &&
        ::MultiByteToWideChar(codePage, 0, &source, 1, &character, 1) == 1)
        return character;
    return 0;
}

// Decodes a double-byte text a character at a time: a lead byte that forms no character with
// the byte after it becomes U+FFFD and that byte is read again on its own, as iconv and
// Python's codecs read it, where the code page's default character would take both and lose
// the second. A lead byte that ends the text is dropped. Answers the UTF-16 units written to
// `wide`, which holds one per byte.
int decodeCharacterByCharacter(unsigned codePage, const unsigned char* from, std::size_t count,
                               wchar_t* wide) {
    int units = 0;
    for (std::size_t at = 0; at < count;) {
        const bool lead = ::IsDBCSLeadByteEx(codePage, from[at]) != FALSE;
        if (lead && at + 1 == count)
            break;
        const int bytes = lead ? 2 : 1;
        if (::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS,
                                  reinterpret_cast<const char*>(from + at), bytes, wide + units,
                                  1) == 1) {
            at += static_cast<std::size_t>(bytes);
        } else {
            wide[units] = 0xFFFD;
            ++at;
        }
        ++units;
    }
    return units;
}

} // namespace

struct CodePageDecoder::System {
    unsigned codePage = 0;
    CPINFO info{};
    bool open = false;
    // Scratch for one value, reused: the decoder serves one thread.
    mutable std::vector<wchar_t> wide;
    mutable std::vector<char> utf8;
};

CodePageDecoder::CodePageDecoder(unsigned codePage) : system_(std::make_unique<System>()) {
    system_->codePage = codePage;
    system_->open = ::GetCPInfo(codePage, &system_->info) != FALSE;
}

CodePageDecoder::~CodePageDecoder() = default;

bool CodePageDecoder::isOpen() const {
    return system_->open;
}

bool CodePageDecoder::isSingleByte() const {
    return isOpen() && system_->info.MaxCharSize == 1;
}

Utf8ByteTable CodePageDecoder::utf8Table() const {
    Utf8ByteTable table{};
    table[0] = utf8BytesOf("", 1);
    for (unsigned byte = 1; byte < 256; ++byte) {
        const wchar_t character = characterOf(system_->codePage, static_cast<unsigned char>(byte));
        char out[4];
        const int length = character == 0 ? 0
                                          : ::WideCharToMultiByte(CP_UTF8, 0, &character, 1, out,
                                                                  sizeof out, nullptr, nullptr);
        table[byte] = length > 0 && length <= 3 ? utf8BytesOf(out, static_cast<std::size_t>(length))
                                                : undefinedByte(byte);
    }
    return table;
}

ConvertedText CodePageDecoder::decode(const unsigned char* from, std::size_t count, char* to,
                                      std::size_t capacity) const {
    const auto* bytes = reinterpret_cast<const char*>(from);
    // An incomplete character at the end is dropped, not decoded to a default character.
    if (system_->codePage == CP_UTF8) {
        count = utf8::withoutBrokenEnd(bytes, count);
    } else if (system_->info.MaxCharSize == 2) {
        std::size_t whole = 0;
        while (whole < count)
            whole += ::IsDBCSLeadByteEx(system_->codePage, from[whole]) ? 2 : 1;
        if (whole > count)
            --count;
    }
    ConvertedText result;
    if (count == 0)
        return result;
    system_->wide.resize(count);
    // Nearly every text is well formed: one strict call decodes it, and only a text it
    // refuses, which holds a byte the code page does not define, is decoded again: as usual
    // (a default character in the byte's place), a double-byte one a character at a time.
    const bool doubleByte = system_->info.MaxCharSize == 2;
    int units = ::MultiByteToWideChar(system_->codePage, MB_ERR_INVALID_CHARS, bytes,
                                      static_cast<int>(count), system_->wide.data(),
                                      static_cast<int>(count));
    if (units == 0) {
        result.undefinedBytes = ::GetLastError() == ERROR_NO_UNICODE_TRANSLATION;
        units =
            doubleByte
                ? decodeCharacterByCharacter(system_->codePage, from, count, system_->wide.data())
                : ::MultiByteToWideChar(system_->codePage, 0, bytes, static_cast<int>(count),
                                        system_->wide.data(), static_cast<int>(count));
    }
    system_->utf8.resize(3 * count);
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, system_->wide.data(), units, system_->utf8.data(),
                              static_cast<int>(system_->utf8.size()), nullptr, nullptr);
    const auto decoded = static_cast<std::size_t>(length > 0 ? length : 0);
    result.bytes = utf8::wholeCharacterPrefix(system_->utf8.data(), decoded, capacity);
    result.cut = result.bytes < decoded;
    std::memcpy(to, system_->utf8.data(), result.bytes);
    return result;
}

bool canDecodeCodePage(unsigned codePage) {
    return CodePageDecoder(codePage).isOpen();
}

} // namespace platform
