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

// The columns with a count above zero, in order ("NOTES, REMARKS", or with their counts
// "AMOUNT 2, RATIO 1"), and the counts' total.
struct CountedColumns {
    long total = 0;
    std::string list;
};

CountedColumns countedColumns(const std::vector<Column>& columns, const std::vector<long>& counts,
                              bool withCounts) {
    CountedColumns counted;
    for (std::size_t column = 0; column < columns.size() && column < counts.size(); ++column) {
        if (counts[column] == 0)
            continue;
        counted.total += counts[column];
        counted.list += (counted.list.empty() ? "" : ", ") + columns[column].name;
        if (withCounts)
            counted.list += " " + std::to_string(counts[column]);
    }
    return counted;
}

} // namespace

LoadJob::Outcome LoadJob::run() {
    return runWithResult().outcome;
}

LoadJob::Result LoadJob::runWithResult() {
    Result result;
    try {
        LoadJob job;
        result.outcome = job.runStages();
        result.rowsLoaded = job.rowsLoaded_;
        result.tableExisted = job.existingTable_ != nullptr;
    } catch (...) {
        // Only an ending that failed itself gets here: the dialog must not wait for a line
        // that will never come.
        LoadStatus::loadActive = 0;
    }
    return result;
}

LoadJob::LoadJob() : params_(copyLoadParams()) {}

std::string cutValuesLine(const std::vector<Column>& columns, const std::vector<long>& cuts) {
    const CountedColumns cut = countedColumns(columns, cuts, false);
    if (cut.total == 0)
        return "";
    if (cut.total == 1)
        return "1 value was cut to fit its column: " + cut.list + ".";
    return std::to_string(cut.total) + " values were cut to fit their columns: " + cut.list + ".";
}

std::string nulledValuesLine(const std::vector<Column>& columns, const std::vector<long>& nulls) {
    const CountedColumns nulled = countedColumns(columns, nulls, true);
    if (nulled.total == 0)
        return "";
    if (nulled.total == 1)
        return "1 value could not be read as its column's type and was loaded as NULL: " +
               nulled.list + ".";
    return std::to_string(nulled.total) +
           " values could not be read as their columns' types and were loaded as NULL: " +
           nulled.list + ".";
}

std::string undefinedBytesLine(const std::vector<Column>& columns,
                               const std::vector<long>& undefined, unsigned codePage) {
    const CountedColumns held = countedColumns(columns, undefined, false);
    if (held.total == 0)
        return "";
    const std::string page = " held bytes code page " + std::to_string(codePage) +
                             " does not define: " + held.list + ".";
    if (held.total == 1)
        return "1 value" + page;
    return std::to_string(held.total) + " values" + page;
}

LoadJob::Outcome LoadJob::runStages() {
    bool completed = false;
    try {
        reportStatus("Start loading..");
        LoadStatus::progressPercent = 0;
        completed = prepareWorkFile() && checkTableFile() && connect() && ensureTableFree() &&
                    openTable() && createTable() && transferRows() && replaceOldTable();
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
    rowsLoaded_ = rowsInNamedTable(completed);
    return runEnding(completed);
}

LoadJob::Outcome LoadJob::runEnding(bool completed) {
    if (completed)
        return complete();
    // A call broken after a stop request fails; the load still ends as a stopped one.
    if (end_ != End::RepairFailed && stoppedByBreak())
        end_ = End::Stopped;
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
        reportStatus("Try copy file to " + platform::utf8FromLocal(name));
        if (exists)
            reportStatus("File exists. ");
    });
    if (!copyName)
        return fail("Error while create copy of file (file index too big)");
    if (!platform::copyFile(fileName, *copyName))
        return fail("Error while copy file " + platform::utf8FromLocal(fileName) + " to " +
                    platform::utf8FromLocal(*copyName));
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
    return fail(platform::utf8FromLocal(table.memoFile().problemText()));
}

