// The image button: attachment, messages, hover, clicks and painting.
#include "controls/CButtonFX.h"

#include <shellapi.h>

namespace {

// The low five bits of a button style hold its type.
const UINT kButtonTypeMask = 0x1F;
// A button style bit that check boxes (and some other types) carry.
const UINT kCheckBoxBit = 0x2;
// Caption flags: DT_WORDBREAK | DT_CENTER, and with DT_CALCRECT for measuring.
const UINT kCaptionFormat = DT_WORDBREAK | DT_CENTER;
const UINT kMeasureFormat = DT_CALCRECT | DT_WORDBREAK | DT_CENTER;

} // namespace

CButtonFX::CButtonFX() {
    ResetColors(false);
}

void CButtonFX::PreSubclassWindow() {
    const UINT style = LOWORD(this->style());
    if ((style & kCheckBoxBit) != 0)
        checkBox_ = true;
    if ((style & kButtonTypeMask) == BS_DEFPUSHBUTTON)
        isDefault_ = true;
    ModifyStyle(kButtonTypeMask, BS_OWNERDRAW, SWP_FRAMECHANGED);
    CButton::PreSubclassWindow();
}

bool CButtonFX::PreTranslateMessage(MSG* msg) {
    EnsureToolTip();
    toolTip_.relayEvent(msg);
    // A fast second click is a second press, so it gives a second click notification.
    if (msg->message == WM_LBUTTONDBLCLK) {
        msg->message = WM_LBUTTONDOWN;
        secondClickDown_ = true;
    } else if (msg->message == WM_LBUTTONDOWN) {
        secondClickDown_ = false;
    }
    return CButton::PreTranslateMessage(msg);
}

void CButtonFX::EnsureToolTip() {
    if (toolTip_.GetSafeHwnd() != nullptr || GetSafeHwnd() == nullptr)
        return;
    if (!toolTip_.Create(this, 0))
        return;
    toolTip_.activate(false);
    toolTip_.setMaxTipWidth(400);
}

LRESULT CButtonFX::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE:
        onMouseMove(wParam, lParam);
        return 0;
    case WM_MOUSELEAVE:
        CancelHover();
        return 0;
    case WM_LBUTTONUP: {
        // The click notification is sent from inside the button's own handling of the up.
        clickIsSecondOfDoubleClick_ = secondClickDown_;
        secondClickDown_ = false;
        LRESULT result = CButton::WindowProc(message, wParam, lParam);
        clickIsSecondOfDoubleClick_ = false;
        return result;
    }
    case WM_KILLFOCUS:
    case WM_CANCELMODE: {
        LRESULT result = Default(message, wParam, lParam);
        CancelHover();
        return result;
    }
    case WM_ACTIVATE: {
        LRESULT result = Default(message, wParam, lParam);
        if (LOWORD(wParam) == WA_INACTIVE)
            CancelHover();
        return result;
    }
    case WM_ENABLE: {
        LRESULT result = Default(message, wParam, lParam);
        if (!wParam) {
            onDisabled();
            CancelHover();
        }
        return result;
    }
    case WM_GETDLGCODE:
        return Default(message, wParam, lParam) |
               (isDefault_ ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    case BM_SETSTYLE:
        return onSetStyle(wParam, lParam);
    case BM_SETCHECK:
        if (checkBox_) {
            checkState_ = wParam == BST_CHECKED || wParam == BST_INDETERMINATE ? 1 : 0;
            invalidate();
        }
        return 0;
    case BM_GETCHECK:
        return checkState_;
    case WM_SETCURSOR:
        if (!cursor_)
            break;
        ::SetCursor(cursor_.get());
        return TRUE;
    case WM_SYSCOLORCHANGE: {
        LRESULT result = Default(message, wParam, lParam);
        background_.discard();
        ResetColors(true);
        return result;
    }
    case WM_MEASUREITEM:
        return onMeasureItem(wParam, lParam);
    case WM_MENUCHAR:
        return onMenuChar(wParam, lParam);
    }
    return CButton::WindowProc(message, wParam, lParam);
}

bool CButtonFX::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    // The parent handles the click too, as for a standard button.
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        onClicked();
        return false;
    }
    return CButton::OnChildNotify(message, wParam, lParam, result);
}

