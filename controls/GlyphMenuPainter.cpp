// The two looks of owner-drawn menu items, the marks and the embossed disabled image.
#include "controls/GlyphMenuPainter.h"

#include "controls/GlyphMenuMemDC.h"
#include "controls/GlyphMenuShared.h"
#include "controls/MenuColor.h"

#include <cstddef>

namespace {

RECT inflated(RECT rect, int by) {
    ::InflateRect(&rect, by, by);
    return rect;
}

// Space between the accelerator and the item's right edge.
const int kAcceleratorMargin = 8;

} // namespace

GlyphMenuPainter::GlyphMenuPainter(const DRAWITEMSTRUCT& drawItem, const GlyphMenuData& record,
                                   const GlyphMenuItemImages& images)
    : record_(record), images_(images), rect_(drawItem.rcItem),
      selected_((drawItem.itemState & ODS_SELECTED) != 0),
      grayed_((drawItem.itemState & ODS_GRAYED) != 0),
      checked_((drawItem.itemState & ODS_CHECKED) != 0),
      hidePrefix_((drawItem.itemState & ODS_NOACCEL) != 0) {
    dc_.Attach(drawItem.hDC);
}

GlyphMenuPainter::~GlyphMenuPainter() {
    dc_.Detach();
}

CFont GlyphMenuPainter::createMenuFont() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
        // Systems before Vista know the structure without its last field.
        metrics.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
        if (!::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
            return CFont();
    }
    CFont font;
    font.createFontIndirect(metrics.lfMenuFont);
    return font;
}

// The screen's DC measures as any window's would once the menu font is selected.
GlyphMenuPainter::TextMeter::TextMeter()
    : dc_(nullptr), font_(createMenuFont()),
      selected_(dc_.GetSafeHdc(), font_ ? font_.object() : ::GetStockObject(DEFAULT_GUI_FONT)) {}

SIZE GlyphMenuPainter::menuTextSize(const std::wstring& text) {
    return TextMeter().size(text);
}

void GlyphMenuPainter::drawCheckMark(CDC& dc, int x, int y, COLORREF colour) {
    static const int kStrokeTops[7] = {2, 3, 4, 3, 2, 1, 0};
    CPen pen;
    pen.createPen(PS_SOLID, 1, colour);
    ScopedSelectObject selected(dc.GetSafeHdc(), pen.object());
    for (int i = 0; i < 7; ++i) {
        dc.moveTo(x + i, y + kStrokeTops[i]);
        dc.lineTo(x + i, y + kStrokeTops[i] + 3);
    }
}

void GlyphMenuPainter::drawRadioMark(CDC& dc, int x, int y, COLORREF colour) {
    CPen pen;
    pen.createPen(PS_SOLID, 1, colour);
    CBrush brush;
    brush.createSolidBrush(colour);
    ScopedSelectObject selectedPen(dc.GetSafeHdc(), pen.object());
    ScopedSelectObject selectedBrush(dc.GetSafeHdc(), brush.object());
    dc.ellipse({x, y, x + 6, y + 6});
}

