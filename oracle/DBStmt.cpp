// SQL statements on a connection: prepare, bind, define, execute, commit and rollback.
#include "oracle/DBStmt.h"

#include <cstring>

using namespace oci;

namespace {

// Oracle warnings an execution may end with and still count as done.
constexpr int kSuccessWithCompilationError = 24344;
constexpr int kTruncationOrNullFetch = 24345;
constexpr int kNullColumnInAggregate = 24347;

ub2 externalType(DBStmt::BindType type) {
    switch (type) {
    case DBStmt::BindType::Integer:
        return SQLT_INT;
    case DBStmt::BindType::Number:
        return SQLT_VNU;
    case DBStmt::BindType::Date:
        return SQLT_DAT;
    case DBStmt::BindType::Double:
        return SQLT_BDOUBLE;
    case DBStmt::BindType::Bytes:
        return SQLT_BIN;
    default:
        return SQLT_CHR;
    }
}

// The largest value a whole-value bind declares: an sb4's, Oracle's limit of a LOB's data
// through the data interface.
constexpr sb4 kLargestWholeValue = 0x7FFFFFFF;

// The in-bind callback of bindWholeValuesByPos(): row `iter` (from 0), whole. It runs inside
// the client's execution, so it only looks values up; a row it was not given aborts the
// execution rather than hand over bytes that are not there.
sb4 supplyWholeValue(void* context, OCIBind*, ub4 iter, ub4, void** bufpp, ub4* alenp, ub1* piecep,
                     void** indpp) {
    const auto& values = *static_cast<const DBStmt::WholeValues*>(context);
    if (iter >= values.rows)
        return OCI_ERROR;
    const unsigned length = values.lengths[iter];
    *bufpp = length > 0 ? const_cast<char*>(values.bytes + values.offsets[iter]) : nullptr;
    *alenp = length;
    *piecep = OCI_ONE_PIECE;
    *indpp = &values.indicators[iter];
    return OCI_CONTINUE;
}

} // namespace

DBStmt::DBStmt(DBConnect* connection, const char* sqlText) : connection_(connection) {
    if (connection->environment_ == nullptr) {
        diagnostics_.setLibraryMissing();
        throw OtherException();
    }
    environment_ = connection->environment_;
    prepare(sqlText);
    connection->statements_.insert(this);
}

void DBStmt::prepare(const char* sqlText) {
    const auto* text = reinterpret_cast<const OraText*>(sqlText);
    const auto length = static_cast<ub4>(std::strlen(sqlText));
    if (api().OCIStmtPrepare2 == nullptr) {
        // Not checked: preparing is local, and a bad text fails at its first execution.
        statement_ = static_cast<OCIStmt*>(environment_->allocate(OCI_HTYPE_STMT));
        api().OCIStmtPrepare(statement_, errorHandle(), text, length, OCI_NTV_SYNTAX, OCI_DEFAULT);
        return;
    }
    // Oracle's newer clients keep only this way; the statement is the client's, on the
    // connection's service context.
    preparedByTheClient_ = true;
    const sword status =
        api().OCIStmtPrepare2(connection_->serviceContext(), &statement_, errorHandle(), text,
                              length, nullptr, 0, OCI_NTV_SYNTAX, OCI_DEFAULT);
    // The failure is the connection's to tell: the caller gets no statement to ask.
    const OciDiagnostics::Outcome outcome = connection_->judgeCall(status, "OCIStmtPrepare2");
    if (outcome == OciDiagnostics::Outcome::Failure) {
        releaseHandle();
        throw OtherException();
    }
    // A statement prepared with a warning is prepared; the warning is no later call's error.
    if (outcome == OciDiagnostics::Outcome::Warning)
        connection_->resetErrorHandle();
}

DBStmt::~DBStmt() {
    if (connection_ == nullptr)
        return;
    releaseHandle();
    connection_->statements_.erase(this);
}

void DBStmt::releaseHandle() {
    if (statement_ != nullptr) {
        if (preparedByTheClient_)
            api().OCIStmtRelease(statement_, errorHandle(), nullptr, 0, OCI_DEFAULT);
        else
            api().OCIHandleFree(statement_, OCI_HTYPE_STMT);
    }
    statement_ = nullptr;
    binds_.clear();
    defines_.clear();
}

