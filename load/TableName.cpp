// The table name suggested by a file name.
#include "load/TableName.h"

#include "platform/Utf8.h"

#include <algorithm>

namespace {
// Oracle's longest identifier before release 12.2, which every server takes.
constexpr std::size_t kMaxTableNameBytes = 30;
} // namespace

std::string tableNameForFile(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/:");
    std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
    std::replace(name.begin(), name.end(), '.', '_');
    name.resize(utf8::wholeCharacterPrefix(name.data(), name.size(), kMaxTableNameBytes));
    return name;
}
