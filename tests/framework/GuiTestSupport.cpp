// Helpers for the window tests under Wine.
#include "GuiTestSupport.h"

#include "framework/CWnd.h"
#include "framework/GdiObjects.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace guitest {

namespace {

struct WindowSearch {
    std::string caption;
    HWND found = nullptr;
};

BOOL CALLBACK matchCaption(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(hwnd, &processId);
    if (processId != ::GetCurrentProcessId() || !::IsWindowVisible(hwnd))
        return TRUE;
    if (windowText(hwnd) != search->caption)
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

HWND findWindow(const std::string& caption) {
    WindowSearch search{caption};
    ::EnumWindows(matchCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void pumpWaiting() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!CWnd::WalkPreTranslateTree(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

// Copies the client area as the display shows it and draws the frame and caption around it
// with the system's own routines: without a window manager Xvfb shows no title bar, and
// Wine's PrintWindow leaves the child controls out.
bool drawWindowPicture(HWND hwnd, HDC dc, const RECT& window) {
    RECT client{};
    ::GetClientRect(hwnd, &client);
    POINT clientOrigin{0, 0};
    ::ClientToScreen(hwnd, &clientOrigin);
    RECT whole{0, 0, window.right - window.left, window.bottom - window.top};
    ::FillRect(dc, &whole, ::GetSysColorBrush(COLOR_BTNFACE));
    ::DrawEdge(dc, &whole, EDGE_RAISED, BF_RECT | BF_ADJUST);
    RECT caption = whole;
    caption.bottom = clientOrigin.y - window.top - 1;
    if (caption.bottom > caption.top) {
        ::DrawCaption(hwnd, dc, &caption, DC_ACTIVE | DC_TEXT | DC_GRADIENT);
        int size = caption.bottom - caption.top - 4;
        RECT close{caption.right - size - 2, caption.top + 2, caption.right - 2,
                   caption.top + 2 + size};
        // The close box's cross is drawn by hand: the prefix has no Marlett font.
        ::DrawFrameControl(dc, &close, DFC_BUTTON, DFCS_BUTTONPUSH);
        HPEN pen = ::CreatePen(PS_SOLID, 2, RGB(0, 0, 0));
        HGDIOBJ previousPen = ::SelectObject(dc, pen);
        int inset = size / 4 + 1;
        ::MoveToEx(dc, close.left + inset, close.top + inset, nullptr);
        ::LineTo(dc, close.right - inset, close.bottom - inset);
        ::MoveToEx(dc, close.right - inset, close.top + inset, nullptr);
        ::LineTo(dc, close.left + inset, close.bottom - inset);
        ::SelectObject(dc, previousPen);
        ::DeleteObject(pen);
    }
    HDC clientDc = ::GetDC(hwnd);
    bool copied = ::BitBlt(dc, clientOrigin.x - window.left, clientOrigin.y - window.top,
                           client.right, client.bottom, clientDc, 0, 0, SRCCOPY) != FALSE;
    ::ReleaseDC(hwnd, clientDc);
    return copied;
}

} // namespace

void pumpFor(DWORD milliseconds) {
    DWORD start = ::GetTickCount();
    do {
        pumpWaiting();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (::GetTickCount() - start < milliseconds);
    pumpWaiting();
}

bool pumpUntil(const std::function<bool()>& condition, DWORD timeoutMilliseconds) {
    DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start >= timeoutMilliseconds)
            return condition();
        pumpWaiting();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

HWND waitForWindow(const std::string& caption, DWORD timeoutMilliseconds) {
    DWORD start = ::GetTickCount();
    for (;;) {
        if (HWND hwnd = findWindow(caption))
            return hwnd;
        if (::GetTickCount() - start >= timeoutMilliseconds)
            return nullptr;
        ::Sleep(10);
    }
}

bool waitForWindowGone(const std::string& caption, DWORD timeoutMilliseconds) {
    DWORD start = ::GetTickCount();
    while (findWindow(caption) != nullptr) {
        if (::GetTickCount() - start >= timeoutMilliseconds)
            return false;
        ::Sleep(10);
    }
    return true;
}

std::string windowText(HWND hwnd) {
    int length = ::GetWindowTextLengthA(hwnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int copied = ::GetWindowTextA(hwnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

Rendering windowPicture(HWND hwnd) {
    RECT rect{};
    if (!::GetWindowRect(hwnd, &rect))
        return {};
    // The window's thread paints what is still pending before the picture is taken.
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    if (::GetWindowThreadProcessId(hwnd, nullptr) == ::GetCurrentThreadId())
        pumpFor(100);
    else
        ::Sleep(300);
    Rendering picture = renderWith(rect.right - rect.left, rect.bottom - rect.top,
                                   [&](HDC dc) { drawWindowPicture(hwnd, dc, rect); });
    return picture;
}

Rendering clientAsShown(HWND hwnd) {
    RECT client{};
    if (!::GetClientRect(hwnd, &client))
        return {};
    return renderWith(client.right, client.bottom, [&](HDC dc) {
        HDC clientDc = ::GetDC(hwnd);
        ::BitBlt(dc, 0, 0, client.right, client.bottom, clientDc, 0, 0, SRCCOPY);
        ::ReleaseDC(hwnd, clientDc);
    });
}

bool savePicture(const Rendering& picture, const std::string& path) {
    if (picture.width <= 0 || picture.height <= 0)
        return false;
    const DWORD stride = (static_cast<DWORD>(picture.width) * 3 + 3) & ~3u;
    const DWORD imageBytes = stride * static_cast<DWORD>(picture.height);
    // Bottom-up rows of blue, green and red, as a BMP file stores them.
    std::vector<unsigned char> bytes(imageBytes, 0);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const COLORREF colour = picture.at(x, y);
            unsigned char* pixel = &bytes[(picture.height - 1 - y) * stride + x * 3];
            pixel[0] = GetBValue(colour);
            pixel[1] = GetGValue(colour);
            pixel[2] = GetRValue(colour);
        }
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = picture.width;
    info.biHeight = picture.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = imageBytes;
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42; // "BM"
    header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    header.bfSize = header.bfOffBits + imageBytes;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool saved = std::fwrite(&header, sizeof(header), 1, file) == 1 &&
                 std::fwrite(&info, sizeof(info), 1, file) == 1 &&
                 std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && saved;
}

bool saveWindowImage(HWND hwnd, const std::string& path) {
    return savePicture(windowPicture(hwnd), path);
}

RECT placeInPicture(HWND topLevel, HWND window) {
    RECT outer{};
    RECT inner{};
    ::GetWindowRect(topLevel, &outer);
    ::GetWindowRect(window, &inner);
    ::OffsetRect(&inner, -outer.left, -outer.top);
    return inner;
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
    holdKey(virtualKey, 1);
}

void holdKey(WORD virtualKey, int times) {
    std::vector<INPUT> inputs(static_cast<size_t>(times) + 1);
    for (INPUT& input : inputs) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = virtualKey;
    }
    inputs.back().ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
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
    return count(colour, area) > 0;
}

int Rendering::count(COLORREF colour, const RECT& area) const {
    int found = 0;
    for (int y = std::max<LONG>(area.top, 0); y < std::min<LONG>(area.bottom, height); ++y)
        for (int x = std::max<LONG>(area.left, 0); x < std::min<LONG>(area.right, width); ++x)
            if (at(x, y) == colour)
                ++found;
    return found;
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

ClassesRootValue::ClassesRootValue(const std::string& subKey, const std::string& value)
    : subKey_(subKey) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, subKey.c_str(), 0, KEY_QUERY_VALUE, &key) == 0) {
        keyExisted_ = true;
        char buffer[1024] = {};
        DWORD bytes = sizeof(buffer) - 1;
        hadValue_ = ::RegQueryValueExA(key, nullptr, nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(buffer), &bytes) == 0;
        previous_ = buffer;
        ::RegCloseKey(key);
    }
    if (::RegCreateKeyExA(HKEY_CLASSES_ROOT, subKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          &key, nullptr) != 0)
        return;
    written_ =
        ::RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>(value.size() + 1)) == 0;
    ::RegCloseKey(key);
}

ClassesRootValue::~ClassesRootValue() {
    if (!keyExisted_) {
        ::RegDeleteKeyA(HKEY_CLASSES_ROOT, subKey_.c_str());
        return;
    }
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, subKey_.c_str(), 0, KEY_SET_VALUE, &key) != 0)
        return;
    if (hadValue_)
        ::RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(previous_.c_str()),
                         static_cast<DWORD>(previous_.size() + 1));
    else
        ::RegDeleteValueA(key, nullptr);
    ::RegCloseKey(key);
}

} // namespace guitest
