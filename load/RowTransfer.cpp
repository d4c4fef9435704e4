// Batches of converted records, inserted as arrays and committed one by one.
#include "load/RowTransfer.h"

#include "load/ColumnList.h"
#include "load/FixedTexts.h"

#include <algorithm>

RowTransfer::RowTransfer(DBConnect& connection, DbfTable& table, BatchBuffers& buffers,
                         const std::string& tableName, int rowsPerBatch,
                         const LoadReporter& reporter, const LoadStop& stop,
                         std::vector<std::string> columnNames, bool skipDeleted)
    : connection_(connection), table_(table), buffers_(buffers), tableName_(tableName),
      rowsPerBatch_(rowsPerBatch), reporter_(reporter), stop_(stop),
      columnNames_(std::move(columnNames)), bindOrder_(buffers.bindOrder()),
      recordCount_(table.recordCount()), skipDeleted_(skipDeleted) {}

void RowTransfer::resumeAt(int firstRecord, std::int64_t rowsBefore) {
    firstRecord_ = firstRecord;
    rowsBefore_ = rowsBefore;
}

RowTransfer::Outcome RowTransfer::run() {
    if (!prepareInsert())
        return Outcome::Failed;
    // The progress steps of a whole load, the first one at or after the record it starts at.
    const std::int64_t step = recordCount_ / 100;
    nextProgressIndex_ =
        step == 0 ? 0 : std::max<std::int64_t>(1, (firstRecord_ + step - 1) / step) * step;
    for (std::int64_t record = firstRecord_; record < recordCount_; ++record) {
        table_.selectRecord(static_cast<int>(record));
        if (stopRequested())
            return Outcome::Stopped;
        if (skipDeleted_ && table_.isDeleted()) {
            ++skippedDeletedRecords_;
        } else {
            const Outcome outcome = gatherRecord();
            if (outcome != Outcome::Completed)
                return outcome;
        }
        reportRecordProgress(record);
    }
    // Oracle refuses an INSERT executed for no rows; the commit still closes the load.
    if (rowsInBatch_ > 0) {
        if (!bindLongValues(fixed_text::kLastInsertFailed) ||
            !insertBatch(rowsInBatch_, fixed_text::kLastInsertFailed))
            return Outcome::Failed;
        // As after every batch: a stop asked for during the insert keeps the batch out.
        if (stopRequested())
            return rollBackAndStop();
    }
    if (!commitBatch(rowsInBatch_, fixed_text::kLastCommitFailed))
        return Outcome::Failed;
    return Outcome::Completed;
}

RowTransfer::Outcome RowTransfer::gatherRecord() {
    // Memos too large for the batch's budget end it before their record.
    if (!buffers_.roomForRecord(rowsInBatch_)) {
        const Outcome outcome = endBatchInLoop();
        if (outcome != Outcome::Completed)
            return outcome;
    }
    buffers_.fillRow(rowsInBatch_);
    deletedRowsInBatch_ += table_.isDeleted() ? 1 : 0;
    if (++rowsInBatch_ == rowsPerBatch_)
        return endBatchInLoop();
    return Outcome::Completed;
}

RowTransfer::Outcome RowTransfer::endBatchInLoop() {
    const int rows = rowsInBatch_;
    if (!bindLongValues(fixed_text::kInsertFailed) || !insertBatch(rows, fixed_text::kInsertFailed))
        return Outcome::Failed;
    if (stopRequested())
        return rollBackAndStop();
    if (!commitBatch(rows, fixed_text::kCommitFailed))
        return Outcome::Failed;
    committedRows_ += rows;
    reporter_.status(fixed_text::kCommitPoint + std::to_string(rowsBefore_ + committedRows_) +
                     fixed_text::kRowsImported);
    reporter_.committed(rowsBefore_ + committedRows_);
    rowsInBatch_ = 0;
    return Outcome::Completed;
}

bool RowTransfer::prepareInsert() {
    insertText_ = columnNames_.empty() ? insertText(tableName_, buffers_.columnCount())
                                       : insertText(tableName_, columnNames_);
    insertStatement_ = std::make_unique<DBStmt>(&connection_, insertText_.c_str());
    return bindSlots(fixed_text::kInsertFailed);
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
                                            bind.elementBytes, bind.lengths);
            else
                insertStatement_->bindByPos(static_cast<int>(position), bind.buffer,
                                            bind.elementBytes, bind.type, bind.indicators,
                                            bind.lengths);
        }
    } catch (const DBStmt::OtherException&) {
        return fail(failurePrefix);
    }
    return true;
}

bool RowTransfer::bindLongValues(const char* failurePrefix) {
    if (!buffers_.hasLongValues())
        return true;
    buffers_.layOutLongValues();
    try {
        for (std::size_t position = 1; position <= bindOrder_.size(); ++position) {
            const BatchBuffers::Binding bind = buffers_.binding(bindOrder_[position - 1]);
            if (!bind.isLong)
                continue;
            if (bind.handsOverWhole)
                insertStatement_->bindWholeValuesByPos(static_cast<int>(position), bind.type,
                                                       bind.wholeValues);
            else
                insertStatement_->bindByPos(static_cast<int>(position), bind.buffer,
                                            bind.elementBytes, bind.type, bind.indicators,
                                            bind.lengths);
        }
    } catch (const DBStmt::OtherException&) {
        return fail(failurePrefix);
    }
    return true;
}

RowTransfer::Outcome RowTransfer::rollBackAndStop() {
    if (rollBackOpenBatch())
        return Outcome::Stopped;
    // The failure ending tries the rollback once more before the session goes.
    fail(fixed_text::kRollbackFailed);
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
        // A commit whose session went during the call may have been done by the server before
        // its reply was lost: the user must not take the batch for lost, nor for stored. One
        // that found no session did nothing, and the server rolled the batch back.
        const std::string batch = "The last batch of " + std::to_string(rows) + " rows ";
        if (rows > 0 && connection_.sessionLoss() == oci::SessionLoss::OutcomeUnknown)
            failureText_ += batch + "may or may not have been committed." +
                            (adviseResume_ ? " Run the same load with --resume to continue: it "
                                             "counts the rows the table holds."
                                           : "");
        else if (rows > 0 && connection_.sessionLoss() == oci::SessionLoss::NothingDone)
            failureText_ += batch + "was not committed.";
        return false;
    }
    transactionOpen_ = false;
    buffers_.batchCommitted();
    committedDeletedRows_ += deletedRowsInBatch_;
    deletedRowsInBatch_ = 0;
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
    // The bar stops at 94 and jumps to 100 at completion.
    if (percent < 95)
        reporter_.showProgress(percent);
}
