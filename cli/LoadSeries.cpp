// Several tables through the load job, one after the other or several at once, and their
// summary.
#include "cli/LoadSeries.h"

#include "cli/ExitStatus.h"
#include "oracle/DBConnect.h"

#include <algorithm>

LoadSeries::LoadSeries(ConsoleEvents& events, ConsoleReporter& reporter)
    : events_(events), reporter_(reporter) {}

namespace {

// The summary's last line after a refusal that left tables not loaded.
std::string refusalLine(LoadJob::Refusal refusal, const std::string& text) {
    const std::string reason = statusTextAsOneLine(text);
    if (refusal == LoadJob::Refusal::Logon)
        return "The other tables were not tried: Oracle refused the logon, and every try counts "
               "towards locking the account (" +
               reason + ").\n";
    return "The other tables were not tried: the Oracle client library could not be loaded (" +
           reason + ").\n";
}

std::vector<std::string> tableNamesOf(const std::vector<TableLoad>& loads) {
    std::vector<std::string> names;
    for (const TableLoad& load : loads)
        names.push_back(load.tableName);
    return names;
}

} // namespace

int LoadSeries::run(const std::vector<TableLoad>& loads, const LoadRequest& connection,
                    bool stopOnError, std::size_t jobs) {
    loads_ = &loads;
    connection_ = connection;
    stopOnError_ = stopOnError;
    endings_.clear();
    for (const TableLoad& load : loads)
        endings_.push_back({load, TableEnding::Kind::NotLoaded, 0});
    reporter_.beginRun(tableNamesOf(loads), jobs);
    for (;;) {
        while (running_.size() < jobs && next_ < loads.size() && mayStartAnother())
            startNext();
        if (running_.empty())
            break;
        if (events_.next() == ConsoleEvents::Event::StopRequested)
            stopRunning();
        else
            collectEnded();
    }
    reporter_.finish();
    if (loads.size() > 1)
        console::write(console::Stream::Output, summaryText(endings_) + closingLine());
    return stopped_ ? kExitStopped : exitStatusOf(endings_);
}

bool LoadSeries::mayStartAnother() {
    // A stop between two loads, or during one, leaves the rest not loaded; so does a refusal
    // that every further load would meet.
    stopped_ = stopped_ || events_.stopRequested();
    return !stopped_ && !(failed_ && stopOnError_) && refusal_ == LoadJob::Refusal::None;
}

void LoadSeries::startNext() {
    const std::size_t index = next_++;
    const TableLoad& table = (*loads_)[index];
    LoadReporter reporter = reporter_.startLoad(index);
    if (!table.refusal.empty()) {
        reporter_.reportFailure(index, table.refusal);
        reporter_.endLoad(index);
        endings_[index].kind = TableEnding::Kind::Failed;
        failed_ = true;
        return;
    }
    LoadRequest request = connection_;
    request.fileName = table.fileName;
    request.tableName = table.tableName;
    auto load = std::make_unique<ConsoleLoad>(events_, std::move(reporter));
    if (load->start(request)) {
        running_.push_back({index, std::move(load)});
        return;
    }
    reporter_.endLoad(index);
    record(index, load->finish());
}

void LoadSeries::stopRunning() {
    // No table starts after this (mayStartAnother sees the request); the run counts as stopped
    // when a load ends so, as before: a load that had claimed its own ending completes.
    bool claimed = false;
    for (Running& running : running_)
        claimed = reporter_.requestStop(running.load->stop(), running.index) || claimed;
    if (claimed)
        return;
    reporter_.notice(running_.size() == 1 ? "The load is ending; please wait."
                                          : "The loads are ending; please wait.");
    // A job ends at its next stop test, unless a call to Oracle never returns (a stalled
    // commit, a dead network): the user asking again breaks every load's call.
    DBConnect::breakCallsInProgress();
}

void LoadSeries::collectEnded() {
    auto ended =
        std::stable_partition(running_.begin(), running_.end(),
                              [](const Running& running) { return !running.load->ended(); });
    for (auto running = ended; running != running_.end(); ++running) {
        const LoadJob::Result result = running->load->finish();
        reporter_.endLoad(running->index);
        record(running->index, result);
    }
    running_.erase(ended, running_.end());
}

void LoadSeries::record(std::size_t index, const LoadJob::Result& result) {
    endings_[index] = endingOf((*loads_)[index], result, connection_.options.existingTable);
    failed_ = failed_ || result.outcome == LoadJob::Outcome::Failed;
    // A load may end as stopped without a stop of ours: on Linux Oracle's client takes
    // Ctrl+C for itself once connected, and cancels the call in progress.
    stopped_ = stopped_ || result.outcome == LoadJob::Outcome::Stopped;
    if (refusal_ == LoadJob::Refusal::None && result.refusal != LoadJob::Refusal::None) {
        refusal_ = result.refusal;
        refusalText_ = result.refusalText;
    }
}

std::string LoadSeries::closingLine() const {
    const bool notTried =
        std::any_of(endings_.begin(), endings_.end(), [](const TableEnding& ending) {
            return ending.kind == TableEnding::Kind::NotLoaded;
        });
    if (stopped_ || refusal_ == LoadJob::Refusal::None || !notTried)
        return "";
    return refusalLine(refusal_, refusalText_);
}
