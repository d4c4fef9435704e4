// Stop requests: the table keeps exactly the batches committed before the stop.
#include "load/LoadJobHarness.h"

#include <thread>

TEST_F(LoadJobTest, AStopInTheFirstBatchLeavesTheNewTableEmpty) {
    writeTable(wideClientTable(1500));
    onEvent = [this](const JobEvent& event) {
        if (event.kind == JobEvent::Kind::Progress && event.percent == 1)
            stop.clear();
    };
    runLoad();
    EXPECT_TRUE(messages().empty());
    // The job ends without a word: the dialog writes its own line.
    EXPECT_EQ(statusLines().back(), "Importing file into table CLIENTS..");
    EXPECT_EQ(lastEvent().kind, JobEvent::Kind::Progress);
    auto stored = loadedTable();
    EXPECT_EQ(stored.columnNames.size(), 6u);
    EXPECT_TRUE(stored.rows.empty());
}

TEST_F(LoadJobTest, AStopBeforeTheTransferEndsTheLoadBeforeAnythingIsMade) {
    // A header that needs a working copy, so that every stage runs.
    DbfWriter table;
    table.addField("NAME", 'C', 10).setDisplacements({0});
    for (int record = 0; record < 3; ++record)
        table.addRecord({clientName(record)});
    writeTable(table);
    // Each stage's last line, with what the load must have left undone when it stops there.
    const std::string copyName = dbfPath + ".0.tmp";
    const std::vector<std::string> stopPoints = {
        "Try copy file to " + copyName, // during the copy
        "Copy of file created.",
        "Connected.",
        "3 rows in file.",
    };
    for (const std::string& stopPoint : stopPoints) {
        SCOPED_TRACE(stopPoint);
        onEvent = [this, stopPoint](const JobEvent& event) {
            if (event.kind == JobEvent::Kind::Status && event.text == stopPoint)
                stop.clear();
        };
        runLoad();
        EXPECT_EQ(result.outcome, LoadJob::Outcome::Stopped);
        EXPECT_TRUE(messages().empty());
        // The job ends without a word (the dialog writes its own line), connects no further,
        // makes no table and leaves no copy.
        EXPECT_EQ(statusLines().back(), stopPoint);
        EXPECT_TRUE(database.tableNames("SCOTT").empty());
        EXPECT_EQ(folder.fileNames(), std::vector<std::string>{"clients.dbf"});
    }
}

TEST_F(LoadJobTest, AStopInALaterBatchKeepsTheCommittedOnes) {
    writeTable(wideClientTable(2500));
    onEvent = [this](const JobEvent& event) {
        if (event.kind == JobEvent::Kind::Status &&
            event.text == "Commit point reached. 1000 rows imported..")
            stop.clear();
    };
    runLoad();
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(statusLines().back(), "Commit point reached. 1000 rows imported..");
    auto stored = loadedTable();
    ASSERT_EQ(stored.rows.size(), 1000u);
    EXPECT_EQ(stored.rows.front()[0], clientName(0));
    EXPECT_EQ(stored.rows.back()[0], clientName(999));
}

namespace {

// Asks for a stop while the first full batch (1000 rows) is being inserted, as a user's
// click would between the insert and its commit.
// The stop flag of the load the observers below stop; an observer is a plain function.
LoadStop* observedStop = nullptr;

void stopDuringFirstBatchInsert(unsigned iterations) {
    if (iterations == 1000)
        observedStop->clear();
}

} // namespace

