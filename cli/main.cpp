// marlin-load: the dialog's load from a command line, for scripts and servers.
#include "cli/CommandLine.h"
#include "cli/Console.h"
#include "cli/ConsoleEvents.h"
#include "cli/ConsoleReporter.h"
#include "cli/ExitStatus.h"
#include "cli/LoadList.h"
#include "cli/LoadSeries.h"
#include "cli/TableDescription.h"
#include "platform/CodePage.h"
#include "platform/DynamicLibrary.h"

namespace {

int usageError(const std::string& text) {
    console::write(console::Stream::Error,
                   "marlin-load: " + text + "\nTry 'marlin-load --help' for more.\n");
    return kExitUsage;
}

// The user, password, database and options every load of the run shares, in UTF-8. The
// names reach the load in upper case, as the dialog's upper-case fields give them.
LoadRequest connectionFor(const LoadCommand& command, const std::string& password) {
    LoadRequest connection{"",
                           "",
                           console::upperCased(platform::utf8FromLocal(command.userName)),
                           password,
                           console::upperCased(platform::utf8FromLocal(command.database)),
                           command.options};
    connection.options.commandLine = true;
    return connection;
}

// The description on standard output; the reader's message on standard error.
int describe(const LoadCommand& command) {
    std::string text;
    if (!describeTable(command.paths.front(), command.options, text)) {
        console::write(console::Stream::Error, text + "\n");
        return kExitFailed;
    }
    console::write(console::Stream::Output, text);
    return kExitLoaded;
}

} // namespace

int main(int argc, char** argv) {
    // Before any library is loaded: a script may start the program in any folder.
    platform::keepCurrentFolderOutOfLibrarySearch();
    console::protectStandardStreams();
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
    const LoadList list = listLoads(command);
    for (const std::string& skipped : list.skipped)
        console::write(console::Stream::Error, "marlin-load: skipped " + skipped + "\n");
    if (!list.usageError.empty())
        return usageError(list.usageError);

    ConsoleEvents events;
    std::optional<std::string> password;
    if (command.password)
        password = platform::utf8FromLocal(*command.password);
    else
        password = console::readPassword(events);
    if (events.stopRequested())
        return kExitStopped;
    if (!password || password->empty())
        return usageError("no password given");

    ConsoleReporter reporter(console::isTerminal(console::Stream::Error));
    return LoadSeries(events, reporter)
        .run(list.loads, connectionFor(command, *password), command.stopOnError, command.jobs);
}
