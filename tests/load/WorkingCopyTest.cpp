// Files whose field displacements are wrong load from a repaired working copy, which goes
// away at every end and never touches the user's file.
#include "load/LoadJobHarness.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

DbfWriter tableWithoutDisplacements(int records) {
    DbfWriter table;
    table.addField("NAME", 'C', 10).addField("CITY", 'C', 8).addField("NOTE", 'M', 10);
    table.setDisplacements({0, 0, 0});
    for (int record = 0; record < records; ++record)
        table.addRecord({clientName(record), "Bern"});
    return table;
}

void touch(const std::string& path) {
    std::ofstream(path) << "left from an earlier load";
}

// Makes `folder` the system's temporary folder for as long as it lives.
class TemporaryFolderSetting {
  public:
    explicit TemporaryFolderSetting(const std::string& folder)
        : previous_(std::getenv(kVariable) != nullptr ? std::getenv(kVariable) : "") {
        fs::create_directories(folder);
        standin_test::StandinDatabase::setEnvironmentVariable(kVariable, folder);
    }
    ~TemporaryFolderSetting() {
        standin_test::StandinDatabase::setEnvironmentVariable(kVariable, previous_);
    }
    TemporaryFolderSetting(const TemporaryFolderSetting&) = delete;
    TemporaryFolderSetting& operator=(const TemporaryFolderSetting&) = delete;

  private:
#if defined(_WIN32)
    static constexpr const char* kVariable = "TMP";
#else
    static constexpr const char* kVariable = "TMPDIR";
#endif
    std::string previous_;
};

// On Windows the read-only attribute.
void setWritable(const std::string& path, bool writable) {
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    writable ? fs::perm_options::add : fs::perm_options::remove);
}

// Makes a file that the job has open impossible to delete, even for root: read-only on
// Windows, a folder with something in it elsewhere (the job's mapping outlives the name).
void keepFromDeletion(const std::string& path) {
#if defined(_WIN32)
    setWritable(path, false);
#else
    fs::remove(path);
    fs::create_directories(fs::path(path) / "kept");
#endif
}

void allowDeletion(const std::string& path) {
#if defined(_WIN32)
    setWritable(path, true);
#else
    fs::remove_all(path);
#endif
}

} // namespace

TEST_F(LoadJobTest, ARepairedCopyLoadsWithTheOriginalsMemosAndIsDeleted) {
    DbfWriter table = tableWithoutDisplacements(0);
    FptWriter memos(64);
    table.addRecord({"Smith", "Bern", memoFieldText(memos.addMemo("first memo"), 10)});
    table.addRecord({"Jones", "Zug", memoFieldText(memos.addMemo("second memo"), 10)});
    writeTable(table);
    writeMemos(memos);
    const ByteImage original = readFileBytes(dbfPath);
    runLoad();

    const std::vector<std::string> expectedStart{
        "Start loading..",
        "Header not formatted propely. Loading from copy of file.. ",
        "Try copy file to " + dbfPath + ".0.tmp",
        "Copy of file created.",
        "Connecting to Oracle..",
    };
    auto lines = statusLines();
    ASSERT_GE(lines.size(), expectedStart.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 5), expectedStart);
    EXPECT_EQ(lines.back(), "Loading completed. 2 records processed.");

    auto stored = loadedTable();
    ASSERT_EQ(stored.rows.size(), 2u);
    EXPECT_EQ(stored.rows[0][0], "Smith     ");
    EXPECT_EQ(stored.rows[1][1], "Zug     ");
    EXPECT_EQ(stored.rows[1][2]->substr(0, 12), "second memo ");
    EXPECT_EQ(readFileBytes(dbfPath), original);
    EXPECT_EQ(folder.fileNames(), (std::vector<std::string>{"clients.FPT", "clients.dbf"}));
}

