// POSIX half of Folder: stat and readdir.
#include "platform/Folder.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>

namespace platform::folder {

bool isFolder(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::optional<std::vector<std::string>> fileNames(const std::string& folder) {
    std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(folder.c_str()), ::closedir);
    if (listing == nullptr)
        return std::nullopt;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(listing.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != ".." && !isFolder(pathInFolder(folder, name)))
            names.push_back(name);
    }
    return names;
}

std::string pathInFolder(const std::string& folder, const std::string& name) {
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

} // namespace platform::folder
