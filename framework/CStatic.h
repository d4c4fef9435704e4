// A static control: label, icon or frame of a dialog.
#pragma once

#include "framework/CWnd.h"

class CStatic : public CWnd {
  public:
    // Shows an icon (SS_ICON controls); returns the previous one. Not owned by the control.
    HICON setIcon(HICON icon) {
        return reinterpret_cast<HICON>(sendMessage(STM_SETICON, reinterpret_cast<WPARAM>(icon)));
    }
};
