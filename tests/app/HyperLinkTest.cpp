// The hyperlink control under Wine: targets and tooltips, fitting, hover, the colour, the
// error report, the registry fallback and the click.
#include "GuiTestSupport.h"
#include "HyperLinkTestResource.h"
#include "MessageBoxProbe.h"

#include "app/AppMessageBoxDlg.h"
#include "controls/CHyperLink.h"
#include "framework/CDialog.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

namespace {

class HyperLinkDialog : public CDialog {
  public:
    HyperLinkDialog() : CDialog(IDD_HYPERLINK_TEST) {
        emptyLink.target = "MAILTO:Someone@Example.org";
    }
    CHyperLink wwwLink;
    CHyperLink emptyLink;
    CHyperLink ftpLink;
    CHyperLink fileLink;
    CHyperLink centredLink;
    CHyperLink rightLink;

  protected:
    void DoDataExchange(CDataExchange* exchange) override {
        DDX_Control(exchange, IDC_LINK_WWW, wwwLink);
        DDX_Control(exchange, IDC_LINK_EMPTY, emptyLink);
        DDX_Control(exchange, IDC_LINK_FTP, ftpLink);
        DDX_Control(exchange, IDC_LINK_FILE, fileLink);
        DDX_Control(exchange, IDC_LINK_CENTRED, centredLink);
        DDX_Control(exchange, IDC_LINK_RIGHT, rightLink);
    }
};

class HyperLink : public ::testing::Test {
  protected:
    void SetUp() override {
        // As the program sets it when it starts.
        CHyperLink::setMessageShower(showAppMessage);
        ASSERT_TRUE(dialog.Create());
        ::ShowWindow(dialog.GetSafeHwnd(), SW_SHOW);
        guitest::pumpFor(50);
    }

