// The application object.
#include "app/CMarlinApp.h"

#include "app/AppMessageBoxDlg.h"
#include "app/CMarlinDlg.h"

BOOL CMarlinApp::InitInstance() {
    CHyperLink::setMessageShower(showAppMessage);
    CMarlinDlg dialog;
    mainWindow = &dialog;
    dialog.DoModal();
    // The dialog closes only when no worker runs; this is for a dialog that ended otherwise
    // (the session ending), so that no worker outlives the objects it reports to.
    dialog.waitForWorker();
    mainWindow = nullptr;
    return FALSE;
}
