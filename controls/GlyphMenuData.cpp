// Text conversions of a menu item record.
#include "controls/GlyphMenuData.h"

#include "platform/WideText.h"

void GlyphMenuData::setAnsiText(const char* text) {
    itemText = platform::wideFromAnsi(text != nullptr ? text : "");
}

std::string GlyphMenuData::ansiText() const {
    return platform::ansiFromWide(itemText);
}

std::wstring GlyphMenuData::label() const {
    return itemText.substr(0, itemText.find(L'\t'));
}

std::wstring GlyphMenuData::accelerator() const {
    size_t tab = itemText.find(L'\t');
    return tab == std::wstring::npos ? std::wstring() : itemText.substr(tab + 1);
}
