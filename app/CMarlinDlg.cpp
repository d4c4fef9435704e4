// The main dialog: initialisation, the emptiness checks, Start and Stop, the handlers of
// the worker's messages, the close guard and the file picker.
#include "app/CMarlinDlg.h"

#include "app/AppMessageBoxDlg.h"
#include "app/CAboutDlg.h"
#include "app/DialogInput.h"
#include "app/DialogLoad.h"
#include "app/LoadWorker.h"
#include "app/resource.h"
#include "framework/CFileDialog.h"
#include "load/FixedTexts.h"
#include "load/TableName.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <utility>

namespace {

// Bit 30 of a key-down message: the key was down already, so this is the keyboard's repeat.
constexpr LPARAM kKeyWasDown = LPARAM{1} << 30;

// The Oracle session end and rollback of a stopped load normally take well under a second;
// the wait only guards against a thread that never finishes.
constexpr DWORD kWorkerReturnWaitMs = 10000;

HINSTANCE instance() {
    return ::GetModuleHandleA(nullptr);
}

// An icon resource at the system's size for small icons (shared: the system frees it).
HICON loadSmallIcon(int resourceId) {
    return static_cast<HICON>(::LoadImageA(instance(), MAKEINTRESOURCEA(resourceId), IMAGE_ICON,
                                           ::GetSystemMetrics(SM_CXSMICON),
                                           ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

} // namespace

CMarlinDlg::CMarlinDlg()
    : CDialog(IDD_MARLIN_DIALOG),
      appIcon(::LoadIconA(instance(), MAKEINTRESOURCEA(IDR_MAINFRAME))) {}

CMarlinDlg::~CMarlinDlg() {
    if (workerThread != nullptr)
        ::CloseHandle(workerThread);
}

void CMarlinDlg::DoDataExchange(CDataExchange* exchange) {
    CDialog::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_SITE_LINK, siteLink);
    DDX_Control(exchange, IDC_PROGRESS, progressBar);
    DDX_Control(exchange, IDC_BROWSE, browseButton);
    DDX_Control(exchange, IDC_TYPED_COLUMNS, typedColumnsCheck);
    DDX_Control(exchange, IDC_START_STOP, startButton);
    DDX_Control(exchange, IDC_LOG_LIST, logList);
    DDX_Text(exchange, IDC_FILE_NAME, fileName);
    DDX_Text(exchange, IDC_TABLE_NAME, tableName);
    DDX_Text(exchange, IDC_USER_NAME, userName);
    DDX_Text(exchange, IDC_PASSWORD, password);
    DDX_Text(exchange, IDC_DATABASE, database);
    DDX_Control(exchange, IDC_FILE_NAME, fileNameEdit);
    DDX_Control(exchange, IDCANCEL, cancelButton);
    DDX_Control(exchange, IDC_TABLE_NAME, tableNameEdit);
    DDX_Control(exchange, IDC_USER_NAME, userNameEdit);
    DDX_Control(exchange, IDC_PASSWORD, passwordEdit);
    DDX_Control(exchange, IDC_DATABASE, databaseEdit);
    DDX_Control(exchange, IDC_OUTER_FRAME, outerFrame);
    DDX_Control(exchange, IDC_CONNECT_GROUP, connectGroup);
}

BOOL CMarlinDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    registerLayout();
    addAboutItem();
    sendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon));
    sendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(loadSmallIcon(IDR_MAINFRAME)));
    LoadStatus::addStrMessageId = ::RegisterWindowMessageA("ADD_STR_MESSAGE");
    LoadStatus::showProgressMessageId = ::RegisterWindowMessageA("SHOW_PROGRESS_MESSAGE");
    sendMessage(DM_SETDEFID, IDC_START_STOP);
    progressBar.setRange(0, 100);
    // A 32-pixel icon would be cut by a button of 13 x 12 dialog units.
    browseButton.setIcon(loadSmallIcon(IDI_FOLDER));
    installDialogLoadHooks();
    return TRUE;
}

void CMarlinDlg::registerLayout() {
    layout.attach(GetSafeHwnd());
    layout.addControl(outerFrame.GetSafeHwnd(), 0, 0, 1, 1);
    for (CEdit* edit : {&fileNameEdit, &tableNameEdit, &userNameEdit, &passwordEdit, &databaseEdit})
        layout.addControl(edit->GetSafeHwnd(), 0, 0, 1, 0);
    layout.addControl(connectGroup.GetSafeHwnd(), 0, 0, 1, 0);
    layout.addControl(progressBar.GetSafeHwnd(), 0, 0, 1, 0);
    layout.addControl(logList.GetSafeHwnd(), 0, 0, 1, 1);
    layout.addControl(browseButton.GetSafeHwnd(), 1, 0, 0, 0);
    layout.addControl(typedColumnsCheck.GetSafeHwnd(), 1, 0, 0, 0);
    layout.addControl(startButton.GetSafeHwnd(), 1, 1, 0, 0);
    layout.addControl(cancelButton.GetSafeHwnd(), 1, 1, 0, 0);
}

