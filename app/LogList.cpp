// The log list: status lines made one line each, and the sideways scroll range.
#include "app/LogList.h"

#include "framework/CDC.h"
#include "framework/GdiObjects.h"

namespace {

bool isLineBreak(char letter) {
    return letter == '\n' || letter == '\r';
}

// Room left and right of the text inside the list, in pixels.
constexpr int kTextMarginPixels = 8;

} // namespace

std::string logLineOf(const std::string& statusText) {
    std::string::size_type end = statusText.size();
    while (end > 0 && isLineBreak(statusText[end - 1]))
        --end;
    std::string line;
    line.reserve(end);
    for (std::string::size_type i = 0; i < end; ++i) {
        if (!isLineBreak(statusText[i]))
            line += statusText[i];
        else if (line.empty() || line.back() != ' ')
            line += ' ';
    }
    return line;
}

void LogList::insertLine(int index, const std::string& statusText) {
    const std::string line = logLineOf(statusText);
    insertString(index, line);
    CClientDC dc(this);
    ScopedSelectObject fontSelected(dc.GetSafeHdc(), font());
    const int width = static_cast<int>(dc.textExtent(line).cx) + kTextMarginPixels;
    if (width <= widestLinePixels_)
        return;
    widestLinePixels_ = width;
    sendMessage(LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(width));
}

void LogList::clear() {
    resetContent();
    widestLinePixels_ = 0;
    sendMessage(LB_SETHORIZONTALEXTENT, 0);
}
