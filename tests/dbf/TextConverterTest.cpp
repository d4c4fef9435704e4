// The decoding of a file's text into UTF-8: where a text ends in any word of the word loop,
// cuts at a whole character that never write past the slot, and every character of eight
// code pages decoded as Python's codecs decode it.
#include "dbf/TextConverter.h"

#include "support/CodePageCharacters.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

constexpr char kUntouched = '\xEE';
constexpr std::size_t kGuardBytes = 16;

// Code page 437 with one more byte that converts to zero: 0xFA (a middle dot) ends a text.
platform::Utf8ByteTable tableEndingAtFA() {
    platform::Utf8ByteTable table = platform::CodePageDecoder(437).utf8Table();
    table[0xFA] = platform::Utf8Bytes{{0, 0, 0}, 1};
    return table;
}

// Decodes `text` into a slot of `capacity` bytes with guard bytes behind it, which must stay.
std::string convertChecked(const TextConverter& converter, const std::string& text,
                           std::size_t capacity, platform::ConvertedText& result) {
    std::string slot(capacity + kGuardBytes, kUntouched);
    result = converter.convert(reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                               &slot[0], capacity);
    EXPECT_EQ(slot.substr(capacity), std::string(kGuardBytes, kUntouched)) << "past the slot";
    return slot.substr(0, result.bytes);
}

// "61 EFBFBD" as the bytes it spells in hexadecimal; blanks only separate them.
std::string fromHex(const std::string& hex) {
    std::string bytes;
    for (std::size_t at = 0; at + 1 < hex.size();) {
        if (hex[at] == ' ') {
            ++at;
            continue;
        }
        bytes += static_cast<char>(std::stoi(hex.substr(at, 2), nullptr, 16));
        at += 2;
    }
    return bytes;
}

} // namespace

TEST(TextConverter, TheEndOfATextIsFoundInEveryWordAtEveryWidth) {
    const TextConverter converter(tableEndingAtFA());
    // ASCII words, words of two-byte letters (u-umlaut), and the two mixed.
    const std::string fillers[] = {"abcdefgh", "\x81\x81\x81\x81\x81\x81\x81\x81",
                                   "ab\x81"
                                   "cd\x81"
                                   "ef"};
    for (std::size_t width = 1; width <= 24; ++width) {
        for (std::size_t kind = 0; kind < 3; ++kind) {
            std::string whole;
            while (whole.size() < width)
                whole += fillers[kind];
            // Characters of the filler are one byte in the file each.
            auto utf8Prefix = [&](std::size_t bytes) {
                std::string prefix;
                for (std::size_t at = 0; at < bytes; ++at) {
                    const unsigned char byte = static_cast<unsigned char>(whole[at]);
                    prefix += byte == 0x81 ? std::string("\xC3\xBC") : std::string(1, whole[at]);
                }
                return prefix;
            };
            whole.resize(width);
            platform::ConvertedText result;
            EXPECT_EQ(convertChecked(converter, whole, 3 * width, result), utf8Prefix(width))
                << "width " << width << " kind " << kind;
            EXPECT_FALSE(result.ended);
            for (std::size_t end = 0; end < width; ++end) {
                for (char ending : {'\0', '\xFA'}) {
                    std::string text = whole;
                    text[end] = ending;
                    const std::string where = "width " + std::to_string(width) + " kind " +
                                              std::to_string(kind) + " end at " +
                                              std::to_string(end) + (ending ? " (FA)" : " (00)");
                    ASSERT_EQ(convertChecked(converter, text, 3 * width, result), utf8Prefix(end))
                        << where;
                    EXPECT_EQ(result.bytes, utf8Prefix(end).size()) << where;
                    EXPECT_TRUE(result.ended) << where;
                    EXPECT_FALSE(result.cut) << where;
                }
            }
        }
    }
}

TEST(TextConverter, ASlotTakesWholeCharactersAndNothingPastItsEnd) {
    const TextConverter converter(platform::CodePageDecoder(437).utf8Table());
    EXPECT_EQ(converter.utf8BytesPerByte(), 3u); // box drawing
    // Box-drawing lines (three bytes) between ASCII letters, cut at every capacity.
    const std::string text = "a\xC4\xC4"
                             "bcdefghij\xC4klmnopqrstuvw\xC4\xC4xyz";
    std::string full;
    for (char byte : text)
        full += byte == '\xC4' ? std::string("\xE2\x94\x80") : std::string(1, byte);
    for (std::size_t capacity = 0; capacity <= full.size(); ++capacity) {
        platform::ConvertedText result;
        const std::string slot = convertChecked(converter, text, capacity, result);
        std::size_t whole = capacity;
        while (whole > 0 && whole < full.size() && (full[whole] & 0xC0) == 0x80)
            --whole;
        EXPECT_EQ(slot, full.substr(0, whole)) << "capacity " << capacity;
        EXPECT_EQ(result.cut, capacity < full.size()) << "capacity " << capacity;
    }

    // A table that changes ASCII takes every byte through it, as far as the slot goes.
    platform::Utf8ByteTable shouting = platform::CodePageDecoder(437).utf8Table();
    shouting['a'].bytes[0] = 'A';
    const TextConverter upper(shouting);
    platform::ConvertedText result;
    EXPECT_EQ(convertChecked(upper, "banana\x81", 7, result), "bAnAnA");
    EXPECT_TRUE(result.cut);
}

