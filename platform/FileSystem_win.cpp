// Windows half of the file operations.
#include "platform/FileSystem.h"

#include "platform/CodePage.h"
#include "platform/WinHandles.h"

#include <windows.h>

#include <vector>

namespace platform {

namespace {

// The system's words for an error, in UTF-8, without the line break that ends them.
std::string systemText(DWORD error) {
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string words = length > 0 ? std::string(text, length) : "";
    ::LocalFree(text);
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' ' ||
                              words.back() == '.'))
        words.pop_back();
    return words.empty() ? "error " + std::to_string(error) : utf8FromLocal(words);
}

FileProblem problemOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return {FileProblem::Kind::Missing, "", 0};
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return {FileProblem::Kind::InUse, "", 0};
    case ERROR_ACCESS_DENIED:
        return {FileProblem::Kind::Denied, "", 0};
    case ERROR_CANT_RESOLVE_FILENAME:
        return {FileProblem::Kind::LinkLoop, "", 0};
    default:
        return {FileProblem::Kind::Other, systemText(error), 0};
    }
}

// Read sharing only, as the reader maps it: a file another program writes is not taken.
HANDLE openToRead(const std::string& path) {
    return ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A name such as NUL.dbf or a pipe's opens a device: it is no file to read whole.
bool isDiskFile(HANDLE file) {
    return ::GetFileType(file) == FILE_TYPE_DISK;
}

CopyResult copyContents(HANDLE source, HANDLE target, const std::function<bool()>& stopRequested) {
    std::vector<char> chunk(1 << 20);
    for (;;) {
        if (stopRequested && stopRequested())
            return CopyResult::Stopped;
        DWORD got = 0;
        if (!::ReadFile(source, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr))
            return CopyResult::Failed;
        if (got == 0)
            return CopyResult::Copied;
        DWORD written = 0;
        if (!::WriteFile(target, chunk.data(), got, &written, nullptr) || written != got)
            return CopyResult::Failed;
    }
}

HANDLE asHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

bool seek(HANDLE file, std::uint64_t offset) {
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(offset);
    return ::SetFilePointerEx(file, position, nullptr, FILE_BEGIN) != 0;
}

} // namespace

bool fileExists(const std::string& path) {
    // GetFileAttributesA expands no wildcards, so only the exact name matches.
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

FileProblem examineFileToRead(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return problemOf(::GetLastError());
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return {FileProblem::Kind::Folder, "", 0};
    UniqueFileHandle file(openToRead(path));
    if (!file)
        return problemOf(::GetLastError());
    if (!isDiskFile(file.get()))
        return {FileProblem::Kind::NotRegular, "a device", 0};
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size))
        return problemOf(::GetLastError());
    return {FileProblem::Kind::None, "", static_cast<std::uint64_t>(size.QuadPart)};
}

std::string temporaryFolder() {
    char folder[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathA(sizeof folder, folder);
    if (length == 0 || length > MAX_PATH)
        return ".\\";
    return std::string(folder, length);
}

std::string pathInTemporaryFolder(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/:");
    return temporaryFolder() + (separator == std::string::npos ? path : path.substr(separator + 1));
}

std::optional<std::string> findWithExtensionInAnyCase(const std::string& stem,
                                                      const std::string& extension) {
    if (fileExists(stem + extension))
        return stem + extension;
    return std::nullopt;
}

std::optional<std::string> findInAnyCase(const std::string& stem, const std::string& extension) {
    return findWithExtensionInAnyCase(stem, extension);
}

CopyResult copyFile(const std::string& from, const std::string& to, std::string& reason,
                    const std::function<bool()>& stopRequested) {
    UniqueFileHandle source(openToRead(from));
    if (!source) {
        reason = systemText(::GetLastError());
        return CopyResult::Failed;
    }
    // CREATE_NEW: a name taken since it was found free is never written through. The copy
    // gets plain attributes, never the original's read-only one: it is ours to repair and to
    // delete.
    UniqueFileHandle target(::CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!target) {
        reason = systemText(::GetLastError());
        return CopyResult::Failed;
    }
    CopyResult result = copyContents(source.get(), target.get(), stopRequested);
    DWORD error = ::GetLastError();
    if (!::CloseHandle(target.release()) && result == CopyResult::Copied) {
        result = CopyResult::Failed;
        error = ::GetLastError();
    }
    if (result == CopyResult::Failed)
        reason = systemText(error);
    if (result != CopyResult::Copied)
        ::DeleteFileA(to.c_str());
    return result;
}

bool deleteFile(const std::string& path) {
    return ::DeleteFileA(path.c_str()) != 0;
}

bool BinaryFile::open(const std::string& path, Access access) {
    close();
    DWORD desired = access == Access::ReadWrite ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    DWORD sharing = access == Access::ReadWrite ? 0 : FILE_SHARE_READ;
    HANDLE file = ::CreateFileA(path.c_str(), desired, sharing, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    if (!isDiskFile(file)) {
        ::CloseHandle(file);
        return false;
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
    return true;
}

void BinaryFile::close() {
    if (isOpen())
        ::CloseHandle(asHandle(handle_));
    handle_ = reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE);
}

bool BinaryFile::isOpen() const {
    return asHandle(handle_) != INVALID_HANDLE_VALUE;
}

std::size_t BinaryFile::readAt(std::uint64_t offset, void* buffer, std::size_t bytes) {
    if (!isOpen() || !seek(asHandle(handle_), offset))
        return 0;
    std::size_t done = 0;
    auto* out = static_cast<unsigned char*>(buffer);
    while (done < bytes) {
        DWORD got = 0;
        DWORD wanted = static_cast<DWORD>(bytes - done > 0x40000000 ? 0x40000000 : bytes - done);
        if (!::ReadFile(asHandle(handle_), out + done, wanted, &got, nullptr) || got == 0)
            break;
        done += got;
    }
    return done;
}

bool BinaryFile::writeAt(std::uint64_t offset, const void* buffer, std::size_t bytes) {
    if (!isOpen() || !seek(asHandle(handle_), offset))
        return false;
    std::size_t done = 0;
    const auto* in = static_cast<const unsigned char*>(buffer);
    while (done < bytes) {
        DWORD written = 0;
        DWORD wanted = static_cast<DWORD>(bytes - done > 0x40000000 ? 0x40000000 : bytes - done);
        if (!::WriteFile(asHandle(handle_), in + done, wanted, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace platform
