// The Oracle session: library loading, the connect sequence and the disconnect sequence.
#include "oracle/DBConnect.h"

#include "oracle/DBStmt.h"

#include <cstring>
#include <mutex>
#include <vector>

using namespace oci;

// The handles a break needs, shared between the connection and the breaks on their way, so
// that whichever lets go of them last frees them: a connection never waits for a break, and
// a break never uses a freed handle. Declared in the order that frees the server first and the
// environment last.
struct DBConnect::SessionHandles {
    // Allocates the server handle, then the service context; the session comes later.
    explicit SessionHandles(std::shared_ptr<OciEnvironment> madeIn)
        : environment(std::move(madeIn)) {
        server = decltype(server)(*environment);
        serviceContext = decltype(serviceContext)(*environment);
    }

    std::shared_ptr<OciEnvironment> environment;
    OciHandle<OCISession, OCI_HTYPE_SESSION> session;
    OciHandle<OCISvcCtx, OCI_HTYPE_SVCCTX> serviceContext;
    OciHandle<OCIServer, OCI_HTYPE_SERVER> server;
};

namespace {

// Oracle's "user requested cancel of current operation".
constexpr int kUserCancel = 1013;

// Every DBConnect of the process, so that the thread that takes a user's stop can break the
// calls of a load's worker. Its lock also keeps a break from taking a connection's handles
// while the connection's own thread replaces or drops them.
std::mutex& connectionsLock() {
    static std::mutex lock;
    return lock;
}

std::set<DBConnect*>& liveConnections() {
    static std::set<DBConnect*> connections;
    return connections;
}

const OraText* oraText(const char* text) {
    return reinterpret_cast<const OraText*>(text);
}

ub4 byteLength(const char* text) {
    return static_cast<ub4>(std::strlen(text));
}

} // namespace

DBConnect::DBConnect() {
    std::lock_guard<std::mutex> lock(connectionsLock());
    liveConnections().insert(this);
}

DBConnect::~DBConnect() {
    disconnect();
    for (DBStmt* statement : statements_)
        statement->connection_ = nullptr;
    std::lock_guard<std::mutex> lock(connectionsLock());
    liveConnections().erase(this);
}

void DBConnect::breakCallsInProgress() {
    std::vector<std::shared_ptr<SessionHandles>> targets;
    {
        std::lock_guard<std::mutex> lock(connectionsLock());
        for (DBConnect* connection : liveConnections()) {
            if (connection->session_ == nullptr)
                continue;
            connection->interrupted_ = true;
            targets.push_back(connection->session_);
        }
    }
    // A break may take as long as the call it breaks, or longer where the network loses it:
    // the lock is not held meanwhile, so that no connection's thread waits for it.
    for (const std::shared_ptr<SessionHandles>& target : targets) {
        // The break reports on a handle of its own: the connection's thread reads its error
        // handle at the same time. In blocking mode no OCIReset follows: Oracle wants one only
        // after a break of a non-blocking call.
        OciHandle<OCIError, OCI_HTYPE_ERROR> errors(*target->environment);
        target->environment->api().OCIBreak(target->serviceContext.get(), errors.get());
    }
}

const OciEntryPoints* DBConnect::api() const {
    return environment_ != nullptr ? &environment_->api() : nullptr;
}

OCISvcCtx* DBConnect::serviceContext() const {
    return session_ != nullptr ? session_->serviceContext.get() : nullptr;
}

OciDiagnostics::Outcome DBConnect::judgeCall(sword status, const char* callName) {
    const OciDiagnostics::Outcome outcome =
        diagnostics_.judge(status, callName, api(), errorHandle_.get());
    if (outcome == OciDiagnostics::Outcome::Failure)
        noteFailedCall(diagnostics_);
    return outcome;
}

void DBConnect::check(sword status, const char* callName) {
    if (judgeCall(status, callName) != OciDiagnostics::Outcome::Success)
        throw OtherException();
}

void DBConnect::noteFailedCall(const OciDiagnostics& diagnostics) {
    const int oracleError = diagnostics.lastError();
    if (oracleError == kUserCancel)
        callCancelled_ = true;
    if (!sessionBegun_ || sessionLoss_ != SessionLoss::None)
        return;
    sessionLoss_ = sessionLossOf(oracleError);
    // An error Oracle's drivers do not list may still have taken the connection with it; the
    // client knows, and says so in the server handle's status.
    if (sessionLoss_ == SessionLoss::None && !serverStatusIsNormal())
        sessionLoss_ = SessionLoss::OutcomeUnknown;
    if (sessionLoss_ != SessionLoss::None)
        sessionLossText_ = diagnostics.lastText();
}

bool DBConnect::serverStatusIsNormal() const {
    // A handle of its own, so that the record of the failure stays on the connection's.
    OciHandle<OCIError, OCI_HTYPE_ERROR> errors(*environment_);
    ub4 status = OCI_SERVER_NORMAL;
    // A status that cannot be read claims nothing.
    if (environment_->api().OCIAttrGet(session_->server.get(), OCI_HTYPE_SERVER, &status, nullptr,
                                       OCI_ATTR_SERVER_STATUS, errors.get()) != OCI_SUCCESS)
        return true;
    return status == OCI_SERVER_NORMAL;
}

