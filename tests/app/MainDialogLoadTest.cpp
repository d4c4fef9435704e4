// Whole loads driven through the main dialog under Wine into the stand-in database, checked
// row by row against the file.
#include "GuiTestSupport.h"
#include "MainDialogHarness.h"
#include "MessageBoxProbe.h"

#include "dbf/DbfTable.h"
#include "platform/CodePage.h"
#include "support/DbfWriter.h"
#include "support/SampleTable.h"

#include <algorithm>
#include <memory>

namespace apptest {
namespace {

// The sample table's record width gives batches of 2453 rows (10,000,000 bytes over 4075).
constexpr int kRecords = 3000;
constexpr int kRowsPerBatch = 2453;

// The rows the file's first `count` records should become in an AL32UTF8 database: each
// field's text cut to its column's width and decoded from the machine's OEM code page, an empty
// text as NULL.
std::vector<std::vector<standin_test::StoredValue>> expectedRows(const std::string& dbfPath,
                                                                 int count) {
    const std::unique_ptr<TextConverter> fromOem =
        TextConverter::forCodePage(platform::oemCodePage());
    DbfTable table;
    std::vector<std::vector<standin_test::StoredValue>> rows;
    if (!table.open(dbfPath.c_str()))
        return rows;
    for (int record = 0; record < count && table.selectRecord(record); ++record) {
        std::vector<standin_test::StoredValue> row;
        for (int field = 0; field < table.fieldCount(); ++field) {
            std::size_t length = 0;
            const char* text = table.field(field).text(length);
            const std::size_t kept = std::min<std::size_t>(length, table.fieldWidth(field));
            row.push_back(length == 0 ? standin_test::StoredValue{} : fromOem->toUtf8(text, kept));
        }
        rows.push_back(row);
    }
    return rows;
}

void expectRowsMatch(const standin_test::StoredTable& stored,
                     const std::vector<std::vector<standin_test::StoredValue>>& expected) {
    ASSERT_EQ(stored.rows.size(), expected.size());
    for (std::size_t row = 0; row < expected.size(); ++row)
        ASSERT_EQ(stored.rows[row], expected[row]) << "row " << row;
}

TEST_F(MainDialogTest, EnterStartsAWholeLoadThatTheCloseGuardCannotInterrupt) {
    database.setCharacterSet("AL32UTF8");
    ASSERT_TRUE(writeSampleTable(dbfPath, kRecords));
    openDialog();
    BoxAnswerer answerer;
    fillFields("CLIENTS");
    // The worker waits after its first array insert until the close request has been
    // refused, so the load is certainly running meanwhile.
    HANDLE resume = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    afterInsert(1, [resume] { ::WaitForSingleObject(resume, 30000); });
    pressKey(1015, VK_RETURN);
    EXPECT_EQ(caption(), "Stop");
    pressKey(1005, VK_ESCAPE);
    ASSERT_TRUE(waitFor([&] { return !answerer.texts().empty(); }));
    EXPECT_EQ(answerer.texts(), std::vector<std::string>{"Stop loading before close application."});
    EXPECT_FALSE(dialog.isEnded());
    EXPECT_EQ(caption(), "Stop");
    // A focus set while the box is still open, or while another window is active, goes
    // nowhere: the box must be gone and the dialog active first.
    ASSERT_TRUE(waitFor([] { return openBoxes().empty(); }));
    ASSERT_TRUE(activate());
    ::SetFocus(item(1006)); // as after a click on Stop that was not made
    ASSERT_EQ(focusedId(), 1006);
    ::SetEvent(resume);

    ASSERT_TRUE(waitForIdle());
    ::CloseHandle(resume);
    clearInsertAction();
    std::vector<std::string> lines = logLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "Start loading..");
    EXPECT_EQ(lines.back(), "Loading completed. 3000 records processed.");
    EXPECT_EQ(dialog.progressBar.pos(), 100);
    // The focus is back on Start, so Enter starts the next load instead of closing. Should the
    // system have taken the activation meanwhile, Start has it when the user comes back.
    ASSERT_TRUE(activate());
    EXPECT_EQ(focusedId(), 1006);
    EXPECT_EQ(answerer.texts().size(), 1u);
    // The picture shows the full bar, the log's lines and Start as the image button draws it.
    const guitest::Rendering picture = guitest::windowPicture(dialog.GetSafeHwnd());
    EXPECT_TRUE(guitest::savePicture(picture, "main-dialog.bmp"));
    const RECT bar = guitest::placeInPicture(dialog.GetSafeHwnd(), item(1011));
    const RECT list = guitest::placeInPicture(dialog.GetSafeHwnd(), item(1005));
    const RECT start = guitest::placeInPicture(dialog.GetSafeHwnd(), item(1006));
    ASSERT_GT(picture.width, bar.right);
    EXPECT_GT(picture.count(::GetSysColor(COLOR_HIGHLIGHT),
                            {bar.right - 8, bar.top, bar.right, bar.bottom}),
              0);
    EXPECT_GT(picture.count(::GetSysColor(COLOR_WINDOWTEXT), list), 100);
    EXPECT_GT(picture.count(::GetSysColor(COLOR_BTNTEXT),
                            {start.left + 2, start.top + 2, start.right - 2, start.bottom - 2}),
              0);
    // The check box beside the table name shows its caption, clear of the field.
    const RECT typed = guitest::placeInPicture(dialog.GetSafeHwnd(), item(1020));
    const RECT tableName = guitest::placeInPicture(dialog.GetSafeHwnd(), item(1003));
    EXPECT_LE(tableName.right, typed.left);
    EXPECT_GT(picture.count(::GetSysColor(COLOR_BTNTEXT), typed), 20);
    expectRowsMatch(database.readTable("SCOTT", "CLIENTS"), expectedRows(dbfPath, kRecords));

