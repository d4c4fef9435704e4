// The load job on a worker thread, with the main thread handling stop requests meanwhile.
#include "cli/ConsoleLoad.h"

#include "cli/ExitStatus.h"
#include "load/LoadJob.h"
#include "load/LoadState.h"

#include <system_error>

ConsoleLoad::ConsoleLoad(ConsoleEvents& events, ConsoleReporter& reporter)
    : events_(events), reporter_(reporter) {}

int ConsoleLoad::run(const LoadTexts& request) {
    setLoadParams(request);
    setLoadHooks(reporter_.hooks());
    // Set before the worker starts, as the dialog does, so the job's first test sees it.
    LoadStatus::loadActive = 1;
    const int exitStatus = runJob();
    setLoadHooks({});
    return exitStatus;
}

int ConsoleLoad::runJob() {
    std::thread worker;
    // Written by the worker before it posts its end, read here after the join.
    LoadJob::Outcome outcome = LoadJob::Outcome::Failed;
    try {
        worker = events_.startWorker([this, &outcome] {
            outcome = LoadJob::run();
            events_.postJobEnded();
        });
    } catch (const std::system_error&) {
        LoadStatus::loadActive = 0;
        reportStatus("Error while start work thread.");
        return kExitFailed;
    }
    waitForJobEnd();
    worker.join();
    reporter_.finish();
    switch (outcome) {
    case LoadJob::Outcome::Completed:
        return kExitLoaded;
    case LoadJob::Outcome::Stopped:
        return kExitStopped;
    default:
        return kExitFailed;
    }
}

void ConsoleLoad::waitForJobEnd() {
    while (events_.next() == ConsoleEvents::Event::StopRequested) {
        if (!reporter_.requestStop())
            reporter_.notice("The load is ending; please wait.");
    }
}
