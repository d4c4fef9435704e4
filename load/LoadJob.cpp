// The road of one load: header check, connection, table check, open, create, transfer.
#include "load/LoadJob.h"

#include "dbf/DbfHeader.h"
#include "load/ColumnNames.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <exception>
#include <new>

namespace {

constexpr const char* kExistenceQuery = "SELECT COUNT(1) FROM USER_OBJECTS WHERE OBJECT_NAME = :1";
// Oracle's "invalid identifier", and the number 23ai servers give for a reserved word.
constexpr int kInvalidIdentifier = 904;
constexpr int kReservedWord = 3050;
// The other refusals of a column's name: a duplicate, too long, a character not allowed.
constexpr int kDuplicateColumn = 957;
constexpr int kNameTooLong = 972;
constexpr int kInvalidCharacter = 911;

bool refusesAName(int oracleError) {
    return oracleError == kInvalidIdentifier || oracleError == kReservedWord ||
           oracleError == kDuplicateColumn || oracleError == kNameTooLong ||
           oracleError == kInvalidCharacter;
}

} // namespace

LoadJob::Outcome LoadJob::run() {
    try {
        LoadJob job;
        return job.runStages();
    } catch (...) {
        // Only an ending that failed itself gets here: the dialog must not wait for a line
        // that will never come.
        LoadStatus::loadActive = 0;
        return Outcome::Failed;
    }
}

LoadJob::LoadJob() : params_(copyLoadParams()) {}

LoadJob::Outcome LoadJob::runStages() {
    bool completed = false;
    try {
        reportStatus("Start loading..");
        LoadStatus::progressPercent = 0;
        completed = prepareWorkFile() && checkTableFile() && connect() && ensureTableFree() &&
                    openTable() && createTable() && transferRows();
    } catch (const std::bad_alloc&) {
        fail("Not enough memory to load this file.");
    } catch (const DBStmt::OtherException&) {
        // A statement refuses to be built only when the client library is missing.
        fail("Can't load oci.dll");
    } catch (const std::exception& error) {
        fail(std::string("Unexpected error: ") + error.what());
    } catch (...) {
        fail("Unexpected error.");
    }
    return runEnding(completed);
}

LoadJob::Outcome LoadJob::runEnding(bool completed) {
    if (completed) {
        complete();
        return Outcome::Completed;
    }
    switch (end_) {
    case End::Stopped:
        endAfterStop();
        return Outcome::Stopped;
    case End::RepairFailed:
        endAfterRepairFailure();
        return Outcome::Failed;
    default:
        endWithFailure();
        return Outcome::Failed;
    }
}

bool LoadJob::prepareWorkFile() {
    workFile_ = params_.fileName;
    return checkDbfHeader(workFile_.c_str()) || makeWorkingCopy();
}

bool LoadJob::makeWorkingCopy() {
    const std::string& fileName = params_.fileName;
    reportStatus("Header not formatted propely. Loading from copy of file.. ");
    auto copyName = findFreeWorkingCopyName(fileName, [](const std::string& name, bool exists) {
        reportStatus("Try copy file to " + name);
        if (exists)
            reportStatus("File exists. ");
    });
    if (!copyName)
        return fail("Error while create copy of file (file index too big)");
    if (!platform::copyFile(fileName, *copyName))
        return fail("Error while copy file " + fileName + " to " + *copyName);
    workingCopyName_ = *copyName;
    reportStatus("Copy of file created.");
    if (!repairDbfHeader(copyName->c_str())) {
        end_ = End::RepairFailed;
        return false;
    }
    workFile_ = *copyName;
    return true;
}

bool LoadJob::checkTableFile() {
    // One look before connecting, so that a table the load could not carry whole ends before
    // a session or a new table is made for it. A file that cannot be opened at all is left to
    // the open, which reports it.
    DbfTable table;
    if (!table.open(workFile_.c_str(), params_.fileName.c_str()))
        return table.openFailure() != DbfTable::OpenFailure::HeaderDoesNotAddUp ||
               fail(table.openFailureText());
    // Memos whose file is missing would load as blanks: the data would be gone without a word.
    if (table.memoFile().isOpen() || !table.holdsMemoPointer())
        return true;
    return fail(table.memoFile().problemText());
}

bool LoadJob::connect() {
    reportStatus("Connecting to Oracle..");
    const int codePage = platform::ansiCodePage();
    connection_ = std::make_unique<DBConnect>(codePage);
    if (connection_->clientCharacterSet() == 0)
        reportStatus("ANSI code page " + std::to_string(codePage) +
                     " has no Oracle character set here; NLS_LANG decides.");
    try {
        connection_->connect(params_.userName.c_str(), params_.password.c_str(),
                             params_.database.c_str());
    } catch (const DBConnect::OtherException&) {
        return fail(connection_->errorText());
    }
    reportStatus("Connected.");
    if (!connection_->logonWarning().empty())
        reportStatus(connection_->logonWarning());
    return true;
}

bool LoadJob::ensureTableFree() {
    existenceQuery_ = std::make_unique<DBStmt>(connection_.get(), kExistenceQuery);
    int objectCount = 0;
    std::string& tableName = params_.tableName;
    try {
        existenceQuery_->bindByPos(1, tableName.data(), static_cast<int>(tableName.size()));
        existenceQuery_->defineByPos(1, &objectCount);
        existenceQuery_->execute();
    } catch (const DBStmt::OtherException&) {
        fail(existenceQuery_->errorText());
        end_ = End::FailedAfterTableCheck;
        return false;
    }
    // Two objects of one name (a table and its index) do not stop the load: Oracle's own
    // CREATE TABLE then decides.
    if (objectCount != 1)
        return true;
    fail("Object with this name already exists. Enter other table name.");
    end_ = End::FailedAfterTableCheck;
    return false;
}

