// Run-time loading of a shared library and look-up of its entry points by name.
#pragma once

#include <string>

namespace platform {

// An opaque handle of a loaded library; null when loading failed.
using LibraryHandle = void*;

// Loads the library by name through the platform's usual search. Returns null on failure.
// Libraries are never unloaded: entry points looked up from them stay valid for the life of
// the process.
LibraryHandle loadLibrary(const std::string& name);

// The address of the exported entry point, or null when the library does not export it.
void* findSymbol(LibraryHandle library, const char* name);

// The Oracle client library's file name: "OCI.DLL" on Windows and "libclntsh.so" elsewhere,
// unless the environment variable MARLIN_OCI_LIBRARY names another file (for tests).
std::string oracleClientLibraryName();

} // namespace platform
