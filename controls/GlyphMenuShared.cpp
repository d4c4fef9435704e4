// The state shared by all menus, safe to use from any thread.
#include "controls/GlyphMenuShared.h"

#include "controls/GlyphMenu.h"

#include <algorithm>

namespace {

bool readClassicTheme() {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Plus!\\Themes\\Current", 0,
                        KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    char value[261] = {};
    DWORD bytes = 260;
    DWORD type = 0;
    LONG status =
        ::RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes);
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    static const char kClassic[] = "Windows Classic.theme";
    const int length = ::lstrlenA(value);
    const int suffix = static_cast<int>(sizeof(kClassic)) - 1;
    return length >= suffix && ::lstrcmpiA(value + length - suffix, kClassic) == 0;
}

} // namespace

GlyphMenuShared& GlyphMenuShared::instance() {
    static GlyphMenuShared shared;
    return shared;
}

GlyphMenuShared::GlyphMenuShared() : windowsVersion_(GlyphMenu::ProbeWindowsVersion()) {}

bool GlyphMenuShared::classicTheme() const {
    static const bool classic = readClassicTheme();
    return classic;
}

GlyphMenuLook GlyphMenuShared::look() const {
    std::lock_guard<std::mutex> guard(lock_);
    return look_;
}

void GlyphMenuShared::setLook(const GlyphMenuLook& look) {
    std::lock_guard<std::mutex> guard(lock_);
    look_ = look;
}

void GlyphMenuShared::addOwnMenu(HMENU menu) {
    std::lock_guard<std::mutex> guard(lock_);
    ownMenus_.push_back(menu);
}

void GlyphMenuShared::forgetOwnMenu(HMENU menu) {
    std::lock_guard<std::mutex> guard(lock_);
    ownMenus_.erase(std::remove(ownMenus_.begin(), ownMenus_.end(), menu), ownMenus_.end());
}

bool GlyphMenuShared::isOwnMenu(HMENU menu) const {
    std::lock_guard<std::mutex> guard(lock_);
    return menu != nullptr &&
           std::find(ownMenus_.begin(), ownMenus_.end(), menu) != ownMenus_.end();
}
