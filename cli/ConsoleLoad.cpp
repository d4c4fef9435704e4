// The load job on a worker thread.
#include "cli/ConsoleLoad.h"

#include "load/FixedTexts.h"

#include <system_error>
#include <utility>

ConsoleLoad::ConsoleLoad(ConsoleEvents& events, LoadReporter reporter)
    : events_(events), reporter_(std::move(reporter)) {}

ConsoleLoad::~ConsoleLoad() {
    if (worker_.joinable())
        worker_.join();
}

bool ConsoleLoad::start(const LoadRequest& request) {
    request_ = request;
    // Set before the worker starts, as the dialog does, so the job's first test sees it.
    stop_.arm();
    try {
        worker_ = events_.startWorker([this] {
            result_ = LoadJob::run(request_, reporter_, stop_);
            ended_ = true;
            events_.postJobEnded();
        });
    } catch (const std::system_error&) {
        stop_.clear();
        reporter_.status(fixed_text::kThreadFailed);
        ended_ = true;
        return false;
    }
    return true;
}

LoadJob::Result ConsoleLoad::finish() {
    if (worker_.joinable())
        worker_.join();
    return result_;
}
