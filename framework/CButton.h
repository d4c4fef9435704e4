// A push button, check box or radio button of a dialog.
#pragma once

#include "framework/CWnd.h"

class CButton : public CWnd {
  public:
    // Shows an icon instead of the caption; returns the icon shown before. The button does
    // not own the icon.
    HICON setIcon(HICON icon) {
        return reinterpret_cast<HICON>(
            sendMessage(BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon)));
    }
    UINT state() const { return static_cast<UINT>(sendMessage(BM_GETSTATE)); }
    int checkState() const { return static_cast<int>(sendMessage(BM_GETCHECK)); }
};
