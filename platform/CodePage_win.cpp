// Windows half of the texts of people and machine: the ANSI code page, and upper case, through
// the system's wide-character functions.
#include "platform/CodePage.h"

#include "platform/WideText.h"

#include <windows.h>

namespace platform {

unsigned oemCodePage() {
    return ::GetOEMCP();
}

std::string utf8FromLocal(const std::string& text) {
    return utf8FromWide(wideFromAnsi(text));
}

std::string localFromUtf8(const std::string& text) {
    return ansiFromWide(wideFromUtf8(text));
}

std::string upperCasedUtf8(const std::string& text) {
    std::wstring wide = wideFromUtf8(text);
    ::CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return utf8FromWide(wide);
}

} // namespace platform
