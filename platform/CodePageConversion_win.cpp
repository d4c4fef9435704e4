// Windows half of the conversion from a named code page: each byte through the system's
// MultiByteToWideChar and back with WideCharToMultiByte, which picks the best fit for a
// character the ANSI code page lacks.
#include "platform/CodePage.h"

#include <windows.h>

namespace platform {

namespace {

constexpr char kNone = '?';

ByteTable identityTable() {
    ByteTable table{};
    for (unsigned byte = 0; byte < 256; ++byte)
        table[byte] = static_cast<unsigned char>(byte);
    return table;
}

// The ANSI byte of one byte of `codePage`; '?' where either step has no answer, or where
// the ANSI code page would need two bytes for the character.
unsigned char ansiByteOf(unsigned codePage, unsigned char byte) {
    const char source = static_cast<char>(byte);
    wchar_t character = 0;
    if (::MultiByteToWideChar(codePage, 0, &source, 1, &character, 1) != 1)
        return kNone;
    char ansi[2];
    if (::WideCharToMultiByte(CP_ACP, 0, &character, 1, ansi, sizeof ansi, nullptr, nullptr) != 1)
        return kNone;
    return static_cast<unsigned char>(ansi[0]);
}

} // namespace

std::optional<ByteTable> codePageToAnsiTable(unsigned codePage) {
    if (codePage == ::GetACP())
        return identityTable();
    CPINFO info{};
    if (!::GetCPInfo(codePage, &info))
        return std::nullopt;
    if (info.MaxCharSize > 1)
        return identityTable();
    ByteTable table{};
    for (unsigned byte = 1; byte < 256; ++byte)
        table[byte] = ansiByteOf(codePage, static_cast<unsigned char>(byte));
    return table;
}

} // namespace platform
