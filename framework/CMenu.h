// A menu handle held by an object; the object that holds a handle can be found from it.
#pragma once

#include <windows.h>

class CMenu {
  public:
    CMenu() = default;
    // Destroys the menu the object holds.
    virtual ~CMenu();
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    HMENU GetSafeHmenu() const { return menu_; }
    // The object that holds the menu handle, or nullptr when none does.
    static CMenu* FromHandle(HMENU menu);

    // Takes a menu handle over; false when the object holds one or the handle is null.
    bool Attach(HMENU menu);
    // Gives the handle up without destroying it.
    HMENU Detach();
    bool CreatePopupMenu();
    // Destroys the held menu; false when there is none or the system refuses.
    bool DestroyMenu();

    bool appendMenu(UINT flags, UINT_PTR idOrSubMenu, const char* text) {
        return ::AppendMenuA(menu_, flags, idOrSubMenu, text) != FALSE;
    }
    int itemCount() const { return menu_ != nullptr ? ::GetMenuItemCount(menu_) : -1; }

  private:
    HMENU menu_ = nullptr;
};
