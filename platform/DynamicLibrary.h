// Run-time loading of a shared library and look-up of its entry points by name.
#pragma once

#include <string>
#include <vector>

namespace platform {

// An opaque handle of a loaded library; null when loading failed.
using LibraryHandle = void*;

// Loads the library by name through the platform's usual search. Returns null on failure.
// Libraries are never unloaded: entry points looked up from them stay valid for the life of
// the process.
LibraryHandle loadLibrary(const std::string& name);

// The loader's own words for why the last loadLibrary() on this thread failed (dlerror(), or
// the system's text for GetLastError()); empty when it gave none.
std::string lastLoadError();

// The address of the exported entry point, or null when the library does not export it.
void* findSymbol(LibraryHandle library, const char* name);

// The Oracle client library's file names, to try in order: "OCI.DLL" on Windows;
// "libclntsh.so" elsewhere, then the names Instant Client releases give it, newest first
// ("libclntsh.so.23.1" down to "libclntsh.so.11.1"), then "$ORACLE_HOME/lib/libclntsh.so"
// when ORACLE_HOME is set. A file named by the environment variable MARLIN_OCI_LIBRARY (for
// tests) is the only name.
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

} // namespace platform
