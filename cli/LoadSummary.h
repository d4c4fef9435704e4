// The summary that ends a run of several tables: one line a table, then the totals.
#pragma once

#include "cli/LoadList.h"
#include "load/LoadJob.h"

#include <cstdint>
#include <string>
#include <vector>

// How one table of the run ended.
struct TableEnding {
    // Resumed: the rest of the file went into a table a load had begun; Complete: that table
    // held every record already.
    enum class Kind { Loaded, Replaced, Appended, Resumed, Complete, Failed, Stopped, NotLoaded };
    TableLoad load;
    Kind kind = Kind::NotLoaded;
    std::int64_t rows = 0; // of this run, in the table of the load's name
};

// The ending of a load that ran with the given policy for an existing table.
TableEnding endingOf(const TableLoad& load, const LoadJob::Result& result,
                     ExistingTable existingTable);

// "Summary:", then "  FILE  TABLE  ROWS rows  ENDING" a table (file and table names padded to
// line up, the counts right-aligned), then "Total: N tables, L loaded, F failed, S stopped,
// U not loaded; R rows." naming only the endings that occurred (but always the loaded ones).
std::string summaryText(const std::vector<TableEnding>& endings);

// kExitStopped when a table was stopped; else kExitFailed when any failed or was not loaded;
// else kExitLoaded.
int exitStatusOf(const std::vector<TableEnding>& endings);
