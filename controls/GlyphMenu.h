// An owner-drawn menu. Each item keeps its text in a GlyphMenuData record and is drawn with
// its image in one of two looks, a classic 3D look or a flat look with a tinted image
// column; the class measures items for the system and finds mnemonics, which the system
// cannot see in owner-drawn items.
#pragma once

#include "controls/GlyphMenuData.h"
#include "controls/GlyphMenuPainter.h"
#include "controls/GlyphMenuShared.h"
#include "framework/CImageList.h"
#include "framework/CMenu.h"
#include "framework/GdiObjects.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class GlyphMenu : public CMenu {
  public:
    using LookSettings = GlyphMenuLook;
    using VersionReport = windows_version::Report;

    // Codes of the running system.
    static constexpr int kWindows9xBefore4 = windows_version::k9xBefore4;
    static constexpr int kWindowsNtOther = windows_version::kNtOther;
    static constexpr int kWindows95 = windows_version::k95;
    static constexpr int kWindows98 = windows_version::k98;
    static constexpr int kWindowsMe = windows_version::kMe;
    static constexpr int kWindowsNt4 = windows_version::kNt4;
    static constexpr int kWindows2000 = windows_version::k2000;
    static constexpr int kWindowsXp = windows_version::kXp;

    // Opens no window and creates no menu.
    GlyphMenu();
    // Runs FreeMenu.
    ~GlyphMenu() override;

    // The code of the running system, probed once per process on first use.
    static int windowsVersion();
    static int ProbeWindowsVersion();
    // The code for what a system reports; the decision of ProbeWindowsVersion.
    static int ProbeWindowsVersion(const VersionReport& report);
    // Whether the user's theme is "Windows Classic"; read from the registry once per process.
    static bool IsClassicTheme();
    // Windows XP with a theme other than the classic one.
    static bool XpInEffect();
    // Whether the look setting for the running system asks for the flat look.
    static bool flatLookChosen();
    static LookSettings lookSettings();
    static void setLookSettings(const LookSettings& settings);
    // Each of red, green and blue moved towards 255 by the factor (above 0, at most 1); any
    // other factor returns the colour unchanged.
    static COLORREF LightenColor(COLORREF colour, double factor);

    // Whether the handle is a submenu appended to any GlyphMenu.
    static bool IsOwnMenu(HMENU menu);
    static bool IsOwnMenu(const CMenu& menu);
    // The answer to WM_MENUCHAR: the position of the first item of a GlyphMenu popup whose
    // text holds "&" and the character (ignoring case), with MNC_EXECUTE; 0 when the menu is
    // no GlyphMenu, the flags lack MF_POPUP or no item matches.
    static LRESULT FindMnemonic(UINT character, UINT flags, CMenu* menu);
    // Index of a command's first image among the images shared by all menus, or -1.
    static int FindSharedImage(UINT command);
    // Whether shared entries index, index + 1 and index + 2 belong to one command.
    static bool HasImageTriple(int index);

    // Draw and measure requests for items of this menu (the item data is their record).
    void DrawItem(DRAWITEMSTRUCT* drawItem) override;
    void MeasureItem(MEASUREITEMSTRUCT* measureItem) override;
    // Replace the menu with one built from an RT_MENU resource (looked for in the module of
    // this code, then in the process), every item owner-drawn and every popup a GlyphMenu
    // of its own. False, with no menu, when the resource is missing.
    virtual bool LoadMenuById(UINT resourceId);
    virtual bool LoadMenuByName(const char* resourceName);
    // Releases the records, submenus, check images and the menu; safe to run again.
    // Returns whether a menu handle was destroyed.
    virtual bool FreeMenu();

    // Appends an owner-drawn item; with MF_POPUP the id is a submenu handle, which is
    // registered as this class's. sharedImage -1 looks the command's image up. A menu that
    // has no handle yet gets a popup menu first. False when the system refuses the item.
    bool AppendItem(const char* text, UINT flags, UINT_PTR commandOrSubMenu, int sharedImage = -1);
    // Appends an item with a copy of image index of a list as its own image.
    bool AppendItem(const char* text, UINT flags, UINT command, const CImageList& source,
                    int index);
    // Appends a popup item opening subMenu, which this menu then owns (and deletes in
    // FreeMenu).
    bool AppendPopup(const char* text, UINT flags, std::unique_ptr<GlyphMenu> subMenu);
    // Replaces an item (by command id, or by position with MF_BYPOSITION). With
    // MF_OWNERDRAW it gets a new record with the text; without, it becomes a plain text item.
    bool ModifyItem(UINT item, UINT flags, UINT_PTR newCommandOrSubMenu, const char* text);
    // Makes every item owner-drawn with a record when the menu's item count differs from its
    // record count; existing records are kept, records no item uses are deleted.
    void ConvertItems();
    // The text of an item by position (MF_BYPOSITION) or by command id, searching
    // submenus. Empty when there is no such item.
    std::string GetItemText(UINT item, UINT flags) const;
    // The menu and position holding a command id, searching submenus; false when none does.
    bool FindItem(UINT command, HMENU* menu, int* position) const;
    // The record of a command id that is not flagged keep, or nullptr.
    GlyphMenuData* FindRecord(UINT command) const;
    void SetKeepAll();
    // Deletes every record not flagged keep, and removes the items that showed them.
    void RemoveUnkept();
    // Writes the texts of popup items back as plain text items.
    void SyncPopupTexts();
    // Pads accelerator texts with blanks to one width in the menu font, so that the
    // accelerators, drawn flush right, start in one column.
    void AlignAccelerators();
    // The same with the width of a text in pixels as widthOf gives it.
    void AlignAccelerators(const std::function<int(const std::wstring&)>& widthOf);
    // Adds the images of a strip (one per command, side by side, iconWidth by iconHeight
    // each) to the shared images; in the flat look with wideGap also a washed and a
    // shadow copy of each. False when the strip does not fit or the list refuses.
    bool AddImages(HBITMAP strip, const std::vector<UINT>& commands);
    bool AddImages(UINT bitmapId, const std::vector<UINT>& commands);
    bool AddImages(const char* bitmapName, const std::vector<UINT>& commands);
    // Adds the images of a toolbar resource (RT_TOOLBAR with its bitmap of the same id),
    // one per button, with the buttons' command ids.
    bool AddToolbarImages(UINT toolbarId);

    // The record shown by the item at a position, or nullptr.
    GlyphMenuData* recordAt(int position) const;
    int recordCount() const { return static_cast<int>(items.size()); }
    // A new icon of an item's image: its own, else its shared one; variant 1 is the washed
    // and 2 the shadow copy of a shared image. None without such an image.
    UniqueIcon itemIcon(const GlyphMenuData& record, int variant = 0) const;
    // The image for a checked item without one of its own, by the check-image settings.
    UniqueIcon checkIcon(bool selected) const;

    int iconWidth = 16;
    int iconHeight = 15;
    // Transparent colour of added bitmaps when useMaskColor is set; else COLOR_BTNFACE.
    COLORREF maskColor = RGB(192, 192, 192);
    bool useMaskColor = false;
    // Disabled images: the mask is a one-bit DIB section instead of a monochrome bitmap.
    bool dibEmboss = false;
    // Images for checked items without an image: entry 0 normal, entry 1 selected. Shared
    // with the submenus a load creates.
    std::shared_ptr<CImageList> checkImages;
    int checkImageSelected = -1;
    int checkImageNormal = -1;
    // Images are added as icons instead of masked bitmaps.
    bool addIcons = false;
    // After each append, popup items are written back as text items.
    bool syncPopupTexts = false;

  private:
    // What the painter draws an item of this menu with.
    GlyphMenuItemImages imagesOf(const GlyphMenuData& record, bool flat) const;
    bool loadFromResource(const char* name);
    bool copyItems(HMENU source);
    bool appendPopup(std::wstring text, UINT flags, std::unique_ptr<GlyphMenu> subMenu);
    void inheritSettings(const GlyphMenu& parent);
    bool appendRecord(std::unique_ptr<GlyphMenuData> record, UINT flags, UINT_PTR commandOrSubMenu,
                      int sharedImage);
    void registerSubMenu(HMENU subMenu);
    // An item that opened `replaced` now opens `replacement` (or no submenu): the replaced
    // one is no longer this menu's.
    void forgetReplacedSubMenu(HMENU replaced, HMENU replacement);
    // Gives up the handles of this menu and its submenus, which Windows has destroyed.
    void abandonDestroyedMenu();
    // Whether the record is one of this menu's or of a submenu's, at any depth.
    bool holdsRecord(const GlyphMenuData* record) const;
    int positionOfCommand(UINT command) const;
    void dropRecord(const GlyphMenuData* record);
    bool ownsRecord(const GlyphMenuData* record) const;
    COLORREF transparentColour() const;

    // One record per owner-drawn item, in append order.
    std::vector<std::unique_ptr<GlyphMenuData>> items;
    // Handles of the popup submenus appended to this menu.
    std::vector<HMENU> subMenus;
    // The submenu objects this menu made or was given; deleted in FreeMenu.
    std::vector<std::unique_ptr<GlyphMenu>> ownedSubMenus;
};
