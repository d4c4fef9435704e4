// The stand-in's storage: database folders, the users file, and each user's table files.
#pragma once

#include "CharacterSets.h"
#include "SqlStatement.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace standin {

// Where a client attaches when it is given no connect string: the database TWO_TASK names
// (LOCAL on Windows), else the local database named by ORACLE_SID; empty when neither is set.
std::string defaultConnectIdentifier();

// The database folder under ORACLE_STANDIN_ROOT whose name equals `connectIdentifier`
// without regard to case; nothing when there is no root or no such folder.
std::optional<std::filesystem::path> findDatabase(const std::string& connectIdentifier);

// The database's character set, named by the first line of its `charset` file:
// WE8MSWIN1252 when there is none, 0 when it names a set other than WE8MSWIN1252 or AL32UTF8.
ub2 databaseCharacterSet(const std::filesystem::path& database);

enum class LogonCheck { Accepted, NullPassword, Refused };

// Checks a user name (without case) and password (with case) against the database's
// `users` file.
LogonCheck checkLogon(const std::filesystem::path& database, const std::string& userName,
                      const std::string& password);

// Appends one value in the table file's escaped form, or `\N` for NULL.
void appendEscapedValue(std::string& line, const char* bytes, std::size_t length);
void appendNullValue(std::string& line);

// The objects of one user: the folder named after the user in upper case.
class Schema {
  public:
    Schema() = default;
    Schema(const std::filesystem::path& database, const std::string& upperUser);

    const std::string& user() const { return user_; }

    // Makes the user's folder when it is missing. False when it cannot.
    bool ensureFolder() const;
    // Tables, views and OBJECTS entries whose name equals `name` byte for byte; with `type`,
    // only those of that OBJECT_TYPE (a table's is TABLE, a view's VIEW).
    int countObjects(const std::string& name, const std::string* type = nullptr) const;
    // True when a table, a view or an OBJECTS entry of the table namespace has this name.
    bool isNameTaken(const std::string& upperName) const;
    // True when the user has a table of exactly this name.
    bool hasTable(const std::string& name) const;
    // The committed rows of a table; nothing when there is no such table.
    std::optional<long long> rowCount(const std::string& table) const;
    // The columns of a table; nothing when there is no such table or its file is unreadable.
    std::optional<std::vector<ColumnDefinition>> tableColumns(const std::string& table) const;
    // The columns of a table or of a view, as USER_TAB_COLUMNS lists both.
    std::optional<std::vector<ColumnDefinition>> listedColumns(const std::string& name) const;

    // Writes a new table file with no rows. False on an I/O failure.
    bool createTable(const std::string& table, const std::vector<ColumnDefinition>& columns) const;
    // Appends already escaped row lines to a table file. The old file is replaced by a
    // complete new one in one rename, so a crash never leaves half a row. False on failure.
    bool appendRows(const std::string& table, const std::string& rowLines) const;
    // Removes a table's file, or gives it a new name in one step. False on failure.
    bool dropTable(const std::string& table) const;
    bool renameTable(const std::string& from, const std::string& to) const;

  private:
    std::filesystem::path tableFile(const std::string& table) const;
    std::filesystem::path viewFile(const std::string& view) const;
    // The names of the user's files with this extension (".tbl", ".view"), as stored.
    std::vector<std::string> namesWithExtension(const std::string& extension) const;
    std::vector<std::pair<std::string, std::string>> listedObjects() const;

    std::filesystem::path folder_;
    std::string user_;
};

} // namespace standin
