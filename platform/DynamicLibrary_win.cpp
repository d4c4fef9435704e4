// Windows half of DynamicLibrary: LoadLibraryA and GetProcAddress.
#include "platform/DynamicLibrary.h"

#include <windows.h>

#include <cstdlib>

namespace platform {

LibraryHandle loadLibrary(const std::string& name) {
    return reinterpret_cast<LibraryHandle>(::LoadLibraryA(name.c_str()));
}

void* findSymbol(LibraryHandle library, const char* name) {
    if (library == nullptr)
        return nullptr;
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name));
}

std::vector<std::string> oracleClientLibraryNames() {
    const char* override = std::getenv("MARLIN_OCI_LIBRARY");
    return {override != nullptr && *override != '\0' ? override : "OCI.DLL"};
}

} // namespace platform
