// An off-screen surface for one rectangle of a target DC: drawing goes to a bitmap that is
// copied to the target when the object goes away, so the target never shows a half-drawn
// item. A printing target is drawn on directly.
#pragma once

#include "framework/CDC.h"
#include "framework/GdiObjects.h"

class GlyphMenuMemDC : public CDC {
  public:
    // Draws in the target's coordinates: the rectangle's top-left corner is the origin of
    // the bitmap. When no memory DC or bitmap can be made, it borrows the target instead.
    GlyphMenuMemDC(CDC* target, const RECT& rect);
    // Copies the rectangle to the target (SRCCOPY) and puts the previous bitmap back.
    ~GlyphMenuMemDC() override;
    GlyphMenuMemDC(const GlyphMenuMemDC&) = delete;
    GlyphMenuMemDC& operator=(const GlyphMenuMemDC&) = delete;

    bool isBuffering() const { return buffering_; }

  private:
    CBitmap bitmap_;
    HGDIOBJ previousBitmap_ = nullptr;
    CDC* target_;
    RECT rect_;
    bool buffering_ = false;
};
