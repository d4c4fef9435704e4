// Endings of the tables of a run, the summary's text and the exit status.
#include "cli/LoadSummary.h"

#include "cli/ExitStatus.h"

#include <algorithm>

namespace {

using Kind = TableEnding::Kind;

const char* nameOf(Kind kind) {
    switch (kind) {
    case Kind::Loaded:
        return "loaded";
    case Kind::Replaced:
        return "replaced";
    case Kind::Appended:
        return "appended";
    case Kind::Failed:
        return "failed";
    case Kind::Stopped:
        return "stopped";
    default:
        return "not loaded";
    }
}

bool isDone(Kind kind) {
    return kind == Kind::Loaded || kind == Kind::Replaced || kind == Kind::Appended;
}

std::string padded(const std::string& text, std::size_t width) {
    return text + std::string(width - std::min(width, text.size()), ' ');
}

std::string rightAligned(const std::string& text, std::size_t width) {
    return std::string(width - std::min(width, text.size()), ' ') + text;
}

std::size_t count(const std::vector<TableEnding>& endings, bool (*matches)(Kind)) {
    return static_cast<std::size_t>(
        std::count_if(endings.begin(), endings.end(),
                      [matches](const TableEnding& e) { return matches(e.kind); }));
}

std::string totalsLine(const std::vector<TableEnding>& endings) {
    std::int64_t rows = 0;
    for (const TableEnding& ending : endings)
        rows += ending.rows;
    std::string line = "Total: " + std::to_string(endings.size()) + " tables, " +
                       std::to_string(count(endings, isDone)) + " loaded";
    const std::pair<Kind, const char*> others[] = {
        {Kind::Failed, "failed"}, {Kind::Stopped, "stopped"}, {Kind::NotLoaded, "not loaded"}};
    for (const auto& other : others) {
        const auto number =
            std::count_if(endings.begin(), endings.end(),
                          [&](const TableEnding& e) { return e.kind == other.first; });
        if (number > 0)
            line += ", " + std::to_string(number) + " " + other.second;
    }
    return line + "; " + std::to_string(rows) + " rows.\n";
}

} // namespace

TableEnding endingOf(const TableLoad& load, const LoadJob::Result& result,
                     ExistingTable existingTable) {
    TableEnding ending{load, Kind::Failed, result.rowsLoaded};
    if (result.outcome == LoadJob::Outcome::Stopped)
        ending.kind = Kind::Stopped;
    else if (result.outcome == LoadJob::Outcome::Completed && !result.tableExisted)
        ending.kind = Kind::Loaded;
    else if (result.outcome == LoadJob::Outcome::Completed)
        ending.kind = existingTable == ExistingTable::Append ? Kind::Appended : Kind::Replaced;
    return ending;
}

std::string summaryText(const std::vector<TableEnding>& endings) {
    std::size_t fileWidth = 0, tableWidth = 0, rowsWidth = 0;
    for (const TableEnding& ending : endings) {
        fileWidth = std::max(fileWidth, ending.load.fileName.size());
        tableWidth = std::max(tableWidth, ending.load.tableName.size());
        rowsWidth = std::max(rowsWidth, std::to_string(ending.rows).size());
    }
    std::string text = "Summary:\n";
    for (const TableEnding& ending : endings)
        text += "  " + padded(ending.load.fileName, fileWidth) + "  " +
                padded(ending.load.tableName, tableWidth) + "  " +
                rightAligned(std::to_string(ending.rows), rowsWidth) + " rows  " +
                nameOf(ending.kind) + "\n";
    return text + totalsLine(endings);
}

int exitStatusOf(const std::vector<TableEnding>& endings) {
    const auto has = [&](Kind kind) {
        return std::any_of(endings.begin(), endings.end(),
                           [kind](const TableEnding& e) { return e.kind == kind; });
    };
    if (has(Kind::Stopped))
        return kExitStopped;
    if (count(endings, isDone) < endings.size())
        return kExitFailed;
    return kExitLoaded;
}
