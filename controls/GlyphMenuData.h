// One owner-drawn item of a GlyphMenu: its text, flags and images. The record's address is
// the item's data, so the system hands it back in every measure and draw request.
#pragma once

#include "framework/CImageList.h"

#include <memory>
#include <string>

struct GlyphMenuData {
    // The text converted from and to the thread's ANSI code page.
    void setAnsiText(const char* text);
    std::string ansiText() const;
    // The part before the first tab, and the accelerator after it (empty without a tab).
    std::wstring label() const;
    std::wstring accelerator() const;

    std::wstring itemText;
    // Index of the item's image in images, or -1.
    int ownImage = -1;
    // Index of the item's image in the images shared by all menus, or -1.
    int globalImage = -1;
    // -1 while the item has no image of its own; 0 or more once it has one.
    int imageState = -1;
    // The item's menu flags as appended (MF_OWNERDRAW, MF_POPUP, MF_SEPARATOR, ...).
    UINT flags = 0;
    // The command id, or the handle of the submenu a popup item opens.
    UINT_PTR command = 0;
    // Survives RemoveUnkept.
    bool keep = false;
    std::unique_ptr<CImageList> images;
};

// The flags to append or modify an item with (MF_POPUP, MF_SEPARATOR, the check and grey
// states, ...), from what the system reports about an item.
UINT menuItemFlags(const MENUITEMINFOW& info);
