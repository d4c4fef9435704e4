// The main dialog's load: the request it fills, the status it reads, and where the job's
// reports go. One load at a time runs from the dialog, so these are the dialog's own, kept
// apart from the job, which takes its request, reporter and stop flag as arguments.
#pragma once

#include "load/LoadState.h"

#include <atomic>
#include <cstdint>
#include <string>

// The five texts and the options of the dialog's next load. Written by the dialog's thread
// before it starts a worker; the job copies them as it starts and reads only its copy, so that
// a new Start may rewrite them while a stopped worker is still ending.
namespace LoadParams {
extern std::string fileName;
extern std::string tableName;
extern std::string userName;
extern std::string password;
extern std::string database;
extern LoadOptions options;
} // namespace LoadParams

// The LoadParams texts and options as they stand now.
LoadRequest copyLoadParams();
// Sets the LoadParams texts and options; while no worker runs.
void setLoadParams(const LoadRequest& request);

// What the dialog's load writes and the dialog reads.
namespace LoadStatus {
// The line the dialog appends to its log; set completely right before each status send.
// Written by the worker, read by the interface thread inside the handler of the blocking
// send, while the worker waits: the send keeps the two apart.
extern std::string statusText;
// 0 to 100; set right before each progress send. Threads as statusText.
extern std::int32_t progressPercent;
// 1 while a load runs: the dialog's load's stop flag (dialogLoadStop()). The dialog sets it
// before it starts the worker and clears it to ask for a stop; the job clears it when it ends,
// before its last status line.
extern std::atomic<std::int32_t>& loadActive;
// Where the reports go as messages: the main dialog's window and the two registered message
// ids. Written by the interface thread before it starts a worker and never while one runs;
// workers only read them.
extern void* targetWindow;
extern unsigned addStrMessageId;
extern unsigned showProgressMessageId;
} // namespace LoadStatus

// The stop flag of the dialog's load, which LoadStatus::loadActive names.
LoadStop& dialogLoadStop();
