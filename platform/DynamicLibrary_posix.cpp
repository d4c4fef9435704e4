// POSIX half of DynamicLibrary: dlopen and dlsym.
#include "platform/DynamicLibrary.h"

#include <dlfcn.h>

#include <cstdlib>

namespace platform {

LibraryHandle loadLibrary(const std::string& name) {
    return ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void keepCurrentFolderOutOfLibrarySearch() {
    // The dynamic loader looks in no folder of its own choosing; only an empty or relative
    // entry of LD_LIBRARY_PATH, which the user sets, names the current folder.
}

void* findSymbol(LibraryHandle library, const char* name) {
    return library != nullptr ? ::dlsym(library, name) : nullptr;
}

std::vector<std::string> oracleClientLibraryNames() {
    const char* override = std::getenv("MARLIN_OCI_LIBRARY");
    if (override != nullptr && *override != '\0')
        return {override};
    // An Instant Client may carry the library only under its release's name.
    std::vector<std::string> names{"libclntsh.so"};
    for (const char* release : {"23.1", "21.1", "20.1", "19.1", "18.1", "12.1", "11.1"})
        names.push_back(std::string("libclntsh.so.") + release);
    return names;
}

} // namespace platform
