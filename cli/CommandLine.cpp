// Parsing marlin-load's command line, in the style of Oracle's own tools.
#include "cli/CommandLine.h"

#include "MarlinVersion.h"
#include "platform/CodePage.h"

#include <map>

namespace {

// One option of the command line: its long name, its short one (or none), and whether it
// takes a value.
struct OptionSpec {
    const char* longName;
    const char* shortName;
    bool takesValue;
};

// Every option. Adding one is a line here and a look at its value in checkComplete().
constexpr OptionSpec kOptions[] = {
    {"--table", "-t", true},
    {"--userid", "-u", true},
    {"--database", nullptr, true},
    {"--replace", nullptr, false},
    {"--append", nullptr, false},
    {"--resume", nullptr, false},
    {"--stop-on-error", nullptr, false},
    {"--fix-names", nullptr, false},
    {"--describe", nullptr, false},
    {"--help", nullptr, false},
    {"--version", nullptr, false},
    {"--codepage", nullptr, true},
    {"--typed", nullptr, false},
    {"--skip-deleted", nullptr, false},
    {"--jobs", nullptr, true},
};

// The most tables --jobs loads at once: each holds a session and a load's memory.
constexpr std::size_t kMostJobs = 32;

const OptionSpec* findOption(const std::string& name) {
    for (const OptionSpec& option : kOptions)
        if (name == option.longName || (option.shortName != nullptr && name == option.shortName))
            return &option;
    return nullptr;
}

// A lone "-" is a file name, as it is for most tools.
bool looksLikeOption(const std::string& argument) {
    return argument.size() >= 2 && argument[0] == '-';
}

// Turns the arguments into a LoadCommand, stopping at the first usage error.
class CommandLineParser {
  public:
    explicit CommandLineParser(const std::vector<std::string>& arguments) : arguments_(arguments) {}

    ParsedCommandLine parse();

  private:
    bool takeArgument(std::size_t& index);
    bool takeOption(const std::string& argument, std::size_t& index);
    bool checkPaths();
    bool checkExistingTablePolicy();
    bool splitUserId(const std::string& userId);
    bool checkConnection();
    bool checkDescription();
    bool checkCodePage();
    bool checkJobs();
    bool checkComplete();
    bool usageError(const std::string& text);
    bool given(const char* longName) const { return options_.count(longName) != 0; }
    std::optional<std::string> valueOf(const char* longName) const;

