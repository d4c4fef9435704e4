// The owner-drawn menu: class-wide answers, drawing and measuring, loading, freeing and images.
#include "controls/GlyphMenu.h"

#include "controls/GlyphMenuImages.h"
#include "controls/GlyphMenuPainter.h"
#include "controls/GlyphMenuResources.h"
#include "controls/MenuColor.h"

#include <algorithm>

namespace {

std::wstring lowerCase(std::wstring text) {
    if (!text.empty())
        ::CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// A typed character of an ANSI window is a byte of the ANSI code page.
std::wstring typedCharacter(UINT character) {
    if (character > 0xFF)
        return std::wstring(1, static_cast<wchar_t>(character));
    char byte = static_cast<char>(character);
    wchar_t wide = 0;
    if (::MultiByteToWideChar(CP_THREAD_ACP, 0, &byte, 1, &wide, 1) != 1)
        return {};
    return std::wstring(1, wide);
}

} // namespace

GlyphMenu::GlyphMenu() {
    GlyphMenuShared::instance(); // the class-wide state exists before the first menu is used
}

GlyphMenu::~GlyphMenu() {
    FreeMenu();
}

int GlyphMenu::windowsVersion() {
    return GlyphMenuShared::instance().windowsVersion();
}

int GlyphMenu::ProbeWindowsVersion() {
    return windows_version::codeOf(windows_version::ofRunningSystem());
}

int GlyphMenu::ProbeWindowsVersion(const VersionReport& report) {
    return windows_version::codeOf(report);
}

bool GlyphMenu::IsClassicTheme() {
    return GlyphMenuShared::instance().classicTheme();
}

bool GlyphMenu::XpInEffect() {
    return GlyphMenuShared::instance().xpInEffect();
}

bool GlyphMenu::flatLookChosen() {
    return GlyphMenuShared::instance().flatLookChosen();
}

GlyphMenu::LookSettings GlyphMenu::lookSettings() {
    return GlyphMenuShared::instance().look();
}

void GlyphMenu::setLookSettings(const LookSettings& settings) {
    GlyphMenuShared::instance().setLook(settings);
}

COLORREF GlyphMenu::LightenColor(COLORREF colour, double factor) {
    return lightenColor(colour, factor);
}

bool GlyphMenu::IsOwnMenu(HMENU menu) {
    return GlyphMenuShared::instance().isOwnMenu(menu);
}

bool GlyphMenu::IsOwnMenu(const CMenu& menu) {
    return IsOwnMenu(menu.GetSafeHmenu());
}

LRESULT GlyphMenu::FindMnemonic(UINT character, UINT flags, CMenu* menu) {
    auto* glyphMenu = dynamic_cast<GlyphMenu*>(menu);
    if (glyphMenu == nullptr || (flags & MF_POPUP) == 0)
        return 0;
    std::wstring typed = typedCharacter(character);
    if (typed.empty())
        return 0;
    std::wstring key = lowerCase(L"&" + typed);
    if (glyphMenu->itemCount() != glyphMenu->recordCount())
        glyphMenu->ConvertItems();
    int count = glyphMenu->itemCount();
    for (int position = 0; position < count; ++position) {
        const GlyphMenuData* record = glyphMenu->recordAt(position);
        if (record != nullptr && lowerCase(record->itemText).find(key) != std::wstring::npos)
            return MAKELRESULT(position, MNC_EXECUTE);
    }
    return 0;
}

int GlyphMenu::FindSharedImage(UINT command) {
    return GlyphMenuImages::shared().find(command);
}

bool GlyphMenu::HasImageTriple(int index) {
    return GlyphMenuImages::shared().hasTriple(index);
}

void GlyphMenu::DrawItem(DRAWITEMSTRUCT* drawItem) {
    auto* record = reinterpret_cast<const GlyphMenuData*>(drawItem->itemData);
    if (drawItem->CtlType != ODT_MENU || !ownsRecord(record))
        return;
    bool paletteDevice = (::GetDeviceCaps(drawItem->hDC, RASTERCAPS) & RC_PALETTE) != 0;
    const bool flat = !paletteDevice && flatLookChosen();
    const GlyphMenuItemImages images = imagesOf(*record, flat);
    GlyphMenuPainter painter(*drawItem, *record, images);
    if (flat)
        painter.drawFlat();
    else
        painter.drawClassic();
}

GlyphMenuItemImages GlyphMenu::imagesOf(const GlyphMenuData& record, bool flat) const {
    GlyphMenuItemImages images;
    images.size = {iconWidth, iconHeight};
    images.dibEmboss = dibEmboss;
    images.image = itemIcon(record);
    if (flat) {
        images.washed = itemIcon(record, 1);
        images.shadow = itemIcon(record, 2);
    }
    images.checkNormal = checkIcon(false);
    images.checkSelected = checkIcon(true);
    return images;
}

void GlyphMenu::MeasureItem(MEASUREITEMSTRUCT* measureItem) {
    // The record may belong to a submenu: the button that embeds this menu measures the
    // items of all its submenus through it.
    auto* record = reinterpret_cast<const GlyphMenuData*>(measureItem->itemData);
    // Any item data may arrive here: only a record of this menu's tree is one.
    if (measureItem->CtlType != ODT_MENU || !holdsRecord(record))
        return;
    bool flat = flatLookChosen();
    int spacing = flat && lookSettings().wideGap ? 7 : 4;
    if ((record->flags & MF_SEPARATOR) != 0) {
        measureItem->itemWidth = 0;
        measureItem->itemHeight = static_cast<UINT>(
            std::max(::GetSystemMetrics(SM_CYMENU) / 2, (iconHeight + spacing) / 2));
        return;
    }
    // The accelerator is drawn apart from the label, a few blanks away.
    std::wstring shown = record->label();
    if (!record->accelerator().empty())
        shown += L"   " + record->accelerator();
    SIZE text = GlyphMenuPainter::menuTextSize(shown);
    int images = flat ? iconWidth + spacing + 8 : 2 * iconWidth + 1;
    measureItem->itemWidth = static_cast<UINT>(text.cx + images);
    measureItem->itemHeight =
        static_cast<UINT>(std::max(::GetSystemMetrics(SM_CYMENU), iconHeight + spacing));
}

bool GlyphMenu::LoadMenuById(UINT resourceId) {
    return loadFromResource(MAKEINTRESOURCEA(resourceId));
}

bool GlyphMenu::LoadMenuByName(const char* resourceName) {
    return resourceName != nullptr && loadFromResource(resourceName);
}

bool GlyphMenu::loadFromResource(const char* name) {
    HMENU loaded = glyphmenu::loadMenuResource(name);
    if (loaded == nullptr)
        return false;
    // The check images are settings of this menu, not part of the menu it replaces.
    const std::shared_ptr<CImageList> keptCheckImages = checkImages;
    FreeMenu();
    checkImages = keptCheckImages;
    bool built = CreateMenu() && copyItems(loaded);
    ::DestroyMenu(loaded);
    if (!built) {
        FreeMenu();
        checkImages = keptCheckImages;
    }
    return built;
}

bool GlyphMenu::copyItems(HMENU source) {
    const int count = ::GetMenuItemCount(source);
    bool copied = true;
    for (int position = 0; copied && position < count; ++position) {
        MENUITEMINFOW info{};
        if (!CMenu::itemInfo(source, position, &info))
            continue;
        auto record = std::make_unique<GlyphMenuData>();
        record->itemText = CMenu::menuString(source, static_cast<UINT>(position), MF_BYPOSITION);
        UINT flags = menuItemFlags(info);
        if (info.hSubMenu == nullptr) {
            copied = appendRecord(std::move(record), flags, info.wID, -1);
            continue;
        }
        auto sub = std::make_unique<GlyphMenu>();
        sub->inheritSettings(*this);
        copied = sub->CreatePopupMenu() && sub->copyItems(info.hSubMenu) &&
                 appendPopup(std::move(record->itemText), flags, std::move(sub));
    }
    return copied;
}

void GlyphMenu::inheritSettings(const GlyphMenu& parent) {
    iconWidth = parent.iconWidth;
    iconHeight = parent.iconHeight;
    maskColor = parent.maskColor;
    useMaskColor = parent.useMaskColor;
    dibEmboss = parent.dibEmboss;
    checkImages = parent.checkImages;
    checkImageSelected = parent.checkImageSelected;
    checkImageNormal = parent.checkImageNormal;
    addIcons = parent.addIcons;
    syncPopupTexts = parent.syncPopupTexts;
}

bool GlyphMenu::FreeMenu() {
    if (GetSafeHmenu() != nullptr)
        GlyphMenuShared::instance().forgetOwnMenu(GetSafeHmenu());
    for (auto handle = subMenus.rbegin(); handle != subMenus.rend(); ++handle)
        GlyphMenuShared::instance().forgetOwnMenu(*handle);
    subMenus.clear();
    // The submenu objects this menu made or was given go, the last first. Of a submenu
    // appended by handle, Windows destroys the menu with this one; an object the caller
    // keeps for it stays the caller's to delete.
    while (!ownedSubMenus.empty())
        ownedSubMenus.pop_back();
    items.clear();
    checkImages.reset();
    return DestroyMenu();
}

COLORREF GlyphMenu::transparentColour() const {
    return useMaskColor ? maskColor : ::GetSysColor(COLOR_BTNFACE);
}

bool GlyphMenu::AddImages(HBITMAP strip, const std::vector<UINT>& commands) {
    GlyphMenuImages::StripOptions options;
    options.imageWidth = iconWidth;
    options.imageHeight = iconHeight;
    options.transparent = transparentColour();
    options.asIcons = addIcons;
    options.withVariants = flatLookChosen() && lookSettings().wideGap;
    COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    options.shadow = XpInEffect() ? shadow : LightenColor(shadow, 0.49);
    return strip != nullptr && GlyphMenuImages::shared().addStrip(strip, commands, options);
}

bool GlyphMenu::AddImages(UINT bitmapId, const std::vector<UINT>& commands) {
    return AddImages(MAKEINTRESOURCEA(bitmapId), commands);
}

bool GlyphMenu::AddImages(const char* bitmapName, const std::vector<UINT>& commands) {
    CBitmap strip;
    strip.reset(glyphmenu::loadBitmapResource(bitmapName));
    return strip && AddImages(strip.get(), commands);
}

bool GlyphMenu::AddToolbarImages(UINT toolbarId) {
    std::vector<UINT> commands = glyphmenu::toolbarCommands(toolbarId, iconWidth, iconHeight);
    return !commands.empty() && AddImages(toolbarId, commands);
}

UniqueIcon GlyphMenu::itemIcon(const GlyphMenuData& record, int variant) const {
    if (record.imageState >= 0 && record.images != nullptr)
        return record.images->extractIcon(record.ownImage);
    // Images added after the item (a toolbar loaded after the menu) count as well.
    const bool command = (record.flags & (MF_POPUP | MF_SEPARATOR)) == 0;
    const int image = record.globalImage >= 0 ? record.globalImage
                      : command               ? FindSharedImage(static_cast<UINT>(record.command))
                                              : -1;
    if (image < 0 || (variant != 0 && !HasImageTriple(image)))
        return UniqueIcon();
    return GlyphMenuImages::shared().icon(image + variant);
}

UniqueIcon GlyphMenu::checkIcon(bool selected) const {
    if (checkImages == nullptr)
        return UniqueIcon();
    if (selected && checkImageSelected > 0)
        return checkImages->extractIcon(1);
    if (checkImageNormal > 0)
        return checkImages->extractIcon(0);
    return UniqueIcon();
}
