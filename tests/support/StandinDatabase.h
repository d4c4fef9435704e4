// Test helpers around the stand-in Oracle client: a temporary database, the environment
// that points the client library at it, and read-back of what was committed.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace standin_test {

// One value of a stored row: the bytes as Oracle stored them, or nothing for NULL.
using StoredValue = std::optional<std::string>;

// A table as its file holds it: committed rows only.
struct StoredTable {
    std::vector<std::string> columnNames;
    std::vector<int> columnWidths;        // of VARCHAR2 columns; 0 for the others
    std::vector<bool> widthsInCharacters; // VARCHAR2(n CHAR) rather than VARCHAR2(n)
    // Each column's type as SQL writes it: "VARCHAR2(10 CHAR)", "NUMBER(10,2)", "DATE", ...
    std::vector<std::string> columnTypes;
    std::vector<std::vector<StoredValue>> rows;
};

// A fresh stand-in root folder (under the system's temporary folder) with one database in
// it. Removed, with everything in it, on destruction. The environment is not touched until
// useEnvironment() is called.
class StandinDatabase {
  public:
    // Makes the root folder and the database folder `databaseName` with an empty users
    // file. Throws std::runtime_error when the folders cannot be made.
    explicit StandinDatabase(const std::string& databaseName = "ORCL");
    ~StandinDatabase();
    StandinDatabase(const StandinDatabase&) = delete;
    StandinDatabase& operator=(const StandinDatabase&) = delete;

    const std::string& rootFolder() const { return root_; }
    std::string databaseFolder() const;

    // Writes the database's `charset` file: "WE8MSWIN1252" (also the set without the file)
    // or "AL32UTF8". Rows are stored, and read back, in that set.
    void setCharacterSet(const std::string& name);

    // Adds a line "USER/password" to the users file (the stand-in compares user names
    // without case and passwords with case).
    void addUser(const std::string& userName, const std::string& password);

    // Adds "NAME TYPE" to the user's OBJECTS file, e.g. ("SCOTT", "CLIENTS", "INDEX"). The
    // user name is upper-cased for the folder.
    void addObject(const std::string& userName, const std::string& objectName,
                   const std::string& objectType);

    // Writes a committed table with the given columns (name, width) and no rows, as
    // CREATE TABLE would. Names are used as given.
    void addTable(const std::string& userName, const std::string& tableName,
                  const std::vector<std::pair<std::string, int>>& columns);

    // Writes a view with the given columns (name, width of a VARCHAR2(n CHAR)), which
    // USER_OBJECTS counts as a VIEW and USER_TAB_COLUMNS lists, as Oracle's views are.
    void addView(const std::string& userName, const std::string& viewName,
                 const std::vector<std::pair<std::string, int>>& columns);

    // Waits until a call is held by a `block` rule (the stand-in's marker file exists);
    // false when none is after twenty seconds.
    bool waitUntilACallIsBlocked() const;
    // True while a call is held by a `block` rule.
    bool hasABlockedCall() const;

    // The names of the user's tables (without ".tbl"), sorted.
    std::vector<std::string> tableNames(const std::string& userName) const;

    // Reads a table file back: column names, types and widths, and each committed row with
    // its values unescaped. Typed columns hold Oracle's values as text: NUMBER "-12.5",
    // BINARY_DOUBLE "3.14", DATE "2024-03-05 14:30:00", CHAR padded, BLOB in hexadecimal. Throws
    // std::runtime_error when the file is missing or malformed (a bad escape, a row with the wrong
    // number of values, a last line without its line feed).
    StoredTable readTable(const std::string& userName, const std::string& tableName) const;

    // Points the client library at this database: sets ORACLE_STANDIN_ROOT to the root
    // folder, ORACLE_STANDIN_FAIL to `failRules` (see tests/oracle_standin/README.md), and
    // natively MARLIN_OCI_LIBRARY to the built libclntsh.so. On Windows it clears
    // MARLIN_OCI_LIBRARY so that OCI.DLL is loaded by name from beside the executable.
    void useEnvironment(const std::string& failRules = "") const;

    // Sets ORACLE_STANDIN_FAIL alone (read by the stand-in at each connect).
    static void setFailRules(const std::string& failRules);
    // Sets or (with an empty value) clears an environment variable in this process.
    static void setEnvironmentVariable(const std::string& name, const std::string& value);

    // The path of the native stand-in library (empty on Windows).
    static std::string standinLibraryPath();

    // The stand-in's test-only entry points, found in the stand-in library itself whatever
    // MARLIN_OCI_LIBRARY names now.
    // Handles allocated and not freed in this process.
    static int liveHandleCount();
    // Starts recording the OCI calls (clearing the record) or stops.
    static void recordCalls(bool on);
    // The calls recorded, one line each: the name, then key arguments (handle type,
    // attribute, mode), e.g. "OCIHandleFree 8".
    static std::string callLog();
    // Calls `observer` with the iteration count after every execution that did not fail
    // (null: nobody).
    static void setExecuteObserver(void (*observer)(unsigned iterations));
    // OCI calls in progress on all threads, those waiting for another's to end included.
    static int callsInside();
    // Does what the client's own Ctrl+C handler does: the calls held by a `block` rule fail
    // with ORA-01013.
    static void interruptCalls();

  private:
    std::string userFolder(const std::string& userName) const;

    std::string root_;
    std::string databaseName_;
};

} // namespace standin_test
