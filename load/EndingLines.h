// The lines a load adds before its last when what it loaded is not all the file holds, or not
// all as the file holds it. Each is empty when there is nothing to say.
#pragma once

#include "load/ColumnList.h"

#include <cstdint>
#include <string>
#include <vector>

// The columns with a count above zero, in order ("NOTES, REMARKS", or with their counts
// "AMOUNT 2, RATIO 1"), and the counts' total.
struct CountedColumns {
    long total = 0;
    std::string list;
};
CountedColumns countedColumns(const std::vector<Column>& columns, const std::vector<long>& counts,
                              bool withCounts);

// How many memos of committed rows pointed at a memo the memo file does not hold, in which
// columns: "3 memos could not be read and were loaded as blanks: NOTE 2, REMARK 1.".
std::string damagedMemosLine(const std::vector<Column>& columns, const std::vector<long>& damaged);

// "3 records marked as deleted were loaded.": rows of committed batches.
std::string deletedRecordsLine(std::int64_t loaded);
// "3 records marked as deleted were left out.": those a load that skips them passed over.
std::string skippedRecordsLine(std::int64_t skipped);

// What the header counts against the whole records the file holds, when they differ: fewer
// held ("The header counts 10 records, but the file holds only 5 whole records.") or more,
// which a load leaves out as the header says.
std::string recordCountLine(std::uint32_t declared, std::uint64_t held);
