// The Oracle client library's names on Linux and other POSIX systems, and what a load says
// when none of them loads.
#include "oracle/OciLibrary.h"

#include "platform/CodePage.h"

#include <cstdlib>

namespace oci {

namespace {

// dlopen's words for a name that matched no file: anything else means a file was there (or
// could not be read).
bool isNotFound(const LibraryAttempt& attempt) {
    return attempt.reason ==
           attempt.name + ": cannot open shared object file: No such file or directory";
}

} // namespace

std::vector<std::string> oracleClientLibraryNames() {
    const char* override = std::getenv("MARLIN_OCI_LIBRARY");
    if (override != nullptr && *override != '\0')
        return {override};
    // An Instant Client may carry the library only under its release's name.
    std::vector<std::string> names{"libclntsh.so"};
    for (const char* release : {"23.1", "21.1", "20.1", "19.1", "18.1", "12.1", "11.1"})
        names.push_back(std::string("libclntsh.so.") + release);
    // A full client's home, where its own tools find it, when the loader's search does not.
    const char* oracleHome = std::getenv("ORACLE_HOME");
    if (oracleHome != nullptr && *oracleHome != '\0')
        names.push_back(std::string(oracleHome) + "/lib/libclntsh.so");
    return names;
}

std::string clientLibraryFailureText(const std::vector<LibraryAttempt>& attempts) {
    std::string reason = "no library of these names was found";
    std::string names;
    for (const LibraryAttempt& attempt : attempts) {
        if (!isNotFound(attempt) && reason.rfind("no library", 0) == 0)
            reason = attempt.reason;
        names += (names.empty() ? "" : ", ") + attempt.name;
    }
    // The loader's words and the file names are in the locale's encoding; the load's texts
    // are UTF-8.
    return platform::utf8FromLocal("Can't load the Oracle client library: " + reason +
                                   "\nNames tried: " + names);
}

} // namespace oci
