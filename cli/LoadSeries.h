// The tables of one run of marlin-load, loaded one after the other or several at once.
#pragma once

#include "cli/ConsoleEvents.h"
#include "cli/ConsoleLoad.h"
#include "cli/ConsoleReporter.h"
#include "cli/LoadList.h"
#include "cli/LoadSummary.h"
#include "load/LoadState.h"

#include <memory>
#include <vector>

// Loads each table through its own run of the load job (its own connection, thread, commits
// and status lines), up to `jobs` at once. With more than one table every line begins with
// the table's name, the progress bar says how many tables are done, and a summary follows the
// last load, its tables in the order given.
class LoadSeries {
  public:
    LoadSeries(ConsoleEvents& events, ConsoleReporter& reporter);

    // Loads the tables with the user, password, database and options of `connection` (its
    // file and table names are not used). After a stop no further table starts, and every
    // running one is stopped; after a failure none starts either when `stopOnError`, nor after
    // a refusal every further load would meet; running ones end as they will. Returns the
    // exit status: kExitLoaded when every table loaded, kExitStopped after a stop, else
    // kExitFailed.
    int run(const std::vector<TableLoad>& loads, const LoadRequest& connection, bool stopOnError,
            std::size_t jobs = 1);

  private:
    struct Running {
        std::size_t index;
        std::unique_ptr<ConsoleLoad> load;
    };

    bool mayStartAnother();
    void startNext();
    void stopRunning();
    void collectEnded();
    void record(std::size_t index, const LoadJob::Result& result);
    std::string closingLine() const;

    ConsoleEvents& events_;
    ConsoleReporter& reporter_;

    // The run in progress.
    const std::vector<TableLoad>* loads_ = nullptr;
    LoadRequest connection_;
    bool stopOnError_ = false;
    std::vector<TableEnding> endings_;
    std::vector<Running> running_;
    std::size_t next_ = 0;
    bool stopped_ = false;
    bool failed_ = false;
    LoadJob::Refusal refusal_ = LoadJob::Refusal::None;
    std::string refusalText_;
};