TEST_F(LoadJobTest, AnExistingCopyNameIsSkippedAndKept) {
    writeTable(tableWithoutDisplacements(3));
    touch(dbfPath + ".0.tmp");
    runLoad();
    auto lines = statusLines();
    ASSERT_GE(lines.size(), 6u);
    // The copy a killed load left is named, so that the user can delete it.
    EXPECT_EQ(
        std::vector<std::string>(lines.begin() + 2, lines.begin() + 7),
        (std::vector<std::string>{"Try copy file to " + dbfPath + ".0.tmp", "File exists. ",
                                  "Try copy file to " + dbfPath + ".1.tmp", "Copy of file created.",
                                  dbfPath + ".0.tmp exists already: left by a load that "
                                            "did not end, or in use by one running now."}));
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(loadedTable().rows.size(), 3u);
    EXPECT_EQ(folder.fileNames(), (std::vector<std::string>{"clients.dbf", "clients.dbf.0.tmp"}));
}

TEST_F(LoadJobTest, TheCopyIsDeletedOnFailureAndOnStop) {
    writeTable(tableWithoutDisplacements(1500));
    request.password = "wrong";
    runLoad();
    EXPECT_EQ(messages(),
              std::vector<std::string>{"ORA-01017: invalid username/password; logon denied\n"});
    EXPECT_EQ(folder.fileNames(), std::vector<std::string>{"clients.dbf"});

    request.password = "tiger";
    onEvent = [this](const JobEvent& event) {
        if (event.kind == JobEvent::Kind::Progress && event.percent == 3)
            stop.clear();
    };
    runLoad();
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(folder.fileNames(), std::vector<std::string>{"clients.dbf"});
}

TEST_F(LoadJobTest, ACopyThatCannotBeRepairedEndsTheLoadWithoutABoxAndStays) {
    writeTable(tableWithoutDisplacements(3));
    const std::string copy = dbfPath + ".0.tmp";
    onEvent = [copy](const JobEvent& event) {
        // A folder in the copy's place cannot be opened for writing, not even by root.
        if (event.kind == JobEvent::Kind::Status && event.text == "Copy of file created.") {
            fs::remove(copy);
            fs::create_directory(copy);
        }
    };
    runLoad();
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(statusLines().back(), "Error while altering copy of file.");
    EXPECT_EQ(lastEvent().loadActive, 0);
    EXPECT_EQ(folder.fileNames(), (std::vector<std::string>{"clients.dbf", "clients.dbf.0.tmp"}));
    EXPECT_TRUE(database.tableNames("SCOTT").empty());
}

TEST_F(LoadJobTest, AReadOnlyOriginalIsRepairedInACopyThatGoesAway) {
    // Windows copies the read-only attribute along with the file.
    writeTable(tableWithoutDisplacements(3));
    setWritable(dbfPath, false);
    runLoad();
    setWritable(dbfPath, true);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(statusLines().back(), "Loading completed. 3 records processed.");
    EXPECT_EQ(folder.fileNames(), std::vector<std::string>{"clients.dbf"});

    // A copy that cannot be deleted is named before the last line.
    const std::string copy = dbfPath + ".0.tmp";
    onEvent = [copy](const JobEvent& event) {
        if (event.kind == JobEvent::Kind::Status && event.text.rfind("Importing", 0) == 0)
            keepFromDeletion(copy);
    };
    request.tableName = "CLIENTS2";
    runLoad();
    allowDeletion(copy);
    auto lines = statusLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "Cannot delete copy of file " + copy);
    EXPECT_EQ(lines.back(), "Loading completed. 3 records processed.");
    EXPECT_EQ(loadedTable("CLIENTS2").rows.size(), 3u);

    // A Stop pressed after the last commit, while the job reports the copy it left, is the
    // load's ending: the user has read "stopped", and no "completed" line contradicts it.
    fs::remove(copy);
    bool stopEnded = false;
    onEvent = [this, copy, &stopEnded](const JobEvent& event) {
        if (event.kind == JobEvent::Kind::Status && event.text.rfind("Importing", 0) == 0)
            keepFromDeletion(copy);
        if (event.kind == JobEvent::Kind::Status && event.text.rfind("Cannot delete", 0) == 0)
            stopEnded = stop.claimEnding();
    };
    request.tableName = "CLIENTS3";
    runLoad();
    allowDeletion(copy);
    EXPECT_TRUE(stopEnded);
    EXPECT_EQ(statusLines().back(), "Cannot delete copy of file " + copy);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(loadedTable("CLIENTS3").rows.size(), 3u);
}

#ifndef _WIN32
// Native only: ten thousand files, and a name that only a POSIX file system refuses.

