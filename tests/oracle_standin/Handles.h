// The objects behind the stand-in's OCI handles, and the registry of the live ones.
#pragma once

#include "FailureRules.h"
#include "Nls.h"
#include "OracleErrors.h"
#include "Schema.h"
#include "StandinOci.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace standin {

struct EnvironmentHandle;

struct Handle {
    explicit Handle(ub4 handleType) : type(handleType) {}
    virtual ~Handle() = default;

    ub4 type;
    Handle* parent = nullptr;                 // the environment, or the statement of a bind/define
    EnvironmentHandle* environment = nullptr; // the environment it was made from (or itself)
    std::vector<unsigned char> userMemory;    // xtramem_sz bytes asked for at allocation
    std::optional<ErrorRecord> record;        // error and environment handles only
};

struct EnvironmentHandle : Handle {
    EnvironmentHandle(ub2 clientSet, bool threadedMode)
        : Handle(OCI_HTYPE_ENV), clientCharacterSet(clientSet), threaded(threadedMode) {
        environment = this;
    }
    ub2 clientCharacterSet; // of every text bound through this environment
    bool threaded;          // made with OCI_THREADED
};

// Uncommitted rows of one table, already in the table file's line format.
struct PendingRows {
    std::string lines;
    long rowCount = 0;
};

struct ServerHandle : Handle {
    ServerHandle() : Handle(OCI_HTYPE_SERVER) {}
    bool attached = false;
    // Set when an injected error dropped the connection; cleared by the next attach.
    bool connectionLost = false;
    std::filesystem::path database;
    ub2 databaseCharacterSet = 0; // in which the database stores its text
    FailureRules rules;
    // OCIBreak calls on this server so far that reached it; a blocked call waits for it to
    // change.
    unsigned long breakCount = 0;
    // Calls held by a `block` rule now, and those that have returned since; a break waits
    // until the calls held when it came have returned.
    int callsHeld = 0;
    unsigned long callsReleased = 0;
    // OCIBreak calls inside the library on this server now, which must not see it freed.
    int breaksInside = 0;
    // Attached once, and not yet detached or freed: the client's SIGINT handler is in place
    // for it.
    bool holdsInterruptHandler = false;
};

struct SessionHandle : Handle {
    SessionHandle() : Handle(OCI_HTYPE_SESSION) {}
    std::string userName; // as set through OCI_ATTR_USERNAME
    std::string password;
    ServerHandle* server = nullptr; // non-null while the session is begun
    bool connectionLost = false;    // ended by a dropped connection, not by its end
    Schema schema;
    std::map<std::string, PendingRows> transaction;
    NlsSettings nls; // from NLS_LANG at the session's begin, then ALTER SESSION
};

struct ServiceContextHandle : Handle {
    ServiceContextHandle() : Handle(OCI_HTYPE_SVCCTX) {}
    void* server = nullptr; // attribute values exactly as set; validated when used
    void* session = nullptr;
    // OCIBreak calls inside the library on this context now, which must not see it freed.
    int breaksInside = 0;
};

struct BindHandle : Handle {
    BindHandle() : Handle(OCI_HTYPE_BIND) {}
    ub4 position = 0;
    const char* value = nullptr;
    sb8 valueSize = 0;
    ub2 dataType = 0;
    const sb2* indicators = nullptr;
    const ub2* lengths = nullptr;
    const ub4* longLengths = nullptr; // OCIBindByPos2's
    // OCI_DATA_AT_EXEC: the values come from the in-bind callback during the execution.
    bool dataAtExecution = false;
    OCICallbackInBind inCallback = nullptr;
    void* inContext = nullptr;
    // Each row's value as the callback handed it over, from row `fetchedFrom` on; filled by
    // each execution.
    std::vector<std::optional<std::string>> fetched;
    std::size_t fetchedFrom = 0;
};

struct DefineHandle : Handle {
    DefineHandle() : Handle(OCI_HTYPE_DEFINE) {}
    ub4 position = 0;
    void* value = nullptr;
    sb4 valueSize = 0;
    ub2 dataType = 0;
    sb2* indicator = nullptr;    // -1 for NULL, else 0 (or the full length when cut)
    ub2* returnLength = nullptr; // the bytes written (without a terminator)
};

struct StatementHandle : Handle {
    StatementHandle() : Handle(OCI_HTYPE_STMT) {}
    bool prepared = false;
    // Made by OCIStmtPrepare2 (under the service context): it goes back through OCIStmtRelease.
    bool fromPrepare2 = false;
    std::string text;
    std::map<ub4, BindHandle*> binds;
    std::map<ub4, DefineHandle*> defines;
};

// Every handle handed out and not yet freed, and the addresses of those freed since. A
// pointer that is in neither, or a live handle not of the expected type, is an invalid
// handle; a freed one is a fault of the caller's that Oracle leaves undefined.
class HandleRegistry {
  public:
    // Makes a new handle of `type` under `parent` (never ENV through here: use add()). Null
    // for an unknown type.
    Handle* create(ub4 type, Handle* parent);
    Handle* add(std::unique_ptr<Handle> handle);
    // The handle if `pointer` is a live handle of `type`, else null.
    Handle* find(const void* pointer, ub4 type) const;
    template <typename T> T* find(const void* pointer, ub4 type) const {
        return static_cast<T*>(find(pointer, type));
    }
    // True when `pointer` was a handle that has been freed (and not handed out again).
    bool wasFreed(const void* pointer) const { return freed_.count(pointer) != 0; }
    // Frees a handle and everything allocated under it; ends what it had open without
    // committing (a begun session loses its uncommitted rows).
    void free(Handle* handle);
    // Drops the sessions begun on a server that is detached or freed, or whose connection was
    // lost: their open transactions go, and after a lost connection every later call that
    // needs the server fails with ORA-03114.
    void detachServer(ServerHandle* server, bool connectionLost = false);
    std::size_t size() const { return handles_.size(); }

  private:
    // Removes a bind or define handle from its statement's table.
    void forgetInStatement(Handle* handle);

    std::map<const void*, std::unique_ptr<Handle>> handles_;
    std::set<const void*> freed_;
};

} // namespace standin
