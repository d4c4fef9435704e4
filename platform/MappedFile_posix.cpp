// POSIX half of MappedFile: open, fstat and a private read-only mmap.
#include "platform/MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <limits>

namespace platform {

bool MappedFile::open(const std::string& path) {
    close();
    // Without waiting: a FIFO's open would block until a writer came; fstat turns it away.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat status {};
    void* view = MAP_FAILED;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0 &&
        static_cast<std::uint64_t>(status.st_size) <= std::numeric_limits<std::size_t>::max())
        view = ::mmap(nullptr, static_cast<std::size_t>(status.st_size), PROT_READ, MAP_PRIVATE, fd,
                      0);
    // The mapping keeps the file alive; the descriptor is not needed any more.
    ::close(fd);
    if (view == MAP_FAILED)
        return false;
    data_ = static_cast<const unsigned char*>(view);
    size_ = static_cast<std::size_t>(status.st_size);
    return true;
}

void MappedFile::close() {
    if (data_ != nullptr)
        ::munmap(const_cast<unsigned char*>(data_), size_);
    data_ = nullptr;
    size_ = 0;
}

} // namespace platform
