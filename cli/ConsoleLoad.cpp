// The load job on a worker thread, with the main thread handling stop requests meanwhile.
#include "cli/ConsoleLoad.h"

#include "cli/ExitStatus.h"
#include "load/LoadJob.h"
#include "load/LoadState.h"

#include <system_error>

ConsoleLoad::ConsoleLoad(ConsoleEvents& events, ConsoleReporter& reporter)
    : events_(events), reporter_(reporter) {}

int ConsoleLoad::run(const LoadRequest& request) {
    LoadParams::fileName = request.fileName;
    LoadParams::tableName = request.tableName;
    LoadParams::userName = request.userName;
    LoadParams::password = request.password;
    LoadParams::database = request.database;
    setLoadHooks(reporter_.hooks());
    // Set before the worker starts, as the dialog does, so the job's first test sees it.
    LoadStatus::loadActive = 1;
    const int exitStatus = runJob();
    setLoadHooks({});
    return exitStatus;
}

int ConsoleLoad::runJob() {
    std::thread worker;
    try {
        worker = events_.startWorker([this] {
            LoadJob::run();
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
    if (reporter_.completed())
        return kExitLoaded;
    // A stop that the job answered with a failure (its rollback failed) is a failure.
    if (reporter_.stopped() && !reporter_.messageShown())
        return kExitStopped;
    return kExitFailed;
}

void ConsoleLoad::waitForJobEnd() {
    while (events_.next() == ConsoleEvents::Event::StopRequested) {
        if (!reporter_.requestStop())
            reporter_.notice("The load is ending; please wait.");
    }
}
