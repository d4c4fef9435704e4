// One load run from the console.
#pragma once

#include "cli/ConsoleEvents.h"
#include "cli/ConsoleReporter.h"
#include "load/LoadState.h"

// Runs the load job on a worker thread while the main thread stands in for the dialog: it
// turns stop requests into the dialog's Stop and waits for the job to end by itself, so that
// the rollback, the session's end and the working copy's deletion always happen.
class ConsoleLoad {
  public:
    ConsoleLoad(ConsoleEvents& events, ConsoleReporter& reporter);

    // Loads and returns the exit status: kExitLoaded, kExitFailed or kExitStopped.
    int run(const LoadTexts& request);

  private:
    // Starts the worker, handles stop requests until it has ended, and judges the end.
    int runJob();
    void waitForJobEnd();

    ConsoleEvents& events_;
    ConsoleReporter& reporter_;
};
