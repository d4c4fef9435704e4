// The exported OCI entry points of statements: prepare, bind, define, execute, the two ends of
// a transaction, and the break of a call in progress.
#include "OciCall.h"

#include <cstring>
#include <string>

using namespace standin;

STANDIN_EXPORT sword OCIStmtPrepare(OCIStmt* stmtp, OCIError* errhp, const OraText* stmt,
                                    ub4 stmt_len, ub4 language, ub4 mode) {
    Call call("OCIStmtPrepare", language, mode);
    auto* statement = call.find<StatementHandle>(stmtp, OCI_HTYPE_STMT);
    if (statement == nullptr || call.find(errhp, OCI_HTYPE_ERROR) == nullptr)
        return OCI_INVALID_HANDLE;
    // Preparing is local: the text is only kept, and judged at execution.
    statement->text = textOf(stmt, stmt_len);
    statement->prepared = true;
    statement->binds.clear();
    statement->defines.clear();
    return OCI_SUCCESS;
}

namespace {

// OCIBindByPos and OCIBindByPos2 alike: the element size and the length array are the wider
// ones of the second.
sword bindByPosition(Call& call, OCIStmt* stmtp, OCIBind** bindp, OCIError* errhp, ub4 position,
                     void* valuep, sb8 value_sz, ub2 dty, void* indp, ub2* alenp, ub4* longAlenp) {
    auto* statement = call.find<StatementHandle>(stmtp, OCI_HTYPE_STMT);
    Handle* errors = call.find(errhp, OCI_HTYPE_ERROR);
    if (statement == nullptr || errors == nullptr || bindp == nullptr)
        return OCI_INVALID_HANDLE;
    if (position == 0)
        return fail(*errors, 1036);
    if (value_sz < 0)
        return fail(*errors, 1459);
    auto* bind = call.find<BindHandle>(*bindp, OCI_HTYPE_BIND);
    if (bind == nullptr)
        bind = static_cast<BindHandle*>(call.handles().create(OCI_HTYPE_BIND, statement));
    bind->position = position;
    bind->value = static_cast<const char*>(valuep);
    bind->valueSize = value_sz;
    bind->dataType = dty;
    bind->indicators = static_cast<const sb2*>(indp);
    bind->lengths = alenp;
    bind->longLengths = longAlenp;
    statement->binds[position] = bind;
    *bindp = reinterpret_cast<OCIBind*>(bind);
    return OCI_SUCCESS;
}

} // namespace

STANDIN_EXPORT sword OCIBindByPos(OCIStmt* stmtp, OCIBind** bindp, OCIError* errhp, ub4 position,
                                  void* valuep, sb4 value_sz, ub2 dty, void* indp, ub2* alenp, ub2*,
                                  ub4, ub4*, ub4 mode) {
    Call call("OCIBindByPos", position, mode);
    return bindByPosition(call, stmtp, bindp, errhp, position, valuep, value_sz, dty, indp, alenp,
                          nullptr);
}

#if !defined(STANDIN_WITHOUT_BIND2)
STANDIN_EXPORT sword OCIBindByPos2(OCIStmt* stmtp, OCIBind** bindp, OCIError* errhp, ub4 position,
                                   void* valuep, sb8 value_sz, ub2 dty, void* indp, ub4* alenp,
                                   ub2*, ub4, ub4*, ub4 mode) {
    Call call("OCIBindByPos2", position, mode);
    return bindByPosition(call, stmtp, bindp, errhp, position, valuep, value_sz, dty, indp, nullptr,
                          alenp);
}
#endif

