// Resources a GlyphMenu is built from: menu templates, image strips and toolbar button
// lists, looked for in the module of this code first and then in the process.
#pragma once

#include <windows.h>

#include <vector>

namespace glyphmenu {

// The menu of an RT_MENU resource (the caller destroys it), or null.
HMENU loadMenuResource(const char* name);
// The bitmap of a resource as a DIB section (the caller deletes it), or null.
HBITMAP loadBitmapResource(const char* name);
// The command ids of the buttons of a toolbar resource, separators left out; empty when the
// resource is missing, damaged, or made for images of another size.
std::vector<UINT> toolbarCommands(UINT toolbarId, int imageWidth, int imageHeight);

} // namespace glyphmenu
