// The log list and its sideways scroll range.
#include "controls/LogList.h"

#include "framework/CDC.h"
#include "framework/GdiObjects.h"

namespace {

// Room left and right of the text inside the list, in pixels.
constexpr int kTextMarginPixels = 8;

} // namespace

void LogList::insertLine(int index, const std::string& line) {
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
