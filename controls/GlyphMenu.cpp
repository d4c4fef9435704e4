// The owner-drawn menu: class-wide state, records, submenus, measuring and mnemonics.
#include "controls/GlyphMenu.h"

#include "controls/GlyphMenuImages.h"
#include "controls/GlyphMenuPainter.h"
#include "controls/GlyphMenuResources.h"
#include "platform/WideText.h"

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

// The flags to append or modify an item with, from what the system reports about it.
UINT flagsOfItem(const MENUITEMINFOW& info) {
    const UINT typeBits = MFT_SEPARATOR | MFT_RADIOCHECK | MFT_MENUBREAK | MFT_MENUBARBREAK |
                          MFT_RIGHTJUSTIFY | MFT_RIGHTORDER;
    const UINT stateBits = MFS_CHECKED | MFS_GRAYED | MFS_DEFAULT;
    UINT flags = (info.fType & typeBits) | (info.fState & stateBits);
    if (info.hSubMenu != nullptr)
        flags |= MF_POPUP;
    return flags;
}

bool findCommand(HMENU menu, UINT command, HMENU* found, int* position) {
    int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (HMENU sub = ::GetSubMenu(menu, i)) {
            if (findCommand(sub, command, found, position))
                return true;
            continue;
        }
        if (::GetMenuItemID(menu, i) == command) {
            *found = menu;
            *position = i;
            return true;
        }
    }
    return false;
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
    VersionReport report;
    report.packedVersion = ::GetVersion();
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    report.detailsRead = ::GetVersionExA(&info) != FALSE;
    report.majorVersion = info.dwMajorVersion;
    report.minorVersion = info.dwMinorVersion;
    return ProbeWindowsVersion(report);
}

int GlyphMenu::ProbeWindowsVersion(const VersionReport& report) {
    if ((report.packedVersion & 0x80000000u) != 0) {
        if (LOBYTE(LOWORD(report.packedVersion)) < 4)
            return kWindows9xBefore4;
        if (!report.detailsRead || report.majorVersion != 4)
            return kWindows95;
        if (report.minorVersion == 10)
            return kWindows98;
        return report.minorVersion == 90 ? kWindowsMe : kWindows95;
    }
    if (!report.detailsRead)
        return kWindowsNtOther;
    if (report.majorVersion == 4)
        return kWindowsNt4;
    if (report.majorVersion == 5 && report.minorVersion == 0)
        return kWindows2000;
    if (report.majorVersion == 5 && report.minorVersion == 1)
        return kWindowsXp;
    return kWindowsNtOther;
}

bool GlyphMenu::IsClassicTheme() {
    return GlyphMenuShared::instance().classicTheme();
}

bool GlyphMenu::XpInEffect() {
    return windowsVersion() == kWindowsXp && !IsClassicTheme();
}

bool GlyphMenu::flatLookChosen() {
    LookSettings settings = lookSettings();
    return XpInEffect() ? settings.xpLookOnXp : settings.xpLookElsewhere;
}

GlyphMenu::LookSettings GlyphMenu::lookSettings() {
    return GlyphMenuShared::instance().look();
}

void GlyphMenu::setLookSettings(const LookSettings& settings) {
    GlyphMenuShared::instance().setLook(settings);
}

COLORREF GlyphMenu::LightenColor(COLORREF colour, double factor) {
    if (!(factor > 0.0 && factor <= 1.0))
        return colour;
    auto lighten = [factor](int channel) {
        return static_cast<BYTE>(channel + factor * (255 - channel));
    };
    return RGB(lighten(GetRValue(colour)), lighten(GetGValue(colour)), lighten(GetBValue(colour)));
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
    GlyphMenuPainter painter(*this, *drawItem, *record);
    bool paletteDevice = (::GetDeviceCaps(drawItem->hDC, RASTERCAPS) & RC_PALETTE) != 0;
    if (!paletteDevice && flatLookChosen())
        painter.drawFlat();
    else
        painter.drawClassic();
}

