// The command line of marlin-load: which files, into which tables, as which Oracle user.
#pragma once

#include "load/LoadState.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// What one command line asks for. Texts are kept as typed; the caller upper-cases the names.
struct LoadCommand {
    enum class Action { Load, Describe, ShowHelp, ShowVersion };
    Action action = Action::Load;
    std::vector<std::string> paths;       // DBF files and folders of them, in the given order
    std::optional<std::string> tableName; // none: the name each file's name suggests
    std::string userName;
    std::optional<std::string> password; // none: ask for it
    std::string database;
    LoadOptions options;      // --replace, --append or --resume, --fix-names, --typed, ...
    bool stopOnError = false; // --stop-on-error: no table after a failed one
    std::size_t jobs = 1;     // --jobs: tables loaded at once, each in its own session
};

// A parsed command line: the command, or a usage error naming what is wrong. The error never
// quotes a password or any other value given.
struct ParsedCommandLine {
    LoadCommand command;
    std::string usageError; // empty when the command line is sound
};

// Parses the arguments after the program's name:
//   FILE.DBF|FOLDER... [--table NAME] --userid USER[/PASSWORD][@DATABASE] [--database DATABASE]
//   [--replace|--append|--resume] [--stop-on-error] [--fix-names] [--typed] [--codepage N[!]]
//   [--skip-deleted] [--jobs N]
//   --describe FILE.DBF [--fix-names] [--typed] [--codepage N[!]]
// with -t and -u for the first two. A long option's value follows "=" or comes as the next
// argument, a short one's is attached (-tNAME) or the next argument; a value given as the
// next argument may not begin with "-", so that a forgotten value never swallows the next
// option. An option given twice is a usage error, and "--" ends the options. --help and
// --version end the parse where they stand, unless a usage error came before them. A code
// page this system cannot decode is a usage error; "N!" forces code page N on every file.
ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments);

// The text of --help and of --version.
std::string usageText();
std::string versionText();
