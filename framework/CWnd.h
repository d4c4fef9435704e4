// The window wrapper every framework class derives from: it binds a C++ object to a window
// handle, dispatches the window's messages to virtual handlers and reflects the
// notifications a parent receives about a child back to the child's object.
//
// Naming: the overridables and the operations that mirror the classic framework keep its
// names (PreSubclassWindow, DoModal, UpdateData); thin helpers over Win32 are lower camel.
#pragma once

#include <windows.h>

#include <string>

class CWnd {
  public:
    CWnd() = default;
    // Releases the window: a top-level or owned window is destroyed; a child window gets
    // its own procedure back and is destroyed with its parent.
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return hwnd_; }
    // The object bound to a window of this process, or nullptr when none is.
    static CWnd* FromHandle(HWND hwnd);

    // Binds this object to an existing window (a template control), calls
    // PreSubclassWindow and routes the window's messages here. Returns false, leaving the
    // object unbound, when the handle is null, this object is bound already, or another
    // object holds the window.
    bool SubclassWindow(HWND hwnd);
    // SubclassWindow on the control with the given id in the parent. False as above, or when
    // the parent has no such control.
    bool SubclassDlgItem(int controlId, CWnd* parent);
    // Gives the window back its own procedure and forgets it; returns the handle (or null).
    HWND UnsubclassWindow();
    // Creates a window of a registered class and binds it as SubclassWindow does. Returns
    // false when the system refuses to create it.
    bool CreateEx(DWORD exStyle, const char* className, const char* text, DWORD style,
                  const RECT& rect, HWND parent, HMENU menuOrId);
    // Destroys the window; the object becomes unbound. False when there is none to destroy.
    virtual bool DestroyWindow();

    // Routes one queued message through PreTranslateMessage of the window it is for and of
    // each parent up to the top-level window. True when one of them consumed it.
    static bool WalkPreTranslateTree(MSG* msg);

    // Overridables.
    virtual void PreSubclassWindow() {}
    // Sees a queued message before it is dispatched; true consumes it.
    virtual bool PreTranslateMessage(MSG* /*msg*/) { return false; }
    virtual void DrawItem(DRAWITEMSTRUCT* /*drawItem*/) {}
    virtual void MeasureItem(MEASUREITEMSTRUCT* /*measureItem*/) {}
    // A colour request about this control, reflected from its parent. Returning nullptr
    // leaves the request to the parent.
    virtual HBRUSH CtlColor(HDC /*dc*/, UINT /*ctlColorMessage*/) { return nullptr; }
    // A message the parent received about this control (WM_COMMAND, WM_NOTIFY,
    // WM_DRAWITEM, WM_MEASUREITEM, WM_CTLCOLOR*). Returns true when the control consumed it,
    // with the parent's answer in *result; false lets the parent handle it as usual.
    virtual bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // Helpers over the bound window; they do nothing (or return empty) without one.
    std::string windowText() const;
    void setWindowText(const std::string& text);
    LRESULT sendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    DWORD style() const;
    // Removes and adds style bits; with swpFlags, also refreshes the frame. False when
    // nothing changed.
    bool ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    void invalidate(bool erase = true);
    bool enableWindow(bool enable);
    HFONT font() const;
    void setFont(HFONT font, bool redraw = true);
    HWND dlgItem(int controlId) const;
    HMENU GetSystemMenu(bool revert) const;
    // Centres the window over its owner, or over the work area when it has none.
    void centerWindow();

  protected:
    // The class's message map: a switch that handles what it needs and passes the rest to
    // its base class's WindowProc. The base hands owner-drawn menu items (WM_MEASUREITEM,
    // WM_DRAWITEM of ODT_MENU) to the CMenu object of their menu and ends in Default.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The window's own processing of a message (the procedure it had before binding).
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the window is gone and the object unbound.
    virtual void PostNcDestroy() {}

  private:
    static LRESULT CALLBACK staticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool reflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    bool bind(HWND hwnd);
    void unbind();

    friend class CDialog;

    HWND hwnd_ = nullptr;
    WNDPROC previousProc_ = nullptr;
};
