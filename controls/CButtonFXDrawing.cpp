// The image button's painting: face, edges, images, caption and focus rectangle.
#include "controls/CButtonFX.h"

namespace {

// Caption flags: DT_WORDBREAK | DT_CENTER, and with DT_CALCRECT for measuring.
const UINT kCaptionFormat = DT_WORDBREAK | DT_CENTER;
const UINT kMeasureFormat = DT_CALCRECT | DT_WORDBREAK | DT_CENTER;

} // namespace

void CButtonFX::DrawItem(DRAWITEMSTRUCT* drawItem) {
    CDC dc;
    dc.Attach(drawItem->hDC);
    const UINT state = drawItem->itemState;
    const bool selected = (state & ODS_SELECTED) != 0;
    if (checkBox_)
        pressed_ = selected || checkState_ != 0;
    else
        pressed_ = selected || (popupMenu_.GetSafeHmenu() != nullptr && menuShown_);
    focused_ = state & ODS_FOCUS;
    const bool disabled = (state & ODS_DISABLED) != 0;

    RECT work = drawItem->rcItem;
    dc.setBkMode(TRANSPARENT);
    if (!flat_ && (focused_ != 0 || isDefault_)) {
        dc.frameRect(work, RGB(0, 0, 0));
        ::InflateRect(&work, -1, -1);
    }
    if (transparentBack_)
        background_.paint(GetSafeHwnd(), dc, drawItem->rcItem);
    else
        PaintBackground(dc, work);
    if (pressed_) {
        if (!flat_)
            dc.frameRect(work, ::GetSysColor(COLOR_BTNSHADOW));
        else if (drawBorder_)
            PaintBorder(dc, work);
    } else if (!flat_) {
        drawRaisedEdges(dc, work);
    } else if (mouseOver_ && drawBorder_) {
        PaintBorder(dc, work);
    }

    const std::string caption = windowText();
    RECT captionRect = drawItem->rcItem;
    if (images_.hasIcon())
        PaintIcon(dc, !caption.empty(), drawItem->rcItem, &captionRect, pressed_, disabled);
    if (images_.hasBitmap()) {
        dc.setBkColor(RGB(255, 255, 255));
        dc.setTextColor(RGB(0, 0, 0));
        PaintBitmap(dc, !caption.empty(), drawItem->rcItem, &captionRect, pressed_, disabled);
    }
    if (!caption.empty())
        PaintCaption(dc, caption, drawItem->rcItem, &captionRect, pressed_, disabled);
    if ((!flat_ || flatFocus_) && focused_ != 0) {
        RECT focus = work;
        ::InflateRect(&focus, -3, -3);
        dc.drawFocusRect(focus);
    }
    dc.Detach();
}

void CButtonFX::drawRaisedEdges(CDC& dc, const RECT& rect) const {
    const struct {
        int colourIndex;
        POINT from, corner, to;
    } lines[4] = {
        {COLOR_BTNHIGHLIGHT,
         {rect.left, rect.bottom - 1},
         {rect.left, rect.top},
         {rect.right, rect.top}},
        {COLOR_3DLIGHT,
         {rect.left + 1, rect.bottom - 1},
         {rect.left + 1, rect.top + 1},
         {rect.right, rect.top + 1}},
        {COLOR_3DDKSHADOW,
         {rect.left, rect.bottom - 1},
         {rect.right - 1, rect.bottom - 1},
         {rect.right - 1, rect.top - 1}},
        {COLOR_BTNSHADOW,
         {rect.left + 1, rect.bottom - 2},
         {rect.right - 2, rect.bottom - 2},
         {rect.right - 2, rect.top}},
    };
    for (const auto& line : lines) {
        CPen pen;
        pen.createPen(PS_SOLID, 0, ::GetSysColor(line.colourIndex));
        ScopedSelectObject selected(dc.GetSafeHdc(), pen.object());
        dc.moveTo(line.from.x, line.from.y);
        dc.lineTo(line.corner.x, line.corner.y);
        dc.lineTo(line.to.x, line.to.y);
    }
}

