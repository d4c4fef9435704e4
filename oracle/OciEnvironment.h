// The OCI environment handle, shared by a connection and the statements made on it.
#pragma once

#include "oracle/OciLibrary.h"

namespace oci {

// Creates one environment handle and frees it when the last owner lets go of it. A
// connection and each of its statements hold it through a std::shared_ptr, so a statement
// may outlive its connection. Used by one load's worker thread; other threads (a new load's
// worker while a stopped one ends) use environments of their own, and OCI_THREADED lets the
// client library's shared state take that.
class OciEnvironment {
  public:
    // Calls OCIEnvNlsCreate in threaded object mode with `characterSet` as the character set
    // of every text bound and received (0: the client's NLS_LANG decides). Not checked: when
    // it fails, handle() is null and the first checked call on it reports an invalid handle.
    OciEnvironment(const OciEntryPoints& entryPoints, ub2 characterSet);
    ~OciEnvironment();
    OciEnvironment(const OciEnvironment&) = delete;
    OciEnvironment& operator=(const OciEnvironment&) = delete;

    OCIEnv* handle() const { return environment_; }
    const OciEntryPoints& api() const { return api_; }

    // Allocates a child handle of the given type (no user memory). Not checked: returns null
    // when the library refuses.
    void* allocate(ub4 handleType) const;

  private:
    OciEntryPoints api_;
    OCIEnv* environment_ = nullptr;
};

} // namespace oci
