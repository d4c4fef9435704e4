// The state shared by all menus, safe to use from any thread.
#include "controls/GlyphMenuShared.h"

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

namespace windows_version {

Report ofRunningSystem() {
    Report report;
    report.packedVersion = ::GetVersion();
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    report.detailsRead = ::GetVersionExA(&info) != FALSE;
    report.majorVersion = info.dwMajorVersion;
    report.minorVersion = info.dwMinorVersion;
    return report;
}

int codeOf(const Report& report) {
    if ((report.packedVersion & 0x80000000u) != 0) {
        if (LOBYTE(LOWORD(report.packedVersion)) < 4)
            return k9xBefore4;
        if (!report.detailsRead || report.majorVersion != 4)
            return k95;
        if (report.minorVersion == 10)
            return k98;
        return report.minorVersion == 90 ? kMe : k95;
    }
    if (!report.detailsRead)
        return kNtOther;
    if (report.majorVersion == 4)
        return kNt4;
    if (report.majorVersion == 5 && report.minorVersion == 0)
        return k2000;
    if (report.majorVersion == 5 && report.minorVersion == 1)
        return kXp;
    return kNtOther;
}

} // namespace windows_version

GlyphMenuShared& GlyphMenuShared::instance() {
    static GlyphMenuShared shared;
    return shared;
}

GlyphMenuShared::GlyphMenuShared()
    : windowsVersion_(windows_version::codeOf(windows_version::ofRunningSystem())) {}

bool GlyphMenuShared::classicTheme() const {
    static const bool classic = readClassicTheme();
    return classic;
}

bool GlyphMenuShared::xpInEffect() const {
    return windowsVersion_ == windows_version::kXp && !classicTheme();
}

bool GlyphMenuShared::flatLookChosen() const {
    const GlyphMenuLook settings = look();
    return xpInEffect() ? settings.xpLookOnXp : settings.xpLookElsewhere;
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
