// Text between the Windows ANSI code page, in which Marlin keeps its texts, and the UTF-16
// that the system's wide interfaces (consoles, menus) take. Windows only.
#pragma once

#include <string>

namespace platform {

// Every byte of `text`, zero bytes included, as UTF-16.
std::wstring wideFromAnsi(const std::string& text);
// The UTF-16 text in the ANSI code page; characters it lacks become its default character.
std::string ansiFromWide(const std::wstring& text);

} // namespace platform
