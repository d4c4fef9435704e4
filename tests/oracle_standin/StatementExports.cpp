// The exported OCI entry points of statements: prepare, bind, define, execute, the two ends of
// a transaction, and the break of a call in progress.
#include "OciCall.h"

#include <chrono>
#include <cstring>
#include <string>

using namespace standin;

namespace {

// What OCIStmtPrepare and OCIStmtPrepare2 share: the text is only kept, and judged at
// execution, as preparing is local.
void keepText(StatementHandle& statement, const OraText* stmt, ub4 stmt_len) {
    statement.text = textOf(stmt, stmt_len);
    statement.prepared = true;
    statement.binds.clear();
    statement.defines.clear();
}

} // namespace

#if !defined(STANDIN_WITHOUT_PREPARE)
STANDIN_EXPORT sword OCIStmtPrepare(OCIStmt* stmtp, OCIError* errhp, const OraText* stmt,
                                    ub4 stmt_len, ub4 language, ub4 mode) {
    Call call("OCIStmtPrepare", language, mode);
    auto* statement = call.find<StatementHandle>(stmtp, OCI_HTYPE_STMT);
    Handle* errors = call.find(errhp, OCI_HTYPE_ERROR);
    if (statement == nullptr || errors == nullptr)
        return OCI_INVALID_HANDLE;
    if (statement->fromPrepare2)
        return fail(*errors, 24433);
    keepText(*statement, stmt, stmt_len);
    return OCI_SUCCESS;
}
#endif

#if !defined(STANDIN_WITHOUT_PREPARE2)
// The statement is made under the service context (and freed with it); it goes back through
// OCIStmtRelease. Without a key no statement cache is asked.
STANDIN_EXPORT sword OCIStmtPrepare2(OCISvcCtx* svchp, OCIStmt** stmtp, OCIError* errhp,
                                     const OraText* stmt, ub4 stmt_len, const OraText*, ub4,
                                     ub4 language, ub4 mode) {
    Call call("OCIStmtPrepare2", language, mode);
    auto* context = call.find<ServiceContextHandle>(svchp, OCI_HTYPE_SVCCTX);
    Handle* errors = call.find(errhp, OCI_HTYPE_ERROR);
    if (context == nullptr || errors == nullptr || stmtp == nullptr)
        return OCI_INVALID_HANDLE;
    std::optional<FailureRule> rule;
    if (auto* server = call.find<ServerHandle>(context->server, OCI_HTYPE_SERVER))
        rule = server->rules.count(FailurePoint::Prepare);
    if (rule && !isExecutionWarning(rule->code))
        return finish(*errors, CallResult::failure(oracleError(rule->code, rule->text)));
    auto* statement = static_cast<StatementHandle*>(call.handles().create(OCI_HTYPE_STMT, context));
    statement->fromPrepare2 = true;
    keepText(*statement, stmt, stmt_len);
    *stmtp = reinterpret_cast<OCIStmt*>(statement);
    // A warning rule prepares the statement and says so.
    if (rule)
        return finish(*errors, CallResult{OCI_SUCCESS_WITH_INFO, oracleError(rule->code)});
    return OCI_SUCCESS;
}

STANDIN_EXPORT sword OCIStmtRelease(OCIStmt* stmtp, OCIError* errhp, const OraText*, ub4,
                                    ub4 mode) {
    Call call("OCIStmtRelease", mode);
    auto* statement = call.find<StatementHandle>(stmtp, OCI_HTYPE_STMT);
    Handle* errors = call.find(errhp, OCI_HTYPE_ERROR);
    if (statement == nullptr || errors == nullptr)
        return OCI_INVALID_HANDLE;
    if (!statement->fromPrepare2)
        return fail(*errors, 24434);
    call.handles().free(statement);
    return OCI_SUCCESS;
}
#endif

namespace {

// OCIBindByPos and OCIBindByPos2 alike: the element size and the length array are the wider
// ones of the second.
sword bindByPosition(Call& call, OCIStmt* stmtp, OCIBind** bindp, OCIError* errhp, ub4 position,
                     void* valuep, sb8 value_sz, ub2 dty, void* indp, ub2* alenp, ub4* longAlenp,
                     ub4 mode) {
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
    bind->dataAtExecution = (mode & OCI_DATA_AT_EXEC) != 0;
    bind->inCallback = nullptr;
    bind->inContext = nullptr;
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
                          nullptr, mode);
}

