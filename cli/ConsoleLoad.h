// One load run from the console.
#pragma once

#include "cli/ConsoleEvents.h"
#include "cli/ConsoleReporter.h"
#include "load/LoadJob.h"
#include "load/LoadState.h"

// Runs the load job on a worker thread while the main thread stands in for the dialog: it
// turns stop requests into the dialog's Stop and waits for the job to end by itself, so that
// the rollback, the session's end and the working copy's deletion always happen. A request
// after the stop breaks the Oracle call in progress, which may never return by itself.
class ConsoleLoad {
  public:
    ConsoleLoad(ConsoleEvents& events, ConsoleReporter& reporter);

    // Loads and says how it ended.
    LoadJob::Result run(const LoadRequest& request);

  private:
    // Starts the worker, handles stop requests until it has ended, and judges the end.
    LoadJob::Result runJob(const LoadRequest& request);
    void waitForJobEnd();

    ConsoleEvents& events_;
    ConsoleReporter& reporter_;
    LoadStop stop_;
};
