// The anchored layout over real windows.
#include "app/AnchorLayout.h"

namespace {

AnchorRect toAnchorRect(const RECT& rect) {
    return AnchorRect{rect.left, rect.top, rect.right, rect.bottom};
}

// The frame a window has around its client area. The offsets differ with the frame style and
// the system's metrics (and so between Windows releases), so they are measured, not assumed.
FrameOffsets measureFrame(HWND window, const RECT& windowRect) {
    RECT client{};
    POINT origin{0, 0};
    if (!::GetClientRect(window, &client) || !::ClientToScreen(window, &origin))
        return FrameOffsets{};
    FrameOffsets frame;
    frame.left = origin.x - windowRect.left;
    frame.top = origin.y - windowRect.top;
    frame.right = windowRect.right - (origin.x + client.right);
    frame.bottom = windowRect.bottom - (origin.y + client.bottom);
    return frame;
}

} // namespace

bool AnchorLayout::attach(HWND dialogWindow) {
    dialog = dialogWindow;
    RECT rect{};
    if (!::GetWindowRect(dialogWindow, &rect))
        return false;
    dialogRect = toAnchorRect(rect);
    startWidth = rect.right - rect.left;
    startHeight = rect.bottom - rect.top;
    frame = measureFrame(dialogWindow, rect);
    startClientWidth = startWidth - frame.left - frame.right;
    startClientHeight = startHeight - frame.top - frame.bottom;
    return true;
}

void AnchorLayout::addControl(HWND control, int moveX, int moveY, int sizeX, int sizeY) {
    RECT rect{};
    ::GetWindowRect(control, &rect);
    entries.push_back(
        AnchorEntry{control, toAnchorRect(rect), AnchorFlags{moveX, moveY, sizeX, sizeY}});
}

int AnchorLayout::resize(int cx, int cy) {
    const int width = clampedClientExtent(cx, startClientWidth);
    const int height = clampedClientExtent(cy, startClientHeight);
    for (const AnchorEntry& entry : entries) {
        AnchorPlacement placement =
            anchoredPlacement(entry.startRect, entry.flags, dialogRect, width, height, frame);
        ::MoveWindow(entry.window, placement.x, placement.y, placement.width, placement.height,
                     TRUE);
    }
    if (!entries.empty())
        redrawWhole();
    return static_cast<int>(entries.size());
}

void AnchorLayout::redrawWhole() const {
    // Each move repaints only the control's new place, and the dialog, which does not clip its
    // children, may erase a control that painted before it: a moved control would stay
    // undrawn, and the lines of a frame that grew would stay where the frame ended. So the
    // dialog erases its whole surface, then every control paints itself over it, in that order.
    ::RedrawWindow(dialog, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

SIZE AnchorLayout::minimumWindowSize() const {
    if (dialog == nullptr)
        return SIZE{0, 0};
    return SIZE{startWidth - kShrinkAllowancePixels, startHeight - kShrinkAllowancePixels};
}
