// The shared OCI environment handle.
#include "oracle/OciEnvironment.h"

namespace oci {

OciEnvironment::OciEnvironment(const OciEntryPoints& entryPoints) : api_(entryPoints) {
    api_.OCIInitialize(OCI_OBJECT, nullptr, nullptr, nullptr, nullptr);
    api_.OCIEnvInit(&environment_, OCI_DEFAULT, 0, nullptr);
}

OciEnvironment::~OciEnvironment() {
    if (environment_ != nullptr)
        api_.OCIHandleFree(environment_, OCI_HTYPE_ENV);
}

void* OciEnvironment::allocate(ub4 handleType) const {
    void* handle = nullptr;
    if (api_.OCIHandleAlloc(environment_, &handle, handleType, 0, nullptr) != OCI_SUCCESS)
        return nullptr;
    return handle;
}

} // namespace oci
