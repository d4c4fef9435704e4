// What the image button draws: its edges, caption and focus rectangle in each state,
// checked pixel by pixel in a memory bitmap, and screenshots of the states on screen.
#include "ControlsTestResource.h"
#include "ControlsTestSupport.h"
#include "GuiTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

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

// The width DrawText gives the caption in the button's font, as the button measures it.
int measuredCaptionWidth(CButtonFX& button, int width, int height) {
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ previous = ::SelectObject(dc, button.font());
    RECT rect{0, 0, width, height};
    const std::string caption = button.windowText();
    ::DrawTextA(dc, caption.c_str(), -1, &rect, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
    ::SelectObject(dc, previous);
    ::ReleaseDC(nullptr, dc);
    return rect.right - rect.left;
}

TEST_F(ButtonPainting, BitmapWhenSetIsMaskedPlacedLeftOfTheCaptionAndMovedWhenPressed) {
    const COLORREF red = RGB(255, 0, 0);
    // Beside an image of 10 pixels and its margin of 3, the caption centres in the width
    // left: it moves right by 13 less half of the 13 its frame lost, each half truncated.
    // Whether that is 6 or 7 pixels follows the parity of the width the caption leaves free,
    // so of the font: captions of both parities are drawn.
    bool parityCovered[2] = {false, false};
    for (const char* caption : {"Cancel", "OK", "w", "ww", "m", "mm", "Stop", "Start", "Quit"}) {
        SCOPED_TRACE(caption);
        dialog.cancel.setWindowText(caption);
        dialog.cancel.setBitmaps(CBitmap(), 0, CBitmap(), 0);
        const RECT plain = rest().boundsOf(text, 2);
        ASSERT_TRUE(
            dialog.cancel.setBitmaps(redBitmapWithGreenEdge(), RGB(0, 255, 0), CBitmap(), 0));
        const RECT beside = rest().boundsOf(text, 2);
        const int free = width - measuredCaptionWidth(dialog.cancel, width, height);
        parityCovered[free % 2] = true;
        EXPECT_EQ(beside.left - plain.left, 13 + (free - 13) / 2 - free / 2);
    }
    EXPECT_TRUE(parityCovered[0] && parityCovered[1]);
    dialog.cancel.setWindowText("Cancel");
    Rendering atRest = rest();
    const int top = (height - 8) / 2;
    // Left edge at the margin of 3 pixels, centred vertically; the green column is gone.
    EXPECT_EQ(atRest.at(3, top), face);
    EXPECT_EQ(atRest.at(4, top), red);
    EXPECT_EQ(atRest.at(12, top + 7), red);
    EXPECT_EQ(atRest.at(13, top), face);
    EXPECT_EQ(atRest.at(4, top - 1), face);

    Rendering pressed = render(dialog.cancel, ODS_SELECTED);
    EXPECT_EQ(pressed.at(4, top + 1), face);
    EXPECT_EQ(pressed.at(5, top + 1), red);
    EXPECT_EQ(dialog.cancel.setPressedStyle(3), CButtonFX::kStatusInvalidPressedStyle);
    EXPECT_EQ(render(dialog.cancel, ODS_SELECTED).at(5, top + 1), red);
    EXPECT_EQ(dialog.cancel.setPressedStyle(CButtonFX::kPressedStyleDown), CButtonFX::kStatusOk);
    pressed = render(dialog.cancel, ODS_SELECTED);
    EXPECT_EQ(pressed.at(4, top + 2), red);
    EXPECT_EQ(pressed.at(4, top + 1), face);

    // Disabled, the bitmap is drawn greyed: its pixels embossed in the shadow colour, its
    // transparent column keeping the face as it was.
    Rendering disabled = render(dialog.cancel, ODS_DISABLED);
    RECT redArea = disabled.boundsOf(red, 2);
    EXPECT_TRUE(::IsRectEmpty(&redArea));
    EXPECT_GT(disabled.count(shadow, {4, top, 13, top + 8}), 0);
    for (int y = top; y < top + 8; ++y)
        EXPECT_EQ(disabled.at(3, y), face) << y;
}

// The pixels of the area of a picture, row by row.
std::vector<COLORREF> pixelsOf(const Rendering& picture, const RECT& area) {
    std::vector<COLORREF> pixels;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            pixels.push_back(picture.at(x, y));
    return pixels;
}

// The smallest rectangle holding every pixel of the colour in the area; empty when none.
RECT boundsIn(const Rendering& picture, COLORREF colour, const RECT& area) {
    RECT bounds{};
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            if (picture.at(x, y) != colour)
                continue;
            const RECT pixel{x, y, x + 1, y + 1};
            ::UnionRect(&bounds, &bounds, &pixel);
        }
    return bounds;
}