std::string CMarlinDlg::aboutItemText() const {
    char text[256] = {};
    int length = ::LoadStringA(instance(), IDS_ABOUTBOX, text, sizeof(text));
    return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

void CMarlinDlg::addAboutItem() {
    HMENU systemMenu = GetSystemMenu(false);
    if (systemMenu == nullptr)
        return;
    std::string text = aboutItemText();
    if (text.empty())
        return;
    ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, text.c_str());
}

LRESULT CMarlinDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // Registered ids are only known at run time, so they cannot be switch labels.
    if (message != 0 && message == LoadStatus::addStrMessageId)
        return onAddStrMessage();
    if (message != 0 && message == LoadStatus::showProgressMessageId)
        return onShowProgressMessage();
    switch (message) {
    case kWorkerReturnedMessage:
        return onWorkerReturned(wParam);
    case WM_ACTIVATE: {
        // The system gives the focus back first; it may go to a control disabled meanwhile.
        LRESULT result = CDialog::WindowProc(message, wParam, lParam);
        if (LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0)
            onActivated();
        return result;
    }
    case WM_GETMINMAXINFO: {
        LRESULT result = CDialog::WindowProc(message, wParam, lParam);
        onGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        return result;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_START_STOP) {
            onStartStop();
            return 0;
        }
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_BROWSE) {
            onBrowse();
            return 0;
        }
        break;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
            CAboutDlg about;
            about.DoModal();
            return 0;
        }
        break;
    case WM_SIZE:
        layout.resize(LOWORD(lParam), HIWORD(lParam));
        break;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

bool CMarlinDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN && (msg->lParam & kKeyWasDown) != 0)
        return true;
    return CDialog::PreTranslateMessage(msg);
}

bool CMarlinDlg::isActive() const {
    return ::GetActiveWindow() == GetSafeHwnd();
}

bool CMarlinDlg::isLoading() const {
    char caption[10] = {};
    ::GetWindowTextA(startButton.GetSafeHwnd(), caption, sizeof(caption));
    return std::strncmp(caption, "Stop", 4) == 0;
}

void CMarlinDlg::onStartStop() {
    // Enter reaches here even while Start waits, disabled, for a stopped worker to return.
    if (!::IsWindowEnabled(startButton.GetSafeHwnd()))
        return;
    // The button reports both clicks of a double click; the second would stop the load the
    // first one started, leaving an empty table behind.
    if (startButton.clickIsSecondOfDoubleClick())
        return;
    if (!isLoading())
        startLoad();
    else if (stopPending)
        breakHungCall();
    else
        stopLoad();
}

bool CMarlinDlg::checkFields() {
    struct Check {
        bool failed;
        const char* failure;
        CWnd& field;
    };
    // No file or table has a name of blanks only; a password or a user name might.
    const Check checks[] = {
        {isBlank(fileName), "Invalid file name", fileNameEdit},
        {isBlank(tableName), "Invalid table name", tableNameEdit},
        {userName.empty(), "Invalid username", userNameEdit},
        {password.empty(), "Invalid password", passwordEdit},
        {database.empty(), "Invalid connect string", databaseEdit},
    };
    for (const Check& check : checks) {
        if (check.failed) {
            showAppMessage(check.failure);
            focusAfterMessage(check.field);
            return false;
        }
    }
    return true;
}

bool CMarlinDlg::checkFileExists() {
    // A file moved or deleted since it was picked is told before the load connects to
    // Oracle, which can take a while, and in words that name it.
    if (!fileIsMissing(fileName))
        return true;
    showAppMessage(("Cannot find file " + fileName +
                    ". Check the file name, or pick the file with the \"...\" button.")
                       .c_str());
    focusAfterMessage(fileNameEdit);
    return false;
}

