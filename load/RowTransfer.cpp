// Batches of converted records, inserted as arrays and committed one by one.
#include "load/RowTransfer.h"

#include "load/ColumnList.h"
#include "load/LoadState.h"

namespace {

bool stopRequested() {
    return LoadStatus::loadActive.load() == 0;
}

// Oracle's errors for a connection that went away. A commit that fails with one of them may
// or may not have been done by the server before the link broke.
bool isLostConnection(int code) {
    return code == 3113 || code == 3114 || code == 3135;
}

} // namespace

RowTransfer::RowTransfer(DBConnect& connection, DbfTable& table, BatchBuffers& buffers,
                         const std::string& tableName, int rowsPerBatch)
    : connection_(connection), table_(table), buffers_(buffers), tableName_(tableName),
      rowsPerBatch_(rowsPerBatch), recordCount_(table.recordCount()) {}

RowTransfer::Outcome RowTransfer::run() {
    if (!prepareInsert())
        return Outcome::Failed;
    nextProgressIndex_ = recordCount_ / 100;
    for (std::int64_t record = 0; record < recordCount_; ++record) {
        table_.selectRecord(static_cast<int>(record));
        if (stopRequested())
            return Outcome::Stopped;
        buffers_.fillRow(rowsInBatch_);
        if (++rowsInBatch_ == rowsPerBatch_) {
            if (!insertBatch(rowsPerBatch_, "Error during insert rows. "))
                return Outcome::Failed;
            if (stopRequested())
                return rollBackAndStop();
            if (!commitBatch(rowsPerBatch_, "Error during commit(in loop)."))
                return Outcome::Failed;
            committedRows_ += rowsPerBatch_;
            reportStatus("Commit point reached. " + std::to_string(committedRows_) +
                         " rows imported..");
            rowsInBatch_ = 0;
        }
        reportRecordProgress(record);
    }
    // Oracle refuses an INSERT executed for no rows; the commit still closes the load.
    if (rowsInBatch_ > 0) {
        if (!insertBatch(rowsInBatch_, "Error during insert (at end)."))
            return Outcome::Failed;
        // As after every batch: a stop asked for during the insert keeps the batch out.
        if (stopRequested())
            return rollBackAndStop();
    }
    if (!commitBatch(rowsInBatch_, "Error during commit (at end)."))
        return Outcome::Failed;
    return Outcome::Completed;
}

bool RowTransfer::prepareInsert() {
    insertText_ = insertText(tableName_, buffers_.columnCount());
    insertStatement_ = std::make_unique<DBStmt>(&connection_, insertText_.c_str());
    try {
        for (std::size_t column = 0; column < buffers_.columnCount(); ++column)
            insertStatement_->bindByPos(static_cast<int>(column + 1), buffers_.slots(column),
                                        buffers_.slotBytes(column), buffers_.lengths(column));
    } catch (const DBStmt::OtherException&) {
        return fail("Error during insert rows. ");
    }
    return true;
}

RowTransfer::Outcome RowTransfer::rollBackAndStop() {
    if (rollBackOpenBatch())
        return Outcome::Stopped;
    // The failure ending tries the rollback once more before the session goes.
    fail("Error during rollback. ");
    return Outcome::Failed;
}

bool RowTransfer::rollBackOpenBatch() {
    if (!transactionOpen_)
        return true;
    try {
        insertStatement_->rollback();
    } catch (const DBStmt::OtherException&) {
        return false;
    }
    transactionOpen_ = false;
    return true;
}

bool RowTransfer::insertBatch(int rows, const char* failurePrefix) {
    transactionOpen_ = true;
    try {
        insertStatement_->executeArray(rows);
    } catch (const DBStmt::OtherException&) {
        return fail(failurePrefix);
    }
    return true;
}

bool RowTransfer::commitBatch(int rows, const char* failurePrefix) {
    try {
        insertStatement_->commit();
    } catch (const DBStmt::OtherException&) {
        fail(failurePrefix);
        // The user must not take the batch for lost, nor for stored.
        if (rows > 0 && isLostConnection(insertStatement_->errorCode()))
            failureText_ += "The last batch of " + std::to_string(rows) +
                            " rows may or may not have been committed.";
        return false;
    }
    transactionOpen_ = false;
    buffers_.batchCommitted();
    return true;
}

bool RowTransfer::fail(const char* prefix) {
    failureText_ = std::string(prefix) + "\n" + insertStatement_->errorText();
    return false;
}

void RowTransfer::reportRecordProgress(std::int64_t record) {
    if (record != nextProgressIndex_)
        return;
    nextProgressIndex_ += recordCount_ / 100;
    const auto percent = static_cast<std::int32_t>(record * 100 / recordCount_);
    LoadStatus::progressPercent = percent;
    // The bar stops at 94 and jumps to 100 at completion.
    if (percent < 95)
        reportProgress(percent);
}
