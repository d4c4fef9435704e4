// Files of the stand-in databases: lookup, logon check, table files and escaping.
#include "Schema.h"

#include "ColumnTypes.h"
#include "FileNames.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

namespace standin {

namespace {

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::vector<std::string> fileLines(const fs::path& file) {
    std::vector<std::string> lines;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Renames a completely written `temporary` over `target` in one step.
bool replaceFile(const fs::path& target, const fs::path& temporary) {
    std::error_code error;
    fs::rename(temporary, target, error);
    if (error)
        fs::remove(temporary, error);
    return !error;
}

const char kHexDigits[] = "0123456789ABCDEF";

// Table-namespace object types, as USER_OBJECTS names them.
constexpr const char* kTableNamespaceTypes[] = {
    "TABLE",    "VIEW",    "SEQUENCE",     "SYNONYM", "PROCEDURE",
    "FUNCTION", "PACKAGE", "PACKAGE BODY", "TYPE",    "MATERIALIZED VIEW",
};

// The columns a table or view file lists on its first line.
std::optional<std::vector<ColumnDefinition>> columnsOfFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string header;
    if (!in || !std::getline(in, header) || header.rfind("columns", 0) != 0)
        return std::nullopt;
    std::vector<ColumnDefinition> columns;
    std::size_t start = header.find('\t');
    while (start != std::string::npos) {
        std::size_t end = header.find('\t', start + 1);
        std::optional<ColumnDefinition> column = columnFromStoredText(header.substr(
            start + 1, end == std::string::npos ? std::string::npos : end - start - 1));
        if (!column)
            return std::nullopt;
        columns.push_back(*column);
        start = end;
    }
    return columns;
}

} // namespace

std::string defaultConnectIdentifier() {
#if defined(_WIN32)
    const char* remote = std::getenv("LOCAL");
#else
    const char* remote = std::getenv("TWO_TASK");
#endif
    if (remote != nullptr && *remote != '\0')
        return remote;
    const char* local = std::getenv("ORACLE_SID");
    return local != nullptr ? local : "";
}

std::optional<fs::path> findDatabase(const std::string& connectIdentifier) {
    const char* root = std::getenv("ORACLE_STANDIN_ROOT");
    if (root == nullptr || *root == '\0')
        return std::nullopt;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(root, error)) {
        if (entry.is_directory(error) &&
            equalsIgnoringCase(entry.path().filename().string(), connectIdentifier))
            return entry.path();
    }
    return std::nullopt;
}

ub2 databaseCharacterSet(const fs::path& database) {
    std::vector<std::string> lines = fileLines(database / "charset");
    if (lines.empty())
        return kWE8MSWIN1252;
    std::string name = lines.front();
    name.erase(name.find_last_not_of(" \t") + 1);
    const ub2 characterSet = characterSetNamed(name);
    return characterSet == kWE8MSWIN1252 || characterSet == kAL32UTF8 ? characterSet : 0;
}

LogonCheck checkLogon(const fs::path& database, const std::string& userName,
                      const std::string& password) {
    if (password.empty())
        return LogonCheck::NullPassword;
    for (const std::string& line : fileLines(database / "users")) {
        std::size_t slash = line.find('/');
        if (slash != std::string::npos && equalsIgnoringCase(line.substr(0, slash), userName) &&
            line.substr(slash + 1) == password)
            return LogonCheck::Accepted;
    }
    return LogonCheck::Refused;
}

void appendEscapedValue(std::string& line, const char* bytes, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c != 0x7F && c != '\\') {
            line.push_back(static_cast<char>(c));
            continue;
        }
        line.push_back('\\');
        switch (c) {
        case '\\':
            line.push_back('\\');
            break;
        case '\t':
            line.push_back('t');
            break;
        case '\n':
            line.push_back('n');
            break;
        case '\r':
            line.push_back('r');
            break;
        case 0:
            line.push_back('0');
            break;
        default:
            line.push_back('x');
            line.push_back(kHexDigits[c >> 4]);
            line.push_back(kHexDigits[c & 0x0F]);
        }
    }
}

void appendNullValue(std::string& line) {
    line.append("\\N");
}

Schema::Schema(const fs::path& database, const std::string& upperUser)
    : folder_(database / fileNameOf(upperUser)), user_(upperUser) {}

bool Schema::ensureFolder() const {
    std::error_code error;
    fs::create_directories(folder_, error);
    return fs::is_directory(folder_, error);
}

