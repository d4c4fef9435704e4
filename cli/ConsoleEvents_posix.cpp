// POSIX half of ConsoleEvents: SIGINT and SIGTERM through a self-pipe.
#include "cli/ConsoleEvents.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <utility>

namespace {

// The self-pipe: the signal handler (on the main thread, as the worker blocks the signals)
// and the worker write one byte per event, the main thread reads them. Made before the
// handlers are installed; write() is async-signal-safe and a one-byte write is atomic.
int eventPipe[2] = {-1, -1};
// Set by the signal handler, read by the main thread; lock-free, so safe in a handler.
std::atomic<bool> stopSignalled{false};
static_assert(std::atomic<bool>::is_always_lock_free);

constexpr char kStopByte = 'S';
constexpr char kEndByte = 'E';

extern "C" void onStopSignal(int) {
    const int savedErrno = errno;
    stopSignalled.store(true);
    (void)!::write(eventPipe[1], &kStopByte, 1);
    errno = savedErrno;
}

void setHandler(int signalNumber, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signalNumber, &action, nullptr);
}

sigset_t stopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

} // namespace

ConsoleEvents::ConsoleEvents() {
    if (::pipe2(eventPipe, O_CLOEXEC) != 0)
        eventPipe[0] = eventPipe[1] = -1;
    // A handler must never block: a flood of signals may fill the pipe, and one waiting byte
    // is as good as many.
    ::fcntl(eventPipe[1], F_SETFL, O_NONBLOCK);
    setHandler(SIGINT, onStopSignal);
    setHandler(SIGTERM, onStopSignal);
    setHandler(SIGPIPE, SIG_IGN);
}

ConsoleEvents::~ConsoleEvents() {
    setHandler(SIGINT, SIG_DFL);
    setHandler(SIGTERM, SIG_DFL);
    setHandler(SIGPIPE, SIG_DFL);
    ::close(eventPipe[0]);
    ::close(eventPipe[1]);
    eventPipe[0] = eventPipe[1] = -1;
}

ConsoleEvents::Event ConsoleEvents::next() {
    char event = kEndByte;
    ssize_t count;
    do
        count = ::read(eventPipe[0], &event, 1);
    while (count < 0 && errno == EINTR);
    // Without a pipe there is nothing to wait for but the worker itself, which the caller
    // joins next.
    return count == 1 && event == kStopByte ? Event::StopRequested : Event::JobEnded;
}

void ConsoleEvents::postJobEnded() {
    ssize_t count;
    do
        count = ::write(eventPipe[1], &kEndByte, 1);
    while (count < 0 && (errno == EINTR || errno == EAGAIN));
}

bool ConsoleEvents::stopRequested() const {
    return stopSignalled.load();
}

int ConsoleEvents::descriptor() const {
    return eventPipe[0];
}

std::thread ConsoleEvents::startWorker(std::function<void()> work) {
    // The new thread inherits the blocked mask; the main thread gets its own back at once.
    struct MaskedScope {
        sigset_t previous;
        MaskedScope() {
            const sigset_t blocked = stopSignals();
            pthread_sigmask(SIG_BLOCK, &blocked, &previous);
        }
        ~MaskedScope() { pthread_sigmask(SIG_SETMASK, &previous, nullptr); }
    } masked;
    return std::thread(std::move(work));
}
