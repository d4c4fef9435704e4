// The exported OCI entry points of environments, handles, connections and sessions, and the
// test hooks; the statement calls are in StatementExports.cpp.
#include "CharacterSets.h"
#include "OciCall.h"

#include <cstring>
#include <string>

using namespace standin;

namespace {

void giveUserMemory(Handle& handle, size_t bytes, void** userMemory) {
    if (bytes == 0 || userMemory == nullptr)
        return;
    handle.userMemory.assign(bytes, 0);
    *userMemory = handle.userMemory.data();
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
    if (type == OCI_HTYPE_STMT && static_cast<StatementHandle*>(handle)->fromPrepare2)
        endProcess("OCIHandleFree on a statement of OCIStmtPrepare2, which OCIStmtRelease takes");
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
    // No connect string: the client's default database, as Oracle's client finds it.
    const std::string identifier = dblink == nullptr || dblink_len <= 0
                                       ? defaultConnectIdentifier()
                                       : textOf(dblink, static_cast<size_t>(dblink_len));
    if (identifier.empty())
        return fail(*errors, 12162);
    std::optional<std::filesystem::path> database = findDatabase(identifier);
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
    if (!server->holdsInterruptHandler) {
        // The client takes Ctrl+C for itself while it is connected.
        server->holdsInterruptHandler = true;
        holdInterruptHandler();
    }
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
    if (server->holdsInterruptHandler) {
        server->holdsInterruptHandler = false;
        releaseInterruptHandler();
    }
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

// Only the server handle's status: OCI_SERVER_NORMAL while it is attached and its connection
// is there, OCI_SERVER_NOT_CONNECTED once it was lost (or before the attach).
STANDIN_EXPORT sword OCIAttrGet(const void* trgthndlp, ub4 trghndltyp, void* attributep, ub4* sizep,
                                ub4 attrtype, OCIError* errhp) {
    Call call("OCIAttrGet", trghndltyp, attrtype);
    Handle* target = call.find(trgthndlp, trghndltyp);
    Handle* errors = call.find(errhp, OCI_HTYPE_ERROR);
    if (target == nullptr || errors == nullptr || attributep == nullptr)
        return OCI_INVALID_HANDLE;
    if (trghndltyp != OCI_HTYPE_SERVER || attrtype != OCI_ATTR_SERVER_STATUS)
        return fail(*errors, 24315);
    const auto* server = static_cast<const ServerHandle*>(target);
    const ub4 status =
        server->attached && !server->connectionLost ? OCI_SERVER_NORMAL : OCI_SERVER_NOT_CONNECTED;
    std::memcpy(attributep, &status, sizeof status);
    if (sizep != nullptr)
        *sizep = sizeof status;
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