TEST(TextConverter, EightCodePagesDecodeAsPythonsCodecs) {
    const auto characters = codePageCharacters();
    ASSERT_EQ(characters.size(), 8u) << "files/code-page-characters.txt is missing";
    for (const auto& [codePage, list] : characters) {
        std::unique_ptr<TextConverter> converter = TextConverter::forCodePage(codePage);
        ASSERT_NE(converter, nullptr) << "code page " << codePage;
        // One character at a time, and all of them as one text.
        std::string text;
        std::string expected;
        for (const CodePageCharacter& character : list) {
            platform::ConvertedText result;
            EXPECT_EQ(
                convertChecked(*converter, character.bytes, 3 * character.bytes.size(), result),
                character.utf8)
                << "code page " << codePage << ", byte(s) "
                << testing::PrintToString(character.bytes);
            text += character.bytes;
            expected += character.utf8;
        }
        platform::ConvertedText result;
        EXPECT_EQ(convertChecked(*converter, text, 3 * text.size(), result), expected)
            << "code page " << codePage;
        EXPECT_FALSE(result.cut);
    }
}

TEST(TextConverter, DoubleByteTextIsDecodedWholeCharactersOnly) {
    std::unique_ptr<TextConverter> shiftJis = TextConverter::forCodePage(932);
    ASSERT_NE(shiftJis, nullptr);
    // Hiragana a and i (two bytes, three in UTF-8), half-width katakana a (one byte, three).
    const std::string text = "\x82\xA0\x82\xA2\xB1x";
    const std::string utf8 = "\xE3\x81\x82\xE3\x81\x84\xEF\xBD\xB1x";
    platform::ConvertedText result;
    EXPECT_EQ(convertChecked(*shiftJis, text, 3 * text.size(), result), utf8);
    // A value cut at its column's width inside a character loses that character's lead byte.
    EXPECT_EQ(convertChecked(*shiftJis, text.substr(0, 3), 9, result), "\xE3\x81\x82");
    EXPECT_FALSE(result.cut);
    // A slot too small takes the whole characters that fit.
    EXPECT_EQ(convertChecked(*shiftJis, text, 8, result), "\xE3\x81\x82\xE3\x81\x84");
    EXPECT_TRUE(result.cut);
    // A zero byte ends the text.
    EXPECT_EQ(convertChecked(*shiftJis, std::string("\x82\xA0\0\x82\xA2", 5), 15, result),
              "\xE3\x81\x82");
    EXPECT_TRUE(result.ended);
    EXPECT_EQ(shiftJis->toUtf8(text.data(), text.size()), utf8);

    // UTF-8 itself, for files written by newer programs.
    std::unique_ptr<TextConverter> unicode = TextConverter::forCodePage(65001);
    ASSERT_NE(unicode, nullptr);
    EXPECT_EQ(convertChecked(*unicode, utf8 + "\xE3\x81", 30, result), utf8);
    // A number that names no code page.
    EXPECT_EQ(TextConverter::forCodePage(12345), nullptr);
    EXPECT_FALSE(platform::canDecodeCodePage(12345));
    EXPECT_TRUE(platform::canDecodeCodePage(866));
}

