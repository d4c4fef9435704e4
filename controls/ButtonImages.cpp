// Storing, masking and drawing the images of an image button.
#include "controls/ButtonImages.h"

namespace {

// ~source AND destination: clears the destination where the mask is white.
const DWORD kMaskOut = 0x00220326;

} // namespace

ButtonImages::Icon ButtonImages::makeIcon(UniqueIcon icon) {
    Icon entry;
    ICONINFO info{};
    if (icon && ::GetIconInfo(icon.get(), &info)) {
        // GetIconInfo hands over copies of the icon's bitmaps, which the caller deletes.
        CBitmap colour;
        colour.reset(info.hbmColor);
        CBitmap mask;
        mask.reset(info.hbmMask);
        BITMAP description{};
        HBITMAP measured = colour ? colour.get() : mask.get();
        if (::GetObjectA(measured, sizeof(description), &description) != 0) {
            entry.width = description.bmWidth;
            // A monochrome icon keeps its image and mask one above the other.
            entry.height = colour ? description.bmHeight : description.bmHeight / 2;
        }
    }
    entry.handle = std::move(icon);
    return entry;
}

void ButtonImages::setIcons(UniqueIcon hover, UniqueIcon normal) {
    clear();
    icons_[0] = makeIcon(std::move(hover));
    icons_[1] = makeIcon(std::move(normal));
}

bool ButtonImages::makeBitmap(CBitmap image, COLORREF transparent, Bitmap* entry) {
    BITMAP description{};
    if (!image || ::GetObjectA(image.get(), sizeof(description), &description) == 0)
        return false;
    const int width = description.bmWidth;
    const int height = description.bmHeight;
    CBitmap mask;
    mask.reset(::CreateBitmap(width, height, 1, 1, nullptr));
    CBitmap greyable;
    CDC imageDc;
    CDC maskDc;
    CDC greyableDc;
    if (!mask || !imageDc.CreateCompatibleDC(nullptr) || !maskDc.CreateCompatibleDC(nullptr) ||
        !greyableDc.CreateCompatibleDC(nullptr))
        return false;
    {
        ScopedSelectObject imageSelected(imageDc.GetSafeHdc(), image.object());
        ScopedSelectObject maskSelected(maskDc.GetSafeHdc(), mask.object());
        if (!greyable.createCompatibleBitmap(imageDc.GetSafeHdc(), width, height))
            return false;
        ScopedSelectObject greyableSelected(greyableDc.GetSafeHdc(), greyable.object());
        // White in the mask where the image is transparent...
        imageDc.setBkColor(transparent);
        maskDc.bitBlt(0, 0, width, height, imageDc, 0, 0, SRCCOPY);
        // ...and black in the image there, so that SRCPAINT leaves the background alone.
        imageDc.setTextColor(RGB(0, 0, 0));
        imageDc.setBkColor(RGB(255, 255, 255));
        imageDc.bitBlt(0, 0, width, height, maskDc, 0, 0, kMaskOut);
        // The system greys every pixel that is not white as ink: the copy it is given has
        // white where the image is transparent, or they would show as a solid block.
        greyableDc.bitBlt(0, 0, width, height, imageDc, 0, 0, SRCCOPY);
        greyableDc.bitBlt(0, 0, width, height, maskDc, 0, 0, SRCPAINT);
    }
    entry->image = std::move(image);
    entry->mask = std::move(mask);
    entry->greyable = std::move(greyable);
    entry->width = width;
    entry->height = height;
    return true;
}

bool ButtonImages::setBitmaps(CBitmap hover, COLORREF hoverTransparent, CBitmap normal,
                              COLORREF normalTransparent) {
    clear();
    bool made = makeBitmap(std::move(hover), hoverTransparent, &bitmaps_[0]) &&
                (!normal || makeBitmap(std::move(normal), normalTransparent, &bitmaps_[1]));
    if (!made)
        clear();
    return made;
}

void ButtonImages::clear() {
    for (Icon& icon : icons_)
        icon = Icon();
    for (Bitmap& bitmap : bitmaps_)
        bitmap = Bitmap();
}

int ButtonImages::entryFor(bool pressed, bool restImage, bool hasRestEntry) {
    return !pressed && restImage && hasRestEntry ? 1 : 0;
}

int ButtonImages::iconEntry(bool pressed, bool restImage) const {
    return entryFor(pressed, restImage, static_cast<bool>(icons_[1].handle));
}

int ButtonImages::bitmapEntry(bool pressed, bool restImage) const {
    return entryFor(pressed, restImage, static_cast<bool>(bitmaps_[1].image));
}

void ButtonImages::drawIcon(CDC& dc, int entry, POINT at, bool disabled) const {
    const Icon& icon = icons_[entry];
    dc.drawState(at, {icon.width, icon.height}, icon.handle.get(),
                 disabled ? DSS_DISABLED : DSS_NORMAL);
}

void ButtonImages::drawBitmap(CDC& dc, int entry, POINT at, bool disabled,
                              bool greyedWhenDisabled) const {
    const Bitmap& bitmap = bitmaps_[entry];
    if (disabled && greyedWhenDisabled) {
        dc.drawState(at, {bitmap.width, bitmap.height}, bitmap.greyable.get(), DSS_DISABLED);
        return;
    }
    CDC imageDc;
    CDC maskDc;
    if (!imageDc.CreateCompatibleDC(&dc) || !maskDc.CreateCompatibleDC(&dc))
        return;
    ScopedSelectObject imageSelected(imageDc.GetSafeHdc(), bitmap.image.object());
    ScopedSelectObject maskSelected(maskDc.GetSafeHdc(), bitmap.mask.object());
    dc.bitBlt(at.x, at.y, bitmap.width, bitmap.height, maskDc, 0, 0, SRCAND);
    dc.bitBlt(at.x, at.y, bitmap.width, bitmap.height, imageDc, 0, 0, SRCPAINT);
}

RECT ButtonImages::layout(BYTE align, POINT margin, bool hasCaption, const RECT& itemRect,
                          RECT* captionRect, SIZE image) {
    RECT place = itemRect;
    const int centredLeft = itemRect.left + (rectWidth(itemRect) - image.cx) / 2;
    const int centredTop = itemRect.top + (rectHeight(itemRect) - image.cy) / 2;
    switch (align) {
    case 0: // left of the caption
        if (hasCaption) {
            place.left += margin.x;
            captionRect->left += image.cx + margin.x;
        } else {
            place.left = centredLeft;
        }
        place.top = centredTop;
        break;
    case 1: // above the caption
        place.left = centredLeft;
        if (hasCaption) {
            place.top = margin.y;
            captionRect->top += image.cy;
        } else {
            place.top = centredTop;
        }
        break;
    case 2: // right of the caption
        if (hasCaption) {
            place.left = rectWidth(itemRect) - margin.x - image.cx;
            captionRect->right -= captionRect->left + margin.x + image.cx;
            captionRect->left = margin.x;
            place.top = centredTop;
        } else {
            place.left = centredLeft;
        }
        break;
    default: // the item's top-left corner
        break;
    }
    return RECT{place.left, place.top, place.left + image.cx, place.top + image.cy};
}
