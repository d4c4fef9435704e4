// What the main dialog makes of what the user types and picks, driven with the keyboard and
// the mouse: names of blanks, a path in quotes, a file gone missing, where the focus goes
// after a refusal, and the folder the file picker opens in.
#include "GuiTestSupport.h"
#include "MainDialogHarness.h"
#include "MessageBoxProbe.h"

#include "support/SampleTable.h"

#include <commdlg.h>

#include <atomic>
#include <filesystem>

namespace apptest {
namespace {

namespace fs = std::filesystem;

class FieldCheckTest : public MainDialogTest {
  protected:
    // Presses Enter where the focus is, as the user does, and waits for the box it brings
    // up to be answered and gone. Returns the box's text.
    std::string enterAndReadTheBox(BoxAnswerer& answerer) {
        answerer.clear();
        guitest::pressKey(VK_RETURN);
        if (!waitFor([&] { return !answerer.texts().empty(); }, 5000))
            return "(no box)";
        waitFor([] { return openBoxes().empty(); }, 5000);
        guitest::pumpFor(100);
        return answerer.texts().front();
    }
};

TEST_F(FieldCheckTest, EachRefusalPutsTheFocusInTheFieldToFillAndAMissingFileIsNamed) {
    openDialog();
    BoxAnswerer answerer;
    ASSERT_TRUE(activate());
    ::SetFocus(item(1006));
    EXPECT_EQ(enterAndReadTheBox(answerer), "Invalid file name");
    EXPECT_EQ(focusedId(), 1000);

    // "Copy as path" puts quotes around the name; blanks alone are no name.
    setText(1000, "  \"" + dbfPath + "\" ");
    setText(1003, "   ");
    EXPECT_EQ(enterAndReadTheBox(answerer), "Invalid table name");
    EXPECT_EQ(focusedId(), 1003);
    setText(1003, "CLIENTS");
    EXPECT_EQ(enterAndReadTheBox(answerer), "Invalid username");
    EXPECT_EQ(focusedId(), 1013);
    setText(1013, "SCOTT");
    EXPECT_EQ(enterAndReadTheBox(answerer), "Invalid password");
    EXPECT_EQ(focusedId(), 1014);
    setText(1014, "Tiger");
    EXPECT_EQ(enterAndReadTheBox(answerer), "Invalid connect string");
    EXPECT_EQ(focusedId(), 1015);
    setText(1015, "ORCL");

    // The file does not exist (yet): said before anything else happens, naming it.
    EXPECT_EQ(enterAndReadTheBox(answerer),
              "Cannot find file " + dbfPath +
                  ". Check the file name, or pick the file with the \"...\" button.");
    EXPECT_EQ(focusedId(), 1000);
    EXPECT_EQ(caption(), "Start");
    EXPECT_TRUE(logLines().empty());
    EXPECT_TRUE(database.tableNames("SCOTT").empty());
    // The field shows the name the load takes.
    EXPECT_EQ(text(1000), dbfPath);

    // Once it is there, the same input loads it.
    ASSERT_TRUE(writeSampleTable(dbfPath, 30));
    setText(1000, "\"" + dbfPath + "\"");
    answerer.clear();
    guitest::pressKey(VK_RETURN);
    ASSERT_TRUE(waitFor([this] { return caption() == "Stop"; }, 5000));
    ASSERT_TRUE(waitForIdle());
    EXPECT_EQ(logLines().back(), "Loading completed. 30 records processed.");
    EXPECT_TRUE(answerer.texts().empty());
    EXPECT_EQ(database.readTable("SCOTT", "CLIENTS").rows.size(), 30u);
}

BOOL CALLBACK matchPicker(HWND window, LPARAM parameter) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    char className[16] = {};
    ::GetClassNameA(window, className, sizeof(className));
    if (process != ::GetCurrentProcessId() || !::IsWindowVisible(window) ||
        std::string(className) != "#32770" || guitest::windowText(window) != "Open")
        return TRUE;
    *reinterpret_cast<HWND*>(parameter) = window;
    return FALSE;
}

// The system's file picker of this process, once it is open.
HWND findPicker() {
    HWND found = nullptr;
    ::EnumWindows(matchPicker, reinterpret_cast<LPARAM>(&found));
    return found;
}

// What the picker showed when it opened.
struct PickerView {
    std::string folder;
    std::vector<std::string> filters;
};

// The file-name field and the file-type list of the system's picker.
constexpr int kPickerFileName = 0x47c;
constexpr int kPickerFileTypes = 0x470;

// Clicks "..." with the mouse; a thread of the user's reads the picker that opens and then
// chooses `choice` in it (a full path), or cancels it when `choice` is empty.
PickerView browseWithTheMouse(HWND browseButton, const std::string& choice) {
    PickerView view;
    std::atomic<bool> done{false};
    std::thread user([&] {
        HWND picker = nullptr;
        for (int wait = 0; wait < 500 && picker == nullptr; ++wait) {
            ::Sleep(20);
            picker = findPicker();
        }
        if (picker != nullptr) {
            char folder[MAX_PATH] = {};
            ::SendMessageA(picker, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
            view.folder = folder;
            HWND types = ::GetDlgItem(picker, kPickerFileTypes);
            const LRESULT count = ::SendMessageA(types, CB_GETCOUNT, 0, 0);
            for (LRESULT index = 0; index < count; ++index) {
                char type[256] = {};
                ::SendMessageA(types, CB_GETLBTEXT, static_cast<WPARAM>(index),
                               reinterpret_cast<LPARAM>(type));
                view.filters.push_back(type);
            }
            if (choice.empty()) {
                ::PostMessageA(picker, WM_COMMAND, IDCANCEL, 0);
            } else {
                ::SetDlgItemTextA(picker, kPickerFileName, choice.c_str());
                ::PostMessageA(picker, WM_COMMAND, IDOK, 0);
            }
        }
        done = true;
    });
    guitest::clickAt(guitest::centreOf(browseButton));
    guitest::pumpUntil([&] { return done.load(); }, 15000);
    user.join();
    guitest::pumpFor(200);
    return view;
}

std::string longPath(const std::string& path) {
    char full[MAX_PATH] = {};
    const DWORD length = ::GetLongPathNameA(path.c_str(), full, MAX_PATH);
    std::string result = length > 0 && length < MAX_PATH ? std::string(full, length) : path;
    while (result.size() > 3 && (result.back() == '\\' || result.back() == '/'))
        result.pop_back();
    ::CharUpperA(result.data());
    return result;
}

TEST_F(MainDialogTest, ThePickerOpensInTheFolderOfTheNamedFileOrOfTheLastPick) {
    const fs::path tables = fs::path(folder.path("tables"));
    const fs::path other = fs::path(folder.path("other"));
    fs::create_directories(tables);
    fs::create_directories(other);
    ASSERT_TRUE(writeSampleTable((tables / "A.DBF").string(), 3));
    ASSERT_TRUE(writeSampleTable((other / "B.DBF").string(), 3));
    openDialog();
    ASSERT_TRUE(activate());

    // The folder of the path in File name, quoted as "Copy as path" gives it.
    setText(1000, "\"" + (tables / "A.DBF").string() + "\"");
    PickerView view = browseWithTheMouse(item(1001), "");
    EXPECT_EQ(longPath(view.folder), longPath(tables.string()));
    // Its one filter, as it always was.
    EXPECT_EQ(view.filters, std::vector<std::string>{"DBF Files (*.dbf)"});
    EXPECT_EQ(text(1000), "\"" + (tables / "A.DBF").string() + "\""); // cancelled: kept

    // A file picked elsewhere; then, with File name empty or naming no folder that exists,
    // the picker opens where that file was.
    browseWithTheMouse(item(1001), (other / "B.DBF").string());
    EXPECT_EQ(longPath(text(1000)), longPath((other / "B.DBF").string()));
    EXPECT_EQ(text(1003), "B_DBF");
    setText(1000, "");
    EXPECT_EQ(longPath(browseWithTheMouse(item(1001), "").folder), longPath(other.string()));
    setText(1000, (tables / "gone" / "C.DBF").string());
    EXPECT_EQ(longPath(browseWithTheMouse(item(1001), "").folder), longPath(other.string()));
    // A folder named by itself is where it opens.
    setText(1000, tables.string());
    EXPECT_EQ(longPath(browseWithTheMouse(item(1001), "").folder), longPath(tables.string()));
}

} // namespace
} // namespace apptest
