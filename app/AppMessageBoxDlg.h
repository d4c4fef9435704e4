// The program's own message box (dialog 133) and showAppMessage, through which every
// message the program shows to the user goes, from either thread.
#pragma once

#include "controls/CButtonFX.h"
#include "framework/CDialog.h"

#include <string>

class AppMessageBoxDlg : public CDialog {
  public:
    // text is shown as given; the caller has already turned "\n" into "\r\n".
    explicit AppMessageBoxDlg(std::string text);

    // Shows text ("\n" becomes "\r\n") in a modal box and returns when the user closes it:
    // IDOK for the button or Enter, IDCANCEL for Esc or the close box, -1 when the box could
    // not be created. Runs on the calling thread; the box's owner is that thread's main
    // window, so on a thread without one the box stands alone and blocks only that thread.
    static INT_PTR run(const char* text);

    CButtonFX okButton;
    std::string messageText;

  protected:
    void DoDataExchange(CDataExchange* exchange) override;
    BOOL OnInitDialog() override;

  private:
    // Gives the text field a vertical scroll bar when the text has more lines than it shows.
    void addScrollBarWhenNeeded();
};

// AppMessageBoxDlg::run without the result. Callable from any thread, also from several at
// once: each call hands its text straight to its own dialog.
void showAppMessage(const char* text);
