// Binding of objects to windows, the one window procedure and the reflection of child
// notifications.
#include "framework/CWnd.h"

#include "framework/CMenu.h"

namespace {

// The property that carries the object pointer; a property travels with the window, so no
// handle map (and no lock) is needed for windows of several threads.
const char kObjectProperty[] = "MarlinFrameworkWindow";

// The control a parent's message is about, or null when the message names none.
HWND childOfMessage(HWND parent, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        return reinterpret_cast<HWND>(lParam);
    case WM_NOTIFY:
        return reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
    case WM_DRAWITEM: {
        const auto* drawItem = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        return drawItem->CtlType == ODT_MENU ? nullptr : drawItem->hwndItem;
    }
    case WM_MEASUREITEM: {
        const auto* measureItem = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
        if (measureItem->CtlType == ODT_MENU)
            return nullptr;
        return ::GetDlgItem(parent, static_cast<int>(measureItem->CtlID));
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<HWND>(lParam);
    default:
        (void)wParam;
        return nullptr;
    }
}

// Windows asks the window that owns a menu to measure and draw its owner-drawn items; the
// object that holds the menu knows them. True when such an object took the request.
bool passToMenuObject(UINT message, LPARAM lParam) {
    if (message == WM_DRAWITEM) {
        auto* drawItem = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (drawItem->CtlType != ODT_MENU)
            return false;
        CMenu* menu = CMenu::FromHandle(reinterpret_cast<HMENU>(drawItem->hwndItem));
        if (menu == nullptr)
            return false;
        menu->DrawItem(drawItem);
        return true;
    }
    if (message == WM_MEASUREITEM) {
        auto* measureItem = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measureItem->CtlType != ODT_MENU)
            return false;
        CMenu* menu = CMenu::FromItemData(measureItem->itemID, measureItem->itemData);
        if (menu == nullptr)
            return false;
        menu->MeasureItem(measureItem);
        return true;
    }
    return false;
}

} // namespace

CWnd::~CWnd() {
    if (hwnd_ == nullptr)
        return;
    // Unbind first: the derived parts of this object are gone, so no message may reach it.
    HWND hwnd = hwnd_;
    bool child = (style() & WS_CHILD) != 0 && ::IsWindow(::GetParent(hwnd));
    unbind();
    // A child goes with its parent. Destroying it now could move the focus and notify the
    // parent while the parent's object (whose member this may be) is half destroyed.
    if (!child)
        ::DestroyWindow(hwnd);
}

CWnd* CWnd::FromHandle(HWND hwnd) {
    if (hwnd == nullptr)
        return nullptr;
    return static_cast<CWnd*>(::GetPropA(hwnd, kObjectProperty));
}

bool CWnd::bind(HWND hwnd) {
    if (hwnd == nullptr || hwnd_ != nullptr || FromHandle(hwnd) != nullptr)
        return false;
    if (!::SetPropA(hwnd, kObjectProperty, this))
        return false;
    hwnd_ = hwnd;
    return true;
}

void CWnd::unbind() {
    if (hwnd_ == nullptr)
        return;
    if (previousProc_ != nullptr &&
        reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hwnd_, GWLP_WNDPROC)) == staticWindowProc)
        ::SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
    ::RemovePropA(hwnd_, kObjectProperty);
    hwnd_ = nullptr;
    previousProc_ = nullptr;
}

bool CWnd::SubclassWindow(HWND hwnd) {
    if (!bind(hwnd))
        return false;
    PreSubclassWindow();
    if (hwnd_ == nullptr)
        return false; // PreSubclassWindow destroyed the window
    previousProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(staticWindowProc)));
    return true;
}

bool CWnd::SubclassDlgItem(int controlId, CWnd* parent) {
    if (parent == nullptr || parent->GetSafeHwnd() == nullptr)
        return false;
    return SubclassWindow(::GetDlgItem(parent->GetSafeHwnd(), controlId));
}

HWND CWnd::UnsubclassWindow() {
    HWND hwnd = hwnd_;
    unbind();
    return hwnd;
}

bool CWnd::CreateEx(DWORD exStyle, const char* className, const char* text, DWORD style,
                    const RECT& rect, HWND parent, HMENU menuOrId) {
    if (hwnd_ != nullptr)
        return false;
    HWND hwnd = ::CreateWindowExA(exStyle, className, text, style, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, parent, menuOrId,
                                  ::GetModuleHandleA(nullptr), nullptr);
    if (hwnd == nullptr)
        return false;
    if (!SubclassWindow(hwnd)) {
        ::DestroyWindow(hwnd);
        return false;
    }
    return true;
}

bool CWnd::DestroyWindow() {
    if (hwnd_ == nullptr)
        return false;
    // WM_NCDESTROY unbinds the object.
    return ::DestroyWindow(hwnd_) != FALSE;
}