    // A second Start empties the log and the bar before the first new line arrives.
    setText(1003, "CLIENTS2");
    const std::size_t before = dialog.snapshots().size();
    click(1006);
    ASSERT_TRUE(waitForIdle());
    const std::vector<LineSnapshot> snapshots = dialog.snapshots();
    ASSERT_GT(snapshots.size(), before);
    EXPECT_EQ(snapshots[before].line, "Start loading..");
    EXPECT_EQ(snapshots[before].logLinesBefore, 0);
    EXPECT_EQ(snapshots[before].progressBefore, 0);
    EXPECT_EQ(logLines().back(), "Loading completed. 3000 records processed.");
}

TEST_F(MainDialogTest, StopKeepsTheCommittedBatchesAndTheDialogWaitsForTheWorker) {
    database.setCharacterSet("AL32UTF8");
    // Three batches: the job looks at the stop flag after the inserts of the first two.
    ASSERT_TRUE(writeSampleTable(dbfPath, 5000));
    openDialog();
    BoxAnswerer answerer;
    fillFields("CLIENTS");
    // Right after the second batch's insert the user presses Stop; the worker then takes its
    // time to end, as a rollback over a slow network would.
    HANDLE finishEnding = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HWND stopButton = item(1006);
    afterInsert(2, [stopButton, finishEnding] {
        ::SendMessageA(stopButton, BM_CLICK, 0, 0);
        ::WaitForSingleObject(finishEnding, 30000);
    });
    click(1006);
    ASSERT_TRUE(waitFor([&] { return caption() == "Start"; }));
    EXPECT_EQ(logLines().back(), "Loading stopped by user request.");
    EXPECT_TRUE(inputsEnabled());
    EXPECT_FALSE(::IsWindowEnabled(item(1006))); // the stopped worker has not returned yet
    // Enter does nothing while it ends; the close command says that the window closes once
    // the load has stopped, once however often it is given.
    pressKey(1003, VK_RETURN);
    EXPECT_EQ(caption(), "Start");
    pressKey(1005, VK_ESCAPE);
    pressKey(1005, VK_ESCAPE);
    guitest::pumpFor(100);
    EXPECT_FALSE(dialog.isEnded());
    std::vector<std::string> lines = logLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "Loading stopped by user request.");
    EXPECT_EQ(lines.back(), "Waiting for the load to stop..");

