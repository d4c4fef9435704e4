// POSIX half of the code-page decoder: glibc's iconv, asked once per byte for the table of a
// single-byte code page and once per value for the others.
#include "platform/CodePage.h"

#include "platform/UndefinedBytes.h"
#include "platform/Utf8.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace platform {

namespace {

const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);

// iconv's name of a Windows code page number.
std::string iconvName(unsigned codePage) {
    switch (codePage) {
    case 10000:
        return "MACINTOSH";
    case 10007:
        return "MS-MAC-CYRILLIC"; // Microsoft's variant, as Windows decodes it
    case 10029:
        return "MAC-CENTRALEUROPE";
    case 20866:
        return "KOI8-R";
    case 21866:
        return "KOI8-U";
    case 65001:
        return "UTF-8";
    default:
        // The parts of ISO 8859 that Windows numbers from 28591: 1 to 9, 13 and 15.
        if ((codePage >= 28591 && codePage <= 28599) || codePage == 28603 || codePage == 28605)
            return "ISO-8859-" + std::to_string(codePage - 28590);
        return "CP" + std::to_string(codePage);
    }
}

// Converts what is left of the input; answers false with errno set when iconv stops early.
bool convertAll(iconv_t descriptor, const unsigned char*& from, std::size_t& fromLeft, char*& to,
                std::size_t& toLeft) {
    char* in = const_cast<char*>(reinterpret_cast<const char*>(from));
    const std::size_t result = ::iconv(descriptor, &in, &fromLeft, &to, &toLeft);
    from = reinterpret_cast<const unsigned char*>(in);
    return result != static_cast<std::size_t>(-1);
}

// Writes what a stateful decoder still holds back (code pages 1255 and 1258 wait for a
// combining mark after a letter).
bool flush(iconv_t descriptor, char*& to, std::size_t& toLeft) {
    return ::iconv(descriptor, nullptr, nullptr, &to, &toLeft) != static_cast<std::size_t>(-1);
}

void reset(iconv_t descriptor) {
    ::iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
}

// One byte decoded on its own: the UTF-8 it gives, or iconv's reason (errno) for none.
struct DecodedByte {
    char bytes[16];
    std::size_t length = 0;
    int error = 0;
};

DecodedByte decodeAlone(iconv_t descriptor, unsigned byte) {
    reset(descriptor);
    DecodedByte decoded{};
    const unsigned char single = static_cast<unsigned char>(byte);
    const unsigned char* from = &single;
    std::size_t fromLeft = 1;
    char* to = decoded.bytes;
    std::size_t toLeft = sizeof decoded.bytes;
    if (!convertAll(descriptor, from, fromLeft, to, toLeft) || !flush(descriptor, to, toLeft))
        decoded.error = errno != 0 ? errno : EILSEQ;
    decoded.length = static_cast<std::size_t>(to - decoded.bytes);
    return decoded;
}

// True when some byte alone is an incomplete character: the code page writes characters in
// more than one byte.
bool hasLeadBytes(iconv_t descriptor) {
    for (unsigned byte = 0x80; byte < 0x100; ++byte)
        if (decodeAlone(descriptor, byte).error == EINVAL)
            return true;
    return false;
}

} // namespace

struct CodePageDecoder::System {
    iconv_t descriptor = kNoDescriptor;
    bool singleByte = false;
};

CodePageDecoder::CodePageDecoder(unsigned codePage) : system_(std::make_unique<System>()) {
    system_->descriptor = ::iconv_open("UTF-8", iconvName(codePage).c_str());
    if (system_->descriptor != kNoDescriptor)
        system_->singleByte = !hasLeadBytes(system_->descriptor);
}

CodePageDecoder::~CodePageDecoder() {
    if (system_->descriptor != kNoDescriptor)
        ::iconv_close(system_->descriptor);
}

bool CodePageDecoder::isOpen() const {
    return system_->descriptor != kNoDescriptor;
}

bool CodePageDecoder::isSingleByte() const {
    return isOpen() && system_->singleByte;
}

Utf8ByteTable CodePageDecoder::utf8Table() const {
    Utf8ByteTable table{};
    table[0] = utf8BytesOf("", 1);
    for (unsigned byte = 1; byte < 256; ++byte) {
        const DecodedByte decoded = decodeAlone(system_->descriptor, byte);
        // A character outside the Basic Multilingual Plane would need four bytes.
        table[byte] = decoded.error == 0 && decoded.length > 0 && decoded.length <= 3
                          ? utf8BytesOf(decoded.bytes, decoded.length)
                          : undefinedByte(byte);
    }
    return table;
}

ConvertedText CodePageDecoder::decode(const unsigned char* from, std::size_t count, char* to,
                                      std::size_t capacity) const {
    const iconv_t descriptor = system_->descriptor;
    reset(descriptor);
    char* out = to;
    std::size_t outLeft = capacity;
    ConvertedText result;
    while (count > 0 && !convertAll(descriptor, from, count, out, outLeft)) {
        if (errno == E2BIG) {
            result.cut = true;
            break;
        }
        if (errno == EINVAL) // an incomplete character at the end
            break;
        // A byte that starts no character.
        if (outLeft < utf8::kReplacementBytes) {
            result.cut = true;
            break;
        }
        std::memcpy(out, utf8::kReplacement, utf8::kReplacementBytes);
        result.undefinedBytes = true;
        out += utf8::kReplacementBytes;
        outLeft -= utf8::kReplacementBytes;
        ++from;
        --count;
    }
    if (!flush(descriptor, out, outLeft))
        result.cut = true;
    result.bytes = static_cast<std::size_t>(out - to);
    return result;
}

bool canDecodeCodePage(unsigned codePage) {
    return CodePageDecoder(codePage).isOpen();
}

} // namespace platform