TEST_F(LoadJobTest, AStopBetweenInsertAndCommitRollsTheBatchBack) {
    writeTable(wideClientTable(2500));
    observedStop = &stop;
    standin_test::StandinDatabase::setExecuteObserver(stopDuringFirstBatchInsert);
    runLoad();
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(statusLines().back(), "Importing file into table CLIENTS..");
    EXPECT_TRUE(loadedTable().rows.empty());

    // When the rollback itself fails, that failure is reported like any other, and the
    // inserted rows still do not reach the table when the session ends.
    failWith("rollback#1=3113");
    request.tableName = "CLIENTS2";
    runLoad();
    standin_test::StandinDatabase::setExecuteObserver(nullptr);
    EXPECT_EQ(messages(), std::vector<std::string>{"Error during rollback. \n"
                                                   "ORA-03113: end-of-file on communication "
                                                   "channel\n"});
    EXPECT_EQ(statusLines().back(), messages().front());
    EXPECT_EQ(lastEvent().loadActive, 0);
    EXPECT_TRUE(loadedTable("CLIENTS2").rows.empty());

    // When the second rollback fails too, ending the session would commit the batch; the
    // job leaves the session to the server, which rolls it back.
    standin_test::StandinDatabase::setExecuteObserver(stopDuringFirstBatchInsert);
    failWith("rollback#1=3113;rollback#2=3113");
    request.tableName = "CLIENTS3";
    runLoad();
    standin_test::StandinDatabase::setExecuteObserver(nullptr);
    EXPECT_EQ(messages().size(), 1u);
    EXPECT_TRUE(loadedTable("CLIENTS3").rows.empty());
}

namespace {

// Whether the user's Stop, pressed while the last batch (500 rows) was being inserted, ended
// the load: the dialog writes its own line only then.
bool lastBatchStopEnded = false;

void stopDuringLastBatchInsert(unsigned iterations) {
    if (iterations == 500)
        lastBatchStopEnded = observedStop->claimEnding();
}

} // namespace

TEST_F(LoadJobTest, AStopDuringTheLastBatchIsTheLoadsOnlyEnding) {
    // 1500 records: a full batch of 1000, then the last one of 500 after the last record.
    writeTable(wideClientTable(1500));
    observedStop = &stop;
    standin_test::StandinDatabase::setExecuteObserver(stopDuringLastBatchInsert);
    runLoad();
    standin_test::StandinDatabase::setExecuteObserver(nullptr);
    ASSERT_TRUE(lastBatchStopEnded);
    EXPECT_TRUE(messages().empty());
    // The user was told "stopped": no completion follows, and the last batch stays out.
    EXPECT_EQ(statusLines().back(), "Commit point reached. 1000 rows imported..");
    auto stored = loadedTable();
    ASSERT_EQ(stored.rows.size(), 1000u);
    EXPECT_EQ(stored.rows.back()[0], clientName(999));
}

TEST_F(LoadJobTest, ACallTheUserCancelledThroughOraclesClientEndsTheLoadAsStopped) {
    // Oracle's client on Linux takes Ctrl+C for itself once connected: the stalled commit
    // fails with ORA-01013, and nobody asked the job to stop.
    writeTable(wideClientTable(2500));
    failWith("commit#2=block");
    std::thread worker([this] { runLoad(); });
    const bool blocked = database.waitUntilACallIsBlocked();
    standin_test::StandinDatabase::interruptCalls();
    worker.join();
    ASSERT_TRUE(blocked);
    EXPECT_EQ(result.outcome, LoadJob::Outcome::Stopped);
    EXPECT_TRUE(messages().empty());
    // The job says what a stop of the user's says: no failure, and the dialog back to idle.
    EXPECT_EQ(statusLines().back(), "Loading stopped by user request.");
    EXPECT_EQ(lastEvent().loadActive, 0);
    EXPECT_EQ(loadedTable().rows.size(), 1000u);
}

TEST_F(LoadJobTest, AUsersStopThenACancelThroughOraclesClientEndsTheLoadAsTheStopDid) {
    // The stop waits for the stalled commit; then the user's Ctrl+C reaches Oracle's client.
    writeTable(wideClientTable(2500));
    failWith("commit#2=block");
    std::thread worker([this] { runLoad(); });
    const bool blocked = database.waitUntilACallIsBlocked();
    const bool stopEnded = stop.claimEnding();
    standin_test::StandinDatabase::interruptCalls();
    worker.join();
    ASSERT_TRUE(blocked);
    ASSERT_TRUE(stopEnded);
    EXPECT_EQ(result.outcome, LoadJob::Outcome::Stopped);
    // The stop's own line is the dialog's: the job adds none, and no failure.
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(statusLines().back(), "Commit point reached. 1000 rows imported..");
    EXPECT_EQ(loadedTable().rows.size(), 1000u);
}
