// The load job on a worker thread, with the main thread handling stop requests meanwhile.
#include "cli/ConsoleLoad.h"

#include "load/FixedTexts.h"
#include "oracle/DBConnect.h"

#include <system_error>

ConsoleLoad::ConsoleLoad(ConsoleEvents& events, ConsoleReporter& reporter)
    : events_(events), reporter_(reporter) {}

LoadJob::Result ConsoleLoad::run(const LoadRequest& request) {
    // Set before the worker starts, as the dialog does, so the job's first test sees it.
    stop_.arm();
    return runJob(request);
}

LoadJob::Result ConsoleLoad::runJob(const LoadRequest& request) {
    std::thread worker;
    const LoadReporter reporter = reporter_.reporter();
    // Written by the worker before it posts its end, read here after the join.
    LoadJob::Result result;
    try {
        worker = events_.startWorker([this, &request, &reporter, &result] {
            result = LoadJob::run(request, reporter, stop_);
            events_.postJobEnded();
        });
    } catch (const std::system_error&) {
        stop_.clear();
        reporter.status(fixed_text::kThreadFailed);
        return result;
    }
    waitForJobEnd();
    worker.join();
    reporter_.finish();
    return result;
}

void ConsoleLoad::waitForJobEnd() {
    while (events_.next() == ConsoleEvents::Event::StopRequested) {
        if (reporter_.requestStop(stop_))
            continue;
        reporter_.notice("The load is ending; please wait.");
        // The job ends at its next stop test, unless a call to Oracle never returns (a
        // stalled commit, a dead network): the user asking again breaks it.
        DBConnect::breakCallsInProgress();
    }
}
