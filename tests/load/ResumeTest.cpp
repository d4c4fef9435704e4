// A load that resumes into the table an earlier load of the same file left: after a stop, a
// failed commit, a commit whose outcome was lost with the connection; complete, too long and
// typed tables.
#include "load/LoadJobHarness.h"

using standin_test::StandinDatabase;

namespace {

std::vector<std::string> names(const standin_test::StoredTable& table) {
    std::vector<std::string> result;
    for (const auto& row : table.rows)
        result.push_back(row.at(0).value_or("NULL"));
    return result;
}

std::vector<std::string> clientNames(int count) {
    std::vector<std::string> result;
    for (int record = 0; record < count; ++record)
        result.push_back(clientName(record));
    return result;
}

const std::string kInDoubt = "Error during commit (at end).\nORA-03113: end-of-file on "
                             "communication channel\nThe last batch of 500 rows may or may not "
                             "have been committed.";
const std::string kResumeAdvice =
    " Run the same load with --resume to continue: it counts the rows the table holds.";

class ResumeTest : public LoadJobTest {
  protected:
    ResumeTest() { request.options.commandLine = true; }

    void resume() {
        request.options.existingTable = ExistingTable::Resume;
        runLoad();
    }
    // Asks for a stop as soon as the job reports `line`.
    void stopAt(const std::string& line) {
        onEvent = [this, line](const JobEvent& event) {
            if (event.text == line)
                stop.clear();
        };
    }
    std::vector<std::string> resumedLines(int rowsHeld, int records,
                                          std::vector<std::string> transfer) const {
        std::vector<std::string> lines = {"Start loading..",
                                          "Connecting to Oracle..",
                                          "Connected.",
                                          "Table CLIENTS exists; resuming the load into it.",
                                          "Open file for read..",
                                          std::to_string(records) + " rows in file.",
                                          "Table CLIENTS holds " + std::to_string(rowsHeld) +
                                              " rows; loading the file from record " +
                                              std::to_string(rowsHeld + 1) + ".",
                                          "Importing file into table CLIENTS.."};
        lines.insert(lines.end(), transfer.begin(), transfer.end());
        return lines;
    }
};

} // namespace

TEST_F(ResumeTest, AStoppedLoadGoesOnWhereItEndedAndACompleteTableIsLeftAsItIs) {
    // With no table yet, a resume is a whole load.
    writeTable(wideClientTable(2500));
    stopAt("Commit point reached. 1000 rows imported..");
    resume();
    ASSERT_EQ(result.outcome, LoadJob::Outcome::Stopped);
    EXPECT_FALSE(result.tableExisted);
    ASSERT_EQ(names(loadedTable()), clientNames(1000));

    onEvent = nullptr;
    resume();
    EXPECT_TRUE(messages().empty());
    // The commit lines and the last one count the rows the table held before.
    EXPECT_EQ(statusLines(), resumedLines(1000, 2500,
                                          {"Commit point reached. 2000 rows imported..",
                                           "Loading completed. 2500 records processed."}));
    EXPECT_EQ(names(loadedTable()), clientNames(2500));
    EXPECT_EQ(result.outcome, LoadJob::Outcome::Completed);
    EXPECT_EQ(result.rowsLoaded, 1500);
    EXPECT_TRUE(result.tableExisted);
    EXPECT_FALSE(result.tableComplete);
    // The bar starts where the resumed records begin, not at the file's start.
    ASSERT_FALSE(progressValues().empty());
    EXPECT_EQ(progressValues().front(), 40);
    EXPECT_EQ(progressValues().back(), 100);

    resume();
    EXPECT_EQ(statusLines().back(),
              "Table CLIENTS is complete: it holds the 2500 rows the file loads; nothing was "
              "loaded.");
    EXPECT_EQ(statusLines().size(), 7u) << statusLines().at(6);
    EXPECT_EQ(result.outcome, LoadJob::Outcome::Completed);
    EXPECT_TRUE(result.tableComplete);
    EXPECT_EQ(result.rowsLoaded, 0);
    EXPECT_EQ(names(loadedTable()), clientNames(2500));

    // A file with fewer records than the table has rows is not the one that made it.
    writeTable(wideClientTable(2000));
    resume();
    const std::string refusal = "Cannot resume the load into table CLIENTS: it holds 2500 rows, "
                                "more than the 2000 records the file loads.";
    EXPECT_EQ(messages(), std::vector<std::string>{refusal});
    EXPECT_EQ(statusLines().back(), refusal);
    EXPECT_EQ(result.outcome, LoadJob::Outcome::Failed);
    EXPECT_EQ(names(loadedTable()), clientNames(2500));

    // A view of the name is no table to resume.
    database.addView("SCOTT", "CLIENTS_V", {{"NAME", 10}});
    request.tableName = "CLIENTS_V";
    resume();
    EXPECT_EQ(messages(),
              std::vector<std::string>{"Cannot resume the load into CLIENTS_V: it is a view, not "
                                       "a table."});
}

