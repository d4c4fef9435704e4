// The Open-file dialog over GetOpenFileNameA.
#include "framework/CFileDialog.h"

#include "framework/CWinApp.h"

namespace {
// Interface thread only, so it needs no lock.
CFileDialog::SystemDialog systemDialogForTests = nullptr;
} // namespace

void CFileDialog::setSystemDialogForTests(SystemDialog dialog) {
    systemDialogForTests = dialog;
}

CFileDialog::CFileDialog(bool openFileDialog, const char* defaultExtension, const char* fileName,
                         DWORD flags, const std::string& filter, CWnd* parent)
    : open_(openFileDialog), defaultExtension_(defaultExtension ? defaultExtension : ""),
      hasDefaultExtension_(defaultExtension != nullptr), filter_(filter), flags_(flags),
      parent_(parent), path_(fileName ? fileName : "") {
    // The list of filters ends with an empty entry: two NULs in a row.
    filter_.push_back('\0');
}

INT_PTR CFileDialog::DoModal() {
    char file[MAX_PATH] = {};
    path_.copy(file, sizeof(file) - 1);
    OPENFILENAMEA request{};
    request.lStructSize = sizeof(request);
    HWND owner = parent_ != nullptr ? parent_->GetSafeHwnd() : nullptr;
    request.hwndOwner = owner != nullptr ? owner : CWinApp::mainWindowOfCallingThread();
    request.lpstrFilter = filter_.size() > 1 ? filter_.c_str() : nullptr;
    request.lpstrFile = file;
    request.nMaxFile = sizeof(file);
    request.lpstrDefExt = hasDefaultExtension_ ? defaultExtension_.c_str() : nullptr;
    request.lpstrInitialDir = initialFolder_.empty() ? nullptr : initialFolder_.c_str();
    request.Flags = flags_ | OFN_EXPLORER;
    SystemDialog show = open_ ? ::GetOpenFileNameA : ::GetSaveFileNameA;
    if (systemDialogForTests != nullptr)
        show = systemDialogForTests;
    BOOL chosen = show(&request);
    if (!chosen)
        return IDCANCEL;
    path_ = file;
    return IDOK;
}

std::string CFileDialog::GetFileName() const {
    size_t separator = path_.find_last_of("\\/:");
    return separator == std::string::npos ? path_ : path_.substr(separator + 1);
}
