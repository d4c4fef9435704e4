// A tooltip window with tools registered on the controls of a dialog.
#pragma once

#include "framework/CWnd.h"

#include <commctrl.h>

#include <string>

class CToolTipCtrl : public CWnd {
  public:
    // Creates the tooltip window for tools of the parent's top-level window. False when the
    // window cannot be created or exists already.
    bool Create(CWnd* parent, DWORD style = 0);
    // Registers a tool: the rectangle of window (its client coordinates) shows text.
    // False when the tooltip refuses it.
    bool addTool(CWnd* window, const std::string& text, const RECT& rect, UINT_PTR toolId);
    // Gives a registered tool a new text.
    void updateTipText(CWnd* window, const std::string& text, UINT_PTR toolId);
    // The text of a registered tool; empty when there is no such tool.
    std::string toolText(CWnd* window, UINT_PTR toolId) const;
    // Hands a mouse message of a tool window to the tooltip.
    void relayEvent(MSG* msg) { sendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }
    void activate(bool active) { sendMessage(TTM_ACTIVATE, active ? TRUE : FALSE); }
    void setMaxTipWidth(int width) { sendMessage(TTM_SETMAXTIPWIDTH, 0, width); }
    int toolCount() const { return static_cast<int>(sendMessage(TTM_GETTOOLCOUNT)); }
};
