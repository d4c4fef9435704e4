// The image button's popup menu under Wine: opened by a click, measured and drawn by the
// owner-drawn menu in either look, chosen from with the keyboard, the choice posted to its
// owner; and screenshots of both looks.
#include "ControlsTestResource.h"
#include "ControlsTestSupport.h"
#include "GuiTestSupport.h"

#include "controls/GlyphMenuPainter.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace {

using namespace controlstest;

// The visible popup menu window of this process, waiting up to two seconds for it.
HWND waitForPopupMenu() {
    for (int attempt = 0; attempt < 200; ++attempt) {
        HWND popup = ::FindWindowA("#32768", nullptr);
        if (popup != nullptr && ::IsWindowVisible(popup))
            return popup;
        ::Sleep(10);
    }
    return nullptr;
}

// What a popup showed, read by the user thread while it was open.
struct PopupSeen {
    bool shown = false;
    int width = 0;
    bool folderImage = false;
    COLORREF columnPixel = CLR_INVALID;
    bool screenshotSaved = false;
};

class PopupMenu : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dialog.open());
        dialog.menuButton.popupMenu().useMaskColor = true;
        ASSERT_TRUE(dialog.menuButton.setMenu(IDR_TEST_MENU, dialog.GetSafeHwnd()));
        ASSERT_TRUE(dialog.menuButton.popupMenu().AddToolbarImages(IDR_TEST_TOOLBAR));
    }
    void TearDown() override {
        GlyphMenu::setLookSettings(GlyphMenu::LookSettings());
        moveMouse({1, 1});
    }

    // Clicks the button; a second thread, acting as the user, moves through the menu with
    // the first keys, looks at it, saves its picture and chooses with the second keys.
    // Returns what it saw.
    PopupSeen openAndChoose(const char* screenshot, std::function<void()> moveKeys,
                            std::function<void()> chooseKeys) {
        PopupSeen seen;
        std::thread user([&] {
            HWND popup = waitForPopupMenu();
            if (popup == nullptr)
                return;
            seen.shown = true;
            moveKeys();
            RECT rect{};
            ::GetWindowRect(popup, &rect);
            seen.width = rect.right - rect.left;
            // The picture saved is the one checked.
            const Rendering picture = guitest::windowPicture(popup);
            seen.screenshotSaved = guitest::savePicture(picture, screenshot);
            seen.folderImage = picture.holds(RGB(230, 190, 40), {0, 0, 32, 32});
            // The image column beside the separator, the third item.
            auto shown = reinterpret_cast<HMENU>(::SendMessageA(popup, MN_GETHMENU, 0, 0));
            RECT separator{};
            ::GetMenuItemRect(nullptr, shown, 2, &separator);
            if (picture.width > 0)
                seen.columnPixel = picture.at(separator.left + 1 - rect.left,
                                              (separator.top + separator.bottom) / 2 - rect.top);
            chooseKeys();
        });
        clickAt(centreOf(dialog.menuButton.GetSafeHwnd()));
        guitest::pumpUntil([&] { return commandsPosted() > 0; }, 8000);
        user.join();
        return seen;
    }
    int commandsPosted() const {
        int count = 0;
        for (int id : {ID_TEST_OPEN, ID_TEST_SAVE, ID_TEST_DEEP})
            count += dialog.notifications(id, 0);
        return count;
    }
    ButtonTestDialog dialog;
};

TEST_F(PopupMenu, ClassicMenuIsMeasuredDrawnAndChosenFromWithTheArrowKeys) {
    PopupSeen seen = openAndChoose(
        "menu-classic.bmp", [] { pressKey(VK_DOWN); }, [] { pressKey(VK_RETURN); });
    ASSERT_TRUE(seen.shown);
    EXPECT_TRUE(seen.screenshotSaved);
    EXPECT_TRUE(seen.folderImage);
    // Wide enough for the longest label, its accelerator and the image column.
    LONG text = GlyphMenuPainter::menuTextSize(L"Save   Ctrl+Shift+S").cx;
    EXPECT_GE(seen.width, text + 2 * 16 + 1);
    EXPECT_EQ(dialog.notifications(ID_TEST_OPEN, 0), 1);
    EXPECT_EQ(commandsPosted(), 1);
    EXPECT_EQ(dialog.notifications(IDC_TEST_MENU_BUTTON, BN_CLICKED), 1);
}

TEST_F(PopupMenu, FlatMenuShowsItsColumnAndAnswersAMnemonic) {
    GlyphMenu::LookSettings flat;
    flat.xpLookElsewhere = true;
    GlyphMenu::setLookSettings(flat);
    // The system cannot see the mnemonics of owner-drawn items; the button asks the menu.
    PopupSeen seen = openAndChoose(
        "menu-flat.bmp",
        [] {
            pressKey(VK_DOWN);
            pressKey(VK_DOWN);
        },
        [] { pressKey('S'); });
    ASSERT_TRUE(seen.shown);
    EXPECT_TRUE(seen.screenshotSaved);
    EXPECT_TRUE(seen.folderImage);
    EXPECT_EQ(seen.columnPixel, GlyphMenu::LightenColor(::GetSysColor(COLOR_BTNFACE), 0.25));
    EXPECT_EQ(dialog.notifications(ID_TEST_SAVE, 0), 1);
    EXPECT_EQ(commandsPosted(), 1);
}

} // namespace
