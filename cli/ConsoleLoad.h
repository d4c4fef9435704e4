// One load of marlin-load, on a worker thread of its own.
#pragma once

#include "cli/ConsoleEvents.h"
#include "load/LoadJob.h"
#include "load/LoadState.h"

#include <atomic>
#include <thread>

// Runs the load job on a worker thread while the main thread stands in for the dialog: it
// takes the stop requests and waits for the job to end by itself, so that the rollback, the
// session's end and the working copy's deletion always happen. The worker posts JobEnded to
// `events` when the job has returned. Started, looked at and finished on the main thread.
class ConsoleLoad {
  public:
    ConsoleLoad(ConsoleEvents& events, LoadReporter reporter);
    // Finishes the load if finish() was not called.
    ~ConsoleLoad();
    ConsoleLoad(const ConsoleLoad&) = delete;
    ConsoleLoad& operator=(const ConsoleLoad&) = delete;

    // Starts the load. False when the system could not start its thread: the load then ended
    // as a failure with the dialog's line for it, and posts nothing.
    bool start(const LoadRequest& request);
    // The job has returned (its JobEnded is posted or on its way).
    bool ended() const { return ended_.load(); }
    // Waits for the worker and says how the load ended.
    LoadJob::Result finish();

    LoadStop& stop() { return stop_; }

  private:
    ConsoleEvents& events_;
    const LoadReporter reporter_;
    LoadRequest request_;
    LoadStop stop_;
    std::thread worker_;
    // Written by the worker before it posts its end, read after the join.
    LoadJob::Result result_;
    std::atomic<bool> ended_{false};
};
