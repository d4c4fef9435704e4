// Two loads in one process at once: each has its own request, reporter and stop flag, and
// neither sees the other's.
#include "load/LoadJobHarness.h"

#include <mutex>
#include <thread>

namespace {

// One load on its own thread, with the lines it reported.
struct ThreadedLoad {
    LoadRequest request;
    LoadStop stop;
    LoadReporter reporter;
    std::vector<std::string> lines;
    LoadJob::Result result;
    // Stops this load when it reports this line.
    std::string stopAt;

    ThreadedLoad(const LoadRequest& base, const std::string& file, const std::string& table)
        : request(base) {
        request.fileName = file;
        request.tableName = table;
        reporter.statusLine = [this](const std::string& line) {
            lines.push_back(line);
            if (line == stopAt)
                stop.clear();
        };
    }

    std::thread start() {
        stop.arm();
        return std::thread([this] { result = LoadJob::run(request, reporter, stop); });
    }
};

std::vector<std::string> linesUpToImport(const std::string& table, int records) {
    return {"Start loading..",
            "Connecting to Oracle..",
            "Connected.",
            "Open file for read..",
            std::to_string(records) + " rows in file.",
            "Importing file into table " + table + ".."};
}

// The first column of each row, and the names the first `count` clients have.
std::vector<std::string> names(const standin_test::StoredTable& table) {
    std::vector<std::string> values;
    for (const auto& row : table.rows)
        values.push_back(row.at(0).value_or("NULL"));
    return values;
}

std::vector<std::string> clientNames(int count) {
    std::vector<std::string> values;
    for (int record = 0; record < count; ++record)
        values.push_back(clientName(record));
    return values;
}

} // namespace

TEST_F(LoadJobTest, TwoLoadsAtOnceKeepTheirTablesLinesAndStopsApart) {
    ASSERT_TRUE(wideClientTable(2500).writeTo(folder.path("orders.dbf")));
    ASSERT_TRUE(wideClientTable(3200).writeTo(folder.path("items.dbf")));
    // Each call waits a little without holding the client, so that the two loads' batches
    // take turns.
    failWith("delay=2ms");
    ThreadedLoad orders(request, folder.path("orders.dbf"), "ORDERS");
    ThreadedLoad items(request, folder.path("items.dbf"), "ITEMS");
    // A stop of one load leaves the other going.
    items.stopAt = "Commit point reached. 2000 rows imported..";
    std::thread first = orders.start();
    std::thread second = items.start();
    first.join();
    second.join();

    EXPECT_EQ(orders.result.outcome, LoadJob::Outcome::Completed);
    EXPECT_EQ(orders.result.rowsLoaded, 2500);
    std::vector<std::string> expected = linesUpToImport("ORDERS", 2500);
    expected.insert(expected.end(), {"Commit point reached. 1000 rows imported..",
                                     "Commit point reached. 2000 rows imported..",
                                     "Loading completed. 2500 records processed."});
    EXPECT_EQ(orders.lines, expected);
    EXPECT_EQ(names(loadedTable("ORDERS")), clientNames(2500));

    // The stopped load ends without a word of its own, with its committed batches.
    EXPECT_EQ(items.result.outcome, LoadJob::Outcome::Stopped);
    EXPECT_EQ(items.result.rowsLoaded, 2000);
    expected = linesUpToImport("ITEMS", 3200);
    expected.insert(expected.end(), {"Commit point reached. 1000 rows imported..",
                                     "Commit point reached. 2000 rows imported.."});
    EXPECT_EQ(items.lines, expected);
    EXPECT_EQ(names(loadedTable("ITEMS")), clientNames(2000));
    EXPECT_EQ(standin_test::StandinDatabase::liveHandleCount(), 0);
}
