// The load job: one run carries one DBF file into one new Oracle table.
#pragma once

#include "dbf/DbfTable.h"
#include "load/BatchBuffers.h"
#include "load/ColumnList.h"
#include "load/LoadPlan.h"
#include "load/LoadState.h"
#include "load/ResumePoint.h"
#include "load/RowTransfer.h"
#include "load/TableDictionary.h"
#include "load/TableTarget.h"
#include "load/WorkingCopy.h"
#include "oracle/DBConnect.h"
#include "oracle/DBStmt.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The line that ends a load whose committed rows lost characters to fit their columns: how
// many values, and in which columns. Empty when none did.
std::string cutValuesLine(const std::vector<Column>& columns, const std::vector<long>& cuts);

// The line that ends a typed load whose committed rows held values their columns' types
// cannot hold, loaded as NULL: how many, and how many in each column. Empty when none did.
std::string nulledValuesLine(const std::vector<Column>& columns, const std::vector<long>& nulls);

// The line that ends a load whose committed rows held bytes that code page `codePage` does not
// define, loaded as U+FFFD: how many values, and in which columns. Empty when none did.
std::string undefinedBytesLine(const std::vector<Column>& columns,
                               const std::vector<long>& undefined, unsigned codePage);

// Runs every stage of one load from its copy of the request, reporting through its reporter
// and watching its stop flag; loads with their own of each run at once. Every end (completion,
// failure, stop) releases what the job made: the connection, its statements, the table reader, the
// bind buffers and the working copy.
class LoadJob {
  public:
    // How a load ended: every failure is Failed, a stop whose rollback failed among them.
    enum class Outcome { Completed, Failed, Stopped };

    // The dialog's load: its request from LoadParams, its reports through LoadStatus and its
    // window. Defined by the dialog, which owns those; the worker thread's procedure.
    static Outcome run();

    // A failure that every later load with the same user and client would meet too.
    enum class Refusal {
        None,
        Logon,  // Oracle refused the logon (a wrong password, a locked or expired account):
                // trying again counts towards the account's lock
        Client, // the Oracle client library could not be loaded
    };

    // How one run ended, for a caller that reports more than the dialog does.
    struct Result {
        Outcome outcome = Outcome::Failed;
        // Rows of this load that the table of the load's name holds now.
        std::int64_t rowsLoaded = 0;
        // The table existed and was replaced or appended to (or was to be).
        bool tableExisted = false;
        // A resumed table held every record already: nothing was loaded.
        bool tableComplete = false;
        // Why the connection failed, when no other load could connect either; its text.
        Refusal refusal = Refusal::None;
        std::string refusalText;
    };
    // Runs one load on the calling thread. `stop` is armed by the caller before; the job
    // clears it when it ends. Never throws: any exception ends the load as a failure.
    static Result run(const LoadRequest& request, const LoadReporter& reporter, LoadStop& stop);

    // The byte budget of one batch's bind slots.
    static constexpr int kBatchBudgetBytes = static_cast<int>(BatchBuffers::kSlotBudgetBytes);

  private:
    enum class End { None, Failed, FailedAfterTableCheck, RepairFailed, Stopped };

    LoadJob(const LoadRequest& request, const LoadReporter& reporter, LoadStop& stop);
    Outcome runStages();
    Outcome runEnding(bool completed);

    bool goingOn();
    bool prepareWorkFile();
    bool makeWorkingCopy();
    bool checkTableFile();
    bool connect();
    void judgeConnectFailure();
    bool checkFieldNames();
    std::string tableExistsText() const;
    bool ensureTableFree();
    bool openTable();
    bool createTable();
    std::string createFailureText(DBStmt& statement) const;
    bool transferRows();
    Outcome complete();
    std::int64_t rowsInNamedTable(bool completed) const;

    // The road of a table that exists already, when the options take it.
    enum class Take { Taken, NoTable, Failed };
    Take takeExistingTable();
    void refuseOtherObject(TableTarget::Object object);
    void reportNamesInUse();
    bool matchExistingColumns();
    // For a load that resumes: where it goes on, or why it cannot.
    bool placeResumePoint();
    Outcome completeTable();
    // "Cannot append to", ...: how a failure to take the existing table begins.
    std::string takingVerb() const;
    bool makeBuffers();
    bool replaceOldTable();
    bool failReplacement(TableTarget::Swap swap);
    void undoReplacement();
    const std::string& loadTableName() const;
    bool replacing() const;
    // True when a call failed because the user cancelled it; the load then ends as stopped.
    bool cancelledByUser();
    // What the connection says of the Oracle call that failed last.
    std::string oracleFailureText() const;

    bool fail(const std::string& text);
    void endWithFailure();
    void endAfterRepairFailure();
    void endAfterStop();
    void rollBackOpenTransaction();
    // The lines before the last that say what of the file was not loaded as it is, in one
    // fixed order.
    void reportEndingLines();
    void reportStatus(const std::string& line);
    // Reports the line unless it is empty.
    void reportLine(const std::string& line);

    // The job's own copy of its request. The existence query binds tableName in place.
    LoadRequest params_;
    const LoadReporter& reporter_;
    LoadStop& stop_;

    End end_ = End::None;
    std::string failureText_;

    std::string workFile_;
    WorkingCopy workingCopy_{reporter_};
    std::string createText_;
    std::unique_ptr<DBConnect> connection_;
    std::unique_ptr<TableDictionary> dictionary_;
    std::unique_ptr<DBStmt> createStatement_;
    DbfTable table_;
    // Made once the table is open; read, never re-derived, from then on.
    LoadPlan plan_;
    std::unique_ptr<BatchBuffers> buffers_;
    std::unique_ptr<RowTransfer> rowTransfer_;
    // Only while the load takes a table that exists: to replace it or to append to it.
    std::unique_ptr<TableTarget> existingTable_;
    // Only while the load resumes into the existing table.
    std::unique_ptr<ResumePoint> resumePoint_;
    // The replacement's temporary table was created and is not yet dropped or renamed.
    bool temporaryTableMade_ = false;
    // A replacement whose swap could not be undone left both tables under other names than
    // planned: neither is dropped, whatever comes.
    bool swapUnfinished_ = false;
    std::int64_t rowsLoaded_ = 0;
    std::int64_t deletedRowsLoaded_ = 0;
    std::int64_t deletedRecordsSkipped_ = 0;
    // What the header counts against what the file holds; empty when they agree.
    std::string recordCountLine_;
    Refusal refusal_ = Refusal::None;

    int rowsPerBatch_ = 0;
};
