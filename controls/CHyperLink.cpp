// The hyperlink control: attachment, hover, colours, and opening its target.
#include "controls/CHyperLink.h"

#include "framework/CDC.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>

namespace {

bool startsWithIgnoringCase(const std::string& text, const char* prefix) {
    size_t length = std::strlen(prefix);
    return text.size() >= length && ::_strnicmp(text.c_str(), prefix, length) == 0;
}

// The words for a shell error code, in the shell's own numbering.
std::string openErrorReason(int code) {
    switch (code) {
    case 0:
        return "The operating system is out\nof memory or resources.";
    case SE_ERR_FNF:
        return "The specified file was not found.";
    case SE_ERR_PNF:
        return "The specified path was not found.";
    case SE_ERR_ACCESSDENIED:
        return "The operating system denied\naccess to the specified file.";
    case SE_ERR_OOM:
        return "There was not enough memory to complete the operation.";
    case ERROR_BAD_FORMAT:
        return "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
    case SE_ERR_SHARE:
        return "A sharing violation occurred. ";
    case SE_ERR_ASSOCINCOMPLETE:
        return "The filename association is\nincomplete or invalid.";
    case SE_ERR_DDETIMEOUT:
        return "The DDE transaction could not\nbe completed because the request timed out.";
    case SE_ERR_DDEFAIL:
        return "The DDE transaction failed.";
    case SE_ERR_DDEBUSY:
        return "The DDE transaction could not\nbe completed because other DDE transactions\n"
               "were being processed.";
    case SE_ERR_NOASSOC:
        return "There is no application associated\nwith the given filename extension.";
    case SE_ERR_DLLNOTFOUND:
        return "The specified dynamic-link library was not found.";
    default: {
        char reason[64];
        std::snprintf(reason, sizeof(reason), "Unknown Error (%d) occurred.", code);
        return reason;
    }
    }
}

} // namespace

CHyperLink::~CHyperLink() {
    if (GetSafeHwnd() == nullptr)
        return;
    ::KillTimer(GetSafeHwnd(), hoverTimerId);
    // The static keeps the handle it was given; it must not draw with a deleted font.
    setFont(nullptr, false);
}

void CHyperLink::PreSubclassWindow() {
    ModifyStyle(0, SS_NOTIFY); // clicks reach the parent, and come back reflected
    std::string text = windowText();
    if (target.empty()) {
        target = text;
        if (startsWithIgnoringCase(target, "www."))
            target = "http://" + target;
    }
    if (text.empty())
        setWindowText(target);
    createFonts();
    fitControlToText();
    loadHandCursor();
    setUnderlineRule(-1); // already -1: the control keeps the dialog's font until hovered
    setTipFromTarget(target);
    createTip();
    CStatic::PreSubclassWindow();
}

void CHyperLink::createFonts() {
    HFONT source = font();
    if (source == nullptr)
        source = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    if (source == nullptr)
        source = static_cast<HFONT>(::GetStockObject(ANSI_VAR_FONT));
    LOGFONTA description{};
    if (!fontDescription(source, &description))
        return;
    plainFont.createFontIndirect(description);
    description.lfUnderline = TRUE;
    underlinedFont.createFontIndirect(description);
}

