// A dialog over a template resource: modal with its own message loop, or modeless, with
// data exchange between members and controls.
#pragma once

#include "framework/CDataExchange.h"
#include "framework/CWnd.h"

class CDialog : public CWnd {
  public:
    // templateId names a dialog resource of the executable. Without a parent, a modal dialog
    // is owned by the calling thread's main window (or the pop-up last active above it);
    // on a thread without one it has no owner.
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Creates the dialog, disables its owner, runs the modal loop until EndDialog and
    // destroys the window. Returns the EndDialog result; -1 when the template cannot be
    // loaded or the window disappears without EndDialog.
    INT_PTR DoModal();
    // Creates the dialog modeless (for tests and helper windows); it is shown when its
    // template says visible. False when the template cannot be loaded or the dialog is
    // already open.
    bool Create(CWnd* parent = nullptr);
    // Ends the modal loop with the result; a modeless dialog is hidden and keeps its window.
    void EndDialog(int result);
    // Runs DoDataExchange in the given direction. False when a control named in it is
    // missing; the members exchanged before it keep their new values.
    bool UpdateData(bool saveAndValidate = true);

    bool isEnded() const { return endRequested_; }
    int result() const { return result_; }

    // Overridables.
    // The base exchanges the members into the controls; true lets the system focus the
    // first tab stop.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* /*exchange*/) {}
    // Takes the members out of the controls and ends with IDOK.
    virtual void OnOK();
    // Ends with IDCANCEL.
    virtual void OnCancel();
    // Keyboard navigation of the dialog (Tab, Enter, Esc, mnemonics).
    bool PreTranslateMessage(MSG* msg) override;

  protected:
    // Also passes WM_SYSCOLORCHANGE on to every control of the dialog.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL initialise(HWND hwnd);
    bool createFromTemplate(HWND owner);
    HWND findModalOwner() const;
    void runModalLoop();

    UINT templateId_;
    CWnd* parent_;
    bool endRequested_ = false;
    bool modal_ = false;
    int result_ = -1;
};
