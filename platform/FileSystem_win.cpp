// Windows half of the file operations.
#include "platform/FileSystem.h"

#include <windows.h>

namespace platform {

namespace {

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

std::optional<std::string> findWithExtensionInAnyCase(const std::string& stem,
                                                      const std::string& extension) {
    if (fileExists(stem + extension))
        return stem + extension;
    return std::nullopt;
}

std::optional<std::string> findInAnyCase(const std::string& stem, const std::string& extension) {
    return findWithExtensionInAnyCase(stem, extension);
}

bool copyFile(const std::string& from, const std::string& to) {
    if (::CopyFileA(from.c_str(), to.c_str(), FALSE)) {
        // CopyFileA carries the original's attributes over, read-only among them; the copy is
        // ours to repair and to delete. Should this fail, the repair reports it.
        const DWORD attributes = ::GetFileAttributesA(to.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
            ::SetFileAttributesA(to.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
        return true;
    }
    // CopyFileA may leave a partial target behind when the disk fills up.
    ::DeleteFileA(to.c_str());
    return false;
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
