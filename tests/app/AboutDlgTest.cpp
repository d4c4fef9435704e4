// The About box under Wine: its template, its attached link and button, and a screenshot.
#include "GuiTestSupport.h"

#include "app/CAboutDlg.h"

#include <gtest/gtest.h>

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
        screenshotSaved = guitest::saveWindowImage(GetSafeHwnd(), "about-box.bmp");
    }
};

TEST(AboutBox, OpensWithItsLinkAttachedAndClosesWithEsc) {
    InspectedAboutDlg about;
    EXPECT_EQ(about.DoModal(), IDCANCEL);
    EXPECT_EQ(about.caption, "About Marlin program");
    EXPECT_EQ(about.labels,
              (std::vector<std::string>{"Marlin Version 2.3", "Copyright (C) 2026 The Marlin team",
                                        "OK", "www.example.org", ""}));
    EXPECT_NE(about.linkWindow, nullptr);
    EXPECT_EQ(about.linkId, 1016);
    EXPECT_EQ(about.okId, IDOK);
    EXPECT_EQ(about.linkTarget, "http://www.example.org");
    EXPECT_EQ(about.linkTip, "Go to www.example.org");
    EXPECT_EQ(about.focusWhenShown, about.okWindow);
    EXPECT_TRUE(about.screenshotSaved);
    // Everything went away with the box.
    EXPECT_EQ(about.siteLink.GetSafeHwnd(), nullptr);
    EXPECT_FALSE(::IsWindow(about.linkWindow));
}

} // namespace