#if !defined(STANDIN_WITHOUT_BIND2)
STANDIN_EXPORT sword OCIBindByPos2(OCIStmt* stmtp, OCIBind** bindp, OCIError* errhp, ub4 position,
                                   void* valuep, sb8 value_sz, ub2 dty, void* indp, ub4* alenp,
                                   ub2*, ub4, ub4*, ub4 mode) {
    Call call("OCIBindByPos2", position, mode);
    return bindByPosition(call, stmtp, bindp, errhp, position, valuep, value_sz, dty, indp, nullptr,
                          alenp, mode);
}
#endif

// The callbacks of a bind made with OCI_DATA_AT_EXEC. An INSERT without RETURNING asks for
// nothing back, so the out-bind callback may be null.
STANDIN_EXPORT sword OCIBindDynamic(OCIBind* bindp, OCIError* errhp, void* ictxp,
                                    OCICallbackInBind icbfp, void*, OCICallbackOutBind) {
    Call call("OCIBindDynamic");
    auto* bind = call.find<BindHandle>(bindp, OCI_HTYPE_BIND);
    Handle* errors = call.find(errhp, OCI_HTYPE_ERROR);
    if (bind == nullptr || errors == nullptr)
        return OCI_INVALID_HANDLE;
    bind->inCallback = icbfp;
    bind->inContext = ictxp;
    return OCI_SUCCESS;
}

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
    if (result.status == OCI_SUCCESS) {
        call.travel(session->server->rules.callDelay());
        // The session may have gone meanwhile, broken by another thread.
        result = activeSession(call, *context, &session);
    }
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

namespace {

// How long a break takes beyond the call it broke.
constexpr std::chrono::milliseconds kBreakRoundTrip{50};

} // namespace

// A break with no call in progress does nothing, and a call that starts later is not
// affected. One that reaches its server ends the calls a `block` rule holds there; either
// way the break returns once they have returned, so a break the network lost (a `lost` rule)
// waits until another break or an interrupt ends them.
STANDIN_EXPORT sword OCIBreak(void* hndlp, OCIError* errhp) {
    Call call("OCIBreak");
    ServerHandle* server = call.serverOf(hndlp);
    if (server == nullptr || call.find(errhp, OCI_HTYPE_ERROR) == nullptr)
        return OCI_INVALID_HANDLE;
    std::optional<FailureRule> rule = server->rules.count(FailurePoint::Break);
    if (!rule || !rule->lost) {
        ++server->breakCount;
        library().breaks.notify_all();
    }
    // The handles it works on must stay while it is inside.
    auto* context = call.find<ServiceContextHandle>(hndlp, OCI_HTYPE_SVCCTX);
    ++server->breaksInside;
    if (context != nullptr)
        ++context->breaksInside;
    const unsigned long returned =
        server->callsReleased + static_cast<unsigned long>(server->callsHeld);
    call.waitUntil([&] { return server->callsReleased >= returned; });
    // Its own round trip ends after the broken call's reply: the caller's other threads run on
    // meanwhile, and may not free what it uses.
    const auto roundTripEnd = std::chrono::steady_clock::now() + kBreakRoundTrip;
    call.waitUntil([&] { return std::chrono::steady_clock::now() >= roundTripEnd; });
    --server->breaksInside;
    if (context != nullptr)
        --context->breaksInside;
    return OCI_SUCCESS;
}

// Blocking calls need no reset after a break; it only checks its handles.
STANDIN_EXPORT sword OCIReset(void* hndlp, OCIError* errhp) {
    Call call("OCIReset");
    if (call.serverOf(hndlp) == nullptr || call.find(errhp, OCI_HTYPE_ERROR) == nullptr)
        return OCI_INVALID_HANDLE;
    return OCI_SUCCESS;
}

STANDIN_EXPORT void StandinInterruptCalls(void) {
    interrupt();
}
