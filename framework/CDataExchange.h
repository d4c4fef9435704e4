// Moving values between a dialog's members and its controls, and attaching member objects
// to template controls.
#pragma once

#include <string>

class CWnd;

class CDataExchange {
  public:
    CDataExchange(CWnd* dialog, bool saveAndValidate)
        : dialog(dialog), saveAndValidate(saveAndValidate) {}

    // Records that a control named in the exchange is missing or cannot be attached.
    void fail(int controlId) {
        if (failedControlId == 0)
            failedControlId = controlId;
    }
    bool failed() const { return failedControlId != 0; }

    CWnd* const dialog;
    // true: controls to members; false: members to controls.
    const bool saveAndValidate;
    int failedControlId = 0;
};

// Attaches control to the dialog's control with the id on the first exchange (through
// SubclassWindow, so PreSubclassWindow runs); later exchanges leave it alone. A missing
// control marks the exchange failed.
void DDX_Control(CDataExchange* exchange, int controlId, CWnd& control);
// Copies the control's text into value, or value into the control. A missing control marks
// the exchange failed and leaves both alone.
void DDX_Text(CDataExchange* exchange, int controlId, std::string& value);
