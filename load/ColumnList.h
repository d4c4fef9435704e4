// The target table's columns and the two SQL texts built from them.
#pragma once

#include "dbf/DbfTable.h"

#include <cstddef>
#include <string>
#include <vector>

// One VARCHAR2 column per DBF field, in descriptor order.
struct Column {
    std::string name;    // in UTF-8: the field's name, or its replacement (see buildColumns)
    int width = 0;       // the VARCHAR2 width and the size of one bind slot
    DbfFieldValue value; // reads the field of the current record
};

// The column name for a field name: ten words Oracle will not take (or treats specially)
// get fixed replacements; every other name, lower-case ones included, is kept as it is.
std::string columnNameFor(const std::string& fieldName);

// The columns of every field of an open table but its system fields, their names decoded
// from the table's code page by `converter` and named by columnNameFor; with `fixNames` the
// names are then made loadable (see loadableColumnNames).
std::vector<Column> buildColumns(DbfTable& table, const TextConverter& converter,
                                 bool fixNames = false);

// The columns' names, in order.
std::vector<std::string> columnNamesOf(const std::vector<Column>& columns);

// "CREATE TABLE  T (A VARCHAR2(10 CHAR),B VARCHAR2(8 CHAR)                 )"
std::string createTableText(const std::string& tableName, const std::vector<Column>& columns);

// "INSERT INTO T VALUES( :1 ,:2 ,:3   )"
std::string insertText(const std::string& tableName, std::size_t columnCount);
