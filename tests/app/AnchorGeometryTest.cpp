// The anchored layout's arithmetic, without windows.
#include "app/AnchorGeometry.h"

#include <gtest/gtest.h>

namespace {

const AnchorRect kDialog{100, 100, 500, 400}; // 400 x 300 with the classic frame

AnchorPlacement place(const AnchorRect& control, const AnchorFlags& flags, int cx, int cy,
                      const FrameOffsets& frame = FrameOffsets{}) {
    return anchoredPlacement(control, flags, kDialog, clampedClientExtent(cx, 400),
                             clampedClientExtent(cy, 300), frame);
}

void expectPlacement(const AnchorPlacement& placement, int x, int y, int width, int height) {
    EXPECT_EQ(placement.x, x);
    EXPECT_EQ(placement.y, y);
    EXPECT_EQ(placement.width, width);
    EXPECT_EQ(placement.height, height);
}

TEST(AnchorGeometry, ClassicFrameGivesTheWorkedExamples) {
    // Moved on both axes: keeps its distance to the right and bottom edges.
    expectPlacement(place({420, 370, 470, 390}, {1, 1, 0, 0}, 500, 350), 424, 324, 50, 20);
    // Stretched horizontally: keeps its left and top, the width follows the dialog.
    expectPlacement(place({110, 130, 300, 150}, {0, 0, 1, 0}, 500, 350), 6, 7, 298, 20);
    // moveX wins over sizeX: the control moves and keeps its width.
    expectPlacement(place({420, 370, 470, 390}, {1, 0, 1, 0}, 500, 350), 424, 247, 50, 20);
    // Stretched vertically: the bottom edge lands where a moved control's would.
    AnchorPlacement tall = place({110, 130, 300, 300}, {0, 0, 0, 1}, 400, 350);
    EXPECT_EQ(tall.y + tall.height, 300 - 400 + 350 + 4);
}

TEST(AnchorGeometry, ShrinkingStopsSeventyBelowTheStartSize) {
    EXPECT_EQ(clampedClientExtent(300, 400), 330);
    EXPECT_EQ(clampedClientExtent(200, 300), 230);
    EXPECT_EQ(clampedClientExtent(331, 400), 331);
    expectPlacement(place({420, 370, 470, 390}, {1, 1, 0, 0}, 300, 200), 254, 204, 50, 20);
    expectPlacement(place({420, 370, 470, 390}, {1, 1, 0, 0}, 0, 0), 254, 204, 50, 20);
}

TEST(AnchorGeometry, AnyMeasuredFrameLeavesControlsInPlaceAtTheStartSize) {
    // A control registered at a screen position sits at that position less the client
    // origin; a resize to the start client size must put it exactly there, whatever the
    // frame, or every control jumps at the first resize.
    for (const FrameOffsets frame : {FrameOffsets{}, FrameOffsets{8, 31, 8, 8},
                                     FrameOffsets{1, 30, 1, 1}, FrameOffsets{11, 45, 11, 11}}) {
        const int startClientWidth = 400 - frame.left - frame.right;
        const int startClientHeight = 300 - frame.top - frame.bottom;
        const AnchorRect control{140, 220, 260, 250};
        for (const AnchorFlags flags : {AnchorFlags{0, 0, 0, 0}, AnchorFlags{1, 1, 0, 0},
                                        AnchorFlags{0, 0, 1, 1}, AnchorFlags{1, 0, 0, 1}}) {
            SCOPED_TRACE(::testing::Message()
                         << "frame " << frame.left << "," << frame.top << " flags " << flags.moveX
                         << flags.moveY << flags.sizeX << flags.sizeY);
            AnchorPlacement placement = anchoredPlacement(control, flags, kDialog, startClientWidth,
                                                          startClientHeight, frame);
            expectPlacement(placement, 140 - 100 - frame.left, 220 - 100 - frame.top, 120, 30);
            // Fifty more pixels of client width move or stretch by exactly fifty.
            AnchorPlacement wider = anchoredPlacement(
                control, flags, kDialog, startClientWidth + 50, startClientHeight, frame);
            EXPECT_EQ(wider.x + wider.width - (placement.x + placement.width),
                      flags.moveX || flags.sizeX ? 50 : 0);
        }
    }
}

} // namespace