    ::SetEvent(finishEnding);
    ASSERT_TRUE(waitFor([&] { return dialog.isEnded(); }));
    ::CloseHandle(finishEnding);
    EXPECT_TRUE(answerer.texts().empty());
    EXPECT_EQ(logLines(), lines);
    expectRowsMatch(database.readTable("SCOTT", "CLIENTS"), expectedRows(dbfPath, kRowsPerBatch));
}

TEST_F(MainDialogTest, AMissingMemoFileStopsTheLoadWithABoxThatNamesIt) {
    ASSERT_TRUE(writeSampleTable(dbfPath, 20));
    const std::string memoPath = dbfPath.substr(0, dbfPath.size() - 3) + "FPT";
    ASSERT_TRUE(::DeleteFileA(memoPath.c_str()));
    openDialog();
    BoxAnswerer answerer;
    fillFields("CLIENTS");
    click(1006);
    ASSERT_TRUE(waitForIdle());
    const std::string text = "Cannot find memo file " + memoPath +
                             ". The table's memos are kept in it: copy it beside the table.";
    EXPECT_EQ(answerer.texts(), std::vector<std::string>{text});
    EXPECT_EQ(logLines(), (std::vector<std::string>{"Start loading..", text}));
    EXPECT_EQ(caption(), "Start");
    EXPECT_TRUE(inputsEnabled());
    EXPECT_TRUE(database.tableNames("SCOTT").empty());
}

TEST_F(MainDialogTest, AStopAfterCutValuesIsFollowedByTheLineThatCountsThem) {
    database.setCharacterSet("AL32UTF8");
    // Five memo fields make batches of 1000 rows; every memo of box-drawing lines is cut.
    FptWriter memos(64);
    const std::uint32_t boxLines = memos.addMemo(std::string(1998, '\xC4'));
    ASSERT_TRUE(memos.writeTo(dbfPath.substr(0, dbfPath.size() - 3) + "FPT"));
    DbfWriter table;
    table.addField("NAME", 'C', 10);
    for (int memo = 1; memo <= 5; ++memo)
        table.addField("NOTE" + std::to_string(memo), 'M', 10);
    for (int record = 0; record < 2500; ++record)
        table.addRecord({"N" + std::to_string(record), memoFieldText(boxLines, 10)});
    ASSERT_TRUE(table.writeTo(dbfPath));
    openDialog();
    BoxAnswerer answerer;
    fillFields("CUT");
    HWND stopButton = item(1006);
    afterInsert(2, [stopButton] { ::SendMessageA(stopButton, BM_CLICK, 0, 0); });
    click(1006);
    ASSERT_TRUE(waitForIdle());
    clearInsertAction();
    const std::vector<std::string> logged = logLines();
    ASSERT_GE(logged.size(), 2u);
    EXPECT_EQ(logged[logged.size() - 2], "Loading stopped by user request.");
    EXPECT_EQ(logged.back(), "1000 values were cut to fit their columns: NOTE1.");
    // The line finds the dialog idle and leaves it so: Start, which had the focus when it
    // was pressed as Stop, gets it back when the worker returns.
    EXPECT_EQ(caption(), "Start");
    EXPECT_TRUE(inputsEnabled());
    EXPECT_TRUE(::IsWindowEnabled(item(1006)));
    EXPECT_EQ(::GetFocus(), item(1006));
    EXPECT_EQ(database.readTable("SCOTT", "CUT").rows.size(), 1000u);
}

