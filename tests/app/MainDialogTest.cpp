// The main dialog under Wine: its initial state, the field checks, the file picker, the About
// item and the anchored layout on real windows.
#include "GuiTestSupport.h"
#include "MainDialogHarness.h"

#include "framework/CFileDialog.h"
#include "support/SampleTable.h"

#include "MarlinVersion.h"

#include <commctrl.h>

namespace apptest {
namespace {

TEST_F(MainDialogTest, OpensReadyWithItsAboutItemIconsAndFieldCases) {
    openDialog();
    HWND hwnd = dialog.GetSafeHwnd();
    EXPECT_EQ(guitest::windowText(hwnd), "Marlin v" MARLIN_VERSION_TEXT "  /DBF --> Oracle/");
    EXPECT_EQ(LOWORD(::SendMessageA(hwnd, DM_GETDEFID, 0, 0)), 1006);
    EXPECT_EQ(::SendMessageA(item(1011), PBM_GETRANGE, FALSE, 0), 100);
    EXPECT_NE(::SendMessageA(item(1001), BM_GETIMAGE, IMAGE_ICON, 0), 0);
    EXPECT_NE(::SendMessageA(hwnd, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(::SendMessageA(hwnd, WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_EQ(text(1016), "www.example.org");
    EXPECT_EQ(dialog.siteLink.target, "http://www.example.org");
    EXPECT_EQ(caption(), "Start");
    EXPECT_TRUE(inputsEnabled());
    // The focus starts in the first field.
    EXPECT_EQ(::GetFocus(), item(1000));

    HMENU systemMenu = ::GetSystemMenu(hwnd, FALSE);
    const int items = ::GetMenuItemCount(systemMenu);
    char aboutText[64] = {};
    ::GetMenuStringA(systemMenu, 0x0010, aboutText, sizeof(aboutText), MF_BYCOMMAND);
    EXPECT_STREQ(aboutText, "&About Marlin...");
    EXPECT_EQ(::GetMenuItemID(systemMenu, items - 1), 0x0010u);
    EXPECT_EQ(::GetMenuState(systemMenu, static_cast<UINT>(items - 2), MF_BYPOSITION) &
                  MF_SEPARATOR,
              static_cast<UINT>(MF_SEPARATOR));

    // Names are upper case; the password is kept as typed, since Oracle's are case-sensitive.
    typeText(1013, "scott");
    typeText(1014, "Tiger");
    typeText(1003, "clients");
    typeText(1000, "c:\\data\\clients.dbf");
    EXPECT_EQ(text(1013), "SCOTT");
    EXPECT_EQ(text(1014), "Tiger");
    EXPECT_EQ(text(1003), "CLIENTS");
    EXPECT_EQ(text(1000), "c:\\data\\clients.dbf");

    // Without the About string the system menu gets neither the separator nor the item.
    ObservedMarlinDlg bare;
    bare.noAboutText = true;
    ASSERT_TRUE(bare.Create());
    HMENU bareMenu = ::GetSystemMenu(bare.GetSafeHwnd(), FALSE);
    EXPECT_EQ(::GetMenuItemCount(bareMenu), items - 2);
    EXPECT_EQ(::GetMenuState(bareMenu, 0x0010, MF_BYCOMMAND), static_cast<UINT>(-1));
}

TEST_F(MainDialogTest, StartChecksTheFieldsInOrderThenRunsUntilTheLoadEndsByItself) {
    openDialog();
    BoxAnswerer answerer;
    const std::pair<int, const char*> steps[] = {{1000, "Invalid file name"},
                                                 {1003, "Invalid table name"},
                                                 {1013, "Invalid username"},
                                                 {1014, "Invalid password"},
                                                 {1015, "Invalid connect string"}};
    for (const auto& [nextField, expected] : steps) {
        answerer.clear();
        click(1006);
        ASSERT_TRUE(waitFor([&] { return !answerer.texts().empty(); }));
        guitest::pumpFor(150);
        EXPECT_EQ(answerer.texts(), std::vector<std::string>{expected});
        EXPECT_EQ(caption(), "Start");
        EXPECT_TRUE(inputsEnabled());
        setText(nextField, nextField == 1000 ? dbfPath : "X");
    }

    // A password of blanks passes the checks; the stand-in then refuses the logon, and the
    // dialog returns to idle in the handler of the job's last line.
    ASSERT_TRUE(writeSampleTable(dbfPath, 10));
    answerer.clear();
    setText(1014, "   ");
    setText(1015, "ORCL");
    click(1006);
    ASSERT_TRUE(waitForIdle());
    // The load may end before the click's return is looked at: the dialog as the job's first
    // line found it says what Start did.
    const LineSnapshot first = dialog.snapshots().front();
    EXPECT_EQ(first.line, "Start loading..");
    EXPECT_EQ(first.caption, "Stop");
    EXPECT_TRUE(first.inputsDisabled);
    std::vector<std::string> lines = logLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Start loading..");
    EXPECT_NE(lines.back().find("ORA-01017"), std::string::npos) << lines.back();
    ASSERT_EQ(answerer.texts().size(), 1u);
    EXPECT_NE(answerer.texts()[0].find("ORA-01017"), std::string::npos);
    const LineSnapshot last = dialog.snapshots().back();
    EXPECT_EQ(last.loadActive, 0);
    EXPECT_EQ(last.caption, "Start");
    EXPECT_TRUE(last.inputsEnabled);
}

// What the picker stand-in saw and answers.
struct PickerExchange {
    std::string filter; // the whole list, NULs included, up to its closing empty entry
    DWORD flags = 0;
    DWORD bufferSize = 0;
    HWND owner = nullptr;
    const char* answer = nullptr; // null: the user cancels
    std::string answerFolder;     // the folder of the answer, which exists
};
PickerExchange picker;

BOOL WINAPI pickerStandIn(OPENFILENAMEA* request) {
    const char* end = request->lpstrFilter;
    while (end != nullptr && (end[0] != '\0' || end[1] != '\0'))
        ++end;
    picker.filter = end != nullptr ? std::string(request->lpstrFilter, end + 1) : "";
    picker.flags = request->Flags;
    picker.bufferSize = request->nMaxFile;
    picker.owner = request->hwndOwner;
    if (picker.answer == nullptr)
        return FALSE;
    ::lstrcpynA(request->lpstrFile, picker.answer, static_cast<int>(request->nMaxFile));
    // The system's picker makes the chosen file's folder current unless told not to.
    if ((request->Flags & OFN_NOCHANGEDIR) == 0)
        ::SetCurrentDirectoryA(picker.answerFolder.c_str());
    return TRUE;
}

TEST_F(MainDialogTest, PickerFillsTheFileAndNamesTheTableAfterIt) {
    openDialog();
    CFileDialog::setSystemDialogForTests(pickerStandIn);
    typeText(1013, "scott");
    picker.answer = "C:\\DATA\\a.b.dbf";
    picker.answerFolder = dbfPath.substr(0, dbfPath.find_last_of('\\'));
    char before[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, before);
    click(1001);
    // A folder a table was picked from does not become the current folder.
    char after[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, after);
    EXPECT_STREQ(after, before);
    EXPECT_EQ(picker.filter, std::string("DBF Files (*.dbf)\0*.dbf\0", 24));
    EXPECT_EQ(picker.flags & (OFN_HIDEREADONLY | OFN_EXPLORER),
              static_cast<DWORD>(OFN_HIDEREADONLY | OFN_EXPLORER));
    EXPECT_EQ(picker.bufferSize, 260u);
    EXPECT_EQ(picker.owner, dialog.GetSafeHwnd());
    EXPECT_EQ(text(1000), "C:\\DATA\\a.b.dbf");
    EXPECT_EQ(text(1003), "A_B_DBF");
    EXPECT_EQ(text(1013), "SCOTT"); // typed before the picker opened, kept

    picker.answer = "C:\\DATA\\customers_of_the_northern_region_2024.dbf";
    click(1001);
    EXPECT_EQ(text(1003), "CUSTOMERS_OF_THE_NORTHERN_REGI");

    // The name is cut where its UTF-8 form, in which it reaches Oracle, holds 30 bytes.
    picker.answer = "C:\\DATA\\\xDC"
                    "bersicht_der_Gr\xF6\xDF"
                    "en_und_Ma\xDF"
                    "e_2024.dbf";
    click(1001);
    EXPECT_EQ(text(1003), "\xDC"
                          "BERSICHT_DER_GR\xD6\xDF"
                          "EN_UND_MA");

    picker.answer = "C:\\DATA\\customers_of_the_northern_region_2024.dbf";
    click(1001);
    typeText(1003, "_MINE");
    picker.answer = nullptr;
    click(1001);
    EXPECT_EQ(text(1000), "C:\\DATA\\customers_of_the_northern_region_2024.dbf");
    EXPECT_EQ(text(1003), "CUSTOMERS_OF_THE_NORTHERN_REGI_MINE");
    EXPECT_EQ(text(1013), "SCOTT");
    CFileDialog::setSystemDialogForTests(nullptr);
}

// A control's rectangle in the dialog's client coordinates.
RECT clientRectOf(HWND dialogWindow, HWND control) {
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, dialogWindow, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Grows the dialog and checks each control against where it started, then shrinks it back.
void checkAnchoring(HWND hwnd) {
    const int ids[] = {1018, 1000, 1003, 1013, 1014, 1015, 1019,
                       1011, 1005, 1001, 1020, 1006, 2,    1016};
    std::map<int, RECT> start;
    for (int id : ids)
        start[id] = clientRectOf(hwnd, ::GetDlgItem(hwnd, id));
    RECT window{};
    ::GetWindowRect(hwnd, &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;

    ::SetWindowPos(hwnd, nullptr, 0, 0, width + 120, height + 80, SWP_NOMOVE | SWP_NOZORDER);
    guitest::pumpFor(50);
    const auto shifted = [&](int id, int dx, int dy, int dw, int dh) {
        SCOPED_TRACE(id);
        RECT now = clientRectOf(hwnd, ::GetDlgItem(hwnd, id));
        EXPECT_EQ(now.left, start[id].left + dx);
        EXPECT_EQ(now.top, start[id].top + dy);
        EXPECT_EQ(now.right, start[id].right + dx + dw);
        EXPECT_EQ(now.bottom, start[id].bottom + dy + dh);
    };
    shifted(1018, 0, 0, 120, 80); // outer frame and log list stretch both ways
    shifted(1005, 0, 0, 120, 80);
    for (int id : {1000, 1003, 1013, 1014, 1015, 1019, 1011})
        shifted(id, 0, 0, 120, 0);
    shifted(1001, 120, 0, 0, 0); // the browse button and the check box keep to the right
    shifted(1020, 120, 0, 0, 0);
    shifted(1006, 120, 80, 0, 0);
    shifted(2, 120, 80, 0, 0);
    shifted(1016, 0, 0, 0, 0); // not registered

    // Back at the start size every control is exactly where it started.
    ::SetWindowPos(hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    guitest::pumpFor(50);
    for (int id : ids)
        shifted(id, 0, 0, 0, 0);
}

TEST_F(MainDialogTest, ResizeMovesAndStretchesTheRegisteredControlsOnly) {
    openDialog();
    checkAnchoring(dialog.GetSafeHwnd());
    // With another frame than the classic one, offsets taken for granted would make every
    // control jump at the first resize.
    ObservedMarlinDlg framed;
    framed.clientEdge = true;
    ASSERT_TRUE(framed.Create());
    EXPECT_NE(framed.layout.frameOffsets().left, FrameOffsets{}.left);
    checkAnchoring(framed.GetSafeHwnd());
    // A frame whose top and bottom come to more than the 70 pixels the dialog may shrink by,
    // as with a tall title bar: the controls stay where they are at the start size.
    ObservedMarlinDlg tall;
    tall.extraFrameTop = 60;
    ASSERT_TRUE(tall.Create());
    const FrameOffsets tallFrame = tall.layout.frameOffsets();
    ASSERT_GT(tallFrame.top + tallFrame.bottom, 70);
    checkAnchoring(tall.GetSafeHwnd());
}

TEST_F(MainDialogTest, TheWindowShrinksNoFurtherThanItsControlsFit) {
    openDialog();
    HWND hwnd = dialog.GetSafeHwnd();
    RECT start{};
    ::GetWindowRect(hwnd, &start);
    ::SetWindowPos(hwnd, nullptr, 0, 0, 40, 40, SWP_NOMOVE | SWP_NOZORDER);
    guitest::pumpFor(50);
    RECT shrunk{};
    ::GetWindowRect(hwnd, &shrunk);
    EXPECT_EQ(shrunk.right - shrunk.left, start.right - start.left - 70);
    EXPECT_EQ(shrunk.bottom - shrunk.top, start.bottom - start.top - 70);
    RECT client{};
    ::GetClientRect(hwnd, &client);
    for (int id :
         {1018, 1000, 1001, 1003, 1020, 1013, 1014, 1015, 1019, 1011, 1005, 1006, 2, 1016}) {
        SCOPED_TRACE(id);
        RECT control = clientRectOf(hwnd, item(id));
        EXPECT_GE(control.left, client.left);
        EXPECT_GE(control.top, client.top);
        EXPECT_LE(control.right, client.right);
        EXPECT_LE(control.bottom, client.bottom);
    }
}

} // namespace
} // namespace apptest
