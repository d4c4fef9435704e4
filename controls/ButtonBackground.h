// The pixels of a parent window under a control, captured once and painted back as the
// control's background.
#pragma once

#include "framework/CDC.h"
#include "framework/GdiObjects.h"

class ButtonBackground {
  public:
    ButtonBackground() = default;
    ~ButtonBackground() { discard(); }
    ButtonBackground(const ButtonBackground&) = delete;
    ButtonBackground& operator=(const ButtonBackground&) = delete;

    // On the first call, copies what the parent shows under the control (from a client DC
    // of the parent); every call paints the copy into rect of dc.
    void paint(HWND control, CDC& dc, const RECT& rect);
    // Forgets the copy (the parent's colours changed); the next paint captures afresh.
    void discard();

  private:
    CDC backDC_;
    CBitmap backBitmap_;
    HGDIOBJ backOldBitmap_ = nullptr;
};
