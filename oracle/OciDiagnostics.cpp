// Reading OCI error records into a wrapper's code and text.
#include "oracle/OciDiagnostics.h"

#include "platform/Utf8.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace oci {

OciDiagnostics::OciDiagnostics() {
    errorBuffer_[0] = '\0';
}

void OciDiagnostics::setLibraryMissing(const std::string& text) {
    std::memset(errorBuffer_, 0, sizeof errorBuffer_);
    std::memcpy(errorBuffer_, text.data(), std::min(text.size(), sizeof errorBuffer_ - 1));
    lastError_ = -1;
    ownError_ = true;
}

void OciDiagnostics::setOwn(int code, const char* text) {
    std::snprintf(errorBuffer_, sizeof errorBuffer_, "%s", text);
    lastError_ = code;
    ownError_ = true;
}

OciDiagnostics::Outcome OciDiagnostics::judge(sword status, const char* callName,
                                              const OciEntryPoints* api, void* handle,
                                              ub4 handleType) {
    ownError_ = false;
    if (status == OCI_SUCCESS)
        return Outcome::Success;

    char ownText[kBufferSize];
    if (status == OCI_INVALID_HANDLE) {
        // Oracle leaves no record for an invalid handle; whatever the handle holds is older.
        std::snprintf(ownText, sizeof ownText, "%s failed: invalid handle", callName);
        setOwn(status, ownText);
        return Outcome::Failure;
    }
    // Without a handle there is no record to read, whatever an earlier call left here.
    const int recorded = handle != nullptr ? recordCode(api, handle, handleType) : 0;
    if (recorded != 0)
        return status == OCI_SUCCESS_WITH_INFO ? Outcome::Warning : Outcome::Failure;
    if (status == OCI_SUCCESS_WITH_INFO)
        return Outcome::Success;
    std::snprintf(ownText, sizeof ownText, "%s failed with status %d and no error record", callName,
                  static_cast<int>(status));
    setOwn(status, ownText);
    return Outcome::Failure;
}

void OciDiagnostics::queryRecord(const OciEntryPoints& api, void* handle, ub4 handleType) {
    // When there is no record the library leaves both outputs as they are.
    api.OCIErrorGet(handle, 1, nullptr, &lastError_, reinterpret_cast<OraText*>(errorBuffer_),
                    kBufferSize, handleType);
    errorBuffer_[kBufferSize - 1] = '\0';
    // A text cut to the buffer may end inside a character.
    errorBuffer_[utf8::withoutBrokenEnd(errorBuffer_, std::strlen(errorBuffer_))] = '\0';
}

const char* OciDiagnostics::text(const OciEntryPoints* api, OCIError* errorHandle) {
    if (api != nullptr && errorHandle != nullptr && !ownError_)
        queryRecord(*api, errorHandle, OCI_HTYPE_ERROR);
    return errorBuffer_;
}

int OciDiagnostics::code(const OciEntryPoints* api, OCIError* errorHandle) {
    return recordCode(api, errorHandle, OCI_HTYPE_ERROR);
}

int OciDiagnostics::recordCode(const OciEntryPoints* api, void* handle, ub4 handleType) {
    if (api == nullptr || handle == nullptr || ownError_)
        return lastError_;
    lastError_ = 0;
    errorBuffer_[0] = '\0';
    queryRecord(*api, handle, handleType);
    return lastError_;
}

} // namespace oci