TEST(TextConverter, BytesADoubleByteCodePageDoesNotDefineBecomeReplacementsAsPythonDecodesThem) {
    // Texts in hexadecimal with what Python's codec makes of them, a character at a time
    // (bytes.decode('cpNNN', 'replace').encode('utf-8')): a lead byte before a byte that
    // cannot follow it, or before one it forms no character with, becomes one U+FFFD
    // (EFBFBD), and the byte it did not take is read on its own, never lost. (The pairs of the
    // user-defined areas are left out: Windows gives them characters of its own.)
    struct Case {
        unsigned codePage;
        const char* bytes;
        const char* utf8;
    };
    const Case cases[] = {
        {932, "61 81 20 62", "61 EFBFBD 20 62"},
        {932, "61 81 7F 62", "61 EFBFBD 7F 62"},
        {932, "61 81 30 62", "61 EFBFBD 30 62"},
        {932, "61 85 40 62", "61 EFBFBD 40 62"},
        {932, "61 81 81 40 62", "61 EFBC9D 40 62"},
        {936, "61 81 20 62", "61 EFBFBD 20 62"},
        {936, "61 81 7F 62", "61 EFBFBD 7F 62"},
        {936, "61 81 30 62", "61 EFBFBD 30 62"},
        {949, "61 81 20 62", "61 EFBFBD 20 62"},
        {949, "61 81 7F 62", "61 EFBFBD 7F 62"},
        {949, "61 85 40 62", "61 EFBFBD 40 62"},
        {950, "61 81 20 62", "61 EFBFBD 20 62"},
        {950, "61 81 7F 62", "61 EFBFBD 7F 62"},
        {950, "61 A4 7F A4 40 62", "61 EFBFBD 7F E4B880 62"},
    };
    for (const Case& test : cases) {
        std::unique_ptr<TextConverter> converter = TextConverter::forCodePage(test.codePage);
        ASSERT_NE(converter, nullptr) << test.codePage;
        const std::string text = fromHex(test.bytes);
        platform::ConvertedText result;
        EXPECT_EQ(convertChecked(*converter, text, 3 * text.size(), result), fromHex(test.utf8))
            << "code page " << test.codePage << ", bytes " << test.bytes;
        EXPECT_FALSE(result.cut);
    }
    // A replacement is a character like any other: one that does not fit is left out whole.
    std::unique_ptr<TextConverter> shiftJis = TextConverter::forCodePage(932);
    ASSERT_NE(shiftJis, nullptr);
    platform::ConvertedText result;
    EXPECT_EQ(convertChecked(*shiftJis, fromHex("61 81 20 62"), 3, result), "a");
    EXPECT_TRUE(result.cut);
    EXPECT_EQ(convertChecked(*shiftJis, fromHex("61 81 20 62"), 4, result), fromHex("61 EFBFBD"));
    EXPECT_TRUE(result.cut);
}

TEST(TextConverter, AByteTheCodePageDoesNotDefineIsToldWhereverItStandsInTheText) {
    // Code page 1253 leaves 0xAA undefined (Python's codec refuses it); 0xC1 is capital alpha.
    std::unique_ptr<TextConverter> greek = TextConverter::forCodePage(1253);
    ASSERT_NE(greek, nullptr);
    EXPECT_EQ(greek->codePage(), 1253u);
    const std::string replacement = "\xEF\xBF\xBD";
    for (std::size_t width = 1; width <= 24; ++width) {
        for (const std::string& filler : {std::string("a"), std::string("\xC1")}) {
            const std::string fillerUtf8 = filler == "a" ? "a" : "\xCE\x91";
            for (std::size_t at = 0; at < width; ++at) {
                std::string text;
                for (std::size_t letter = 0; letter < width; ++letter)
                    text += letter == at ? "\xAA" : filler;
                std::string expected;
                for (std::size_t letter = 0; letter < width; ++letter)
                    expected += letter == at ? replacement : fillerUtf8;
                const std::string where = "width " + std::to_string(width) + " at " +
                                          std::to_string(at) + " among " +
                                          (filler == "a" ? "ASCII" : "Greek");
                platform::ConvertedText result;
                EXPECT_EQ(convertChecked(*greek, text, 3 * width, result), expected) << where;
                EXPECT_TRUE(result.undefinedBytes) << where;
                // A text that ends before the byte, or a slot that ends before it, never holds it.
                const std::size_t before = at * fillerUtf8.size();
                EXPECT_EQ(convertChecked(*greek, text, before + 2, result),
                          expected.substr(0, before))
                    << where;
                EXPECT_TRUE(result.cut) << where;
                EXPECT_FALSE(result.undefinedBytes) << where;
                std::string ended = text;
                ended[at] = '\0';
                ended += "\xAA";
                convertChecked(*greek, ended, 3 * ended.size(), result);
                EXPECT_TRUE(result.ended) << where;
                EXPECT_FALSE(result.undefinedBytes) << where;
                text[at] = filler[0];
                convertChecked(*greek, text, 3 * width, result);
                EXPECT_FALSE(result.undefinedBytes) << where;
            }
        }
    }
    // Windows gives 1252's 0x81 a control character of its own: defined, as in every byte of
    // code page 437.
    platform::ConvertedText result;
    EXPECT_EQ(convertChecked(*TextConverter::forCodePage(1252), "abc\x81", 12, result),
              "abc\xC2\x81");
    EXPECT_FALSE(result.undefinedBytes);
    std::string everyByte;
    for (unsigned byte = 1; byte < 256; ++byte)
        everyByte += static_cast<char>(byte);
    convertChecked(*TextConverter::forCodePage(437), everyByte, 3 * everyByte.size(), result);
    EXPECT_FALSE(result.undefinedBytes);
    // Shift-JIS: a lead byte before a blank starts no character; UTF-8: 0xFF starts none.
    convertChecked(*TextConverter::forCodePage(932), "\x82\xA0\x81 x", 30, result);
    EXPECT_TRUE(result.undefinedBytes);
    convertChecked(*TextConverter::forCodePage(932), "\x82\xA0 x", 30, result);
    EXPECT_FALSE(result.undefinedBytes);
    EXPECT_EQ(convertChecked(*TextConverter::forCodePage(65001),
                             "a\xFF"
                             "b",
                             30, result),
              "a" + replacement + "b");
    EXPECT_TRUE(result.undefinedBytes);
}
