// Tooltip window creation and tool registration.
#include "framework/CToolTipCtrl.h"

#include "framework/CWinApp.h"

#include <commctrl.h>

namespace {

// The size every common-controls version accepts: the larger one of version 6 is refused
// by older versions.
TTTOOLINFOA toolInfoFor(HWND window, UINT_PTR toolId) {
    TTTOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.hwnd = window;
    info.uId = toolId;
    return info;
}

} // namespace

bool CToolTipCtrl::Create(CWnd* parent, DWORD style) {
    ensureCommonControls();
    HWND owner = parent != nullptr ? parent->GetSafeHwnd() : nullptr;
    // The tooltip sizes and places itself when it shows.
    RECT anywhere{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT};
    return CreateEx(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | style,
                    anywhere, owner, nullptr);
}

bool CToolTipCtrl::addTool(CWnd* window, const std::string& text, const RECT& rect,
                           UINT_PTR toolId) {
    TTTOOLINFOA info = toolInfoFor(window->GetSafeHwnd(), toolId);
    info.uFlags = 0; // no TTF_SUBCLASS: the control relays its own mouse messages
    info.rect = rect;
    info.hinst = nullptr;
    info.lpszText = const_cast<char*>(text.c_str()); // the tooltip copies the text
    return sendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)) != FALSE;
}

void CToolTipCtrl::updateTipText(CWnd* window, const std::string& text, UINT_PTR toolId) {
    TTTOOLINFOA info = toolInfoFor(window->GetSafeHwnd(), toolId);
    info.lpszText = const_cast<char*>(text.c_str()); // the tooltip copies the text
    sendMessage(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
}

std::string CToolTipCtrl::toolText(CWnd* window, UINT_PTR toolId) const {
    // The buffer size goes in wParam, so a longer text is cut rather than overrunning it.
    char buffer[1024] = {};
    TTTOOLINFOA info = toolInfoFor(window->GetSafeHwnd(), toolId);
    info.lpszText = buffer;
    sendMessage(TTM_GETTEXTA, sizeof(buffer), reinterpret_cast<LPARAM>(&info));
    buffer[sizeof(buffer) - 1] = '\0';
    return buffer;
}
