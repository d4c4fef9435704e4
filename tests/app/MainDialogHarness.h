// The main dialog under test: opened modeless on the test's thread, which pumps its messages
// while a load runs on the real worker thread into the stand-in database.
#pragma once

#include "app/CMarlinDlg.h"
#include "dbf/TempFolder.h"
#include "framework/CWinApp.h"
#include "support/StandinDatabase.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace apptest {

// The dialog as the handler of a status line left it.
struct LineSnapshot {
    std::string line;
    int logLinesBefore = 0;      // lines in the log when the line arrived
    int progressBefore = 0;      // the bar's position then
    std::string caption;         // of Start/Stop after the handler
    bool inputsEnabled = false;  // every input enabled
    bool inputsDisabled = false; // every input disabled
    bool startEnabled = false;
    std::int32_t loadActive = 0;
};

class ObservedMarlinDlg : public CMarlinDlg {
  public:
    std::vector<LineSnapshot> snapshots() const;
    bool noAboutText = false; // set before Create: the About string is missing
    // Set before Create: a sunken client edge, so that the frame differs from the one the
    // layout's default offsets describe.
    bool clientEdge = false;
    // Set before Create: pixels added to the frame's top, as a tall title bar (large fonts,
    // a high DPI) adds them.
    int extraFrameTop = 0;

  protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    std::string aboutItemText() const override;

  private:
    mutable std::mutex mutex_;
    std::vector<LineSnapshot> snapshots_;
};

// Closes every message box of the program that opens while it lives, and records its text.
class BoxAnswerer {
  public:
    BoxAnswerer();
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;
    std::vector<std::string> texts() const;
    // Forgets the texts recorded so far.
    void clear();

  private:
    void run();

    std::atomic<bool> stopping_{false};
    std::atomic<bool> finished_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> texts_;
    std::set<HWND> answered_;
    std::thread thread_;
};

// Runs an action on the worker thread right after the n-th array insert of the next load has
// executed, before the job looks at the stop flag again.
void afterInsert(int insertNumber, std::function<void()> action);
void clearInsertAction();

class MainDialogTest : public ::testing::Test {
  protected:
    MainDialogTest();
    ~MainDialogTest() override;

    void openDialog();
    HWND item(int id) const { return ::GetDlgItem(dialog.GetSafeHwnd(), id); }
    std::string text(int id) const;
    void setText(int id, const std::string& value);
    // Sends the characters as the keyboard does (WM_CHAR), so the field's case rule applies.
    void typeText(int id, const std::string& value);
    void fillFields(const std::string& tableName);
    // A user's click: button down and up, then the messages it causes are handled.
    void click(int id);
    void pressKey(int id, UINT virtualKey);
    std::vector<std::string> logLines() const;
    std::string caption() const { return text(1006); }
    bool inputsEnabled() const;
    bool waitFor(const std::function<bool()>& condition, DWORD timeoutMs = 20000);
    // Makes the dialog the foreground and active window, as a click on it would.
    bool activate();
    // The id of the control with the focus, or 0 when the dialog has none.
    int focusedId() const;
    // Waits until the worker has returned: Start is enabled again.
    bool waitForIdle();

    CWinApp application;
    ObservedMarlinDlg dialog;
    TempFolder folder;
    standin_test::StandinDatabase database;
    std::string dbfPath;
};

} // namespace apptest
