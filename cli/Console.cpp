// The parts of Console that both platforms share.
#include "cli/Console.h"

#include "platform/CodePage.h"

namespace console {

std::string withoutLineMarks(std::string line) {
    static const std::string byteOrderMark = "\xEF\xBB\xBF";
    if (line.compare(0, byteOrderMark.size(), byteOrderMark) == 0)
        line.erase(0, byteOrderMark.size());
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

std::string typedLineInUtf8(std::string line) {
    static const std::string byteOrderMark = "\xEF\xBB\xBF";
    const bool markedUtf8 = line.compare(0, byteOrderMark.size(), byteOrderMark) == 0;
    line = withoutLineMarks(line);
    return markedUtf8 ? line : platform::utf8FromLocal(line);
}

std::string upperCased(const std::string& text) {
    return platform::upperCasedUtf8(text);
}

} // namespace console