void CHyperLink::fitControlToText() {
    HWND hwnd = GetSafeHwnd();
    if (hwnd == nullptr || !fitToText)
        return;
    RECT window{};
    RECT client{};
    ::GetWindowRect(hwnd, &window);
    ::GetClientRect(hwnd, &client);
    ::MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    HWND parent = ::GetParent(hwnd);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&window), 2);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&client), 2);

    SIZE extent{};
    {
        CClientDC dc(this);
        ScopedSelectObject selected(dc.GetSafeHdc(), underlinedFont.object());
        extent = dc.textExtent(windowText());
    }
    DWORD controlStyle = style();
    int height = extent.cy + (client.top - window.top) + (window.bottom - client.bottom);
    if (controlStyle & SS_CENTERIMAGE) {
        int shrink = ((window.bottom - window.top) - height) / 2;
        window.top += shrink;
        window.bottom -= shrink;
    } else {
        window.bottom = window.top + height;
    }
    int width = extent.cx + (client.left - window.left) + (window.right - client.right);
    switch (controlStyle & SS_TYPEMASK) {
    case SS_CENTER: {
        int shrink = ((window.right - window.left) - width) / 2;
        window.left += shrink;
        window.right -= shrink;
        break;
    }
    case SS_RIGHT:
        window.left = window.right - width;
        break;
    default:
        window.right = window.left + width;
        break;
    }
    ::SetWindowPos(hwnd, nullptr, window.left, window.top, window.right - window.left,
                   window.bottom - window.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CHyperLink::createTip() {
    if (!tip.Create(this))
        return;
    RECT client{};
    ::GetClientRect(GetSafeHwnd(), &client);
    tip.addTool(this, tipText, client, 1);
}

void CHyperLink::loadHandCursor() {
    if (handCursor)
        return;
    // The shared system cursor must not be destroyed, so the control keeps its own copy.
    HCURSOR shared = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)); // IDC_HAND
    if (shared != nullptr)
        handCursor.reset(CopyCursor(shared));
}

void CHyperLink::setHandCursor(HCURSOR cursor) {
    handCursor.reset(cursor);
    if (cursor == nullptr)
        loadHandCursor();
}

void CHyperLink::setVisited(bool flag) {
    visited = flag;
    invalidate();
}

void CHyperLink::setUnderlineRule(int rule) {
    if (rule == underlineRule)
        return;
    if (GetSafeHwnd() != nullptr) {
        setFont(rule == 1 ? underlinedFont.get() : plainFont.get(), true);
        invalidate();
    }
    underlineRule = rule;
}

void CHyperLink::setTipFromTarget(const std::string& address) {
    tipText.clear();
    if (!tipPrefixing)
        tipText = address;
    else if (startsWithIgnoringCase(address, "http://"))
        tipText = "Go to " + address.substr(7);
    else if (startsWithIgnoringCase(address, "mailto:"))
        tipText = "E-mail " + address.substr(7);
    else
        tipText = address;
}

bool CHyperLink::DestroyWindow() {
    if (GetSafeHwnd() != nullptr)
        ::KillTimer(GetSafeHwnd(), hoverTimerId);
    return CStatic::DestroyWindow();
}

bool CHyperLink::PreTranslateMessage(MSG* msg) {
    if (tip.GetSafeHwnd() != nullptr)
        tip.relayEvent(msg);
    return CStatic::PreTranslateMessage(msg);
}

LRESULT CHyperLink::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETCURSOR:
        if (!handCursor)
            return FALSE;
        ::SetCursor(handCursor.get());
        return TRUE;
    case WM_MOUSEMOVE:
        onMouseMove();
        break;
    case WM_TIMER:
        if (wParam == hoverTimerId)
            onHoverTimer();
        break;
    case WM_ERASEBKGND:
        eraseBackground(reinterpret_cast<HDC>(wParam));
        return TRUE;
    }
    return CStatic::WindowProc(message, wParam, lParam);
}

bool CHyperLink::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_COMMAND && HIWORD(wParam) == STN_CLICKED) {
        onClicked();
        *result = 0;
        return true;
    }
    return CStatic::OnChildNotify(message, wParam, lParam, result);
}

