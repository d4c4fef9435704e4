// The client's own Ctrl+C handling: on Linux and other POSIX systems Oracle's client installs a
// SIGINT handler when it connects, and removes it when it disconnects; a Ctrl+C then cancels
// the call in progress with ORA-01013 instead of reaching the program.
#pragma once

namespace standin {

// The interrupts so far: SIGINTs the handler took, and StandinInterruptCalls() calls. Read by
// the calls a `block` rule holds, which end with ORA-01013 when it changes. Lock-free, so that
// the handler may count.
unsigned long interruptCount();
// Counts one interrupt.
void interrupt();

// A connection takes the handler (installing it when no other had), or lets go of it
// (restoring the handler found at installation when the last one lets go). Under the library's
// lock; nothing on Windows, whose client installs no handler.
void holdInterruptHandler();
void releaseInterruptHandler();

} // namespace standin
