// Several tables through the load job, one after the other, and their summary.
#include "cli/LoadSeries.h"

#include "cli/ConsoleLoad.h"
#include "cli/ExitStatus.h"
#include "cli/LoadSummary.h"

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

} // namespace

int LoadSeries::run(const std::vector<TableLoad>& loads, const LoadRequest& connection,
                    bool stopOnError) {
    std::vector<TableEnding> endings;
    bool stopped = false;
    bool failed = false;
    LoadJob::Result lastResult;
    std::string closingLine;
    for (std::size_t index = 0; index < loads.size(); ++index) {
        // A stop between two loads, or during one, leaves the rest not loaded; so does a
        // refusal that every further load would meet.
        stopped = stopped || events_.stopRequested();
        if (stopped || (failed && stopOnError) || lastResult.refusal != LoadJob::Refusal::None) {
            if (!stopped && lastResult.refusal != LoadJob::Refusal::None)
                closingLine = refusalLine(lastResult.refusal, lastResult.refusalText);
            endings.push_back({loads[index], TableEnding::Kind::NotLoaded, 0});
            continue;
        }
        prepareReporter(loads, index);
        if (!loads[index].refusal.empty()) {
            reporter_.reportFailure(loads[index].refusal);
            endings.push_back({loads[index], TableEnding::Kind::Failed, 0});
            failed = true;
            continue;
        }
        LoadRequest request = connection;
        request.fileName = loads[index].fileName;
        request.tableName = loads[index].tableName;
        const LoadJob::Result result = ConsoleLoad(events_, reporter_).run(request);
        endings.push_back(endingOf(loads[index], result, connection.options.existingTable));
        failed = failed || result.outcome == LoadJob::Outcome::Failed;
        lastResult = result;
        // A load may end as stopped without a stop of ours: on Linux Oracle's client takes
        // Ctrl+C for itself once connected, and cancels the call in progress.
        stopped = stopped || result.outcome == LoadJob::Outcome::Stopped;
    }
    if (loads.size() > 1)
        console::write(console::Stream::Output, summaryText(endings) + closingLine);
    return stopped ? kExitStopped : exitStatusOf(endings);
}

void LoadSeries::prepareReporter(const std::vector<TableLoad>& loads, std::size_t index) {
    if (loads.size() == 1)
        return;
    const std::string& table = loads[index].tableName;
    reporter_.setLinePrefix(table + ": ");
    reporter_.setBarCaption(table + ", " + std::to_string(index) + " of " +
                            std::to_string(loads.size()) + " tables done");
}
