// A temporary stand-in database for tests, and the read-back of its table files.
#include "StandinDatabase.h"

#include "oracle_standin/FileNames.h"
#include "platform/DynamicLibrary.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <thread>

namespace fs = std::filesystem;

namespace standin_test {

namespace {

std::string upperCase(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

void appendLine(const fs::path& file, const std::string& line) {
    std::ofstream out(file, std::ios::binary | std::ios::app);
    out << line << '\n';
    if (!out.flush())
        throw std::runtime_error("cannot write " + file.string());
}

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t tab = line.find('\t', start);
        parts.push_back(line.substr(start, tab == std::string::npos ? tab : tab - start));
        if (tab == std::string::npos)
            return parts;
        start = tab + 1;
    }
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    throw std::runtime_error("bad hex digit in a table file");
}

// Undoes the table file's escaping; `\N` alone is NULL.
StoredValue unescape(const std::string& field) {
    if (field == "\\N")
        return std::nullopt;
    std::string bytes;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            bytes.push_back(field[i]);
            continue;
        }
        if (++i >= field.size())
            throw std::runtime_error("dangling backslash in a table file");
        switch (field[i]) {
        case '\\':
            bytes.push_back('\\');
            break;
        case 't':
            bytes.push_back('\t');
            break;
        case 'n':
            bytes.push_back('\n');
            break;
        case 'r':
            bytes.push_back('\r');
            break;
        case '0':
            bytes.push_back('\0');
            break;
        case 'x':
            if (i + 2 >= field.size())
                throw std::runtime_error("short \\x escape in a table file");
            bytes.push_back(
                static_cast<char>(hexDigit(field[i + 1]) * 16 + hexDigit(field[i + 2])));
            i += 2;
            break;
        default:
            throw std::runtime_error("unknown escape in a table file");
        }
    }
    return bytes;
}

void parseHeader(const std::string& line, StoredTable& table) {
    std::vector<std::string> parts = splitTabs(line);
    if (parts.size() < 2 || parts[0] != "columns")
        throw std::runtime_error("table file without its columns line");
    for (std::size_t i = 1; i < parts.size(); ++i) {
        std::size_t colon = parts[i].rfind(':');
        if (colon == std::string::npos || colon + 1 == parts[i].size())
            throw std::runtime_error("bad column in a table file: " + parts[i]);
        const std::string type = parts[i].substr(colon + 1);
        // A VARCHAR2 column is its width alone, as the first table files had it.
        const bool varchar = type[0] >= '0' && type[0] <= '9';
        const bool inCharacters = varchar && type.find(" CHAR") != std::string::npos;
        table.columnNames.push_back(parts[i].substr(0, colon));
        table.columnWidths.push_back(varchar ? std::stoi(type) : 0);
        table.widthsInCharacters.push_back(inCharacters);
        table.columnTypes.push_back(varchar ? "VARCHAR2(" + std::to_string(std::stoi(type)) +
                                                  (inCharacters ? " CHAR)" : ")")
                                            : type);
    }
}

void* standinEntryPoint(const char* name) {
#if defined(_WIN32)
    const std::string library = "OCI.DLL";
#else
    const std::string library = StandinDatabase::standinLibraryPath();
#endif
    void* entry = platform::findSymbol(platform::loadLibrary(library), name);
    if (entry == nullptr)
        throw std::runtime_error(std::string("the client library does not export ") + name);
    return entry;
}

std::string uniqueFolderName() {
    static std::atomic<unsigned> counter{0};
    auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    std::ostringstream name;
    name << "marlin-standin-" << std::hex << static_cast<unsigned long long>(ticks) << "-"
         << counter++;
    return name.str();
}

} // namespace

StandinDatabase::StandinDatabase(const std::string& databaseName) : databaseName_(databaseName) {
    std::error_code error;
    fs::path root = fs::temp_directory_path(error) / uniqueFolderName();
    fs::create_directories(root / databaseName, error);
    if (error)
        throw std::runtime_error("cannot make a stand-in database under " + root.string());
    root_ = root.string();
    std::ofstream users(root / databaseName / "users", std::ios::binary);
}

StandinDatabase::~StandinDatabase() {
    std::error_code error;
    fs::remove_all(root_, error);
}

std::string StandinDatabase::databaseFolder() const {
    return (fs::path(root_) / databaseName_).string();
}

std::string StandinDatabase::userFolder(const std::string& userName) const {
    fs::path folder = fs::path(databaseFolder()) / standin::fileNameOf(upperCase(userName));
    fs::create_directories(folder);
    return folder.string();
}

void StandinDatabase::setCharacterSet(const std::string& name) {
    std::ofstream(fs::path(databaseFolder()) / "charset", std::ios::binary | std::ios::trunc)
        << name << '\n';
}

void StandinDatabase::addUser(const std::string& userName, const std::string& password) {
    appendLine(fs::path(databaseFolder()) / "users", userName + "/" + password);
}

