// The state every GlyphMenu of the process shares: the running system's version and theme,
// the look settings, and the registry of submenus that belong to the class.
#pragma once

#include <windows.h>

#include <mutex>
#include <vector>

// The look settings shared by every menu of the process.
struct GlyphMenuLook {
    // The flat look while XpInEffect holds, and while it does not.
    bool xpLookOnXp = true;
    bool xpLookElsewhere = false;
    // Flat look: item spacing 7 instead of 4, and three images per command.
    bool wideGap = true;
    // Whether a grayed item is highlighted when selected, in each look.
    bool selectDisabledClassic = true;
    bool selectDisabledXp = false;
};

// Codes of the running system.
namespace windows_version {
constexpr int k9xBefore4 = 0;
constexpr int kNtOther = 1;
constexpr int k95 = 2;
constexpr int k98 = 3;
constexpr int kMe = 4;
constexpr int kNt4 = 5;
constexpr int k2000 = 6;
constexpr int kXp = 7;

// What a system says about its version: the word GetVersion returns, and the major and
// minor version of GetVersionEx when that could be read.
struct Report {
    DWORD packedVersion = 0;
    bool detailsRead = false;
    DWORD majorVersion = 0;
    DWORD minorVersion = 0;
};

// The code for what a system reports.
int codeOf(const Report& report);
// The report of the running system.
Report ofRunningSystem();
} // namespace windows_version

class GlyphMenuShared {
  public:
    // The one instance, made on first use (thread-safe initialisation).
    static GlyphMenuShared& instance();

    // Probed when the instance is made; read-only afterwards.
    int windowsVersion() const { return windowsVersion_; }
    // Read from the registry on the first call; read-only afterwards.
    bool classicTheme() const;
    // Windows XP with a theme other than the classic one.
    bool xpInEffect() const;
    // Whether the look setting for the running system asks for the flat look.
    bool flatLookChosen() const;

    GlyphMenuLook look() const;
    void setLook(const GlyphMenuLook& look);

    void addOwnMenu(HMENU menu);
    // Removes every occurrence of the handle.
    void forgetOwnMenu(HMENU menu);
    bool isOwnMenu(HMENU menu) const;

  private:
    GlyphMenuShared();

    const int windowsVersion_;
    // Menus live on the interface thread and, inside the message box's button, on the load
    // worker; the lock keeps the settings and the registry whole between them.
    mutable std::mutex lock_;
    GlyphMenuLook look_;
    std::vector<HMENU> ownMenus_;
};
