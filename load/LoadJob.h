// The load job: one run carries one DBF file into one new Oracle table.
#pragma once

#include "dbf/DbfTable.h"
#include "load/BatchBuffers.h"
#include "load/ColumnList.h"
#include "load/LoadState.h"
#include "load/RowTransfer.h"
#include "oracle/DBConnect.h"
#include "oracle/DBStmt.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The line that ends a load whose committed rows lost characters to fit their columns: how
// many values, and in which columns. Empty when none did.
std::string cutValuesLine(const std::vector<Column>& columns, const std::vector<long>& cuts);

// Runs every stage of a load from its copy of LoadParams and reports through the hooks of
// LoadState.h. Every end (completion, failure, stop) releases what the job made: the
// connection, its statements, the table reader, the bind buffers and the working copy.
class LoadJob {
  public:
    // How a load ended: every failure is Failed, a stop whose rollback failed among them.
    enum class Outcome { Completed, Failed, Stopped };

    // The worker thread's procedure. Never throws: any exception ends the load as a failure.
    static Outcome run();

    // The byte budget of one batch's bind slots.
    static constexpr int kBatchBudgetBytes = 10000000;

  private:
    enum class End { None, Failed, FailedAfterTableCheck, RepairFailed, Stopped };

    LoadJob();
    Outcome runStages();
    Outcome runEnding(bool completed);

    bool prepareWorkFile();
    bool makeWorkingCopy();
    bool connect();
    bool ensureTableFree();
    bool openTable();
    bool createTable();
    bool transferRows();
    void complete();

    bool fail(const std::string& text);
    void endWithFailure();
    void endAfterRepairFailure();
    void endAfterStop();
    void rollBackOpenTransaction();
    void deleteWorkingCopy();
    void reportCutValues();

    // Taken from LoadParams when the job starts; the job reads nothing else of them. The
    // existence query binds tableName in place.
    LoadTexts params_;

    End end_ = End::None;
    std::string failureText_;

    std::string workFile_;
    std::string workingCopyName_;
    std::string createText_;
    std::unique_ptr<DBConnect> connection_;
    std::unique_ptr<DBStmt> existenceQuery_;
    std::unique_ptr<DBStmt> createStatement_;
    DbfTable table_;
    std::unique_ptr<TextConverter> converter_;
    std::vector<Column> columns_;
    std::unique_ptr<BatchBuffers> buffers_;
    std::unique_ptr<RowTransfer> rowTransfer_;

    int rowsPerBatch_ = 0;
};
