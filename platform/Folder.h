// Listing a folder's files, as marlin-load reads a folder of tables. A POSIX half and a
// Windows half.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform::folder {

// True when the path names a folder (a link to one included).
bool isFolder(const std::string& path);

// The names of the files in the folder, its subfolders left out, in no particular order;
// none when the folder cannot be read.
std::optional<std::vector<std::string>> fileNames(const std::string& folder);

// The path of a file in the folder: the platform's separator between them, unless the folder
// ends in one already.
std::string pathInFolder(const std::string& folder, const std::string& name);

} // namespace platform::folder
