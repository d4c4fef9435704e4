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

} // namespace

CMenu::~CMenu() {
    DestroyMenu();
}

CMenu* CMenu::FromHandle(HMENU menu) {
    std::lock_guard<std::mutex> guard(holdersLock);
    auto found = holders().find(menu);
    return found != holders().end() ? found->second : nullptr;
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

bool CMenu::CreatePopupMenu() {
    if (menu_ != nullptr)
        return false;
    HMENU menu = ::CreatePopupMenu();
    if (menu == nullptr)
        return false;
    if (!Attach(menu)) {
        ::DestroyMenu(menu);
        return false;
    }
    return true;
}

bool CMenu::DestroyMenu() {
    HMENU menu = Detach();
    return menu != nullptr && ::DestroyMenu(menu) != FALSE;
}
