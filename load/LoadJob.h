// The load job: one run carries one DBF file into one new Oracle table.
#pragma once

#include "dbf/DbfTable.h"
#include "load/BatchBuffers.h"
#include "load/ColumnList.h"
#include "oracle/DBConnect.h"
#include "oracle/DBStmt.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Runs every stage of a load from LoadParams and reports through the hooks of LoadState.h.
// Every end (completion, failure, stop) releases what the job made: the connection, its
// statements, the table reader, the bind buffers and the working copy.
class LoadJob {
  public:
    // The worker thread's procedure. Never throws; the result means nothing.
    static int run();

    // The byte budget of one batch's bind slots.
    static constexpr int kBatchBudgetBytes = 10000000;

  private:
    enum class End { None, Failed, FailedAfterTableCheck, RepairFailed, Stopped };

    LoadJob() = default;
    void runStages();

    bool prepareWorkFile();
    bool makeWorkingCopy();
    bool connect();
    bool ensureTableFree();
    bool openTable();
    bool createTable();
    bool transferRows();
    bool prepareInsert();
    bool rollBackAndStop();
    bool insertBatch(int rows, const char* failurePrefix);
    bool commitBatch(const char* failurePrefix);
    bool stopRequested() const;
    void reportRecordProgress(std::int64_t recordIndex);
    void complete();

    bool fail(const std::string& text);
    bool failWithStatementError(const char* prefix, DBStmt& statement);
    bool stop();
    void endWithFailure();
    void endAfterRepairFailure();
    void endAfterStop();
    void rollBackOpenTransaction();
    void deleteWorkingCopy();

    End end_ = End::None;
    std::string failureText_;

    std::string workFile_;
    std::string workingCopyName_;
    std::string createText_;
    std::string insertText_;
    std::unique_ptr<DBConnect> connection_;
    std::unique_ptr<DBStmt> existenceQuery_;
    std::unique_ptr<DBStmt> createStatement_;
    std::unique_ptr<DBStmt> insertStatement_;
    DbfTable table_;
    std::vector<Column> columns_;
    std::unique_ptr<BatchBuffers> buffers_;

    int rowsPerBatch_ = 0;
    std::int64_t recordCount_ = 0;
    std::int64_t committedRows_ = 0;
    int rowsInBatch_ = 0;
    std::int64_t nextProgressIndex_ = 0;
    bool transactionOpen_ = false;
};
