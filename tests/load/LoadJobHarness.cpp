// The recorder hooks, scratch folders and stand-in set-up of the load job tests.
#include "load/LoadJobHarness.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <random>

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
    static std::atomic<int> counter{0};
    fs::path base =
        fs::temp_directory_path() /
        ("marlin-load-" + std::to_string(std::random_device{}()) + "-" + std::to_string(counter++));
    fs::create_directories(base);
    folder_ = base.string();
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

std::string ScratchFolder::path(const std::string& name) const {
    return (fs::path(folder_) / name).string();
}

std::vector<std::string> ScratchFolder::fileNames() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

LoadJobTest::LoadJobTest() : dbfPath(folder.path("clients.dbf")) {
    database.addUser("SCOTT", "tiger");
    database.useEnvironment();
    standin_test::StandinDatabase::setEnvironmentVariable("NLS_LANG", "");
    request.fileName = dbfPath;
    request.tableName = "CLIENTS";
    request.userName = "SCOTT";
    request.password = "tiger";
    request.database = "ORCL";
    reporter_.statusLine = [this](const std::string& line) {
        record({JobEvent::Kind::Status, line, 0, 0});
    };
    reporter_.progress = [this](std::int32_t percent) {
        record({JobEvent::Kind::Progress, "", percent, 0});
    };
    reporter_.message = [this](const std::string& text) {
        record({JobEvent::Kind::Message, text, 0, 0});
    };
}

LoadJobTest::~LoadJobTest() {
    standin_test::StandinDatabase::setFailRules("");
    standin_test::StandinDatabase::setEnvironmentVariable("NLS_LANG", "");
}

void LoadJobTest::record(JobEvent event) {
    event.loadActive = stop.requested() ? 0 : 1;
    events_.push_back(event);
    if (onEvent)
        onEvent(events_.back());
}

void LoadJobTest::writeTable(const DbfWriter& table) {
    ASSERT_TRUE(table.writeTo(dbfPath));
}

void LoadJobTest::writeMemos(const FptWriter& memos) {
    ASSERT_TRUE(memos.writeTo(folder.path("clients.FPT")));
}

void LoadJobTest::failWith(const std::string& rules) {
    standin_test::StandinDatabase::setFailRules(rules);
}

void LoadJobTest::runLoad(bool checkHandles) {
    events_.clear();
    stop.arm();
    result = LoadJob::run(request, reporter_, stop);
    // Every end releases every handle the load made.
    if (checkHandles) {
        EXPECT_EQ(standin_test::StandinDatabase::liveHandleCount(), 0);
    }
}

std::vector<std::string> LoadJobTest::statusLines() const {
    std::vector<std::string> lines;
    for (const JobEvent& event : events_)
        if (event.kind == JobEvent::Kind::Status)
            lines.push_back(event.text);
    return lines;
}

std::vector<std::string> LoadJobTest::messages() const {
    std::vector<std::string> texts;
    for (const JobEvent& event : events_)
        if (event.kind == JobEvent::Kind::Message)
            texts.push_back(event.text);
    return texts;
}

std::vector<std::int32_t> LoadJobTest::progressValues() const {
    std::vector<std::int32_t> values;
    for (const JobEvent& event : events_)
        if (event.kind == JobEvent::Kind::Progress)
            values.push_back(event.percent);
    return values;
}

standin_test::StoredTable LoadJobTest::loadedTable(const std::string& tableName) const {
    return database.readTable("SCOTT", tableName);
}
