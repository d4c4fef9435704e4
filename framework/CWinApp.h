// The application object: one per process, started from WinMain, which calls InitInstance.
#pragma once

#include <windows.h>

class CWnd;

class CWinApp {
  public:
    // Registers this object as the process's application; construct exactly one.
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The process's application object, or nullptr before one is constructed.
    static CWinApp* current();

    // Prepares the common controls and runs InitInstance; when that returns true, runs the
    // message loop until WM_QUIT. Returns the process exit code.
    int runApplication();

    // Overridables. Returning false from InitInstance ends the application at once.
    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance() { return exitCode_; }

    // The window the application regards as its own: owner of dialogs shown without a
    // parent on the thread that created it. Interface thread only: the object it points to
    // may be gone by the time another thread would read it.
    CWnd* mainWindow = nullptr;

    // mainWindow's handle when called on the interface thread (the one that constructed the
    // application object) and mainWindow is set, else null. Other threads never read
    // mainWindow.
    static HWND mainWindowOfCallingThread();

  private:
    int exitCode_ = 0;
    // Set at construction, before any other thread exists, and read-only afterwards.
    DWORD interfaceThreadId_ = 0;
};

// Registers the window classes of the common controls once per process.
void ensureCommonControls();
