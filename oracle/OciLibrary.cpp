// Loading the Oracle client library and filling its entry-point table.
#include "oracle/OciLibrary.h"

#include "platform/DynamicLibrary.h"

#include <string>
#include <vector>

namespace oci {

namespace {

// An Instant Client on Linux may carry the library only under its release's name, so those
// names follow the plain one, newest first. A name given for tests is tried alone.
std::vector<std::string> clientLibraryNames() {
    const std::string name = platform::oracleClientLibraryName();
    std::vector<std::string> names{name};
    if (name == "libclntsh.so")
        for (const char* release : {"23.1", "21.1", "20.1", "19.1", "18.1", "12.1", "11.1"})
            names.push_back(name + "." + release);
    return names;
}

platform::LibraryHandle loadClientLibrary() {
    for (const std::string& name : clientLibraryNames())
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