void StandinDatabase::addObject(const std::string& userName, const std::string& objectName,
                                const std::string& objectType) {
    appendLine(fs::path(userFolder(userName)) / "OBJECTS", objectName + " " + objectType);
}

void StandinDatabase::addTable(const std::string& userName, const std::string& tableName,
                               const std::vector<std::pair<std::string, int>>& columns) {
    std::string header = "columns";
    for (const auto& column : columns)
        header += "\t" + column.first + ":" + std::to_string(column.second);
    fs::path file = fs::path(userFolder(userName)) / (standin::fileNameOf(tableName) + ".tbl");
    std::ofstream(file, std::ios::binary | std::ios::trunc) << header << '\n';
}

void StandinDatabase::addView(const std::string& userName, const std::string& viewName,
                              const std::vector<std::pair<std::string, int>>& columns) {
    std::string header = "columns";
    for (const auto& column : columns)
        header += "\t" + column.first + ":" + std::to_string(column.second) + " CHAR";
    fs::path file = fs::path(userFolder(userName)) / (standin::fileNameOf(viewName) + ".view");
    std::ofstream(file, std::ios::binary | std::ios::trunc) << header << '\n';
}

bool StandinDatabase::hasABlockedCall() const {
    std::error_code error;
    return fs::exists(fs::path(databaseFolder()) / "blocked", error);
}

bool StandinDatabase::waitUntilACallIsBlocked() const {
    for (int wait = 0; wait < 2000 && !hasABlockedCall(); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return hasABlockedCall();
}

std::vector<std::string> StandinDatabase::tableNames(const std::string& userName) const {
    std::vector<std::string> names;
    std::error_code error;
    fs::path folder = fs::path(databaseFolder()) / standin::fileNameOf(upperCase(userName));
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        if (entry.path().extension() == ".tbl")
            names.push_back(standin::nameOfFile(entry.path().stem().string()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

StoredTable StandinDatabase::readTable(const std::string& userName,
                                       const std::string& tableName) const {
    fs::path file = fs::path(databaseFolder()) / standin::fileNameOf(upperCase(userName)) /
                    (standin::fileNameOf(tableName) + ".tbl");
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("no table file " + file.string());
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (content.empty() || content.back() != '\n')
        throw std::runtime_error("table file does not end with a line feed: " + file.string());

    StoredTable table;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        std::string line = content.substr(start, end - start);
        start = end + 1;
        if (table.columnNames.empty()) {
            parseHeader(line, table);
            continue;
        }
        std::vector<std::string> fields = splitTabs(line);
        if (fields.size() != table.columnNames.size())
            throw std::runtime_error("row with a wrong number of values in " + file.string());
        std::vector<StoredValue> row;
        for (const std::string& field : fields)
            row.push_back(unescape(field));
        table.rows.push_back(row);
    }
    return table;
}

void StandinDatabase::useEnvironment(const std::string& failRules) const {
    setEnvironmentVariable("ORACLE_STANDIN_ROOT", root_);
    setFailRules(failRules);
    setEnvironmentVariable("MARLIN_OCI_LIBRARY", standinLibraryPath());
}

void StandinDatabase::setFailRules(const std::string& failRules) {
    setEnvironmentVariable("ORACLE_STANDIN_FAIL", failRules);
}

void StandinDatabase::setEnvironmentVariable(const std::string& name, const std::string& value) {
#if defined(_WIN32)
    _putenv_s(name.c_str(), value.c_str());
#else
    if (value.empty())
        unsetenv(name.c_str());
    else
        setenv(name.c_str(), value.c_str(), 1);
#endif
}

std::string StandinDatabase::standinLibraryPath() {
#if defined(MARLIN_STANDIN_LIBRARY)
    return MARLIN_STANDIN_LIBRARY;
#else
    return "";
#endif
}

int StandinDatabase::liveHandleCount() {
    return reinterpret_cast<int (*)()>(standinEntryPoint("StandinLiveHandleCount"))();
}

void StandinDatabase::recordCalls(bool on) {
    reinterpret_cast<void (*)(int)>(standinEntryPoint("StandinRecordCalls"))(on ? 1 : 0);
}

void StandinDatabase::setExecuteObserver(void (*observer)(unsigned iterations)) {
    reinterpret_cast<void (*)(void (*)(unsigned))>(standinEntryPoint("StandinSetExecuteObserver"))(
        observer);
}

int StandinDatabase::callsInside() {
    return reinterpret_cast<int (*)()>(standinEntryPoint("StandinCallsInside"))();
}

void StandinDatabase::interruptCalls() {
    reinterpret_cast<void (*)()>(standinEntryPoint("StandinInterruptCalls"))();
}

std::string StandinDatabase::callLog() {
    return reinterpret_cast<const char* (*)()>(standinEntryPoint("StandinCallLog"))();
}

} // namespace standin_test
