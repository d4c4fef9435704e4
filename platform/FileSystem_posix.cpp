// POSIX half of the file operations.
#include "platform/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <vector>

namespace platform {

namespace {

std::string systemText(int error) {
    return std::generic_category().message(error);
}

FileProblem problemOf(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return {FileProblem::Kind::Missing, "", 0};
    case EACCES:
    case EPERM:
        return {FileProblem::Kind::Denied, "", 0};
    case ELOOP:
        return {FileProblem::Kind::LinkLoop, "", 0};
    default:
        return {FileProblem::Kind::Other, systemText(error), 0};
    }
}

const char* kindOfSpecialFile(mode_t mode) {
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    return "not a regular file";
}

// Opened without waiting: a FIFO put in the name's place after a look at it must not hang the
// caller. Regular files read the same either way.
int openToRead(const std::string& path) {
    return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

bool writeAll(int fd, const unsigned char* data, std::size_t bytes) {
    while (bytes > 0) {
        ssize_t written = ::write(fd, data, bytes);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        bytes -= static_cast<std::size_t>(written);
    }
    return true;
}

CopyResult copyContents(int source, int target, const std::function<bool()>& stopRequested) {
    std::vector<unsigned char> chunk(1 << 20);
    for (;;) {
        if (stopRequested && stopRequested())
            return CopyResult::Stopped;
        ssize_t got = ::read(source, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return CopyResult::Failed;
        if (got == 0)
            return CopyResult::Copied;
        if (!writeAll(target, chunk.data(), static_cast<std::size_t>(got)))
            return CopyResult::Failed;
    }
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalIgnoringAsciiCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return asciiLower(x) == asciiLower(y);
           });
}

// The names in `folder` that start with `prefix` (in any case too with `prefixInAnyCase`) and
// end with `extension` in any case.
std::vector<std::string> namesWithExtension(const std::string& folder, const std::string& prefix,
                                            const std::string& extension, bool prefixInAnyCase) {
    std::vector<std::string> names;
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr)
        return names;
    while (const dirent* entry = ::readdir(directory)) {
        const std::string name = entry->d_name;
        if (name.size() != prefix.size() + extension.size())
            continue;
        const std::string namePrefix = name.substr(0, prefix.size());
        if ((namePrefix == prefix ||
             (prefixInAnyCase && equalIgnoringAsciiCase(namePrefix, prefix))) &&
            equalIgnoringAsciiCase(name.substr(prefix.size()), extension))
            names.push_back(name);
    }
    ::closedir(directory);
    return names;
}

// The first name, in byte order, of the files named `stem` + `extension` in that case or any.
std::optional<std::string> findNamed(const std::string& stem, const std::string& extension,
                                     bool stemInAnyCase) {
    const std::size_t slash = stem.rfind('/');
    const std::string folderPart = slash == std::string::npos ? "" : stem.substr(0, slash + 1);
    const std::string prefix = stem.substr(folderPart.size());
    std::vector<std::string> names =
        namesWithExtension(folderPart.empty() ? "." : folderPart, prefix, extension, stemInAnyCase);
    if (names.empty())
        return std::nullopt;
    return folderPart + *std::min_element(names.begin(), names.end());
}

} // namespace

bool fileExists(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

FileProblem examineFileToRead(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return problemOf(errno);
    if (S_ISDIR(status.st_mode))
        return {FileProblem::Kind::Folder, "", 0};
    if (!S_ISREG(status.st_mode))
        return {FileProblem::Kind::NotRegular, kindOfSpecialFile(status.st_mode), 0};
    const int descriptor = openToRead(path);
    if (descriptor < 0)
        return problemOf(errno);
    ::close(descriptor);
    return {FileProblem::Kind::None, "", static_cast<std::uint64_t>(status.st_size)};
}

std::string temporaryFolder() {
    const char* folder = std::getenv("TMPDIR");
    std::string path = folder != nullptr && *folder != '\0' ? folder : "/tmp";
    return path.back() == '/' ? path : path + "/";
}

std::string pathInTemporaryFolder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return temporaryFolder() + (slash == std::string::npos ? path : path.substr(slash + 1));
}

std::optional<std::string> findWithExtensionInAnyCase(const std::string& stem,
                                                      const std::string& extension) {
    if (fileExists(stem + extension))
        return stem + extension;
    return findNamed(stem, extension, false);
}

std::optional<std::string> findInAnyCase(const std::string& stem, const std::string& extension) {
    if (std::optional<std::string> found = findWithExtensionInAnyCase(stem, extension))
        return found;
    return findNamed(stem, extension, true);
}

CopyResult copyFile(const std::string& from, const std::string& to, std::string& reason,
                    const std::function<bool()>& stopRequested) {
    const int source = openToRead(from);
    if (source < 0) {
        reason = systemText(errno);
        return CopyResult::Failed;
    }
    // O_EXCL: a name taken since it was found free, or a link planted there by another user
    // of a shared folder, is never written through.
    const int target = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (target < 0) {
        reason = systemText(errno);
        ::close(source);
        return CopyResult::Failed;
    }
    CopyResult result = copyContents(source, target, stopRequested);
    int error = errno;
    ::close(source);
    if (::close(target) != 0 && result == CopyResult::Copied) {
        result = CopyResult::Failed;
        error = errno;
    }
    if (result == CopyResult::Failed)
        reason = systemText(error);
    if (result != CopyResult::Copied)
        ::unlink(to.c_str());
    return result;
}

bool deleteFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

bool BinaryFile::open(const std::string& path, Access access) {
    close();
    const int flags = (access == Access::ReadWrite ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC;
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0)
        return false;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return false;
    }
    handle_ = fd;
    return true;
}

void BinaryFile::close() {
    if (handle_ >= 0)
        ::close(static_cast<int>(handle_));
    handle_ = -1;
}

bool BinaryFile::isOpen() const {
    return handle_ >= 0;
}

std::size_t BinaryFile::readAt(std::uint64_t offset, void* buffer, std::size_t bytes) {
    if (handle_ < 0)
        return 0;
    std::size_t done = 0;
    auto* out = static_cast<unsigned char*>(buffer);
    while (done < bytes) {
        ssize_t got = ::pread(static_cast<int>(handle_), out + done, bytes - done,
                              static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

bool BinaryFile::writeAt(std::uint64_t offset, const void* buffer, std::size_t bytes) {
    if (handle_ < 0)
        return false;
    std::size_t done = 0;
    const auto* in = static_cast<const unsigned char*>(buffer);
    while (done < bytes) {
        ssize_t written = ::pwrite(static_cast<int>(handle_), in + done, bytes - done,
                                   static_cast<off_t>(offset + done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace platform
