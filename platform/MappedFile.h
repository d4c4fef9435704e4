// Read-only mapping of a whole file into memory.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// A read-only view of an entire file. The file may be read by others while mapped but not
// written (where the platform can refuse writers). Each object maps its own file: no
// mapping is ever shared by name with another process.
class MappedFile {
  public:
    MappedFile() = default;
    ~MappedFile() { close(); }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Maps the whole file. Returns false, and stays closed, when the file does not exist,
    // cannot be opened for reading, is no regular file (a FIFO, a device: never waited on),
    // is empty, or is too large for the address space.
    bool open(const std::string& path);
    // Unmaps the view. Safe on a closed object.
    void close();

    bool isOpen() const { return data_ != nullptr; }
    const unsigned char* data() const { return data_; }
    std::size_t size() const { return size_; }

  private:
    const unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace platform
