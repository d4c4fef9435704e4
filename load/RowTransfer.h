// The row transfer of one load: the INSERT statement, and batches of converted records
// inserted as arrays and committed one by one, with the stop tests and progress reports.
#pragma once

#include "dbf/DbfTable.h"
#include "load/BatchBuffers.h"
#include "load/LoadState.h"
#include "oracle/DBConnect.h"
#include "oracle/DBStmt.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Used on the load's worker thread only, like everything the job owns.
class RowTransfer {
  public:
    enum class Outcome { Completed, Failed, Stopped };

    // Reads the records of `table` through `buffers` (rowsPerBatch rows a batch, fewer when
    // their memos would pass the buffers' budget) into `tableName` on `connection`; all four
    // must outlive the transfer. With `columnNames` (in the buffers' bind order) the INSERT
    // names its columns; else it gives values for all of them in the table's order. With
    // `skipDeleted` records marked as deleted are passed over; else they are loaded too. The
    // commit lines and the progress go to `reporter`; `stop` is looked at between records and
    // after each insert. Both must outlive the transfer too.
    RowTransfer(DBConnect& connection, DbfTable& table, BatchBuffers& buffers,
                const std::string& tableName, int rowsPerBatch, const LoadReporter& reporter,
                const LoadStop& stop, std::vector<std::string> columnNames = {},
                bool skipDeleted = false);
    RowTransfer(const RowTransfer&) = delete;
    RowTransfer& operator=(const RowTransfer&) = delete;

    // Before run(): the transfer starts at record `firstRecord`, into a table that holds
    // `rowsBefore` rows of the file already; its commit lines count those too.
    void resumeAt(int firstRecord, std::int64_t rowsBefore);
    // Before run(): a commit whose outcome is unknown tells the user that --resume goes on.
    void adviseResume() { adviseResume_ = true; }

    // Moves every record, ending with the commit of the last batch. Failed: failureText()
    // says why, and a batch may be left inserted and not committed (rollBackOpenBatch()); a
    // commit that lost the connection says that its batch may or may not be in the table.
    // Stopped: the stop flag was found cleared; a batch inserted just before was rolled back.
    Outcome run();

    const std::string& failureText() const { return failureText_; }
    // The rows the table held before the transfer (resumeAt()).
    std::int64_t rowsBefore() const { return rowsBefore_; }
    // Rows of committed batches plus those of the batch gathered last.
    std::int64_t rowsProcessed() const { return committedRows_ + rowsInBatch_; }
    // Rows of the batches committed so far.
    std::int64_t committedRows() const { return committedRows_; }
    // Rows of the batches committed so far that were records marked as deleted.
    std::int64_t committedDeletedRows() const { return committedDeletedRows_; }
    // Records marked as deleted passed over so far (with skipDeleted).
    std::int64_t skippedDeletedRecords() const { return skippedDeletedRecords_; }

    // Rolls back a batch that was inserted and not committed. False when that rollback
    // failed, so that the rows are still pending in the session.
    bool rollBackOpenBatch();

  private:
    bool prepareInsert();
    // Converts the current record into the batch, ending the batch before it or after it
    // when it is full: Completed when the load goes on.
    Outcome gatherRecord();
    // Binds every column's slots but those of memos gathered whole.
    bool bindSlots(const char* failurePrefix);
    // Inserts and commits the batch gathered, in the loop: Completed when the load goes on.
    Outcome endBatchInLoop();
    // Binds the memos of the batch to their positions.
    bool bindLongValues(const char* failurePrefix);
    Outcome rollBackAndStop();
    bool insertBatch(int rows, const char* failurePrefix);
    // Commits the batch of `rows` rows just inserted.
    bool commitBatch(int rows, const char* failurePrefix);
    bool fail(const char* prefix);
    void reportRecordProgress(std::int64_t record);
    bool stopRequested() const { return stop_.requested(); }

    DBConnect& connection_;
    DbfTable& table_;
    BatchBuffers& buffers_;
    const std::string tableName_;
    const int rowsPerBatch_;
    const LoadReporter& reporter_;
    const LoadStop& stop_;
    const std::vector<std::string> columnNames_;
    const std::vector<std::size_t> bindOrder_;
    const std::int64_t recordCount_;
    const bool skipDeleted_;

    int firstRecord_ = 0;
    std::int64_t rowsBefore_ = 0;
    bool adviseResume_ = false;

    std::string insertText_;
    std::unique_ptr<DBStmt> insertStatement_;
    std::string failureText_;
    std::int64_t committedRows_ = 0;
    int rowsInBatch_ = 0;
    int deletedRowsInBatch_ = 0;
    std::int64_t committedDeletedRows_ = 0;
    std::int64_t skippedDeletedRecords_ = 0;
    std::int64_t nextProgressIndex_ = 0;
    bool transactionOpen_ = false;
};
