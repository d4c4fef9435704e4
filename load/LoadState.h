// What one load is given and how it reports: its request, its reporter and its stop flag. A
// load owns nothing process-wide, so that several may run at once in one process.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

// What a load does when a table of its name exists already.
enum class ExistingTable {
    Refuse,  // end with "Object with this name already exists. ...", as the dialog does
    Replace, // load into a new table under a free name; only when every row is committed,
             // drop the old table and give the new one its name
    Append,  // insert into it when its columns are those the file would create
    Resume,  // as Append, but first pass over the records whose rows it holds (see
             // ResumePoint): a stopped or failed load goes on where it ended
};

// How a load departs from the default one, which every member's default keeps.
struct LoadOptions {
    // Column names made loadable (see loadableColumnNames) instead of failing on the names
    // Oracle refuses.
    bool fixNames = false;
    ExistingTable existingTable = ExistingTable::Refuse;
    // The Windows code page of the text of a file that names none this system decodes, in
    // its header or in a .cpg file beside it; 0: the machine's OEM code page (see
    // chooseCodePage).
    unsigned codePage = 0;
    // The text of every file is read in `codePage`, whatever the file names.
    bool forceCodePage = false;
    // Records marked as deleted are left out; else they are loaded like all others.
    bool skipDeleted = false;
    // Each column takes the type that holds its field's values (NUMBER, DATE, CLOB, ...) and
    // memos arrive whole; else every column is a VARCHAR2, as by default.
    bool typedColumns = false;
    // Run by marlin-load: the file is looked at before the logon (the dialog keeps its order of
    // stages, which reports a file that cannot be opened after connecting), and a table that
    // exists is met with the options that take it.
    bool commandLine = false;
};

// One load's request: which file into which table, as which user, and how. The job takes its
// own copy as it starts. The file name is as the system's file functions take it (the ANSI
// code page on Windows); the other four are UTF-8, as are all the texts the job reports.
struct LoadRequest {
    std::string fileName;
    std::string tableName;
    std::string userName;
    std::string password;
    std::string database;
    LoadOptions options = {};
};

// A load's stop flag. Set before the load's worker starts, so that the job's first look sees
// the load; cleared by whoever ends the load first: the job at its end, or the user's stop.
// Any thread; every change is atomic.
class LoadStop {
  public:
    // Starts a new load with this flag; while none runs.
    void arm() { active_ = 1; }
    // Clears the flag without asking who ended the load.
    void clear() { active_ = 0; }
    bool requested() const { return active_.load() == 0; }
    // Clears the flag for the side that ends the load. True when this call cleared it, so that
    // its ending is the load's; false when the other side had ended the load already.
    bool claimEnding() { return active_.exchange(0) != 0; }
    // The flag itself, for the dialog, whose Stop and messages read it by that name.
    std::atomic<std::int32_t>& flag() { return active_; }

  private:
    std::atomic<std::int32_t> active_{0};
};

// How a load reaches its user. Each member is called on the load's worker thread and returns
// only when the other side has dealt with it; a member left empty drops what it would report.
// Each load has its own, so its lines never mix with another load's.
struct LoadReporter {
    std::function<void(const std::string& line)> statusLine; // appends a line to the log
    std::function<void(std::int32_t percent)> progress;      // shows 0 to 100
    std::function<void(const std::string& text)> message;    // modal; returns when closed
    // Rows committed so far, after each commit point's line; for a caller that sums them.
    std::function<void(std::int64_t rows)> rowsCommitted;

    void status(const std::string& line) const {
        if (statusLine)
            statusLine(line);
    }
    void showProgress(std::int32_t percent) const {
        if (progress)
            progress(percent);
    }
    void showMessage(const std::string& text) const {
        if (message)
            message(text);
    }
    void committed(std::int64_t rows) const {
        if (rowsCommitted)
            rowsCommitted(rows);
    }
};

// The status text as the log shows it, on one line: Oracle's messages end in a line feed and
// some failures join two texts with one, so each line break becomes one blank (none after a
// blank the text already has, none at its start) and trailing ones go.
std::string statusTextAsOneLine(const std::string& statusText);
