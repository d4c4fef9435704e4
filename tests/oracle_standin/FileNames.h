// How the stand-in names the folder of a user and the file of a table after the name's bytes in
// the database's character set, the same way on every system: bytes above 0x7F and '%' are
// written %XX, so that no file system reads them in a code page of its own.
#pragma once

#include <cstddef>
#include <string>

namespace standin {

inline std::string fileNameOf(const std::string& name) {
    static const char kHexDigits[] = "0123456789ABCDEF";
    std::string fileName;
    for (const char character : name) {
        const auto byte = static_cast<unsigned char>(character);
        if (byte < 0x80 && byte != '%') {
            fileName += character;
            continue;
        }
        fileName += '%';
        fileName += kHexDigits[byte >> 4];
        fileName += kHexDigits[byte & 0x0F];
    }
    return fileName;
}

inline std::string nameOfFile(const std::string& fileName) {
    std::string name;
    for (std::size_t at = 0; at < fileName.size(); ++at) {
        if (fileName[at] == '%' && at + 2 < fileName.size()) {
            name += static_cast<char>(std::stoi(fileName.substr(at + 1, 2), nullptr, 16));
            at += 2;
        } else {
            name += fileName[at];
        }
    }
    return name;
}

} // namespace standin
