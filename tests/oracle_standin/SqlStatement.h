// The SQL texts the stand-in understands, parsed with Oracle's rules for unquoted names.
#pragma once

#include <string>
#include <vector>

namespace standin {

// The column types the stand-in stores.
enum class ColumnType { Varchar2, Char, Number, BinaryDouble, Date, Clob, Blob };

struct ColumnDefinition {
    std::string name;          // upper case
    int width = 0;             // VARCHAR2 and CHAR width, in bytes or characters
    bool inCharacters = false; // VARCHAR2(n CHAR); still at most kMaxValueBytes bytes
    ColumnType type = ColumnType::Varchar2;
    int precision = 0; // NUMBER(p[,s]); 0 for a NUMBER without one
    int scale = 0;
    // NUMBER(*,s), INTEGER, SMALLINT: a scale but no precision, so Oracle's largest (38).
    bool scaleOnly = false;
};

// The most bytes a VARCHAR2 value can take (MAX_STRING_SIZE STANDARD).
constexpr std::size_t kMaxValueBytes = 4000;

// What a statement text asks for. When errorCode is not 0 the text is refused with that
// Oracle error.
struct SqlStatement {
    enum class Kind {
        Invalid,
        CountObjects,
        CountRows,
        CreateTable,
        Insert,
        DropTable,
        RenameTable,
        TableColumns,
        AlterSession,
    };

    Kind kind = Kind::Invalid;
    int errorCode = 0;
    std::string tableName;                 // CountRows, CreateTable, Insert, DropTable, RenameTable
    std::string newTableName;              // RenameTable: upper case
    std::vector<ColumnDefinition> columns; // CreateTable
    std::vector<std::string> insertColumns; // Insert: the columns named (upper case), if any
    int placeholderCount = 0;               // CountObjects, Insert, TableColumns
    // AlterSession: each parameter (upper case) and its value, in order.
    std::vector<std::pair<std::string, std::string>> sessionSettings;
    // TableColumns: the USER_TAB_COLUMNS columns asked for, in select-list order, and whether
    // the second placeholder picks the row by COLUMN_ID.
    std::vector<std::string> selectItems;
    bool byColumnId = false;
    // CountObjects: the second placeholder names the OBJECT_TYPE to count.
    bool byObjectType = false;
};

// The columns of USER_TAB_COLUMNS a query may ask for.
bool isTableColumnsItem(const std::string& upperName);

// Parses one statement, written in the database's character set `characterSet`. Never
// throws; anything it does not understand is refused with a plausible Oracle error
// (ORA-00900 for an unknown command; ORA-00911 for a name that is no text of the set).
SqlStatement parseSql(const std::string& text, unsigned short characterSet);

// True when `upperName` is one of Oracle's reserved words.
bool isReservedWord(const std::string& upperName);

// The largest identifier Oracle accepts, in bytes (12.2 and later).
constexpr std::size_t kMaxIdentifierBytes = 128;

} // namespace standin