void CMarlinDlg::startLoad() {
    logLineCount = 0;
    UpdateData(true);
    takePathOutOfQuotes();
    if (!checkFields() || !checkFileExists())
        return;
    // The job works in UTF-8; the file name stays as the system's file functions take it.
    LoadOptions options;
    options.typedColumns = typedColumnsCheck.checkState() == BST_CHECKED;
    setLoadParams({fileName, platform::utf8FromLocal(tableName), platform::utf8FromLocal(userName),
                   platform::utf8FromLocal(password), platform::utf8FromLocal(database), options});
    startButton.setWindowText("Stop");
    enableInputs(false);
    keepFocusUsable(startButton);
    logList.clear();
    progressBar.setPos(0);
    LoadStatus::targetWindow = GetSafeHwnd();
    stopPending = false;
    breakAnnounced = false;
    // Set before the thread exists: the job's first test of the flag must see the load.
    LoadStatus::loadActive = 1;
    workerThread = startLoadWorker();
    if (workerThread == nullptr) {
        LoadStatus::loadActive = 0;
        appendLogLine(fixed_text::kThreadFailed, false);
    }
}

void CMarlinDlg::takePathOutOfQuotes() {
    const std::string path = unquotedPath(fileName);
    if (path == fileName)
        return;
    fileName = path;
    // The field shows the name the load takes.
    fileNameEdit.setWindowText(fileName);
}

void CMarlinDlg::stopLoad() {
    // A job past its last test of the flag may have ended the load already; its last line,
    // on its way, then returns the dialog to idle, and a "stopped" line would contradict it.
    // A Start whose thread never ran has no job to end the load.
    if (!dialogLoadStop().claimEnding() && workerThread != nullptr)
        return;
    appendLogLine(fixed_text::kStopped, true);
    if (workerThread == nullptr) {
        returnToIdle();
        return;
    }
    // The job ends at its next look at the flag, or not at all while a call to Oracle hangs:
    // the dialog shows the load ending until the worker has returned, and Stop stays there
    // to break such a call.
    stopPending = true;
}

void CMarlinDlg::breakHungCall() {
    if (!breakAnnounced)
        appendLogLine("Breaking the Oracle call in progress..", true);
    breakAnnounced = true;
    breakWorkerCalls();
}

void CMarlinDlg::enableInputs(bool enable) {
    for (CWnd* control :
         std::initializer_list<CWnd*>{&userNameEdit, &databaseEdit, &passwordEdit, &fileNameEdit,
                                      &browseButton, &tableNameEdit, &typedColumnsCheck})
        control->enableWindow(enable);
}

void CMarlinDlg::returnToIdle() {
    stopPending = false;
    startButton.setWindowText("Start");
    enableInputs(true);
    // One worker at a time: a stopped one may still be ending its session.
    const bool workerEnding = workerThread != nullptr;
    const bool startHadFocus = ::GetFocus() == startButton.GetSafeHwnd();
    startButton.enableWindow(!workerEnding);
    keepFocusUsable(fileNameEdit);
    // The focus goes back to Start when the worker has returned, unless the user has moved
    // it meanwhile; left on Cancel, Enter would close the program.
    focusParkedFromStart = workerEnding && startHadFocus ? ::GetFocus() : nullptr;
}

void CMarlinDlg::keepFocusUsable(CWnd& fallback) {
    // Moving the focus would bring the dialog to the front over the program the user works
    // in; the focus is settled when the dialog is next activated.
    if (!isActive())
        return;
    // A disabled control keeps the focus it had, and the keyboard then reaches nothing.
    HWND focus = ::GetFocus();
    if (focus == nullptr || !::IsWindowEnabled(focus))
        focusControl(fallback);
}

void CMarlinDlg::giveStartItsFocusBack() {
    // The focus left Start only because Start was disabled; it comes back unless the user
    // has moved it since, or Enter would press the control it was parked on.
    if (focusParkedFromStart == nullptr || !isActive() ||
        !::IsWindowEnabled(startButton.GetSafeHwnd()))
        return;
    if (::GetFocus() == focusParkedFromStart)
        focusControl(startButton);
    focusParkedFromStart = nullptr;
}

void CMarlinDlg::onActivated() {
    giveStartItsFocusBack();
    const bool startUsable = ::IsWindowEnabled(startButton.GetSafeHwnd()) != FALSE;
    const HWND before = ::GetFocus();
    keepFocusUsable(startUsable ? static_cast<CWnd&>(startButton) : fileNameEdit);
    // The focus the system restored was on Start, disabled while a stopped worker ends: it
    // goes back to Start when the worker has returned.
    if (!startUsable && ::GetFocus() != before)
        focusParkedFromStart = ::GetFocus();
}

void CMarlinDlg::onGetMinMaxInfo(MINMAXINFO* limits) const {
    const SIZE minimum = layout.minimumWindowSize();
    limits->ptMinTrackSize.x = std::max<LONG>(limits->ptMinTrackSize.x, minimum.cx);
    limits->ptMinTrackSize.y = std::max<LONG>(limits->ptMinTrackSize.y, minimum.cy);
}

