// Loading the Oracle client library and filling its entry-point table.
#include "oracle/OciLibrary.h"

#include "platform/DynamicLibrary.h"

#include <string>
#include <vector>

namespace oci {

namespace {

// The first name that loads; every name before it goes into `attempts` with its reason.
platform::LibraryHandle loadClientLibrary(std::vector<LibraryAttempt>& attempts,
                                          std::string& loadedName) {
    for (const std::string& name : oracleClientLibraryNames()) {
        if (platform::LibraryHandle library = platform::loadLibrary(name)) {
            loadedName = name;
            return library;
        }
        attempts.push_back({name, platform::lastLoadError()});
    }
    return nullptr;
}

// Fills the table; returns the first entry point the library lacks, or an empty name.
std::string lookUpEntryPoints(platform::LibraryHandle library, OciEntryPoints& entryPoints) {
    std::string missing;
#define MARLIN_OCI_LOOKUP(name)                                                                    \
    entryPoints.name = reinterpret_cast<name##Fn>(platform::findSymbol(library, #name));           \
    if (entryPoints.name == nullptr && missing.empty())                                            \
        missing = #name;
    MARLIN_OCI_ENTRY_POINTS(MARLIN_OCI_LOOKUP)
#undef MARLIN_OCI_LOOKUP
#define MARLIN_OCI_OPTIONAL_LOOKUP(name)                                                           \
    entryPoints.name = reinterpret_cast<name##Fn>(platform::findSymbol(library, #name));
    MARLIN_OCI_OPTIONAL_ENTRY_POINTS(MARLIN_OCI_OPTIONAL_LOOKUP)
#undef MARLIN_OCI_OPTIONAL_LOOKUP
    // A statement from OCIStmtPrepare2 can only go back through OCIStmtRelease.
    if (entryPoints.OCIStmtPrepare2 == nullptr || entryPoints.OCIStmtRelease == nullptr) {
        entryPoints.OCIStmtPrepare2 = nullptr;
        entryPoints.OCIStmtRelease = nullptr;
        if (entryPoints.OCIStmtPrepare == nullptr && missing.empty())
            missing = "OCIStmtPrepare2";
    }
    return missing;
}

} // namespace

std::optional<OciEntryPoints> loadOciLibrary(std::string* failureText) {
    std::vector<LibraryAttempt> attempts;
    std::string name;
    if (platform::LibraryHandle library = loadClientLibrary(attempts, name)) {
        OciEntryPoints entryPoints;
        const std::string missing = lookUpEntryPoints(library, entryPoints);
        if (missing.empty())
            return entryPoints;
        attempts.push_back({name, name + " has no entry point " + missing});
    }
    if (failureText != nullptr)
        *failureText = clientLibraryFailureText(attempts);
    return std::nullopt;
}

} // namespace oci
