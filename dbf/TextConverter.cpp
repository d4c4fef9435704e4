// The conversion table, and the conversion a value at a time.
#include "dbf/TextConverter.h"

#include "platform/UndefinedBytes.h"

#include <algorithm>
#include <vector>

namespace {

// An entry of the table that ends the text.
constexpr std::uint32_t kEnd = 0;

std::uint32_t packed(const platform::Utf8Bytes& character) {
    if (character.length == 0 || character.bytes[0] == 0)
        return kEnd;
    std::uint32_t entry = std::uint32_t{character.length} << 24;
    for (unsigned at = 0; at < character.length && at < 3; ++at)
        entry |= std::uint32_t{character.bytes[at]} << (8 * at);
    return entry;
}

} // namespace

std::unique_ptr<TextConverter> TextConverter::forCodePage(unsigned codePage) {
    auto decoder = std::make_unique<platform::CodePageDecoder>(codePage);
    if (!decoder->isOpen())
        return nullptr;
    if (decoder->isSingleByte())
        return std::make_unique<TextConverter>(decoder->utf8Table(), codePage);
    return std::unique_ptr<TextConverter>(new TextConverter(std::move(decoder), codePage));
}

TextConverter::TextConverter(const platform::Utf8ByteTable& table, unsigned codePage)
    : codePage_(codePage) {
    std::size_t widest = 1;
    keepsAscii_ = text_words::kLittleEndian;
    const std::uint32_t replacement =
        packed(platform::utf8BytesOf(utf8::kReplacement, utf8::kReplacementBytes));
    for (unsigned byte = 0; byte < 256; ++byte) {
        table_[byte] = packed(table[byte]);
        widest = std::max<std::size_t>(widest, table_[byte] >> 24);
        if (byte > 0 && byte < 0x80 && table_[byte] != ((1u << 24) | byte))
            keepsAscii_ = false;
        if (byte >= 0x80 && table_[byte] == kEnd)
            highBytesMayEnd_ = true;
        // No code page has U+FFFD of its own: a byte that becomes it is one it leaves undefined.
        undefined_[byte] = byte > 0 && table_[byte] == replacement ? 1 : 0;
        definesEveryByte_ = definesEveryByte_ && undefined_[byte] == 0;
    }
    // A zero byte ends every stored text before any conversion sees it.
    table_[0] = kEnd;
    utf8BytesPerByte_ = widest;
}

TextConverter::TextConverter(std::unique_ptr<platform::CodePageDecoder> decoder, unsigned codePage)
    : codePage_(codePage), multiByte_(std::move(decoder)) {}

platform::ConvertedText TextConverter::convertMultiByte(const unsigned char* from,
                                                        std::size_t count, char* to,
                                                        std::size_t capacity) const {
    if (count == 0)
        return {};
    // No trail byte of these code pages is zero, so a zero byte is the text's end.
    const void* zero = std::memchr(from, 0, count);
    if (zero != nullptr)
        count = static_cast<std::size_t>(static_cast<const unsigned char*>(zero) - from);
    platform::ConvertedText converted = multiByte_->decode(from, count, to, capacity);
    converted.ended = zero != nullptr && !converted.cut;
    return converted;
}

std::string TextConverter::toUtf8(const char* text, std::size_t length) const {
    std::vector<char> converted(length * utf8BytesPerByte_ + 1);
    const platform::ConvertedText written = convert(reinterpret_cast<const unsigned char*>(text),
                                                    length, converted.data(), converted.size());
    return std::string(converted.data(), written.bytes);
}
