// The system's Open-file (or Save-as) dialog.
#pragma once

#include "framework/CWnd.h"

#include <commdlg.h>

#include <string>

class CFileDialog {
  public:
    // filter: pairs of description and pattern, each ended by a NUL (the string's own
    // terminator closes the list), e.g. "DBF Files (*.dbf)\0*.dbf\0". defaultExtension and
    // fileName may be null.
    CFileDialog(bool openFileDialog, const char* defaultExtension, const char* fileName,
                DWORD flags, const std::string& filter, CWnd* parent);

    // The folder the dialog opens in; empty leaves the choice to the system.
    void setInitialFolder(const std::string& folder) { initialFolder_ = folder; }

    // Shows the dialog; IDOK when the user chose a file, IDCANCEL when the user cancelled
    // or the dialog could not be shown.
    INT_PTR DoModal();
    // The chosen full path, and its last component (name and extension).
    std::string GetPathName() const { return path_; }
    std::string GetFileName() const;

    // What shows the system dialog: GetOpenFileNameA or GetSaveFileNameA, or, in tests that
    // cannot drive the system's picker, a stand-in that inspects the request and answers as
    // they do. Null restores the system's. Interface thread only.
    using SystemDialog = BOOL(WINAPI*)(OPENFILENAMEA* request);
    static void setSystemDialogForTests(SystemDialog dialog);

  private:
    bool open_;
    std::string defaultExtension_;
    bool hasDefaultExtension_;
    std::string filter_;
    DWORD flags_;
    CWnd* parent_;
    std::string path_;
    std::string initialFolder_;
};
