// The Oracle client library's name on Windows, and what a load says when it does not load.
#include "oracle/OciLibrary.h"

#include <cstdlib>

namespace oci {

std::vector<std::string> oracleClientLibraryNames() {
    const char* override = std::getenv("MARLIN_OCI_LIBRARY");
    return {override != nullptr && *override != '\0' ? override : "OCI.DLL"};
}

std::string clientLibraryFailureText(const std::vector<LibraryAttempt>&) {
    return "Can't load oci.dll";
}

} // namespace oci
