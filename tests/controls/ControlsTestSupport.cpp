// The test dialog of the image buttons, input and renderings.
#include "ControlsTestSupport.h"

#include "ControlsTestResource.h"
#include "GuiTestSupport.h"

#include "framework/GdiObjects.h"

namespace controlstest {

ButtonTestDialog::ButtonTestDialog() : CDialog(IDD_CONTROLS_TEST) {}

bool ButtonTestDialog::open() {
    if (!Create())
        return false;
    ::ShowWindow(GetSafeHwnd(), SW_SHOW);
    ::SetForegroundWindow(GetSafeHwnd());
    guitest::pumpFor(150);
    return true;
}

int ButtonTestDialog::notifications(int controlId, int code) const {
    int count = 0;
    for (const auto& [id, notification] : commands)
        if (id == controlId && notification == code)
            ++count;
    return count;
}

void ButtonTestDialog::DoDataExchange(CDataExchange* exchange) {
    DDX_Control(exchange, IDOK, ok);
    DDX_Control(exchange, IDC_TEST_START, start);
    DDX_Control(exchange, IDCANCEL, cancel);
    DDX_Control(exchange, IDC_TEST_CHECK, check);
    DDX_Control(exchange, IDC_TEST_MENU_BUTTON, menuButton);
}

LRESULT ButtonTestDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND)
        commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
    return CDialog::WindowProc(message, wParam, lParam);
}

Rendering render(CButtonFX& button, UINT itemState) {
    RECT client{};
    ::GetClientRect(button.GetSafeHwnd(), &client);
    LOGFONTA description{};
    fontDescription(button.font(), &description);
    description.lfQuality = NONANTIALIASED_QUALITY;
    CFont font;
    font.createFontIndirect(description);
    return renderWith(client.right, client.bottom, [&](HDC dc) {
        ScopedSelectObject fontSelected(dc, font.object());
        DRAWITEMSTRUCT drawItem{};
        drawItem.CtlType = ODT_BUTTON;
        drawItem.CtlID = static_cast<UINT>(::GetDlgCtrlID(button.GetSafeHwnd()));
        drawItem.itemAction = ODA_DRAWENTIRE;
        drawItem.itemState = itemState;
        drawItem.hwndItem = button.GetSafeHwnd();
        drawItem.hDC = dc;
        drawItem.rcItem = client;
        button.DrawItem(&drawItem);
    });
}

} // namespace controlstest