void DBStmt::check(sword status, const char* callName) {
    if (diagnostics_.judge(status, callName, &api(), errorHandle()) !=
        OciDiagnostics::Outcome::Success) {
        noteFailure();
        throw OtherException();
    }
}

void DBStmt::noteFailure() {
    connection_->noteFailedCall(diagnostics_);
}

void DBStmt::bindByPos(int position, void* buffer, int width, unsigned short* actualLengths) {
    bindByPos(position, buffer, width, BindType::Text, nullptr, actualLengths);
}

void DBStmt::bindByPos(int position, void* buffer, int width, BindType type, short* indicators,
                       unsigned short* actualLengths) {
    OCIBind*& bind = binds_[position];
    check(api().OCIBindByPos(statement_, &bind, errorHandle(), static_cast<ub4>(position), buffer,
                             width, externalType(type), indicators, actualLengths, nullptr, 0,
                             nullptr, OCI_DEFAULT),
          "OCIBindByPos");
}

void DBStmt::bindWholeValuesByPos(int position, BindType type, const WholeValues& values) {
    OCIBind*& bind = binds_[position];
    WholeValues& source = wholeValues_[position];
    source = values;
    check(api().OCIBindByPos(statement_, &bind, errorHandle(), static_cast<ub4>(position), nullptr,
                             kLargestWholeValue, externalType(type), nullptr, nullptr, nullptr, 0,
                             nullptr, OCI_DATA_AT_EXEC),
          "OCIBindByPos");
    // An INSERT returns nothing through its binds: no out-bind callback.
    check(api().OCIBindDynamic(bind, errorHandle(), &source, supplyWholeValue, nullptr, nullptr),
          "OCIBindDynamic");
}

void DBStmt::defineByPos(int position, int* target, short* indicator) {
    define(position, target, sizeof(int), SQLT_INT, indicator);
}

void DBStmt::defineText(int position, char* buffer, int bytes, short* indicator) {
    define(position, buffer, bytes, SQLT_STR, indicator);
}

void DBStmt::define(int position, void* target, int bytes, ub2 type, short* indicator) {
    OCIDefine* define = nullptr;
    check(api().OCIDefineByPos(statement_, &define, errorHandle(), static_cast<ub4>(position),
                               target, bytes, type, indicator, nullptr, nullptr, OCI_DEFAULT),
          "OCIDefineByPos");
    defines_.push_back(define);
}

sword DBStmt::executeOnce(ub4 iterations) {
    return api().OCIStmtExecute(connection_->serviceContext(), statement_, errorHandle(),
                                iterations, 0, nullptr, nullptr, OCI_DEFAULT);
}

void DBStmt::judgeExecution(sword status, bool acceptNullInAggregate) {
    OciDiagnostics::Outcome outcome =
        diagnostics_.judge(status, "OCIStmtExecute", &api(), errorHandle());
    if (outcome == OciDiagnostics::Outcome::Success)
        return;
    if (outcome == OciDiagnostics::Outcome::Warning) {
        int warning = diagnostics_.lastError();
        if (warning == kSuccessWithCompilationError || warning == kTruncationOrNullFetch ||
            (acceptNullInAggregate && warning == kNullColumnInAggregate)) {
            // A fresh handle, so that the accepted warning is not read as the next error.
            connection_->resetErrorHandle();
            return;
        }
    }
    noteFailure();
    throw OtherException();
}

void DBStmt::execute() {
    judgeExecution(executeOnce(1), false);
}

bool DBStmt::executeQuery() {
    const sword status = executeOnce(1);
    if (status == OCI_NO_DATA) {
        // "No data found" is an answer, not an error the next failure should show.
        connection_->resetErrorHandle();
        return false;
    }
    judgeExecution(status, false);
    return true;
}

void DBStmt::executeArray(int rows) {
    judgeExecution(executeOnce(static_cast<ub4>(rows)), true);
}

void DBStmt::commit() {
    check(api().OCITransCommit(connection_->serviceContext(), errorHandle(), OCI_DEFAULT),
          "OCITransCommit");
}

void DBStmt::rollback() {
    check(api().OCITransRollback(connection_->serviceContext(), errorHandle(), OCI_DEFAULT),
          "OCITransRollback");
}

const char* DBStmt::errorText() {
    return diagnostics_.text(&api(), errorHandle());
}

int DBStmt::errorCode() {
    return diagnostics_.code(&api(), errorHandle());
}
