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

} // namespace

DBStmt::DBStmt(DBConnect* connection, const char* sqlText) : connection_(connection) {
    if (connection->environment_ == nullptr) {
        diagnostics_.setLibraryMissing();
        throw OtherException();
    }
    environment_ = connection->environment_;
    statement_ = decltype(statement_)(*environment_);
    // Not checked: preparing is local, and a bad text fails at its first execution.
    api().OCIStmtPrepare(statement_.get(), errorHandle(), reinterpret_cast<const OraText*>(sqlText),
                         static_cast<ub4>(std::strlen(sqlText)), OCI_NTV_SYNTAX, OCI_DEFAULT);
}

DBStmt::~DBStmt() {
    statement_.reset();
    binds_.clear();
    defines_.clear();
}

void DBStmt::check(sword status, const char* callName) {
    if (diagnostics_.judge(status, callName, &api(), errorHandle()) !=
        OciDiagnostics::Outcome::Success)
        throw OtherException();
}

void DBStmt::bindByPos(int position, void* buffer, int width, unsigned short* actualLengths) {
    bindByPos(position, buffer, width, BindType::Text, nullptr, actualLengths);
}

void DBStmt::bindByPos(int position, void* buffer, int width, BindType type, short* indicators,
                       unsigned short* actualLengths) {
    OCIBind*& bind = binds_[position];
    check(api().OCIBindByPos(statement_.get(), &bind, errorHandle(), static_cast<ub4>(position),
                             buffer, width, externalType(type), indicators, actualLengths, nullptr,
                             0, nullptr, OCI_DEFAULT),
          "OCIBindByPos");
}

void DBStmt::bindLongByPos(int position, void* buffer, std::int64_t elementBytes, BindType type,
                           short* indicators, unsigned* lengths, unsigned short* shortLengths) {
    if (!bindsLongValues()) {
        bindByPos(position, buffer, static_cast<int>(elementBytes), type, indicators, shortLengths);
        return;
    }
    OCIBind*& bind = binds_[position];
    check(api().OCIBindByPos2(statement_.get(), &bind, errorHandle(), static_cast<ub4>(position),
                              buffer, elementBytes, externalType(type), indicators, lengths,
                              nullptr, 0, nullptr, OCI_DEFAULT),
          "OCIBindByPos2");
}

void DBStmt::defineByPos(int position, int* target, short* indicator) {
    define(position, target, sizeof(int), SQLT_INT, indicator);
}

void DBStmt::defineText(int position, char* buffer, int bytes, short* indicator) {
    define(position, buffer, bytes, SQLT_STR, indicator);
}

void DBStmt::define(int position, void* target, int bytes, ub2 type, short* indicator) {
    OCIDefine* define = nullptr;
    check(api().OCIDefineByPos(statement_.get(), &define, errorHandle(), static_cast<ub4>(position),
                               target, bytes, type, indicator, nullptr, nullptr, OCI_DEFAULT),
          "OCIDefineByPos");
    defines_.push_back(define);
}

sword DBStmt::executeOnce(ub4 iterations) {
    return api().OCIStmtExecute(connection_->serviceContext_.get(), statement_.get(), errorHandle(),
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
    check(api().OCITransCommit(connection_->serviceContext_.get(), errorHandle(), OCI_DEFAULT),
          "OCITransCommit");
}

void DBStmt::rollback() {
    check(api().OCITransRollback(connection_->serviceContext_.get(), errorHandle(), OCI_DEFAULT),
          "OCITransRollback");
}

const char* DBStmt::errorText() {
    return diagnostics_.text(&api(), errorHandle());
}

int DBStmt::errorCode() {
    return diagnostics_.code(&api(), errorHandle());
}
