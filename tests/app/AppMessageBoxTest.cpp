// The program's message box under Wine: threads and owners, line breaks, closing, size.
#include "GuiTestSupport.h"
#include "MessageBoxProbe.h"

#include "app/AppMessageBoxDlg.h"
#include "app/CAboutDlg.h"
#include "app/resource.h"
#include "framework/CWinApp.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>

namespace {

using apptest::BoxContents;

const INT_PTR kRunning = -100;

// Shows text on a thread of its own and closes the box with close(box) from this thread,
// after reading it. Returns what the box showed; *result gets the box's result.
BoxContents showOnWorkerAndClose(const char* text, void (*close)(HWND), INT_PTR* result) {
    std::atomic<INT_PTR> boxResult{kRunning};
    std::thread worker([&] { boxResult = AppMessageBoxDlg::run(text); });
    std::vector<HWND> boxes = apptest::waitForBoxes(1);
    BoxContents contents;
    if (!boxes.empty()) {
        contents = apptest::readBox(boxes.front());
        close(boxes.front());
    }
    worker.join();
    *result = boxResult;
    return contents;
}

TEST(AppMessageBox, BoxFromWorkerThreadHasNoOwnerAndLeavesTheMainDialogUsable) {
    CWinApp application;
    CAboutDlg mainDialog;
    ASSERT_TRUE(mainDialog.Create());
    ::ShowWindow(mainDialog.GetSafeHwnd(), SW_SHOW);
    application.mainWindow = &mainDialog;

    std::atomic<INT_PTR> result{kRunning};
    std::thread worker([&] {
        showAppMessage("Can't connect to Oracle.\nORA-12154: TNS:could not resolve the connect "
                       "identifier specified");
        result = 0;
    });
    std::vector<HWND> boxes;
    ASSERT_TRUE(guitest::pumpUntil([&] { return !(boxes = apptest::openBoxes()).empty(); }));
    BoxContents contents = apptest::readBox(boxes.front());
    EXPECT_EQ(contents.owner, nullptr);
    EXPECT_EQ(contents.text, "Can't connect to Oracle.\r\nORA-12154: TNS:could not resolve the "
                             "connect identifier specified");

    // The main dialog keeps working while the worker waits in its box.
    EXPECT_TRUE(::IsWindowEnabled(mainDialog.GetSafeHwnd()));
    ::SetWindowTextA(mainDialog.siteLink.GetSafeHwnd(), "still answering");
    EXPECT_EQ(mainDialog.siteLink.windowText(), "still answering");
    guitest::pumpFor(200);
    EXPECT_EQ(result, kRunning);
    // The picture shows the message's text and the OK button the image button draws.
    const guitest::Rendering picture = guitest::windowPicture(boxes.front());
    EXPECT_TRUE(guitest::savePicture(picture, "message-box.bmp"));
    const RECT text =
        guitest::placeInPicture(boxes.front(), ::GetDlgItem(boxes.front(), IDC_MESSAGE_TEXT));
    const RECT ok = guitest::placeInPicture(boxes.front(), ::GetDlgItem(boxes.front(), IDOK));
    ASSERT_GT(picture.width, ok.right);
    EXPECT_GT(picture.count(::GetSysColor(COLOR_WINDOWTEXT), text), 20);
    EXPECT_EQ(picture.at(ok.left, ok.top), ::GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_GT(picture.count(::GetSysColor(COLOR_BTNTEXT),
                            {ok.left + 2, ok.top + 2, ok.right - 2, ok.bottom - 2}),
              0);

    apptest::clickOk(boxes.front());
    ASSERT_TRUE(guitest::pumpUntil([&] { return result != kRunning; }));
    worker.join();
    application.mainWindow = nullptr;
}

TEST(AppMessageBox, BoxOnTheInterfaceThreadDisablesTheMainDialogUntilClosed) {
    CWinApp application;
    CAboutDlg mainDialog;
    ASSERT_TRUE(mainDialog.Create());
    ::ShowWindow(mainDialog.GetSafeHwnd(), SW_SHOW);
    application.mainWindow = &mainDialog;

    BoxContents seen;
    bool mainEnabledMeanwhile = true;
    std::thread closer([&] {
        std::vector<HWND> boxes = apptest::waitForBoxes(1);
        if (boxes.empty())
            return;
        seen = apptest::readBox(boxes.front());
        mainEnabledMeanwhile = ::IsWindowEnabled(mainDialog.GetSafeHwnd()) != FALSE;
        apptest::pressEscape(boxes.front());
    });
    INT_PTR result = AppMessageBoxDlg::run("Invalid table name");
    closer.join();
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(seen.owner, mainDialog.GetSafeHwnd());
    EXPECT_EQ(seen.text, "Invalid table name");
    EXPECT_FALSE(mainEnabledMeanwhile);
    EXPECT_TRUE(::IsWindowEnabled(mainDialog.GetSafeHwnd()));
    application.mainWindow = nullptr;
}

TEST(AppMessageBox, LineFeedsBecomeLineBreaksAndBothOkAndEscClose) {
    INT_PTR result = kRunning;
    BoxContents shell = showOnWorkerAndClose(
        "Unable to open hyperlink:\n\nThe DDE transaction failed.", apptest::clickOk, &result);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(shell.text, "Unable to open hyperlink:\r\n\r\nThe DDE transaction failed.");
    EXPECT_EQ(shell.lineCount, 3);
    EXPECT_EQ(shell.lineLengths, (std::vector<int>{25, 0, 27}));

    BoxContents already = showOnWorkerAndClose("first\r\nsecond", apptest::pressEscape, &result);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(already.text, "first\r\r\nsecond");

    BoxContents empty = showOnWorkerAndClose("", apptest::clickOk, &result);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(empty.text, "");
    EXPECT_EQ(empty.lineCount, 1);
}

TEST(AppMessageBox, LongTextScrollsInsideABoxOfFixedSize) {
    std::string longText;
    for (int line = 1; line <= 30; ++line)
        longText += "Line " + std::to_string(line) + " of a long report\n";
    INT_PTR result = kRunning;
    BoxContents small = showOnWorkerAndClose("short", apptest::clickOk, &result);
    BoxContents large = showOnWorkerAndClose(longText.c_str(), apptest::clickOk, &result);
    EXPECT_EQ(large.lineCount, 31);
    EXPECT_EQ(large.rect.right - large.rect.left, small.rect.right - small.rect.left);
    EXPECT_EQ(large.rect.bottom - large.rect.top, small.rect.bottom - small.rect.top);
}

// Whether the field shows the last character of its text.
bool showsItsEnd(HWND edit) {
    const int length = ::GetWindowTextLengthA(edit);
    const LRESULT place =
        ::SendMessageA(edit, EM_POSFROMCHAR, static_cast<WPARAM>(length > 0 ? length - 1 : 0), 0);
    RECT client{};
    ::GetClientRect(edit, &client);
    HDC dc = ::GetDC(edit);
    HGDIOBJ previous =
        ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(edit, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc, &metrics);
    ::SelectObject(dc, previous);
    ::ReleaseDC(edit, dc);
    const int top = static_cast<short>(HIWORD(place));
    return place != -1 && top >= 0 && top + metrics.tmHeight <= client.bottom;
}

// Shows the text on a thread of its own, clicks the field's scroll bar down arrow as the
// user does until the field shows the end of the text (at most 40 times), and closes the
// box. Returns whether the end came into view; *hasScrollBar tells whether the field had one.
// With a picture name, the box is saved as it looks at the end.
bool scrollToTheEndWithTheMouse(const std::string& text, bool* hasScrollBar, RECT* boxRect,
                                const char* pictureName = nullptr) {
    std::thread worker([&] { AppMessageBoxDlg::run(text.c_str()); });
    std::vector<HWND> boxes = apptest::waitForBoxes(1);
    bool end = false;
    if (!boxes.empty()) {
        HWND box = boxes.front();
        HWND edit = ::GetDlgItem(box, IDC_MESSAGE_TEXT);
        ::GetWindowRect(box, boxRect);
        EXPECT_EQ(guitest::windowText(box), "Crate Courier");
        SCROLLBARINFO bar{};
        bar.cbSize = sizeof(bar);
        *hasScrollBar = (::GetWindowLongA(edit, GWL_STYLE) & WS_VSCROLL) != 0 &&
                        ::GetScrollBarInfo(edit, OBJID_VSCROLL, &bar) &&
                        (bar.rgstate[0] & STATE_SYSTEM_INVISIBLE) == 0;
        const POINT downArrow{(bar.rcScrollBar.left + bar.rcScrollBar.right) / 2,
                              bar.rcScrollBar.bottom - bar.dxyLineButton / 2};
        end = showsItsEnd(edit);
        for (int click = 0; click < 40 && !end && *hasScrollBar; ++click) {
            guitest::moveMouse(downArrow);
            guitest::clickAt(downArrow);
            ::Sleep(60);
            end = showsItsEnd(edit);
        }
        if (pictureName != nullptr) {
            EXPECT_TRUE(guitest::saveWindowImage(box, pictureName));
        }
        apptest::clickOk(box);
    }
    worker.join();
    return end;
}

TEST(AppMessageBox, ATextLongerThanTheFieldGetsAScrollBarThatReachesItsEnd) {
    bool scrollBar = true;
    RECT shortBox{};
    // Three lines fit: no scroll bar takes room from the text.
    EXPECT_TRUE(scrollToTheEndWithTheMouse(
        "Unable to open hyperlink:\n\nThe DDE transaction failed.", &scrollBar, &shortBox));
    EXPECT_FALSE(scrollBar);

    // A failure of four lines, whose last one says what to do.
    RECT box{};
    EXPECT_TRUE(scrollToTheEndWithTheMouse(
        "Error while create table. \nORA-00904: \"SIZE\": invalid identifier\n"
        "Field SIZE is a name Oracle keeps for itself.\nThe last line says what to do.",
        &scrollBar, &box, "message-box-scrolled.bmp"));
    EXPECT_TRUE(scrollBar);
    EXPECT_EQ(box.right - box.left, shortBox.right - shortBox.left);
    EXPECT_EQ(box.bottom - box.top, shortBox.bottom - shortBox.top);

    // One long line of an Oracle text, broken into many by the field's width.
    std::string longText = "ORA-12801: error signaled in parallel query server P001\n";
    for (int word = 0; word < 60; ++word)
        longText += "word" + std::to_string(word) + " ";
    longText += "END";
    EXPECT_TRUE(scrollToTheEndWithTheMouse(longText, &scrollBar, &box));
    EXPECT_TRUE(scrollBar);
    EXPECT_EQ(box.bottom - box.top, shortBox.bottom - shortBox.top);
}

TEST(AppMessageBox, TwoThreadsAtOnceEachShowTheirOwnText) {
    std::atomic<int> finished{0};
    std::thread first([&] {
        showAppMessage("from the first thread");
        ++finished;
    });
    std::thread second([&] {
        showAppMessage("from the second thread");
        ++finished;
    });
    std::vector<HWND> boxes = apptest::waitForBoxes(2);
    ASSERT_EQ(boxes.size(), 2u);
    std::set<std::string> texts;
    for (HWND box : boxes)
        texts.insert(apptest::readBox(box).text);
    EXPECT_EQ(texts, (std::set<std::string>{"from the first thread", "from the second thread"}));
    for (HWND box : boxes)
        apptest::clickOk(box);
    first.join();
    second.join();
    EXPECT_EQ(finished, 2);
}

} // namespace
