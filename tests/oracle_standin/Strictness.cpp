// Ending the process on undefined uses of OCI, and the watch over threads inside OCI.
#include "Strictness.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace standin {

void endProcess(const std::string& message) {
    std::fprintf(stderr, "oracle stand-in: %s\n", message.c_str());
    std::fflush(stderr);
    std::_Exit(kUndefinedUseExitCode);
}

ThreadWatch::Entry ThreadWatch::enter(const char* callName) {
    auto call = std::make_shared<CallRecord>();
    call->thread = std::this_thread::get_id();
    call->callName = callName;
    std::lock_guard<std::mutex> guard(lock_);
    for (const Entry& other : inside_) {
        if (other->thread == call->thread)
            continue;
        call->overlaps.push_back(other);
        other->overlaps.push_back(call);
    }
    inside_.push_back(call);
    return call;
}

void ThreadWatch::settle(const Entry& call, bool threaded) {
    std::lock_guard<std::mutex> guard(lock_);
    if (call->threaded != -1)
        return;
    call->threaded = threaded ? 1 : 0;
    // Of two overlapping calls the one settled second sees the other's mode.
    for (const Entry& other : call->overlaps) {
        if (other->threaded == -1 || (threaded && other->threaded == 1))
            continue;
        endProcess(std::string(call->callName) + " and " + other->callName +
                   " ran at once on two threads, on an environment not created with "
                   "OCI_THREADED");
    }
}

void ThreadWatch::leave(const Entry& call) {
    std::lock_guard<std::mutex> guard(lock_);
    inside_.erase(std::remove(inside_.begin(), inside_.end(), call), inside_.end());
    // Those still inside keep this record; dropping ours breaks the cycle between us.
    call->overlaps.clear();
}

int ThreadWatch::callsInside() {
    std::lock_guard<std::mutex> guard(lock_);
    return static_cast<int>(inside_.size());
}

} // namespace standin
