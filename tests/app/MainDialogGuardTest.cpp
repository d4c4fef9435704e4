// The main dialog against what would trick it: a stray "worker returned" message, a double
// click or a held Enter on Start, a load that ends while the user works in another window,
// and Oracle's texts of several lines.
#include "GuiTestSupport.h"
#include "MainDialogHarness.h"

#include "app/DialogLoad.h"
#include "app/LoadWorker.h"
#include "support/SampleTable.h"

#include <atomic>
#include <thread>

namespace apptest {
namespace {

// The sample table's record width gives batches of 2453 rows: two inserts for 3000 records.
constexpr int kRecords = 3000;

// Holds the next load after its first array insert until released, so that it certainly
// runs while the test acts. The event lives as long as the process: a worker may still be
// waiting on it when a failed test ends.
class HeldLoad {
  public:
    HeldLoad() {
        static const HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        resume_ = event;
        ::ResetEvent(resume_);
        HANDLE resume = resume_;
        afterInsert(1, [resume] { ::WaitForSingleObject(resume, 30000); });
    }
    ~HeldLoad() { release(); }
    HeldLoad(const HeldLoad&) = delete;
    HeldLoad& operator=(const HeldLoad&) = delete;
    void release() { ::SetEvent(resume_); }

  private:
    HANDLE resume_ = nullptr;
};

TEST_F(MainDialogTest, AStrayWorkerReturnedMessageLeavesTheLoadRunning) {
    ASSERT_TRUE(writeSampleTable(dbfPath, kRecords));
    openDialog();
    BoxAnswerer answerer;
    fillFields("CLIENTS");
    HeldLoad held;
    click(1006);
    ASSERT_TRUE(
        waitFor([this] { return logLines().back() == "Importing file into table CLIENTS.."; }));
    // Any program or library may post the same number, with any parameters.
    ::PostMessageA(dialog.GetSafeHwnd(), kWorkerReturnedMessage, 0, 0);
    ::PostMessageA(dialog.GetSafeHwnd(), kWorkerReturnedMessage, ::GetCurrentThreadId(), 0);
    guitest::pumpFor(200);
    EXPECT_EQ(caption(), "Stop");
    EXPECT_TRUE(::IsWindowEnabled(item(1006)));
    EXPECT_FALSE(::IsWindowEnabled(item(1000)));
    EXPECT_EQ(LoadStatus::loadActive.load(), 1);

    held.release();
    ASSERT_TRUE(waitForIdle());
    EXPECT_EQ(logLines().back(), "Loading completed. 3000 records processed.");
    EXPECT_EQ(database.readTable("SCOTT", "CLIENTS").rows.size(), static_cast<size_t>(kRecords));
    EXPECT_TRUE(answerer.texts().empty());
}

TEST_F(MainDialogTest, ADoubleClickOnStartOrEnterHeldDownStartsOneLoad) {
    ASSERT_TRUE(writeSampleTable(dbfPath, kRecords));
    openDialog();
    BoxAnswerer answerer;
    fillFields("CLIENTS");
    ASSERT_TRUE(activate());
    {
        HeldLoad held;
        const POINT start = guitest::centreOf(item(1006));
        guitest::moveMouse(start);
        guitest::clickAt(start);
        guitest::clickAt(start);
        ASSERT_TRUE(waitFor([this] {
            const std::vector<std::string> lines = logLines();
            return !lines.empty() && lines.back() == "Importing file into table CLIENTS..";
        }));
        guitest::pumpFor(300);
        EXPECT_EQ(caption(), "Stop");
        EXPECT_EQ(LoadStatus::loadActive.load(), 1);
    }
    ASSERT_TRUE(waitForIdle());
    EXPECT_EQ(logLines().back(), "Loading completed. 3000 records processed.");

    // Enter held in a field repeats its key; only the first press is a press of Start.
    setText(1003, "CLIENTS2");
    ::SetFocus(item(1003));
    {
        HeldLoad held;
        guitest::holdKey(VK_RETURN, 4);
        ASSERT_TRUE(waitFor([this] { return caption() == "Stop"; }));
        guitest::pumpFor(300);
        EXPECT_EQ(caption(), "Stop");
        EXPECT_EQ(LoadStatus::loadActive.load(), 1);
    }
    ASSERT_TRUE(waitForIdle());
    EXPECT_EQ(logLines().back(), "Loading completed. 3000 records processed.");
    EXPECT_EQ(database.readTable("SCOTT", "CLIENTS2").rows.size(), static_cast<size_t>(kRecords));
    EXPECT_TRUE(answerer.texts().empty());
}

// A top-level window of another thread, as another program's window is to the dialog.
class OtherWindow {
  public:
    OtherWindow() : thread_([this] { run(); }) {
        while (window_ == nullptr)
            ::Sleep(5);
    }
    ~OtherWindow() {
        ::PostMessageA(window_, WM_CLOSE, 0, 0);
        thread_.join();
    }
    OtherWindow(const OtherWindow&) = delete;
    OtherWindow& operator=(const OtherWindow&) = delete;
    HWND window() const { return window_; }
    // Brings the window to the front from its own thread, as the user's click would.
    void activate() { ::PostMessageA(window_, WM_APP, 0, 0); }

