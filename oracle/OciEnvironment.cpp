// The shared OCI environment handle.
#include "oracle/OciEnvironment.h"

namespace oci {

OciEnvironment::OciEnvironment(const OciEntryPoints& entryPoints) : api_(entryPoints) {
    // Declaring the character set keeps every character intact whatever NLS_LANG says
    // (without it an Instant Client works in US7ASCII). Oracle's header wants both sets zero
    // or both set, and its own drivers pass the same id twice.
    creationStatus_ =
        api_.OCIEnvNlsCreate(&environment_, OCI_THREADED | OCI_OBJECT, nullptr, nullptr, nullptr,
                             nullptr, 0, nullptr, kAl32Utf8, kAl32Utf8);
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