void GlyphMenuPainter::drawEmbossed(CDC& dc, HICON icon, POINT at, SIZE size, bool dibMask) {
    // The image on the face colour, in colour.
    CDC colourDc;
    CBitmap colour;
    if (!colourDc.CreateCompatibleDC(&dc) ||
        !colour.createCompatibleBitmap(dc.GetSafeHdc(), size.cx, size.cy))
        return;
    ScopedSelectObject colourSelected(colourDc.GetSafeHdc(), colour.object());
    const RECT whole{0, 0, size.cx, size.cy};
    colourDc.fillSolidRect(whole, ::GetSysColor(COLOR_BTNFACE));
    ::DrawIconEx(colourDc.GetSafeHdc(), 0, 0, icon, size.cx, size.cy, 0, nullptr, DI_NORMAL);

    // The mask: 1 where the face (or a highlight) shows, 0 where the image has ink.
    CDC maskDc;
    CBitmap mask;
    if (!maskDc.CreateCompatibleDC(&dc))
        return;
    if (dibMask) {
        struct {
            BITMAPINFOHEADER header;
            RGBQUAD colours[2];
        } info{};
        info.header = {sizeof(BITMAPINFOHEADER), size.cx, size.cy, 1, 1, BI_RGB, 0, 0, 0, 2, 0};
        info.colours[1] = {255, 255, 255, 0};
        void* bits = nullptr;
        mask.reset(::CreateDIBSection(dc.GetSafeHdc(), reinterpret_cast<BITMAPINFO*>(&info),
                                      DIB_RGB_COLORS, &bits, nullptr, 0));
    } else {
        mask.reset(::CreateBitmap(size.cx, size.cy, 1, 1, nullptr));
    }
    if (!mask)
        return;
    ScopedSelectObject maskSelected(maskDc.GetSafeHdc(), mask.object());
    maskDc.patBlt(whole, WHITENESS);
    colourDc.setBkColor(::GetSysColor(COLOR_BTNFACE));
    maskDc.bitBlt(0, 0, size.cx, size.cy, colourDc, 0, 0, SRCCOPY);
    if (!dibMask) {
        colourDc.setBkColor(::GetSysColor(COLOR_BTNHIGHLIGHT));
        maskDc.bitBlt(0, 0, size.cx, size.cy, colourDc, 0, 0, SRCPAINT);
    }

    // 0xB8074A paints the brush where the source is black; 0xE20746 where it is white, so
    // the monochrome mask's ink bits are turned white through the text colour.
    const DWORD rop = dibMask ? 0xB8074A : 0xE20746;
    COLORREF oldText = dc.setTextColor(dibMask ? RGB(0, 0, 0) : RGB(255, 255, 255));
    COLORREF oldBack = dc.setBkColor(dibMask ? RGB(255, 255, 255) : RGB(0, 0, 0));
    const struct {
        int colourIndex;
        int offset;
    } prints[2] = {{COLOR_BTNHIGHLIGHT, 1}, {COLOR_BTNSHADOW, 0}};
    for (const auto& print : prints) {
        CBrush brush;
        brush.createSolidBrush(::GetSysColor(print.colourIndex));
        ScopedSelectObject brushSelected(dc.GetSafeHdc(), brush.object());
        dc.bitBlt(at.x + print.offset, at.y + print.offset, size.cx, size.cy, maskDc, 0, 0, rop);
    }
    dc.setTextColor(oldText);
    dc.setBkColor(oldBack);
}

RECT GlyphMenuPainter::imageBox(int x) const {
    int y = rect_.top + (rect_.bottom - rect_.top - images_.size.cy) / 2;
    return RECT{x, y, x + images_.size.cx, y + images_.size.cy};
}

void GlyphMenuPainter::drawImage(CDC& dc, HICON icon, int x, int y) {
    if (grayed_) {
        drawEmbossed(dc, icon, {x, y}, images_.size, images_.dibEmboss);
        return;
    }
    ::DrawIconEx(dc.GetSafeHdc(), x, y, icon, images_.size.cx, images_.size.cy, 0, nullptr,
                 DI_NORMAL);
}

void GlyphMenuPainter::drawMark(CDC& dc, const RECT& box, int checkInset, bool selected) {
    const UniqueIcon& image = selected ? images_.checkSelected : images_.checkNormal;
    if (image) {
        ::DrawIconEx(dc.GetSafeHdc(), box.left + 1, box.top + 1, image.get(), images_.size.cx,
                     images_.size.cy, 0, nullptr, DI_NORMAL);
        return;
    }
    if ((record_.flags & MFT_RADIOCHECK) != 0)
        drawRadioMark(dc, box.left + 5, box.top + 4, ::GetSysColor(COLOR_MENUTEXT));
    else
        drawCheckMark(dc, box.left + checkInset, box.top + 4, ::GetSysColor(COLOR_MENUTEXT));
}

void GlyphMenuPainter::drawSeparator(CDC& dc, int left) {
    int middle = (rect_.top + rect_.bottom) / 2;
    RECT line{left, middle - 1, rect_.right, middle + 1};
    dc.drawEdge(&line, EDGE_ETCHED, BF_TOP);
}

