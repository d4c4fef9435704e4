// What both fuzz targets do with an input: split it into a DBF file and its FPT memo file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz_input {

inline void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        std::abort();
    std::fclose(file);
}

// The first four bytes of the input (little-endian) give the length of the DBF part, the
// rest is the FPT part; an input shorter than four bytes is a DBF file alone.
inline void writeTableAndMemo(const std::uint8_t* data, std::size_t size, const std::string& table,
                              const std::string& memo) {
    std::size_t tableBytes = size;
    if (size >= 4) {
        std::uint32_t declared =
            static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
            static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24;
        data += 4;
        size -= 4;
        tableBytes = declared < size ? declared : size;
    }
    writeFile(table, data, tableBytes);
    writeFile(memo, data + tableBytes, size - tableBytes);
}

} // namespace fuzz_input
