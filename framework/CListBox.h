// A list box of a dialog; the lines are copied into the control.
#pragma once

#include "framework/CWnd.h"

#include <string>

class CListBox : public CWnd {
  public:
    // Inserts a copy of text at index (-1: at the end). Returns its index, or LB_ERR /
    // LB_ERRSPACE.
    int insertString(int index, const std::string& text) {
        return static_cast<int>(sendMessage(LB_INSERTSTRING, static_cast<WPARAM>(index),
                                            reinterpret_cast<LPARAM>(text.c_str())));
    }
    void resetContent() { sendMessage(LB_RESETCONTENT); }
    int setTopIndex(int index) {
        return static_cast<int>(sendMessage(LB_SETTOPINDEX, static_cast<WPARAM>(index)));
    }
    int topIndex() const { return static_cast<int>(sendMessage(LB_GETTOPINDEX)); }
    int count() const { return static_cast<int>(sendMessage(LB_GETCOUNT)); }
    // The line at index, or an empty text when there is none.
    std::string text(int index) const {
        LRESULT length = sendMessage(LB_GETTEXTLEN, static_cast<WPARAM>(index));
        if (length == LB_ERR)
            return {};
        std::string line(static_cast<size_t>(length) + 1, '\0');
        LRESULT copied = sendMessage(LB_GETTEXT, static_cast<WPARAM>(index),
                                     reinterpret_cast<LPARAM>(line.data()));
        line.resize(copied == LB_ERR ? 0 : static_cast<size_t>(copied));
        return line;
    }
};