bool LoadJob::openTable() {
    reportStatus("Open file for read..");
    // A repaired working copy has no memo file of its own: the memos stay beside the original.
    table_.open(workFile_.c_str(), params_.fileName.c_str());
    if (!table_.isOpen())
        return fail(table_.openFailure() == DbfTable::OpenFailure::HeaderDoesNotAddUp
                        ? table_.openFailureText()
                        : "Cannot open file. Check that file exists and not used by any "
                          "applications.");
    reportStatus(std::to_string(table_.recordCount()) + " rows in file.");
    columns_ = buildColumns(table_, params_.options.fixNames);
    if (columns_.empty())
        return fail("Cannot load a file without fields.");
    // Fields of length 0 give a width of 0; Oracle refuses such a table at its creation.
    rowsPerBatch_ = kBatchBudgetBytes / std::max(1, table_.recordWidth());
    return true;
}

bool LoadJob::createTable() {
    createText_ = createTableText(params_.tableName, columns_);
    createStatement_ = std::make_unique<DBStmt>(connection_.get(), createText_.c_str());
    try {
        createStatement_->execute();
    } catch (const DBStmt::OtherException&) {
        return fail(createFailureText(*createStatement_));
    }
    // One conversion table per load: the file's code page and the system's do not change.
    buffers_ = std::make_unique<BatchBuffers>(columns_, rowsPerBatch_, conversionTableFor(table_));
    return true;
}

std::string LoadJob::createFailureText(DBStmt& statement) const {
    std::string text = "Error while create table. \n";
    text += statement.errorText();
    const int code = statement.errorCode();
    if (code == kInvalidIdentifier || code == kReservedWord)
        text += "Can not use reserved word as name of column.";
    // The command line can rename what Oracle refuses; the dialog's users may use it too.
    if (!params_.options.fixNames && refusesAName(code) &&
        someNameNeedsFixing(columnNamesOf(columns_))) {
        if (text.back() != '\n')
            text += '\n';
        text += "marlin-load --fix-names makes every field name a column name Oracle takes.";
    }
    return text;
}

bool LoadJob::transferRows() {
    reportStatus("Importing file into table " + params_.tableName + "..");
    rowTransfer_ = std::make_unique<RowTransfer>(*connection_, table_, *buffers_, params_.tableName,
                                                 rowsPerBatch_);
    switch (rowTransfer_->run()) {
    case RowTransfer::Outcome::Completed:
        return true;
    case RowTransfer::Outcome::Stopped:
        end_ = End::Stopped;
        return false;
    default:
        return fail(rowTransfer_->failureText());
    }
}

void LoadJob::complete() {
    const std::int64_t totalRows = rowTransfer_->rowsProcessed();
    rowTransfer_.reset();
    buffers_.reset();
    createText_.clear();
    connection_.reset();
    table_.close();
    deleteWorkingCopy();
    LoadStatus::statusText =
        "Loading completed. " + std::to_string(totalRows) + " records processed.";
    LoadStatus::loadActive = 0;
    reportProgress(100);
    sendStatusLine();
}

bool LoadJob::fail(const std::string& text) {
    failureText_ = text;
    end_ = End::Failed;
    return false;
}

void LoadJob::endWithFailure() {
    // Oracle commits an open transaction when the session ends; rows of a batch that was
    // not committed must not reach the table that way.
    rollBackOpenTransaction();
    LoadStatus::statusText = failureText_;
    showLoadMessage(LoadStatus::statusText.c_str());
    if (table_.isOpen())
        table_.close();
    deleteWorkingCopy();
    LoadStatus::statusText = failureText_;
    // After the table check the dialog returns to idle only once the session has ended.
    if (end_ == End::FailedAfterTableCheck)
        connection_.reset();
    LoadStatus::loadActive = 0;
    sendStatusLine();
    connection_.reset();
}

void LoadJob::endAfterRepairFailure() {
    // No message box here; the copy that could not be repaired stays for the user to see.
    LoadStatus::statusText = "Error while altering copy of file.";
    LoadStatus::loadActive = 0;
    sendStatusLine();
}

void LoadJob::endAfterStop() {
    // The dialog has written its own line; the job ends without a word of its own.
    rollBackOpenTransaction();
    rowTransfer_.reset();
    buffers_.reset();
    connection_.reset();
    table_.close();
    deleteWorkingCopy();
}

void LoadJob::rollBackOpenTransaction() {
    // The failure being reported already says what went wrong with the connection. Ending
    // the session now would commit what a failed rollback left; a session that goes away
    // without its end is rolled back by the server.
    if (rowTransfer_ && !rowTransfer_->rollBackOpenBatch())
        connection_->abandonSession();
}

void LoadJob::deleteWorkingCopy() {
    if (workingCopyName_.empty())
        return;
    // The user must learn of a copy left on disk; the line comes before the job's last one.
    if (!platform::deleteFile(workingCopyName_))
        reportStatus("Cannot delete copy of file " + workingCopyName_);
    workingCopyName_.clear();
}
