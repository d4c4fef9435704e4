// The client's SIGINT handler: installed while a connection is attached, counting interrupts.
#include "Interrupts.h"

#include <atomic>

#if !defined(_WIN32)
#include <signal.h>
#endif

namespace standin {

namespace {

std::atomic<unsigned long> interrupts{0};
static_assert(std::atomic<unsigned long>::is_always_lock_free, "counted in a signal handler");

// Connections holding the handler; under the library's lock.
int holders = 0;

#if !defined(_WIN32)
struct sigaction programHandler {};

// With no call held the Ctrl+C is taken and nothing happens, as a connected process of a
// real client cannot be ended by it.
extern "C" void onInterruptSignal(int) {
    interrupts.fetch_add(1);
}
#endif

} // namespace

unsigned long interruptCount() {
    return interrupts.load();
}

void interrupt() {
    interrupts.fetch_add(1);
}

void holdInterruptHandler() {
    if (holders++ > 0)
        return;
#if !defined(_WIN32)
    struct sigaction action {};
    action.sa_handler = onInterruptSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &programHandler);
#endif
}

void releaseInterruptHandler() {
    if (holders == 0 || --holders > 0)
        return;
#if !defined(_WIN32)
    sigaction(SIGINT, &programHandler, nullptr);
#endif
}

} // namespace standin
