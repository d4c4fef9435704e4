// The table a load writes into when a table of its name exists already: that table itself
// (appended to), or a new table under a free temporary name that takes its place once every
// row is committed.
#pragma once

#include "load/ColumnList.h"
#include "load/TableDictionary.h"
#include "oracle/DBConnect.h"
#include "oracle/DBStmt.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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

    // What the name is (see TableDictionary::findObject).
    using Object = TableDictionary::Object;
    Object findObject();

    // True when a table (or view) of the name exists; its columns are then in columns().
    bool findTable();
    const std::vector<TableColumn>& columns() const { return columns_; }
    // The rows the table holds.
    std::int64_t countRows();

    // Picks two names no object has, one for the new table and one for the old table while
    // the swap runs: the table's name cut at a whole character to leave room, then "$NEW" or
    // "$OLD" and a number from 1 to 99. False when all of one kind are taken. The names
    // passed over are in namesInUse(), in the order they were met.
    bool chooseTemporaryNames();
    const std::string& temporaryName() const { return temporaryName_; }
    const std::vector<std::string>& namesInUse() const { return namesInUse_; }

    // Puts the temporary table in the old one's place: renames the old table aside, gives the
    // temporary table the load's name, then drops the old table. A step that fails undoes
    // the steps before it, so that the old table keeps its name and the new rows stay in the
    // temporary table; UndoFailed when a step of the undo fails too. After any ending but
    // Done, oldTableName() and newTableName() say where the two tables are, and
    // swapErrorText() holds Oracle's message for the step that failed.
    enum class Swap { Done, AsideFailed, RenameFailed, DropFailed, UndoFailed };
    Swap replaceWithTemporary();
    const std::string& asideName() const { return asideName_; }
    const std::string& oldTableName() const { return oldTableAt_; }
    const std::string& newTableName() const { return newTableAt_; }
    const std::string& swapErrorText() const { return swapError_; }
    // Drops the temporary table.
    void dropTemporary();

    const char* errorText();

  private:
    std::string freeName(const std::string& marker);
    bool tryExecute(const std::string& sql);
    bool rename(const std::string& from, const std::string& to);
    Swap undoSwap(Swap failure);
    void execute(const std::string& sql);

    DBConnect& connection_;
    std::string tableName_;
    bool numberColumns_;
    std::vector<TableColumn> columns_;
    std::string temporaryName_;
    std::string asideName_;
    std::vector<std::string> namesInUse_;
    std::string oldTableAt_;
    std::string newTableAt_;
    std::string swapError_;
    TableDictionary dictionary_;
    // The statement of the last DDL, whose connection's error record errorText() reads
    // unless a dictionary query ran after it.
    std::string statementText_;
    std::unique_ptr<DBStmt> statement_;
    bool dictionaryRanLast_ = false;
};
