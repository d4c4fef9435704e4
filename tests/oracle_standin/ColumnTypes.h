// The column types the stand-in stores: their SQL text, their form in a table file's columns
// line, and what USER_TAB_COLUMNS says of them.
#pragma once

#include "SqlStatement.h"

#include <optional>
#include <string>

namespace standin {

// "VARCHAR2(10 CHAR)", "CHAR(1)", "NUMBER(10,2)", "NUMBER(*,0)" (INTEGER too), "NUMBER", "DATE",
// "CLOB", ...
std::string typeText(const ColumnDefinition& column);

// A column of a table file's columns line: "NAME:10" and "NAME:10 CHAR" for VARCHAR2, as the
// first files had them, and "NAME:" and the type's text for the others.
std::string storedColumnText(const ColumnDefinition& column);
// The column a columns line entry describes; nothing when it is malformed.
std::optional<ColumnDefinition> columnFromStoredText(const std::string& text);

// True for the columns that take LOB data: CLOB and BLOB.
bool isLobColumn(const ColumnDefinition& column);

// USER_TAB_COLUMNS.DATA_TYPE: "VARCHAR2", "NUMBER", ...
const char* dataTypeName(ColumnType type);

} // namespace standin
