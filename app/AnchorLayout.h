// Keeps the main dialog's controls anchored to its edges as the user resizes the window.
#pragma once

#include "app/AnchorGeometry.h"

#include <windows.h>

#include <vector>

// One registered control and where it was when registered.
struct AnchorEntry {
    HWND window = nullptr;
    AnchorRect startRect; // window rectangle, screen coordinates, at registration
    AnchorFlags flags;
};

// Interface thread only: the dialog's initialisation and its size handler.
class AnchorLayout {
  public:
    // Remembers the dialog's window rectangle and measures the distances between it and the
    // client area. False when the rectangle cannot be read.
    bool attach(HWND dialog);
    // Registers a control at its current window rectangle. Call after attach, while the
    // dialog still has its template size.
    void addControl(HWND control, int moveX, int moveY, int sizeX, int sizeY);
    // Moves every registered control for a client area of cx x cy, then redraws the dialog
    // and all its controls whole. Returns the number of registered controls.
    int resize(int cx, int cy);
    // The smallest window size at which every control stays inside the client area: the
    // start size less the shrink allowance. Zero before attach.
    SIZE minimumWindowSize() const;

    const FrameOffsets& frameOffsets() const { return frame; }
    const std::vector<AnchorEntry>& registeredControls() const { return entries; }

  private:
    void redrawWhole() const;

    std::vector<AnchorEntry> entries;
    HWND dialog = nullptr;
    AnchorRect dialogRect;
    int startWidth = 0;
    int startHeight = 0;
    int startClientWidth = 0;
    int startClientHeight = 0;
    FrameOffsets frame;
};
