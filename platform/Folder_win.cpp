// Windows half of Folder: GetFileAttributesA and FindFirstFileA.
#include "platform/Folder.h"

#include <windows.h>

namespace platform::folder {

bool isFolder(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<std::vector<std::string>> fileNames(const std::string& folder) {
    WIN32_FIND_DATAA found{};
    const HANDLE search = ::FindFirstFileA(pathInFolder(folder, "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::vector<std::string> names;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            names.push_back(found.cFileName);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return names;
}

std::string pathInFolder(const std::string& folder, const std::string& name) {
    const bool separated =
        !folder.empty() && (folder.back() == '\\' || folder.back() == '/' || folder.back() == ':');
    return separated ? folder + name : folder + "\\" + name;
}

} // namespace platform::folder
