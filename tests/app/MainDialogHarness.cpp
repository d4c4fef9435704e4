// The main dialog harness: observed dialog, message box answerer, insert hook, fixture.
#include "MainDialogHarness.h"

#include "GuiTestSupport.h"
#include "MessageBoxProbe.h"

#include "app/DialogLoad.h"

#include <commctrl.h>

namespace apptest {

namespace {

const int kInputIds[] = {1013, 1015, 1014, 1000, 1001, 1003, 1020};

// Written by the test thread while no load runs, read by the worker during the next one.
int insertNumberToActOn = 0;
std::function<void()> insertAction;
int insertsSeen = 0;

void onExecution(unsigned iterations) {
    if (iterations < 2 || insertNumberToActOn == 0)
        return;
    if (++insertsSeen == insertNumberToActOn && insertAction)
        insertAction();
}

} // namespace

std::vector<LineSnapshot> ObservedMarlinDlg::snapshots() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return snapshots_;
}

LRESULT ObservedMarlinDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCALCSIZE && extraFrameTop != 0) {
        LRESULT result = CMarlinDlg::WindowProc(message, wParam, lParam);
        reinterpret_cast<RECT*>(lParam)->top += extraFrameTop;
        return result;
    }
    if (message == 0 || message != LoadStatus::addStrMessageId)
        return CMarlinDlg::WindowProc(message, wParam, lParam);
    LineSnapshot snapshot;
    snapshot.line = LoadStatus::statusText;
    snapshot.logLinesBefore = logList.count();
    snapshot.progressBefore = progressBar.pos();
    LRESULT result = CMarlinDlg::WindowProc(message, wParam, lParam);
    snapshot.caption = startButton.windowText();
    snapshot.inputsEnabled = true;
    snapshot.inputsDisabled = true;
    for (int id : kInputIds) {
        const bool enabled = ::IsWindowEnabled(dlgItem(id)) != FALSE;
        snapshot.inputsEnabled = snapshot.inputsEnabled && enabled;
        snapshot.inputsDisabled = snapshot.inputsDisabled && !enabled;
    }
    snapshot.startEnabled = ::IsWindowEnabled(startButton.GetSafeHwnd()) != FALSE;
    snapshot.loadActive = LoadStatus::loadActive;
    std::lock_guard<std::mutex> lock(mutex_);
    snapshots_.push_back(snapshot);
    return result;
}

BOOL ObservedMarlinDlg::OnInitDialog() {
    HWND hwnd = GetSafeHwnd();
    if (clientEdge)
        ::SetWindowLongA(hwnd, GWL_EXSTYLE, ::GetWindowLongA(hwnd, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
    if (clientEdge || extraFrameTop != 0)
        ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    return CMarlinDlg::OnInitDialog();
}

std::string ObservedMarlinDlg::aboutItemText() const {
    return noAboutText ? std::string() : CMarlinDlg::aboutItemText();
}

BoxAnswerer::BoxAnswerer() : thread_([this] { run(); }) {}

BoxAnswerer::~BoxAnswerer() {
    stopping_ = true;
    // Reading a caption sends a message to the window's thread, which may be this one: keep
    // answering until the answerer has finished.
    guitest::pumpUntil([this] { return finished_.load(); }, 10000);
    thread_.join();
}

std::vector<std::string> BoxAnswerer::texts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
}

void BoxAnswerer::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    texts_.clear();
}

void BoxAnswerer::run() {
    while (!stopping_) {
        for (HWND box : openBoxes()) {
            if (answered_.insert(box).second) {
                std::string text = readBox(box).text;
                std::lock_guard<std::mutex> lock(mutex_);
                texts_.push_back(text);
            }
            clickOk(box);
        }
        ::Sleep(10);
    }
    finished_ = true;
}

void afterInsert(int insertNumber, std::function<void()> action) {
    insertNumberToActOn = insertNumber;
    insertAction = std::move(action);
    insertsSeen = 0;
    standin_test::StandinDatabase::setExecuteObserver(onExecution);
}

void clearInsertAction() {
    standin_test::StandinDatabase::setExecuteObserver(nullptr);
    insertNumberToActOn = 0;
    insertAction = nullptr;
}

MainDialogTest::MainDialogTest() : dbfPath(folder.path("CLIENTS.DBF")) {
    database.addUser("SCOTT", "Tiger");
    database.useEnvironment();
}

MainDialogTest::~MainDialogTest() {
    clearInsertAction();
    // A test that failed half-way may leave a load running: stop it and let it end.
    if (caption() == "Stop")
        click(1006);
    waitForIdle();
    application.mainWindow = nullptr;
}

void MainDialogTest::openDialog() {
    ASSERT_TRUE(dialog.Create());
    application.mainWindow = &dialog;
    guitest::pumpFor(50);
}

std::string MainDialogTest::text(int id) const {
    return guitest::windowText(item(id));
}

void MainDialogTest::setText(int id, const std::string& value) {
    ::SetWindowTextA(item(id), value.c_str());
}

void MainDialogTest::typeText(int id, const std::string& value) {
    ::SetFocus(item(id));
    ::SendMessageA(item(id), EM_SETSEL, 0x7FFF, 0x7FFF); // the caret at the end
    for (char c : value)
        ::PostMessageA(item(id), WM_CHAR, static_cast<unsigned char>(c), 1);
    guitest::pumpFor(20);
}

void MainDialogTest::fillFields(const std::string& tableName) {
    setText(1000, dbfPath);
    setText(1003, tableName);
    setText(1013, "SCOTT");
    setText(1014, "Tiger");
    setText(1015, "ORCL");
}

void MainDialogTest::click(int id) {
    ::PostMessageA(item(id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ::PostMessageA(item(id), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    guitest::pumpFor(30);
}

void MainDialogTest::pressKey(int id, UINT virtualKey) {
    ::SetFocus(item(id));
    ::PostMessageA(item(id), WM_KEYDOWN, virtualKey, 1);
    ::PostMessageA(item(id), WM_KEYUP, virtualKey, 0xC0000001);
    guitest::pumpFor(30);
}

std::vector<std::string> MainDialogTest::logLines() const {
    std::vector<std::string> lines;
    for (int index = 0; index < dialog.logList.count(); ++index)
        lines.push_back(dialog.logList.text(index));
    return lines;
}

bool MainDialogTest::inputsEnabled() const {
    for (int id : kInputIds)
        if (!::IsWindowEnabled(item(id)))
            return false;
    return true;
}

bool MainDialogTest::waitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    return guitest::pumpUntil(condition, timeoutMs);
}

bool MainDialogTest::activate() {
    HWND hwnd = dialog.GetSafeHwnd();
    ::SetForegroundWindow(hwnd);
    ::SetActiveWindow(hwnd);
    return waitFor(
        [hwnd] { return ::GetActiveWindow() == hwnd && ::GetForegroundWindow() == hwnd; }, 5000);
}

int MainDialogTest::focusedId() const {
    HWND focus = ::GetFocus();
    return focus != nullptr && ::IsChild(dialog.GetSafeHwnd(), focus) ? ::GetDlgCtrlID(focus) : 0;
}

bool MainDialogTest::waitForIdle() {
    if (dialog.GetSafeHwnd() == nullptr)
        return true;
    return waitFor([this] { return caption() == "Start" && ::IsWindowEnabled(item(1006)); });
}

} // namespace apptest
