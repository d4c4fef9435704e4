// The dialog class under Wine: data exchange, the modal loop with its PreTranslateMessage
// routing, keyboard ending, owners, registered messages and the windows a dialog owns.
#include "FrameworkTestResource.h"
#include "GuiTestSupport.h"

#include "framework/CDialog.h"
#include "framework/CEdit.h"
#include "framework/CToolTipCtrl.h"
#include "framework/CWinApp.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

namespace {

const UINT kConsumedProbe = WM_APP + 1;
const UINT kPassedProbe = WM_APP + 2;

class RecordingEdit : public CEdit {
  public:
    void PreSubclassWindow() override {
        ++preSubclassCalls;
        handleDuringPreSubclass = GetSafeHwnd();
    }
    bool PreTranslateMessage(MSG* msg) override {
        if (msg->message >= WM_APP)
            preTranslated.push_back(msg->message);
        return msg->message == kConsumedProbe;
    }
    int preSubclassCalls = 0;
    HWND handleDuringPreSubclass = nullptr;
    std::vector<UINT> preTranslated;
};

class TestDialog : public CDialog {
  public:
    explicit TestDialog(CWnd* parent = nullptr) : CDialog(IDD_FRAMEWORK_TEST, parent) {}

    std::string name = "initial";
    RecordingEdit edit;
    CEdit missing;
    bool exchangeMissing = false;
    std::function<void(TestDialog&)> onInit;
    const UINT registeredMessage = ::RegisterWindowMessageA("MARLIN_FRAMEWORK_TEST_MESSAGE");
    std::vector<UINT> preTranslatedForChildren;

  protected:
    void DoDataExchange(CDataExchange* exchange) override {
        DDX_Control(exchange, IDC_TEST_EDIT, edit);
        DDX_Text(exchange, IDC_TEST_EDIT, name);
        if (exchangeMissing)
            DDX_Control(exchange, IDC_TEST_MISSING, missing);
    }
    BOOL OnInitDialog() override {
        BOOL focusDefault = CDialog::OnInitDialog();
        if (onInit)
            onInit(*this);
        return focusDefault;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == registeredMessage)
            return 42;
        return CDialog::WindowProc(message, wParam, lParam);
    }
    bool PreTranslateMessage(MSG* msg) override {
        if (msg->message >= WM_APP && msg->hwnd != GetSafeHwnd())
            preTranslatedForChildren.push_back(msg->message);
        if (msg->message == kPassedProbe)
            EndDialog(77);
        return CDialog::PreTranslateMessage(msg);
    }
};

void postKey(HWND hwnd, WPARAM key) {
    ::PostMessageA(hwnd, WM_KEYDOWN, key, 1);
    ::PostMessageA(hwnd, WM_KEYUP, key, 0xC0000001);
}

TEST(Dialog, ModelessDialogAttachesControlsAndExchangesTextBothWays) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create());
    HWND editWindow = ::GetDlgItem(dialog.GetSafeHwnd(), IDC_TEST_EDIT);
    EXPECT_EQ(dialog.edit.GetSafeHwnd(), editWindow);
    EXPECT_EQ(dialog.edit.handleDuringPreSubclass, editWindow);
    EXPECT_EQ(CWnd::FromHandle(editWindow), &dialog.edit);
    EXPECT_EQ(guitest::windowText(editWindow), "initial");

    ::SetWindowTextA(editWindow, "typed by the user");
    EXPECT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.name, "typed by the user");
    dialog.name = "set by the program";
    EXPECT_TRUE(dialog.UpdateData(false));
    EXPECT_EQ(guitest::windowText(editWindow), "set by the program");
    EXPECT_EQ(dialog.edit.preSubclassCalls, 1); // attached once, not at every exchange

    // A control missing from the template fails the exchange but not what came before.
    dialog.exchangeMissing = true;
    ::SetWindowTextA(editWindow, "second");
    EXPECT_FALSE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.name, "second");
    EXPECT_EQ(dialog.missing.GetSafeHwnd(), nullptr);

    EXPECT_TRUE(dialog.DestroyWindow());
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
    EXPECT_EQ(dialog.edit.GetSafeHwnd(), nullptr);
    EXPECT_FALSE(::IsWindow(editWindow));
}

TEST(Dialog, ModalLoopRoutesMessagesThroughControlThenParents) {
    TestDialog dialog;
    dialog.onInit = [](TestDialog& self) {
        ::PostMessageA(self.edit.GetSafeHwnd(), kConsumedProbe, 0, 0);
        ::PostMessageA(self.edit.GetSafeHwnd(), kPassedProbe, 0, 0);
    };
    EXPECT_EQ(dialog.DoModal(), 77);
    // The control saw both; the one it consumed never reached the dialog.
    EXPECT_EQ(dialog.edit.preTranslated, (std::vector<UINT>{kConsumedProbe, kPassedProbe}));
    EXPECT_EQ(dialog.preTranslatedForChildren, (std::vector<UINT>{kPassedProbe}));
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
    EXPECT_EQ(dialog.edit.GetSafeHwnd(), nullptr);
}

