// The program's message box.
#include "app/AppMessageBoxDlg.h"

#include "app/resource.h"

namespace {

// A multi-line edit breaks lines only at "\r\n"; an existing "\r\n" becomes "\r\r\n".
std::string withDialogLineBreaks(const char* text) {
    std::string converted;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '\n')
            converted += '\r';
        converted += *c;
    }
    return converted;
}

// How many whole lines of its font the field shows.
LRESULT visibleLines(HWND edit) {
    RECT text{};
    ::SendMessageA(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
    HDC dc = ::GetDC(edit);
    HGDIOBJ previous =
        ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(edit, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc, &metrics);
    ::SelectObject(dc, previous);
    ::ReleaseDC(edit, dc);
    return metrics.tmHeight > 0 ? (text.bottom - text.top) / metrics.tmHeight : 0;
}

} // namespace

AppMessageBoxDlg::AppMessageBoxDlg(std::string text)
    : CDialog(IDD_APP_MESSAGE_BOX), messageText(std::move(text)) {}

void AppMessageBoxDlg::DoDataExchange(CDataExchange* exchange) {
    CDialog::DoDataExchange(exchange);
    DDX_Control(exchange, IDOK, okButton);
    DDX_Text(exchange, IDC_MESSAGE_TEXT, messageText);
}

BOOL AppMessageBoxDlg::OnInitDialog() {
    BOOL result = CDialog::OnInitDialog();
    addScrollBarWhenNeeded();
    return result;
}

void AppMessageBoxDlg::addScrollBarWhenNeeded() {
    HWND edit = dlgItem(IDC_MESSAGE_TEXT);
    if (::SendMessageA(edit, EM_GETLINECOUNT, 0, 0) <= visibleLines(edit))
        return;
    // An edit control takes its scroll bar from its style when it is made and never looks
    // again, so the field is made anew with one, in the same place of the tab order.
    RECT rect{};
    ::GetWindowRect(edit, &rect);
    ::MapWindowPoints(nullptr, GetSafeHwnd(), reinterpret_cast<POINT*>(&rect), 2);
    HWND scrolling = ::CreateWindowExA(
        static_cast<DWORD>(::GetWindowLongA(edit, GWL_EXSTYLE)), "EDIT", "",
        static_cast<DWORD>(::GetWindowLongA(edit, GWL_STYLE)) | WS_VSCROLL, rect.left, rect.top,
        rect.right - rect.left, rect.bottom - rect.top, GetSafeHwnd(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_MESSAGE_TEXT)),
        ::GetModuleHandleA(nullptr), nullptr);
    if (scrolling == nullptr)
        return;
    ::SetWindowPos(scrolling, edit, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::SendMessageA(scrolling, WM_SETFONT, ::SendMessageA(edit, WM_GETFONT, 0, 0), FALSE);
    ::DestroyWindow(edit);
    ::SetWindowTextA(scrolling, messageText.c_str());
}

INT_PTR AppMessageBoxDlg::run(const char* text) {
    AppMessageBoxDlg box(withDialogLineBreaks(text != nullptr ? text : ""));
    return box.DoModal();
}

void showAppMessage(const char* text) {
    AppMessageBoxDlg::run(text);
}
