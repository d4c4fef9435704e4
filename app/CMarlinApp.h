// The application object of marlin.exe: it runs the main dialog and ends.
#pragma once

#include "framework/CWinApp.h"

class CMarlinApp : public CWinApp {
  public:
    // Runs the main dialog modally as the application's main window, waits for a load that
    // is still ending, and returns false so that the application ends with the dialog.
    BOOL InitInstance() override;
};
