// The load job on a worker thread, with the main thread handling stop requests meanwhile.
#include "cli/ConsoleLoad.h"

#include "load/LoadState.h"
#include "oracle/DBConnect.h"

#include <system_error>

ConsoleLoad::ConsoleLoad(ConsoleEvents& events, ConsoleReporter& reporter)
    : events_(events), reporter_(reporter) {}

LoadJob::Result ConsoleLoad::run(const LoadTexts& request) {
    setLoadParams(request);
    setLoadHooks(reporter_.hooks());
    // Set before the worker starts, as the dialog does, so the job's first test sees it.
    LoadStatus::loadActive = 1;
    const LoadJob::Result result = runJob();
    setLoadHooks({});
    return result;
}

LoadJob::Result ConsoleLoad::runJob() {
    std::thread worker;
    // Written by the worker before it posts its end, read here after the join.
    LoadJob::Result result;
    try {
        worker = events_.startWorker([this, &result] {
            result = LoadJob::runWithResult();
            events_.postJobEnded();
        });
    } catch (const std::system_error&) {
        LoadStatus::loadActive = 0;
        reportStatus("Error while start work thread.");
        return result;
    }
    waitForJobEnd();
    worker.join();
    reporter_.finish();
    return result;
}

void ConsoleLoad::waitForJobEnd() {
    while (events_.next() == ConsoleEvents::Event::StopRequested) {
        if (reporter_.requestStop())
            continue;
        reporter_.notice("The load is ending; please wait.");
        // The job ends at its next stop test, unless a call to Oracle never returns (a
        // stalled commit, a dead network): the user asking again breaks it.
        DBConnect::breakCallsInProgress();
    }
}
