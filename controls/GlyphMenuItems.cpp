// The owner-drawn menu's items: appending, replacing and converting them, their records, their
// texts and the submenus they open.
#include "controls/GlyphMenu.h"

#include "platform/WideText.h"

#include <algorithm>

namespace {

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
    const HMENU oldSubMenu = subMenu(position);
    const HMENU newSubMenu =
        (flags & MF_POPUP) != 0 ? reinterpret_cast<HMENU>(newCommandOrSubMenu) : nullptr;
    UINT byPosition = flags | MF_BYPOSITION;
    if ((flags & MF_OWNERDRAW) == 0) {
        if (!modifyMenu(static_cast<UINT>(position), byPosition, newCommandOrSubMenu, text))
            return false;
        dropRecord(old);
        forgetReplacedSubMenu(oldSubMenu, newSubMenu);
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
    forgetReplacedSubMenu(oldSubMenu, newSubMenu);
    items.push_back(std::move(record));
    if (newSubMenu != nullptr && newSubMenu != oldSubMenu)
        registerSubMenu(newSubMenu);
    return true;
}

void GlyphMenu::forgetReplacedSubMenu(HMENU replaced, HMENU replacement) {
    if (replaced == nullptr || replaced == replacement)
        return;
    subMenus.erase(std::remove(subMenus.begin(), subMenus.end(), replaced), subMenus.end());
    GlyphMenuShared::instance().forgetOwnMenu(replaced);
    auto owned =
        std::find_if(ownedSubMenus.begin(), ownedSubMenus.end(),
                     [replaced](const auto& sub) { return sub->GetSafeHmenu() == replaced; });
    if (owned == ownedSubMenus.end())
        return;
    // Windows destroys the submenu of an item it replaces: its handle, and those of its own
    // submenus, may soon name other menus, which the object must then not destroy.
    if (!::IsMenu(replaced))
        (*owned)->abandonDestroyedMenu();
    ownedSubMenus.erase(owned);
}

void GlyphMenu::abandonDestroyedMenu() {
    for (const auto& sub : ownedSubMenus)
        sub->abandonDestroyedMenu();
    ownedSubMenus.clear();
    for (HMENU sub : subMenus)
        GlyphMenuShared::instance().forgetOwnMenu(sub);
    subMenus.clear();
    items.clear();
    if (GetSafeHmenu() != nullptr)
        GlyphMenuShared::instance().forgetOwnMenu(Detach());
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
        UINT flags = menuItemFlags(info);
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
    AlignAccelerators(
        [&meter](const std::wstring& text) { return static_cast<int>(meter.size(text).cx); });
}

void GlyphMenu::AlignAccelerators(const std::function<int(const std::wstring&)>& widthOf) {
    int widest = 0;
    for (const auto& record : items)
        widest = std::max(widest, widthOf(record->accelerator()));
    for (const auto& record : items) {
        std::wstring padded = record->accelerator();
        if (padded.empty())
            continue;
        // A blank that adds no width (the measurement failed) would be added without end.
        for (int width = widthOf(padded);;) {
            const int wider = widthOf(padded + L' ');
            if (wider > widest || wider <= width)
                break;
            padded += L' ';
            width = wider;
        }
        record->itemText = record->label() + L'\t' + padded;
    }
}

GlyphMenuData* GlyphMenu::recordAt(int position) const {
    MENUITEMINFOW info{};
    if (!itemInfo(position, &info) || (info.fType & MFT_OWNERDRAW) == 0)
        return nullptr;
    auto* record = reinterpret_cast<GlyphMenuData*>(info.dwItemData);
    return ownsRecord(record) ? record : nullptr;
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

bool GlyphMenu::holdsRecord(const GlyphMenuData* record) const {
    if (ownsRecord(record))
        return true;
    for (HMENU sub : subMenus) {
        auto* holder = dynamic_cast<const GlyphMenu*>(CMenu::FromHandle(sub));
        if (holder != nullptr && holder != this && holder->holdsRecord(record))
            return true;
    }
    return false;
}

bool GlyphMenu::ownsRecord(const GlyphMenuData* record) const {
    return record != nullptr && std::any_of(items.begin(), items.end(), [record](const auto& item) {
               return item.get() == record;
           });
}
