// The parts of Console that both platforms share.
#include "cli/Console.h"

namespace console {

std::string withoutLineMarks(std::string line) {
    static const std::string byteOrderMark = "\xEF\xBB\xBF";
    if (line.compare(0, byteOrderMark.size(), byteOrderMark) == 0)
        line.erase(0, byteOrderMark.size());
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

} // namespace console
