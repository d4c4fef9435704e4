// Helpers for the window tests under Wine.
#include "GuiTestSupport.h"

#include "framework/CWnd.h"

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

bool saveWindowImage(HWND hwnd, const std::string& path) {
    RECT rect{};
    if (!::GetWindowRect(hwnd, &rect))
        return false;
    // The window's thread paints what is still pending before the picture is taken.
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    if (::GetWindowThreadProcessId(hwnd, nullptr) == ::GetCurrentThreadId())
        pumpFor(100);
    else
        ::Sleep(300);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // bottom-up, as a BMP file stores it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    bool printed = drawWindowPicture(hwnd, memory, rect);
    ::GdiFlush();
    bool saved = false;
    DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    DWORD imageBytes = stride * static_cast<DWORD>(height);
    if (printed && bits != nullptr) {
        BITMAPFILEHEADER header{};
        header.bfType = 0x4D42; // "BM"
        header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
        header.bfSize = header.bfOffBits + imageBytes;
        info.bmiHeader.biSizeImage = imageBytes;
        if (FILE* file = std::fopen(path.c_str(), "wb")) {
            saved = std::fwrite(&header, sizeof(header), 1, file) == 1 &&
                    std::fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, file) == 1 &&
                    std::fwrite(bits, 1, imageBytes, file) == imageBytes;
            saved = std::fclose(file) == 0 && saved;
        }
    }
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return saved;
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
