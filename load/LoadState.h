// The state the main dialog and the load job share, and the job's ways of reporting.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

// The five texts the dialog hands to the job. Written by the dialog's thread before it starts
// a worker; each job copies them as it starts and reads only its copy, so that a new Start
// may rewrite them while a stopped worker is still ending. The file name is as the system's
// file functions take it (the ANSI code page on Windows); the other four are UTF-8, as are
// all the texts the job reports.
namespace LoadParams {
extern std::string fileName;
extern std::string tableName;
extern std::string userName;
extern std::string password;
extern std::string database;
} // namespace LoadParams

// What a load does when a table of its name exists already.
enum class ExistingTable {
    Refuse,  // end with "Object with this name already exists. ...", as the dialog does
    Replace, // load into a new table under a free name; only when every row is committed,
             // drop the old table and give the new one its name
    Append,  // insert into it when its columns are those the file would create
    Resume,  // as Append, but first pass over the records whose rows it holds (see
             // ResumePoint): a stopped or failed load goes on where it ended
};

// How a load departs from the default one, which every member's default keeps. Set and copied
// with the five texts, under the same rules.
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

namespace LoadParams {
extern LoadOptions options;
} // namespace LoadParams

// One job's own copy of the five texts and the options.
struct LoadTexts {
    std::string fileName;
    std::string tableName;
    std::string userName;
    std::string password;
    std::string database;
    LoadOptions options = {};
};

// The LoadParams texts and options as they stand now.
LoadTexts copyLoadParams();
// Sets the LoadParams texts and options; while no worker runs.
void setLoadParams(const LoadTexts& texts);

// What the job writes and the dialog reads.
namespace LoadStatus {
// The line the dialog appends to its log; set completely right before each status send.
// Written by the worker, read by the interface thread inside the handler of the blocking
// send, while the worker waits: the send keeps the two apart.
extern std::string statusText;
// 0 to 100; set right before each progress send. Threads as statusText.
extern std::int32_t progressPercent;
// 1 while a load runs. The dialog sets it before it starts the worker and clears it to ask
// for a stop; the job clears it when it ends, before its last status line.
extern std::atomic<std::int32_t> loadActive;
// Where the Windows hooks send their messages: the main dialog's window and the two
// registered message ids. Kept here untyped so that the job never sees a window header.
// Written by the interface thread before it starts a worker and never while one runs;
// workers only read them.
extern void* targetWindow;
extern unsigned addStrMessageId;
extern unsigned showProgressMessageId;
} // namespace LoadStatus

// Clears loadActive for the side that ends the load: the job at its end, or the user's Stop.
// True when this call cleared it, so that its ending is the load's; false when the other side
// had ended the load already. Either thread; the exchange is atomic.
bool claimLoadEnding();

// How the job reaches the user. The dialog installs hooks that send the two registered
// messages and show the application's message box; the tests install recorders. Each hook
// returns only when the other side has dealt with it.
struct LoadHooks {
    std::function<void()> addStatusLine;               // append LoadStatus::statusText to the log
    std::function<void()> showProgress;                // show LoadStatus::progressPercent
    std::function<void(const char* text)> showMessage; // modal; returns when closed
};

// Installs the hooks; call before a job starts.
void setLoadHooks(LoadHooks hooks);

// The status text as the log shows it, on one line: Oracle's messages end in a line feed and
// some failures join two texts with one, so each line break becomes one blank (none after a
// blank the text already has, none at its start) and trailing ones go.
std::string statusTextAsOneLine(const std::string& statusText);

// Sets statusText to the text and sends it to the log.
void reportStatus(const std::string& text);
// Sends statusText as it stands (the failure and completion endings set it earlier).
void sendStatusLine();
// Sets progressPercent and sends it.
void reportProgress(std::int32_t percent);
// Shows the text in the message box and waits until the user closes it.
void showLoadMessage(const char* text);
