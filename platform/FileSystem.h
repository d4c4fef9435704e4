// The file operations of the header check and the working copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// True when a file or folder of exactly this name exists (no wildcards are expanded).
bool fileExists(const std::string& path);

// The name of an existing file that is `stem` followed by `extension` with the letters of the
// extension in any case: `stem + extension` when that exists, otherwise the first such name in
// the stem's folder, in byte order. Windows' file names ignore case already, so there only
// `stem + extension` is tried. std::nullopt when there is none.
std::optional<std::string> findWithExtensionInAnyCase(const std::string& stem,
                                                      const std::string& extension);
// As findWithExtensionInAnyCase, and when that finds none, the first name in the stem's
// folder, in byte order, that is `stem + extension` with the letters of both in any case.
std::optional<std::string> findInAnyCase(const std::string& stem, const std::string& extension);

// Copies a file, replacing a file of the target name. The copy is writable even when the
// original is read-only. On failure (source missing, disk full, no permission) returns false
// and leaves no partial target behind.
bool copyFile(const std::string& from, const std::string& to);

// Deletes a file. Returns false when it could not be deleted (or did not exist).
bool deleteFile(const std::string& path);

// An open file read and written at explicit offsets. Closed on destruction.
class BinaryFile {
  public:
    enum class Access {
        ReadShared, // read only; others may read too
        ReadWrite,  // read and write an existing file
    };

    BinaryFile() = default;
    ~BinaryFile() { close(); }
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;

    // Opens an existing file. Returns false, and stays closed, when it cannot.
    bool open(const std::string& path, Access access);
    void close();
    bool isOpen() const;

    // Reads up to `bytes` bytes at `offset`; returns how many were read (fewer at the end of
    // the file, 0 on failure).
    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t bytes);
    // Writes all `bytes` bytes at `offset`; false when not all of them were written.
    bool writeAt(std::uint64_t offset, const void* buffer, std::size_t bytes);

  private:
    std::intptr_t handle_ = -1;
};

} // namespace platform
