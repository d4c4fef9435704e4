// The main dialog's log: one status line per list line, as wide as it needs to be.
#pragma once

#include "framework/CListBox.h"

#include <string>

// Interface thread only, like the dialog that owns it.
class LogList : public CListBox {
  public:
    // Inserts the status line at index. A line break inside it shows as a blank (Oracle's
    // texts hold them, and a list line cannot), trailing ones not at all; the list scrolls
    // sideways as far as its longest line needs.
    void insertLine(int index, const std::string& statusText);
    // Removes every line and the sideways scroll range.
    void clear();

  private:
    int widestLinePixels_ = 0;
};
