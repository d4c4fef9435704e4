// Placement of anchored controls.
#include "app/AnchorGeometry.h"

#include <algorithm>

std::int32_t clampedClientExtent(std::int32_t clientExtent, std::int32_t startClientExtent) {
    return std::max(clientExtent, startClientExtent - kShrinkAllowancePixels);
}

AnchorPlacement anchoredPlacement(const AnchorRect& control, const AnchorFlags& flags,
                                  const AnchorRect& dialog, std::int32_t clientWidth,
                                  std::int32_t clientHeight, const FrameOffsets& frame) {
    AnchorPlacement placement;
    placement.width = control.right - control.left;
    placement.height = control.bottom - control.top;
    // The client area's right edge lies frame.right inside the window's; a moved control
    // keeps its distance to it.
    if (flags.moveX != 0) {
        placement.x = control.left - dialog.right + clientWidth + frame.right;
    } else {
        placement.x = control.left - dialog.left - frame.left;
        if (flags.sizeX != 0)
            placement.width +=
                clientWidth - (dialog.right - dialog.left) + frame.left + frame.right;
    }
    if (flags.moveY != 0) {
        placement.y = control.top - dialog.bottom + clientHeight + frame.bottom;
    } else {
        placement.y = control.top - dialog.top - frame.top;
        if (flags.sizeY != 0)
            placement.height =
                control.bottom - dialog.bottom + clientHeight + frame.bottom - placement.y;
    }
    return placement;
}
