// Windows half of WideText: MultiByteToWideChar and WideCharToMultiByte.
#include "platform/WideText.h"

#include <windows.h>

namespace platform {

std::wstring wideFromAnsi(const std::string& text) {
    const int bytes = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, wide.data(), length);
    return wide;
}

std::string ansiFromWide(const std::wstring& text) {
    const int characters = static_cast<int>(text.size());
    const int length =
        ::WideCharToMultiByte(CP_ACP, 0, text.data(), characters, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), characters, ansi.data(), length, nullptr,
                          nullptr);
    return ansi;
}

} // namespace platform
