// A status text as one line of the log.
#include "load/LoadState.h"

namespace {

bool isLineBreak(char letter) {
    return letter == '\n' || letter == '\r';
}

} // namespace

std::string statusTextAsOneLine(const std::string& statusText) {
    std::string::size_type end = statusText.size();
    while (end > 0 && isLineBreak(statusText[end - 1]))
        --end;
    std::string line;
    line.reserve(end);
    for (std::string::size_type at = 0; at < end; ++at) {
        if (!isLineBreak(statusText[at]))
            line += statusText[at];
        else if (!line.empty() && line.back() != ' ')
            line += ' ';
    }
    return line;
}
