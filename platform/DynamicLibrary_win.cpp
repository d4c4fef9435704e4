// Windows half of DynamicLibrary: LoadLibraryA and GetProcAddress.
#include "platform/DynamicLibrary.h"

#include <windows.h>

#include <cstdlib>

namespace platform {

LibraryHandle loadLibrary(const std::string& name) {
    return reinterpret_cast<LibraryHandle>(::LoadLibraryA(name.c_str()));
}

std::string lastLoadError() {
    char text[512] = {};
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                         ::GetLastError(), 0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.pop_back();
    return message;
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

std::string clientLibraryFailureText(const std::vector<LibraryAttempt>&) {
    return "Can't load oci.dll";
}

} // namespace platform
