// The application object and the process-wide start-up of the framework.
#include "framework/CWinApp.h"

#include "framework/CWnd.h"

#include <commctrl.h>

#include <mutex>

namespace {
// Set and cleared by the application object's constructor and destructor, which run before
// any other thread starts and after they have ended.
CWinApp* theApplication = nullptr;
} // namespace

CWinApp::CWinApp() : interfaceThreadId_(::GetCurrentThreadId()) {
    theApplication = this;
}

CWinApp::~CWinApp() {
    if (theApplication == this)
        theApplication = nullptr;
}

CWinApp* CWinApp::current() {
    return theApplication;
}

HWND CWinApp::mainWindowOfCallingThread() {
    if (theApplication == nullptr || theApplication->interfaceThreadId_ != ::GetCurrentThreadId() ||
        theApplication->mainWindow == nullptr)
        return nullptr;
    HWND hwnd = theApplication->mainWindow->GetSafeHwnd();
    if (hwnd == nullptr || ::GetWindowThreadProcessId(hwnd, nullptr) != ::GetCurrentThreadId())
        return nullptr;
    return hwnd;
}

int CWinApp::runApplication() {
    ensureCommonControls();
    if (!InitInstance())
        return ExitInstance();
    MSG msg{};
    for (;;) {
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1)
            break;
        if (!CWnd::WalkPreTranslateTree(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    exitCode_ = static_cast<int>(msg.wParam);
    return ExitInstance();
}

void ensureCommonControls() {
    static std::once_flag once;
    std::call_once(once, [] {
        INITCOMMONCONTROLSEX controls{};
        controls.dwSize = sizeof(controls);
        controls.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
        ::InitCommonControlsEx(&controls);
    });
}
