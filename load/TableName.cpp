// The table name suggested by a file name.
#include "load/TableName.h"

#include <algorithm>

namespace {
// Oracle's longest identifier before release 12.2, which every server takes.
constexpr std::size_t kMaxTableNameLength = 30;
} // namespace

std::string tableNameForFile(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/:");
    std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
    std::replace(name.begin(), name.end(), '.', '_');
    if (name.size() > kMaxTableNameLength)
        name.resize(kMaxTableNameLength);
    return name;
}
