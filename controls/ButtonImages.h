// The images a CButtonFX can show: two icons, or two bitmaps with the masks made for them.
// Entry 0 is for the hover and pressed states, entry 1 for the button at rest; without
// entry 1, entry 0 serves every state.
#pragma once

#include "framework/CDC.h"
#include "framework/GdiObjects.h"

class ButtonImages {
  public:
    // Takes both icons over; either may be empty.
    void setIcons(UniqueIcon hover, UniqueIcon normal);
    // Takes both bitmaps over and makes a mask for each from its transparent colour. False
    // (and no bitmaps) when a mask cannot be made.
    bool setBitmaps(CBitmap hover, COLORREF hoverTransparent, CBitmap normal,
                    COLORREF normalTransparent);
    // Destroys every icon, bitmap and mask.
    void clear();

    bool hasIcon() const { return static_cast<bool>(icons_[0].handle); }
    bool hasBitmap() const { return static_cast<bool>(bitmaps_[0].image); }
    // Entry 1 when the button is not pressed, shows its rest image (in check-box mode or
    // not hovered) and entry 1 exists; else entry 0.
    int iconEntry(bool pressed, bool restImage) const;
    int bitmapEntry(bool pressed, bool restImage) const;
    SIZE iconSize(int entry) const { return {icons_[entry].width, icons_[entry].height}; }
    SIZE bitmapSize(int entry) const { return {bitmaps_[entry].width, bitmaps_[entry].height}; }

    // The icon at the point; greyed by the system when disabled.
    void drawIcon(CDC& dc, int entry, POINT at, bool disabled) const;
    // The bitmap through its mask (SRCAND, then the image with SRCPAINT; the DC's text and
    // background colours must be black and white), or greyed by the system when disabled and
    // greyedWhenDisabled, its transparent pixels leaving the background as it was.
    void drawBitmap(CDC& dc, int entry, POINT at, bool disabled, bool greyedWhenDisabled) const;

    // Where an image of the given size goes in the item rectangle, moving the caption's
    // edges to make room: alignment 0 puts it left of a caption, 1 above, 2 right of it;
    // without a caption it is centred. Halves truncate toward zero.
    static RECT layout(BYTE align, POINT margin, bool hasCaption, const RECT& itemRect,
                       RECT* captionRect, SIZE image);

  private:
    struct Icon {
        UniqueIcon handle;
        int width = 0;
        int height = 0;
    };
    struct Bitmap {
        CBitmap image; // transparent pixels black, for the masked drawing
        int width = 0;
        int height = 0;
        CBitmap mask;     // white where the image is transparent
        CBitmap greyable; // transparent pixels white, for the system's greyed drawing
    };
    static Icon makeIcon(UniqueIcon icon);
    static bool makeBitmap(CBitmap image, COLORREF transparent, Bitmap* entry);
    static int entryFor(bool pressed, bool restImage, bool hasRestEntry);

    Icon icons_[2];
    Bitmap bitmaps_[2];
};