void GlyphMenuPainter::drawLabel(CDC& dc, RECT rect, COLORREF colour) {
    dc.setBkMode(TRANSPARENT);
    dc.setTextColor(colour);
    const UINT format = DT_SINGLELINE | DT_VCENTER | (hidePrefix_ ? DT_HIDEPREFIX : 0);
    dc.drawText(record_.label(), &rect, format | DT_LEFT);
    std::wstring accelerator = record_.accelerator();
    if (accelerator.empty())
        return;
    rect.right = rect_.right - kAcceleratorMargin;
    dc.drawText(accelerator, &rect, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
}

void GlyphMenuPainter::drawClassic() {
    const GlyphMenuShared& shared = GlyphMenuShared::instance();
    const COLORREF background = ::GetSysColor(shared.xpInEffect() ? COLOR_BTNFACE : COLOR_MENU);
    dc_.fillSolidRect(rect_, background);
    if (isSeparator()) {
        drawSeparator(dc_, rect_.left);
        return;
    }
    const bool selected = selected_ && !(grayed_ && !shared.look().selectDisabledClassic);
    const UniqueIcon& icon = images_.image;
    const RECT box = imageBox(rect_.left + 2);
    if (selected) {
        RECT highlight = rect_;
        if (icon || checked_)
            highlight.left += images_.size.cx + 5;
        dc_.fillSolidRect(highlight, ::GetSysColor(COLOR_HIGHLIGHT));
    }
    if (checked_)
        drawClassicCheckBox(box, background, selected, static_cast<bool>(icon));
    if (icon) {
        drawImage(dc_, icon.get(), box.left, box.top);
        if (selected && !checked_ && !grayed_) {
            RECT edge = inflated(box, 1);
            dc_.drawEdge(&edge, BDR_RAISEDINNER, BF_RECT);
        }
    }
    RECT text{rect_.left + images_.size.cx + 8, rect_.top, rect_.right, rect_.bottom};
    if (grayed_ && !selected) {
        // The embossed text of a disabled classic item.
        ::OffsetRect(&text, 1, 1);
        drawLabel(dc_, text, ::GetSysColor(COLOR_BTNHIGHLIGHT));
        ::OffsetRect(&text, -1, -1);
        drawLabel(dc_, text, ::GetSysColor(COLOR_BTNSHADOW));
        return;
    }
    drawLabel(dc_, text,
              ::GetSysColor(grayed_    ? COLOR_GRAYTEXT
                            : selected ? COLOR_HIGHLIGHTTEXT
                                       : COLOR_MENUTEXT));
}

void GlyphMenuPainter::drawClassicCheckBox(const RECT& box, COLORREF background, bool selected,
                                           bool hasImage) {
    RECT frameRect = inflated(box, 1);
    dc_.fillSolidRect(frameRect, selected ? background : lightenColor(background, 0.6));
    if (GlyphMenuShared::instance().windowsVersion() > windows_version::kNtOther)
        dc_.drawEdge(&frameRect, BDR_SUNKENOUTER, BF_RECT);
    if (!hasImage)
        drawMark(dc_, box, 4, selected);
}

void GlyphMenuPainter::drawFlat() {
    if (!grayed_ || GlyphMenuShared::instance().look().selectDisabledXp) {
        drawFlatOn(dc_, selected_);
        return;
    }
    // A grayed item is drawn off-screen in the menu font and shown at once.
    GlyphMenuMemDC buffer(&dc_, rect_);
    CFont font = createMenuFont();
    ScopedSelectObject fontSelected(buffer.GetSafeHdc(),
                                    font ? font.object() : ::GetStockObject(DEFAULT_GUI_FONT));
    drawFlatOn(buffer, false);
}

void GlyphMenuPainter::drawFlatOn(CDC& dc, bool selected) {
    const GlyphMenuShared& shared = GlyphMenuShared::instance();
    const bool xp = shared.xpInEffect();
    const int spacing = shared.look().wideGap ? 7 : 4;
    const int column = spacing + images_.size.cx;
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    dc.fillSolidRect(rect_, ::GetSysColor(COLOR_WINDOW));
    dc.fillSolidRect({rect_.left, rect_.top, rect_.left + column, rect_.bottom},
                     xp ? face : lightenColor(face, 0.25));
    if (isSeparator()) {
        drawSeparator(dc, rect_.left + column + spacing);
        return;
    }
    if (selected) {
        dc.fillSolidRect(rect_, lightenColor(highlight, xp ? 0.7 : 0.85));
        dc.frameRect(rect_, highlight);
    }
    const UniqueIcon& icon = images_.image;
    const RECT box = imageBox(rect_.left + (column - images_.size.cx) / 2);
    if (checked_) {
        RECT checkBox = inflated(box, 1);
        dc.fillSolidRect(checkBox, lightenColor(highlight, selected ? 0.5 : 0.85));
        dc.frameRect(checkBox, highlight);
        if (!icon)
            drawMark(dc, checkBox, 5, selected);
    }
    if (icon) {
        // A selected image rises over its shadow; one at rest shows washed out.
        const UniqueIcon& variant = selected ? images_.shadow : images_.washed;
        if (grayed_ || !variant || checked_) {
            drawImage(dc, icon.get(), box.left, box.top);
        } else if (selected) {
            drawImage(dc, variant.get(), box.left + 1, box.top + 1);
            drawImage(dc, icon.get(), box.left - 1, box.top - 1);
        } else {
            drawImage(dc, variant.get(), box.left, box.top);
        }
    }
    RECT text{rect_.left + column + 6, rect_.top, rect_.right, rect_.bottom};
    drawLabel(dc, text,
              grayed_ ? lightenColor(::GetSysColor(COLOR_GRAYTEXT), 0.4)
                      : ::GetSysColor(COLOR_MENUTEXT));
}
