// The About box (dialog 100), opened from the main dialog's system menu.
#pragma once

#include "controls/CButtonFX.h"
#include "controls/CHyperLink.h"
#include "framework/CDialog.h"

class CAboutDlg : public CDialog {
  public:
    CAboutDlg();

    CHyperLink siteLink;
    CButtonFX okButton;

  protected:
    void DoDataExchange(CDataExchange* exchange) override;
};