TEST_F(LoadJobTest, CopyStageFailuresEndLikeEveryOtherFailure) {
    writeTable(tableWithoutDisplacements(3));
    for (int counter = 0; counter <= 10001; ++counter)
        touch(dbfPath + "." + std::to_string(counter) + ".tmp");
    runLoad();
    auto lines = statusLines();
    EXPECT_EQ(lines[lines.size() - 3], "Try copy file to " + dbfPath + ".10001.tmp");
    EXPECT_EQ(lines[lines.size() - 2], "File exists. ");
    EXPECT_EQ(messages(),
              std::vector<std::string>{"Error while create copy of file (file index too big)"});
    EXPECT_EQ(lines.back(), "Error while create copy of file (file index too big)");
    EXPECT_EQ(lastEvent().loadActive, 0);
    EXPECT_EQ(folder.fileNames().size(), 10003u);

    // A name close to the length limit leaves no room for ".0.tmp", beside the file or in the
    // temporary folder: the system's reason is given.
    const TemporaryFolderSetting temporary(folder.path("tmp"));
    const std::string longName = std::string(250, 'x') + ".dbf";
    ASSERT_TRUE(tableWithoutDisplacements(3).writeTo(folder.path(longName)));
    request.fileName = folder.path(longName);
    runLoad();
    const std::string text = "Error while copy file " + folder.path(longName) + " to " +
                             folder.path("tmp/" + longName) + ".0.tmp: File name too long";
    EXPECT_EQ(messages(), std::vector<std::string>{text});
    lines = statusLines();
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
              (std::vector<std::string>{
                  "Cannot write copy of file beside it: File name too long. "
                  "Trying the temporary folder..",
                  "Try copy file to " + folder.path("tmp/" + longName) + ".0.tmp", text}));
    EXPECT_EQ(lastEvent().loadActive, 0);
}

#endif

TEST_F(LoadJobTest, ACopyThatCannotBeWrittenBesideTheFileGoesToTheTemporaryFolder) {
    // A folder whose path leaves no room for ".0.tmp" within the system's limit: 4095 bytes,
    // or the 260 characters of Windows' ANSI file functions (MAX_PATH).
#if defined(_WIN32)
    constexpr std::size_t kLongestPath = 260;
    const std::string separator = "\\";
#else
    constexpr std::size_t kLongestPath = 4095;
    const std::string separator = "/";
#endif
    std::string deep = folder.path("");
    while (deep.size() < kLongestPath - 15)
        deep += std::string(std::min<std::size_t>(200, kLongestPath - 15 - deep.size()), 'd') +
                separator;
    const std::string name = std::string(kLongestPath - 5 - deep.size() - 4, 'f') + ".dbf";
    fs::create_directories(deep);
    ASSERT_TRUE(tableWithoutDisplacements(3).writeTo(deep + name));
    const TemporaryFolderSetting temporary(folder.path("tmp"));
    request.fileName = deep + name;
    runLoad();
    EXPECT_TRUE(messages().empty()) << messages().front();
    const std::string copy = folder.path("tmp") + separator + name + ".0.tmp";
    const std::vector<std::string> lines = statusLines();
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(
        std::vector<std::string>(lines.begin() + 1, lines.begin() + 3),
        (std::vector<std::string>{"Header not formatted propely. Loading from copy of file.. ",
                                  "Try copy file to " + deep + name + ".0.tmp"}));
    // The system's reason, in its own words.
#if defined(_WIN32)
    EXPECT_EQ(lines[3].rfind("Cannot write copy of file beside it: ", 0), 0u) << lines[3];
    EXPECT_NE(lines[3].find(". Trying the temporary folder.."), std::string::npos) << lines[3];
#else
    EXPECT_EQ(lines[3], "Cannot write copy of file beside it: File name too long. Trying the "
                        "temporary folder..");
#endif
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 4, lines.begin() + 6),
              (std::vector<std::string>{"Try copy file to " + copy, "Copy of file created."}));
    EXPECT_EQ(lines.back(), "Loading completed. 3 records processed.");
    EXPECT_EQ(loadedTable().rows.size(), 3u);
    EXPECT_TRUE(fs::is_empty(folder.path("tmp")));
}
