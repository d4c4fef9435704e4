// What the main thread of marlin-load waits for: a stop request from the keyboard or a
// signal, or the end of the load job. A POSIX half and a Windows half.
#pragma once

#include <functional>
#include <thread>

// Ctrl+C, Ctrl+Break, SIGINT and SIGTERM as stop requests, and the end of the job, queued on
// one pipe in the order they happen. One object per process: the handlers it installs are
// process-wide.
class ConsoleEvents {
  public:
    enum class Event { StopRequested, JobEnded };

    // Installs the stop handlers (on POSIX also ignores SIGPIPE, so that a closed output
    // never kills a load half-way).
    ConsoleEvents();
    // Restores the default handling.
    ~ConsoleEvents();
    ConsoleEvents(const ConsoleEvents&) = delete;
    ConsoleEvents& operator=(const ConsoleEvents&) = delete;

    // Waits for the next event and takes it off the queue.
    Event next();
    // Queues JobEnded; called on the worker thread.
    void postJobEnded();
    // True once any stop request has arrived, whether or not next() has taken it yet.
    bool stopRequested() const;
    // Readable while an event waits (POSIX: for waiting on it together with the terminal).
    int descriptor() const;
    // Starts the work on a thread that never receives the stop signals, so that only the
    // main thread is interrupted by them.
    std::thread startWorker(std::function<void()> work);
};
