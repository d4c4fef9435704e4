// Owning wrappers for GDI objects, cursors and icons, and a scoped SelectObject.
#pragma once

#include "platform/UniqueHandle.h"

#include <windows.h>

template <typename H> struct GdiObjectDeleter {
    static H invalid() { return nullptr; }
    static void release(H object) { ::DeleteObject(object); }
};

// A GDI object the wrapper deletes when it is reset or destroyed.
template <typename H> class CGdiObject : public platform::UniqueHandle<H, GdiObjectDeleter<H>> {
  public:
    using platform::UniqueHandle<H, GdiObjectDeleter<H>>::UniqueHandle;
    HGDIOBJ object() const { return this->get(); }
};

class CFont : public CGdiObject<HFONT> {
  public:
    // Replaces the font with one made from the description; false (and no font) on failure.
    bool createFontIndirect(const LOGFONTA& description) {
        reset(::CreateFontIndirectA(&description));
        return static_cast<bool>(*this);
    }
};

class CBrush : public CGdiObject<HBRUSH> {
  public:
    bool createSolidBrush(COLORREF colour) {
        reset(::CreateSolidBrush(colour));
        return static_cast<bool>(*this);
    }
};

class CPen : public CGdiObject<HPEN> {
  public:
    bool createPen(int penStyle, int width, COLORREF colour) {
        reset(::CreatePen(penStyle, width, colour));
        return static_cast<bool>(*this);
    }
};

class CBitmap : public CGdiObject<HBITMAP> {
  public:
    bool createCompatibleBitmap(HDC dc, int width, int height) {
        reset(::CreateCompatibleBitmap(dc, width, height));
        return static_cast<bool>(*this);
    }
};

// The description of any font handle; false when the handle is not a font.
inline bool fontDescription(HFONT font, LOGFONTA* description) {
    return font != nullptr &&
           ::GetObjectA(font, sizeof(LOGFONTA), description) == static_cast<int>(sizeof(LOGFONTA));
}

struct CursorDeleter {
    static HCURSOR invalid() { return nullptr; }
    static void release(HCURSOR cursor) { ::DestroyCursor(cursor); }
};
struct IconDeleter {
    static HICON invalid() { return nullptr; }
    static void release(HICON icon) { ::DestroyIcon(icon); }
};
// Only for cursors and icons the program created or copied; shared ones from LoadCursor
// and LoadIcon must not be destroyed.
using UniqueCursor = platform::UniqueHandle<HCURSOR, CursorDeleter>;
using UniqueIcon = platform::UniqueHandle<HICON, IconDeleter>;

// Selects an object into a DC and puts the previous one back when it goes out of scope.
class ScopedSelectObject {
  public:
    ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~ScopedSelectObject() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR)
            ::SelectObject(dc_, previous_);
    }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};
