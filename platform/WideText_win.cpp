// Windows half of WideText: MultiByteToWideChar and WideCharToMultiByte.
#include "platform/WideText.h"

#include <windows.h>

namespace platform {

namespace {

std::wstring wideFrom(unsigned codePage, const std::string& text) {
    const int bytes = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(codePage, 0, text.data(), bytes, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), bytes, wide.data(), length);
    return wide;
}

std::string narrowFrom(unsigned codePage, const std::wstring& text) {
    const int characters = static_cast<int>(text.size());
    const int length =
        ::WideCharToMultiByte(codePage, 0, text.data(), characters, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), characters, narrow.data(), length, nullptr,
                          nullptr);
    return narrow;
}

} // namespace

std::wstring wideFromAnsi(const std::string& text) {
    return wideFrom(CP_ACP, text);
}

std::string ansiFromWide(const std::wstring& text) {
    return narrowFrom(CP_ACP, text);
}

std::wstring wideFromUtf8(const std::string& text) {
    return wideFrom(CP_UTF8, text);
}

std::string utf8FromWide(const std::wstring& text) {
    return narrowFrom(CP_UTF8, text);
}

} // namespace platform
