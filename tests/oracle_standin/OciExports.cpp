// The exported OCI entry points: handle checks, the connect calls, and dispatch to the
// statement execution and transactions.
#include "CharacterSets.h"
#include "Execution.h"
#include "StandinOci.h"
#include "Strictness.h"

#include <condition_variable>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>

using namespace standin;

namespace {

// The state of the whole library. One lock serialises every call; the watch, with a lock of
// its own, sees the threads that wait for it.
struct Library {
    std::mutex lock;
    // Signalled by OCIBreak for the calls a `block` rule holds; waited on with `lock`.
    std::condition_variable breaks;
    ThreadWatch watch;
    HandleRegistry handles;
    bool initialized = false;
    bool processThreaded = false; // OCIInitialize's mode, for environments of OCIEnvInit
    bool recording = false;
    std::string callLog;
    std::string callLogCopy;
    void (*executeObserver)(unsigned iterations) = nullptr;
};

Library& library() {
    static Library instance;
    return instance;
}

// Held for the duration of one entry point: enters the thread watch, takes the lock and
// records the call. Its look-ups end the process on a freed handle.
class Call {
  public:
    explicit Call(const char* name, long first = -1, long second = -1)
        : name_(name), entry_(library().watch.enter(name)), lock_(library().lock) {
        Library& state = library();
        if (!state.recording)
            return;
        state.callLog += name;
        for (long value : {first, second}) {
            if (value >= 0)
                state.callLog += " " + std::to_string(value);
        }
        state.callLog += "\n";
    }
    ~Call() { library().watch.leave(entry_); }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

    HandleRegistry& handles() { return library().handles; }

    // The live handle of `type` at `pointer`, or null. The first handle found tells the
    // thread watch which environment the call works on.
    template <typename T = Handle> T* find(const void* pointer, ub4 type) {
        if (pointer != nullptr && handles().wasFreed(pointer))
            endProcess(std::string(name_) + " on a handle that was freed before");
        Handle* handle = handles().find(pointer, type);
        if (handle != nullptr)
            settle(handle->environment->threaded);
        return static_cast<T*>(handle);
    }

    // The call works on an environment of this mode (for calls that make one).
    void settle(bool threaded) { library().watch.settle(entry_, threaded); }

    // Holds the call, as a stalled server would, until OCIBreak reaches its server; it then
    // fails as an interrupted call does. Other threads' calls run meanwhile. While it waits,
    // the file `blocked` in the database folder names the call, so that a test in another
    // process knows when to break it.
    CallResult blockUntilBreak(ServerHandle& server) {
        const unsigned long breaksBefore = server.breakCount;
        const std::filesystem::path marker = server.database / "blocked";
        std::ofstream(marker) << name_ << '\n';
        library().breaks.wait(lock_, [&] { return server.breakCount != breaksBefore; });
        std::error_code ignored;
        std::filesystem::remove(marker, ignored);
        return CallResult::failure(kUserCancel);
    }

    // The server a service context or server handle stands for, or null.
    ServerHandle* serverOf(void* handle) {
        if (auto* context = find<ServiceContextHandle>(handle, OCI_HTYPE_SVCCTX))
            return find<ServerHandle>(context->server, OCI_HTYPE_SERVER);
        return find<ServerHandle>(handle, OCI_HTYPE_SERVER);
    }

