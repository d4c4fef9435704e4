// Text conversions of a menu item record.
#include "controls/GlyphMenuData.h"

std::wstring wideFromAnsi(const char* text) {
    if (text == nullptr || *text == '\0')
        return {};
    int length = ::MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, nullptr, 0);
    if (length <= 1)
        return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length) - 1);
    return wide;
}

std::string ansiFromWide(const std::wstring& text) {
    if (text.empty())
        return {};
    const int wideLength = static_cast<int>(text.size());
    int length = ::WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), wideLength, nullptr, 0,
                                       nullptr, nullptr);
    std::string ansi(static_cast<size_t>(length > 0 ? length : 0), '\0');
    ::WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), wideLength, ansi.data(), length, nullptr,
                          nullptr);
    return ansi;
}

void GlyphMenuData::setAnsiText(const char* text) {
    itemText = wideFromAnsi(text);
}

std::string GlyphMenuData::ansiText() const {
    return ansiFromWide(itemText);
}

std::wstring GlyphMenuData::label() const {
    return itemText.substr(0, itemText.find(L'\t'));
}

std::wstring GlyphMenuData::accelerator() const {
    size_t tab = itemText.find(L'\t');
    return tab == std::wstring::npos ? std::wstring() : itemText.substr(tab + 1);
}