TEST_F(MainDialogTest, NationalTextsCrossTheDialogInTheAnsiCodePage) {
    database.setCharacterSet("AL32UTF8");
    database.addUser("M\xC3\x9CLLER", "Gr\xC3\xBC\xC3\x9F"
                                      "e1");
    ASSERT_TRUE(writeSampleTable(dbfPath, 20));
    openDialog();
    BoxAnswerer answerer;
    // The fields hold the ANSI code page (1252 under Wine); the job gets UTF-8.
    fillFields("PR\xDC"
               "FUNG");
    setText(1013, "M\xDCLLER");
    setText(1014, "Gr\xFC\xDF"
                  "e1");
    click(1006);
    ASSERT_TRUE(waitForIdle());
    EXPECT_TRUE(answerer.texts().empty());
    std::vector<std::string> lines = logLines();
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[5], "Importing file into table PR\xDC"
                        "FUNG..");
    expectRowsMatch(database.readTable("M\xC3\x9CLLER", "PR\xC3\x9C"
                                                        "FUNG"),
                    expectedRows(dbfPath, 20));

    // Oracle's German message, in UTF-8 from the client, shows in the ANSI code page.
    standin_test::StandinDatabase::setEnvironmentVariable("NLS_LANG",
                                                          "GERMAN_GERMANY.WE8MSWIN1252");
    setText(1014, "falsch");
    click(1006);
    ASSERT_TRUE(waitForIdle());
    standin_test::StandinDatabase::setEnvironmentVariable("NLS_LANG", "");
    const std::string refused = "ORA-01017: Benutzername/Kennwort ung\xFCltig; Anmeldung abgelehnt";
    ASSERT_EQ(answerer.texts().size(), 1u);
    // The box shows the line feed as a line break.
    EXPECT_EQ(answerer.texts()[0], refused + "\r\n");
    // The log shows it as one line, without the line feed.
    EXPECT_EQ(logLines().back(), refused);
}

TEST_F(MainDialogTest, TypedColumnsIsAnInputAfterTheTableNameThatTheLoadTakes) {
    database.setCharacterSet("AL32UTF8");
    ASSERT_TRUE(writeSampleTable(dbfPath, 20));
    openDialog();
    BoxAnswerer answerer;
    EXPECT_EQ(::SendMessageA(item(1020), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    // In the tab order between the table name and the user name.
    pressKey(1003, VK_TAB);
    EXPECT_EQ(::GetFocus(), item(1020));
    pressKey(1020, VK_TAB);
    EXPECT_EQ(::GetFocus(), item(1013));
    pressKey(1020, VK_SPACE);
    EXPECT_EQ(::SendMessageA(item(1020), BM_GETCHECK, 0, 0), BST_CHECKED);

    fillFields("TYPED");
    click(1006);
    ASSERT_TRUE(waitForIdle());
    EXPECT_TRUE(answerer.texts().empty());
    // Like every input, the check box cannot change while the load runs.
    EXPECT_TRUE(dialog.snapshots().front().inputsDisabled);
    EXPECT_TRUE(::IsWindowEnabled(item(1020)));
    const standin_test::StoredTable typed = database.readTable("SCOTT", "TYPED");
    ASSERT_EQ(typed.rows.size(), 20u);
    EXPECT_EQ(typed.columnTypes, (std::vector<std::string>{
                                     "NUMBER(6)", "VARCHAR2(24 CHAR)", "VARCHAR2(16 CHAR)", "DATE",
                                     "CHAR(1)", "NUMBER(14,2)", "NUMBER(10)", "CLOB", "CLOB"}));

    // A click clears it again, and the next load is the default one.
    click(1020);
    EXPECT_EQ(::SendMessageA(item(1020), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    setText(1003, "PLAIN");
    click(1006);
    ASSERT_TRUE(waitForIdle());
    expectRowsMatch(database.readTable("SCOTT", "PLAIN"), expectedRows(dbfPath, 20));
}

} // namespace
} // namespace apptest