STANDIN_EXPORT sword OCIDefineByPos(OCIStmt* stmtp, OCIDefine** defnp, OCIError* errhp,
                                    ub4 position, void* valuep, sb4 value_sz, ub2 dty, void* indp,
                                    ub2* rlenp, ub2*, ub4 mode) {
    Call call("OCIDefineByPos", position, mode);
    auto* statement = call.find<StatementHandle>(stmtp, OCI_HTYPE_STMT);
    Handle* errors = call.find(errhp, OCI_HTYPE_ERROR);
    if (statement == nullptr || errors == nullptr || defnp == nullptr)
        return OCI_INVALID_HANDLE;
    if (position == 0)
        return fail(*errors, 1036);
    auto* define = call.find<DefineHandle>(*defnp, OCI_HTYPE_DEFINE);
    if (define == nullptr)
        define = static_cast<DefineHandle*>(call.handles().create(OCI_HTYPE_DEFINE, statement));
    define->position = position;
    define->value = valuep;
    define->valueSize = value_sz;
    define->dataType = dty;
    define->indicator = static_cast<sb2*>(indp);
    define->returnLength = rlenp;
    statement->defines[position] = define;
    *defnp = reinterpret_cast<OCIDefine*>(define);
    return OCI_SUCCESS;
}

STANDIN_EXPORT sword OCIStmtExecute(OCISvcCtx* svchp, OCIStmt* stmtp, OCIError* errhp, ub4 iters,
                                    ub4 rowoff, const OCISnapshot*, OCISnapshot*, ub4 mode) {
    Call call("OCIStmtExecute", iters, mode);
    auto* context = call.find<ServiceContextHandle>(svchp, OCI_HTYPE_SVCCTX);
    auto* statement = call.find<StatementHandle>(stmtp, OCI_HTYPE_STMT);
    Handle* errors = call.find(errhp, OCI_HTYPE_ERROR);
    if (context == nullptr || statement == nullptr || errors == nullptr)
        return OCI_INVALID_HANDLE;
    SessionHandle* session = nullptr;
    CallResult result = activeSession(call, *context, &session);
    if (result.status != OCI_SUCCESS)
        return finish(*errors, result);
    result = executeStatement(*session, *statement, iters, rowoff);
    if (result.blocked)
        result = call.blockUntilBreak(*session->server);
    dropSessionIfConnectionLost(call, *session, result);
    if (result.status != OCI_ERROR && (mode & OCI_COMMIT_ON_SUCCESS) != 0) {
        CallResult committed = commitTransaction(*session, false);
        if (committed.status != OCI_SUCCESS)
            result = committed;
    }
    if (result.status != OCI_ERROR && library().executeObserver != nullptr)
        library().executeObserver(iters);
    return finish(*errors, result);
}

STANDIN_EXPORT sword OCITransCommit(OCISvcCtx* svchp, OCIError* errhp, ub4 flags) {
    return endTransaction("OCITransCommit", svchp, errhp, flags,
                          [](SessionHandle& session) { return commitTransaction(session, true); });
}

#ifndef STANDIN_WITHOUT_ROLLBACK
STANDIN_EXPORT sword OCITransRollback(OCISvcCtx* svchp, OCIError* errhp, ub4 flags) {
    return endTransaction("OCITransRollback", svchp, errhp, flags, rollbackTransaction);
}
#endif

// A break with no call in progress does nothing; a call that starts later is not affected.
STANDIN_EXPORT sword OCIBreak(void* hndlp, OCIError* errhp) {
    Call call("OCIBreak");
    ServerHandle* server = call.serverOf(hndlp);
    if (server == nullptr || call.find(errhp, OCI_HTYPE_ERROR) == nullptr)
        return OCI_INVALID_HANDLE;
    ++server->breakCount;
    library().breaks.notify_all();
    return OCI_SUCCESS;
}

// Blocking calls need no reset after a break; it only checks its handles.
STANDIN_EXPORT sword OCIReset(void* hndlp, OCIError* errhp) {
    Call call("OCIReset");
    if (call.serverOf(hndlp) == nullptr || call.find(errhp, OCI_HTYPE_ERROR) == nullptr)
        return OCI_INVALID_HANDLE;
    return OCI_SUCCESS;
}
