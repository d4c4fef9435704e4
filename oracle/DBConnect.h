// One connection to an Oracle database: loads the client library, attaches, begins and
// ends a user session, and reports errors through the connection's one error handle.
#pragma once

#include "oracle/OciDiagnostics.h"
#include "oracle/OciHandle.h"
#include "oracle/SessionLoss.h"

#include <atomic>
#include <memory>
#include <set>
#include <string>

class DBStmt;

class DBConnect {
  public:
    // Thrown by value on every failure; it carries nothing: read errorText() and
    // errorCode() of the connection that threw.
    class OtherException {};

    // Loads nothing yet: errorText() is empty and errorCode() 0 until connect(). Every text
    // bound and received is UTF-8, and the client library is told so. A connection may be used
    // by one thread at a time; only breakCallsInProgress() comes from others.
    DBConnect();
    // Ends the session and releases the connection's handles, as disconnect() does. Statements
    // made on it may be destroyed afterwards, and nothing else.
    ~DBConnect();
    DBConnect(const DBConnect&) = delete;
    DBConnect& operator=(const DBConnect&) = delete;

    // Loads the client library, attaches to `database` (an empty one: the client's default
    // database, TWO_TASK or ORACLE_SID, LOCAL on Windows) and begins a session for
    // `userName` / `password` (zero-terminated; not kept). Throws OtherException when the
    // library cannot be loaded or lacks an entry point (errorText() "Can't load oci.dll" on
    // Windows, elsewhere the loader's reason and the names tried; errorCode() -1), or when Oracle
    // refuses a step, the making of an environment for AL32UTF8 among them (errorText() Oracle's
    // message with its line feed, errorCode() Oracle's error number). A logon that Oracle accepts
    // with a warning (a password about to expire) connects; logonWarning() then holds its text.
    // After a failure the object is not connected; what the failed attempt acquired is released by
    // disconnect() or the destructor. Connecting a connected object disconnects it first.
    void connect(const char* userName, const char* password, const char* database);

    // Releases the statements made on this connection (they cannot be executed any more), ends
    // the session (Oracle commits its open transaction) unless a call found it gone, detaches
    // from the server and frees the server, service context, session and error handles.
    // Results are not checked. The environment stays for the statements made on this
    // connection.
    void disconnect();

    // Detaches from the server and frees the handles without ending the session, so that
    // the server rolls its open transaction back. For when a rollback failed: ending the
    // session would commit what the rollback left. Results are not checked.
    void abandonSession();

    bool isConnected() const { return connected_; }

    // From any thread: breaks the Oracle call in progress on every connection of the process
    // (OCIBreak on its service context), for a user who will not wait for a stalled call. The
    // broken call fails with ORA-01013 in its own thread; a connection with no call in progress
    // is not affected. Returns when every break has returned: Oracle's returns once the broken
    // call has, or, where the network loses the break, not before that call ends some other
    // way. The connections' own threads never wait for a break meanwhile: each may end its
    // call, its session and its handles, which the break keeps until it returns.
    static void breakCallsInProgress();
    // True once breakCallsInProgress() has reached this connection.
    bool wasInterrupted() const { return interrupted_.load(); }
    // True once a call of this connection failed with ORA-01013: a user asked to cancel it,
    // through breakCallsInProgress() or through the Ctrl+C that Oracle's client on Linux takes
    // for itself once connected.
    bool callWasCancelled() const { return callCancelled_; }
    // What the first failed call that found the session gone said of it (None while no call
    // did): its error is one of a dead session, or the server handle's status was no longer
    // normal after it. Such a session is never used again: disconnect() does not end it.
    oci::SessionLoss sessionLoss() const { return sessionLoss_; }
    // Oracle's text of that call's error (line feed included); empty while sessionLoss() is
    // None.
    const std::string& sessionLossText() const { return sessionLossText_; }

    // The warning the last logon was accepted with, without its line feed; empty when none.
    const std::string& logonWarning() const { return logonWarning_; }

    // Oracle's text of the first error record on the error handle (or the text stored by a
    // failed library load or by a call that left no record). Valid until the next call.
    const char* errorText();
    // The Oracle error number of that record; 0 when the handle holds no record.
    int errorCode();

    // Replaces the error handle with a fresh one, so that an accepted warning does not stay
    // on it. Leaves errorCode()'s and errorText()'s last results as they are.
    void resetErrorHandle();

  private:
    friend class DBStmt;
    struct SessionHandles;

    const oci::OciEntryPoints* api() const;
    oci::OCISvcCtx* serviceContext() const;
    // Judges a call of this connection's, noting what a failure says of the session.
    oci::OciDiagnostics::Outcome judgeCall(oci::sword status, const char* callName);
    // Throws OtherException unless the call succeeded.
    void check(oci::sword status, const char* callName);
    // Notes what the failure `diagnostics` judged says of the session.
    void noteFailedCall(const oci::OciDiagnostics& diagnostics);
    bool serverStatusIsNormal() const;
    std::shared_ptr<oci::OciEnvironment> createEnvironment(const oci::OciEntryPoints& entryPoints);
    void attachAndLogOn(const char* userName, const char* password, const char* database);
    void beginSession();
    void releaseStatements();

    // Declared first so that the handles below are freed before it.
    std::shared_ptr<oci::OciEnvironment> environment_;
    // The server, service context and session. Replaced and dropped by the connection's thread
    // only while it holds the lock of the process's connections, under which
    // breakCallsInProgress() takes a share of them for the break.
    std::shared_ptr<SessionHandles> session_;
    oci::OciHandle<oci::OCIError, oci::OCI_HTYPE_ERROR> errorHandle_;
    oci::OciDiagnostics diagnostics_;
    // Made on this connection and not yet destroyed; their handles go before its own do.
    std::set<DBStmt*> statements_;
    std::string logonWarning_;
    bool attached_ = false;
    bool sessionBegun_ = false;
    bool connected_ = false;
    bool callCancelled_ = false;
    oci::SessionLoss sessionLoss_ = oci::SessionLoss::None;
    std::string sessionLossText_;
    // Set by the breaking thread, read by the connection's own.
    std::atomic<bool> interrupted_{false};
};