void GlyphMenu::MeasureItem(MEASUREITEMSTRUCT* measureItem) {
    // The record may belong to a submenu: the button that embeds this menu measures the
    // items of all its submenus through it.
    auto* record = reinterpret_cast<const GlyphMenuData*>(measureItem->itemData);
    if (measureItem->CtlType != ODT_MENU || record == nullptr)
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
        UINT flags = flagsOfItem(info);
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

bool GlyphMenu::AppendItem(const char* text, UINT flags, UINT_PTR commandOrSubMenu,
                           int sharedImage) {
    auto record = std::make_unique<GlyphMenuData>();
    record->setAnsiText(text);
    return appendRecord(std::move(record), flags, commandOrSubMenu, sharedImage);
}

bool GlyphMenu::AppendItem(const char* text, UINT flags, UINT command, const CImageList& source,
                           int index) {
    auto record = std::make_unique<GlyphMenuData>();
    record->setAnsiText(text);
    UniqueIcon icon = source.extractIcon(index);
    auto images = std::make_unique<CImageList>();
    if (icon && images->Create(iconWidth, iconHeight, ILC_COLOR24 | ILC_MASK, 1, 1) &&
        images->addIcon(icon.get()) == 0) {
        record->images = std::move(images);
        record->ownImage = 0;
        record->imageState = 0;
    }
    return appendRecord(std::move(record), flags, command, -1);
}

bool GlyphMenu::AppendPopup(const char* text, UINT flags, std::unique_ptr<GlyphMenu> subMenu) {
    return appendPopup(platform::wideFromAnsi(text != nullptr ? text : ""), flags,
                       std::move(subMenu));
}

bool GlyphMenu::appendPopup(std::wstring text, UINT flags, std::unique_ptr<GlyphMenu> subMenu) {
    if (subMenu == nullptr || (subMenu->GetSafeHmenu() == nullptr && !subMenu->CreatePopupMenu()))
        return false;
    auto handle = reinterpret_cast<UINT_PTR>(subMenu->GetSafeHmenu());
    auto record = std::make_unique<GlyphMenuData>();
    record->itemText = std::move(text);
    if (!appendRecord(std::move(record), flags | MF_POPUP, handle, -1))
        return false;
    ownedSubMenus.push_back(std::move(subMenu));
    return true;
}

bool GlyphMenu::appendRecord(std::unique_ptr<GlyphMenuData> record, UINT flags,
                             UINT_PTR commandOrSubMenu, int sharedImage) {
    if (GetSafeHmenu() == nullptr && !CreatePopupMenu())
        return false;
    record->flags = flags | MF_OWNERDRAW;
    record->command = commandOrSubMenu;
    bool command = (flags & (MF_POPUP | MF_SEPARATOR)) == 0;
    record->globalImage = sharedImage >= 0 ? sharedImage
                          : command        ? FindSharedImage(static_cast<UINT>(commandOrSubMenu))
                                           : -1;
    if (!appendOwnerDrawn(flags, commandOrSubMenu, reinterpret_cast<ULONG_PTR>(record.get())))
        return false;
    if ((flags & MF_POPUP) != 0)
        registerSubMenu(reinterpret_cast<HMENU>(commandOrSubMenu));
    items.push_back(std::move(record));
    if (syncPopupTexts)
        SyncPopupTexts();
    return true;
}

void GlyphMenu::registerSubMenu(HMENU subMenu) {
    subMenus.push_back(subMenu);
    GlyphMenuShared::instance().addOwnMenu(subMenu);
}

bool GlyphMenu::ModifyItem(UINT item, UINT flags, UINT_PTR newCommandOrSubMenu, const char* text) {
    int position = (flags & MF_BYPOSITION) != 0 ? static_cast<int>(item) : positionOfCommand(item);
    if (position < 0 || position >= itemCount())
        return false;
    const GlyphMenuData* old = recordAt(position);
    UINT byPosition = flags | MF_BYPOSITION;
    if ((flags & MF_OWNERDRAW) == 0) {
        if (!modifyMenu(static_cast<UINT>(position), byPosition, newCommandOrSubMenu, text))
            return false;
        dropRecord(old);
        return true;
    }
    auto record = std::make_unique<GlyphMenuData>();
    record->setAnsiText(text);
    record->flags = flags & ~MF_BYPOSITION;
    record->command = newCommandOrSubMenu;
    if ((flags & (MF_POPUP | MF_SEPARATOR)) == 0)
        record->globalImage = FindSharedImage(static_cast<UINT>(newCommandOrSubMenu));
    if (!modifyOwnerDrawn(static_cast<UINT>(position), byPosition, newCommandOrSubMenu,
                          reinterpret_cast<ULONG_PTR>(record.get())))
        return false;
    dropRecord(old);
    items.push_back(std::move(record));
    if ((flags & MF_POPUP) != 0)
        registerSubMenu(reinterpret_cast<HMENU>(newCommandOrSubMenu));
    return true;
}

void GlyphMenu::ConvertItems() {
    int count = itemCount();
    if (count < 0 || count == recordCount())
        return;
    std::vector<std::unique_ptr<GlyphMenuData>> kept;
    for (int position = 0; position < count; ++position) {
        if (const GlyphMenuData* existing = recordAt(position)) {
            auto found = std::find_if(items.begin(), items.end(),
                                      [&](const auto& item) { return item.get() == existing; });
            kept.push_back(std::move(*found));
            items.erase(found);
            continue;
        }
        MENUITEMINFOW info{};
        if (!itemInfo(position, &info))
            continue;
        auto record = std::make_unique<GlyphMenuData>();
        record->itemText = menuString(static_cast<UINT>(position), MF_BYPOSITION);
        UINT flags = flagsOfItem(info);
        UINT_PTR id =
            info.hSubMenu != nullptr ? reinterpret_cast<UINT_PTR>(info.hSubMenu) : info.wID;
        record->flags = flags | MF_OWNERDRAW;
        record->command = id;
        if (info.hSubMenu == nullptr && (flags & MF_SEPARATOR) == 0)
            record->globalImage = FindSharedImage(info.wID);
        if (modifyOwnerDrawn(static_cast<UINT>(position), flags | MF_BYPOSITION, id,
                             reinterpret_cast<ULONG_PTR>(record.get())))
            kept.push_back(std::move(record));
    }
    items = std::move(kept);
}

std::string GlyphMenu::GetItemText(UINT item, UINT flags) const {
    if ((flags & MF_BYPOSITION) != 0) {
        if (const GlyphMenuData* record = recordAt(static_cast<int>(item)))
            return record->ansiText();
        return platform::ansiFromWide(menuString(item, MF_BYPOSITION));
    }
    HMENU menu = nullptr;
    int position = -1;
    if (!FindItem(item, &menu, &position))
        return {};
    if (auto* holder = dynamic_cast<GlyphMenu*>(CMenu::FromHandle(menu)))
        return holder->GetItemText(static_cast<UINT>(position), MF_BYPOSITION);
    return platform::ansiFromWide(
        CMenu::menuString(menu, static_cast<UINT>(position), MF_BYPOSITION));
}

bool GlyphMenu::FindItem(UINT command, HMENU* menu, int* position) const {
    return GetSafeHmenu() != nullptr && findCommand(GetSafeHmenu(), command, menu, position);
}

GlyphMenuData* GlyphMenu::FindRecord(UINT command) const {
    for (const auto& record : items)
        if (record->command == command && !record->keep &&
            (record->flags & (MF_POPUP | MF_SEPARATOR)) == 0)
            return record.get();
    return nullptr;
}

void GlyphMenu::SetKeepAll() {
    for (const auto& record : items)
        record->keep = true;
}

void GlyphMenu::RemoveUnkept() {
    // An item whose record goes would hand the system a dangling pointer: it goes too.
    for (int position = itemCount() - 1; position >= 0; --position) {
        const GlyphMenuData* record = recordAt(position);
        if (record != nullptr && !record->keep)
            removeMenu(static_cast<UINT>(position), MF_BYPOSITION);
    }
    items.erase(std::remove_if(items.begin(), items.end(),
                               [](const auto& record) { return !record->keep; }),
                items.end());
}

void GlyphMenu::SyncPopupTexts() {
    for (int position = 0; position < itemCount(); ++position) {
        HMENU sub = subMenu(position);
        const GlyphMenuData* record = recordAt(position);
        if (sub == nullptr || record == nullptr)
            continue;
        modifyMenu(static_cast<UINT>(position), MF_BYPOSITION | MF_POPUP | MF_STRING,
                   reinterpret_cast<UINT_PTR>(sub), record->ansiText().c_str());
    }
}

void GlyphMenu::AlignAccelerators() {
    // Every blank added is measured; one DC and one font serve them all.
    const GlyphMenuPainter::TextMeter meter;
    int widest = 0;
    for (const auto& record : items)
        widest = std::max(widest, static_cast<int>(meter.size(record->accelerator()).cx));
    for (const auto& record : items) {
        std::wstring accelerator = record->accelerator();
        if (accelerator.empty())
            continue;
        std::wstring padded = accelerator;
        while (meter.size(padded + L' ').cx <= widest)
            padded += L' ';
        record->itemText = record->label() + L'\t' + padded;
    }
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

GlyphMenuData* GlyphMenu::recordAt(int position) const {
    MENUITEMINFOW info{};
    if (!itemInfo(position, &info) || (info.fType & MFT_OWNERDRAW) == 0)
        return nullptr;
    auto* record = reinterpret_cast<GlyphMenuData*>(info.dwItemData);
    return ownsRecord(record) ? record : nullptr;
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

int GlyphMenu::positionOfCommand(UINT command) const {
    for (int position = 0; position < itemCount(); ++position)
        if (subMenu(position) == nullptr && ::GetMenuItemID(GetSafeHmenu(), position) == command)
            return position;
    return -1;
}

void GlyphMenu::dropRecord(const GlyphMenuData* record) {
    items.erase(std::remove_if(items.begin(), items.end(),
                               [record](const auto& item) { return item.get() == record; }),
                items.end());
}

bool GlyphMenu::ownsRecord(const GlyphMenuData* record) const {
    return record != nullptr && std::any_of(items.begin(), items.end(), [record](const auto& item) {
               return item.get() == record;
           });
}
