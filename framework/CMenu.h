// A menu handle held by an object; the object that holds a handle can be found from it, and
// owner-drawn items of its menu are measured and drawn by it.
#pragma once

#include <windows.h>

#include <string>

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
    // The object whose menu has an owner-drawn item with this item data (and, unless the item
    // opens a submenu, this command id), or nullptr. This is how a WM_MEASUREITEM, which
    // names no menu, finds the object that draws the item.
    static CMenu* FromItemData(UINT itemId, ULONG_PTR itemData);

    // Takes a menu handle over; false when the object holds one or the handle is null.
    bool Attach(HMENU menu);
    // Gives the handle up without destroying it.
    HMENU Detach();
    bool CreateMenu();
    bool CreatePopupMenu();
    // Destroys the held menu; false when there is none or the system refuses.
    bool DestroyMenu();

    // Overridables for the owner-drawn items of this menu, reached through the window that
    // owns the menu while it shows.
    virtual void DrawItem(DRAWITEMSTRUCT* /*drawItem*/) {}
    virtual void MeasureItem(MEASUREITEMSTRUCT* /*measureItem*/) {}

    bool appendMenu(UINT flags, UINT_PTR idOrSubMenu, const char* text) {
        return ::AppendMenuA(menu_, flags, idOrSubMenu, text) != FALSE;
    }
    // Appends an MF_OWNERDRAW item; itemData comes back in its draw and measure requests.
    bool appendOwnerDrawn(UINT flags, UINT_PTR idOrSubMenu, ULONG_PTR itemData) {
        return ::AppendMenuA(menu_, flags | MF_OWNERDRAW, idOrSubMenu,
                             reinterpret_cast<const char*>(itemData)) != FALSE;
    }
    // Replaces an item (by command id, or by position with MF_BYPOSITION) with a text item.
    bool modifyMenu(UINT item, UINT flags, UINT_PTR idOrSubMenu, const char* text) {
        return ::ModifyMenuA(menu_, item, flags, idOrSubMenu, text) != FALSE;
    }
    // Replaces an item with an MF_OWNERDRAW item carrying itemData.
    bool modifyOwnerDrawn(UINT item, UINT flags, UINT_PTR idOrSubMenu, ULONG_PTR itemData) {
        return ::ModifyMenuA(menu_, item, flags | MF_OWNERDRAW, idOrSubMenu,
                             reinterpret_cast<const char*>(itemData)) != FALSE;
    }
    bool removeMenu(UINT item, UINT flags) { return ::RemoveMenu(menu_, item, flags) != FALSE; }
    int itemCount() const { return menu_ != nullptr ? ::GetMenuItemCount(menu_) : -1; }
    // The submenu at a position, or null when the item opens none.
    HMENU subMenu(int position) const {
        return menu_ != nullptr ? ::GetSubMenu(menu_, position) : nullptr;
    }
    // The text of a string item (by command id, or by position with MF_BYPOSITION); empty
    // for any other item.
    std::wstring menuString(UINT item, UINT flags) const { return menuString(menu_, item, flags); }
    // Type, state, id, submenu and item data of the item at a position. False when there is
    // no such item.
    bool itemInfo(int position, MENUITEMINFOW* info) const {
        return itemInfo(menu_, position, info);
    }
    // Shows the menu as a popup at a screen point for the owner window, returning when it
    // closes: with TPM_RETURNCMD the chosen command id (0 for none), else nonzero on success.
    int trackPopupMenu(UINT flags, int x, int y, HWND owner) const {
        return trackPopupMenu(menu_, flags, x, y, owner);
    }

    // The same on a bare handle (null gives the empty answer), so that a menu another
    // object holds, or none does, is read without Attach: Attach refuses a held handle, and
    // a temporary holder that missed its Detach would destroy a menu that is not its own.
    static std::wstring menuString(HMENU menu, UINT item, UINT flags);
    static bool itemInfo(HMENU menu, int position, MENUITEMINFOW* info);
    static int trackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner);

  private:
    HMENU menu_ = nullptr;
};
