// The main dialog's reading of its fields: quotes, blanks, missing files, the picker's folder.
#include "app/DialogInput.h"

#include <windows.h>

namespace {

const char kBlanks[] = " \t";

bool isFolder(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string fullPath(const std::string& path) {
    char full[MAX_PATH] = {};
    const DWORD length = ::GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::string(full, length) : std::string();
}

} // namespace

std::string unquotedPath(const std::string& text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    const std::size_t last = text.find_last_not_of(kBlanks);
    if (first == std::string::npos || last - first < 1 || text[first] != '"' || text[last] != '"')
        return text;
    return text.substr(first + 1, last - first - 1);
}

bool isBlank(const std::string& text) {
    return text.find_first_not_of(kBlanks) == std::string::npos;
}

bool fileIsMissing(const std::string& path) {
    if (::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return false;
    switch (::GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE:
        return true;
    default:
        return false;
    }
}

std::string folderOfPath(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos)
        return std::string();
    // "C:\" keeps its separator: "C:" alone is the drive's current folder.
    if (separator > 0 && path[separator - 1] == ':')
        return path.substr(0, separator + 1);
    return path.substr(0, separator);
}

std::string pickerFolderFor(const std::string& fileNameText, const std::string& lastFolder) {
    const std::string path = unquotedPath(fileNameText);
    if (!isBlank(path)) {
        const std::string full = fullPath(path);
        if (!full.empty() && isFolder(full))
            return full;
        const std::string folder = folderOfPath(full);
        if (!folder.empty() && isFolder(folder))
            return folder;
    }
    return !lastFolder.empty() && isFolder(lastFolder) ? lastFolder : std::string();
}
