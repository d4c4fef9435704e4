// POSIX half of DynamicLibrary: dlopen and dlsym.
#include "platform/DynamicLibrary.h"

#include <dlfcn.h>

namespace platform {

LibraryHandle loadLibrary(const std::string& name) {
    return ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void keepCurrentFolderOutOfLibrarySearch() {
    // The dynamic loader looks in no folder of its own choosing; only an empty or relative
    // entry of LD_LIBRARY_PATH, which the user sets, names the current folder.
}

std::string lastLoadError() {
    const char* error = ::dlerror();
    return error != nullptr ? error : "";
}

void* findSymbol(LibraryHandle library, const char* name) {
    return library != nullptr ? ::dlsym(library, name) : nullptr;
}

} // namespace platform
