// The OCI environment handle, shared by a connection and the statements made on it.
#pragma once

#include "oracle/OciLibrary.h"

namespace oci {

// Initialises the client library and creates one environment handle; frees the handle when
// the last owner lets go of it. A connection and each of its statements hold it through a
// std::shared_ptr, so a statement may outlive its connection.
class OciEnvironment {
  public:
    // Calls OCIInitialize (object mode) and OCIEnvInit. Neither is checked: when they fail,
    // handle() is null and the first checked call on it reports an invalid handle.
    explicit OciEnvironment(const OciEntryPoints& entryPoints);
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
