// The main dialog's pixels after the user resizes it with the mouse: every control drawn
// whole where it now is, nothing left behind where it was.
#include "GuiTestSupport.h"
#include "MainDialogHarness.h"

#include <atomic>
#include <sstream>

namespace apptest {
namespace {

// Real mouse input from a thread of its own while this thread handles the dialog's messages:
// the system's sizing loop runs inside the dialog's thread, so the input cannot come from it.
void actAsUser(const std::function<void()>& actions) {
    std::atomic<bool> done{false};
    std::thread user([&] {
        actions();
        done = true;
    });
    guitest::pumpUntil([&] { return done.load(); }, 30000);
    user.join();
    // What the last move made the window paint is painted before anyone looks.
    guitest::pumpFor(300);
}

POINT bottomRightCorner(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return {rect.right - 2, rect.bottom - 2};
}

// Drags the window's bottom right corner by (dx, dy) in `steps` moves.
void dragCorner(HWND window, int dx, int dy, int steps) {
    const POINT from = bottomRightCorner(window);
    actAsUser([&] {
        guitest::moveMouse(from);
        guitest::pressLeft();
        for (int step = 1; step <= steps; ++step)
            guitest::moveMouse({from.x + dx * step / steps, from.y + dy * step / steps});
        guitest::releaseLeft();
    });
}

void doubleClickCaption(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    POINT client{0, 0};
    ::ClientToScreen(window, &client);
    const POINT caption{rect.left + 120, (rect.top + client.y) / 2};
    actAsUser([&] {
        guitest::moveMouse(caption);
        guitest::clickAt(caption);
        guitest::clickAt(caption);
    });
}

struct Child {
    HWND window;
    int id;
    RECT rect; // client coordinates of the dialog
    bool groupBox;
};

std::vector<Child> childrenOf(HWND dialog) {
    std::vector<Child> children;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT rect{};
        ::GetWindowRect(child, &rect);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        const LONG style = ::GetWindowLongA(child, GWL_STYLE);
        char className[16] = {};
        ::GetClassNameA(child, className, sizeof(className));
        const bool groupBox = lstrcmpiA(className, "Button") == 0 && (style & 0x0F) == BS_GROUPBOX;
        children.push_back({child, ::GetDlgCtrlID(child), rect, groupBox});
    }
    return children;
}

int differingPixels(const guitest::Rendering& one, const guitest::Rendering& other,
                    const RECT& area) {
    int differing = 0;
    for (int y = std::max<LONG>(area.top, 0); y < std::min<LONG>(area.bottom, one.height); ++y)
        for (int x = std::max<LONG>(area.left, 0); x < std::min<LONG>(area.right, one.width); ++x)
            if (one.at(x, y) != other.at(x, y))
                ++differing;
    return differing;
}

// The dialog's own surface: every pixel that no control covers. A group box covers only its
// caption line and its frame lines; what lies inside it is the dialog's.
std::vector<bool> bareSurface(const guitest::Rendering& picture,
                              const std::vector<Child>& children) {
    std::vector<bool> bare(static_cast<size_t>(picture.width) * picture.height, true);
    const auto cover = [&](LONG left, LONG top, LONG right, LONG bottom) {
        for (LONG y = std::max<LONG>(top, 0); y < std::min<LONG>(bottom, picture.height); ++y)
            for (LONG x = std::max<LONG>(left, 0); x < std::min<LONG>(right, picture.width); ++x)
                bare[static_cast<size_t>(y) * picture.width + x] = false;
    };
    constexpr LONG kGroupCaption = 14;
    constexpr LONG kGroupLine = 3;
    for (const Child& child : children) {
        const RECT& r = child.rect;
        if (!child.groupBox) {
            cover(r.left, r.top, r.right, r.bottom);
            continue;
        }
        cover(r.left, r.top, r.right, r.top + kGroupCaption);
        cover(r.left, r.top, r.left + kGroupLine, r.bottom);
        cover(r.right - kGroupLine, r.top, r.right, r.bottom);
        cover(r.left, r.bottom - kGroupLine, r.right, r.bottom);
    }
    return bare;
}

// Checks the dialog as it shows itself now against what it shows once every window has
// painted itself afresh, and the dialog's bare surface against its background colour.
void expectDrawnWhole(HWND dialog, const std::string& pictureName) {
    const guitest::Rendering shown = guitest::clientAsShown(dialog);
    ASSERT_GT(shown.width, 0);
    EXPECT_TRUE(guitest::savePicture(shown, pictureName));
    ::RedrawWindow(dialog, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    guitest::pumpFor(100);
    const guitest::Rendering fresh = guitest::clientAsShown(dialog);
    ASSERT_EQ(fresh.width, shown.width);
    ASSERT_EQ(fresh.height, shown.height);

    const std::vector<Child> children = childrenOf(dialog);
    for (const Child& child : children)
        EXPECT_EQ(differingPixels(shown, fresh, child.rect), 0)
            << "control " << child.id << " is not drawn whole";
    // The moved controls' captions (the browse button's icon) are there to be compared.
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF text = ::GetSysColor(COLOR_BTNTEXT);
    for (const Child& child : children) {
        const RECT inner{child.rect.left + 3, child.rect.top + 3, child.rect.right - 3,
                         child.rect.bottom - 3};
        const int area = (inner.right - inner.left) * (inner.bottom - inner.top);
        if (child.id == 1006 || child.id == 2 || child.id == 1020) {
            EXPECT_GT(fresh.count(text, inner), 20) << "control " << child.id;
        } else if (child.id == 1001) {
            EXPECT_GT(area - fresh.count(face, inner), 20) << "the browse button's icon";
        }
    }

    const std::vector<bool> bare = bareSurface(shown, children);
    int leftovers = 0;
    std::ostringstream first;
    for (int y = 0; y < shown.height; ++y)
        for (int x = 0; x < shown.width; ++x)
            if (bare[static_cast<size_t>(y) * shown.width + x] && shown.at(x, y) != face) {
                if (leftovers++ == 0)
                    first << " first at " << x << "," << y;
            }
    EXPECT_EQ(leftovers, 0) << "pixels left on the dialog's surface;" << first.str();
}

TEST_F(MainDialogTest, EveryControlIsDrawnWholeAfterTheUserResizesTheWindow) {
    openDialog();
    HWND hwnd = dialog.GetSafeHwnd();
    ASSERT_TRUE(activate());
    // No caret blinks in the pictures.
    ::SetFocus(item(1006));
    RECT start{};
    ::GetWindowRect(hwnd, &start);

    // Slowly, then in one quick move.
    dragCorner(hwnd, 220, 150, 22);
    RECT dragged{};
    ::GetWindowRect(hwnd, &dragged);
    ASSERT_EQ(dragged.right - dragged.left, start.right - start.left + 220);
    expectDrawnWhole(hwnd, "main-dialog-dragged.bmp");
    dragCorner(hwnd, 90, 60, 1);
    expectDrawnWhole(hwnd, "main-dialog-dragged-quickly.bmp");

    // As far in as the window goes.
    dragCorner(hwnd, -700, -500, 12);
    RECT smallest{};
    ::GetWindowRect(hwnd, &smallest);
    ASSERT_EQ(smallest.right - smallest.left, start.right - start.left - 70);
    expectDrawnWhole(hwnd, "main-dialog-minimum.bmp");

    doubleClickCaption(hwnd);
    ASSERT_TRUE(::IsZoomed(hwnd));
    expectDrawnWhole(hwnd, "main-dialog-maximized.bmp");
}

} // namespace
} // namespace apptest