HBRUSH CHyperLink::CtlColor(HDC dc, UINT ctlColorMessage) {
    if (ctlColorMessage != WM_CTLCOLORSTATIC)
        return nullptr;
    ::SetTextColor(dc, hovering ? hoverColour : visited ? visitedColour : normalColour);
    ::SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

void CHyperLink::eraseBackground(HDC dc) {
    RECT client{};
    ::GetClientRect(GetSafeHwnd(), &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
}

void CHyperLink::onMouseMove() {
    if (hovering)
        return;
    hovering = true;
    if (underlineRule == -1)
        setFont(underlinedFont.get(), true);
    invalidate();
    ::SetTimer(GetSafeHwnd(), hoverTimerId, 100, nullptr);
}

void CHyperLink::onHoverTimer() {
    DWORD position = ::GetMessagePos();
    POINT pointer{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    HWND hwnd = GetSafeHwnd();
    ::ScreenToClient(hwnd, &pointer);
    RECT client{};
    ::GetClientRect(hwnd, &client);
    if (::PtInRect(&client, pointer))
        return;
    hovering = false;
    ::KillTimer(hwnd, hoverTimerId);
    if (underlineRule != 1)
        setFont(plainFont.get(), true);
    // The underline sits at the bottom edge of the text; the taller rectangle wipes it out.
    client.bottom += 10;
    ::InvalidateRect(hwnd, &client, TRUE);
}

void CHyperLink::onClicked() {
    hovering = false;
    INT_PTR result = openTarget(target, SW_SHOW);
    if (result > 32) {
        setVisited(true);
        return;
    }
    ::MessageBeep(MB_ICONEXCLAMATION);
    reportOpenError(static_cast<int>(result));
}

INT_PTR CHyperLink::openTarget(const std::string& address, int showCommand) {
    INT_PTR result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, showCommand));
    if (result > 32)
        return result;
    std::string command;
    if (fallbackCommand(address, command) != ERROR_SUCCESS)
        return result;
    return static_cast<INT_PTR>(::WinExec(command.c_str(), static_cast<UINT>(showCommand)));
}

LONG CHyperLink::fallbackCommand(const std::string& address, std::string& command) {
    std::string htmlClass;
    if (LONG error = readClassesRootValue(HKEY_CLASSES_ROOT, ".htm", htmlClass))
        return error;
    std::string registered;
    if (LONG error = readClassesRootValue(HKEY_CLASSES_ROOT, htmlClass + "\\shell\\open\\command",
                                          registered))
        return error;
    // The address takes the place of the placeholder; options after it are dropped.
    size_t cut = registered.find("\"%1\"");
    if (cut == std::string::npos)
        cut = registered.find("%1");
    if (cut != std::string::npos)
        registered.resize(cut);
    command = registered + " " + address;
    return ERROR_SUCCESS;
}

LONG CHyperLink::readClassesRootValue(HKEY key, const std::string& subKey, std::string& out) {
    HKEY opened = nullptr;
    if (LONG error = ::RegOpenKeyExA(key, subKey.c_str(), 0, KEY_QUERY_VALUE, &opened))
        return error;
    // Sized from the value itself, so a long command is never cut short.
    DWORD type = 0;
    DWORD bytes = 0;
    LONG error = ::RegQueryValueExA(opened, nullptr, nullptr, &type, nullptr, &bytes);
    std::string value(bytes + 1, '\0');
    if (error == ERROR_SUCCESS)
        error = ::RegQueryValueExA(opened, nullptr, nullptr, &type,
                                   reinterpret_cast<BYTE*>(value.data()), &bytes);
    ::RegCloseKey(opened);
    if (error != ERROR_SUCCESS)
        return error;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return ERROR_INVALID_DATA;
    value.resize(std::strlen(value.c_str()));
    out = std::move(value);
    return ERROR_SUCCESS;
}

namespace {

void (*messageShower)(const char* text) = nullptr;

} // namespace

void CHyperLink::setMessageShower(void (*show)(const char* text)) {
    messageShower = show;
}

void CHyperLink::reportOpenError(int code) {
    std::string text = "Unable to open hyperlink:\n\n" + openErrorReason(code);
    if (messageShower != nullptr)
        messageShower(text.c_str());
    else
        ::MessageBoxA(nullptr, text.c_str(), "", MB_OK | MB_ICONWARNING);
}
