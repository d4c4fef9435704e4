// The worker thread of a load and its hooks.
#include "app/LoadWorker.h"

#include "app/AppMessageBoxDlg.h"
#include "load/LoadJob.h"
#include "load/LoadState.h"
#include "oracle/DBConnect.h"
#include "platform/CodePage.h"

namespace {

HWND targetWindow() {
    return static_cast<HWND>(LoadStatus::targetWindow);
}

DWORD WINAPI runLoadThread(void*) {
    LoadJob::run();
    // The thread's id tells the dialog that this is its worker's end, not a stray message.
    ::PostMessageA(targetWindow(), kWorkerReturnedMessage, ::GetCurrentThreadId(), 0);
    return 0;
}

DWORD WINAPI runBreak(void*) {
    DBConnect::breakCallsInProgress();
    return 0;
}

} // namespace

void installDialogLoadHooks() {
    LoadHooks hooks;
    // Blocking sends: the job writes statusText or progressPercent just before and waits
    // until the dialog has read it, so neither needs a lock.
    hooks.addStatusLine = [] { ::SendMessageA(targetWindow(), LoadStatus::addStrMessageId, 0, 0); };
    hooks.showProgress = [] {
        ::SendMessageA(targetWindow(), LoadStatus::showProgressMessageId, 0, 0);
    };
    // The job's texts are UTF-8; the dialogs show the ANSI code page.
    hooks.showMessage = [](const char* text) {
        showAppMessage(platform::localFromUtf8(text).c_str());
    };
    setLoadHooks(std::move(hooks));
}

HANDLE startLoadWorker() {
    return ::CreateThread(nullptr, 0, runLoadThread, nullptr, 0, nullptr);
}

void breakWorkerCalls() {
    // Nothing waits for this thread: it ends when the client library returns from the break,
    // or with the process.
    HANDLE thread = ::CreateThread(nullptr, 0, runBreak, nullptr, 0, nullptr);
    if (thread == nullptr) {
        // Without a thread of its own the break is still better than none.
        DBConnect::breakCallsInProgress();
        return;
    }
    ::CloseHandle(thread);
}
