// The road of one load: header check, connection, table check, open, create, transfer.
#include "load/LoadJob.h"

#include "dbf/DbfHeader.h"
#include "load/ColumnNames.h"
#include "load/EndingLines.h"
#include "load/FixedTexts.h"
#include "load/ResumePoint.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <exception>
#include <new>

namespace {

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

// The logon refusals: a wrong or missing password, a locked or expired account, a user who
// may not log on. Each one counts towards the account's lock (after ten, by Oracle's default
// profile), and every later logon of the run would be refused alike.
bool refusesTheLogon(int oracleError) {
    constexpr int kRefusals[] = {
        1004,  // default username feature not supported; logon denied
        1005,  // null password given; logon denied
        1017,  // invalid username/password; logon denied
        1035,  // ORACLE only available to users with RESTRICTED SESSION privilege
        1045,  // user lacks CREATE SESSION privilege; logon denied
        28000, // the account is locked
        28001, // the password has expired
        28009, // connection as SYS should be as SYSDBA or SYSOPER
        28030, // server encountered problems accessing LDAP directory service
        28040, // no matching authentication protocol
        28273, // no mapping for user nickname to LDAP distinguished name exists
    };
    return std::find(std::begin(kRefusals), std::end(kRefusals), oracleError) !=
           std::end(kRefusals);
}

// The code a connection reports when the client library could not be loaded.
constexpr int kClientMissing = -1;

} // namespace

LoadJob::Result LoadJob::run(const LoadRequest& request, const LoadReporter& reporter,
                             LoadStop& stop) {
    Result result;
    try {
        LoadJob job(request, reporter, stop);
        result.outcome = job.runStages();
        result.rowsLoaded = job.rowsLoaded_;
        result.tableExisted = job.existingTable_ != nullptr;
        result.tableComplete = job.resumePoint_ != nullptr && job.resumePoint_->tableComplete();
        result.refusal = job.refusal_;
        if (job.refusal_ != Refusal::None)
            result.refusalText = job.failureText_;
    } catch (...) {
        // Only an ending that failed itself gets here: the dialog must not wait for a line
        // that will never come.
        stop.clear();
    }
    return result;
}

