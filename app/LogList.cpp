// The log list: status lines made one line each, and the sideways scroll range.
#include "app/LogList.h"

#include "framework/CDC.h"
#include "framework/GdiObjects.h"
#include "load/LoadState.h"

namespace {

// Room left and right of the text inside the list, in pixels.
constexpr int kTextMarginPixels = 8;

} // namespace

void LogList::insertLine(int index, const std::string& statusText) {
    const std::string line = statusTextAsOneLine(statusText);
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
