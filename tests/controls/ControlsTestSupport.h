// The test dialog of the image buttons, real mouse and keyboard input, and renderings of a
// button into a bitmap.
#pragma once

#include "GuiTestSupport.h"
#include "controls/CButtonFX.h"
#include "framework/CDialog.h"

#include <windows.h>

#include <utility>
#include <vector>

namespace controlstest {

// An image button that counts its paints.
class CountingButton : public CButtonFX {
  public:
    void DrawItem(DRAWITEMSTRUCT* drawItem) override {
        ++paints;
        CButtonFX::DrawItem(drawItem);
    }
    int paints = 0;
};

// Dialog 950 with its five image buttons attached; it records the commands it receives
// and stays open on OK and Cancel.
class ButtonTestDialog : public CDialog {
  public:
    ButtonTestDialog();
    // Creates the dialog modeless, shows it and brings it to the front.
    bool open();
    // Notifications of a control, in order.
    int notifications(int controlId, int code) const;
    HWND item(int controlId) const { return dlgItem(controlId); }

    CountingButton ok;
    CountingButton start;
    CountingButton cancel;
    CountingButton check;
    CountingButton menuButton;
    std::vector<std::pair<int, int>> commands; // control id, notification code

    void OnOK() override {}
    void OnCancel() override {}

  protected:
    void DoDataExchange(CDataExchange* exchange) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// Real input and renderings, shared with the other window tests.
using guitest::centreOf;
using guitest::clickAt;
using guitest::dialogPoint;
using guitest::moveMouse;
using guitest::pressKey;
using guitest::pressLeft;
using guitest::releaseLeft;
using guitest::Rendering;
using guitest::renderWith;

// The pixels of a DrawItem of the button in the given state, drawn into a memory bitmap
// with the button's font made non-antialiased, so that every pixel has one of the colours
// drawn.
Rendering render(CButtonFX& button, UINT itemState);

} // namespace controlstest
