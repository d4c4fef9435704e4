// A log: one line per list line, the list as wide as its longest line needs.
#pragma once

#include "framework/CListBox.h"

#include <string>

// Interface thread only, like the dialog that owns it.
class LogList : public CListBox {
  public:
    // Inserts the line (one without line breaks, which a list line cannot show) at index;
    // the list scrolls sideways as far as its longest line needs.
    void insertLine(int index, const std::string& line);
    // Removes every line and the sideways scroll range.
    void clear();

  private:
    int widestLinePixels_ = 0;
};