TEST_F(ButtonPainting, ScreenshotsAtRestHoveredPressedFocusedAndDisabled) {
    HWND window = dialog.GetSafeHwnd();
    HWND start = dialog.start.GetSafeHwnd();
    POINT bare = dialogPoint(window, 20, 50);
    ::SendMessageA(window, DM_SETDEFID, IDC_TEST_START, 0);
    ::SetFocus(dialog.item(IDC_TEST_NAME));
    moveMouse(bare);
    const RECT place = guitest::placeInPicture(window, start);
    const RECT inside{place.left + 2, place.top + 2, place.right - 2, place.bottom - 2};
    const int insideWidth = inside.right - inside.left;

    // At rest: a raised edge around the face and the caption in the text colour.
    const Rendering atRest = guitest::windowPicture(window);
    EXPECT_TRUE(guitest::savePicture(atRest, "button-rest.bmp"));
    EXPECT_EQ(atRest.at(place.left, place.top), highlight);
    EXPECT_EQ(atRest.at(place.right - 1, place.bottom - 1), shadow);
    EXPECT_EQ(atRest.at(place.left + 2, (place.top + place.bottom) / 2), face);
    EXPECT_GT(atRest.count(text, inside), 0);

    // Hovered, the flat button shows its raised border: what it shows at rest.
    moveMouse(centreOf(start));
    EXPECT_TRUE(guitest::pumpUntil([&] { return dialog.start.isHovered(); }));
    const Rendering hovered = guitest::windowPicture(window);
    EXPECT_TRUE(guitest::savePicture(hovered, "button-hovered.bmp"));
    EXPECT_EQ(pixelsOf(hovered, place), pixelsOf(atRest, place));

    // Pressed: a sunken edge, the caption one pixel right and down.
    pressLeft();
    EXPECT_EQ(::SendMessageA(start, BM_GETSTATE, 0, 0) & BST_PUSHED, BST_PUSHED);
    const Rendering pressed = guitest::windowPicture(window);
    EXPECT_TRUE(guitest::savePicture(pressed, "button-pressed.bmp"));
    moveMouse(bare); // released away from the button, so no click
    releaseLeft();
    EXPECT_EQ(pressed.at(place.left, place.top), shadow);
    EXPECT_EQ(pressed.at(place.right - 1, place.bottom - 1), highlight);
    RECT restCaption = boundsIn(atRest, text, inside);
    RECT pressedCaption = boundsIn(pressed, text, inside);
    ::OffsetRect(&restCaption, 1, 1);
    EXPECT_TRUE(::EqualRect(&restCaption, &pressedCaption));

    // Focused: a dotted frame three pixels inside the edge, and nothing else changed.
    ::SetFocus(start);
    const Rendering focused = guitest::windowPicture(window);
    EXPECT_TRUE(guitest::savePicture(focused, "button-focused.bmp"));
    int changed = 0;
    for (int y = place.top; y < place.bottom; ++y)
        for (int x = place.left; x < place.right; ++x) {
            if (focused.at(x, y) == atRest.at(x, y))
                continue;
            ++changed;
            const int dx = x - place.left;
            const int dy = y - place.top;
            const int w = place.right - place.left;
            const int h = place.bottom - place.top;
            const bool onFrame = ((dx == 3 || dx == w - 4) && dy >= 3 && dy <= h - 4) ||
                                 ((dy == 3 || dy == h - 4) && dx >= 3 && dx <= w - 4);
            EXPECT_TRUE(onFrame) << dx << "," << dy;
        }
    EXPECT_GT(changed, insideWidth / 2);

    // Disabled: the caption embossed, in the highlight and shadow colours, none in the text
    // colour.
    ::EnableWindow(start, FALSE);
    const Rendering disabled = guitest::windowPicture(window);
    EXPECT_TRUE(guitest::savePicture(disabled, "button-disabled.bmp"));
    EXPECT_EQ(disabled.count(text, inside), 0);
    EXPECT_GT(disabled.count(highlight, inside), 0);
    EXPECT_GT(disabled.count(shadow, inside), 0);
    EXPECT_EQ(dialog.notifications(IDC_TEST_START, BN_CLICKED), 0);
}

} // namespace
