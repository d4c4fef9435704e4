// Loading the Oracle client library and filling its entry-point table.
#include "oracle/OciLibrary.h"

#include "platform/DynamicLibrary.h"

#include <string>
#include <vector>

namespace oci {

namespace {

platform::LibraryHandle loadClientLibrary() {
    for (const std::string& name : platform::oracleClientLibraryNames())
        if (platform::LibraryHandle library = platform::loadLibrary(name))
            return library;
    return nullptr;
}

} // namespace

std::optional<OciEntryPoints> loadOciLibrary() {
    platform::LibraryHandle library = loadClientLibrary();
    if (library == nullptr)
        return std::nullopt;

    OciEntryPoints entryPoints;
    bool complete = true;
#define MARLIN_OCI_LOOKUP(name)                                                                    \
    entryPoints.name = reinterpret_cast<name##Fn>(platform::findSymbol(library, #name));           \
    complete = complete && entryPoints.name != nullptr;
    MARLIN_OCI_ENTRY_POINTS(MARLIN_OCI_LOOKUP)
#undef MARLIN_OCI_LOOKUP
    if (!complete)
        return std::nullopt;
    return entryPoints;
}

} // namespace oci
