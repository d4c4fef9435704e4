// The load job's worker thread and the hooks that carry its reports to the main dialog.
#pragma once

#include <windows.h>

// Posted to the dialog by the worker's thread routine after the job has returned, as the
// last thing the thread does with anything shared: from then on nothing of the load is in
// use and a new worker may start. wParam is the thread's id: anything else may post the same
// number.
constexpr UINT kWorkerReturnedMessage = WM_APP + 1;

// Makes the dialog's load report as the dialog shows it: status lines and progress go to
// LoadStatus::targetWindow as blocking sends of the two registered messages, messages to
// showAppMessage. Interface thread, before the first worker starts.
void installDialogLoadHooks();

// Starts LoadJob::run on a new thread (default stack, runs at once). The thread posts
// kWorkerReturnedMessage with its id to LoadStatus::targetWindow when the job has returned.
// Returns the thread's handle, or null when the system cannot create the thread.
HANDLE startLoadWorker();

// Breaks the Oracle call the worker may be hanging in (a commit a server never answers, a dead
// network), so that the job fails that call and ends as a stopped load. Returns at once: the
// break itself goes to the server, and the dialog must stay usable while it travels.
void breakWorkerCalls();