    // The control's rectangle in the dialog's client coordinates.
    RECT placeOf(const CWnd& control) {
        RECT rect{};
        ::GetWindowRect(control.GetSafeHwnd(), &rect);
        ::MapWindowPoints(nullptr, dialog.GetSafeHwnd(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    // A template rectangle (dialog units) in the dialog's client coordinates; the dialog
    // manager converts the position and the size each on its own.
    RECT templatePlace(int x, int y, int width, int height) {
        RECT units{x, y, width, height};
        ::MapDialogRect(dialog.GetSafeHwnd(), &units);
        return {units.left, units.top, units.left + units.right, units.top + units.bottom};
    }
    // Text colour and brush the link answers to its parent's colour request.
    std::pair<COLORREF, LRESULT> colourOf(const CHyperLink& link) {
        HDC dc = ::GetDC(dialog.GetSafeHwnd());
        ::SetTextColor(dc, RGB(255, 255, 255));
        LRESULT brush =
            ::SendMessageA(dialog.GetSafeHwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(link.GetSafeHwnd()));
        COLORREF colour = ::GetTextColor(dc);
        ::ReleaseDC(dialog.GetSafeHwnd(), dc);
        return {colour, brush};
    }
    HyperLinkDialog dialog;
};

bool isUnderlined(HFONT font) {
    LOGFONTA description{};
    return ::GetObjectA(font, sizeof(description), &description) == sizeof(description) &&
           description.lfUnderline != 0;
}

// Reads and closes the next message box from a second thread while action runs here.
template <typename Action> apptest::BoxContents boxShownBy(Action action) {
    apptest::BoxContents seen;
    std::thread closer([&seen] {
        std::vector<HWND> boxes = apptest::waitForBoxes(1);
        if (boxes.empty())
            return;
        seen = apptest::readBox(boxes.front());
        apptest::clickOk(boxes.front());
    });
    action();
    closer.join();
    return seen;
}

TEST_F(HyperLink, TargetAndTooltipFollowTheBeginningOfTheAddress) {
    EXPECT_EQ(dialog.wwwLink.target, "http://WWW.Example.org");
    EXPECT_EQ(dialog.wwwLink.toolTip().toolText(&dialog.wwwLink, 1), "Go to WWW.Example.org");
    EXPECT_EQ(dialog.wwwLink.windowText(), "WWW.Example.org");
    EXPECT_NE(dialog.wwwLink.style() & SS_NOTIFY, 0u);

    // An empty control shows its preset target.
    EXPECT_EQ(dialog.emptyLink.windowText(), "MAILTO:Someone@Example.org");
    EXPECT_EQ(dialog.emptyLink.toolTip().toolText(&dialog.emptyLink, 1),
              "E-mail Someone@Example.org");

    EXPECT_EQ(dialog.ftpLink.target, "ftp://files.example.org/pub");
    EXPECT_EQ(dialog.ftpLink.toolTip().toolText(&dialog.ftpLink, 1), "ftp://files.example.org/pub");
    EXPECT_EQ(dialog.fileLink.target, "C:\\Docs\\readme.txt");
    EXPECT_EQ(dialog.fileLink.toolTipText(), "C:\\Docs\\readme.txt");

    dialog.fileLink.setTipFromTarget("HTTP://Www.Example.org/a");
    EXPECT_EQ(dialog.fileLink.toolTipText(), "Go to Www.Example.org/a");
    dialog.fileLink.tipPrefixing = false;
    dialog.fileLink.setTipFromTarget("mailto:x@example.org");
    EXPECT_EQ(dialog.fileLink.toolTipText(), "mailto:x@example.org");
}

TEST_F(HyperLink, ControlShrinksToItsTextKeepingItsAlignment) {
    RECT left = placeOf(dialog.wwwLink);
    RECT leftTemplate = templatePlace(10, 10, 150, 10);
    EXPECT_EQ(left.left, leftTemplate.left);
    EXPECT_EQ(left.top, leftTemplate.top);
    EXPECT_GT(left.right - left.left, 20);
    EXPECT_LT(left.right, leftTemplate.right - 20);

    RECT centred = placeOf(dialog.centredLink);
    RECT centredTemplate = templatePlace(10, 66, 150, 10);
    EXPECT_LT(centred.right - centred.left, centredTemplate.right - centredTemplate.left - 20);
    EXPECT_NEAR(centred.left + centred.right, centredTemplate.left + centredTemplate.right, 1);

    RECT right = placeOf(dialog.rightLink);
    RECT rightTemplate = templatePlace(10, 80, 150, 10);
    EXPECT_EQ(right.right, rightTemplate.right);
    EXPECT_GT(right.left, rightTemplate.left + 20);
}

TEST_F(HyperLink, HoverUnderlinesAndLeavingRestoresWithoutChangingTheColour) {
    CHyperLink& link = dialog.wwwLink;
    EXPECT_FALSE(isUnderlined(link.font()));
    auto [colourBefore, brush] = colourOf(link);
    EXPECT_EQ(colourBefore, RGB(52, 70, 92));
    EXPECT_EQ(brush, reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH)));

    RECT rect{};
    ::GetWindowRect(link.GetSafeHwnd(), &rect);
    ::SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    ::PostMessageA(link.GetSafeHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    guitest::pumpFor(300); // several timer ticks with the pointer still inside
    EXPECT_TRUE(link.isHovering());
    EXPECT_EQ(link.font(), link.underlinedFontHandle());
    EXPECT_TRUE(isUnderlined(link.font()));
    EXPECT_EQ(colourOf(link).first, RGB(52, 70, 92));

    EXPECT_EQ(::SendMessageA(link.GetSafeHwnd(), WM_SETCURSOR,
                             reinterpret_cast<WPARAM>(link.GetSafeHwnd()),
                             MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    ASSERT_NE(link.handCursorHandle(), nullptr);
    EXPECT_EQ(::GetCursor(), link.handCursorHandle());

    ::SetCursorPos(rect.right + 200, rect.bottom + 200);
    EXPECT_TRUE(guitest::pumpUntil([&] { return !link.isHovering(); }, 2000));
    EXPECT_EQ(link.font(), link.plainFontHandle());
    EXPECT_FALSE(isUnderlined(link.font()));
    EXPECT_EQ(colourOf(link).first, RGB(52, 70, 92));
}

TEST_F(HyperLink, ReportNamesTheShellErrorInWords) {
    apptest::BoxContents sharing = boxShownBy([] { CHyperLink::reportOpenError(26); });
    EXPECT_EQ(sharing.text, "Unable to open hyperlink:\r\n\r\nA sharing violation occurred. ");
    apptest::BoxContents unknown = boxShownBy([] { CHyperLink::reportOpenError(4); });
    EXPECT_EQ(unknown.text, "Unable to open hyperlink:\r\n\r\nUnknown Error (4) occurred.");
    apptest::BoxContents dde = boxShownBy([] { CHyperLink::reportOpenError(29); });
    EXPECT_EQ(dde.text, "Unable to open hyperlink:\r\n\r\nThe DDE transaction failed.");
    EXPECT_EQ(dde.lineCount, 3);
}

// Points ".htm" at a class of the test's own with the given open command, in the Wine
// prefix the tests run in, and removes it afterwards.
class HtmlCommand {
  public:
    explicit HtmlCommand(const std::string& command)
        : htm(".htm", "MarlinTest.Page"), open("MarlinTest.Page\\shell\\open\\command", command) {}
    ~HtmlCommand() { ::RegDeleteTreeA(HKEY_CLASSES_ROOT, "MarlinTest.Page"); }
    bool written() const { return htm.written() && open.written(); }

  private:
    guitest::ClassesRootValue htm;
    guitest::ClassesRootValue open;
};

TEST(HyperLinkFallback, RegisteredCommandIsCutAtItsPlaceholder) {
    std::string command = "unchanged";
    {
        HtmlCommand html("C:\\Browsers\\browse.exe \"%1\" -new-window");
        ASSERT_TRUE(html.written());
        EXPECT_EQ(CHyperLink::fallbackCommand("http://www.example.org", command), 0);
        EXPECT_EQ(command, "C:\\Browsers\\browse.exe  http://www.example.org");
    }
    {
        HtmlCommand html("C:\\Browsers\\browse.exe -url %1 -x");
        ASSERT_TRUE(html.written());
        EXPECT_EQ(CHyperLink::fallbackCommand("http://www.example.org", command), 0);
        EXPECT_EQ(command, "C:\\Browsers\\browse.exe -url  http://www.example.org");
    }
    {
        HtmlCommand html("C:\\Browsers\\browse.exe");
        ASSERT_TRUE(html.written());
        EXPECT_EQ(CHyperLink::fallbackCommand("http://www.example.org", command), 0);
        EXPECT_EQ(command, "C:\\Browsers\\browse.exe http://www.example.org");
    }
    // A class without an open command leaves the command alone and reports the failure.
    guitest::ClassesRootValue htm(".htm", "MarlinTest.Missing");
    command = "unchanged";
    EXPECT_EQ(CHyperLink::fallbackCommand("http://www.example.org", command), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(command, "unchanged");
}

TEST_F(HyperLink, ClickThatNothingCanOpenReportsTheFallbackError) {
    HtmlCommand html("C:\\windows\\no-such-browser.exe \"%1\"");
    ASSERT_TRUE(html.written());
    apptest::BoxContents report = boxShownBy([&] {
        ::SendMessageA(dialog.fileLink.GetSafeHwnd(), WM_LBUTTONDOWN, 0, 0);
        ::SendMessageA(dialog.fileLink.GetSafeHwnd(), WM_LBUTTONUP, 0, 0);
    });
    EXPECT_EQ(report.text, "Unable to open hyperlink:\r\n\r\nThe specified file was not found.");
    EXPECT_FALSE(dialog.fileLink.isVisited());
}

TEST_F(HyperLink, ClickRunsTheRegisteredCommandWhenTheShellCannotOpenTheTarget) {
    char folder[MAX_PATH] = {};
    ::GetCurrentDirectoryA(sizeof(folder), folder);
    std::string outputPath = std::string(folder) + "\\fallback-command.txt";
    ::DeleteFileA(outputPath.c_str());
    HtmlCommand html("C:\\windows\\system32\\cmd.exe /c echo>\"" + outputPath + "\" \"%1\" -x");
    ASSERT_TRUE(html.written());

    ::SendMessageA(dialog.fileLink.GetSafeHwnd(), WM_LBUTTONDOWN, 0, 0);
    ::SendMessageA(dialog.fileLink.GetSafeHwnd(), WM_LBUTTONUP, 0, 0);
    EXPECT_TRUE(dialog.fileLink.isVisited());
    std::string written;
    guitest::pumpUntil(
        [&] {
            std::ifstream output(outputPath);
            std::stringstream contents;
            contents << output.rdbuf();
            written = contents.str();
            return written.find("readme.txt") != std::string::npos;
        },
        10000);
    EXPECT_NE(written.find("C:\\Docs\\readme.txt"), std::string::npos) << written;
    EXPECT_EQ(written.find("-x"), std::string::npos) << written;
    ::DeleteFileA(outputPath.c_str());
}

TEST(HyperLinkLifetime, ControlReleasesItsFontsAndTooltipWithItsDialog) {
    HFONT plain = nullptr;
    HFONT underlined = nullptr;
    HWND tip = nullptr;
    {
        HyperLinkDialog dialog;
        ASSERT_TRUE(dialog.Create());
        plain = dialog.wwwLink.plainFontHandle();
        underlined = dialog.wwwLink.underlinedFontHandle();
        tip = dialog.wwwLink.toolTip().GetSafeHwnd();
        EXPECT_EQ(::GetObjectType(plain), static_cast<DWORD>(OBJ_FONT));
        EXPECT_EQ(::GetObjectType(underlined), static_cast<DWORD>(OBJ_FONT));
        EXPECT_TRUE(::IsWindow(tip));
    }
    EXPECT_EQ(::GetObjectType(plain), 0u);
    EXPECT_EQ(::GetObjectType(underlined), 0u);
    EXPECT_FALSE(::IsWindow(tip));
}

} // namespace
