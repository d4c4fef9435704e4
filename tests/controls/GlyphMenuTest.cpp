// The owner-drawn menu class: its class-wide answers, its records and submenus, and the
// pixels of both looks drawn into a memory bitmap.
#include "ControlsTestResource.h"
#include "ControlsTestSupport.h"

#include "controls/GlyphMenu.h"
#include "controls/GlyphMenuPainter.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

namespace {

using controlstest::Rendering;
using controlstest::renderWith;

DWORD ntVersion(BYTE major, BYTE minor) {
    return MAKELONG(MAKEWORD(major, minor), 2600);
}

DWORD nineXVersion(BYTE major, BYTE minor) {
    return ntVersion(major, minor) | 0x80000000u;
}

TEST(GlyphMenuClass, LightenColorAndWindowsVersionCodes) {
    const COLORREF colour = RGB(0, 100, 200);
    EXPECT_EQ(GlyphMenu::LightenColor(colour, 0.0), colour);
    EXPECT_EQ(GlyphMenu::LightenColor(colour, 1.0), RGB(255, 255, 255));
    EXPECT_EQ(GlyphMenu::LightenColor(colour, 1.5), colour);
    EXPECT_EQ(GlyphMenu::LightenColor(colour, -0.5), colour);
    EXPECT_EQ(GlyphMenu::LightenColor(colour, 0.5), RGB(127, 177, 227));

    struct Case {
        DWORD packed;
        bool detailsRead;
        DWORD major;
        DWORD minor;
        int code;
    };
    const Case cases[] = {
        {ntVersion(5, 1), true, 5, 1, 7},      {ntVersion(5, 0), true, 5, 0, 6},
        {ntVersion(6, 1), true, 6, 1, 1},      {ntVersion(5, 2), true, 5, 2, 1},
        {ntVersion(10, 0), true, 10, 0, 1},    {ntVersion(4, 0), true, 4, 0, 5},
        {ntVersion(5, 1), false, 0, 0, 1},     {nineXVersion(3, 95), true, 3, 95, 0},
        {nineXVersion(4, 10), true, 4, 10, 3}, {nineXVersion(4, 90), true, 4, 90, 4},
        {nineXVersion(4, 0), true, 4, 0, 2},   {nineXVersion(4, 3), true, 4, 3, 2},
        {nineXVersion(4, 10), false, 0, 0, 2},
    };
    for (const Case& c : cases) {
        GlyphMenu::VersionReport report{c.packed, c.detailsRead, c.major, c.minor};
        EXPECT_EQ(GlyphMenu::ProbeWindowsVersion(report), c.code)
            << std::hex << c.packed << " " << c.major << "." << c.minor;
    }
}

TEST(GlyphMenuClass, RegistryFollowsTheSubmenusAndFreeMenuCanRunTwice) {
    HMENU plain = ::CreatePopupMenu();
    EXPECT_FALSE(GlyphMenu::IsOwnMenu(plain));
    EXPECT_FALSE(GlyphMenu::IsOwnMenu(nullptr));
    {
        GlyphMenu fresh;
        EXPECT_EQ(fresh.GetSafeHmenu(), nullptr);
        EXPECT_FALSE(fresh.FreeMenu());
        EXPECT_FALSE(fresh.FreeMenu());
        EXPECT_FALSE(GlyphMenu::IsOwnMenu(fresh));
    }
    GlyphMenu menu;
    ASSERT_TRUE(menu.LoadMenuById(IDR_TEST_MENU));
    HMENU file = menu.subMenu(0);
    HMENU more = ::GetSubMenu(file, 3);
    EXPECT_TRUE(GlyphMenu::IsOwnMenu(file));
    EXPECT_TRUE(GlyphMenu::IsOwnMenu(more));
    EXPECT_FALSE(GlyphMenu::IsOwnMenu(menu));
    EXPECT_FALSE(GlyphMenu::IsOwnMenu(plain));
    EXPECT_NE(dynamic_cast<GlyphMenu*>(CMenu::FromHandle(more)), nullptr);

    EXPECT_TRUE(menu.FreeMenu());
    EXPECT_FALSE(GlyphMenu::IsOwnMenu(file));
    EXPECT_FALSE(GlyphMenu::IsOwnMenu(more));
    EXPECT_EQ(CMenu::FromHandle(file), nullptr);
    EXPECT_FALSE(::IsMenu(file));
    EXPECT_FALSE(::IsMenu(more));
    EXPECT_FALSE(menu.FreeMenu());
    EXPECT_EQ(menu.GetSafeHmenu(), nullptr);
    EXPECT_FALSE(menu.LoadMenuById(12345));
    EXPECT_EQ(menu.GetSafeHmenu(), nullptr);
    EXPECT_TRUE(::IsMenu(plain));
    ::DestroyMenu(plain);
}

TEST(GlyphMenuClass, MnemonicsAreFoundInRecordsAndInItemsAddedBehindItsBack) {
    CMenu plain;
    ASSERT_TRUE(plain.CreatePopupMenu());
    plain.appendMenu(MF_STRING, 1, "&Open");
    EXPECT_EQ(GlyphMenu::FindMnemonic('o', MF_POPUP, &plain), 0);

    GlyphMenu menu;
    ASSERT_TRUE(menu.AppendItem("&Open", MF_STRING, 1));
    ASSERT_TRUE(menu.AppendItem("&Save", MF_STRING, 2));
    ASSERT_TRUE(menu.AppendItem(nullptr, MF_SEPARATOR, 0));
    ASSERT_TRUE(menu.AppendItem("E&xit", MF_STRING, 3));
    EXPECT_EQ(GlyphMenu::FindMnemonic('s', MF_POPUP, &menu), MAKELRESULT(1, MNC_EXECUTE));
    EXPECT_EQ(GlyphMenu::FindMnemonic('X', MF_POPUP, &menu), MAKELRESULT(3, MNC_EXECUTE));
    EXPECT_EQ(GlyphMenu::FindMnemonic('q', MF_POPUP, &menu), 0);
    EXPECT_EQ(GlyphMenu::FindMnemonic('s', 0, &menu), 0);

    // A plain text item appended directly becomes owner-drawn with a record of its own.
    menu.appendMenu(MF_STRING, 4, "&Quit");
    EXPECT_EQ(GlyphMenu::FindMnemonic('q', MF_POPUP, &menu), MAKELRESULT(4, MNC_EXECUTE));
    EXPECT_EQ(menu.recordCount(), menu.itemCount());
    EXPECT_EQ(menu.GetItemText(4, MF_BYPOSITION), "&Quit");
    EXPECT_EQ(menu.GetItemText(0, MF_BYPOSITION), "&Open");
    EXPECT_EQ(::GetMenuState(menu.GetSafeHmenu(), 4, MF_BYCOMMAND) & MF_OWNERDRAW, MF_OWNERDRAW);
}

TEST(GlyphMenuClass, LoadedItemsKeepTheirTextsStatesAndRecords) {
    GlyphMenu menu;
    ASSERT_TRUE(menu.LoadMenuById(IDR_TEST_MENU));
    EXPECT_EQ(menu.GetItemText(ID_TEST_DEEP, MF_BYCOMMAND), "&Deep");
    EXPECT_EQ(menu.GetItemText(ID_TEST_SAVE, MF_BYCOMMAND), "&Save\tCtrl+Shift+S");
    EXPECT_EQ(menu.GetItemText(999, MF_BYCOMMAND), "");
    HMENU holder = nullptr;
    int position = -1;
    ASSERT_TRUE(menu.FindItem(ID_TEST_EXIT, &holder, &position));
    EXPECT_EQ(holder, menu.subMenu(0));
    EXPECT_EQ(position, 4);
    EXPECT_FALSE(menu.FindItem(999, &holder, &position));

    auto* file = dynamic_cast<GlyphMenu*>(CMenu::FromHandle(holder));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->recordCount(), 5);
    EXPECT_EQ(::GetMenuState(holder, ID_TEST_SAVE, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
    EXPECT_EQ(::GetMenuState(holder, ID_TEST_EXIT, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);

    // Padded accelerators are equally wide, to within one blank.
    file->AlignAccelerators();
    LONG open = GlyphMenuPainter::menuTextSize(file->FindRecord(ID_TEST_OPEN)->accelerator()).cx;
    LONG save = GlyphMenuPainter::menuTextSize(file->FindRecord(ID_TEST_SAVE)->accelerator()).cx;
    EXPECT_LE(std::abs(open - save), GlyphMenuPainter::menuTextSize(L" ").cx);
    EXPECT_EQ(file->GetItemText(ID_TEST_OPEN, MF_BYCOMMAND).rfind("&Open\tCtrl+O", 0), 0u);

    ASSERT_TRUE(file->ModifyItem(ID_TEST_OPEN, MF_OWNERDRAW, ID_TEST_OPEN, "&Reopen"));
    EXPECT_EQ(file->GetItemText(0, MF_BYPOSITION), "&Reopen");
    EXPECT_EQ(file->recordCount(), 5);

    // Records not kept go, and so do the items that showed them.
    file->SetKeepAll();
    EXPECT_EQ(file->FindRecord(ID_TEST_SAVE), nullptr);
    ASSERT_TRUE(file->AppendItem("&Temporary", MF_STRING, 977));
    file->RemoveUnkept();
    EXPECT_EQ(file->itemCount(), 5);
    EXPECT_EQ(file->recordCount(), 5);
    EXPECT_FALSE(menu.FindItem(977, &holder, &position));
}

TEST(GlyphMenuClass, OnlyRecordsOfTheMenuAreMeasuredAndAlignmentEndsOnZeroWidths) {
    GlyphMenu menu;
    ASSERT_TRUE(menu.LoadMenuById(IDR_TEST_MENU));
    auto* file = dynamic_cast<GlyphMenu*>(CMenu::FromHandle(menu.subMenu(0)));
    ASSERT_NE(file, nullptr);
    // The button measures the items of every submenu through its menu.
    MEASUREITEMSTRUCT own{};
    own.CtlType = ODT_MENU;
    own.itemData = reinterpret_cast<ULONG_PTR>(file->recordAt(0));
    menu.MeasureItem(&own);
    EXPECT_GT(own.itemWidth, 0u);
    EXPECT_GT(own.itemHeight, 0u);
    // Item data of anything else is no record of its, whatever it points at.
    GlyphMenuData stranger;
    stranger.setAnsiText("&Stranger");
    MEASUREITEMSTRUCT foreign{};
    foreign.CtlType = ODT_MENU;
    foreign.itemData = reinterpret_cast<ULONG_PTR>(&stranger);
    foreign.itemWidth = 12345;
    foreign.itemHeight = 678;
    menu.MeasureItem(&foreign);
    EXPECT_EQ(foreign.itemWidth, 12345u);
    EXPECT_EQ(foreign.itemHeight, 678u);

    // Text measurement that fails gives every text the width 0: the alignment ends and
    // leaves the texts as they were.
    int measured = 0;
    EXPECT_NO_THROW(file->AlignAccelerators([&measured](const std::wstring&) {
        if (++measured > 10000)
            throw std::runtime_error("the alignment does not end");
        return 0;
    }));
    EXPECT_EQ(file->GetItemText(ID_TEST_OPEN, MF_BYCOMMAND), "&Open\tCtrl+O");
}

TEST(GlyphMenuClass, AReplacedPopupAndItsSubmenusLeaveTheRegistry) {
    auto nested = std::make_unique<GlyphMenu>();
    ASSERT_TRUE(nested->AppendItem("&Deeper", MF_STRING, 502));
    const HMENU nestedHandle = nested->GetSafeHmenu();
    auto sub = std::make_unique<GlyphMenu>();
    ASSERT_TRUE(sub->AppendItem("&Inner", MF_STRING, 501));
    ASSERT_TRUE(sub->AppendPopup("&Nested", 0, std::move(nested)));
    const HMENU subHandle = sub->GetSafeHmenu();
    GlyphMenu menu;
    ASSERT_TRUE(menu.AppendPopup("&More", 0, std::move(sub)));
    ASSERT_TRUE(menu.AppendItem("&Last", MF_STRING, 503));
    EXPECT_TRUE(GlyphMenu::IsOwnMenu(subHandle));
    EXPECT_TRUE(GlyphMenu::IsOwnMenu(nestedHandle));

    // Windows destroys the submenu of the item it replaces: no object and no registry entry
    // may keep its handle, which the next menu made may get again.
    ASSERT_TRUE(menu.ModifyItem(0, MF_BYPOSITION | MF_OWNERDRAW | MF_STRING, 504, "&Plain"));
    EXPECT_FALSE(GlyphMenu::IsOwnMenu(subHandle));
    EXPECT_FALSE(GlyphMenu::IsOwnMenu(nestedHandle));
    EXPECT_EQ(CMenu::FromHandle(subHandle), nullptr);
    EXPECT_EQ(CMenu::FromHandle(nestedHandle), nullptr);
    EXPECT_EQ(menu.GetItemText(0, MF_BYPOSITION), "&Plain");
    EXPECT_EQ(menu.recordCount(), 2);
    const HMENU later = ::CreatePopupMenu();
    EXPECT_TRUE(menu.FreeMenu());
    EXPECT_TRUE(::IsMenu(later));
    ::DestroyMenu(later);
}

// The item at a position of a menu drawn into a bitmap of 120 x 20 pixels.
Rendering renderItem(GlyphMenu& menu, int position, UINT state) {
    return renderWith(120, 20, [&](HDC dc) {
        MENUITEMINFOW item{};
        menu.itemInfo(position, &item);
        DRAWITEMSTRUCT drawItem{};
        drawItem.CtlType = ODT_MENU;
        drawItem.itemID = item.wID;
        drawItem.itemAction = ODA_DRAWENTIRE;
        drawItem.itemState = state;
        drawItem.hwndItem = reinterpret_cast<HWND>(menu.GetSafeHmenu());
        drawItem.hDC = dc;
        drawItem.rcItem = {0, 0, 120, 20};
        drawItem.itemData = item.dwItemData;
        menu.DrawItem(&drawItem);
    });
}

const COLORREF kFolderYellow = RGB(230, 190, 40);

// A menu of an image item, a checked item without image, a separator and a grayed image
// item, with the test toolbar's images shared.
class MenuLooks : public ::testing::Test {
  protected:
    void SetUp() override {
        menu.useMaskColor = true;
        ASSERT_TRUE(menu.AddToolbarImages(IDR_TEST_TOOLBAR));
        EXPECT_GE(GlyphMenu::FindSharedImage(ID_TEST_OPEN), 0);
        EXPECT_EQ(GlyphMenu::FindSharedImage(974), -1);
        ASSERT_TRUE(menu.AppendItem("&Open\tCtrl+O", MF_STRING, ID_TEST_OPEN));
        ASSERT_TRUE(menu.AppendItem("&Plain", MF_STRING | MF_CHECKED, 974));
        ASSERT_TRUE(menu.AppendItem(nullptr, MF_SEPARATOR, 0));
        ASSERT_TRUE(menu.AppendItem("E&xit", MF_STRING | MF_GRAYED, ID_TEST_EXIT));
    }
    void TearDown() override { GlyphMenu::setLookSettings(GlyphMenu::LookSettings()); }
    GlyphMenu menu;
    const COLORREF menuText = ::GetSysColor(COLOR_MENUTEXT);
    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
};

TEST_F(MenuLooks, ClassicLookHighlightsRightOfTheImagesAndDrawsMarksAndEdges) {
    ASSERT_FALSE(GlyphMenu::flatLookChosen());
    const COLORREF background = ::GetSysColor(COLOR_MENU);
    Rendering open = renderItem(menu, 0, ODS_SELECTED);
    EXPECT_EQ(open.at(16 + 5, 10), highlight);
    EXPECT_EQ(open.at(16 + 4, 10), background);
    EXPECT_TRUE(open.holds(kFolderYellow, {2, 2, 18, 17}));
    EXPECT_TRUE(open.holds(::GetSysColor(COLOR_HIGHLIGHTTEXT), {24, 0, 120, 20}));

    // The check mark's strokes: x + 0 from y + 2 down, x + 6 from y down, box at (2, 2).
    Rendering plain = renderItem(menu, 1, ODS_CHECKED);
    EXPECT_EQ(plain.at(6, 8), menuText);
    EXPECT_EQ(plain.at(6, 7), GlyphMenu::LightenColor(background, 0.6));
    EXPECT_EQ(plain.at(12, 6), menuText);
    EXPECT_EQ(plain.at(12, 9), GlyphMenu::LightenColor(background, 0.6));

    Rendering separator = renderItem(menu, 2, 0);
    EXPECT_EQ(separator.at(60, 9), ::GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(separator.at(60, 10), ::GetSysColor(COLOR_BTNHIGHLIGHT));

    // A grayed image is embossed, not drawn in its colours.
    Rendering exit = renderItem(menu, 3, ODS_GRAYED);
    EXPECT_FALSE(exit.holds(RGB(210, 30, 30), {0, 0, 120, 20}));
    EXPECT_TRUE(exit.holds(::GetSysColor(COLOR_BTNSHADOW), {2, 2, 18, 17}));
}

TEST_F(MenuLooks, FlatLookTintsTheImageColumnAndFramesTheSelection) {
    GlyphMenu::LookSettings flat;
    flat.xpLookElsewhere = true;
    GlyphMenu::setLookSettings(flat);
    ASSERT_TRUE(GlyphMenu::flatLookChosen());
    const COLORREF column = GlyphMenu::LightenColor(::GetSysColor(COLOR_BTNFACE), 0.25);
    const int columnWidth = 16 + 7;

    Rendering open = renderItem(menu, 0, 0);
    EXPECT_EQ(open.at(1, 1), column);
    EXPECT_EQ(open.at(columnWidth - 1, 1), column);
    EXPECT_EQ(open.at(columnWidth + 1, 1), ::GetSysColor(COLOR_WINDOW));
    EXPECT_TRUE(open.holds(kFolderYellow, {3, 2, 19, 17}));

    Rendering selected = renderItem(menu, 0, ODS_SELECTED);
    EXPECT_EQ(selected.at(0, 0), highlight);
    EXPECT_EQ(selected.at(1, 1), GlyphMenu::LightenColor(highlight, 0.85));
    EXPECT_EQ(selected.at(60, 1), GlyphMenu::LightenColor(highlight, 0.85));

    // The check box: tinted, framed, the mark from its left + 5, top + 4.
    Rendering plain = renderItem(menu, 1, ODS_CHECKED);
    EXPECT_EQ(plain.at(2, 1), highlight);
    EXPECT_EQ(plain.at(3, 3), GlyphMenu::LightenColor(highlight, 0.85));
    EXPECT_EQ(plain.at(2 + 5, 1 + 4 + 2), menuText);

    // Images added in this look have a washed and a shadow copy: an item at rest shows the
    // washed one; a selected one rises, its image up and left, its shadow down and right.
    ASSERT_TRUE(menu.AddImages(IDR_TEST_TOOLBAR, {981, 982, 983}));
    ASSERT_TRUE(GlyphMenu::HasImageTriple(GlyphMenu::FindSharedImage(981)));
    ASSERT_TRUE(menu.AppendItem("&Washed", MF_STRING, 981));
    const COLORREF washedYellow = GlyphMenu::LightenColor(kFolderYellow, 0.3);
    const COLORREF shadow = GlyphMenu::LightenColor(::GetSysColor(COLOR_BTNSHADOW), 0.49);
    Rendering rest = renderItem(menu, 4, 0);
    EXPECT_TRUE(rest.holds(washedYellow, {3, 2, 19, 17}));
    EXPECT_FALSE(rest.holds(kFolderYellow, {0, 0, 120, 20}));
    Rendering raised = renderItem(menu, 4, ODS_SELECTED);
    EXPECT_TRUE(raised.holds(kFolderYellow, {2, 1, 18, 16}));
    EXPECT_FALSE(raised.holds(washedYellow, {0, 0, 120, 20}));
    // The folder's outline, one pixel right of and below the image's, is its shadow.
    EXPECT_EQ(raised.at(3 + 13 + 1, 2 + 12 + 1), shadow);

    // A grayed item is not highlighted even when selected.
    Rendering exit = renderItem(menu, 3, ODS_GRAYED | ODS_SELECTED);
    EXPECT_EQ(exit.at(1, 1), column);
    EXPECT_FALSE(exit.holds(GlyphMenu::LightenColor(highlight, 0.85), {0, 0, 120, 20}));

    Rendering separator = renderItem(menu, 2, 0);
    EXPECT_EQ(separator.at(1, 9), column);
    EXPECT_EQ(separator.at(columnWidth + 2, 9), ::GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(separator.at(columnWidth + 7, 9), ::GetSysColor(COLOR_BTNSHADOW));
}

} // namespace
