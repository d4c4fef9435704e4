// The tables of one run of marlin-load, loaded one after the other.
#pragma once

#include "cli/ConsoleEvents.h"
#include "cli/ConsoleReporter.h"
#include "cli/LoadList.h"
#include "load/LoadState.h"

#include <vector>

// Loads each table through its own run of the load job (its own connection, commits and
// status lines). With more than one table every line begins with the table's name, the
// progress bar says how many tables are done, and a summary follows the last load.
class LoadSeries {
  public:
    LoadSeries(ConsoleEvents& events, ConsoleReporter& reporter);

    // Loads the tables with the user, password, database and options of `connection` (its
    // file and table names are not used). After a stop no further table starts; after a
    // failure none either when `stopOnError`. Returns the exit status: kExitLoaded when every
    // table loaded, kExitStopped after a stop, else kExitFailed.
    int run(const std::vector<TableLoad>& loads, const LoadRequest& connection, bool stopOnError);

  private:
    void prepareReporter(const std::vector<TableLoad>& loads, std::size_t index);

    ConsoleEvents& events_;
    ConsoleReporter& reporter_;
};
