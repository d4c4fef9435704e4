// What Oracle's data dictionary says of a name: whether an object has it and of what kind, a
// table's columns, and the rows a table holds.
#pragma once

#include "oracle/DBConnect.h"
#include "oracle/DBStmt.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A TableColumn's scale when USER_TAB_COLUMNS has none (Oracle's scales run from -84 to 127).
constexpr int kNoScale = -1000;

// One column of an existing table, as USER_TAB_COLUMNS describes it.
struct TableColumn {
    std::string name;
    std::string dataType;    // "VARCHAR2", "NUMBER", ...
    int characterLength = 0; // the declared width of a character column
    std::string lengthUnit;  // "C" (characters), "B" (bytes), or empty for other types
    int precision = -1;      // a NUMBER's precision; -1 when the column has none
    int scale = kNoScale;    // a NUMBER's scale; kNoScale when the column has none
};

// Used on the load's worker thread only. Names are bound as stored (upper case). Every query
// throws DBStmt::OtherException when Oracle refuses it; errorText() then holds Oracle's
// message. The statement of the last query lives until the next one or the dictionary's end.
class TableDictionary {
  public:
    explicit TableDictionary(DBConnect& connection);
    TableDictionary(const TableDictionary&) = delete;
    TableDictionary& operator=(const TableDictionary&) = delete;

    // The session user's objects of this name (tables, views, indexes, ...), as USER_OBJECTS
    // counts them.
    int countObjects(const std::string& name);

    // What the name is, as USER_OBJECTS lists it: a table, or an object that a load must not
    // take for one (its rows would go in, and the swap or the append would then fail), or
    // another object (an index, a package) that is no table at all.
    enum class Object { Table, View, Synonym, MaterializedView, Other };
    Object findObject(const std::string& name);

    // The columns of a table (or view) in their order, empty when it has none or does not
    // exist. With `numberColumns` each NUMBER column's precision and scale are read too.
    std::vector<TableColumn> readColumns(const std::string& table, bool numberColumns);

    // The rows the table holds, as this session sees them (SELECT COUNT(*)).
    std::int64_t countRows(const std::string& table);

    const char* errorText();

  private:
    int countObjectsOfType(const std::string& name, const std::string& type);
    // Prepares `sql` as the dictionary's statement in place of the one before.
    DBStmt& prepare(std::string sql);

    DBConnect& connection_;
    // The texts the last statement reads: its SQL and its bound values.
    std::string statementText_;
    std::string boundName_;
    std::string boundType_;
    std::unique_ptr<DBStmt> statement_;
};
