// The command line of marlin-load: which file, into which table, as which Oracle user.
#pragma once

#include <optional>
#include <string>
#include <vector>

// What one command line asks for. Texts are kept as typed; the caller upper-cases the names.
struct LoadCommand {
    enum class Action { Load, ShowHelp, ShowVersion };
    Action action = Action::Load;
    std::string fileName;
    std::optional<std::string> tableName; // none: the name the file's name suggests
    std::string userName;
    std::optional<std::string> password; // none: ask for it
    std::string database;
    unsigned codePage = 0; // of the file's text; 0: the one its header names
};

// A parsed command line: the command, or a usage error naming what is wrong. The error never
// quotes a password or any other value given.
struct ParsedCommandLine {
    LoadCommand command;
    std::string usageError; // empty when the command line is sound
};

// Parses the arguments after the program's name:
//   FILE.DBF [--table NAME] --userid USER[/PASSWORD][@DATABASE] [--database DATABASE]
//            [--codepage N]
// with -t and -u for the first two, NAME=VALUE forms of the long options, and -- ending the
// options. --help and --version win over everything else. A code page this system cannot
// decode is a usage error.
ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments);

// The text of --help and of --version.
std::string usageText();
std::string versionText();
