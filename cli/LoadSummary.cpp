// Endings of the tables of a run, the summary's text and the exit status.
#include "cli/LoadSummary.h"

#include "cli/ExitStatus.h"
#include "platform/CodePage.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <vector>

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
    case Kind::Resumed:
        return "resumed";
    case Kind::Complete:
        return "complete";
    case Kind::Failed:
        return "failed";
    case Kind::Stopped:
        return "stopped";
    default:
        return "not loaded";
    }
}

bool isDone(Kind kind) {
    return kind == Kind::Loaded || kind == Kind::Replaced || kind == Kind::Appended ||
           kind == Kind::Resumed || kind == Kind::Complete;
}

// Characters of a UTF-8 text: its columns on a terminal, for the letters of these tables.
std::size_t charactersOf(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char byte) {
        return !utf8::isContinuationByte(static_cast<unsigned char>(byte));
    }));
}

std::string padded(const std::string& text, std::size_t width) {
    return text + std::string(width - std::min(width, charactersOf(text)), ' ');
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
    else if (result.outcome == LoadJob::Outcome::Completed && result.tableComplete)
        ending.kind = Kind::Complete;
    else if (result.outcome == LoadJob::Outcome::Completed)
        ending.kind = existingTable == ExistingTable::Append   ? Kind::Appended
                      : existingTable == ExistingTable::Resume ? Kind::Resumed
                                                               : Kind::Replaced;
    return ending;
}

std::string summaryText(const std::vector<TableEnding>& endings) {
    // File names as the system gives them; the summary, as every text written, in UTF-8.
    std::vector<std::string> files;
    for (const TableEnding& ending : endings)
        files.push_back(platform::utf8FromLocal(ending.load.fileName));
    std::size_t fileWidth = 0, tableWidth = 0, rowsWidth = 0;
    for (std::size_t index = 0; index < endings.size(); ++index) {
        fileWidth = std::max(fileWidth, charactersOf(files[index]));
        tableWidth = std::max(tableWidth, charactersOf(endings[index].load.tableName));
        rowsWidth = std::max(rowsWidth, std::to_string(endings[index].rows).size());
    }
    std::string text = "Summary:\n";
    for (std::size_t index = 0; index < endings.size(); ++index) {
        const TableEnding& ending = endings[index];
        text += "  " + padded(files[index], fileWidth) + "  " +
                padded(ending.load.tableName, tableWidth) + "  " +
                rightAligned(std::to_string(ending.rows), rowsWidth) + " rows  " +
                nameOf(ending.kind) + "\n";
    }
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
