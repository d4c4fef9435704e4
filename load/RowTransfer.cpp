// The row transfer of the load job: batches of converted records, inserted as arrays and
// committed one by one, with the stop tests, the progress reports and the completion.
#include "load/LoadJob.h"
#include "load/LoadState.h"

bool LoadJob::transferRows() {
    reportStatus("Importing file into table " + LoadParams::tableName + "..");
    if (!prepareInsert())
        return false;
    nextProgressIndex_ = recordCount_ / 100;
    for (std::int64_t record = 0; record < recordCount_; ++record) {
        table_.selectRecord(static_cast<int>(record));
        if (stopRequested())
            return stop();
        buffers_->fillRow(rowsInBatch_);
        if (++rowsInBatch_ == rowsPerBatch_) {
            if (!insertBatch(rowsPerBatch_, "Error during insert rows. "))
                return false;
            if (stopRequested())
                return rollBackAndStop();
            if (!commitBatch("Error during commit(in loop)."))
                return false;
            committedRows_ += rowsPerBatch_;
            reportStatus("Commit point reached. " + std::to_string(committedRows_) +
                         " rows imported..");
            rowsInBatch_ = 0;
        }
        reportRecordProgress(record);
    }
    // Oracle refuses an INSERT executed for no rows; the commit still closes the load.
    if (rowsInBatch_ > 0 && !insertBatch(rowsInBatch_, "Error during insert (at end)."))
        return false;
    return commitBatch("Error during commit (at end).");
}

bool LoadJob::prepareInsert() {
    insertText_ = insertText(LoadParams::tableName, columns_.size());
    insertStatement_ = std::make_unique<DBStmt>(connection_.get(), insertText_.c_str());
    try {
        for (std::size_t column = 0; column < buffers_->columnCount(); ++column)
            insertStatement_->bindByPos(static_cast<int>(column + 1), buffers_->slots(column),
                                        buffers_->width(column), buffers_->lengths(column));
    } catch (const DBStmt::OtherException&) {
        return failWithStatementError("Error during insert rows. ", *insertStatement_);
    }
    return true;
}

bool LoadJob::rollBackAndStop() {
    try {
        insertStatement_->rollback();
    } catch (const DBStmt::OtherException&) {
        // The failure ending tries the rollback once more before the session ends.
        return failWithStatementError("Error during rollback. ", *insertStatement_);
    }
    transactionOpen_ = false;
    return stop();
}

bool LoadJob::insertBatch(int rows, const char* failurePrefix) {
    transactionOpen_ = true;
    try {
        insertStatement_->executeArray(rows);
    } catch (const DBStmt::OtherException&) {
        return failWithStatementError(failurePrefix, *insertStatement_);
    }
    return true;
}

bool LoadJob::commitBatch(const char* failurePrefix) {
    try {
        insertStatement_->commit();
    } catch (const DBStmt::OtherException&) {
        return failWithStatementError(failurePrefix, *insertStatement_);
    }
    transactionOpen_ = false;
    return true;
}

bool LoadJob::stopRequested() const {
    return LoadStatus::loadActive.load() == 0;
}

void LoadJob::reportRecordProgress(std::int64_t record) {
    if (record != nextProgressIndex_)
        return;
    nextProgressIndex_ += recordCount_ / 100;
    const auto percent = static_cast<std::int32_t>(record * 100 / recordCount_);
    LoadStatus::progressPercent = percent;
    // The bar stops at 94 and jumps to 100 at completion.
    if (percent < 95)
        reportProgress(percent);
}

void LoadJob::complete() {
    const std::int64_t totalRows = committedRows_ + rowsInBatch_;
    insertStatement_.reset();
    buffers_.reset();
    insertText_.clear();
    createText_.clear();
    connection_.reset();
    LoadStatus::statusText =
        "Loading completed. " + std::to_string(totalRows) + " records processed.";
    table_.close();
    deleteWorkingCopy();
    LoadStatus::loadActive = 0;
    reportProgress(100);
    sendStatusLine();
}