  private:
    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_APP) {
            ::SetForegroundWindow(hwnd);
            ::SetActiveWindow(hwnd);
            ::SetFocus(hwnd);
            return 0;
        }
        if (message == WM_CLOSE) {
            ::DestroyWindow(hwnd);
            ::PostQuitMessage(0);
            return 0;
        }
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
    void run() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "MarlinTestOtherProgram";
        ::RegisterClassA(&windowClass);
        HWND window = ::CreateWindowExA(0, "MarlinTestOtherProgram", "Another program",
                                        WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 400, 300, 200,
                                        nullptr, nullptr, windowClass.hInstance, nullptr);
        window_ = window;
        MSG msg;
        while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }

    std::atomic<HWND> window_{nullptr};
    std::thread thread_;
};

TEST_F(MainDialogTest, ALoadEndingWhileTheUserWorksElsewhereLeavesTheirWindowInFront) {
    ASSERT_TRUE(writeSampleTable(dbfPath, kRecords));
    openDialog();
    BoxAnswerer answerer;
    fillFields("CLIENTS");
    OtherWindow other;
    ASSERT_TRUE(activate());
    {
        HeldLoad held;
        click(1006);
        ASSERT_EQ(caption(), "Stop");
        other.activate();
        ASSERT_TRUE(waitFor([&] { return ::GetForegroundWindow() == other.window(); }, 5000));
    }
    ASSERT_TRUE(waitForIdle());
    guitest::pumpFor(200);
    EXPECT_EQ(logLines().back(), "Loading completed. 3000 records processed.");
    // The dialog returned to idle without taking the user's window's place.
    EXPECT_EQ(::GetForegroundWindow(), other.window());
    EXPECT_NE(::GetActiveWindow(), dialog.GetSafeHwnd());
    // Back in the dialog, the focus is on Start, so that Enter starts the next load.
    ASSERT_TRUE(activate());
    EXPECT_EQ(focusedId(), 1006);
    EXPECT_TRUE(answerer.texts().empty());
}

// The width of a line of the log list in its font.
int lineWidth(HWND list, const std::string& line) {
    HDC dc = ::GetDC(list);
    HGDIOBJ previous =
        ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(list, WM_GETFONT, 0, 0)));
    SIZE size{};
    ::GetTextExtentPoint32A(dc, line.c_str(), static_cast<int>(line.size()), &size);
    ::SelectObject(dc, previous);
    ::ReleaseDC(list, dc);
    return size.cx;
}

TEST_F(MainDialogTest, OraclesTextsShowAsOneLineAndTheListScrollsToTheirEnd) {
    ASSERT_TRUE(writeSampleTable(dbfPath, 10));
    database.useEnvironment("create#1=955");
    openDialog();
    BoxAnswerer answerer;
    fillFields("CLIENTS");
    click(1006);
    ASSERT_TRUE(waitForIdle());
    // The message box keeps the whole text, its line breaks as the box shows them; the log
    // shows them as blanks.
    EXPECT_EQ(answerer.texts(), std::vector<std::string>{
                                    "Error while create table. \r\n"
                                    "ORA-00955: name is already used by an existing object\r\n"});
    const std::string line =
        "Error while create table. ORA-00955: name is already used by an existing object";
    EXPECT_EQ(logLines().back(), line);
    HWND list = item(1005);
    EXPECT_GE(::SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0), lineWidth(list, line));

    // A line wider than the list gets a scroll bar that reaches its end.
    database.useEnvironment();
    const std::string longName(100, 'T');
    setText(1003, longName);
    click(1006);
    ASSERT_TRUE(waitForIdle());
    EXPECT_EQ(logLines().back(), "Loading completed. 10 records processed.");
    const std::string longLine = "Importing file into table " + longName + "..";
    RECT client{};
    ::GetClientRect(list, &client);
    ASSERT_GT(lineWidth(list, longLine), client.right);
    const LRESULT extent = ::SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0);
    EXPECT_GE(extent, lineWidth(list, longLine));
    EXPECT_LE(extent, lineWidth(list, longLine) + 20);
    EXPECT_NE(::GetWindowLongA(list, GWL_STYLE) & WS_HSCROLL, 0);
}

} // namespace
} // namespace apptest
