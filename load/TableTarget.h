// The table a load writes into when a table of its name exists already: that table itself
// (appended to), or a new table under a free temporary name that takes its place once every
// row is committed.
#pragma once

#include "load/ColumnList.h"
#include "oracle/DBConnect.h"
#include "oracle/DBStmt.h"

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

// Where the existing table and the file's columns part: "its column 2 is NAME
// VARCHAR2(8 CHAR), the file's is NAME VARCHAR2(10 CHAR)", "it has no column 3, ...", "its
// column 4 NOTE VARCHAR2(10 CHAR) is not in the file". Empty when every column has the file's
// name and type, at the same position, and is at least as wide: a NUMBER with as many digits
// before and after its point (or neither precision nor scale said; NUMBER(*,s) has 38
// digits), a VARCHAR2 as many characters.
std::string columnDifference(const std::vector<TableColumn>& table,
                             const std::vector<Column>& file);

// Makes each NUMBER column of `file` round its values to the scale of the table's column at
// its position and check them against that column's precision (NUMBER(*,s) holds 38 digits; a
// NUMBER with neither rounds to none), for a table whose columns columnDifference() found to
// take the file's.
void takeNumberColumnsOf(const std::vector<TableColumn>& table, std::vector<Column>& file);

// Used on the load's worker thread only. Every query and statement throws
// DBStmt::OtherException when Oracle refuses it; errorText() then holds Oracle's message.
class TableTarget {
  public:
    // `tableName` as the table check bound it (upper case, as stored). With `numberColumns`
    // findTable() also reads each NUMBER column's precision and scale.
    TableTarget(DBConnect& connection, const std::string& tableName, bool numberColumns = false);
    TableTarget(const TableTarget&) = delete;
    TableTarget& operator=(const TableTarget&) = delete;

    // True when a table (or view) of the name exists; its columns are then in columns().
    bool findTable();
    const std::vector<TableColumn>& columns() const { return columns_; }

    // Picks a name no object has: the table's name (cut to leave room) followed by "$NEW"
    // and a number from 1 to 99. False when all of them are taken.
    bool chooseTemporaryName();
    const std::string& temporaryName() const { return temporaryName_; }

    // Drops the table of the load's name, then gives the temporary table that name.
    enum class Swap { Done, DropFailed, RenameFailed };
    Swap replaceWithTemporary();
    // Drops the temporary table.
    void dropTemporary();

    const char* errorText();

  private:
    int countObjects(std::string name);
    void execute(const std::string& sql);

    DBConnect& connection_;
    std::string tableName_;
    bool numberColumns_;
    std::vector<TableColumn> columns_;
    std::string temporaryName_;
    // The statement run last, whose connection's error record errorText() reads.
    std::string statementText_;
    std::unique_ptr<DBStmt> statement_;
};
