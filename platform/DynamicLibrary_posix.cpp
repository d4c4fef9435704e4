// POSIX half of DynamicLibrary: dlopen and dlsym.
#include "platform/DynamicLibrary.h"

#include <dlfcn.h>

#include <cstdlib>

namespace platform {

LibraryHandle loadLibrary(const std::string& name) {
    return ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* findSymbol(LibraryHandle library, const char* name) {
    return library != nullptr ? ::dlsym(library, name) : nullptr;
}

std::string oracleClientLibraryName() {
    const char* override = std::getenv("MARLIN_OCI_LIBRARY");
    return override != nullptr && *override != '\0' ? override : "libclntsh.so";
}

} // namespace platform
