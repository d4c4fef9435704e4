// The image button: attachment, messages, hover, clicks, its actions and its settings.
#include "controls/CButtonFX.h"

#include <shellapi.h>

namespace {

// The low five bits of a button style hold its type.
const UINT kButtonTypeMask = 0x1F;
// A button style bit that check boxes (and some other types) carry.
const UINT kCheckBoxBit = 0x2;

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
    hoverSound_.play();
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
    clickSound_.play();
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
    hoverSound_ = ButtonSound(name, module, flags);
}

void CButtonFX::setClickSound(const char* name, HMODULE module, DWORD flags) {
    clickSound_ = ButtonSound(name, module, flags);
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
