// The OCI environment handle, shared by a connection and the statements made on it.
#pragma once

#include "oracle/OciLibrary.h"

namespace oci {

// Oracle's id of AL32UTF8, the character set of every text Marlin binds and receives. Every
// Oracle client has it, Instant Client Basic Light included.
constexpr ub2 kAl32Utf8 = 873;

// Creates one environment handle and frees it when the last owner lets go of it. A
// connection and each of its statements hold it through a std::shared_ptr, so a statement
// may outlive its connection. Used by one load's worker thread; other threads (a new load's
// worker while a stopped one ends) use environments of their own, and OCI_THREADED lets the
// client library's shared state take that.
class OciEnvironment {
  public:
    // Calls OCIEnvNlsCreate in threaded object mode with AL32UTF8 as the character set of
    // every text bound and received, and as the national one, whatever NLS_LANG says. The
    // result is kept, not judged: read creationStatus(). A refusing client may still hand
    // back a handle, whose error record says why; it is freed with the object.
    explicit OciEnvironment(const OciEntryPoints& entryPoints);
    ~OciEnvironment();
    OciEnvironment(const OciEnvironment&) = delete;
    OciEnvironment& operator=(const OciEnvironment&) = delete;

    OCIEnv* handle() const { return environment_; }
    const OciEntryPoints& api() const { return api_; }
    sword creationStatus() const { return creationStatus_; }

    // Allocates a child handle of the given type (no user memory). Not checked: returns null
    // when the library refuses.
    void* allocate(ub4 handleType) const;

  private:
    OciEntryPoints api_;
    OCIEnv* environment_ = nullptr;
    sword creationStatus_ = OCI_ERROR;
};

} // namespace oci