int CButtonFX::PaintBackground(CDC& dc, const RECT& rect) {
    COLORREF colour = mouseOver_ || pressed_ ? colors_[BackHover]
                      : focused_ != 0        ? colors_[BackFocus]
                                             : colors_[BackNormal];
    CBrush brush;
    brush.createSolidBrush(colour);
    dc.fillRect(rect, brush.get());
    // Even a flat button at rest shows a raised edge.
    dc.draw3dRect(rect, ::GetSysColor(COLOR_BTNHIGHLIGHT), ::GetSysColor(COLOR_BTNSHADOW));
    return kStatusOk;
}

int CButtonFX::PaintBorder(CDC& dc, const RECT& rect) {
    if (pressed_)
        dc.draw3dRect(rect, ::GetSysColor(COLOR_BTNSHADOW), ::GetSysColor(COLOR_BTNHIGHLIGHT));
    else
        dc.draw3dRect(rect, ::GetSysColor(COLOR_BTNHIGHLIGHT), ::GetSysColor(COLOR_BTNSHADOW));
    return kStatusOk;
}

int CButtonFX::PaintIcon(CDC& dc, bool hasCaption, const RECT& itemRect, RECT* captionRect,
                         bool pressed, bool disabled) {
    const int entry = images_.iconEntry(pressed, checkBox_ || !mouseOver_);
    RECT image = LayoutImage(hasCaption, itemRect, captionRect, pressed, images_.iconSize(entry));
    images_.drawIcon(dc, entry, {image.left, image.top}, disabled);
    return kStatusOk;
}

int CButtonFX::PaintBitmap(CDC& dc, bool hasCaption, const RECT& itemRect, RECT* captionRect,
                           bool pressed, bool disabled) {
    const int entry = images_.bitmapEntry(pressed, checkBox_ || !mouseOver_);
    RECT image = LayoutImage(hasCaption, itemRect, captionRect, pressed, images_.bitmapSize(entry));
    images_.drawBitmap(dc, entry, {image.left, image.top}, disabled, showDisabledBitmap_);
    return kStatusOk;
}

RECT CButtonFX::LayoutImage(bool hasCaption, const RECT& itemRect, RECT* captionRect, bool pressed,
                            SIZE image) const {
    RECT place =
        ButtonImages::layout(imageAlign_, imageMargin_, hasCaption, itemRect, captionRect, image);
    if (pressed && !checkBox_)
        ::OffsetRect(&place, pressedShift_.x, pressedShift_.y);
    return place;
}

int CButtonFX::PaintCaption(CDC& dc, const std::string& caption, const RECT& /*itemRect*/,
                            RECT* captionRect, bool pressed, bool disabled) {
    if (pressed && !checkBox_)
        ::OffsetRect(captionRect, pressedShift_.x, pressedShift_.y);
    // Measuring keeps the left and top edges; the offset then centres the text.
    const RECT frame = *captionRect;
    dc.drawText(caption, captionRect, kMeasureFormat);
    ::OffsetRect(captionRect, (rectWidth(frame) - rectWidth(*captionRect)) / 2,
                 (rectHeight(frame) - rectHeight(*captionRect)) / 2);
    dc.setBkMode(TRANSPARENT);
    if (disabled) {
        ::OffsetRect(captionRect, 1, 1);
        dc.setTextColor(::GetSysColor(COLOR_BTNHIGHLIGHT));
        dc.drawText(caption, captionRect, kCaptionFormat);
        ::OffsetRect(captionRect, -1, -1);
        dc.setTextColor(::GetSysColor(COLOR_BTNSHADOW));
        dc.drawText(caption, captionRect, kCaptionFormat);
        return kStatusOk;
    }
    const bool hot = mouseOver_ || pressed;
    dc.setTextColor(colors_[hot ? TextHover : TextNormal]);
    dc.setBkColor(colors_[hot ? BackHover : BackNormal]);
    dc.drawText(caption, captionRect, kCaptionFormat);
    return kStatusOk;
}