  private:
    const char* name_;
    ThreadWatch::Entry entry_;
    std::unique_lock<std::mutex> lock_;
};

// Leaves the call's record on the error handle and returns its status.
sword finish(Handle& errorHandle, const CallResult& result) {
    if (result.record)
        errorHandle.record = result.record;
    return result.status;
}

sword fail(Handle& errorHandle, int code) {
    return finish(errorHandle, CallResult::failure(code));
}

// The session a service context works for, or the error that says why there is none.
CallResult activeSession(Call& call, const ServiceContextHandle& context, SessionHandle** session) {
    auto* server = call.find<ServerHandle>(context.server, OCI_HTYPE_SERVER);
    if (server != nullptr && server->connectionLost)
        return CallResult::failure(3114);
    if (server == nullptr || !server->attached)
        return CallResult::failure(24324);
    *session = call.find<SessionHandle>(context.session, OCI_HTYPE_SESSION);
    if (*session == nullptr || (*session)->server == nullptr)
        return CallResult::failure(1012);
    return CallResult::success();
}

// A call that failed because the connection dropped (only ever an injected failure) leaves
// no session behind: the server rolls back what was not committed, as Oracle's does when the
// link goes, and the next call fails with ORA-03114.
void dropSessionIfConnectionLost(Call& call, SessionHandle& session, const CallResult& result) {
    if (result.status == OCI_ERROR && result.record && isLostConnection(result.record->code) &&
        session.server != nullptr)
        call.handles().detachServer(session.server, true);
}

// A commit or a rollback: the same checks of the handles and the session, then `end`.
template <typename EndAction>
sword endTransaction(const char* callName, OCISvcCtx* svchp, OCIError* errhp, ub4 flags,
                     EndAction end) {
    Call call(callName, flags);
    auto* context = call.find<ServiceContextHandle>(svchp, OCI_HTYPE_SVCCTX);
    Handle* errors = call.find(errhp, OCI_HTYPE_ERROR);
    if (context == nullptr || errors == nullptr)
        return OCI_INVALID_HANDLE;
    SessionHandle* session = nullptr;
    CallResult result = activeSession(call, *context, &session);
    if (result.status == OCI_SUCCESS) {
        result = end(*session);
        if (result.blocked)
            result = call.blockUntilBreak(*session->server);
        dropSessionIfConnectionLost(call, *session, result);
    }
    return finish(*errors, result);
}

void giveUserMemory(Handle& handle, size_t bytes, void** userMemory) {
    if (bytes == 0 || userMemory == nullptr)
        return;
    handle.userMemory.assign(bytes, 0);
    *userMemory = handle.userMemory.data();
}

std::string textOf(const void* bytes, size_t length) {
    return bytes != nullptr ? std::string(static_cast<const char*>(bytes), length) : std::string();
}

// A new environment whose texts are in `clientSet` (0: the set NLS_LANG names). OCI_ERROR,
// and no environment, for a set the stand-in cannot convert. An `environment=E` rule makes
// the environment, leaves ORA-E on it and returns OCI_ERROR, as a client that refuses the set
// may.
sword createEnvironment(Call& call, OCIEnv** envp, ub2 clientSet, bool threaded, size_t xtramem_sz,
                        void** usrmempp) {
    if (envp == nullptr)
        return OCI_INVALID_HANDLE;
    *envp = nullptr;
    if (clientSet == 0)
        clientSet = characterSetFromNlsLang();
    if (!isKnownCharacterSet(clientSet))
        return OCI_ERROR;
    Handle* environment =
        call.handles().add(std::make_unique<EnvironmentHandle>(clientSet, threaded));
    giveUserMemory(*environment, xtramem_sz, usrmempp);
    *envp = reinterpret_cast<OCIEnv*>(environment);
    std::optional<FailureRule> rule =
        FailureRules::fromEnvironment().count(FailurePoint::Environment);
    if (!rule)
        return OCI_SUCCESS;
    environment->record = oracleError(rule->code);
    return OCI_ERROR;
}

} // namespace

STANDIN_EXPORT sword OCIInitialize(ub4 mode, void*, void* (*)(void*, size_t),
                                   void* (*)(void*, void*, size_t), void (*)(void*, void*)) {
    Call call("OCIInitialize", mode);
    // The old pair's threading mode holds for the whole process.
    const bool threaded = (mode & OCI_THREADED) != 0;
    call.settle(threaded);
    library().initialized = true;
    library().processThreaded = threaded;
    return OCI_SUCCESS;
}

STANDIN_EXPORT sword OCIEnvInit(OCIEnv** envp, ub4 mode, size_t xtramem_sz, void** usrmempp) {
    Call call("OCIEnvInit", mode);
    call.settle(library().processThreaded);
    if (envp != nullptr && !library().initialized) {
        *envp = nullptr;
        return OCI_ERROR;
    }
    return createEnvironment(call, envp, 0, library().processThreaded, xtramem_sz, usrmempp);
}

STANDIN_EXPORT sword OCIEnvNlsCreate(OCIEnv** envhpp, ub4 mode, void*, void* (*)(void*, size_t),
                                     void* (*)(void*, void*, size_t), void (*)(void*, void*),
                                     size_t xtramemsz, void** usrmempp, ub2 charset, ub2 ncharset) {
    Call call("OCIEnvNlsCreate", mode, charset);
    const bool threaded = (mode & OCI_THREADED) != 0;
    call.settle(threaded);
    // Oracle's header: "The charset and ncharset must be both zero or non-zero."
    const bool mixed = (charset == 0) != (ncharset == 0);
    if (envhpp != nullptr && (mixed || (ncharset != 0 && !isNationalCharacterSet(ncharset)))) {
        *envhpp = nullptr;
        return OCI_ERROR;
    }
    return createEnvironment(call, envhpp, charset, threaded, xtramemsz, usrmempp);
}

