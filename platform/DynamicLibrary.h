// Run-time loading of a shared library and look-up of its entry points by name.
#pragma once

#include <string>

namespace platform {

// An opaque handle of a loaded library; null when loading failed.
using LibraryHandle = void*;

// Loads the library. A name with a folder in it is loaded from there. A bare name is looked
// for, on Windows, in the program's folder and then in each folder of the PATH that is a
// full path, in order, and the first file of that name that loads is taken; elsewhere the
// dynamic loader's own search finds it. Never from the current folder on Windows, whose
// system search would look there before the PATH. Returns null on failure. Libraries are
// never unloaded: entry points looked up from them stay valid for the life of the process.
LibraryHandle loadLibrary(const std::string& name);

// Takes the current folder out of the system's search for every library loaded later
// (Windows: SetDllDirectoryW(L"")); does nothing elsewhere. Call first thing in a program: a
// file picker or a command line may make any folder current, and a library planted there
// would run inside the program.
void keepCurrentFolderOutOfLibrarySearch();

// The loader's own words for why the last loadLibrary() on this thread failed (dlerror(), or
// the system's text for GetLastError()); empty when it gave none.
std::string lastLoadError();

// The address of the exported entry point, or null when the library does not export it.
void* findSymbol(LibraryHandle library, const char* name);

} // namespace platform
