// The About box under Wine: its template, its attached link and button, and a screenshot.
#include "GuiTestSupport.h"

#include "app/CAboutDlg.h"

#include "MarlinVersion.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

// Looks at the box once it is on screen, saves its picture and closes it with Esc.
class InspectedAboutDlg : public CAboutDlg {
  public:
    std::string caption;
    std::vector<std::string> labels;
    HWND linkWindow = nullptr;
    HWND okWindow = nullptr;
    int linkId = 0;
    int okId = 0;
    std::string linkTarget;
    std::string linkTip;
    HWND focusWhenShown = nullptr;
    bool screenshotSaved = false;
    // The picture taken while it showed, and where its OK button lay in it.
    guitest::Rendering okPixels;
    RECT okPlace{};

  protected:
    BOOL OnInitDialog() override {
        BOOL focusDefault = CAboutDlg::OnInitDialog();
        ::SetTimer(GetSafeHwnd(), 1, 300, nullptr);
        return focusDefault;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_TIMER && wParam == 1) {
            ::KillTimer(GetSafeHwnd(), 1);
            inspect();
            HWND ok = ::GetDlgItem(GetSafeHwnd(), IDOK);
            ::PostMessageA(ok, WM_KEYDOWN, VK_ESCAPE, 1);
            return 0;
        }
        return CAboutDlg::WindowProc(message, wParam, lParam);
    }

  private:
    void inspect() {
        caption = windowText();
        // The icon's text is its resource ordinal, so it is left out.
        for (HWND child = ::GetWindow(GetSafeHwnd(), GW_CHILD); child != nullptr;
             child = ::GetWindow(child, GW_HWNDNEXT)) {
            char className[32] = {};
            ::GetClassNameA(child, className, sizeof(className));
            bool icon = ::lstrcmpiA(className, "Static") == 0 &&
                        (::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
            if (!icon)
                labels.push_back(guitest::windowText(child));
        }
        linkWindow = siteLink.GetSafeHwnd();
        okWindow = okButton.GetSafeHwnd();
        linkId = ::GetDlgCtrlID(linkWindow);
        okId = ::GetDlgCtrlID(okWindow);
        linkTarget = siteLink.target;
        linkTip = siteLink.toolTip().toolText(&siteLink, 1);
        focusWhenShown = ::GetFocus();
        const guitest::Rendering picture = guitest::windowPicture(GetSafeHwnd());
        screenshotSaved = guitest::savePicture(picture, "about-box.bmp");
        okPlace = guitest::placeInPicture(GetSafeHwnd(), okWindow);
        okPixels = picture;
    }
};

TEST(AboutBox, OpensWithItsLinkAttachedAndClosesWithEsc) {
    InspectedAboutDlg about;
    EXPECT_EQ(about.DoModal(), IDCANCEL);
    EXPECT_EQ(about.caption, "About Marlin program");
    EXPECT_EQ(about.labels, (std::vector<std::string>{"Marlin Version " MARLIN_VERSION_TEXT,
                                                      "Copyright (C) 2026 The Marlin team", "OK",
                                                      "www.example.org", ""}));
    EXPECT_NE(about.linkWindow, nullptr);
    EXPECT_EQ(about.linkId, 1016);
    EXPECT_EQ(about.okId, IDOK);
    EXPECT_EQ(about.linkTarget, "http://www.example.org");
    EXPECT_EQ(about.linkTip, "Go to www.example.org");
    EXPECT_EQ(about.focusWhenShown, about.okWindow);
    EXPECT_TRUE(about.screenshotSaved);
    // The picture shows the OK button as the image button draws it: a raised edge around a
    // face with its caption.
    const RECT& ok = about.okPlace;
    ASSERT_GT(about.okPixels.width, ok.right);
    EXPECT_EQ(about.okPixels.at(ok.left, ok.top), ::GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(about.okPixels.at(ok.right - 1, ok.bottom - 1), ::GetSysColor(COLOR_BTNSHADOW));
    EXPECT_GT(about.okPixels.count(::GetSysColor(COLOR_BTNTEXT),
                                   {ok.left + 2, ok.top + 2, ok.right - 2, ok.bottom - 2}),
              0);
    // Everything went away with the box.
    EXPECT_EQ(about.siteLink.GetSafeHwnd(), nullptr);
    EXPECT_FALSE(::IsWindow(about.linkWindow));
}

} // namespace

namespace {

TEST(Resources, ExecutableCarriesTheStringIconsAndCommonControlsManifest) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    char text[64] = {};
    EXPECT_EQ(::LoadStringA(instance, 101, text, sizeof(text)), 16);
    EXPECT_STREQ(text, "&About Marlin...");
    EXPECT_NE(::LoadIconA(instance, MAKEINTRESOURCEA(128)), nullptr);
    EXPECT_NE(::LoadIconA(instance, MAKEINTRESOURCEA(135)), nullptr);

    // The module that the executable's own import of the common controls resolved to.
    HMODULE controls = nullptr;
    ASSERT_TRUE(::GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<const char*>(&::InitCommonControlsEx), &controls));
    // Version 6 lives in the side-by-side store; without the manifest the process gets the
    // older one from the system folder. (Wine's copy in the store reports version 5.81, so
    // the version number itself tells nothing here.)
    char path[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameA(controls, path, sizeof(path)), 0u);
    EXPECT_NE(std::string(::CharLowerA(path)).find("\\winsxs\\"), std::string::npos) << path;
    EXPECT_NE(std::string(path).find("microsoft.windows.common-controls"), std::string::npos)
        << path;
}

} // namespace
