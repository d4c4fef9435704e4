// Batches of converted records, inserted as arrays and committed one by one.
#include "load/RowTransfer.h"

#include "load/ColumnList.h"
#include "load/LoadState.h"

#include <algorithm>

namespace {

bool stopRequested() {
    return LoadStatus::loadActive.load() == 0;
}

// Oracle's errors for a connection that went away. A commit that fails with one of them may
// or may not have been done by the server before the link broke.
bool isLostConnection(int code) {
    return code == 3113 || code == 3114 || code == 3135;
}

// The most bytes a value may have through a client's 2-byte length array.
constexpr std::size_t kLargestShortLength = 65535;

} // namespace

RowTransfer::RowTransfer(DBConnect& connection, DbfTable& table, BatchBuffers& buffers,
                         const std::string& tableName, int rowsPerBatch,
                         std::vector<std::string> columnNames)
    : connection_(connection), table_(table), buffers_(buffers), tableName_(tableName),
      rowsPerBatch_(rowsPerBatch), columnNames_(std::move(columnNames)),
      bindOrder_(buffers.bindOrder()), recordCount_(table.recordCount()) {}

RowTransfer::Outcome RowTransfer::run() {
    if (!prepareInsert())
        return Outcome::Failed;
    nextProgressIndex_ = recordCount_ / 100;
    for (std::int64_t record = 0; record < recordCount_; ++record) {
        table_.selectRecord(static_cast<int>(record));
        if (stopRequested())
            return Outcome::Stopped;
        // Memos too large for the batch's budget end it before their record.
        if (!buffers_.roomForRecord(rowsInBatch_)) {
            const Outcome outcome = endBatchInLoop();
            if (outcome != Outcome::Completed)
                return outcome;
        }
        buffers_.fillRow(rowsInBatch_);
        if (++rowsInBatch_ == rowsPerBatch_) {
            const Outcome outcome = endBatchInLoop();
            if (outcome != Outcome::Completed)
                return outcome;
        }
        reportRecordProgress(record);
    }
    // Oracle refuses an INSERT executed for no rows; the commit still closes the load.
    if (rowsInBatch_ > 0) {
        if (!bindLongValues("Error during insert (at end).") ||
            !insertBatch(rowsInBatch_, "Error during insert (at end)."))
            return Outcome::Failed;
        // As after every batch: a stop asked for during the insert keeps the batch out.
        if (stopRequested())
            return rollBackAndStop();
    }
    if (!commitBatch(rowsInBatch_, "Error during commit (at end)."))
        return Outcome::Failed;
    return Outcome::Completed;
}

RowTransfer::Outcome RowTransfer::endBatchInLoop() {
    const int rows = rowsInBatch_;
    if (!bindLongValues("Error during insert rows. ") ||
        !insertBatch(rows, "Error during insert rows. "))
        return Outcome::Failed;
    if (stopRequested())
        return rollBackAndStop();
    if (!commitBatch(rows, "Error during commit(in loop)."))
        return Outcome::Failed;
    committedRows_ += rows;
    reportStatus("Commit point reached. " + std::to_string(committedRows_) + " rows imported..");
    rowsInBatch_ = 0;
    return Outcome::Completed;
}

bool RowTransfer::prepareInsert() {
    insertText_ = columnNames_.empty() ? insertText(tableName_, buffers_.columnCount())
                                       : insertText(tableName_, columnNames_);
    insertStatement_ = std::make_unique<DBStmt>(&connection_, insertText_.c_str());
    return bindSlots("Error during insert rows. ");
}

bool RowTransfer::bindSlots(const char* failurePrefix) {
    try {
        for (std::size_t position = 1; position <= bindOrder_.size(); ++position) {
            const std::size_t column = bindOrder_[position - 1];
            const BatchBuffers::Binding bind = buffers_.binding(column);
            if (bind.isLong)
                continue;
            if (bind.indicators == nullptr)
                insertStatement_->bindByPos(static_cast<int>(position), bind.buffer,
                                            static_cast<int>(bind.elementBytes), bind.lengths);
            else
                insertStatement_->bindByPos(static_cast<int>(position), bind.buffer,
                                            static_cast<int>(bind.elementBytes), bind.type,
                                            bind.indicators, bind.lengths);
        }
    } catch (const DBStmt::OtherException&) {
        return fail(failurePrefix);
    }
    return true;
}

bool RowTransfer::bindLongValues(const char* failurePrefix) {
    if (!buffers_.hasLongValues())
        return true;
    if (!fitsClient())
        return false;
    buffers_.layOutLongValues();
    try {
        for (std::size_t position = 1; position <= bindOrder_.size(); ++position) {
            const BatchBuffers::Binding bind = buffers_.binding(bindOrder_[position - 1]);
            if (bind.isLong)
                insertStatement_->bindLongByPos(static_cast<int>(position), bind.buffer,
                                                bind.elementBytes, bind.type, bind.indicators,
                                                bind.longLengths, bind.lengths);
        }
    } catch (const DBStmt::OtherException&) {
        return fail(failurePrefix);
    }
    return true;
}

bool RowTransfer::fitsClient() {
    std::size_t column = 0, row = 0;
    const std::size_t longest = buffers_.longestLongValue(column, row);
    if (longest <= kLargestShortLength || insertStatement_->bindsLongValues())
        return true;
    const auto position = std::find(bindOrder_.begin(), bindOrder_.end(), column);
    const std::string& name = columnNames_[static_cast<std::size_t>(position - bindOrder_.begin())];
    failureText_ = "Cannot load the memo of record " +
                   std::to_string(committedRows_ + static_cast<std::int64_t>(row) + 1) +
                   " (column " + name + ", " + std::to_string(longest) +
                   " bytes): this Oracle client sends at most 65535 bytes of a value. An Oracle "
                   "client of release 12.1 or later loads it whole.";
    return false;
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
    // Slots that grew for this batch's values lie elsewhere now, each of another size.
    if (buffers_.slotsMoved() && !bindSlots(failurePrefix))
        return false;
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
