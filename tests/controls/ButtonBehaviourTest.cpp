// The image button in a dialog under Wine, driven by real input: the default-button
// protocol, clicks, hover, focus on disable, system colours and the check state.
#include "ControlsTestResource.h"
#include "ControlsTestSupport.h"
#include "GuiTestSupport.h"

#include "controls/ButtonSound.h"

#include <gtest/gtest.h>

#include <mmsystem.h>

#include <cstring>
#include <vector>

namespace {

using namespace controlstest;

LRESULT dialogCode(HWND button) {
    return ::SendMessageA(button, WM_GETDLGCODE, 0, 0);
}

bool ownerDrawn(HWND button) {
    return (::GetWindowLongA(button, GWL_STYLE) & 0x1F) == BS_OWNERDRAW;
}

class ImageButton : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dialog.open()); }
    void TearDown() override {
        releaseLeft();
        moveMouse({1, 1});
    }
    ButtonTestDialog dialog;
};

TEST_F(ImageButton, DefaultStateComesFromTheTemplateTheDialogManagerAndBmSetStyle) {
    HWND ok = dialog.ok.GetSafeHwnd();
    HWND start = dialog.start.GetSafeHwnd();
    HWND cancel = dialog.cancel.GetSafeHwnd();
    EXPECT_TRUE(dialog.ok.isDefault());
    EXPECT_EQ(dialogCode(ok) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON), DLGC_DEFPUSHBUTTON);
    EXPECT_EQ(dialogCode(start) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON),
              DLGC_UNDEFPUSHBUTTON);
    // Enter in the dialog presses the template's default button.
    ::SetFocus(dialog.item(IDC_TEST_NAME));
    pressKey(VK_RETURN);
    EXPECT_TRUE(guitest::pumpUntil([&] { return dialog.notifications(IDOK, BN_CLICKED) == 1; }));

    // The main dialog makes Start its default button this way.
    ::SendMessageA(dialog.GetSafeHwnd(), DM_SETDEFID, IDC_TEST_START, 0);
    EXPECT_TRUE(dialog.start.isDefault());
    EXPECT_FALSE(dialog.ok.isDefault());
    EXPECT_FALSE(dialog.cancel.isDefault());
    EXPECT_EQ(dialogCode(start) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON), DLGC_DEFPUSHBUTTON);
    EXPECT_EQ(dialogCode(ok) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON), DLGC_UNDEFPUSHBUTTON);
    EXPECT_EQ(dialogCode(cancel) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON),
              DLGC_UNDEFPUSHBUTTON);
    for (HWND button : {ok, start, cancel})
        EXPECT_TRUE(ownerDrawn(button));
    pressKey(VK_RETURN);
    EXPECT_TRUE(
        guitest::pumpUntil([&] { return dialog.notifications(IDC_TEST_START, BN_CLICKED) == 1; }));

    // A style of another type leaves the default state alone and the button owner-drawn.
    ::SendMessageA(start, BM_SETSTYLE, BS_AUTOCHECKBOX, TRUE);
    EXPECT_TRUE(dialog.start.isDefault());
    EXPECT_TRUE(ownerDrawn(start));
    ::SendMessageA(start, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    EXPECT_FALSE(dialog.start.isDefault());
    EXPECT_TRUE(ownerDrawn(start));
}

TEST_F(ImageButton, DoubleClickGivesTwoClicksAndTakesTheFocus) {
    HWND start = dialog.start.GetSafeHwnd();
    moveMouse(centreOf(start));
    clickAt(centreOf(start));
    clickAt(centreOf(start));
    EXPECT_TRUE(
        guitest::pumpUntil([&] { return dialog.notifications(IDC_TEST_START, BN_CLICKED) == 2; }));
    guitest::pumpFor(200);
    EXPECT_EQ(dialog.notifications(IDC_TEST_START, BN_CLICKED), 2);
    EXPECT_EQ(dialog.notifications(IDC_TEST_START, BN_DOUBLECLICKED), 0);
    EXPECT_EQ(::GetFocus(), start);
}

