// Draws one owner-drawn item of a GlyphMenu, in the classic 3D look or in the flat look
// with a tinted image column, and measures texts in the menu font.
#pragma once

#include "controls/GlyphMenuData.h"
#include "framework/CDC.h"
#include "framework/GdiObjects.h"

#include <string>

// The images one item is drawn with, and the menu's settings for them. The menu that owns
// the item makes it; the painter reads nothing else of the menu.
struct GlyphMenuItemImages {
    SIZE size{16, 15};
    // Disabled images: the mask is a one-bit DIB section instead of a monochrome bitmap.
    bool dibEmboss = false;
    // The item's own image, else its shared one; none without either.
    UniqueIcon image;
    // The flat look's washed and shadow copies of a shared image, when it has them.
    UniqueIcon washed;
    UniqueIcon shadow;
    // For a checked item without an image, at rest and selected; none: the drawn mark.
    UniqueIcon checkNormal;
    UniqueIcon checkSelected;
};

class GlyphMenuPainter {
  public:
    GlyphMenuPainter(const DRAWITEMSTRUCT& drawItem, const GlyphMenuData& record,
                     const GlyphMenuItemImages& images);
    ~GlyphMenuPainter();
    GlyphMenuPainter(const GlyphMenuPainter&) = delete;
    GlyphMenuPainter& operator=(const GlyphMenuPainter&) = delete;

    // Measures texts in the font the items are drawn in, on every system. A DC and a font
    // cost a round trip to the system each, so a run of measurements shares one of each.
    class TextMeter {
      public:
        TextMeter();
        TextMeter(const TextMeter&) = delete;
        TextMeter& operator=(const TextMeter&) = delete;
        SIZE size(const std::wstring& text) const { return dc_.textExtent(text); }

      private:
        CClientDC dc_;
        CFont font_;
        ScopedSelectObject selected_;
    };

    void drawClassic();
    void drawFlat();

    // The system's menu font, or none.
    static CFont createMenuFont();
    // The size of a text in the menu font.
    static SIZE menuTextSize(const std::wstring& text);
    // A check mark of seven three-pixel strokes whose box starts at (x, y).
    static void drawCheckMark(CDC& dc, int x, int y, COLORREF colour);
    // A filled round mark in the box (x, y) to (x + 6, y + 6).
    static void drawRadioMark(CDC& dc, int x, int y, COLORREF colour);
    // The icon embossed as a disabled image: a highlight print one pixel right and down,
    // then a shadow print in place, through a one-bit mask (a DIB section when dibMask).
    static void drawEmbossed(CDC& dc, HICON icon, POINT at, SIZE size, bool dibMask);

  private:
    void drawFlatOn(CDC& dc, bool selected);
    void drawClassicCheckBox(const RECT& box, COLORREF background, bool selected, bool hasImage);
    void drawMark(CDC& dc, const RECT& box, int checkInset, bool selected);
    void drawSeparator(CDC& dc, int left);
    void drawImage(CDC& dc, HICON icon, int x, int y);
    void drawLabel(CDC& dc, RECT rect, COLORREF colour);
    // Where the image goes: left at x, centred vertically in the item.
    RECT imageBox(int x) const;
    bool isSeparator() const { return (record_.flags & MF_SEPARATOR) != 0; }

    const GlyphMenuData& record_;
    const GlyphMenuItemImages& images_;
    CDC dc_;
    RECT rect_;
    bool selected_;
    bool grayed_;
    bool checked_;
    bool hidePrefix_;
};
