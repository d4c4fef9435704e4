// The Oracle client library, loaded by name at run time, and its table of entry points.
#pragma once

#include "oracle/OciTypes.h"

#include <optional>
#include <string>
#include <vector>

namespace oci {

// The client library's file names, to try in order: "OCI.DLL" on Windows (looked for as
// platform::loadLibrary() does); "libclntsh.so" elsewhere, then the names Instant Client
// releases give it, newest first ("libclntsh.so.23.1" down to "libclntsh.so.11.1"), then
// "$ORACLE_HOME/lib/libclntsh.so" when ORACLE_HOME is set. A file named by the environment
// variable MARLIN_OCI_LIBRARY is the only name: it replaces the search.
std::vector<std::string> oracleClientLibraryNames();

// One name tried for the client library, and why it could not be used.
struct LibraryAttempt {
    std::string name;
    std::string reason; // the loader's words, or a missing entry point
};

// What a load reports when no client library could be used. On Windows "Can't load oci.dll",
// as the dialog has always said; elsewhere the telling reason (a library that was found but
// could not be loaded, such as one whose libaio.so.1 is missing) and the names tried.
std::string clientLibraryFailureText(const std::vector<LibraryAttempt>& attempts);

// One typed pointer per entry point, all found in the same library.
struct OciEntryPoints {
#define MARLIN_OCI_POINTER(name) name##Fn name = nullptr;
    MARLIN_OCI_ENTRY_POINTS(MARLIN_OCI_POINTER)
    MARLIN_OCI_OPTIONAL_ENTRY_POINTS(MARLIN_OCI_POINTER)
#undef MARLIN_OCI_POINTER
};

// Loads the client library (the first of oracleClientLibraryNames() that loads)
// and looks up every entry point by name. Returns nothing when the library cannot be loaded or
// lacks any of the entry points but the optional ones (left null), or has no way of preparing
// a statement: such a library counts as not loaded, so no call ever goes through a missing
// pointer; `failureText`, when given, then
// receives what the user is told (clientLibraryFailureText). The library stays loaded
// until the process ends.
std::optional<OciEntryPoints> loadOciLibrary(std::string* failureText = nullptr);

} // namespace oci