void CMarlinDlg::focusAfterMessage(CWnd& control) {
    // Closing a box the dialog owned activates the dialog again, which puts the focus back on
    // the control it remembers; with another window in front the dialog keeps that.
    if (isActive())
        focusControl(control);
}

void CMarlinDlg::focusControl(CWnd& control) {
    sendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control.GetSafeHwnd()), TRUE);
}

void CMarlinDlg::appendLogLine(const std::string& text, bool scroll) {
    // A line break inside a status line shows as a blank (Oracle's texts hold them), trailing
    // ones not at all.
    logList.insertLine(logLineCount, statusTextAsOneLine(text));
    ++logLineCount;
    if (scroll)
        logList.setTopIndex(logLineCount - 1);
}

LRESULT CMarlinDlg::onAddStrMessage() {
    appendLogLine(platform::localFromUtf8(LoadStatus::statusText), true);
    // The job clears the flag before its last line, so this is the end of the load; after the
    // user's stop the dialog waits for the worker itself to return.
    if (LoadStatus::loadActive == 0 && isLoading() && !stopPending)
        returnToIdle();
    return 0;
}

LRESULT CMarlinDlg::onShowProgressMessage() {
    progressBar.setPos(LoadStatus::progressPercent);
    return 0;
}

LRESULT CMarlinDlg::onWorkerReturned(WPARAM threadId) {
    // Anything may post this message number: only this dialog's worker counts, and only once
    // its job has ended the load, so that no second worker ever starts beside a live one.
    if (workerThread == nullptr || threadId != ::GetThreadId(workerThread) ||
        LoadStatus::loadActive != 0)
        return 0;
    releaseWorker(kWorkerReturnWaitMs);
    // A worker that has returned is not loading, whatever the caption says.
    if (isLoading()) {
        returnToIdle();
    } else {
        startButton.enableWindow(true);
        giveStartItsFocusBack();
    }
    if (closeWhenWorkerReturns)
        EndDialog(IDCANCEL);
    return 0;
}

void CMarlinDlg::OnCancel() {
    if (isLoading() && !stopPending) {
        // The box runs its own message loop, so the worker's sends go on being handled.
        showAppMessage(fixed_text::kStopBeforeClose);
        // The focus comes back where Enter does what the message asks for, never on Cancel.
        focusAfterMessage(startButton);
        return;
    }
    if (workerThread != nullptr) {
        // A stop is honoured only between records: connecting, creating the table or a call
        // blocked in the client keeps the window open a while, and the user learns why. A
        // call that never returns (a stalled commit, a dead network) is broken, so that the
        // window does close.
        if (!closeWhenWorkerReturns)
            appendLogLine("Waiting for the load to stop..", true);
        closeWhenWorkerReturns = true;
        breakHungCall();
        return;
    }
    EndDialog(IDCANCEL);
}

void CMarlinDlg::waitForWorker() {
    if (workerThread == nullptr)
        return;
    LoadStatus::loadActive = 0;
    // The program is ending: a call that hangs must not keep it alive.
    breakWorkerCalls();
    releaseWorker(INFINITE);
}

void CMarlinDlg::releaseWorker(DWORD waitMs) {
    ::WaitForSingleObject(workerThread, waitMs);
    ::CloseHandle(workerThread);
    workerThread = nullptr;
}

void CMarlinDlg::onBrowse() {
    UpdateData(true);
    // One filter entry: description, pattern, each ended by a NUL. A std::string made from
    // the literal alone would stop at the first NUL.
    static const char kFilter[] = "DBF Files (*.dbf)\0*.dbf\0";
    // The current folder stays where it is: a folder the user picked a table from may hold
    // anything, and the current folder is where the system looks for libraries.
    CFileDialog picker(true, nullptr, nullptr, OFN_HIDEREADONLY | OFN_NOCHANGEDIR,
                       std::string(kFilter, sizeof(kFilter) - 1), this);
    // The picker opens where the table named in File name lies, or where the last one was
    // picked, rather than wherever the system last was.
    picker.setInitialFolder(pickerFolderFor(fileName, lastPickedFolder));
    if (picker.DoModal() != IDOK)
        return;
    fileName = picker.GetPathName();
    lastPickedFolder = folderOfPath(fileName);
    tableName = platform::localFromUtf8(tableNameForFile(platform::utf8FromLocal(fileName)));
    UpdateData(false);
}
