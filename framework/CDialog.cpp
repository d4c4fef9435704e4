// Template dialogs: creation, the modal loop with PreTranslateMessage routing, and the
// default OK and Cancel handling.
#include "framework/CDialog.h"

#include "framework/CWinApp.h"

CDialog::CDialog(UINT templateId, CWnd* parent) : templateId_(templateId), parent_(parent) {}

CDialog::~CDialog() = default;

INT_PTR CALLBACK CDialog::dialogProc(HWND hwnd, UINT message, WPARAM, LPARAM lParam) {
    // Everything but the initialisation reaches the object through its window procedure,
    // which is in place from WM_INITDIALOG on; the dialog manager handles the rest.
    if (message != WM_INITDIALOG)
        return FALSE;
    return reinterpret_cast<CDialog*>(lParam)->initialise(hwnd);
}

BOOL CDialog::initialise(HWND hwnd) {
    if (!bind(hwnd))
        return TRUE;
    previousProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(staticWindowProc)));
    RECT before{};
    ::GetWindowRect(hwnd, &before);
    BOOL focusDefault = OnInitDialog();
    // A dialog that did not place itself is centred over its owner.
    RECT after{};
    if (::IsWindow(hwnd) && ::GetWindowRect(hwnd, &after) && ::EqualRect(&before, &after))
        centerWindow();
    return focusDefault;
}

bool CDialog::createFromTemplate(HWND owner) {
    ensureCommonControls();
    HWND hwnd = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_),
                                     owner, dialogProc, reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr && hwnd == hwnd_;
}

HWND CDialog::findModalOwner() const {
    HWND owner = parent_ != nullptr ? parent_->GetSafeHwnd() : nullptr;
    if (owner == nullptr)
        owner = CWinApp::mainWindowOfCallingThread();
    if (owner == nullptr)
        return nullptr;
    owner = ::GetAncestor(owner, GA_ROOT);
    // Without an explicit parent the box goes above whatever pop-up the user is working in.
    if (parent_ == nullptr)
        owner = ::GetLastActivePopup(owner);
    return owner;
}

INT_PTR CDialog::DoModal() {
    if (hwnd_ != nullptr)
        return -1;
    HWND owner = findModalOwner();
    bool reenableOwner = false;
    if (owner != nullptr && owner != ::GetDesktopWindow() && ::IsWindowEnabled(owner)) {
        ::EnableWindow(owner, FALSE);
        reenableOwner = true;
    }
    endRequested_ = false;
    result_ = -1;
    modal_ = true;
    if (createFromTemplate(owner)) {
        if (!endRequested_) {
            ::ShowWindow(hwnd_, SW_SHOWNORMAL);
            runModalLoop();
        }
        if (hwnd_ != nullptr)
            ::SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                           SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE |
                               SWP_NOZORDER);
    }
    // The owner is enabled before the dialog goes away, so activation returns to it.
    if (reenableOwner)
        ::EnableWindow(owner, TRUE);
    if (owner != nullptr && hwnd_ != nullptr && ::GetActiveWindow() == hwnd_)
        ::SetActiveWindow(owner);
    DestroyWindow();
    modal_ = false;
    return result_;
}

void CDialog::runModalLoop() {
    MSG msg{};
    while (!endRequested_ && hwnd_ != nullptr) {
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1)
            break;
        if (got == 0) {
            // Leave WM_QUIT for the loop outside.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!WalkPreTranslateTree(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

bool CDialog::Create(CWnd* parent) {
    if (hwnd_ != nullptr)
        return false;
    if (parent != nullptr)
        parent_ = parent;
    endRequested_ = false;
    result_ = -1;
    modal_ = false;
    HWND owner = parent_ != nullptr ? parent_->GetSafeHwnd() : nullptr;
    if (createFromTemplate(owner))
        return true;
    DestroyWindow();
    return false;
}

void CDialog::EndDialog(int result) {
    result_ = result;
    endRequested_ = true;
    if (hwnd_ == nullptr)
        return;
    if (modal_)
        ::PostMessageA(hwnd_, WM_NULL, 0, 0); // wakes the loop when called from a sent message
    else
        ::ShowWindow(hwnd_, SW_HIDE);
}

bool CDialog::UpdateData(bool saveAndValidate) {
    if (hwnd_ == nullptr)
        return false;
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    return !exchange.failed();
}

BOOL CDialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(true))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

bool CDialog::PreTranslateMessage(MSG* msg) {
    if (hwnd_ == nullptr)
        return false;
    return ::IsDialogMessageA(hwnd_, msg) != FALSE;
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // Windows tells only top-level windows that the system colours changed; controls that
    // keep colours of their own hear it from their dialog (a dialog among them passes it on).
    if (message == WM_SYSCOLORCHANGE)
        for (HWND child = ::GetWindow(hwnd_, GW_CHILD); child != nullptr;
             child = ::GetWindow(child, GW_HWNDNEXT))
            ::SendMessageA(child, WM_SYSCOLORCHANGE, wParam, lParam);
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case IDOK:
            OnOK();
            return 0;
        case IDCANCEL:
            OnCancel();
            return 0;
        }
    }
    return CWnd::WindowProc(message, wParam, lParam);
}