TEST_F(ImageButton, HoverNeedsAFreeMouseButtonAndEndsWithOneRepaint) {
    HWND start = dialog.start.GetSafeHwnd();
    // The dialog's bare surface captures nothing, so the drag reaches the button.
    POINT bare = dialogPoint(dialog.GetSafeHwnd(), 20, 50);
    moveMouse(bare);
    pressLeft();
    moveMouse(centreOf(start));
    guitest::pumpFor(200);
    EXPECT_FALSE(dialog.start.isHovered());
    moveMouse(bare);
    releaseLeft();

    moveMouse(centreOf(start));
    ASSERT_TRUE(guitest::pumpUntil([&] { return dialog.start.isHovered(); }));
    guitest::pumpFor(200);
    int paintsWhileHovered = dialog.start.paints;
    moveMouse(bare);
    EXPECT_TRUE(guitest::pumpUntil([&] { return !dialog.start.isHovered(); }));
    guitest::pumpFor(300);
    EXPECT_EQ(dialog.start.paints - paintsWhileHovered, 1);
}

TEST_F(ImageButton, DisablingTheFocusedButtonMovesTheFocusOn) {
    HWND start = dialog.start.GetSafeHwnd();
    HWND cancel = dialog.cancel.GetSafeHwnd();
    HWND name = dialog.item(IDC_TEST_NAME);
    ::SetFocus(start);
    ::EnableWindow(start, FALSE);
    EXPECT_EQ(::GetFocus(), cancel);
    ::EnableWindow(start, TRUE);

    // A button disabled while the focus is elsewhere leaves the focus there.
    ::SetFocus(name);
    ::EnableWindow(cancel, FALSE);
    EXPECT_EQ(::GetFocus(), name);
    EXPECT_FALSE(dialog.cancel.isHovered());

    // Without another tab stop the dialog itself takes the focus.
    for (int id : {IDC_TEST_NAME, IDOK, IDC_TEST_CHECK, IDC_TEST_MENU_BUTTON})
        ::EnableWindow(dialog.item(id), FALSE);
    ::SetFocus(start);
    ::EnableWindow(start, FALSE);
    EXPECT_EQ(::GetFocus(), dialog.GetSafeHwnd());
}

// Puts the face colour back whatever happens in the test.
class FaceColour {
  public:
    explicit FaceColour(COLORREF colour) : original_(::GetSysColor(COLOR_BTNFACE)) { set(colour); }
    ~FaceColour() { set(original_); }
    static void set(COLORREF colour) {
        int index = COLOR_BTNFACE;
        ::SetSysColors(1, &index, &colour);
    }

  private:
    COLORREF original_;
};

TEST_F(ImageButton, SystemColourChangeReachesTheButtonsThroughTheirDialog) {
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE) == RGB(200, 220, 240) ? RGB(210, 220, 230)
                                                                             : RGB(200, 220, 240);
    int paintsBefore = dialog.cancel.paints;
    {
        FaceColour changed(face);
        EXPECT_TRUE(
            guitest::pumpUntil([&] { return dialog.cancel.color(CButtonFX::BackNormal) == face; }));
        EXPECT_TRUE(guitest::pumpUntil([&] { return dialog.cancel.paints > paintsBefore; }));
        for (auto slot : {CButtonFX::BackHover, CButtonFX::BackNormal, CButtonFX::BackFocus})
            EXPECT_EQ(dialog.cancel.color(slot), face);
        for (auto slot : {CButtonFX::TextHover, CButtonFX::TextNormal, CButtonFX::TextFocus})
            EXPECT_EQ(dialog.cancel.color(slot), ::GetSysColor(COLOR_BTNTEXT));
        EXPECT_EQ(dialog.ok.color(CButtonFX::BackNormal), face);
    }
    EXPECT_TRUE(
        guitest::pumpUntil([&] { return dialog.cancel.color(CButtonFX::BackNormal) != face; }));
}