TEST_F(ResumeTest, ALoadThatFailedAtACommitGoesOnWithoutLosingOrRepeatingARow) {
    struct Case {
        std::string rules;
        int rowsLeft;            // in the table after the failure
        std::string failureText; // the failure's message
    };
    const Case cases[] = {
        // Oracle refused the commit: the job rolled the batch back.
        {"commit#2=1653", 1000,
         "Error during commit (at end).\nORA-01653: Message 1653 not found;  product=RDBMS; "
         "facility=ORA\n"},
        // The connection went during the commit: the server did it, or did not.
        {"commit#2=3113", 1000, kInDoubt + kResumeAdvice},
        {"commit#2=3113 after", 1500, kInDoubt + kResumeAdvice},
    };
    writeTable(wideClientTable(1500));
    for (const Case& test : cases) {
        SCOPED_TRACE(test.rules);
        request.tableName = "CLIENTS_" + std::to_string(&test - cases);
        request.options.existingTable = ExistingTable::Refuse;
        failWith(test.rules);
        runLoad();
        ASSERT_EQ(result.outcome, LoadJob::Outcome::Failed);
        EXPECT_EQ(messages(), std::vector<std::string>{test.failureText});
        ASSERT_EQ(names(loadedTable(request.tableName)).size(),
                  static_cast<std::size_t>(test.rowsLeft));

        failWith("");
        resume();
        EXPECT_EQ(result.outcome, LoadJob::Outcome::Completed) << statusLines().back();
        EXPECT_EQ(result.tableComplete, test.rowsLeft == 1500);
        EXPECT_EQ(names(loadedTable(request.tableName)), clientNames(1500));
    }

    // The dialog has no way to resume: its text stays as it was.
    request.options = {};
    request.tableName = "DIALOG";
    failWith("commit#2=3113");
    runLoad();
    EXPECT_EQ(messages(), std::vector<std::string>{kInDoubt});
    // Nor does a table that held other rows before the load: its count would mislead.
    request.options.commandLine = true;
    request.options.existingTable = ExistingTable::Append;
    failWith("commit#2=3113");
    runLoad();
    EXPECT_EQ(messages(), std::vector<std::string>{kInDoubt});
}

TEST_F(ResumeTest, ATypedTableResumesAsTypedAndPassesOverDeletedRecordsWhenTheyAreLeftOut) {
    // Five empty memos make a batch of 999 rows; every seventh record is marked as deleted.
    DbfWriter table;
    table.addField("NAME", 'C', 10).addField("AMOUNT", 'N', 8, 2);
    for (int memo = 1; memo <= 5; ++memo)
        table.addField("NOTE" + std::to_string(memo), 'M', 10);
    std::vector<std::string> kept;
    for (int record = 0; record < 3000; ++record) {
        const bool deleted = record % 7 == 3;
        table.addRecord({clientName(record), std::to_string(record % 1000) + ".25"}, deleted);
        if (!deleted)
            kept.push_back(clientName(record));
    }
    writeTable(table);
    request.options.typedColumns = true;
    request.options.skipDeleted = true;
    failWith("commit#2=3113");
    runLoad();
    ASSERT_EQ(result.outcome, LoadJob::Outcome::Failed);
    const std::size_t held = names(loadedTable()).size();
    ASSERT_EQ(held, 999u);

    // Without --typed the table's columns are not the file's.
    failWith("");
    request.options.typedColumns = false;
    resume();
    EXPECT_EQ(messages(),
              std::vector<std::string>{"Cannot resume the load into table CLIENTS: its column 2 "
                                       "is AMOUNT NUMBER, the file's is AMOUNT "
                                       "VARCHAR2(8 CHAR)."});
    EXPECT_EQ(names(loadedTable()).size(), held);

    request.options.typedColumns = true;
    resume();
    ASSERT_EQ(result.outcome, LoadJob::Outcome::Completed) << messages().at(0);
    const standin_test::StoredTable stored = loadedTable();
    EXPECT_EQ(names(stored), kept);
    // Record 3000 is deleted; 2999 is the last kept.
    EXPECT_EQ(stored.rows.back().at(1), "998.25");
    // The table counts the records the file loads, not those it holds: 3000 records, 2571
    // without the deleted ones.
    EXPECT_EQ(statusLines().back(), "Loading completed. 2571 records processed.");
    // Record 1165 is the 999th of those kept.
    EXPECT_EQ(statusLines().at(6),
              "Table CLIENTS holds 999 rows; loading the file from record 1166.");

    // Loaded with its deleted records, a table holds too many rows for a load without them.
    request.tableName = "EVERY_RECORD";
    request.options.skipDeleted = false;
    resume();
    ASSERT_EQ(result.outcome, LoadJob::Outcome::Completed);
    request.options.skipDeleted = true;
    resume();
    EXPECT_EQ(messages(), std::vector<std::string>{
                              "Cannot resume the load into table EVERY_RECORD: it "
                              "holds 3000 rows, more than the 2571 records the file loads (records "
                              "marked as deleted left out)."});

    // A table its first batch never reached holds no row: its resume starts at record 1.
    request.tableName = "NOTHING_YET";
    failWith("commit#1=3113");
    runLoad();
    ASSERT_EQ(result.outcome, LoadJob::Outcome::Failed);
    ASSERT_TRUE(names(loadedTable("NOTHING_YET")).empty());
    failWith("");
    resume();
    ASSERT_EQ(result.outcome, LoadJob::Outcome::Completed);
    EXPECT_EQ(names(loadedTable("NOTHING_YET")), kept);
}
