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

namespace {

void sendMouse(DWORD flags, POINT screen) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    int width = ::GetSystemMetrics(SM_CXSCREEN);
    int height = ::GetSystemMetrics(SM_CYSCREEN);
    input.mi.dx = static_cast<LONG>(MulDiv(screen.x, 65535, width - 1));
    input.mi.dy = static_cast<LONG>(MulDiv(screen.y, 65535, height - 1));
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    ::SendInput(1, &input, sizeof(input));
}

POINT cursor() {
    POINT point{};
    ::GetCursorPos(&point);
    return point;
}

} // namespace

void moveMouse(POINT screen) {
    sendMouse(0, screen);
    guitest::pumpFor(50);
}

void pressLeft() {
    sendMouse(MOUSEEVENTF_LEFTDOWN, cursor());
    guitest::pumpFor(50);
}

void releaseLeft() {
    sendMouse(MOUSEEVENTF_LEFTUP, cursor());
    guitest::pumpFor(50);
}

void clickAt(POINT screen) {
    sendMouse(MOUSEEVENTF_LEFTDOWN, screen);
    sendMouse(MOUSEEVENTF_LEFTUP, screen);
}

void pressKey(WORD virtualKey) {
    INPUT inputs[2] = {};
    inputs[0].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = virtualKey;
    inputs[1] = inputs[0];
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, inputs, sizeof(INPUT));
}

POINT centreOf(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

POINT dialogPoint(HWND dialog, int x, int y) {
    RECT units{x, y, 0, 0};
    ::MapDialogRect(dialog, &units);
    POINT point{units.left, units.top};
    ::ClientToScreen(dialog, &point);
    return point;
}

RECT Rendering::boundsOf(COLORREF colour, int inset) const {
    RECT bounds{width, height, -1, -1};
    for (int y = inset; y < height - inset; ++y)
        for (int x = inset; x < width - inset; ++x)
            if (at(x, y) == colour) {
                bounds.left = std::min<LONG>(bounds.left, x);
                bounds.top = std::min<LONG>(bounds.top, y);
                bounds.right = std::max<LONG>(bounds.right, x + 1);
                bounds.bottom = std::max<LONG>(bounds.bottom, y + 1);
            }
    return bounds.right < 0 ? RECT{} : bounds;
}

bool Rendering::holds(COLORREF colour, const RECT& area) const {
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (at(x, y) == colour)
                return true;
    return false;
}

Rendering renderWith(int width, int height, const std::function<void(HDC)>& draw) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    CBitmap bitmap;
    bitmap.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    HDC memory = ::CreateCompatibleDC(nullptr);
    {
        ScopedSelectObject bitmapSelected(memory, bitmap.object());
        draw(memory);
        ::GdiFlush();
    }
    ::DeleteDC(memory);
    Rendering rendering;
    rendering.width = width;
    rendering.height = height;
    const auto* raw = static_cast<const DWORD*>(bits);
    for (int i = 0; i < width * height; ++i)
        rendering.pixels.push_back(RGB((raw[i] >> 16) & 0xFF, (raw[i] >> 8) & 0xFF, raw[i] & 0xFF));
    return rendering;
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