bool LoadJob::connect() {
    reportStatus("Connecting to Oracle..");
    connection_ = std::make_unique<DBConnect>();
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
    if (objectCount > 0 && params_.options.existingTable != ExistingTable::Refuse) {
        const Take take = takeExistingTable();
        if (take != Take::NoTable)
            return take == Take::Taken;
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
    // One converter per load: the file's code page and the system's do not change.
    converter_ = converterFor(table_, params_.options.codePage);
    if (!converter_)
        return fail("Cannot convert the file's text: this system cannot decode its code page.");
    columns_ =
        buildColumns(table_, *converter_, params_.options.fixNames, params_.options.typedColumns);
    if (columns_.empty())
        return fail("Cannot load a file without fields.");
    // Fields of length 0 give a width of 0; Oracle refuses such a table at its creation.
    rowsPerBatch_ = kBatchBudgetBytes / std::max(1, table_.recordWidth());
    return true;
}

bool LoadJob::createTable() {
    if (existingTable_ != nullptr && !replacing())
        return matchExistingColumns() && makeBuffers();
    createText_ = createTableText(loadTableName(), columns_);
    createStatement_ = std::make_unique<DBStmt>(connection_.get(), createText_.c_str());
    try {
        createStatement_->execute();
    } catch (const DBStmt::OtherException&) {
        return fail(createFailureText(*createStatement_));
    }
    temporaryTableMade_ = replacing();
    return makeBuffers();
}

bool LoadJob::makeBuffers() {
    buffers_ = std::make_unique<BatchBuffers>(columns_, rowsPerBatch_, *converter_);
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
    reportStatus("Importing file into table " + loadTableName() + "..");
    std::vector<std::string> insertColumns;
    // A typed table names its columns in the INSERT: its CLOB and BLOB binds come last.
    if (params_.options.typedColumns)
        for (std::size_t column : buffers_->bindOrder())
            insertColumns.push_back(columns_[column].name);
    rowTransfer_ = std::make_unique<RowTransfer>(*connection_, table_, *buffers_, loadTableName(),
                                                 rowsPerBatch_, std::move(insertColumns));
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

LoadJob::Outcome LoadJob::complete() {
    const std::int64_t totalRows = rowTransfer_->rowsProcessed();
    rowTransfer_.reset();
    createText_.clear();
    connection_.reset();
    table_.close();
    deleteWorkingCopy();
    // The committed rows' cuts are told whichever ending wins below.
    reportCutValues();
    buffers_.reset();
    // A stop that came after the job's last test of the flag has ended the load already and
    // told the user so; a line saying it completed would contradict it.
    if (!claimLoadEnding())
        return Outcome::Stopped;
    LoadStatus::statusText =
        "Loading completed. " + std::to_string(totalRows) + " records processed.";
    reportProgress(100);
    sendStatusLine();
    return Outcome::Completed;
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
    undoReplacement();
    LoadStatus::statusText = failureText_;
    showLoadMessage(LoadStatus::statusText.c_str());
    if (table_.isOpen())
        table_.close();
    deleteWorkingCopy();
    reportCutValues();
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
    // The dialog has written its own line; the job ends without a word of its own, but for
    // what became of a table it was to replace and, when committed rows lost characters, how
    // many.
    rollBackOpenTransaction();
    undoReplacement();
    rowTransfer_.reset();
    connection_.reset();
    table_.close();
    deleteWorkingCopy();
    reportCutValues();
    buffers_.reset();
}

void LoadJob::reportCutValues() {
    // A replacement that did not complete took its rows with the new table it dropped.
    const bool rowsKept = end_ == End::None || !replacing() || oldTableDropped_;
    if (buffers_ == nullptr || !rowsKept)
        return;
    const std::string nulled = nulledValuesLine(columns_, buffers_->committedNulls());
    if (!nulled.empty())
        reportStatus(nulled);
    const std::string line = cutValuesLine(columns_, buffers_->committedCuts());
    if (!line.empty())
        reportStatus(line);
    const std::string undefined =
        undefinedBytesLine(columns_, buffers_->committedUndefinedBytes(), converter_->codePage());
    if (!undefined.empty())
        reportStatus(undefined);
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
        reportStatus("Cannot delete copy of file " + platform::utf8FromLocal(workingCopyName_));
    workingCopyName_.clear();
}

std::int64_t LoadJob::rowsInNamedTable(bool completed) const {
    if (rowTransfer_ == nullptr)
        return 0;
    if (completed)
        return rowTransfer_->rowsProcessed();
    // A replacement that did not complete leaves the named table as it was.
    return replacing() ? 0 : rowTransfer_->committedRows();
}

LoadJob::Take LoadJob::takeExistingTable() {
    const std::string& name = params_.tableName;
    auto target = std::make_unique<TableTarget>(*connection_, name, params_.options.typedColumns);
    try {
        // An index or a package of the name is no table to take: the check goes on as usual.
        if (!target->findTable())
            return Take::NoTable;
        if (params_.options.existingTable == ExistingTable::Append) {
            reportStatus("Table " + name + " exists; appending to it.");
        } else if (target->chooseTemporaryName()) {
            reportStatus("Table " + name + " exists; loading into " + target->temporaryName() +
                         " to replace it.");
        } else {
            fail("No free name for a new table beside " + name + ".");
            end_ = End::FailedAfterTableCheck;
            return Take::Failed;
        }
    } catch (const DBStmt::OtherException&) {
        fail(target->errorText());
        end_ = End::FailedAfterTableCheck;
        return Take::Failed;
    }
    existingTable_ = std::move(target);
    return Take::Taken;
}

bool LoadJob::matchExistingColumns() {
    const std::string difference = columnDifference(existingTable_->columns(), columns_);
    if (difference.empty()) {
        // Numbers are rounded and checked as the columns they go into keep them.
        takeNumberColumnsOf(existingTable_->columns(), columns_);
        return true;
    }
    return fail("Cannot append to table " + params_.tableName + ": " + difference + ".");
}

bool LoadJob::replaceOldTable() {
    if (!replacing())
        return true;
    const std::string& name = params_.tableName;
    const std::string& temporary = existingTable_->temporaryName();
    switch (existingTable_->replaceWithTemporary()) {
    case TableTarget::Swap::Done:
        temporaryTableMade_ = false;
        reportStatus("Table " + name + " replaced: old table dropped, " + temporary +
                     " renamed to " + name + ".");
        return true;
    case TableTarget::Swap::DropFailed:
        return fail("Cannot drop old table " + name + ".\n" + existingTable_->errorText());
    default:
        oldTableDropped_ = true;
        return fail("Cannot rename " + temporary + " to " + name +
                    ": the old table is dropped and the new rows are in " + temporary + ".\n" +
                    existingTable_->errorText());
    }
}

void LoadJob::undoReplacement() {
    if (!replacing() || oldTableDropped_)
        return;
    const std::string line = "Table " + params_.tableName + " left as it was";
    if (!temporaryTableMade_)
        return reportStatus(line + ".");
    temporaryTableMade_ = false;
    const std::string& temporary = existingTable_->temporaryName();
    try {
        existingTable_->dropTemporary();
        reportStatus(line + "; " + temporary + " dropped.");
    } catch (const DBStmt::OtherException&) {
        reportStatus(line + "; cannot drop " + temporary + ".\n" + existingTable_->errorText());
    }
}

const std::string& LoadJob::loadTableName() const {
    return replacing() ? existingTable_->temporaryName() : params_.tableName;
}

bool LoadJob::replacing() const {
    return existingTable_ != nullptr && params_.options.existingTable == ExistingTable::Replace;
}

bool LoadJob::stoppedByBreak() const {
    return LoadStatus::loadActive.load() == 0 && connection_ != nullptr &&
           connection_->wasInterrupted();
}
