// The test dialog of the image buttons, real mouse and keyboard input, and renderings of a
// button into a bitmap.
#pragma once

#include "controls/CButtonFX.h"
#include "framework/CDialog.h"

#include <windows.h>

#include <functional>
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

// Real input through the system's input queue, as the user's mouse and keyboard give it.
void moveMouse(POINT screen);
void pressLeft();
void releaseLeft();
void clickAt(POINT screen);
void pressKey(WORD virtualKey);
// The centre of a window in screen coordinates.
POINT centreOf(HWND window);
// A point of the dialog's own surface, in screen coordinates, given in dialog units.
POINT dialogPoint(HWND dialog, int x, int y);

// The pixels of a DrawItem of the button in the given state, drawn into a memory bitmap
// with the button's font made non-antialiased, so that every pixel has one of the colours
// drawn.
struct Rendering {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;
    COLORREF at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // The smallest rectangle holding every pixel of the colour inside the inset frame;
    // empty when there is none.
    RECT boundsOf(COLORREF colour, int inset) const;
    bool holds(COLORREF colour, const RECT& area) const;
};
Rendering render(CButtonFX& button, UINT itemState);
// The pixels of what draw puts on a memory DC of a width by height bitmap.
Rendering renderWith(int width, int height, const std::function<void(HDC)>& draw);

} // namespace controlstest