HBRUSH CButtonFX::CtlColor(HDC, UINT) {
    // DrawItem covers every pixel; a colour fill first would only flicker.
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

void CButtonFX::onMouseMove(WPARAM keys, LPARAM point) {
    Default(WM_MOUSEMOVE, keys, point);
    POINT screen{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    ::ClientToScreen(GetSafeHwnd(), &screen);
    HWND under = ::WindowFromPoint(screen);
    // Pressing elsewhere and dragging onto the button does not start hover.
    if ((keys & MK_LBUTTON) != 0 && !mouseOver_)
        return;
    if (!flat_)
        return;
    HWND reference = alwaysTrack_ ? GetSafeHwnd() : ::GetActiveWindow();
    if (under != GetSafeHwnd() || reference == nullptr) {
        CancelHover();
        return;
    }
    if (mouseOver_)
        return;
    mouseOver_ = true;
    invalidate(true);
    play(hoverSound_);
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = GetSafeHwnd();
    ::_TrackMouseEvent(&track);
}

void CButtonFX::CancelHover() {
    if (!flat_ || !mouseOver_)
        return;
    mouseOver_ = false;
    invalidate(true);
}

void CButtonFX::onDisabled() {
    // The system has taken the focus away if this button had it; it goes on to the next
    // control rather than nowhere. A focus elsewhere stays where the user put it.
    HWND focus = ::GetFocus();
    if (focus != nullptr && focus != GetSafeHwnd())
        return;
    // No focus at all: the button had it only if its window is the active one. Otherwise the
    // user works in another program, and moving the focus would bring this one to the front.
    if (focus == nullptr && ::GetActiveWindow() != ::GetAncestor(GetSafeHwnd(), GA_ROOT))
        return;
    HWND parent = ::GetParent(GetSafeHwnd());
    if (parent == nullptr)
        return;
    HWND next = ::GetNextDlgTabItem(parent, GetSafeHwnd(), FALSE);
    ::SetFocus(next != nullptr && next != GetSafeHwnd() ? next : parent);
}

LRESULT CButtonFX::onSetStyle(WPARAM style, LPARAM redraw) {
    const UINT type = static_cast<UINT>(style) & kButtonTypeMask;
    if (type == BS_DEFPUSHBUTTON)
        isDefault_ = true;
    else if (type == BS_PUSHBUTTON)
        isDefault_ = false;
    // The dialog manager moves the default state with this message; the button stays
    // owner-drawn whatever type it names.
    const WPARAM ownerDrawn = (style & ~static_cast<WPARAM>(kButtonTypeMask)) | BS_OWNERDRAW;
    return Default(BM_SETSTYLE, ownerDrawn, redraw);
}

LRESULT CButtonFX::onMeasureItem(WPARAM wParam, LPARAM lParam) {
    auto* measureItem = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (measureItem->CtlType == ODT_MENU) {
        auto menu = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(measureItem->itemID));
        if (::IsMenu(menu) && GlyphMenu::IsOwnMenu(menu)) {
            popupMenu_.MeasureItem(measureItem);
            return TRUE;
        }
    }
    return CButton::WindowProc(WM_MEASUREITEM, wParam, lParam);
}

LRESULT CButtonFX::onMenuChar(WPARAM wParam, LPARAM lParam) {
    auto menu = reinterpret_cast<HMENU>(lParam);
    if (GlyphMenu::IsOwnMenu(menu))
        return GlyphMenu::FindMnemonic(LOWORD(wParam), HIWORD(wParam), CMenu::FromHandle(menu));
    return CButton::WindowProc(WM_MENUCHAR, wParam, lParam);
}

void CButtonFX::onClicked() {
    ::SetFocus(GetSafeHwnd());
    play(clickSound_);
    if (checkBox_) {
        checkState_ = checkState_ == 0 ? 1 : 0;
        invalidate();
        return;
    }
    if (popupMenu_.GetSafeHmenu() != nullptr) {
        showPopupMenu();
        return;
    }
    if (!linkTarget_.empty())
        openLinkTarget();
}

void CButtonFX::showPopupMenu() {
    menuShown_ = true;
    invalidate();
    ::UpdateWindow(GetSafeHwnd());
    HMENU sub = popupMenu_.subMenu(0);
    if (menuNotify_.window != nullptr)
        ::SendMessageA(menuNotify_.window, menuNotify_.message, reinterpret_cast<WPARAM>(sub),
                       menuNotify_.parameter);
    RECT rect{};
    ::GetWindowRect(GetSafeHwnd(), &rect);
    const int command =
        CMenu::trackPopupMenu(sub, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_NONOTIFY | TPM_RETURNCMD,
                              rect.left, rect.bottom, GetSafeHwnd());
    menuShown_ = false;
    invalidate();
    if (command != 0 && menuOwner_ != nullptr)
        ::PostMessageA(menuOwner_, WM_COMMAND, MAKEWPARAM(LOWORD(command), 0), 0);
}

void CButtonFX::openLinkTarget() const {
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = "open";
    info.lpFile = linkTarget_.c_str();
    info.nShow = SW_SHOWMAXIMIZED;
    ::ShellExecuteExA(&info);
}

CButtonFX::Sound CButtonFX::Sound::of(const char* name, HMODULE module, DWORD flags) {
    Sound sound;
    if (name == nullptr)
        return sound;
    sound.set = true;
    if (IS_INTRESOURCE(name))
        sound.resourceNumber = reinterpret_cast<UINT_PTR>(name);
    else
        sound.name = name;
    sound.module = module;
    sound.flags = flags;
    return sound;
}

void CButtonFX::play(const Sound& sound) const {
    if (!sound.set)
        return;
    const char* name = sound.resourceNumber != 0
                           ? MAKEINTRESOURCEA(static_cast<WORD>(sound.resourceNumber))
                           : sound.name.c_str();
    ::PlaySoundA(name, sound.module, sound.flags);
}

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

void CButtonFX::ResetColors(bool repaint) {
    colors_[BackHover] = ::GetSysColor(COLOR_BTNFACE);
    colors_[TextHover] = ::GetSysColor(COLOR_BTNTEXT);
    colors_[BackNormal] = ::GetSysColor(COLOR_BTNFACE);
    colors_[TextNormal] = ::GetSysColor(COLOR_BTNTEXT);
    colors_[BackFocus] = ::GetSysColor(COLOR_BTNFACE);
    colors_[TextFocus] = ::GetSysColor(COLOR_BTNTEXT);
    if (repaint)
        invalidate();
}

void CButtonFX::setColor(ColorSlot slot, COLORREF colour, bool repaint) {
    if (slot < 0 || slot >= kColorCount)
        return;
    update(colors_[slot], colour, repaint);
}

int CButtonFX::setPressedStyle(int style, bool repaint) {
    if (style != kPressedStyleShift && style != kPressedStyleDown)
        return kStatusInvalidPressedStyle;
    update(pressedShift_, style == kPressedStyleShift ? POINT{1, 1} : POINT{0, 2}, repaint);
    return kStatusOk;
}

void CButtonFX::setIcons(UniqueIcon hover, UniqueIcon normal, bool repaint) {
    images_.setIcons(std::move(hover), std::move(normal));
    if (repaint)
        invalidate();
}

bool CButtonFX::setBitmaps(CBitmap hover, COLORREF hoverTransparent, CBitmap normal,
                           COLORREF normalTransparent, bool repaint) {
    bool set = images_.setBitmaps(std::move(hover), hoverTransparent, std::move(normal),
                                  normalTransparent);
    if (repaint)
        invalidate();
    return set;
}

void CButtonFX::setLinkTarget(const std::string& target) {
    // The target had room for 259 characters and its end.
    linkTarget_ = target.substr(0, MAX_PATH - 1);
}

bool CButtonFX::setMenu(UINT menuResourceId, HWND owner, bool repaint) {
    popupMenu_.FreeMenu();
    menuOwner_ = owner;
    bool loaded = popupMenu_.LoadMenuById(menuResourceId);
    if (repaint)
        invalidate();
    return loaded;
}

void CButtonFX::setMenuNotify(HWND window, UINT message, LPARAM parameter) {
    menuNotify_ = {window, message, parameter};
}

void CButtonFX::setHoverSound(const char* name, HMODULE module, DWORD flags) {
    hoverSound_ = Sound::of(name, module, flags);
}

void CButtonFX::setClickSound(const char* name, HMODULE module, DWORD flags) {
    clickSound_ = Sound::of(name, module, flags);
}

void CButtonFX::setTransparentBack(bool transparent, bool repaint) {
    if (!transparent)
        background_.discard();
    update(transparentBack_, transparent, repaint);
}

void CButtonFX::setTooltipText(const std::string& text, bool activate) {
    EnsureToolTip();
    if (toolTip_.GetSafeHwnd() == nullptr)
        return;
    RECT client{};
    ::GetClientRect(GetSafeHwnd(), &client);
    if (toolTip_.toolCount() == 0)
        toolTip_.addTool(this, text, client, 1);
    else
        toolTip_.updateTipText(this, text, 1);
    toolTip_.activate(activate);
}