fs::path Schema::tableFile(const std::string& table) const {
    return folder_ / (fileNameOf(table) + ".tbl");
}

fs::path Schema::viewFile(const std::string& view) const {
    return folder_ / (fileNameOf(view) + ".view");
}

std::vector<std::pair<std::string, std::string>> Schema::listedObjects() const {
    std::vector<std::pair<std::string, std::string>> objects;
    for (const std::string& line : fileLines(folder_ / "OBJECTS")) {
        std::size_t blank = line.find(' ');
        if (blank != std::string::npos)
            objects.emplace_back(line.substr(0, blank), line.substr(blank + 1));
    }
    return objects;
}

std::vector<std::string> Schema::namesWithExtension(const std::string& extension) const {
    std::vector<std::string> names;
    std::error_code error;
    // The listed names, not a look-up through the file system, which may ignore case.
    for (const fs::directory_entry& entry : fs::directory_iterator(folder_, error)) {
        fs::path file = entry.path().filename();
        if (file.extension() == extension)
            names.push_back(nameOfFile(file.stem().string()));
    }
    return names;
}

int Schema::countObjects(const std::string& name, const std::string* type) const {
    int count = 0;
    const auto typeMatches = [type](const std::string& objectType) {
        return type == nullptr || *type == objectType;
    };
    for (const auto& [extension, objectType] :
         {std::pair<const char*, const char*>{".tbl", "TABLE"},
          std::pair<const char*, const char*>{".view", "VIEW"}})
        for (const std::string& stored : namesWithExtension(extension))
            count += stored == name && typeMatches(objectType) ? 1 : 0;
    for (const auto& object : listedObjects())
        count += object.first == name && typeMatches(object.second) ? 1 : 0;
    return count;
}

bool Schema::isNameTaken(const std::string& upperName) const {
    std::error_code error;
    if (fs::exists(tableFile(upperName), error) || fs::exists(viewFile(upperName), error))
        return true;
    for (const auto& object : listedObjects()) {
        for (const char* type : kTableNamespaceTypes) {
            if (object.first == upperName && object.second == type)
                return true;
        }
    }
    return false;
}

bool Schema::hasTable(const std::string& name) const {
    const std::vector<std::string> tables = namesWithExtension(".tbl");
    return std::find(tables.begin(), tables.end(), name) != tables.end();
}

std::optional<std::vector<ColumnDefinition>> Schema::listedColumns(const std::string& name) const {
    if (hasTable(name))
        return tableColumns(name);
    const std::vector<std::string> views = namesWithExtension(".view");
    if (std::find(views.begin(), views.end(), name) == views.end())
        return std::nullopt;
    return columnsOfFile(viewFile(name));
}

std::optional<long long> Schema::rowCount(const std::string& table) const {
    std::ifstream in(tableFile(table), std::ios::binary);
    if (!in)
        return std::nullopt;
    // Every line after the columns line is a row; a value's line breaks are escaped.
    const auto lines =
        std::count(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>(), '\n');
    return std::max<long long>(0, static_cast<long long>(lines) - 1);
}

std::optional<std::vector<ColumnDefinition>> Schema::tableColumns(const std::string& table) const {
    return columnsOfFile(tableFile(table));
}

bool Schema::createTable(const std::string& table,
                         const std::vector<ColumnDefinition>& columns) const {
    fs::path temporary = tableFile(table);
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << "columns";
        for (const ColumnDefinition& column : columns)
            out << '\t' << storedColumnText(column);
        out << '\n';
        if (!out.flush())
            return false;
    }
    return replaceFile(tableFile(table), temporary);
}

bool Schema::appendRows(const std::string& table, const std::string& rowLines) const {
    fs::path temporary = tableFile(table);
    temporary += ".tmp";
    std::error_code error;
    fs::copy_file(tableFile(table), temporary, fs::copy_options::overwrite_existing, error);
    if (error)
        return false;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::app);
        out.write(rowLines.data(), static_cast<std::streamsize>(rowLines.size()));
        if (!out.flush())
            return false;
    }
    return replaceFile(tableFile(table), temporary);
}

bool Schema::dropTable(const std::string& table) const {
    std::error_code error;
    return fs::remove(tableFile(table), error);
}

bool Schema::renameTable(const std::string& from, const std::string& to) const {
    std::error_code error;
    fs::rename(tableFile(from), tableFile(to), error);
    return !error;
}

} // namespace standin
