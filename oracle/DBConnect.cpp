// The Oracle session: library loading, the connect sequence and the disconnect sequence.
#include "oracle/DBConnect.h"

#include <cstring>
#include <mutex>
#include <set>

using namespace oci;

namespace {

// Every DBConnect of the process, so that the thread that takes a user's stop can break the
// calls of a load's worker. Its lock also keeps a break from using a connection's handles
// while the connection's own thread replaces or frees them.
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
    std::lock_guard<std::mutex> lock(connectionsLock());
    liveConnections().erase(this);
}

void DBConnect::breakCallsInProgress() {
    std::lock_guard<std::mutex> lock(connectionsLock());
    for (DBConnect* connection : liveConnections())
        connection->breakCall();
}

void DBConnect::breakCall() {
    if (environment_ == nullptr || serviceContext_.get() == nullptr)
        return;
    interrupted_ = true;
    // The break reports on a handle of its own: the connection's thread reads its error
    // handle at the same time.
    OciHandle<OCIError, OCI_HTYPE_ERROR> errors(*environment_);
    const OciEntryPoints& oci = environment_->api();
    oci.OCIBreak(serviceContext_.get(), errors.get());
    // Needed only after non-blocking calls; Oracle's own drivers reset after every break.
    oci.OCIReset(serviceContext_.get(), errors.get());
}

const OciEntryPoints* DBConnect::api() const {
    return environment_ != nullptr ? &environment_->api() : nullptr;
}

void DBConnect::check(sword status, const char* callName) {
    if (diagnostics_.judge(status, callName, api(), errorHandle_.get()) !=
        OciDiagnostics::Outcome::Success)
        throw OtherException();
}

void DBConnect::connect(const char* userName, const char* password, const char* database) {
    disconnect();
    {
        std::lock_guard<std::mutex> lock(connectionsLock());
        environment_.reset();
    }
    std::string failureText;
    std::optional<OciEntryPoints> entryPoints = loadOciLibrary(&failureText);
    if (!entryPoints) {
        diagnostics_.setLibraryMissing(failureText);
        throw OtherException();
    }
    logonWarning_.clear();
    std::shared_ptr<OciEnvironment> environment = createEnvironment(*entryPoints);
    decltype(errorHandle_) errors(*environment);
    decltype(server_) server(*environment);
    decltype(serviceContext_) serviceContext(*environment);
    {
        std::lock_guard<std::mutex> lock(connectionsLock());
        environment_ = std::move(environment);
        errorHandle_ = std::move(errors);
        server_ = std::move(server);
        serviceContext_ = std::move(serviceContext);
    }
    // The service context learns its server before the attach; Oracle keeps the pointer.
    entryPoints->OCIAttrSet(serviceContext_.get(), OCI_HTYPE_SVCCTX, server_.get(), 0,
                            OCI_ATTR_SERVER, errorHandle_.get());
    session_ = decltype(session_)(*environment_);
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
    // No connect string is a null one, as Oracle documents it: the client's default database.
    const OraText* connectString = *database != '\0' ? oraText(database) : nullptr;
    check(oci.OCIServerAttach(server_.get(), errors, connectString,
                              static_cast<sb4>(byteLength(database)), OCI_DEFAULT),
          "OCIServerAttach");
    attached_ = true;
    check(oci.OCIAttrSet(session_.get(), OCI_HTYPE_SESSION, const_cast<char*>(userName),
                         byteLength(userName), OCI_ATTR_USERNAME, errors),
          "OCIAttrSet");
    check(oci.OCIAttrSet(session_.get(), OCI_HTYPE_SESSION, const_cast<char*>(password),
                         byteLength(password), OCI_ATTR_PASSWORD, errors),
          "OCIAttrSet");
    beginSession();
    check(oci.OCIAttrSet(serviceContext_.get(), OCI_HTYPE_SVCCTX, session_.get(), 0,
                         OCI_ATTR_SESSION, errorHandle_.get()),
          "OCIAttrSet");
}

void DBConnect::beginSession() {
    const sword status = environment_->api().OCISessionBegin(
        serviceContext_.get(), errorHandle_.get(), session_.get(), OCI_CRED_RDBMS, OCI_DEFAULT);
    const OciDiagnostics::Outcome outcome =
        diagnostics_.judge(status, "OCISessionBegin", api(), errorHandle_.get());
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

void DBConnect::disconnect() {
    if (environment_ != nullptr) {
        const OciEntryPoints& oci = environment_->api();
        // Only what the connect sequence reached is undone, so that a refused logon ends no
        // session and a refused attach detaches nothing.
        if (sessionBegun_)
            oci.OCISessionEnd(serviceContext_.get(), errorHandle_.get(), session_.get(),
                              OCI_DEFAULT);
        if (attached_)
            oci.OCIServerDetach(server_.get(), errorHandle_.get(), OCI_DEFAULT);
        std::lock_guard<std::mutex> lock(connectionsLock());
        server_.reset();
        serviceContext_.reset();
        session_.reset();
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
