// An image list the object owns: created, filled and drawn through the common controls,
// destroyed with the object.
#pragma once

#include "framework/GdiObjects.h"

#include <windows.h>

#include <commctrl.h>

struct ImageListDeleter {
    static HIMAGELIST invalid() { return nullptr; }
    static void release(HIMAGELIST list) { ::ImageList_Destroy(list); }
};

class CImageList {
  public:
    CImageList() = default;
    CImageList(CImageList&&) = default;
    CImageList& operator=(CImageList&&) = default;

    HIMAGELIST GetSafeHandle() const { return list_.get(); }
    // Replaces the list with an empty one for images of width by height pixels. False (and
    // no list) when the system refuses.
    bool Create(int width, int height, UINT flags, int initialCount, int growCount);

    // Adds the images of a bitmap strip, taking pixels of maskColour as transparent. Returns
    // the index of the first new image, or -1.
    int add(HBITMAP image, COLORREF maskColour);
    // Adds a copy of the icon; the caller keeps its own. Returns the new index, or -1.
    int addIcon(HICON icon);
    // A new icon made from the image at index (the caller owns it), or none.
    UniqueIcon extractIcon(int index) const;

    int imageCount() const;
    // Width and height of every image; zero without a list.
    SIZE imageSize() const;

  private:
    platform::UniqueHandle<HIMAGELIST, ImageListDeleter> list_;
};
