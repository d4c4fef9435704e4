// marlin-load: the dialog's load from a command line, for scripts and servers.
#include "cli/CommandLine.h"
#include "cli/Console.h"
#include "cli/ConsoleEvents.h"
#include "cli/ConsoleLoad.h"
#include "cli/ConsoleReporter.h"
#include "cli/ExitStatus.h"
#include "load/TableDescription.h"
#include "load/TableName.h"

#include <iostream>

namespace {

int usageError(const std::string& text) {
    console::write(console::Stream::Error,
                   "marlin-load: " + text + "\nTry 'marlin-load --help' for more.\n");
    return kExitUsage;
}

// The password from the terminal without echo, or else the first line of standard input.
std::optional<std::string> askForPassword(const ConsoleEvents& events) {
    if (console::inputIsTerminal())
        return console::readHiddenLine("Password: ", events);
    std::string line;
    if (!std::getline(std::cin, line))
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

// The names reach the load in upper case, as the dialog's upper-case fields give them.
LoadTexts requestFor(const LoadCommand& command, const std::string& tableName,
                     const std::string& password) {
    LoadTexts request{command.fileName, console::upperCased(tableName),
                      console::upperCased(command.userName), password,
                      console::upperCased(command.database)};
    request.options.fixNames = command.fixNames;
    return request;
}

// The description on standard output; the reader's message on standard error.
int describe(const LoadCommand& command) {
    std::string text;
    if (!describeTable(command.fileName, command.fixNames, text)) {
        console::write(console::Stream::Error, text + "\n");
        return kExitFailed;
    }
    console::write(console::Stream::Output, text);
    return kExitLoaded;
}

} // namespace

int main(int argc, char** argv) {
    const ParsedCommandLine parsed = parseCommandLine({argv + 1, argv + argc});
    if (!parsed.usageError.empty())
        return usageError(parsed.usageError);
    const LoadCommand& command = parsed.command;
    if (command.action == LoadCommand::Action::Describe)
        return describe(command);
    if (command.action != LoadCommand::Action::Load) {
        const bool help = command.action == LoadCommand::Action::ShowHelp;
        console::write(console::Stream::Output, help ? usageText() : versionText());
        return kExitLoaded;
    }
    const std::string tableName = command.tableName.value_or(tableNameForFile(command.fileName));
    if (tableName.empty())
        return usageError("the file name suggests no table name; give one with --table");

    ConsoleEvents events;
    std::optional<std::string> password = command.password;
    if (!password)
        password = askForPassword(events);
    if (events.stopRequested())
        return kExitStopped;
    if (!password || password->empty())
        return usageError("no password given");

    ConsoleReporter reporter(console::isTerminal(console::Stream::Error));
    return ConsoleLoad(events, reporter).run(requestFor(command, tableName, *password));
}