TEST(Dialog, EnterTakesTheTextAndEndsWithOkWhileEscEndsWithCancel) {
    TestDialog entered;
    entered.onInit = [](TestDialog& self) {
        ::SetWindowTextA(self.edit.GetSafeHwnd(), "confirmed");
        postKey(self.edit.GetSafeHwnd(), VK_RETURN);
    };
    EXPECT_EQ(entered.DoModal(), IDOK);
    EXPECT_EQ(entered.name, "confirmed");

    TestDialog escaped;
    escaped.onInit = [](TestDialog& self) {
        ::SetWindowTextA(self.edit.GetSafeHwnd(), "dropped");
        postKey(self.edit.GetSafeHwnd(), VK_ESCAPE);
    };
    EXPECT_EQ(escaped.DoModal(), IDCANCEL);
    EXPECT_EQ(escaped.name, "initial");

    TestDialog closed;
    closed.onInit = [](TestDialog& self) { ::PostMessageA(self.GetSafeHwnd(), WM_CLOSE, 0, 0); };
    EXPECT_EQ(closed.DoModal(), IDCANCEL);
}

TEST(Dialog, ModalDialogIsOwnedByTheMainWindowOfItsOwnThreadOnly) {
    CWinApp application;
    TestDialog mainDialog;
    ASSERT_TRUE(mainDialog.Create());
    ::ShowWindow(mainDialog.GetSafeHwnd(), SW_SHOW);
    application.mainWindow = &mainDialog;

    HWND ownerSeen = nullptr;
    bool mainEnabledMeanwhile = true;
    TestDialog box;
    box.onInit = [&](TestDialog& self) {
        ownerSeen = ::GetWindow(self.GetSafeHwnd(), GW_OWNER);
        mainEnabledMeanwhile = ::IsWindowEnabled(mainDialog.GetSafeHwnd()) != FALSE;
        self.EndDialog(IDOK);
    };
    EXPECT_EQ(box.DoModal(), IDOK);
    EXPECT_EQ(ownerSeen, mainDialog.GetSafeHwnd());
    EXPECT_FALSE(mainEnabledMeanwhile);
    EXPECT_TRUE(::IsWindowEnabled(mainDialog.GetSafeHwnd()));

    // On another thread the same call finds no main window of its own.
    HWND workerOwner = reinterpret_cast<HWND>(1);
    std::thread worker([&] {
        TestDialog workerBox;
        workerBox.onInit = [&](TestDialog& self) {
            workerOwner = ::GetWindow(self.GetSafeHwnd(), GW_OWNER);
            self.EndDialog(IDOK);
        };
        workerBox.DoModal();
    });
    guitest::pumpUntil([&] { return workerOwner != reinterpret_cast<HWND>(1); });
    worker.join();
    EXPECT_EQ(workerOwner, nullptr);
    EXPECT_TRUE(::IsWindowEnabled(mainDialog.GetSafeHwnd()));
    application.mainWindow = nullptr;
}

TEST(Dialog, RegisteredMessageReachesTheHandlerBeforeTheSwitch) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(::SendMessageA(dialog.GetSafeHwnd(), dialog.registeredMessage, 0, 0), 42);
}

TEST(Dialog, WindowsTheDialogOwnsGoAwayWithIt) {
    CToolTipCtrl tip;
    HWND tipWindow = nullptr;
    HWND editWindow = nullptr;
    TestDialog dialog;
    dialog.onInit = [&](TestDialog& self) {
        ASSERT_TRUE(tip.Create(&self.edit));
        tipWindow = tip.GetSafeHwnd();
        editWindow = self.edit.GetSafeHwnd();
        self.EndDialog(IDOK);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    ASSERT_NE(tipWindow, nullptr);
    EXPECT_FALSE(::IsWindow(tipWindow));
    EXPECT_FALSE(::IsWindow(editWindow));
    EXPECT_EQ(tip.GetSafeHwnd(), nullptr);

    // An object that goes out of scope first takes its window with it.
    TestDialog modeless;
    ASSERT_TRUE(modeless.Create());
    HWND modelessWindow = modeless.GetSafeHwnd();
    {
        CToolTipCtrl shortLived;
        ASSERT_TRUE(shortLived.Create(&modeless));
        tipWindow = shortLived.GetSafeHwnd();
    }
    EXPECT_FALSE(::IsWindow(tipWindow));
    EXPECT_TRUE(::IsWindow(modelessWindow));
}

} // namespace
