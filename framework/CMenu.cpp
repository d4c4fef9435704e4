// Menu handles and the registry of the objects that hold them.
#include "framework/CMenu.h"

#include <mutex>
#include <unordered_map>

namespace {

// Menus, unlike windows, carry no property for a back pointer, so the holders are listed
// here; the lock makes construction and destruction on any thread safe.
std::mutex holdersLock;
std::unordered_map<HMENU, CMenu*>& holders() {
    static std::unordered_map<HMENU, CMenu*> map;
    return map;
}

bool holdsItem(HMENU menu, UINT itemId, ULONG_PTR itemData) {
    int count = ::GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA | MIIM_SUBMENU;
        if (!::GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info))
            continue;
        if ((info.fType & MFT_OWNERDRAW) == 0 || info.dwItemData != itemData)
            continue;
        if (info.hSubMenu != nullptr || info.wID == itemId)
            return true;
    }
    return false;
}

bool attachNew(CMenu* object, HMENU menu) {
    if (menu == nullptr)
        return false;
    if (!object->Attach(menu)) {
        ::DestroyMenu(menu);
        return false;
    }
    return true;
}

} // namespace

CMenu::~CMenu() {
    DestroyMenu();
}

CMenu* CMenu::FromHandle(HMENU menu) {
    std::lock_guard<std::mutex> guard(holdersLock);
    auto found = holders().find(menu);
    return found != holders().end() ? found->second : nullptr;
}

CMenu* CMenu::FromItemData(UINT itemId, ULONG_PTR itemData) {
    std::lock_guard<std::mutex> guard(holdersLock);
    for (const auto& [menu, holder] : holders())
        if (holdsItem(menu, itemId, itemData))
            return holder;
    return nullptr;
}

bool CMenu::Attach(HMENU menu) {
    if (menu_ != nullptr || menu == nullptr)
        return false;
    std::lock_guard<std::mutex> guard(holdersLock);
    if (!holders().emplace(menu, this).second)
        return false;
    menu_ = menu;
    return true;
}

HMENU CMenu::Detach() {
    HMENU menu = menu_;
    if (menu != nullptr) {
        std::lock_guard<std::mutex> guard(holdersLock);
        holders().erase(menu);
    }
    menu_ = nullptr;
    return menu;
}

bool CMenu::CreateMenu() {
    return menu_ == nullptr && attachNew(this, ::CreateMenu());
}

bool CMenu::CreatePopupMenu() {
    return menu_ == nullptr && attachNew(this, ::CreatePopupMenu());
}

bool CMenu::DestroyMenu() {
    HMENU menu = Detach();
    return menu != nullptr && ::DestroyMenu(menu) != FALSE;
}

std::wstring CMenu::menuString(HMENU menu, UINT item, UINT flags) {
    if (menu == nullptr)
        return {};
    int length = ::GetMenuStringW(menu, item, nullptr, 0, flags);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = ::GetMenuStringW(menu, item, text.data(), length + 1, flags);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

bool CMenu::itemInfo(HMENU menu, int position, MENUITEMINFOW* info) {
    info->cbSize = sizeof(*info);
    info->fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
    return menu != nullptr &&
           ::GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, info) != FALSE;
}

int CMenu::trackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner) {
    return menu != nullptr ? ::TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr) : 0;
}
