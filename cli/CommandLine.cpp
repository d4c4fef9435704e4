// Parsing marlin-load's command line, in the style of Oracle's own tools.
#include "cli/CommandLine.h"

#include "platform/CodePage.h"

namespace {

constexpr const char* kVersion = "2.3";

// Turns the arguments into a LoadCommand, stopping at the first usage error.
class CommandLineParser {
  public:
    explicit CommandLineParser(const std::vector<std::string>& arguments) : arguments_(arguments) {}

    ParsedCommandLine parse();

  private:
    bool takeArgument(std::size_t& index);
    bool takeOption(const std::string& argument, std::size_t& index);
    bool splitUserId(const std::string& userId);
    bool takeCodePage(const std::string& number);
    bool checkComplete();
    bool usageError(const std::string& text);

    const std::vector<std::string>& arguments_;
    ParsedCommandLine result_;
    std::vector<std::string> files_;
    std::optional<std::string> userId_;
    std::optional<std::string> database_;
    std::optional<std::string> codePage_;
    bool databaseInUserId_ = false;
    bool optionsEnded_ = false;
};

ParsedCommandLine CommandLineParser::parse() {
    for (const std::string& argument : arguments_) {
        if (argument == "--")
            break;
        if (argument == "--help" || argument == "--version") {
            result_.command.action = argument == "--help" ? LoadCommand::Action::ShowHelp
                                                          : LoadCommand::Action::ShowVersion;
            return result_;
        }
    }
    for (std::size_t index = 0; index < arguments_.size(); ++index)
        if (!takeArgument(index))
            return result_;
    checkComplete();
    return result_;
}

bool CommandLineParser::takeArgument(std::size_t& index) {
    const std::string& argument = arguments_[index];
    if (!optionsEnded_ && argument == "--") {
        optionsEnded_ = true;
        return true;
    }
    // A lone "-" is a file name, as it is for most tools.
    if (optionsEnded_ || argument.size() < 2 || argument[0] != '-') {
        files_.push_back(argument);
        return true;
    }
    return takeOption(argument, index);
}

// Long options take their value after "=" or as the next argument, short ones attached
// (-tNAME) or as the next argument, as getopt does. An unknown option is named without its
// value.
bool CommandLineParser::takeOption(const std::string& argument, std::size_t& index) {
    const bool isLong = argument[1] == '-';
    const std::size_t valueStart = isLong ? argument.find('=') : 2;
    const std::string name = argument.substr(0, valueStart);
    std::optional<std::string>* target = nullptr;
    if (name == "--table" || name == "-t")
        target = &result_.command.tableName;
    else if (name == "--userid" || name == "-u")
        target = &userId_;
    else if (name == "--database")
        target = &database_;
    else if (name == "--codepage")
        target = &codePage_;
    else
        return usageError("unknown option " + name);
    if (valueStart < argument.size())
        *target = argument.substr(valueStart + (isLong ? 1 : 0));
    else if (index + 1 < arguments_.size())
        *target = arguments_[++index];
    else
        return usageError("option " + name + " needs a value");
    return true;
}

// USER[/PASSWORD][@DATABASE]. A password holding "@" is written in double quotes, as
// Oracle's tools take it: scott/"p@ss"@orcl.
bool CommandLineParser::splitUserId(const std::string& userId) {
    LoadCommand& command = result_.command;
    std::size_t position = userId.find_first_of("/@");
    command.userName = userId.substr(0, position);
    if (position != std::string::npos && userId[position] == '/') {
        const std::size_t start = position + 1;
        if (start < userId.size() && userId[start] == '"') {
            position = userId.find('"', start + 1);
            if (position == std::string::npos)
                return usageError("the password in --userid lacks its closing quote");
            command.password = userId.substr(start + 1, position - start - 1);
            if (++position < userId.size() && userId[position] != '@')
                return usageError("--userid has text after the quoted password");
        } else {
            position = userId.find('@', start);
            command.password = userId.substr(start, position - start);
        }
    }
    if (position != std::string::npos && position < userId.size()) {
        command.database = userId.substr(position + 1);
        databaseInUserId_ = true;
    }
    return true;
}

bool CommandLineParser::checkComplete() {
    LoadCommand& command = result_.command;
    if (files_.empty())
        return usageError("no DBF file given");
    if (files_.size() > 1)
        return usageError("more than one DBF file given");
    command.fileName = files_.front();
    if (command.fileName.empty())
        return usageError("the DBF file name is empty");
    if (command.tableName && command.tableName->empty())
        return usageError("the table name is empty");
    if (!userId_)
        return usageError("no Oracle user given (--userid USER[/PASSWORD][@DATABASE])");
    if (!splitUserId(*userId_))
        return false;
    if (command.userName.empty())
        return usageError("the user name in --userid is empty");
    if (database_ && databaseInUserId_)
        return usageError("the database is given twice, in --userid and by --database");
    if (database_)
        command.database = *database_;
    if (command.database.empty())
        return usageError("no database given (--userid USER@DATABASE or --database)");
    return !codePage_ || takeCodePage(*codePage_);
}

// A Windows code page number: 866, 1251, 932 and so on.
bool CommandLineParser::takeCodePage(const std::string& number) {
    const bool digits = !number.empty() && number.size() <= 5 &&
                        number.find_first_not_of("0123456789") == std::string::npos;
    const unsigned long codePage = digits ? std::stoul(number) : 0;
    if (codePage == 0 || codePage > 65535)
        return usageError("--codepage needs a code page number, such as 866");
    if (!platform::canDecodeCodePage(static_cast<unsigned>(codePage)))
        return usageError("code page " + std::to_string(codePage) +
                          " is unknown, or this system cannot decode it");
    result_.command.codePage = static_cast<unsigned>(codePage);
    return true;
}

bool CommandLineParser::usageError(const std::string& text) {
    result_.usageError = text;
    return false;
}

} // namespace

ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    return CommandLineParser(arguments).parse();
}

std::string usageText() {
    return "Usage: marlin-load FILE.DBF [--table NAME] --userid USER[/PASSWORD][@DATABASE]\n"
           "                  [--codepage N]\n"
           "Loads a dBase/FoxPro table (with its FPT memo file) into a new Oracle table.\n"
           "\n"
           "  -t, --table NAME       the new table; by default the file's name with its\n"
           "                         extension, every \".\" made \"_\", at most 30 characters\n"
           "  -u, --userid USER[/PASSWORD][@DATABASE]\n"
           "                         the Oracle user, password and connect string; write a\n"
           "                         password holding \"@\" in double quotes\n"
           "      --database NAME    the connect string, when the userid has none\n"
           "      --codepage N       the code page of the file's text (866, 1251, 932, ...),\n"
           "                         for a file whose header names none or a wrong one\n"
           "      --help             show this help and exit\n"
           "      --version          show the version and exit\n"
           "\n"
           "Table name, user and database are taken in upper case, the password as typed.\n"
           "Text reaches Oracle in Unicode (AL32UTF8), decoded from the code page the\n"
           "file's header names, or else from the machine's OEM code page.\n"
           "Without a password in the userid it is asked for on the terminal, or read from\n"
           "the first line of standard input when that is not a terminal.\n"
           "\n"
           "Status lines go to standard output, failure messages and the progress bar to\n"
           "standard error. Ctrl+C stops the load: the table keeps the committed batches.\n"
           "Exit status: 0 loaded, 1 failed, 2 usage error, 130 stopped.\n";
}

std::string versionText() {
    return std::string("marlin-load (Marlin) ") + kVersion + "\n";
}
