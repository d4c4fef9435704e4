// Windows half of MappedFile: CreateFileA, an unnamed CreateFileMappingA and MapViewOfFile.
#include "platform/MappedFile.h"
#include "platform/WinHandles.h"

#include <cstdint>
#include <limits>

namespace platform {

bool MappedFile::open(const std::string& path) {
    close();
    // Read sharing only: a file another program is writing cannot be opened.
    UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_READONLY, nullptr));
    // A device's name (NUL.dbf, a pipe) opens no file to map.
    if (!file || ::GetFileType(file.get()) != FILE_TYPE_DISK)
        return false;
    LARGE_INTEGER fileSize{};
    if (!::GetFileSizeEx(file.get(), &fileSize) || fileSize.QuadPart <= 0 ||
        static_cast<std::uint64_t>(fileSize.QuadPart) > std::numeric_limits<std::size_t>::max())
        return false;
    // Unnamed: a named mapping would be shared with every other process of the session.
    UniqueKernelHandle mapping(
        ::CreateFileMappingA(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping)
        return false;
    // The view keeps the mapping and the file open; both handles close on return.
    void* view = ::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
    if (view == nullptr)
        return false;
    data_ = static_cast<const unsigned char*>(view);
    size_ = static_cast<std::size_t>(fileSize.QuadPart);
    return true;
}

void MappedFile::close() {
    if (data_ != nullptr)
        ::UnmapViewOfFile(data_);
    data_ = nullptr;
    size_ = 0;
}

} // namespace platform
