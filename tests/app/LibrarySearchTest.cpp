// Both programs started in a folder that holds a table and a planted OCI.DLL: the client
// library comes from the PATH, never from the current folder.
#include "StartedProgram.h"

#include "dbf/TempFolder.h"
#include "support/SampleTable.h"
#include "support/StandinDatabase.h"

#include "MarlinVersion.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;
using apptest::executableFolder;
using apptest::StartedProgram;
using apptest::windowOf;
using standin_test::StandinDatabase;

constexpr int kRecords = 40;
const char kDialogCaption[] = "Marlin v" MARLIN_VERSION_TEXT "  /DBF --> Oracle/";

std::string environmentVariable(const char* name) {
    char value[32768] = {};
    const DWORD length = ::GetEnvironmentVariableA(name, value, sizeof(value));
    return length > 0 && length < sizeof(value) ? std::string(value, length) : std::string();
}

class LibrarySearch : public ::testing::Test {
  protected:
    LibrarySearch()
        : programFolder(folder.path("program")), dataFolder(folder.path("data")),
          marker(folder.path("planted-oci-was-loaded")), previousPath(environmentVariable("PATH")) {
        fs::create_directories(programFolder);
        fs::create_directories(dataFolder);
        database.addUser("SCOTT", "Tiger");
        database.useEnvironment();
        // The real client is on the PATH, as an Instant Client is; the program's own folder
        // has none, and the folder the program starts in has the planted one.
        ::SetEnvironmentVariableA("PATH",
                                  (executableFolder().string() + ";" + previousPath).c_str());
        ::SetEnvironmentVariableA("MARLIN_PLANTED_MARKER", marker.c_str());
        fs::copy_file(executableFolder() / "planted" / "OCI.DLL", dataFolder / "OCI.DLL");
    }
    ~LibrarySearch() override {
        ::SetEnvironmentVariableA("PATH", previousPath.c_str());
        ::SetEnvironmentVariableA("MARLIN_PLANTED_MARKER", nullptr);
    }

    fs::path copyProgram(const char* name) {
        const fs::path copy = programFolder / name;
        fs::copy_file(executableFolder() / name, copy);
        return copy;
    }

    TempFolder folder;
    StandinDatabase database;
    const fs::path programFolder;
    const fs::path dataFolder;
    const std::string marker;
    const std::string previousPath;
};

TEST_F(LibrarySearch, MarlinLoadTakesTheClientFromThePathNotFromTheCurrentFolder) {
    ASSERT_TRUE(writeSampleTable((dataFolder / "CLIENTS.DBF").string(), kRecords));
    StartedProgram load(copyProgram("marlin-load.exe"),
                        "CLIENTS.DBF -t CLIENTS -u scott/Tiger@orcl", dataFolder);
    ASSERT_TRUE(load.started());
    EXPECT_EQ(load.waitForExit(60000), 0);
    EXPECT_FALSE(fs::exists(marker));
    EXPECT_EQ(database.readTable("SCOTT", "CLIENTS").rows.size(), static_cast<size_t>(kRecords));
}

TEST_F(LibrarySearch, TheDialogTakesTheClientFromThePathNotFromTheCurrentFolder) {
    ASSERT_TRUE(writeSampleTable((dataFolder / "CLIENTS.DBF").string(), kRecords));
    StartedProgram marlin(copyProgram("marlin.exe"), "", dataFolder);
    ASSERT_TRUE(marlin.started());
    HWND dialog = apptest::waitForWindowOf(marlin.processId(), kDialogCaption);
    ASSERT_NE(dialog, nullptr);
    // The file named as a user names it in the folder the program started in.
    const std::pair<int, const char*> fields[] = {
        {1000, "CLIENTS.DBF"}, {1003, "CLIENTS"}, {1013, "SCOTT"}, {1014, "Tiger"}, {1015, "ORCL"}};
    for (const auto& [id, text] : fields)
        ::SendMessageA(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    ::SendMessageA(::GetDlgItem(dialog, 1006), BM_CLICK, 0, 0);
    // Only messages without pointers cross to the other process: Wine does not carry every
    // control's text across.
    bool completed = false;
    HWND box = nullptr;
    for (int wait = 0; wait < 300 && !completed && box == nullptr; ++wait) {
        ::Sleep(100);
        completed = ::SendMessageA(::GetDlgItem(dialog, 1011), PBM_GETPOS, 0, 0) == 100 &&
                    ::IsWindowEnabled(::GetDlgItem(dialog, 1006));
        box = windowOf(marlin.processId(), "", dialog);
    }
    EXPECT_TRUE(completed);
    EXPECT_EQ(box, nullptr) << "a message box opened: the load failed";
    EXPECT_FALSE(fs::exists(marker));
    if (completed)
        ::PostMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(marlin.waitForExit(completed ? 20000 : 0), completed ? 0 : -1);
    EXPECT_EQ(database.readTable("SCOTT", "CLIENTS").rows.size(), static_cast<size_t>(kRecords));
}

} // namespace
