// The Oracle client library, loaded by name at run time, and its table of entry points.
#pragma once

#include "oracle/OciTypes.h"

#include <optional>
#include <string>

namespace oci {

// One typed pointer per entry point, all found in the same library.
struct OciEntryPoints {
#define MARLIN_OCI_POINTER(name) name##Fn name = nullptr;
    MARLIN_OCI_ENTRY_POINTS(MARLIN_OCI_POINTER)
    MARLIN_OCI_OPTIONAL_ENTRY_POINTS(MARLIN_OCI_POINTER)
#undef MARLIN_OCI_POINTER
};

// Loads the client library (the first of platform::oracleClientLibraryNames() that loads)
// and looks up every entry point by name. Returns nothing when the library cannot be loaded or
// lacks any of the entry points but the optional ones (left null), or has no way of preparing
// a statement: such a library counts as not loaded, so no call ever goes through a missing
// pointer; `failureText`, when given, then
// receives what the user is told (platform::clientLibraryFailureText). The library stays loaded
// until the process ends.
std::optional<OciEntryPoints> loadOciLibrary(std::string* failureText = nullptr);

} // namespace oci
