// What the main dialog makes of a file name's text: the picker's folder for names of files
// that are there, gone or in a drive's root, quotes, blanks and missing files.
#include "app/DialogInput.h"
#include "dbf/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

TEST(DialogInput, ThePickerFolderIsOneThatExistsNeverAFileOrAFolderGone) {
    TempFolder folder;
    const std::string tables = folder.path("tables");
    const std::string gone = folder.path("gone");
    fs::create_directories(tables);
    std::ofstream(tables + "\\A.DBF") << "table";

    EXPECT_EQ(pickerFolderFor(tables + "\\A.DBF", ""), tables);
    EXPECT_EQ(pickerFolderFor(" \"" + tables + "\\A.DBF\" ", ""), tables);
    EXPECT_EQ(pickerFolderFor(tables + "\\not-yet.dbf", ""), tables);
    EXPECT_EQ(pickerFolderFor(tables, ""), tables);
    // A name whose folder is not there gives the last folder picked, while that exists.
    EXPECT_EQ(pickerFolderFor(gone + "\\B.DBF", tables), tables);
    EXPECT_EQ(pickerFolderFor("", tables), tables);
    EXPECT_EQ(pickerFolderFor(gone + "\\B.DBF", gone), "");
    EXPECT_EQ(pickerFolderFor("   ", ""), "");

    // A table in a drive's root: the root itself, not the drive's current folder.
    char previous[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryA(tables.c_str()));
    const std::string root = tables.substr(0, 3);
    EXPECT_EQ(pickerFolderFor(root + "nothing.dbf", ""), root);
    // A name without a folder lies in the current one.
    EXPECT_EQ(pickerFolderFor("A.DBF", ""), tables);
    ::SetCurrentDirectoryA(previous);
    EXPECT_EQ(folderOfPath(root + "X.DBF"), root);
    EXPECT_EQ(folderOfPath(tables + "\\X.DBF"), tables);
    EXPECT_EQ(folderOfPath("X.DBF"), "");
}

TEST(DialogInput, QuotesBlanksAndMissingFiles) {
    EXPECT_EQ(unquotedPath("\"C:\\DATA\\a b.dbf\""), "C:\\DATA\\a b.dbf");
    EXPECT_EQ(unquotedPath("  \"C:\\DATA\\a.dbf\"\t"), "C:\\DATA\\a.dbf");
    EXPECT_EQ(unquotedPath("\"\""), "");
    // Not a pair around the whole name: kept as typed.
    EXPECT_EQ(unquotedPath("\""), "\"");
    EXPECT_EQ(unquotedPath("\"C:\\DATA\\a.dbf"), "\"C:\\DATA\\a.dbf");
    EXPECT_EQ(unquotedPath("C:\\\"x\"\\a.dbf"), "C:\\\"x\"\\a.dbf");

    EXPECT_TRUE(isBlank(""));
    EXPECT_TRUE(isBlank(" \t "));
    EXPECT_FALSE(isBlank(" x "));

    TempFolder folder;
    std::ofstream(folder.path("A.DBF")) << "table";
    EXPECT_FALSE(fileIsMissing(folder.path("A.DBF")));
    EXPECT_FALSE(fileIsMissing(folder.path("")));
    EXPECT_TRUE(fileIsMissing(folder.path("B.DBF")));
    EXPECT_TRUE(fileIsMissing(folder.path("gone\\A.DBF")));
    EXPECT_TRUE(fileIsMissing("   "));
}

} // namespace