    const std::vector<std::string>& arguments_;
    ParsedCommandLine result_;
    // The options given, by long name; a flag's value is empty.
    std::map<std::string, std::string> options_;
    bool databaseInUserId_ = false;
    bool optionsEnded_ = false;
};

ParsedCommandLine CommandLineParser::parse() {
    for (std::size_t index = 0; index < arguments_.size(); ++index) {
        if (!takeArgument(index))
            return result_;
        if (given("--help") || given("--version")) {
            result_.command.action =
                given("--help") ? LoadCommand::Action::ShowHelp : LoadCommand::Action::ShowVersion;
            return result_;
        }
    }
    checkComplete();
    return result_;
}

bool CommandLineParser::takeArgument(std::size_t& index) {
    const std::string& argument = arguments_[index];
    if (!optionsEnded_ && argument == "--") {
        optionsEnded_ = true;
        return true;
    }
    if (optionsEnded_ || !looksLikeOption(argument)) {
        result_.command.paths.push_back(argument);
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
    const OptionSpec* option = findOption(name);
    if (option == nullptr)
        return usageError("unknown option " + name);
    if (given(option->longName))
        return usageError("option " + std::string(option->longName) + " is given twice");
    const bool attached = valueStart < argument.size();
    std::string value;
    if (!option->takesValue) {
        if (attached)
            return usageError("option " + name + " takes no value");
    } else if (attached) {
        value = argument.substr(valueStart + (isLong ? 1 : 0));
    } else if (index + 1 < arguments_.size() && !looksLikeOption(arguments_[index + 1])) {
        value = arguments_[++index];
    } else {
        return usageError("option " + name + " needs a value");
    }
    options_[option->longName] = value;
    return true;
}

std::optional<std::string> CommandLineParser::valueOf(const char* longName) const {
    const auto found = options_.find(longName);
    if (found == options_.end())
        return std::nullopt;
    return found->second;
}

bool CommandLineParser::checkPaths() {
    LoadCommand& command = result_.command;
    if (command.paths.empty())
        return usageError("no DBF file given");
    for (const std::string& path : command.paths)
        if (path.empty())
            return usageError("a DBF file name is empty");
    command.tableName = valueOf("--table");
    if (command.tableName && command.tableName->empty())
        return usageError("the table name is empty");
    if (command.tableName && command.paths.size() > 1)
        return usageError("--table names the table of one file; with several, each file "
                          "names its own");
    return true;
}

bool CommandLineParser::checkExistingTablePolicy() {
    if (given("--replace") && given("--append"))
        return usageError("--replace and --append exclude each other");
    if (given("--resume") && (given("--replace") || given("--append")))
        return usageError(std::string("--resume and ") +
                          (given("--replace") ? "--replace" : "--append") + " exclude each other");
    LoadCommand& command = result_.command;
    if (given("--replace"))
        command.options.existingTable = ExistingTable::Replace;
    if (given("--append"))
        command.options.existingTable = ExistingTable::Append;
    if (given("--resume"))
        command.options.existingTable = ExistingTable::Resume;
    command.stopOnError = given("--stop-on-error");
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

bool CommandLineParser::checkConnection() {
    LoadCommand& command = result_.command;
    const std::optional<std::string> userId = valueOf("--userid");
    if (!userId)
        return usageError("no Oracle user given (--userid USER[/PASSWORD][@DATABASE])");
    if (!splitUserId(*userId))
        return false;
    if (command.userName.empty())
        return usageError("the user name in --userid is empty");
    const std::optional<std::string> database = valueOf("--database");
    if (database && databaseInUserId_)
        return usageError("the database is given twice, in --userid and by --database");
    // Without one the client connects where Oracle's own tools do: TWO_TASK, or the local
    // database ORACLE_SID names (LOCAL on Windows).
    if (database)
        command.database = *database;
    return true;
}

// A description reads one file and connects to nothing.
bool CommandLineParser::checkDescription() {
    LoadCommand& command = result_.command;
    command.action = LoadCommand::Action::Describe;
    if (command.paths.empty())
        return usageError("no DBF file given");
    if (command.paths.size() > 1)
        return usageError("--describe reads one DBF file");
    for (const char* loadOption : {"--table", "--userid", "--database", "--replace", "--append",
                                   "--resume", "--stop-on-error", "--skip-deleted", "--jobs"})
        if (given(loadOption))
            return usageError(std::string("--describe connects to nothing: it takes no ") +
                              loadOption);
    return true;
}

// A Windows code page number: 866, 1251, 932 and so on; with a "!" after it, for every file.
bool CommandLineParser::checkCodePage() {
    std::optional<std::string> number = valueOf("--codepage");
    if (!number)
        return true;
    LoadOptions& options = result_.command.options;
    options.forceCodePage = !number->empty() && number->back() == '!';
    if (options.forceCodePage)
        number->pop_back();
    const bool digits =
        !number->empty() && number->find_first_not_of("0123456789") == std::string::npos;
    if (!digits || number->find_first_not_of('0') == std::string::npos)
        return usageError("--codepage needs a code page number, such as 866 (or 866! to read "
                          "every file in it)");
    // Past five digits no number is a code page; stoul would not even hold some.
    const unsigned long codePage = number->size() <= 5 ? std::stoul(*number) : 0;
    if (codePage == 0 || codePage > 65535 ||
        !platform::canDecodeCodePage(static_cast<unsigned>(codePage)))
        return usageError("code page " + *number + " is unknown, or this system cannot decode it");
    options.codePage = static_cast<unsigned>(codePage);
    return true;
}

bool CommandLineParser::checkJobs() {
    const std::optional<std::string> number = valueOf("--jobs");
    if (!number)
        return true;
    const bool digits = !number->empty() && number->size() <= 2 &&
                        number->find_first_not_of("0123456789") == std::string::npos;
    const std::size_t jobs = digits ? std::stoul(*number) : 0;
    if (jobs == 0 || jobs > kMostJobs)
        return usageError("--jobs needs the number of tables to load at once, from 1 to " +
                          std::to_string(kMostJobs));
    result_.command.jobs = jobs;
    return true;
}

bool CommandLineParser::checkComplete() {
    result_.command.options.fixNames = given("--fix-names");
    result_.command.options.typedColumns = given("--typed");
    result_.command.options.skipDeleted = given("--skip-deleted");
    if (given("--describe"))
        return checkDescription() && checkCodePage();
    return checkPaths() && checkExistingTablePolicy() && checkConnection() && checkCodePage() &&
           checkJobs();
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
    return "Usage: marlin-load FILE.DBF|FOLDER... -u USER[/PASSWORD][@DATABASE] [OPTION]...\n"
           "       marlin-load --describe FILE.DBF [--fix-names] [--typed] [--codepage N[!]]\n"
           "Loads dBase/FoxPro tables (with their FPT or DBT memo files) into Oracle tables,\n"
           "each file into a table of its own, one after the other or several at once.\n"
           "\n"
           "  FILE.DBF, FOLDER       the tables to load; a folder gives every .DBF file in\n"
           "                         it (any case), in the order of their names\n"
           "  -t, --table NAME       the table of a single file; by default the file's name\n"
           "                         with its extension, every \".\" made \"_\", at most 30\n"
           "                         characters\n"
           "  -u, --userid USER[/PASSWORD][@DATABASE]\n"
           "                         the Oracle user, password and connect string; write a\n"
           "                         password holding \"@\" in double quotes; without a\n"
           "                         connect string, the client's default database\n"
           "                         (TWO_TASK or ORACLE_SID; LOCAL on Windows)\n"
           "      --database NAME    the connect string, when the userid has none\n"
           "      --replace          when a table exists, load into a new table and put it\n"
           "                         in the old one's place only once every row is in; the\n"
           "                         old table's indexes, grants and constraints are lost\n"
           "      --append           when a table exists, insert into it if its columns are\n"
           "                         those the file would make; else insert nothing\n"
           "      --resume           go on with a load that was stopped or failed: when a\n"
           "                         table exists, check its columns as --append does,\n"
           "                         count its rows, pass over as many records of the\n"
           "                         file (those --skip-deleted loads, with it) and load\n"
           "                         the rest; a table holding them all is left as it is,\n"
           "                         one holding more is refused, a missing table is\n"
           "                         loaded whole. It trusts that only Marlin wrote to the\n"
           "                         table, one row for each record, in record order:\n"
           "                         never resume a table that was appended to or written\n"
           "                         to otherwise, nor with other options than its load's\n"
           "      --stop-on-error    start no further table after one that failed; tables\n"
           "                         loading at once end as they will\n"
           "      --jobs N           load up to N tables at once (1 to 32; 1 by default),\n"
           "                         each in its own session and thread; the memory the\n"
           "                         run needs is N times one load's (its batches take up\n"
           "                         to about 10 MB, more with large memos)\n"
           "      --fix-names        make every field name, and every table name made from\n"
           "                         a file's name, one Oracle takes: a reserved word gets\n"
           "                         a trailing \"_\", every character but the letters A to\n"
           "                         Z, digits, _, $ and # (national letters too) becomes\n"
           "                         \"_\", a name not starting with a letter gets a leading\n"
           "                         \"F\", a column name taken before gets \"_2\", \"_3\",\n"
           "                         ...; at most 30 characters\n"
           "      --typed            give each column the type of its field's values:\n"
           "                         NUMBER, DATE, BINARY_DOUBLE, CHAR(1) for logicals,\n"
           "                         CLOB and BLOB for whole memos and binary data; a\n"
           "                         value its type cannot hold is loaded as NULL and\n"
           "                         counted\n"
           "      --describe         connect to nothing; print what a load would make of\n"
           "                         the file: its kind, records, code page, memo file,\n"
           "                         header problems and one line per field\n"
           "      --codepage N       the code page of the text of files that name none in\n"
           "                         their header or in a .cpg file beside them (866,\n"
           "                         1251, 932, 65001 for UTF-8, ...); N! reads every file\n"
           "                         in it, whatever they name\n"
           "      --skip-deleted     leave out the records marked as deleted, which are\n"
           "                         loaded like all others without it; the commit lines\n"
           "                         and the last line then count the records loaded\n"
           "      --help             show this help and exit\n"
           "      --version          show the version and exit\n"
           "\n"
           "Without --replace, --append or --resume, a table that exists ends its file's\n"
           "load.\n"
           "Table names, user and database are taken in upper case, the password as typed.\n"
           "Text reaches Oracle in Unicode (AL32UTF8), decoded from the code page a file's\n"
           "header names, else its .cpg file, else --codepage, else the machine's OEM one.\n"
           "Without a password in the userid it is asked for on the terminal, or read from\n"
           "the first line of standard input when that is not a terminal.\n"
           "\n"
           "Status lines go to standard output, failure messages and the progress bar to\n"
           "standard error. With several files each line begins with its table's name, and\n"
           "a summary ends the run, its tables in the order given. Ctrl+C stops the loads in\n"
           "progress and starts no other: each table keeps its committed batches, or stays\n"
           "as it was when it was being replaced; a second Ctrl+C breaks the Oracle calls\n"
           "that do not return.\n"
           "Exit status: 0 every table loaded, 1 any failed, 2 usage error, 130 stopped.\n";
}

std::string versionText() {
    return std::string("marlin-load (Marlin) ") + MARLIN_VERSION_TEXT + "\n";
}
