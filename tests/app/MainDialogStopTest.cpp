// A load whose call to Oracle never returns, stopped with the mouse and the keyboard: the
// dialog shows the load ending, and a second Stop or a close breaks the call.
#include "GuiTestSupport.h"
#include "MainDialogHarness.h"
#include "MessageBoxProbe.h"

#include "app/DialogLoad.h"
#include "support/SampleTable.h"

namespace apptest {
namespace {

// Batches of 2453 rows: the third commit comes after 4906 rows are committed.
constexpr int kRecords = 8000;
constexpr std::size_t kCommittedRows = 4906;

class HungCommitTest : public MainDialogTest {
  protected:
    HungCommitTest() { database.useEnvironment("commit#3=block"); }

    // A click on Start or Stop; never two so close that they make a double click, of which
    // the button takes the first click only.
    void clickStartStop() {
        guitest::pumpFor(::GetDoubleClickTime() + 50);
        guitest::clickAt(guitest::centreOf(item(1006)));
    }

    // Starts a load with a click and waits until its third commit hangs.
    void startUntilTheCommitHangs(const std::string& tableName) {
        fillFields(tableName);
        clickStartStop();
        ASSERT_TRUE(waitFor([this] { return database.hasABlockedCall(); }));
        ASSERT_EQ(caption(), "Stop");
    }

    void expectEnding() {
        EXPECT_EQ(caption(), "Stop");
        EXPECT_TRUE(::IsWindowEnabled(item(1006)));
        for (int id : {1000, 1001, 1003, 1013, 1014, 1015, 1020})
            EXPECT_FALSE(::IsWindowEnabled(item(id))) << id;
        // Enter presses Stop, not Cancel.
        EXPECT_EQ(focusedId(), 1006);
    }
};

TEST_F(HungCommitTest, ASecondStopBreaksTheCallAndTheLoadEndsWithTheCommittedBatches) {
    ASSERT_TRUE(writeSampleTable(dbfPath, kRecords));
    openDialog();
    BoxAnswerer answerer;
    ASSERT_TRUE(activate());
    startUntilTheCommitHangs("CLIENTS");

    clickStartStop();
    ASSERT_TRUE(
        waitFor([this] { return logLines().back() == "Loading stopped by user request."; }));
    // The worker hangs on: the load is ending, not ended.
    guitest::pumpFor(500);
    ASSERT_TRUE(database.hasABlockedCall());
    expectEnding();

    clickStartStop();
    ASSERT_TRUE(waitForIdle());
    // The job's ending says last what the committed rows hold: the sample's deleted record.
    const std::vector<std::string> lines = logLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
              (std::vector<std::string>{"Loading stopped by user request.",
                                        "Breaking the Oracle call in progress..",
                                        "1 record marked as deleted was loaded."}));
    EXPECT_TRUE(inputsEnabled());
    EXPECT_EQ(focusedId(), 1006);
    EXPECT_FALSE(database.hasABlockedCall());
    EXPECT_TRUE(answerer.texts().empty());
    EXPECT_EQ(database.readTable("SCOTT", "CLIENTS").rows.size(), kCommittedRows);
}

TEST_F(HungCommitTest, EscAfterStopBreaksTheCallAndClosesTheWindow) {
    ASSERT_TRUE(writeSampleTable(dbfPath, kRecords));
    openDialog();
    BoxAnswerer answerer;
    ASSERT_TRUE(activate());
    startUntilTheCommitHangs("CLIENTS");
    // Esc while the load runs is refused, as before.
    guitest::pressKey(VK_ESCAPE);
    ASSERT_TRUE(waitFor([&] { return !answerer.texts().empty(); }));
    EXPECT_EQ(answerer.texts(), std::vector<std::string>{"Stop loading before close application."});
    ASSERT_TRUE(waitFor([] { return openBoxes().empty(); }));
    ASSERT_TRUE(activate());
    ASSERT_EQ(focusedId(), 1006);

    guitest::pressKey(VK_RETURN);
    ASSERT_TRUE(
        waitFor([this] { return logLines().back() == "Loading stopped by user request."; }));
    guitest::pumpFor(300);
    expectEnding();
    guitest::pressKey(VK_ESCAPE);
    ASSERT_TRUE(waitFor([this] { return dialog.isEnded(); }, 5000));
    const std::vector<std::string> lines = logLines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
              (std::vector<std::string>{"Loading stopped by user request.",
                                        "Waiting for the load to stop..",
                                        "Breaking the Oracle call in progress..",
                                        "1 record marked as deleted was loaded."}));
    EXPECT_EQ(answerer.texts().size(), 1u);
    EXPECT_EQ(database.readTable("SCOTT", "CLIENTS").rows.size(), kCommittedRows);
}

} // namespace
} // namespace apptest
