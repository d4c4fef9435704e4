// Finding, reading and closing the program's message boxes from another thread.
#include "MessageBoxProbe.h"

#include "GuiTestSupport.h"

namespace apptest {

namespace {

BOOL CALLBACK collectBox(HWND hwnd, LPARAM lParam) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(hwnd, &processId);
    if (processId == ::GetCurrentProcessId() && ::IsWindowVisible(hwnd) &&
        guitest::windowText(hwnd) == "Crate Courier")
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
    return TRUE;
}

} // namespace

std::vector<HWND> openBoxes() {
    std::vector<HWND> boxes;
    ::EnumWindows(collectBox, reinterpret_cast<LPARAM>(&boxes));
    return boxes;
}

std::vector<HWND> waitForBoxes(size_t count, DWORD timeoutMilliseconds) {
    DWORD start = ::GetTickCount();
    std::vector<HWND> boxes = openBoxes();
    while (boxes.size() < count && ::GetTickCount() - start < timeoutMilliseconds) {
        ::Sleep(10);
        boxes = openBoxes();
    }
    return boxes;
}

BoxContents readBox(HWND box) {
    BoxContents contents;
    contents.box = box;
    contents.owner = ::GetWindow(box, GW_OWNER);
    ::GetWindowRect(box, &contents.rect);
    HWND edit = ::GetDlgItem(box, 1032);
    contents.text = guitest::windowText(edit);
    contents.lineCount = static_cast<int>(::SendMessageA(edit, EM_GETLINECOUNT, 0, 0));
    for (int line = 0; line < contents.lineCount; ++line) {
        LRESULT start = ::SendMessageA(edit, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
        contents.lineLengths.push_back(
            static_cast<int>(::SendMessageA(edit, EM_LINELENGTH, static_cast<WPARAM>(start), 0)));
    }
    return contents;
}

void postOkClick(HWND box) {
    HWND ok = ::GetDlgItem(box, IDOK);
    ::PostMessageA(ok, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::PostMessageA(ok, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

void clickOk(HWND box) {
    const bool sameThread = ::GetWindowThreadProcessId(box, nullptr) == ::GetCurrentThreadId();
    // A click can be lost when another thread's window becomes active between button down and
    // up (the button loses its capture), so from another thread it is repeated until the box
    // has gone.
    for (int attempt = 0; attempt < 20 && ::IsWindow(box); ++attempt) {
        postOkClick(box);
        if (sameThread)
            return;
        for (int wait = 0; wait < 25 && ::IsWindow(box) && ::IsWindowVisible(box); ++wait)
            ::Sleep(10);
        if (!::IsWindowVisible(box))
            return;
    }
}

void pressEscape(HWND box) {
    HWND ok = ::GetDlgItem(box, IDOK);
    ::PostMessageA(ok, WM_KEYDOWN, VK_ESCAPE, 1);
    ::PostMessageA(ok, WM_KEYUP, VK_ESCAPE, 0xC0000001);
}

} // namespace apptest
