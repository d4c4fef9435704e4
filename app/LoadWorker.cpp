// The worker thread of a load and its hooks.
#include "app/LoadWorker.h"

#include "app/AppMessageBoxDlg.h"
#include "app/DialogLoad.h"
#include "load/LoadJob.h"
#include "oracle/DBConnect.h"
#include "platform/CodePage.h"

namespace {

// Set by the interface thread before the first worker starts, then only used by workers:
// starting the thread orders the two.
LoadReporter dialogReporter;

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

LoadJob::Outcome LoadJob::run() {
    return run(copyLoadParams(), dialogReporter, dialogLoadStop()).outcome;
}

void installDialogLoadHooks() {
    // Blocking sends: the worker writes statusText or progressPercent just before and waits
    // until the dialog has read it, so neither needs a lock.
    dialogReporter.statusLine = [](const std::string& line) {
        LoadStatus::statusText = line;
        ::SendMessageA(targetWindow(), LoadStatus::addStrMessageId, 0, 0);
    };
    dialogReporter.progress = [](std::int32_t percent) {
        LoadStatus::progressPercent = percent;
        ::SendMessageA(targetWindow(), LoadStatus::showProgressMessageId, 0, 0);
    };
    // The job's texts are UTF-8; the dialogs show the ANSI code page.
    dialogReporter.message = [](const std::string& text) {
        LoadStatus::statusText = text;
        showAppMessage(platform::localFromUtf8(text).c_str());
    };
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
