// An edit control of a dialog.
#pragma once

#include "framework/CWnd.h"

class CEdit : public CWnd {
  public:
    int lineCount() const { return static_cast<int>(sendMessage(EM_GETLINECOUNT)); }
    void setSel(int start, int end) { sendMessage(EM_SETSEL, start, end); }
    void setReadOnly(bool readOnly) { sendMessage(EM_SETREADONLY, readOnly ? TRUE : FALSE); }
};
