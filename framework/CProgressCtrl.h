// A progress bar of a dialog.
#pragma once

#include "framework/CWnd.h"

#include <commctrl.h>

class CProgressCtrl : public CWnd {
  public:
    // Both ends must fit in 16 bits.
    void setRange(int low, int high) { sendMessage(PBM_SETRANGE, 0, MAKELPARAM(low, high)); }
    // Returns the previous position.
    int setPos(int position) { return static_cast<int>(sendMessage(PBM_SETPOS, position)); }
    int pos() const { return static_cast<int>(sendMessage(PBM_GETPOS)); }
};