bool CWnd::WalkPreTranslateTree(MSG* msg) {
    for (HWND hwnd = msg->hwnd; hwnd != nullptr;) {
        if (CWnd* window = FromHandle(hwnd); window != nullptr && window->PreTranslateMessage(msg))
            return true;
        if ((::GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) == 0)
            break; // a top-level window ends the chain; its owner is not its parent
        hwnd = ::GetParent(hwnd);
    }
    return false;
}

bool CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
    case WM_DRAWITEM:
        DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        *result = TRUE;
        return true;
    case WM_MEASUREITEM:
        MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        *result = TRUE;
        return true;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        HBRUSH brush = CtlColor(reinterpret_cast<HDC>(wParam), message);
        if (brush == nullptr)
            return false;
        *result = reinterpret_cast<LRESULT>(brush);
        return true;
    }
    default:
        return false;
    }
}

bool CWnd::reflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    HWND child = childOfMessage(hwnd_, message, wParam, lParam);
    if (child == nullptr || child == hwnd_)
        return false;
    CWnd* control = FromHandle(child);
    return control != nullptr && control->OnChildNotify(message, wParam, lParam, result);
}

LRESULT CALLBACK CWnd::staticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* window = FromHandle(hwnd);
    if (window == nullptr)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    LRESULT result = 0;
    if (window->reflectToChild(message, wParam, lParam, &result))
        return result;
    result = window->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY && window->hwnd_ == hwnd) {
        window->unbind();
        window->PostNcDestroy();
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (passToMenuObject(message, lParam))
        return TRUE;
    return Default(message, wParam, lParam);
}

LRESULT CWnd::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    if (hwnd_ == nullptr)
        return 0;
    if (previousProc_ != nullptr)
        return ::CallWindowProcA(previousProc_, hwnd_, message, wParam, lParam);
    return ::DefWindowProcA(hwnd_, message, wParam, lParam);
}

std::string CWnd::windowText() const {
    if (hwnd_ == nullptr)
        return {};
    int length = ::GetWindowTextLengthA(hwnd_);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int copied = ::GetWindowTextA(hwnd_, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

void CWnd::setWindowText(const std::string& text) {
    if (hwnd_ != nullptr)
        ::SetWindowTextA(hwnd_, text.c_str());
}

LRESULT CWnd::sendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return hwnd_ != nullptr ? ::SendMessageA(hwnd_, message, wParam, lParam) : 0;
}

DWORD CWnd::style() const {
    return hwnd_ != nullptr ? static_cast<DWORD>(::GetWindowLongA(hwnd_, GWL_STYLE)) : 0;
}

bool CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) {
    if (hwnd_ == nullptr)
        return false;
    DWORD oldStyle = style();
    DWORD newStyle = (oldStyle & ~remove) | add;
    if (newStyle == oldStyle)
        return false;
    ::SetWindowLongA(hwnd_, GWL_STYLE, static_cast<LONG>(newStyle));
    if (swpFlags != 0)
        ::SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    return true;
}

void CWnd::invalidate(bool erase) {
    if (hwnd_ != nullptr)
        ::InvalidateRect(hwnd_, nullptr, erase ? TRUE : FALSE);
}

bool CWnd::enableWindow(bool enable) {
    return hwnd_ != nullptr && ::EnableWindow(hwnd_, enable ? TRUE : FALSE) != FALSE;
}

HFONT CWnd::font() const {
    return reinterpret_cast<HFONT>(sendMessage(WM_GETFONT));
}

void CWnd::setFont(HFONT font, bool redraw) {
    sendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw ? TRUE : FALSE);
}

HWND CWnd::dlgItem(int controlId) const {
    return hwnd_ != nullptr ? ::GetDlgItem(hwnd_, controlId) : nullptr;
}

HMENU CWnd::GetSystemMenu(bool revert) const {
    return hwnd_ != nullptr ? ::GetSystemMenu(hwnd_, revert ? TRUE : FALSE) : nullptr;
}

void CWnd::centerWindow() {
    if (hwnd_ == nullptr)
        return;
    RECT window{};
    ::GetWindowRect(hwnd_, &window);
    RECT area{};
    HWND owner = ::GetWindow(hwnd_, GW_OWNER);
    if (owner != nullptr && ::IsWindowVisible(owner) && !::IsIconic(owner)) {
        ::GetWindowRect(owner, &area);
    } else {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        ::GetMonitorInfoA(::MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
        area = monitor.rcWork;
    }
    int width = window.right - window.left;
    int height = window.bottom - window.top;
    int left = area.left + ((area.right - area.left) - width) / 2;
    int top = area.top + ((area.bottom - area.top) - height) / 2;
    ::SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
