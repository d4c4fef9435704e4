// Text between the code pages of DBF files and of the people at the machine, and UTF-8, in
// which Marlin keeps every text and hands it to Oracle.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>

namespace platform {

// The UTF-8 form of one byte of a single-byte code page: `length` bytes (1 to 3).
struct Utf8Bytes {
    unsigned char bytes[3];
    unsigned char length;
};
using Utf8ByteTable = std::array<Utf8Bytes, 256>;

// What a conversion into a buffer of limited size wrote: `bytes` of whole characters; `cut`
// when characters were left out because the next one did not fit; `ended` when the text's end
// (a zero byte) came before the bytes it was given ran out; `undefinedBytes` when bytes the code
// page does not define were written as U+FFFD.
struct ConvertedText {
    std::size_t bytes = 0;
    bool cut = false;
    bool ended = false;
    bool undefinedBytes = false;
};

// The machine's OEM code page, in which DOS programs wrote their files: GetOEMCP() on Windows,
// 437 elsewhere.
unsigned oemCodePage();

// The system's decoder of one code page into UTF-8: MultiByteToWideChar on Windows, iconv
// elsewhere. Bytes the code page leaves undefined become U+FFFD, except those of 0x80 to 0x9F,
// which stand for the C1 control of the same number, as Windows' own tables have them. Used
// by one thread at a time.
class CodePageDecoder {
  public:
    // isOpen() is false when this system cannot decode `codePage`.
    explicit CodePageDecoder(unsigned codePage);
    ~CodePageDecoder();
    CodePageDecoder(const CodePageDecoder&) = delete;
    CodePageDecoder& operator=(const CodePageDecoder&) = delete;

    bool isOpen() const;
    // True when every character takes one byte; false for the East Asian code pages, which
    // write most characters in two, and for UTF-8 (65001).
    bool isSingleByte() const;
    // The UTF-8 form of every byte; for single-byte code pages only. Byte 0 is itself.
    Utf8ByteTable utf8Table() const;

    // Decodes `count` bytes (with no zero byte among them) into at most `capacity` bytes of
    // UTF-8 at `to`, whole characters only. An incomplete character at the end is dropped; a
    // byte that starts no character becomes U+FFFD (then `undefinedBytes` is set).
    ConvertedText decode(const unsigned char* from, std::size_t count, char* to,
                         std::size_t capacity) const;

  private:
    struct System;
    std::unique_ptr<System> system_;
};

// True when this system can decode `codePage`.
bool canDecodeCodePage(unsigned codePage);

// Texts of the people at the machine, from and to UTF-8. The local encoding is the ANSI code
// page on Windows (the dialog's fields, a console program's arguments and output to files,
// file names), and elsewhere the locale's character set (a terminal's arguments and lines,
// file names), taken as UTF-8 in the C locale. Bytes that are no character become U+FFFD; a
// character the local encoding lacks becomes its replacement (Windows' best fit, or '?').
std::string utf8FromLocal(const std::string& text);
std::string localFromUtf8(const std::string& text);

// The UTF-8 text with every letter in upper case, as Windows' CharUpperBuffW or the C
// library's towupper in a UTF-8 locale make it.
std::string upperCasedUtf8(const std::string& text);

} // namespace platform
