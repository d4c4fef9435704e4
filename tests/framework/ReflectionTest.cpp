// Reflection of owner-draw, colour and notification messages from a dialog to the objects
// of its controls, and the registry of menu holders.
#include "FrameworkTestResource.h"
#include "GuiTestSupport.h"

#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CListBox.h"
#include "framework/CMenu.h"
#include "framework/CStatic.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

class DrawnButton : public CButton {
  public:
    void DrawItem(DRAWITEMSTRUCT* drawItem) override {
        ++draws;
        drawnWindow = drawItem->hwndItem;
    }
    int draws = 0;
    HWND drawnWindow = nullptr;
};

// Consumes its clicks and colours itself.
class ConsumingStatic : public CStatic {
  public:
    ConsumingStatic() : brush(::CreateSolidBrush(RGB(1, 2, 3))) {}
    ~ConsumingStatic() override { ::DeleteObject(brush); }
    bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        if (message == WM_COMMAND && HIWORD(wParam) == STN_CLICKED) {
            ++clicks;
            *result = 0;
            return true;
        }
        return CStatic::OnChildNotify(message, wParam, lParam, result);
    }
    HBRUSH CtlColor(HDC dc, UINT) override {
        ::SetTextColor(dc, RGB(200, 10, 20));
        return brush;
    }
    HBRUSH brush;
    int clicks = 0;
};

// Sees its clicks but lets the parent have them too.
class PassingStatic : public CStatic {
  public:
    bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        if (message == WM_COMMAND && HIWORD(wParam) == STN_CLICKED)
            ++clicks;
        return CStatic::OnChildNotify(message, wParam, lParam, result);
    }
    int clicks = 0;
};

class MeasuringList : public CListBox {
  public:
    void MeasureItem(MEASUREITEMSTRUCT* measureItem) override {
        ++measures;
        measureItem->itemHeight = 23;
    }
    int measures = 0;
};

class ReflectionDialog : public CDialog {
  public:
    ReflectionDialog() : CDialog(IDD_FRAMEWORK_TEST) {}
    DrawnButton drawn;
    ConsumingStatic consuming;
    PassingStatic passing;
    MeasuringList list;
    std::vector<UINT> messagesSeen;
    std::vector<int> clicksSeen;

  protected:
    void DoDataExchange(CDataExchange* exchange) override {
        DDX_Control(exchange, IDC_TEST_OWNERDRAW, drawn);
        DDX_Control(exchange, IDC_TEST_NOTIFY_STATIC, consuming);
        DDX_Control(exchange, IDC_TEST_PLAIN_STATIC, passing);
        DDX_Control(exchange, IDC_TEST_VARIABLE_LIST, list);
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        messagesSeen.push_back(message);
        if (message == WM_COMMAND && HIWORD(wParam) == STN_CLICKED)
            clicksSeen.push_back(LOWORD(wParam));
        return CDialog::WindowProc(message, wParam, lParam);
    }
};

bool saw(const std::vector<UINT>& messages, UINT message) {
    for (UINT seen : messages)
        if (seen == message)
            return true;
    return false;
}

void click(HWND control) {
    RECT client{};
    ::GetClientRect(control, &client);
    LPARAM centre = MAKELPARAM(client.right / 2, client.bottom / 2);
    ::PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, centre);
    ::PostMessageA(control, WM_LBUTTONUP, 0, centre);
}

class Reflection : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dialog.Create());
        ::ShowWindow(dialog.GetSafeHwnd(), SW_SHOW);
        guitest::pumpFor(100);
    }
    ReflectionDialog dialog;
};

TEST_F(Reflection, OwnerDrawAndMeasureGoToTheControlNotTheDialog) {
    dialog.messagesSeen.clear();
    dialog.drawn.invalidate();
    ::UpdateWindow(dialog.drawn.GetSafeHwnd());
    EXPECT_GT(dialog.drawn.draws, 0);
    EXPECT_EQ(dialog.drawn.drawnWindow, dialog.drawn.GetSafeHwnd());

    int index = dialog.list.insertString(-1, "line");
    EXPECT_EQ(dialog.list.measures, 1);
    EXPECT_EQ(::SendMessageA(dialog.list.GetSafeHwnd(), LB_GETITEMHEIGHT, index, 0), 23);
    EXPECT_FALSE(saw(dialog.messagesSeen, WM_DRAWITEM));
    EXPECT_FALSE(saw(dialog.messagesSeen, WM_MEASUREITEM));
}

TEST_F(Reflection, ParentReceivesOnlyTheClicksItsControlDoesNotConsume) {
    click(dialog.consuming.GetSafeHwnd());
    click(dialog.passing.GetSafeHwnd());
    guitest::pumpUntil([&] { return dialog.passing.clicks > 0 && dialog.consuming.clicks > 0; });
    guitest::pumpFor(50);
    EXPECT_EQ(dialog.consuming.clicks, 1);
    EXPECT_EQ(dialog.passing.clicks, 1);
    EXPECT_EQ(dialog.clicksSeen, (std::vector<int>{IDC_TEST_PLAIN_STATIC}));
}

TEST_F(Reflection, ColourRequestIsAnsweredByTheControlThatHandlesIt) {
    HDC dc = ::GetDC(dialog.GetSafeHwnd());
    LRESULT answered =
        ::SendMessageA(dialog.GetSafeHwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                       reinterpret_cast<LPARAM>(dialog.consuming.GetSafeHwnd()));
    EXPECT_EQ(answered, reinterpret_cast<LRESULT>(dialog.consuming.brush));
    EXPECT_EQ(::GetTextColor(dc), RGB(200, 10, 20));

    ::SetTextColor(dc, RGB(0, 0, 0));
    dialog.messagesSeen.clear();
    LRESULT defaulted =
        ::SendMessageA(dialog.GetSafeHwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                       reinterpret_cast<LPARAM>(dialog.passing.GetSafeHwnd()));
    EXPECT_NE(defaulted, reinterpret_cast<LRESULT>(dialog.consuming.brush));
    EXPECT_NE(::GetTextColor(dc), RGB(200, 10, 20));
    EXPECT_TRUE(saw(dialog.messagesSeen, WM_CTLCOLORSTATIC));
    ::ReleaseDC(dialog.GetSafeHwnd(), dc);
}

TEST(Menu, HolderIsFoundFromTheHandleWhileItHoldsIt) {
    HMENU handle = nullptr;
    {
        auto menu = std::make_unique<CMenu>();
        ASSERT_TRUE(menu->CreatePopupMenu());
        handle = menu->GetSafeHmenu();
        EXPECT_EQ(CMenu::FromHandle(handle), menu.get());
        EXPECT_TRUE(menu->appendMenu(MF_STRING, 16, "&About"));
        EXPECT_EQ(menu->itemCount(), 1);

        CMenu other;
        EXPECT_FALSE(other.Attach(handle)); // one holder per handle
        EXPECT_EQ(CMenu::FromHandle(handle), menu.get());
    }
    EXPECT_EQ(CMenu::FromHandle(handle), nullptr);
    EXPECT_FALSE(::IsMenu(handle));
}

} // namespace
