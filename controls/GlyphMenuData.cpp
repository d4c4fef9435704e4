// Text conversions of a menu item record, and the flags an item is appended with.
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

UINT menuItemFlags(const MENUITEMINFOW& info) {
    const UINT typeBits = MFT_SEPARATOR | MFT_RADIOCHECK | MFT_MENUBREAK | MFT_MENUBARBREAK |
                          MFT_RIGHTJUSTIFY | MFT_RIGHTORDER;
    const UINT stateBits = MFS_CHECKED | MFS_GRAYED | MFS_DEFAULT;
    UINT flags = (info.fType & typeBits) | (info.fState & stateBits);
    if (info.hSubMenu != nullptr)
        flags |= MF_POPUP;
    return flags;
}
