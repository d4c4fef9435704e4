// marlin.exe as a user runs it, with a commit that never returns: Stop, then a close with the
// keyboard, and the program ends, its committed batches in the table.
#include "GuiTestSupport.h"
#include "StartedProgram.h"

#include "dbf/TempFolder.h"
#include "support/SampleTable.h"
#include "support/StandinDatabase.h"

#include "MarlinVersion.h"

#include <gtest/gtest.h>

namespace apptest {
namespace {

const char kDialogCaption[] = "Marlin v" MARLIN_VERSION_TEXT "  /DBF --> Oracle/";

// The control of the other program's thread that has the keyboard focus.
HWND focusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start >= timeoutMs)
            return false;
        ::Sleep(50);
    }
    return true;
}

TEST(ProgramStop, AStopAndACloseEndTheProgramWhileItsCommitHangs) {
    TempFolder folder;
    standin_test::StandinDatabase database;
    database.addUser("SCOTT", "Tiger");
    // Batches of 2453 rows: two are committed, the third commit never returns.
    database.useEnvironment("commit#3=block");
    ASSERT_TRUE(writeSampleTable(folder.path("CLIENTS.DBF"), 8000));
    StartedProgram marlin(executableFolder() / "marlin.exe", "", folder.path(""));
    ASSERT_TRUE(marlin.started());
    HWND dialog = waitForWindowOf(marlin.processId(), kDialogCaption);
    ASSERT_NE(dialog, nullptr);
    const auto item = [dialog](int id) { return ::GetDlgItem(dialog, id); };
    const std::pair<int, std::string> fields[] = {{1000, folder.path("CLIENTS.DBF")},
                                                  {1003, "CLIENTS"},
                                                  {1013, "SCOTT"},
                                                  {1014, "Tiger"},
                                                  {1015, "ORCL"}};
    for (const auto& [id, text] : fields)
        ::SendMessageA(item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    ::SetForegroundWindow(dialog);
    ASSERT_TRUE(waitUntil([dialog] { return ::GetForegroundWindow() == dialog; }, 5000));

    // Enter in the file name starts the load.
    guitest::pressKey(VK_RETURN);
    ASSERT_TRUE(database.waitUntilACallIsBlocked());
    EXPECT_EQ(guitest::windowText(item(1006)), "Stop");

    // The focus is on Stop, so Enter stops; the load then shows itself ending.
    ASSERT_EQ(focusOf(dialog), item(1006));
    guitest::pressKey(VK_RETURN);
    ::Sleep(700);
    EXPECT_TRUE(database.hasABlockedCall());
    EXPECT_EQ(guitest::windowText(item(1006)), "Stop");
    EXPECT_TRUE(::IsWindowEnabled(item(1006)));
    EXPECT_FALSE(::IsWindowEnabled(item(1000)));
    EXPECT_EQ(focusOf(dialog), item(1006));

    // Esc breaks the hung commit and closes the window once the load has ended.
    guitest::pressKey(VK_ESCAPE);
    EXPECT_EQ(marlin.waitForExit(5000), 0);
    EXPECT_FALSE(database.hasABlockedCall());
    EXPECT_EQ(database.readTable("SCOTT", "CLIENTS").rows.size(), 4906u);
}

} // namespace
} // namespace apptest
