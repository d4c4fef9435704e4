// The counted lines before a load's last: memos read as blanks, deleted records, and a record
// count the file does not bear out.
#include "load/EndingLines.h"

namespace {

// "1 record", "3 records".
std::string counted(std::uint64_t count, const char* singular) {
    return std::to_string(count) + " " + singular + (count == 1 ? "" : "s");
}

// "3 records marked as deleted were VERB." or "1 record ... was VERB.".
std::string deletedLine(std::int64_t count, const char* verb) {
    if (count <= 0)
        return "";
    return counted(static_cast<std::uint64_t>(count), "record") + " marked as deleted " +
           (count == 1 ? "was " : "were ") + verb + ".";
}

} // namespace

CountedColumns countedColumns(const std::vector<Column>& columns, const std::vector<long>& counts,
                              bool withCounts) {
    CountedColumns counted;
    for (std::size_t column = 0; column < columns.size() && column < counts.size(); ++column) {
        if (counts[column] == 0)
            continue;
        counted.total += counts[column];
        counted.list += (counted.list.empty() ? "" : ", ") + columns[column].name;
        if (withCounts)
            counted.list += " " + std::to_string(counts[column]);
    }
    return counted;
}

std::string damagedMemosLine(const std::vector<Column>& columns, const std::vector<long>& damaged) {
    const CountedColumns memos = countedColumns(columns, damaged, true);
    if (memos.total == 0)
        return "";
    if (memos.total == 1)
        return "1 memo could not be read and was loaded as blanks: " + memos.list + ".";
    return std::to_string(memos.total) +
           " memos could not be read and were loaded as blanks: " + memos.list + ".";
}

std::string deletedRecordsLine(std::int64_t loaded) {
    return deletedLine(loaded, "loaded");
}

std::string skippedRecordsLine(std::int64_t skipped) {
    return deletedLine(skipped, "left out");
}

std::string recordCountLine(std::uint32_t declared, std::uint64_t held) {
    const std::string header = "The header counts " + counted(declared, "record");
    if (held < declared)
        return header + ", but the file holds only " + counted(held, "whole record") + ".";
    if (held > declared) {
        const std::uint64_t past = held - declared;
        return header + ", but the file holds " + counted(held, "whole record") + ": the " +
               std::to_string(past) + " past its count " + (past == 1 ? "was" : "were") +
               " not loaded.";
    }
    return "";
}