STANDIN_EXPORT sword OCIHandleAlloc(const void* parenth, void** hndlpp, const ub4 type,
                                    const size_t xtramem_sz, void** usrmempp) {
    Call call("OCIHandleAlloc", type);
    Handle* environment = call.find(parenth, OCI_HTYPE_ENV);
    if (environment == nullptr || hndlpp == nullptr || type == OCI_HTYPE_BIND ||
        type == OCI_HTYPE_DEFINE)
        return OCI_INVALID_HANDLE;
    Handle* handle = call.handles().create(type, environment);
    if (handle == nullptr)
        return OCI_INVALID_HANDLE;
    giveUserMemory(*handle, xtramem_sz, usrmempp);
    *hndlpp = handle;
    return OCI_SUCCESS;
}

STANDIN_EXPORT sword OCIHandleFree(void* hndlp, const ub4 type) {
    Call call("OCIHandleFree", type);
    Handle* handle = call.find(hndlp, type);
    if (handle == nullptr)
        return OCI_INVALID_HANDLE;
    call.handles().free(handle);
    return OCI_SUCCESS;
}

STANDIN_EXPORT sword OCIServerAttach(OCIServer* srvhp, OCIError* errhp, const OraText* dblink,
                                     sb4 dblink_len, ub4 mode) {
    Call call("OCIServerAttach", mode);
    auto* server = call.find<ServerHandle>(srvhp, OCI_HTYPE_SERVER);
    Handle* errors = call.find(errhp, OCI_HTYPE_ERROR);
    if (server == nullptr || errors == nullptr)
        return OCI_INVALID_HANDLE;
    if (server->attached)
        return fail(*errors, 24309);
    if (dblink == nullptr || dblink_len <= 0)
        return fail(*errors, 12162);
    std::optional<std::filesystem::path> database =
        findDatabase(textOf(dblink, static_cast<size_t>(dblink_len)));
    if (!database)
        return fail(*errors, 12154);
    FailureRules rules = FailureRules::fromEnvironment();
    std::optional<FailureRule> rule = rules.count(FailurePoint::Attach);
    if (rule && !isExecutionWarning(rule->code))
        return fail(*errors, rule->code);
    const ub2 databaseSet = databaseCharacterSet(*database);
    if (databaseSet == 0)
        return fail(*errors, 12705);
    server->attached = true;
    server->connectionLost = false;
    server->database = *database;
    server->databaseCharacterSet = databaseSet;
    server->rules = rules;
    return OCI_SUCCESS;
}

STANDIN_EXPORT sword OCIServerDetach(OCIServer* srvhp, OCIError* errhp, ub4 mode) {
    Call call("OCIServerDetach", mode);
    auto* server = call.find<ServerHandle>(srvhp, OCI_HTYPE_SERVER);
    Handle* errors = call.find(errhp, OCI_HTYPE_ERROR);
    if (server == nullptr || errors == nullptr)
        return OCI_INVALID_HANDLE;
    if (!server->attached)
        return fail(*errors, 3114);
    // Sessions still begun on it end without a commit, as when the connection drops.
    call.handles().detachServer(server);
    return OCI_SUCCESS;
}

STANDIN_EXPORT sword OCIAttrSet(void* trgthndlp, ub4 trghndltyp, void* attributep, ub4 size,
                                ub4 attrtype, OCIError* errhp) {
    Call call("OCIAttrSet", trghndltyp, attrtype);
    Handle* target = call.find(trgthndlp, trghndltyp);
    Handle* errors = call.find(errhp, OCI_HTYPE_ERROR);
    if (target == nullptr || errors == nullptr)
        return OCI_INVALID_HANDLE;
    if (trghndltyp == OCI_HTYPE_SVCCTX && attrtype == OCI_ATTR_SERVER) {
        static_cast<ServiceContextHandle*>(target)->server = attributep;
    } else if (trghndltyp == OCI_HTYPE_SVCCTX && attrtype == OCI_ATTR_SESSION) {
        static_cast<ServiceContextHandle*>(target)->session = attributep;
    } else if (trghndltyp == OCI_HTYPE_SESSION && attrtype == OCI_ATTR_USERNAME) {
        static_cast<SessionHandle*>(target)->userName = textOf(attributep, size);
    } else if (trghndltyp == OCI_HTYPE_SESSION && attrtype == OCI_ATTR_PASSWORD) {
        static_cast<SessionHandle*>(target)->password = textOf(attributep, size);
    } else {
        return fail(*errors, 24315);
    }
    return OCI_SUCCESS;
}

