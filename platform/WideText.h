// Text between the encodings Marlin keeps (UTF-8 inside, the ANSI code page in its dialogs) and
// the UTF-16 that the system's wide interfaces (consoles, menus) take. Windows only.
#pragma once

#include <string>

namespace platform {

// Every byte of `text`, zero bytes included, as UTF-16.
std::wstring wideFromAnsi(const std::string& text);
// The UTF-16 text in the ANSI code page; characters it lacks become its best fit or its
// default character.
std::string ansiFromWide(const std::wstring& text);

// The UTF-8 text as UTF-16; bytes that are no character become U+FFFD.
std::wstring wideFromUtf8(const std::string& text);
// The UTF-16 text as UTF-8.
std::string utf8FromWide(const std::wstring& text);

} // namespace platform
