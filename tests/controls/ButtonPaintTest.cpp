// What the image button draws: its edges, caption and focus rectangle in each state,
// checked pixel by pixel in a memory bitmap, and screenshots of the states on screen.
#include "ControlsTestResource.h"
#include "ControlsTestSupport.h"
#include "GuiTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace controlstest;

class ButtonPainting : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dialog.open());
        width = rest().width;
        height = rest().height;
    }
    Rendering rest() { return render(dialog.cancel, 0); }
    ButtonTestDialog dialog;
    int width = 0;
    int height = 0;
    const COLORREF text = ::GetSysColor(COLOR_BTNTEXT);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF highlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
};

TEST_F(ButtonPainting, PressedSinksAndMovesTheCaptionDisabledEmbossesIt) {
    Rendering atRest = rest();
    Rendering pressed = render(dialog.cancel, ODS_SELECTED);
    Rendering disabled = render(dialog.cancel, ODS_DISABLED);
    // Raised edge at rest, sunken while pressed, the face inside.
    EXPECT_EQ(atRest.at(0, 0), highlight);
    EXPECT_EQ(atRest.at(width - 1, height - 1), shadow);
    EXPECT_EQ(atRest.at(2, height / 2), face);
    EXPECT_EQ(pressed.at(0, 0), shadow);
    EXPECT_EQ(pressed.at(width - 1, height - 1), highlight);

    RECT restCaption = atRest.boundsOf(text, 2);
    RECT pressedCaption = pressed.boundsOf(text, 2);
    ASSERT_FALSE(::IsRectEmpty(&restCaption));
    ::OffsetRect(&restCaption, 1, 1);
    EXPECT_TRUE(::EqualRect(&pressedCaption, &restCaption));
    ::OffsetRect(&restCaption, -1, -1);

    // Disabled: the caption twice, in the highlight colour one pixel right and down, then
    // in the shadow colour where the caption normally stands.
    RECT disabledCaption = disabled.boundsOf(text, 2);
    EXPECT_TRUE(::IsRectEmpty(&disabledCaption));
    RECT shadowCaption = disabled.boundsOf(shadow, 2);
    EXPECT_TRUE(::EqualRect(&shadowCaption, &restCaption));
    int highlightPixels = 0;
    for (int y = 2; y < height - 2; ++y)
        for (int x = 2; x < width - 2; ++x)
            if (disabled.at(x, y) == highlight) {
                ++highlightPixels;
                EXPECT_EQ(disabled.at(x - 1, y - 1), shadow) << x << "," << y;
            }
    EXPECT_GT(highlightPixels, 0);
}

TEST_F(ButtonPainting, FocusRectangleLiesThreePixelsInsideAlsoWithoutCaption) {
    dialog.cancel.setWindowText("");
    Rendering blank = rest();
    Rendering focused = render(dialog.cancel, ODS_FOCUS);
    dialog.cancel.setWindowText("Cancel");
    RECT caption = blank.boundsOf(text, 2);
    EXPECT_TRUE(::IsRectEmpty(&caption));
    EXPECT_EQ(blank.at(0, 0), highlight);
    EXPECT_EQ(blank.at(width / 2, height / 2), face);
    int changed = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (focused.at(x, y) == blank.at(x, y))
                continue;
            ++changed;
            bool onFrame = ((x == 3 || x == width - 4) && y >= 3 && y <= height - 4) ||
                           ((y == 3 || y == height - 4) && x >= 3 && x <= width - 4);
            EXPECT_TRUE(onFrame) << x << "," << y;
        }
    // A dotted frame: about every other pixel of its outline.
    EXPECT_GT(changed, (width + height) / 2);
}

// A red bitmap of 10 x 8 pixels whose first column is green.
CBitmap redBitmapWithGreenEdge() {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 10, -8, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    CBitmap bitmap;
    bitmap.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    auto* pixels = static_cast<DWORD*>(bits);
    for (int i = 0; i < 10 * 8; ++i)
        pixels[i] = i % 10 == 0 ? 0x00FF00 : 0xFF0000;
    return bitmap;
}

TEST_F(ButtonPainting, BitmapWhenSetIsMaskedPlacedLeftOfTheCaptionAndMovedWhenPressed) {
    const COLORREF red = RGB(255, 0, 0);
    RECT plainCaption = rest().boundsOf(text, 2);
    ASSERT_TRUE(dialog.cancel.setBitmaps(redBitmapWithGreenEdge(), RGB(0, 255, 0), CBitmap(), 0));
    Rendering atRest = rest();
    const int top = (height - 8) / 2;
    // Left edge at the margin of 3 pixels, centred vertically; the green column is gone.
    EXPECT_EQ(atRest.at(3, top), face);
    EXPECT_EQ(atRest.at(4, top), red);
    EXPECT_EQ(atRest.at(12, top + 7), red);
    EXPECT_EQ(atRest.at(13, top), face);
    EXPECT_EQ(atRest.at(4, top - 1), face);
    RECT caption = atRest.boundsOf(text, 2);
    EXPECT_EQ(caption.left, plainCaption.left + (10 + 3) / 2);

    Rendering pressed = render(dialog.cancel, ODS_SELECTED);
    EXPECT_EQ(pressed.at(4, top + 1), face);
    EXPECT_EQ(pressed.at(5, top + 1), red);
    EXPECT_EQ(dialog.cancel.setPressedStyle(3), CButtonFX::kStatusInvalidPressedStyle);
    EXPECT_EQ(render(dialog.cancel, ODS_SELECTED).at(5, top + 1), red);
    EXPECT_EQ(dialog.cancel.setPressedStyle(CButtonFX::kPressedStyleDown), CButtonFX::kStatusOk);
    pressed = render(dialog.cancel, ODS_SELECTED);
    EXPECT_EQ(pressed.at(4, top + 2), red);
    EXPECT_EQ(pressed.at(4, top + 1), face);

    // Disabled, the bitmap is drawn greyed.
    Rendering disabled = render(dialog.cancel, ODS_DISABLED);
    RECT redArea = disabled.boundsOf(red, 2);
    EXPECT_TRUE(::IsRectEmpty(&redArea));
}

TEST_F(ButtonPainting, ScreenshotsAtRestHoveredPressedFocusedAndDisabled) {
    HWND window = dialog.GetSafeHwnd();
    HWND start = dialog.start.GetSafeHwnd();
    POINT bare = dialogPoint(window, 20, 50);
    ::SendMessageA(window, DM_SETDEFID, IDC_TEST_START, 0);
    ::SetFocus(dialog.item(IDC_TEST_NAME));
    moveMouse(bare);
    EXPECT_TRUE(guitest::saveWindowImage(window, "button-rest.bmp"));

    moveMouse(centreOf(start));
    EXPECT_TRUE(guitest::pumpUntil([&] { return dialog.start.isHovered(); }));
    EXPECT_TRUE(guitest::saveWindowImage(window, "button-hovered.bmp"));

    pressLeft();
    EXPECT_EQ(::SendMessageA(start, BM_GETSTATE, 0, 0) & BST_PUSHED, BST_PUSHED);
    EXPECT_TRUE(guitest::saveWindowImage(window, "button-pressed.bmp"));
    moveMouse(bare); // released away from the button, so no click
    releaseLeft();

    ::SetFocus(start);
    EXPECT_TRUE(guitest::saveWindowImage(window, "button-focused.bmp"));

    ::EnableWindow(start, FALSE);
    EXPECT_TRUE(guitest::saveWindowImage(window, "button-disabled.bmp"));
    EXPECT_EQ(dialog.notifications(IDC_TEST_START, BN_CLICKED), 0);
}

} // namespace
