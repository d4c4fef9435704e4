// The file operations of the header check and the working copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace platform {

// True when a file, folder or link of exactly this name exists (no wildcards are expanded),
// a link that leads nowhere included: the name is taken.
bool fileExists(const std::string& path);

// What keeps a file from being read whole, found before anything waits on it: a FIFO's open
// would wait for a writer, a device's read for input.
struct FileProblem {
    enum class Kind {
        None,       // a regular file that opens for reading; `bytes` is its size
        Missing,    // no such file, or no such folder on its path
        InUse,      // another program holds it open for writing (Windows)
        Folder,     // a folder
        NotRegular, // a FIFO, a socket, a device: `what` says which ("a FIFO")
        Denied,     // permission to read it, or to pass a folder on its path, is refused
        LinkLoop,   // its name leads through a loop of symbolic links
        Other,      // anything else: `what` holds the system's words, in UTF-8
    };
    Kind kind = Kind::None;
    std::string what;
    std::uint64_t bytes = 0;
};

// Looks at the file by its name, and opens it the way the reader does without waiting on it.
FileProblem examineFileToRead(const std::string& path);

// The folder in which the system keeps temporary files, ending in its separator: TMPDIR (or
// /tmp) on POSIX, GetTempPathA on Windows.
std::string temporaryFolder();

// The file's own name (without its folder) in the system's temporary folder.
std::string pathInTemporaryFolder(const std::string& path);

// The name of an existing file that is `stem` followed by `extension` with the letters of the
// extension in any case: `stem + extension` when that exists, otherwise the first such name in
// the stem's folder, in byte order. Windows' file names ignore case already, so there only
// `stem + extension` is tried. std::nullopt when there is none.
std::optional<std::string> findWithExtensionInAnyCase(const std::string& stem,
                                                      const std::string& extension);
// As findWithExtensionInAnyCase, and when that finds none, the first name in the stem's
// folder, in byte order, that is `stem + extension` with the letters of both in any case.
std::optional<std::string> findInAnyCase(const std::string& stem, const std::string& extension);

// How a copy ended.
enum class CopyResult { Copied, Failed, Stopped };

// Copies a file into a new file of the target name. A name taken meanwhile (a file, or a link
// planted there) fails the copy rather than being written through. The copy is writable even
// when the original is read-only. `stopRequested`, when given, is asked before each chunk of a
// megabyte; when it answers true the copy ends as Stopped. Failed and Stopped leave no partial
// target behind; on failure (source missing, disk full, no permission) `reason` holds the
// system's words, in UTF-8.
CopyResult copyFile(const std::string& from, const std::string& to, std::string& reason,
                    const std::function<bool()>& stopRequested = {});

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

    // Opens an existing regular file, never waiting on it. Returns false, and stays closed,
    // when it cannot, or when the name is a FIFO, a device or a folder.
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
