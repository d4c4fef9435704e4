// Windows half of ConsoleEvents: the console's Ctrl+C and Ctrl+Break through a pipe.
#include "cli/ConsoleEvents.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <utility>

namespace {

// The event pipe: the console's control handler (a thread of its own) and the worker write
// one byte per event, the main thread reads them. Made before the handler is installed and
// never closed.
int eventPipe[2] = {-1, -1};
// Set by the control handler, read by the main thread; an atomic keeps them apart.
std::atomic<bool> stopSignalled{false};

constexpr char kStopByte = 'S';
constexpr char kEndByte = 'E';

BOOL WINAPI onConsoleControl(DWORD controlType) {
    // Closing the console, logging off and shutting down keep their default: the process ends.
    if (controlType != CTRL_C_EVENT && controlType != CTRL_BREAK_EVENT)
        return FALSE;
    stopSignalled.store(true);
    _write(eventPipe[1], &kStopByte, 1);
    return TRUE;
}

} // namespace

ConsoleEvents::ConsoleEvents() {
    if (_pipe(eventPipe, 64, _O_BINARY | _O_NOINHERIT) != 0)
        eventPipe[0] = eventPipe[1] = -1;
    // A process started in a new process group has Ctrl+C turned off; a load should stop.
    SetConsoleCtrlHandler(nullptr, FALSE);
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

ConsoleEvents::~ConsoleEvents() {
    // A handler already running on its thread is not waited for and may still write: the
    // pipe stays open until the process ends.
    SetConsoleCtrlHandler(onConsoleControl, FALSE);
}

ConsoleEvents::Event ConsoleEvents::next() {
    char event = kEndByte;
    // Without a pipe there is nothing to wait for but the worker itself, which the caller
    // joins next.
    const int count = _read(eventPipe[0], &event, 1);
    return count == 1 && event == kStopByte ? Event::StopRequested : Event::JobEnded;
}

void ConsoleEvents::postJobEnded() {
    _write(eventPipe[1], &kEndByte, 1);
}

bool ConsoleEvents::stopRequested() const {
    return stopSignalled.load();
}

int ConsoleEvents::descriptor() const {
    return eventPipe[0];
}

std::thread ConsoleEvents::startWorker(std::function<void()> work) {
    // Control handlers run on threads of their own; the worker needs no protection.
    return std::thread(std::move(work));
}
