// What every exported entry point shares: the library's state, the call that holds its lock
// while it runs, and the checks of sessions and transactions.
#pragma once

#include "Execution.h"
#include "Interrupts.h"
#include "StandinOci.h"
#include "Strictness.h"

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

namespace standin {

// The state of the whole library. One lock serialises every call; the watch, with a lock of
// its own, sees the threads that wait for it.
struct Library {
    std::mutex lock;
    // Signalled by OCIBreak for the calls a `block` rule holds, and by those calls for the
    // breaks that wait for them to return; waited on with `lock`.
    std::condition_variable breaks;
    ThreadWatch watch;
    HandleRegistry handles;
    bool initialized = false;
    bool processThreaded = false; // OCIInitialize's mode, for environments of OCIEnvInit
    bool recording = false;
    std::string callLog;
    std::string callLogCopy;
    void (*executeObserver)(unsigned iterations) = nullptr;
};

Library& library();

// Held for the duration of one entry point: enters the thread watch, takes the lock and
// records the call. Its look-ups end the process on a freed handle.
class Call {
  public:
    explicit Call(const char* name, long first = -1, long second = -1)
        : name_(name), entry_(library().watch.enter(name)), lock_(library().lock) {
        Library& state = library();
        if (!state.recording)
            return;
        state.callLog += name;
        for (long value : {first, second}) {
            if (value >= 0)
                state.callLog += " " + std::to_string(value);
        }
        state.callLog += "\n";
    }
    ~Call() { library().watch.leave(entry_); }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

    HandleRegistry& handles() { return library().handles; }

    // The live handle of `type` at `pointer`, or null. The first handle found tells the
    // thread watch which environment the call works on.
    template <typename T = Handle> T* find(const void* pointer, ub4 type) {
        if (pointer != nullptr && handles().wasFreed(pointer))
            endProcess(std::string(name_) + " on a handle that was freed before");
        Handle* handle = handles().find(pointer, type);
        if (handle != nullptr)
            settle(handle->environment->threaded);
        return static_cast<T*>(handle);
    }

    // The call works on an environment of this mode (for calls that make one).
    void settle(bool threaded) { library().watch.settle(entry_, threaded); }

    // Holds the call, as a stalled server would, until OCIBreak reaches its server or the
    // client's SIGINT handler takes a Ctrl+C; it then fails as an interrupted call does.
    // Other threads' calls run meanwhile. While it waits, the file `blocked` in the database
    // folder names the call, so that a test in another process knows when to break it.
    CallResult blockUntilBreak(ServerHandle& server) {
        const unsigned long breaksBefore = server.breakCount;
        const unsigned long interruptsBefore = interruptCount();
        const std::filesystem::path marker = server.database / "blocked";
        std::ofstream(marker) << name_ << '\n';
        ++server.callsHeld;
        waitUntil([&] {
            return server.breakCount != breaksBefore || interruptCount() != interruptsBefore;
        });
        --server.callsHeld;
        ++server.callsReleased;
        library().breaks.notify_all();
        std::error_code ignored;
        std::filesystem::remove(marker, ignored);
        return CallResult::failure(kUserCancel);
    }

    // Lets go of the library's lock until `done` holds. A signal handler cannot wake a
    // waiting thread, so the condition is looked at again every few milliseconds as well.
    template <typename Condition> void waitUntil(Condition done) {
        while (!done())
            library().breaks.wait_for(lock_, std::chrono::milliseconds(5));
    }

    // Lets go of the library's lock for `delay`, as a call on its way to a server does: the
    // calls of other threads run meanwhile.
    void travel(std::chrono::milliseconds delay) {
        if (delay.count() <= 0)
            return;
        lock_.unlock();
        std::this_thread::sleep_for(delay);
        lock_.lock();
    }

    // The server a service context or server handle stands for, or null.
    ServerHandle* serverOf(void* handle) {
        if (auto* context = find<ServiceContextHandle>(handle, OCI_HTYPE_SVCCTX))
            return find<ServerHandle>(context->server, OCI_HTYPE_SERVER);
        return find<ServerHandle>(handle, OCI_HTYPE_SERVER);
    }

  private:
    const char* name_;
    ThreadWatch::Entry entry_;
    std::unique_lock<std::mutex> lock_;
};

// Leaves the call's record on the error handle and returns its status.
sword finish(Handle& errorHandle, const CallResult& result);
sword fail(Handle& errorHandle, int code);

// The session a service context works for, or the error that says why there is none.
CallResult activeSession(Call& call, const ServiceContextHandle& context, SessionHandle** session);

// A call that failed because the connection dropped or the session died (only ever an injected
// failure) leaves no session behind: the server rolls back what was not committed, as
// Oracle's does when the link goes, the server handle's status is no longer normal, and the
// next call fails with ORA-03114.
void dropSessionIfConnectionLost(Call& call, SessionHandle& session, const CallResult& result);

// A commit or a rollback: the same checks of the handles and the session, then `end`.
template <typename EndAction>
sword endTransaction(const char* callName, OCISvcCtx* svchp, OCIError* errhp, ub4 flags,
                     EndAction end) {
    Call call(callName, flags);
    auto* context = call.find<ServiceContextHandle>(svchp, OCI_HTYPE_SVCCTX);
    Handle* errors = call.find(errhp, OCI_HTYPE_ERROR);
    if (context == nullptr || errors == nullptr)
        return OCI_INVALID_HANDLE;
    SessionHandle* session = nullptr;
    CallResult result = activeSession(call, *context, &session);
    if (result.status == OCI_SUCCESS) {
        call.travel(session->server->rules.callDelay());
        // The session may have gone meanwhile, broken by another thread.
        result = activeSession(call, *context, &session);
    }
    if (result.status == OCI_SUCCESS) {
        result = end(*session);
        if (result.blocked)
            result = call.blockUntilBreak(*session->server);
        dropSessionIfConnectionLost(call, *session, result);
    }
    return finish(*errors, result);
}

// The bytes as a string; empty for none.
std::string textOf(const void* bytes, size_t length);

} // namespace standin
