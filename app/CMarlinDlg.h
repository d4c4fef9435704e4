// The main dialog: the five load parameters, Start and Stop, the log list and the progress
// bar of the load running on its worker thread.
#pragma once

#include "app/AnchorLayout.h"
#include "controls/CButtonFX.h"
#include "controls/CHyperLink.h"
#include "controls/LogList.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CEdit.h"
#include "framework/CProgressCtrl.h"
#include "framework/CStatic.h"

#include <string>

// Every member belongs to the interface thread. The worker reaches the dialog only through
// blocking sends of the two registered messages, during which the dialog reads what the
// worker wrote and the worker waits, and the message it posts when it returns, after which
// it touches nothing shared. loadActive is the one value both write at any time: an atomic.
class CMarlinDlg : public CDialog {
  public:
    CMarlinDlg();
    ~CMarlinDlg() override;

    // Asks a worker that is still running to stop and waits until its thread has returned.
    // For the end of the program: the dialog is gone, so the worker's sends fail at once.
    void waitForWorker();

    CProgressCtrl progressBar;
    CButton browseButton;
    CButton typedColumnsCheck;
    CButtonFX startButton;
    LogList logList;
    std::string fileName;
    std::string tableName;
    std::string userName;
    std::string password;
    std::string database;
    CHyperLink siteLink;
    CEdit fileNameEdit;
    CEdit tableNameEdit;
    CEdit userNameEdit;
    CEdit passwordEdit;
    CEdit databaseEdit;
    CStatic outerFrame;
    CStatic connectGroup;
    AnchorLayout layout;
    HICON appIcon = nullptr;
    CButtonFX cancelButton;

  protected:
    void DoDataExchange(CDataExchange* exchange) override;
    BOOL OnInitDialog() override;
    // The close guard: refused while a load runs; after a stop it breaks a call the worker
    // may hang in and closes the dialog once the worker has returned.
    void OnCancel() override;
    // The dialog has no OK button: Enter with the default button disabled must not end it.
    void OnOK() override {}
    // Enter held down is one press of Start or Stop, not one per repeat of the key.
    bool PreTranslateMessage(MSG* msg) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The text of the system menu's About item (string 101); empty when there is none.
    virtual std::string aboutItemText() const;

  private:
    void registerLayout();
    void addAboutItem();
    void onStartStop();
    void onBrowse();
    LRESULT onAddStrMessage();
    LRESULT onShowProgressMessage();
    LRESULT onWorkerReturned(WPARAM threadId);
    void onActivated();
    void onGetMinMaxInfo(MINMAXINFO* limits) const;
    bool isLoading() const;
    bool isActive() const;
    // The emptiness checks; on a failure the message, then the focus in the field to fill.
    bool checkFields();
    bool checkFileExists();
    void takePathOutOfQuotes();
    void startLoad();
    void stopLoad();
    // A further Stop, or a close, while a stopped load is ending: breaks the Oracle call the
    // worker may hang in, and says so once.
    void breakHungCall();
    void enableInputs(bool enable);
    void returnToIdle();
    void keepFocusUsable(CWnd& fallback);
    void giveStartItsFocusBack();
    // After a message box of this thread has closed: the focus goes to the control that the
    // message asks the user to use.
    void focusAfterMessage(CWnd& control);
    void focusControl(CWnd& control);
    // Waits (at most waitMs) for the worker's thread to end and closes its handle.
    void releaseWorker(DWORD waitMs);
    void appendLogLine(const std::string& text, bool scroll);

    int logLineCount = 0;
    HANDLE workerThread = nullptr;
    bool closeWhenWorkerReturns = false;
    // The folder of the file last chosen in the picker; empty before the first.
    std::string lastPickedFolder;
    // The user has stopped the load and its worker has not returned yet: the caption stays
    // "Stop", the inputs stay disabled, and Stop or a close breaks a hung call.
    bool stopPending = false;
    // The log has said that the call in progress is being broken (once per load).
    bool breakAnnounced = false;
    // Where the focus went when Start was disabled while it had it; null when it did not.
    // Kept while the dialog is inactive, so that the focus comes back when it is activated.
    HWND focusParkedFromStart = nullptr;
};