STANDIN_EXPORT sword OCISessionBegin(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp,
                                     ub4 credt, ub4 mode) {
    Call call("OCISessionBegin", credt, mode);
    auto* context = call.find<ServiceContextHandle>(svchp, OCI_HTYPE_SVCCTX);
    auto* session = call.find<SessionHandle>(usrhp, OCI_HTYPE_SESSION);
    Handle* errors = call.find(errhp, OCI_HTYPE_ERROR);
    if (context == nullptr || session == nullptr || errors == nullptr)
        return OCI_INVALID_HANDLE;
    if (session->server != nullptr)
        return fail(*errors, 24313);
    auto* server = call.find<ServerHandle>(context->server, OCI_HTYPE_SERVER);
    if (server == nullptr || !server->attached)
        return fail(*errors, 24324);
    std::optional<FailureRule> rule = server->rules.count(FailurePoint::Logon);
    if (rule && !isLogonWarning(rule->code))
        return fail(*errors, rule->code);
    // The server sees the credentials in its own set, as the users file holds them.
    const ub2 clientSet = session->environment->clientCharacterSet;
    const ub2 databaseSet = server->databaseCharacterSet;
    const std::string userName = convertText(session->userName, clientSet, databaseSet);
    const std::string password = convertText(session->password, clientSet, databaseSet);
    LogonCheck logon = credt == OCI_CRED_RDBMS ? checkLogon(server->database, userName, password)
                                               : LogonCheck::Refused;
    if (logon != LogonCheck::Accepted)
        return fail(*errors, logon == LogonCheck::NullPassword ? 1005 : 1017);

    session->schema = Schema(server->database, upperCased(userName, databaseSet));
    // The client's territory sets how the session reads numbers and dates given as text.
    session->nls = nlsFromEnvironment();
    session->schema.ensureFolder();
    session->server = server;
    session->connectionLost = false;
    session->transaction.clear();
    context->session = session;
    // A warning (a password in its grace period) still begins the session.
    if (rule)
        return finish(*errors, CallResult{OCI_SUCCESS_WITH_INFO, oracleError(rule->code)});
    return OCI_SUCCESS;
}

STANDIN_EXPORT sword OCISessionEnd(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 mode) {
    Call call("OCISessionEnd", mode);
    auto* context = call.find<ServiceContextHandle>(svchp, OCI_HTYPE_SVCCTX);
    auto* session = call.find<SessionHandle>(usrhp, OCI_HTYPE_SESSION);
    Handle* errors = call.find(errhp, OCI_HTYPE_ERROR);
    if (context == nullptr || session == nullptr || errors == nullptr)
        return OCI_INVALID_HANDLE;
    if (session->connectionLost)
        return fail(*errors, 3114);
    if (session->server == nullptr)
        return fail(*errors, 1012);
    // Ending a session commits its open transaction.
    CallResult committed = commitTransaction(*session, false);
    session->server = nullptr;
    session->transaction.clear();
    if (context->session == session)
        context->session = nullptr;
    return finish(*errors, committed);
}

STANDIN_EXPORT sword OCIErrorGet(void* hndlp, ub4 recordno, OraText*, sb4* errcodep, OraText* bufp,
                                 ub4 bufsiz, ub4 type) {
    Call call("OCIErrorGet", recordno, type);
    if (type != OCI_HTYPE_ERROR && type != OCI_HTYPE_ENV)
        return OCI_INVALID_HANDLE;
    Handle* handle = call.find(hndlp, type);
    if (handle == nullptr)
        return OCI_INVALID_HANDLE;
    // No record: OCI_NO_DATA, and the outputs are left exactly as they were.
    if (recordno != 1 || !handle->record)
        return OCI_NO_DATA;
    if (errcodep != nullptr)
        *errcodep = handle->record->code;
    // Messages are handed out in the client's set, as every text the environment receives.
    const std::string text =
        convertText(handle->record->text, kAL32UTF8, handle->environment->clientCharacterSet);
    if (bufp == nullptr || bufsiz == 0)
        return OCI_SUCCESS;
    size_t copied = text.size() < bufsiz ? text.size() : bufsiz - 1;
    std::memcpy(bufp, text.data(), copied);
    bufp[copied] = '\0';
    return copied < text.size() && type == OCI_HTYPE_ERROR ? OCI_ERROR : OCI_SUCCESS;
}

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

STANDIN_EXPORT int StandinCallsInside(void) {
    // Not under the library's lock: a test asks this from inside a call that holds it.
    return library().watch.callsInside();
}

STANDIN_EXPORT int StandinLiveHandleCount(void) {
    std::lock_guard<std::mutex> guard(library().lock);
    return static_cast<int>(library().handles.size());
}

STANDIN_EXPORT void StandinRecordCalls(int on) {
    std::lock_guard<std::mutex> guard(library().lock);
    library().recording = on != 0;
    library().callLog.clear();
}

STANDIN_EXPORT void StandinSetExecuteObserver(void (*observer)(unsigned iterations)) {
    std::lock_guard<std::mutex> guard(library().lock);
    library().executeObserver = observer;
}

STANDIN_EXPORT const char* StandinCallLog(void) {
    std::lock_guard<std::mutex> guard(library().lock);
    library().callLogCopy = library().callLog;
    return library().callLogCopy.c_str();
}
