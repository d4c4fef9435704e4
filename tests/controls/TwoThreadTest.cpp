// Message boxes, each with its image button, open and close on two threads at once while
// the image buttons of a dialog on this thread repaint. The test dialog stands in for the
// main dialog, whose Start and Cancel buttons are image buttons of the same kind.
#include "ControlsTestResource.h"
#include "ControlsTestSupport.h"
#include "GuiTestSupport.h"
#include "app/MessageBoxProbe.h"

#include "app/AppMessageBoxDlg.h"
#include "controls/GlyphMenuShared.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace {

using namespace controlstest;

const int kBoxesPerThread = 4;

TEST(ImageButtonThreads, MessageBoxesOnTwoThreadsWhileTheDialogButtonsRepaint) {
    std::atomic<int> boxesClosed{0};
    // How each box ended, for a failure to show: anything but IDOK was no click on OK.
    std::mutex resultsLock;
    std::vector<INT_PTR> results;
    // The workers start first, so that the class-wide state is first used by three
    // threads at once.
    std::vector<std::thread> workers;
    for (int worker = 0; worker < 2; ++worker)
        workers.emplace_back([&, worker] {
            for (int box = 0; box < kBoxesPerThread; ++box) {
                std::string text =
                    "worker " + std::to_string(worker) + ", box " + std::to_string(box);
                const INT_PTR result = AppMessageBoxDlg::run(text.c_str());
                std::lock_guard<std::mutex> guard(resultsLock);
                results.push_back(result);
                ++boxesClosed;
            }
        });
    auto dialog = std::make_unique<ButtonTestDialog>();
    ASSERT_TRUE(dialog->open());
    ::SendMessageA(dialog->GetSafeHwnd(), DM_SETDEFID, IDC_TEST_START, 0);

    std::set<HWND> boxesSeen;
    std::map<HWND, DWORD> lastClick;
    bool everyOkOwnerDrawnAndDefault = true;
    // Repaints of this thread's buttons made while a box was open on another thread.
    int startPaintsBesideBoxes = 0;
    int cancelPaintsBesideBoxes = 0;
    const DWORD start = ::GetTickCount();
    while (boxesClosed < 2 * kBoxesPerThread && ::GetTickCount() - start < 30000) {
        const std::vector<HWND> boxes = apptest::openBoxes();
        // This thread's buttons repaint while the boxes' buttons paint on their threads.
        const int startPaints = dialog->start.paints;
        const int cancelPaints = dialog->cancel.paints;
        for (CButtonFX* button : {&dialog->start, &dialog->cancel, &dialog->ok}) {
            button->invalidate();
            ::UpdateWindow(button->GetSafeHwnd());
        }
        if (!boxes.empty()) {
            startPaintsBesideBoxes += dialog->start.paints - startPaints;
            cancelPaintsBesideBoxes += dialog->cancel.paints - cancelPaints;
        }
        for (HWND box : boxes) {
            if (boxesSeen.insert(box).second) {
                // Not clicked before this thread has repainted once more beside it.
                HWND ok = ::GetDlgItem(box, IDOK);
                ::RedrawWindow(ok, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                everyOkOwnerDrawnAndDefault &=
                    (::GetWindowLongA(ok, GWL_STYLE) & 0x1F) == BS_OWNERDRAW &&
                    (::SendMessageA(ok, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) != 0;
                continue;
            }
            // Clicked again when still open: a click can be lost when the other box's thread
            // takes the activation between button down and up.
            if (::GetTickCount() - lastClick[box] < 300)
                continue;
            lastClick[box] = ::GetTickCount();
            apptest::postOkClick(box);
        }
        guitest::pumpFor(5);
    }
    for (std::thread& worker : workers)
        worker.join();
    EXPECT_EQ(results, std::vector<INT_PTR>(2 * kBoxesPerThread, IDOK));
    EXPECT_EQ(boxesSeen.size(), static_cast<size_t>(2 * kBoxesPerThread));
    EXPECT_TRUE(everyOkOwnerDrawnAndDefault);
    // Each worker shows its boxes one after another, and each box stays open over at least
    // one repaint here.
    EXPECT_GE(startPaintsBesideBoxes, kBoxesPerThread);
    EXPECT_GE(cancelPaintsBesideBoxes, kBoxesPerThread);
    EXPECT_TRUE(dialog->start.isDefault());
    EXPECT_TRUE(apptest::openBoxes().empty());
}

// The registry of submenus and the look settings, written by three threads at once as the
// interface thread's menus and those of message boxes on workers write them. Left unlocked,
// an entry added by one thread is lost to another's, or a reader sees half a setting.
// One batch of rounds on three threads started together; adds what it saw go wrong.
void hammerSharedState(int rounds, std::atomic<int>& lostEntries, std::atomic<int>& tornLooks) {
    GlyphMenuShared& shared = GlyphMenuShared::instance();
    std::atomic<int> ready{0};
    const auto work = [&](int thread) {
        GlyphMenuLook mine;
        const bool on = thread % 2 == 0;
        mine.xpLookOnXp = mine.xpLookElsewhere = mine.wideGap = on;
        mine.selectDisabledClassic = mine.selectDisabledXp = on;
        ++ready;
        while (ready < 3)
            std::this_thread::yield();
        for (int round = 0; round < rounds; ++round) {
            // Values no real menu handle has: the registry only compares them.
            const auto menu = reinterpret_cast<HMENU>(
                static_cast<UINT_PTR>(0x7A000000u + (thread << 20) + round));
            shared.addOwnMenu(menu);
            if (!shared.isOwnMenu(menu))
                ++lostEntries;
            shared.forgetOwnMenu(menu);
            if (shared.isOwnMenu(menu))
                ++lostEntries;
            if (round % 16 == 0)
                shared.setLook(mine);
            const GlyphMenuLook seen = shared.look();
            if (seen.xpLookOnXp != seen.xpLookElsewhere || seen.xpLookOnXp != seen.wideGap ||
                seen.xpLookOnXp != seen.selectDisabledClassic ||
                seen.xpLookOnXp != seen.selectDisabledXp)
                ++tornLooks;
        }
    };
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 3; ++thread)
        threads.emplace_back(work, thread);
    for (std::thread& thread : threads)
        thread.join();
}

// The registry of submenus and the look settings, written by three threads at once as the
// interface thread's menus and those of message boxes on workers write them. Left unlocked,
// an entry added by one thread is lost to another's, or a reader sees half a setting: with
// two cores a batch shows it more often than not, and eight batches all but always.
TEST(ImageButtonThreads, TheClassWideRegistryAndLookStayWholeOnThreeThreads) {
    const GlyphMenuLook before = GlyphMenuShared::instance().look();
    std::atomic<int> lostEntries{0};
    std::atomic<int> tornLooks{0};
    for (int batch = 0; batch < 8; ++batch)
        hammerSharedState(200000, lostEntries, tornLooks);
    GlyphMenuShared::instance().setLook(before);
    EXPECT_EQ(lostEntries, 0);
    EXPECT_EQ(tornLooks, 0);
}

} // namespace
