// The arithmetic of the anchored layout: where a registered control goes for a new client
// size. Plain integers, no window system, so that it is tested on every platform.
#pragma once

#include <cstdint>

// A rectangle in screen coordinates: left, top, right, bottom.
struct AnchorRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// Per axis, a control either keeps its distance to the dialog's right (bottom) edge or
// keeps its left (top) position and, when asked, grows with the dialog. Nonzero is set.
struct AnchorFlags {
    std::int32_t moveX = 0; // keep the distance to the right edge; the width stays
    std::int32_t moveY = 0; // keep the distance to the bottom edge; the height stays
    std::int32_t sizeX = 0; // let the width follow the dialog (ignored with moveX)
    std::int32_t sizeY = 0; // let the height follow the dialog (ignored with moveY)
};

// The distances between the dialog's window rectangle and its client area on each side.
// The defaults are those of the frame the layout was first written for; the dialog
// measures its own when the layout is attached.
struct FrameOffsets {
    std::int32_t left = 4;
    std::int32_t top = 23;
    std::int32_t right = 4;
    std::int32_t bottom = 4;
};

// Where a control goes, in its parent's client coordinates.
struct AnchorPlacement {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// How far below its start size the dialog's client area may shrink, in pixels per axis.
constexpr std::int32_t kShrinkAllowancePixels = 70;

// A new client extent, but never below the start client extent less the allowance, so that
// shrinking far stops moving the controls. Client extents on both sides: a window extent
// would count the frame, and a frame more than the allowance tall would move the controls at
// the start size.
std::int32_t clampedClientExtent(std::int32_t clientExtent, std::int32_t startClientExtent);

// The placement of a control registered at `control` in a dialog whose window rectangle was
// `dialog` at registration, for a client area of clientWidth x clientHeight (already
// clamped).
AnchorPlacement anchoredPlacement(const AnchorRect& control, const AnchorFlags& flags,
                                  const AnchorRect& dialog, std::int32_t clientWidth,
                                  std::int32_t clientHeight, const FrameOffsets& frame);
