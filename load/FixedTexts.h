// The status lines and messages that users, their scripts and their support notes know letter
// for letter from earlier versions of this tool. They must not be "fixed": a typo, a double
// dot or a trailing blank here is what people search their logs for, and the dialog's log has
// always shown them so. New texts of this system are written where they are used.
#pragma once

namespace fixed_text {

// The stages of a load, in their order.
constexpr const char* kStartLoading = "Start loading..";
constexpr const char* kConnecting = "Connecting to Oracle..";
constexpr const char* kConnected = "Connected.";
constexpr const char* kOpenFile = "Open file for read..";
constexpr const char* kRowsInFile = " rows in file.";            // after the count
constexpr const char* kImporting = "Importing file into table "; // then the name and ".."
constexpr const char* kCommitPoint = "Commit point reached. ";   // then the count
constexpr const char* kRowsImported = " rows imported..";
constexpr const char* kCompleted = "Loading completed. "; // then the count
constexpr const char* kRecordsProcessed = " records processed.";

// The working copy of a file whose header needs repair.
constexpr const char* kHeaderNotFormatted =
    "Header not formatted propely. Loading from copy of file.. ";
constexpr const char* kTryCopy = "Try copy file to "; // then the name
constexpr const char* kFileExists = "File exists. ";
constexpr const char* kCopyCreated = "Copy of file created.";
constexpr const char* kCopyFailed = "Error while copy file "; // then the names
constexpr const char* kNoFreeCopyName = "Error while create copy of file (file index too big)";
constexpr const char* kRepairFailed = "Error while altering copy of file.";

// Failures.
constexpr const char* kObjectExists =
    "Object with this name already exists. Enter other table name.";
constexpr const char* kCreateFailed = "Error while create table. ";
constexpr const char* kReservedWord = "Can not use reserved word as name of column.";
constexpr const char* kInsertFailed = "Error during insert rows. ";
constexpr const char* kLastInsertFailed = "Error during insert (at end).";
constexpr const char* kCommitFailed = "Error during commit(in loop).";
constexpr const char* kLastCommitFailed = "Error during commit (at end).";
constexpr const char* kRollbackFailed = "Error during rollback. ";
constexpr const char* kClientMissing = "Can't load oci.dll";

// The user's stop, and the worker that could not start.
constexpr const char* kStopped = "Loading stopped by user request.";
constexpr const char* kStopBeforeClose = "Stop loading before close application.";
constexpr const char* kThreadFailed = "Error while start work thread.";

} // namespace fixed_text