LoadJob::LoadJob(const LoadRequest& request, const LoadReporter& reporter, LoadStop& stop)
    : params_(request), reporter_(reporter), stop_(stop) {}

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
        reportStatus(fixed_text::kStartLoading);
        // A stop is honoured between any two stages, so that nothing is made after it; the
        // row transfer looks for one itself.
        completed = prepareWorkFile() && goingOn() && checkTableFile() && goingOn() && connect() &&
                    goingOn() && ensureTableFree() && goingOn() && openTable() && goingOn() &&
                    createTable() && transferRows() && goingOn() && replaceOldTable();
    } catch (const std::bad_alloc&) {
        fail("Not enough memory to load this file.");
    } catch (const DBStmt::OtherException&) {
        // A statement Oracle refused to prepare: the connection holds what it said.
        fail(oracleFailureText());
    } catch (const DBConnect::OtherException&) {
        fail(oracleFailureText());
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
    // A call the user cancelled fails; the load still ends as a stopped one.
    if (end_ != End::RepairFailed && cancelledByUser())
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

bool LoadJob::goingOn() {
    if (!stop_.requested())
        return true;
    end_ = End::Stopped;
    return false;
}

bool LoadJob::prepareWorkFile() {
    workFile_ = params_.fileName;
    return checkDbfHeader(workFile_.c_str()) || makeWorkingCopy();
}

bool LoadJob::makeWorkingCopy() {
    // A large table takes a while to copy: a stop must not wait for its end.
    switch (workingCopy_.make(params_.fileName, [this] { return stop_.requested(); })) {
    case WorkingCopy::Outcome::Made:
        workFile_ = workingCopy_.name();
        return true;
    case WorkingCopy::Outcome::Stopped:
        end_ = End::Stopped;
        return false;
    case WorkingCopy::Outcome::RepairFailed:
        end_ = End::RepairFailed;
        return false;
    default:
        return fail(workingCopy_.failureText());
    }
}

bool LoadJob::checkTableFile() {
    // One look before connecting, so that a table the load could not carry whole ends before
    // a session or a new table is made for it. The dialog leaves a file that cannot be opened
    // at all to the open stage, in its order of stages; marlin-load says so before it logs on.
    DbfTable table;
    if (!table.open(workFile_.c_str(), params_.fileName.c_str()))
        return (table.openFailure() != DbfTable::OpenFailure::HeaderDoesNotAddUp &&
                !params_.options.commandLine) ||
               fail(table.openFailureText());
    // Memos whose file is missing would load as blanks: the data would be gone without a word.
    if (table.memoFile().isOpen() || !table.holdsMemoPointer())
        return true;
    return fail(platform::utf8FromLocal(table.memoFile().problemText()));
}

bool LoadJob::connect() {
    reportStatus(fixed_text::kConnecting);
    connection_ = std::make_unique<DBConnect>();
    try {
        connection_->connect(params_.userName.c_str(), params_.password.c_str(),
                             params_.database.c_str());
    } catch (const DBConnect::OtherException&) {
        fail(connection_->errorText());
        judgeConnectFailure();
        return false;
    }
    reportStatus(fixed_text::kConnected);
    if (!connection_->logonWarning().empty())
        reportStatus(connection_->logonWarning());
    return true;
}

void LoadJob::judgeConnectFailure() {
    const int code = connection_->errorCode();
    if (code == kClientMissing)
        refusal_ = Refusal::Client;
    else if (refusesTheLogon(code))
        refusal_ = Refusal::Logon;
}

bool LoadJob::ensureTableFree() {
    dictionary_ = std::make_unique<TableDictionary>(*connection_);
    int objectCount = 0;
    try {
        objectCount = dictionary_->countObjects(params_.tableName);
    } catch (const DBStmt::OtherException&) {
        fail(dictionary_->errorText());
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
    fail(tableExistsText());
    end_ = End::FailedAfterTableCheck;
    return false;
}

std::string LoadJob::tableExistsText() const {
    const std::string text = fixed_text::kObjectExists;
    // marlin-load's user may take the table as it is instead; with --replace or --append
    // given, the object is no table, and only another name helps.
    if (!params_.options.commandLine || params_.options.existingTable != ExistingTable::Refuse)
        return text;
    return text + "\n--replace replaces it, --append adds the rows to it, --table loads them into "
                  "another table.";
}

bool LoadJob::openTable() {
    reportStatus(fixed_text::kOpenFile);
    // A repaired working copy has no memo file of its own: the memos stay beside the original.
    table_.open(workFile_.c_str(), params_.fileName.c_str());
    if (!table_.isOpen())
        return fail(table_.openFailureText());
    reportStatus(std::to_string(table_.recordCount()) + fixed_text::kRowsInFile);
    recordCountLine_ = recordCountLine(table_.declaredRecordCount(), table_.wholeRecordsInFile());
    plan_ = planLoad(table_, params_.options);
    const std::string unknownCodePage = unknownCodePageFileLine(table_, plan_.codePage);
    if (!unknownCodePage.empty())
        reportStatus(unknownCodePage);
    if (!plan_.converter)
        return fail("Cannot convert the file's text: this system cannot decode its code page.");
    if (plan_.columns.empty())
        return fail("Cannot load a file without fields.");
    if (!checkFieldNames())
        return false;
    // Fields of length 0 give a width of 0; Oracle refuses such a table at its creation.
    rowsPerBatch_ = kBatchBudgetBytes / std::max(1, recordWidthOf(plan_.columns));
    return true;
}

bool LoadJob::checkFieldNames() {
    // Names go into the SQL text unquoted: a blank, a comma or a parenthesis would change the
    // statement. Names Oracle alone refuses (a reserved word, a leading digit) are left to its
    // error, which names the problem.
    if (params_.options.fixNames)
        return true;
    for (const Column& column : plan_.columns)
        if (!holdsOnlyNameCharacters(column.name))
            return fail("Field " + quotedName(column.name) +
                        " cannot name a column: an unquoted name holds only letters, digits, _, "
                        "$ and #.\n" +
                        kFixNamesHint);
    return true;
}

bool LoadJob::createTable() {
    if (existingTable_ != nullptr && !replacing())
        return matchExistingColumns() && placeResumePoint() && makeBuffers();
    createText_ = createTableText(loadTableName(), plan_.columns);
    createStatement_ = std::make_unique<DBStmt>(connection_.get(), createText_.c_str());
    try {
        createStatement_->execute();
    } catch (const DBStmt::OtherException&) {
        return fail(createFailureText(*createStatement_));
    }
    temporaryTableMade_ = replacing();
    return makeBuffers();
}

bool LoadJob::placeResumePoint() {
    if (params_.options.existingTable != ExistingTable::Resume)
        return true;
    resumePoint_ = std::make_unique<ResumePoint>(
        findResumePoint(table_, existingTable_->countRows(), params_.options.skipDeleted));
    if (resumePoint_->tooManyRows())
        return fail(tooManyRowsText(params_.tableName, *resumePoint_, params_.options.skipDeleted));
    if (!resumePoint_->tableComplete())
        reportStatus(resumeLine(params_.tableName, *resumePoint_));
    return true;
}

bool LoadJob::makeBuffers() {
    buffers_ = std::make_unique<BatchBuffers>(plan_.columns, rowsPerBatch_, *plan_.converter);
    return true;
}

std::string LoadJob::createFailureText(DBStmt& statement) const {
    std::string text = std::string(fixed_text::kCreateFailed) + "\n";
    text += statement.errorText();
    const int code = statement.errorCode();
    if (code == kInvalidIdentifier || code == kReservedWord)
        text += fixed_text::kReservedWord;
    // The command line can rename what Oracle refuses; the dialog's users may use it too.
    if (!params_.options.fixNames && refusesAName(code) &&
        someNameNeedsFixing(columnNamesOf(plan_.columns))) {
        if (text.back() != '\n')
            text += '\n';
        text += kFixNamesHint;
    }
    return text;
}

bool LoadJob::transferRows() {
    // A table that holds every record already is left as it is.
    if (resumePoint_ != nullptr && resumePoint_->tableComplete())
        return true;
    reportStatus(fixed_text::kImporting + loadTableName() + "..");
    std::vector<std::string> insertColumns;
    // A typed table names its columns in the INSERT: its CLOB and BLOB binds come last.
    if (plan_.typed)
        for (std::size_t column : buffers_->bindOrder())
            insertColumns.push_back(plan_.columns[column].name);
    rowTransfer_ = std::make_unique<RowTransfer>(
        *connection_, table_, *buffers_, loadTableName(), rowsPerBatch_, reporter_, stop_,
        std::move(insertColumns), params_.options.skipDeleted);
    if (resumePoint_ != nullptr)
        rowTransfer_->resumeAt(resumePoint_->firstRecord, resumePoint_->rowsInTable);
    // Only a table this load made, or resumes, can be resumed: its rows are the file's.
    if (params_.options.commandLine && (existingTable_ == nullptr || resumePoint_ != nullptr))
        rowTransfer_->adviseResume();
    const RowTransfer::Outcome outcome = rowTransfer_->run();
    // Told at the end, after the transfer and its statements are gone.
    deletedRowsLoaded_ = rowTransfer_->committedDeletedRows();
    deletedRecordsSkipped_ = rowTransfer_->skippedDeletedRecords();
    switch (outcome) {
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
    if (rowTransfer_ == nullptr)
        return completeTable();
    const std::int64_t totalRows = rowTransfer_->rowsBefore() + rowTransfer_->rowsProcessed();
    rowTransfer_.reset();
    createText_.clear();
    connection_.reset();
    table_.close();
    workingCopy_.remove();
    // What the committed rows lost is told whichever ending wins below.
    reportEndingLines();
    buffers_.reset();
    // A stop that came after the job's last test of the flag has ended the load already and
    // told the user so; a line saying it completed would contradict it.
    if (!stop_.claimEnding())
        return Outcome::Stopped;
    reporter_.showProgress(100);
    reportStatus(fixed_text::kCompleted + std::to_string(totalRows) +
                 fixed_text::kRecordsProcessed);
    return Outcome::Completed;
}

LoadJob::Outcome LoadJob::completeTable() {
    connection_.reset();
    table_.close();
    workingCopy_.remove();
    reportEndingLines();
    if (!stop_.claimEnding())
        return Outcome::Stopped;
    reporter_.showProgress(100);
    reportStatus(completeTableLine(params_.tableName, *resumePoint_));
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
    reporter_.showMessage(failureText_);
    if (table_.isOpen())
        table_.close();
    workingCopy_.remove();
    reportEndingLines();
    // After the table check the dialog returns to idle only once the session has ended.
    if (end_ == End::FailedAfterTableCheck)
        connection_.reset();
    stop_.clear();
    reportStatus(failureText_);
    connection_.reset();
}

void LoadJob::endAfterRepairFailure() {
    // No message box here; the copy that could not be repaired stays for the user to see.
    stop_.clear();
    reportStatus(fixed_text::kRepairFailed);
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
    workingCopy_.remove();
    reportEndingLines();
    buffers_.reset();
}

void LoadJob::reportEndingLines() {
    // A replacement that did not complete took its rows with the new table it dropped.
    const bool rowsKept = end_ == End::None || !replacing() || swapUnfinished_;
    if (buffers_ != nullptr && rowsKept) {
        reportLine(nulledValuesLine(plan_.columns, buffers_->committedNulls()));
        reportLine(cutValuesLine(plan_.columns, buffers_->committedCuts()));
        reportLine(undefinedBytesLine(plan_.columns, buffers_->committedUndefinedBytes(),
                                      plan_.converter->codePage()));
        reportLine(damagedMemosLine(plan_.columns, buffers_->committedDamagedMemos()));
        reportLine(deletedRecordsLine(deletedRowsLoaded_));
        reportLine(skippedRecordsLine(deletedRecordsSkipped_));
    }
    // What the file holds is so whatever became of the rows.
    reportLine(recordCountLine_);
}

void LoadJob::reportStatus(const std::string& line) {
    reporter_.status(line);
}

void LoadJob::reportLine(const std::string& line) {
    if (!line.empty())
        reportStatus(line);
}

void LoadJob::rollBackOpenTransaction() {
    if (rowTransfer_ == nullptr)
        return;
    // A session found gone is never used again: the server has rolled it back.
    if (connection_->sessionLoss() != oci::SessionLoss::None)
        return connection_->abandonSession();
    // The failure being reported already says what went wrong with the connection. Ending
    // the session now would commit what a failed rollback left; a session that goes away
    // without its end is rolled back by the server.
    if (!rowTransfer_->rollBackOpenBatch())
        connection_->abandonSession();
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
        const TableTarget::Object object = target->findObject();
        if (object != TableTarget::Object::Table && object != TableTarget::Object::Other) {
            refuseOtherObject(object);
            return Take::Failed;
        }
        // An index or a package of the name is no table to take: the check goes on as usual.
        if (object == TableTarget::Object::Other || !target->findTable())
            return Take::NoTable;
        if (params_.options.existingTable == ExistingTable::Append) {
            reportStatus("Table " + name + " exists; appending to it.");
        } else if (params_.options.existingTable == ExistingTable::Resume) {
            reportStatus("Table " + name + " exists; resuming the load into it.");
        } else if (target->chooseTemporaryNames()) {
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
    reportNamesInUse();
    return Take::Taken;
}

void LoadJob::refuseOtherObject(TableTarget::Object object) {
    // Its rows would all go in before the swap or the append found it no table.
    const char* what = object == TableTarget::Object::View      ? "a view"
                       : object == TableTarget::Object::Synonym ? "a synonym"
                                                                : "a materialized view";
    fail(takingVerb() + " " + params_.tableName + ": it is " + what + ", not a table.");
    end_ = End::FailedAfterTableCheck;
}

void LoadJob::reportNamesInUse() {
    // A load killed before its end leaves its tables under these names; the user must learn
    // of them to drop them.
    const std::vector<std::string>& names = existingTable_->namesInUse();
    if (names.empty())
        return;
    std::string list;
    for (const std::string& name : names)
        list += (list.empty() ? "" : ", ") + name;
    reportStatus(names.size() == 1
                     ? list + " exists already: left by a load that did not end, or in use by "
                              "one running now."
                     : list + " exist already: left by loads that did not end, or in use by "
                              "ones running now.");
}

bool LoadJob::matchExistingColumns() {
    const std::string difference = columnDifference(existingTable_->columns(), plan_.columns);
    if (difference.empty()) {
        // Numbers are rounded and checked as the columns they go into keep them.
        takeNumberColumnsOf(existingTable_->columns(), plan_.columns);
        return true;
    }
    return fail(takingVerb() + " table " + params_.tableName + ": " + difference + ".");
}

bool LoadJob::replaceOldTable() {
    if (!replacing())
        return true;
    const std::string& name = params_.tableName;
    const TableTarget::Swap swap = existingTable_->replaceWithTemporary();
    if (swap != TableTarget::Swap::Done)
        return failReplacement(swap);
    temporaryTableMade_ = false;
    reportStatus("Table " + name + " replaced: old table dropped, " +
                 existingTable_->temporaryName() + " renamed to " + name + ".");
    return true;
}

bool LoadJob::failReplacement(TableTarget::Swap swap) {
    const TableTarget& target = *existingTable_;
    const std::string& name = params_.tableName;
    const std::string& error = target.swapErrorText();
    switch (swap) {
    case TableTarget::Swap::AsideFailed:
        return fail("Cannot rename old table " + name + " to " + target.asideName() + ".\n" +
                    error);
    case TableTarget::Swap::RenameFailed:
        return fail("Cannot rename " + target.temporaryName() + " to " + name + ".\n" + error);
    case TableTarget::Swap::DropFailed:
        return fail("Cannot drop old table " + name + ".\n" + error);
    default:
        swapUnfinished_ = true;
        return fail("Cannot replace table " + name + ", nor put it back: the old table is " +
                    target.oldTableName() + " and the new rows are in " + target.newTableName() +
                    ".\n" + error);
    }
}

void LoadJob::undoReplacement() {
    if (!replacing() || swapUnfinished_)
        return;
    const std::string line = "Table " + params_.tableName + " left as it was";
    if (!temporaryTableMade_)
        return reportStatus(line + ".");
    temporaryTableMade_ = false;
    const std::string& temporary = existingTable_->temporaryName();
    // A session found gone is never used again; what it said is the reason.
    if (connection_->sessionLoss() != oci::SessionLoss::None)
        return reportStatus(line + "; cannot drop " + temporary + ".\n" +
                            connection_->sessionLossText());
    try {
        existingTable_->dropTemporary();
        reportStatus(line + "; " + temporary + " dropped.");
    } catch (const DBStmt::OtherException&) {
        reportStatus(line + "; cannot drop " + temporary + ".\n" + existingTable_->errorText());
    }
}

std::string LoadJob::takingVerb() const {
    switch (params_.options.existingTable) {
    case ExistingTable::Append:
        return "Cannot append to";
    case ExistingTable::Resume:
        return "Cannot resume the load into";
    default:
        return "Cannot replace";
    }
}

const std::string& LoadJob::loadTableName() const {
    return replacing() ? existingTable_->temporaryName() : params_.tableName;
}

bool LoadJob::replacing() const {
    return existingTable_ != nullptr && params_.options.existingTable == ExistingTable::Replace;
}

bool LoadJob::cancelledByUser() {
    if (connection_ == nullptr)
        return false;
    if (stop_.requested())
        return connection_->wasInterrupted() || connection_->callWasCancelled();
    if (!connection_->callWasCancelled())
        return false;
    // Nobody asked the job to stop, yet the user cancelled a call: the Ctrl+C that Oracle's
    // client takes for itself on Linux. The job says what a stop asked of it would have.
    if (stop_.claimEnding())
        reportStatus(fixed_text::kStopped);
    return true;
}

std::string LoadJob::oracleFailureText() const {
    return connection_ != nullptr ? connection_->errorText() : fixed_text::kClientMissing;
}
