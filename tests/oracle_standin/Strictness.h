// Where Oracle's behaviour is undefined the stand-in ends the process loudly: a test double
// that carried on would hide what a real client corrupts silently.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace standin {

// The exit code of a process ended for an undefined use of OCI.
constexpr int kUndefinedUseExitCode = 86;

// Writes "oracle stand-in: <message>" to the standard error and ends the process at once.
[[noreturn]] void endProcess(const std::string& message);

// The OCI calls in progress on every thread, waiting for the library's lock included, so
// that two threads inside OCI at once are caught whenever either works on an environment
// not created with OCI_THREADED. Used by every thread that calls the stand-in; its own
// mutex keeps them apart (the library's lock is taken after enter()).
class ThreadWatch {
  public:
    struct CallRecord {
        std::thread::id thread;
        const char* callName;
        int threaded = -1; // unknown until the call finds its environment
        std::vector<std::shared_ptr<CallRecord>> overlaps;
    };
    using Entry = std::shared_ptr<CallRecord>;

    // A call named `callName` starts on this thread: it overlaps every call in progress on
    // the others.
    Entry enter(const char* callName);
    // The call works on an environment that is threaded or not. Ends the process when it
    // overlaps a call of another thread and either of them is not threaded.
    void settle(const Entry& call, bool threaded);
    void leave(const Entry& call);

    // Calls in progress (or waiting for the library's lock) on all threads.
    int callsInside();

  private:
    std::mutex lock_;
    std::vector<Entry> inside_;
};

} // namespace standin
