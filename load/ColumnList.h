// The target table's columns and the two SQL texts built from them.
#pragma once

#include "dbf/DbfTable.h"
#include "load/ColumnType.h"

#include <cstddef>
#include <string>
#include <vector>

// One column per DBF field, in descriptor order: a VARCHAR2 in the default load.
struct Column {
    std::string name;    // in UTF-8: the field's name, or its replacement (see buildColumns)
    int width = 0;       // the field's text width: a VARCHAR2's width in characters
    DbfFieldValue value; // reads the field of the current record
    ColumnType type = {};
};

// The column name for a field name: ten words Oracle will not take (or treats specially)
// get fixed replacements; every other name, lower-case ones included, is kept as it is.
std::string columnNameFor(const std::string& fieldName);

// The columns of every field of an open table but its system fields, their names decoded
// from the table's code page by `converter` and named by columnNameFor; with `fixNames` the
// names are then made loadable (see loadableColumnNames). With `typed` each column takes the
// type that holds its field's values (typedColumnType); else every one is a VARCHAR2.
std::vector<Column> buildColumns(DbfTable& table, const TextConverter& converter,
                                 bool fixNames = false, bool typed = false);

// The columns' names, in order.
std::vector<std::string> columnNamesOf(const std::vector<Column>& columns);
// The sum of the columns' widths: the characters of one row, by which a batch is sized.
int recordWidthOf(const std::vector<Column>& columns);

// "CREATE TABLE  T (A VARCHAR2(10 CHAR),B VARCHAR2(8 CHAR)                 )", or with the
// typed columns' types: "CREATE TABLE  T (A VARCHAR2(10 CHAR),B DATE                 )".
std::string createTableText(const std::string& tableName, const std::vector<Column>& columns);

// "INSERT INTO T VALUES( :1 ,:2 ,:3   )"
std::string insertText(const std::string& tableName, std::size_t columnCount);
// "INSERT INTO T (A,C,B) VALUES( :1 ,:2 ,:3   )": the columns named in the order of the
// binds.
std::string insertText(const std::string& tableName, const std::vector<std::string>& names);
