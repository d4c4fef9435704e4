// The error code and message text that a connection or a statement reports.
#pragma once

#include "oracle/OciLibrary.h"

#include <string>

namespace oci {

// Holds `lastError` and `errorBuffer` of one wrapper object. They are read from record 1 of
// the connection's shared error handle, or set by the wrapper itself when the client
// library is missing or a call failed without leaving a record.
class OciDiagnostics {
  public:
    // Oracle's largest message (OCI_ERROR_MAXMSG_SIZE2), so that a long one arrives whole.
    static constexpr int kBufferSize = 3072;

    // How one OCI call ended, judged by its return code.
    enum class Outcome {
        Success, // OCI_SUCCESS, or OCI_SUCCESS_WITH_INFO without a record
        Warning, // OCI_SUCCESS_WITH_INFO with a record; lastError() holds its code
        Failure, // anything else; lastError() and the text describe it
    };

    OciDiagnostics();

    // "Can't load oci.dll" (in an otherwise zeroed buffer) and -1; or, when given, the text
    // saying why the library could not be used, cut to the buffer.
    void setLibraryMissing(const std::string& text = "Can't load oci.dll");

    // Judges the return code of the call named `callName`. The error record is read only
    // when the call did not return OCI_SUCCESS, from `handle`: the error handle, or for the
    // environment's creation the environment handle (`handleType` OCI_HTYPE_ENV). A call that
    // returned OCI_INVALID_HANDLE, or failed without a record, gets a text of our own naming
    // the call, and its status as code; that text stays until the next judged call, whatever
    // the error handle holds.
    Outcome judge(sword status, const char* callName, const OciEntryPoints* api, void* handle,
                  ub4 handleType = OCI_HTYPE_ERROR);

    // Record 1 of the error handle (in UTF-8, as the environment's texts are, and never
    // ending in a broken character), line feed included, when `api` and `errorHandle` are
    // given and no text of our own is pending; otherwise, or when the handle holds no
    // record, the text last stored.
    const char* text(const OciEntryPoints* api, OCIError* errorHandle);
    // The code of record 1, or 0 when the handle holds no record (the code and the text are
    // cleared before asking). Without `api` or `errorHandle`, or with a text of our own
    // pending, the code last stored.
    int code(const OciEntryPoints* api, OCIError* errorHandle);

    int lastError() const { return lastError_; }
    // The text last read or stored, without asking the library.
    const char* lastText() const { return errorBuffer_; }

  private:
    void setOwn(int code, const char* text);
    int recordCode(const OciEntryPoints* api, void* handle, ub4 handleType);
    void queryRecord(const OciEntryPoints& api, void* handle, ub4 handleType);

    char errorBuffer_[kBufferSize];
    int lastError_ = 0;
    bool ownError_ = false;
};

} // namespace oci
