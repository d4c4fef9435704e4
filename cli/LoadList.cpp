// Turning the paths of a command line into the tables of a run.
#include "cli/LoadList.h"

#include "cli/Console.h"
#include "cli/Folder.h"
#include "load/TableName.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <map>

namespace {

char lowerCase(char letter) {
    return letter >= 'A' && letter <= 'Z' ? static_cast<char>(letter - 'A' + 'a') : letter;
}

bool isDbfName(const std::string& name) {
    static const std::string extension = ".dbf";
    if (name.size() <= extension.size())
        return false;
    return std::equal(extension.begin(), extension.end(), name.end() - extension.size(),
                      [](char wanted, char letter) { return wanted == lowerCase(letter); });
}

// By name without regard to ASCII case; names that differ only in case by their bytes.
bool comesBefore(const std::string& left, const std::string& right) {
    const auto byLetter = [](char a, char b) { return lowerCase(a) < lowerCase(b); };
    if (std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end(),
                                     byLetter))
        return true;
    if (std::lexicographical_compare(right.begin(), right.end(), left.begin(), left.end(),
                                     byLetter))
        return false;
    return left < right;
}

// A path as messages name it: in UTF-8, as every text marlin-load writes.
std::string named(const std::string& path) {
    return platform::utf8FromLocal(path);
}

// The table of a file: --table, or the name the file's suggests, in UTF-8 and in upper case
// (before the cut, so that a longer upper-case letter cannot push it past 30 bytes).
std::string tableFor(const LoadCommand& command, const std::string& file) {
    if (command.tableName)
        return console::upperCased(named(*command.tableName));
    return tableNameForFile(console::upperCased(named(file)));
}

// The folder's DBF files, in order; a usage error when it has none or cannot be read.
std::string addFolder(const std::string& path, std::vector<std::string>& files) {
    std::optional<std::vector<std::string>> names = folder::fileNames(path);
    if (!names)
        return "cannot read folder " + named(path);
    names->erase(std::remove_if(names->begin(), names->end(),
                                [](const std::string& name) { return !isDbfName(name); }),
                 names->end());
    if (names->empty())
        return "folder " + named(path) + " holds no DBF file";
    std::sort(names->begin(), names->end(), comesBefore);
    for (const std::string& name : *names)
        files.push_back(folder::pathInFolder(path, name));
    return "";
}

} // namespace

LoadList listLoads(const LoadCommand& command) {
    LoadList list;
    std::vector<std::string> files;
    for (const std::string& path : command.paths) {
        if (!folder::isFolder(path)) {
            files.push_back(path);
        } else if (command.tableName) {
            list.usageError = "--table names the table of one file; a folder's files name "
                              "their own";
            return list;
        } else if (std::string error = addFolder(path, files); !error.empty()) {
            list.usageError = error;
            return list;
        }
    }
    std::map<std::string, std::string> fileOfTable;
    for (const std::string& file : files) {
        const std::string table = tableFor(command, file);
        if (table.empty()) {
            list.usageError = "the file name " + named(file) + " suggests no table name";
            if (files.size() == 1)
                list.usageError += "; give one with --table";
            return list;
        }
        if (!fileOfTable.emplace(table, file).second) {
            list.usageError = "both " + named(fileOfTable[table]) + " and " + named(file) +
                              " would load table " + table;
            return list;
        }
        list.loads.push_back({file, table});
    }
    return list;
}