void DBConnect::connect(const char* userName, const char* password, const char* database) {
    disconnect();
    environment_.reset();
    std::string failureText;
    std::optional<OciEntryPoints> entryPoints = loadOciLibrary(&failureText);
    if (!entryPoints) {
        diagnostics_.setLibraryMissing(failureText);
        throw OtherException();
    }
    logonWarning_.clear();
    callCancelled_ = false;
    sessionLoss_ = SessionLoss::None;
    sessionLossText_.clear();
    std::shared_ptr<OciEnvironment> environment = createEnvironment(*entryPoints);
    decltype(errorHandle_) errors(*environment);
    auto session = std::make_shared<SessionHandles>(environment);
    environment_ = std::move(environment);
    errorHandle_ = std::move(errors);
    {
        std::lock_guard<std::mutex> lock(connectionsLock());
        session_ = session;
    }
    // The service context learns its server before the attach; Oracle keeps the pointer.
    entryPoints->OCIAttrSet(session->serviceContext.get(), OCI_HTYPE_SVCCTX, session->server.get(),
                            0, OCI_ATTR_SERVER, errorHandle_.get());
    session->session = decltype(session->session)(*environment_);
    attachAndLogOn(userName, password, database);
    connected_ = true;
}

std::shared_ptr<OciEnvironment> DBConnect::createEnvironment(const OciEntryPoints& entryPoints) {
    auto environment = std::make_shared<OciEnvironment>(entryPoints);
    // A client that cannot work in AL32UTF8 refuses here; the reason, when it gives one, is
    // on the environment handle it may still have made (which goes with `environment`).
    if (diagnostics_.judge(environment->creationStatus(), "OCIEnvNlsCreate", &entryPoints,
                           environment->handle(),
                           OCI_HTYPE_ENV) == OciDiagnostics::Outcome::Failure)
        throw OtherException();
    return environment;
}

void DBConnect::attachAndLogOn(const char* userName, const char* password, const char* database) {
    const OciEntryPoints& oci = environment_->api();
    OCIError* errors = errorHandle_.get();
    OCISession* session = session_->session.get();
    // No connect string is a null one, as Oracle documents it: the client's default database.
    const OraText* connectString = *database != '\0' ? oraText(database) : nullptr;
    check(oci.OCIServerAttach(session_->server.get(), errors, connectString,
                              static_cast<sb4>(byteLength(database)), OCI_DEFAULT),
          "OCIServerAttach");
    attached_ = true;
    check(oci.OCIAttrSet(session, OCI_HTYPE_SESSION, const_cast<char*>(userName),
                         byteLength(userName), OCI_ATTR_USERNAME, errors),
          "OCIAttrSet");
    check(oci.OCIAttrSet(session, OCI_HTYPE_SESSION, const_cast<char*>(password),
                         byteLength(password), OCI_ATTR_PASSWORD, errors),
          "OCIAttrSet");
    beginSession();
    check(oci.OCIAttrSet(serviceContext(), OCI_HTYPE_SVCCTX, session, 0, OCI_ATTR_SESSION,
                         errorHandle_.get()),
          "OCIAttrSet");
}

void DBConnect::beginSession() {
    const sword status = environment_->api().OCISessionBegin(
        serviceContext(), errorHandle_.get(), session_->session.get(), OCI_CRED_RDBMS, OCI_DEFAULT);
    const OciDiagnostics::Outcome outcome = judgeCall(status, "OCISessionBegin");
    if (outcome == OciDiagnostics::Outcome::Failure)
        throw OtherException();
    sessionBegun_ = true;
    if (outcome == OciDiagnostics::Outcome::Warning) {
        // A logon in a password's grace period succeeds with a warning: the session is
        // there, and the warning must not be read as the next call's error.
        logonWarning_ = diagnostics_.lastText();
        if (!logonWarning_.empty() && logonWarning_.back() == '\n')
            logonWarning_.pop_back();
        resetErrorHandle();
    }
}

void DBConnect::releaseStatements() {
    for (DBStmt* statement : statements_)
        statement->releaseHandle();
}

void DBConnect::disconnect() {
    if (environment_ != nullptr) {
        releaseStatements();
        const OciEntryPoints& oci = environment_->api();
        // Only what the connect sequence reached is undone, so that a refused logon ends no
        // session and a refused attach detaches nothing. A session found gone is left alone:
        // the server has rolled it back.
        if (sessionBegun_ && sessionLoss_ == SessionLoss::None)
            oci.OCISessionEnd(serviceContext(), errorHandle_.get(), session_->session.get(),
                              OCI_DEFAULT);
        if (attached_)
            oci.OCIServerDetach(session_->server.get(), errorHandle_.get(), OCI_DEFAULT);
        std::shared_ptr<SessionHandles> session;
        {
            std::lock_guard<std::mutex> lock(connectionsLock());
            session = std::move(session_);
        }
        // Freed here, unless a break still holds them: then when it returns.
        session.reset();
        errorHandle_.reset();
    }
    sessionBegun_ = false;
    attached_ = false;
    connected_ = false;
}

void DBConnect::abandonSession() {
    sessionBegun_ = false;
    disconnect();
}

const char* DBConnect::errorText() {
    return diagnostics_.text(api(), errorHandle_.get());
}

int DBConnect::errorCode() {
    return diagnostics_.code(api(), errorHandle_.get());
}

void DBConnect::resetErrorHandle() {
    if (environment_ == nullptr)
        return;
    errorHandle_.reset();
    errorHandle_ = decltype(errorHandle_)(*environment_);
}
