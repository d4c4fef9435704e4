// marlin-load: the dialog's load from a command line, for scripts and servers.
#include "cli/CommandLine.h"
#include "cli/Console.h"
#include "cli/ConsoleEvents.h"
#include "cli/ConsoleLoad.h"
#include "cli/ConsoleReporter.h"
#include "cli/ExitStatus.h"
#include "load/TableName.h"
#include "platform/CodePage.h"

#include <iostream>

namespace {

int usageError(const std::string& text) {
    console::write(console::Stream::Error,
                   "marlin-load: " + text + "\nTry 'marlin-load --help' for more.\n");
    return kExitUsage;
}

// The password (in UTF-8) from the terminal without echo, or else the first line of
// standard input.
std::optional<std::string> askForPassword(const ConsoleEvents& events) {
    if (console::inputIsTerminal())
        return console::readHiddenLine("Password: ", events);
    std::string line;
    if (!std::getline(std::cin, line))
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return platform::utf8FromLocal(line);
}

// A name as typed, in UTF-8 and in upper case, as the dialog's upper-case fields give them.
std::string upperCasedName(const std::string& typed) {
    return platform::upperCasedUtf8(platform::utf8FromLocal(typed));
}

// The texts reach the load in UTF-8; the file name stays as the system's file functions take
// it.
LoadTexts requestFor(const LoadCommand& command, const std::string& tableName,
                     const std::string& password) {
    LoadTexts request{command.fileName, tableName, upperCasedName(command.userName), password,
                      upperCasedName(command.database)};
    request.options.codePage = command.codePage;
    return request;
}

} // namespace

int main(int argc, char** argv) {
    const ParsedCommandLine parsed = parseCommandLine({argv + 1, argv + argc});
    if (!parsed.usageError.empty())
        return usageError(parsed.usageError);
    const LoadCommand& command = parsed.command;
    if (command.action != LoadCommand::Action::Load) {
        const bool help = command.action == LoadCommand::Action::ShowHelp;
        console::write(console::Stream::Output, help ? usageText() : versionText());
        return kExitLoaded;
    }
    // The name the file suggests is cut to a length that holds in upper case too.
    const std::string tableName = command.tableName
                                      ? upperCasedName(*command.tableName)
                                      : tableNameForFile(upperCasedName(command.fileName));
    if (tableName.empty())
        return usageError("the file name suggests no table name; give one with --table");

    ConsoleEvents events;
    std::optional<std::string> password;
    if (command.password)
        password = platform::utf8FromLocal(*command.password);
    else
        password = askForPassword(events);
    if (events.stopRequested())
        return kExitStopped;
    if (!password || password->empty())
        return usageError("no password given");

    ConsoleReporter reporter(console::isTerminal(console::Stream::Error));
    return ConsoleLoad(events, reporter).run(requestFor(command, tableName, *password));
}
