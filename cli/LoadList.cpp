// Turning the paths of a command line into the tables of a run.
#include "cli/LoadList.h"

#include "cli/Console.h"
#include "load/ColumnNames.h"
#include "load/TableName.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/Folder.h"

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

// A file of the run, and whether a folder gave it rather than the command line.
struct FoundFile {
    std::string path;
    bool inFolder;
};

// Reading a FIFO would wait for a writer, a device's read for input: such files are skipped
// before anything opens them. Others that cannot be read fail in their own loads, which say
// why.
bool isSpecialFile(const std::string& path, std::string& what) {
    const platform::FileProblem problem = platform::examineFileToRead(path);
    what = problem.what;
    return problem.kind == platform::FileProblem::Kind::NotRegular;
}

// The folder's DBF files, in order; a usage error when it has none or cannot be read.
std::string addFolder(const std::string& path, std::vector<FoundFile>& files,
                      std::vector<std::string>& skipped) {
    std::optional<std::vector<std::string>> names = platform::folder::fileNames(path);
    if (!names)
        return "cannot read folder " + named(path);
    names->erase(std::remove_if(names->begin(), names->end(),
                                [](const std::string& name) { return !isDbfName(name); }),
                 names->end());
    if (names->empty())
        return "folder " + named(path) + " holds no DBF file";
    std::sort(names->begin(), names->end(), comesBefore);
    for (const std::string& name : *names) {
        const std::string file = platform::folder::pathInFolder(path, name);
        std::string what;
        if (isSpecialFile(file, what))
            skipped.push_back(named(file) + ": it is " + what + ", not a regular file");
        else
            files.push_back({file, true});
    }
    return "";
}

// The table of a file: --table, or the name the file's suggests, in UTF-8 and in upper case
// (before the cut, so that a longer upper-case letter cannot push it past 30 bytes), made
// one Oracle takes with --fix-names.
std::string tableFor(const LoadCommand& command, const std::string& file) {
    if (command.tableName)
        return console::upperCased(named(*command.tableName));
    const std::string table = tableNameForFile(console::upperCased(named(file)));
    return command.options.fixNames && !table.empty() ? loadableName(table) : table;
}

// A name made from a file's name goes into SQL unquoted, as the user never typed it: one that
// would change the statement ends its table's load. Names the user gives are theirs (a
// quoted name, a schema's prefix).
std::string refusalOf(const LoadCommand& command, const std::string& table) {
    if (command.tableName || holdsOnlyNameCharacters(table))
        return "";
    return "Table name " + quotedName(table) +
           ", made from the file's name, cannot name a table: an unquoted name holds only "
           "letters, digits, _, $ and #.\n--fix-names makes it one Oracle takes, or load the "
           "file alone with --table NAME.";
}

// "A and B", "A, B and C".
std::string listed(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t index = 0; index < names.size(); ++index)
        text += (index == 0 ? "" : index + 1 == names.size() ? " and " : ", ") + names[index];
    return text;
}

// Files that would load one table: the user named them all (a usage error), or a folder gave
// some of them (their tables are refused, the rest of the run goes on).
std::string refuseSharedTables(std::vector<TableLoad>& loads, const std::vector<FoundFile>& files) {
    std::map<std::string, std::vector<std::size_t>> loadsOfTable;
    for (std::size_t index = 0; index < loads.size(); ++index)
        loadsOfTable[loads[index].tableName].push_back(index);
    for (const auto& [table, indexes] : loadsOfTable) {
        if (indexes.size() < 2)
            continue;
        std::vector<std::string> names;
        bool fromFolder = false;
        for (std::size_t index : indexes) {
            names.push_back(named(files[index].path));
            fromFolder = fromFolder || files[index].inFolder;
        }
        if (!fromFolder)
            return "both " + names[0] + " and " + names[1] + " would load table " + table;
        for (std::size_t index : indexes)
            if (loads[index].refusal.empty())
                loads[index].refusal = "Cannot load table " + table + ": files " + listed(names) +
                                       (names.size() == 2 ? " would both" : " would all") +
                                       " load it. Load each alone with --table NAME.";
    }
    return "";
}

} // namespace

LoadList listLoads(const LoadCommand& command) {
    LoadList list;
    std::vector<FoundFile> files;
    for (const std::string& path : command.paths) {
        if (!platform::folder::isFolder(path)) {
            files.push_back({path, false});
        } else if (command.tableName) {
            list.usageError = "--table names the table of one file; a folder's files name "
                              "their own";
            return list;
        } else if (std::string error = addFolder(path, files, list.skipped); !error.empty()) {
            list.usageError = error;
            return list;
        }
    }
    for (const FoundFile& file : files) {
        const std::string table = tableFor(command, file.path);
        if (table.empty()) {
            list.usageError = "the file name " + named(file.path) + " suggests no table name";
            if (files.size() == 1)
                list.usageError += "; give one with --table";
            return list;
        }
        list.loads.push_back({file.path, table, refusalOf(command, table)});
    }
    list.usageError = refuseSharedTables(list.loads, files);
    return list;
}