TEST_F(ImageButton, CheckStateIsKeptOnlyInCheckBoxMode) {
    HWND start = dialog.start.GetSafeHwnd();
    EXPECT_EQ(::SendMessageA(start, BM_SETCHECK, BST_CHECKED, 0), 0);
    EXPECT_EQ(::SendMessageA(start, BM_GETCHECK, 0, 0), 0);

    HWND check = dialog.check.GetSafeHwnd();
    EXPECT_TRUE(dialog.check.isCheckBox());
    EXPECT_TRUE(ownerDrawn(check));
    const std::pair<WPARAM, LRESULT> settings[] = {
        {BST_CHECKED, 1}, {BST_UNCHECKED, 0}, {BST_INDETERMINATE, 1}, {7, 0}};
    for (const auto& [set, got] : settings) {
        ::SendMessageA(check, BM_SETCHECK, set, 0);
        EXPECT_EQ(::SendMessageA(check, BM_GETCHECK, 0, 0), got) << set;
    }
    // A click toggles the state, and the dialog hears of it as of a standard button.
    clickAt(centreOf(check));
    EXPECT_TRUE(
        guitest::pumpUntil([&] { return dialog.notifications(IDC_TEST_CHECK, BN_CLICKED) == 1; }));
    EXPECT_EQ(::SendMessageA(check, BM_GETCHECK, 0, 0), 1);
}

// A wave file of 4 samples in memory: its header holds zero bytes, as every wave's does.
std::vector<char> smallWave() {
    const unsigned char bytes[] = {'R',  'I',  'F', 'F', 40,   0,    0, 0, 'W',  'A',  'V',  'E',
                                   'f',  'm',  't', ' ', 16,   0,    0, 0, 1,    0,    1,    0,
                                   0x40, 0x1F, 0,   0,   0x40, 0x1F, 0, 0, 1,    0,    8,    0,
                                   'd',  'a',  't', 'a', 4,    0,    0, 0, 0x80, 0xFF, 0x80, 0x00};
    return std::vector<char>(bytes, bytes + sizeof(bytes));
}

TEST(ButtonSounds, AWaveInMemoryIsKeptWholeAndANameAsGiven) {
    std::vector<char> wave = smallWave();
    const std::vector<char> original = wave;
    ButtonSound fromMemory(wave.data(), nullptr, SND_MEMORY | SND_ASYNC);
    // The caller's buffer may go away once the sound is set.
    std::fill(wave.begin(), wave.end(), '\xAA');
    ASSERT_TRUE(fromMemory.isSet());
    EXPECT_EQ(fromMemory.wave(), original);
    EXPECT_EQ(std::memcmp(fromMemory.soundArgument(), original.data(), original.size()), 0);
    EXPECT_EQ(fromMemory.flags(), static_cast<DWORD>(SND_MEMORY | SND_ASYNC));

    // Memory that is no wave file is no sound: PlaySound would read it to an unknown end.
    const char notAWave[] = "plain text";
    EXPECT_FALSE(ButtonSound(notAWave, nullptr, SND_MEMORY).isSet());
    EXPECT_FALSE(ButtonSound(nullptr, nullptr, SND_ALIAS).isSet());

    std::string alias = "SystemAsterisk";
    ButtonSound byName(alias.c_str(), nullptr, SND_ALIAS);
    alias = "changed";
    EXPECT_STREQ(byName.soundArgument(), "SystemAsterisk");
    // A resource is named, by its name or its number, though its flag holds SND_MEMORY's.
    ButtonSound byNumber(MAKEINTRESOURCEA(7), nullptr, SND_RESOURCE);
    EXPECT_EQ(byNumber.soundArgument(), MAKEINTRESOURCEA(7));
    EXPECT_TRUE(byNumber.wave().empty());
    ButtonSound byResourceName("CLICK", nullptr, SND_RESOURCE);
    EXPECT_STREQ(byResourceName.soundArgument(), "CLICK");
}

} // namespace
