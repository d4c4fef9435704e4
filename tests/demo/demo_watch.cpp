// Watches the demo's load in the running marlin.exe: waits until the main dialog is idle
// again after its log began, saves a picture of the dialog and answers whether the load
// completed (the progress bar full, no message box open).
//
//     demo_watch PICTURE.bmp TIMEOUT_SECONDS
//
// Only messages without pointers are sent to the other process: Wine does not carry every
// list box text across processes.
#include "GuiTestSupport.h"

#include "MarlinVersion.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

namespace {

const char kCaption[] = "Marlin v" MARLIN_VERSION_TEXT "  /DBF --> Oracle/";
const char kMessageBoxCaption[] = "Crate Courier";
const int kLogListId = 1005;
const int kStartStopId = 1006;
const int kProgressId = 1011;

LRESULT sendToItem(HWND dialog, int id, UINT message) {
    return ::SendMessageA(::GetDlgItem(dialog, id), message, 0, 0);
}

// The load has ended when the dialog is idle again after its log began.
bool loadEnded(HWND dialog) {
    HWND startStop = ::GetDlgItem(dialog, kStartStopId);
    return sendToItem(dialog, kLogListId, LB_GETCOUNT) > 0 &&
           guitest::windowText(startStop) == "Start" && ::IsWindowEnabled(startStop);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: demo_watch PICTURE.bmp TIMEOUT_SECONDS\n");
        return 2;
    }
    const DWORD timeoutMs = static_cast<DWORD>(std::atoi(argv[2])) * 1000;
    const DWORD start = ::GetTickCount();
    HWND dialog = nullptr;
    bool ended = false;
    while (!ended && ::GetTickCount() - start < timeoutMs) {
        ::Sleep(200);
        if (dialog == nullptr)
            dialog = ::FindWindowA(nullptr, kCaption);
        ended = dialog != nullptr && loadEnded(dialog);
    }
    if (dialog == nullptr) {
        std::fprintf(stderr, "demo_watch: no main dialog appeared\n");
        return 1;
    }
    const long lines = static_cast<long>(sendToItem(dialog, kLogListId, LB_GETCOUNT));
    const int progress = static_cast<int>(sendToItem(dialog, kProgressId, PBM_GETPOS));
    const bool message = ::FindWindowA(nullptr, kMessageBoxCaption) != nullptr;
    std::printf("demo: the load %s: %ld log lines, progress bar at %d %%%s\n",
                ended ? "ended" : "did not end in time", lines, progress,
                message ? ", a message box open" : "");
    if (!guitest::saveWindowImage(dialog, argv[1]))
        std::fprintf(stderr, "demo_watch: could not save the picture\n");
    return ended && progress == 100 && !message ? 0 : 1;
}
