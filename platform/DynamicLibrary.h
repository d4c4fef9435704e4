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

// The address of the exported entry point, or null when the library does not export it.
void* findSymbol(LibraryHandle library, const char* name);

// The Oracle client library's file names, to try in order: "OCI.DLL" on Windows;
// "libclntsh.so" elsewhere, then the names Instant Client releases give it, newest first
// ("libclntsh.so.23.1" down to "libclntsh.so.11.1"). A file named by the environment
// variable MARLIN_OCI_LIBRARY (for tests) is the only name.
std::vector<std::string> oracleClientLibraryNames();

} // namespace platform
