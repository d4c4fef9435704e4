// Oracle's rules for unquoted names, and its list of reserved words.
#include "load/ColumnNames.h"

#include "platform/Utf8.h"

#include <algorithm>
#include <set>

namespace {

// The reserved words of Oracle SQL, as the SQL Language Reference lists them: none of them
// can name a column without quotes.
constexpr const char* kReservedWords[] = {
    "ACCESS",
    "ADD",
    "ALL",
    "ALTER",
    "AND",
    "ANY",
    "AS",
    "ASC",
    "AUDIT",
    "BETWEEN",
    "BY",
    "CHAR",
    "CHECK",
    "CLUSTER",
    "COLUMN",
    "COLUMN_VALUE",
    "COMMENT",
    "COMPRESS",
    "CONNECT",
    "CREATE",
    "CURRENT",
    "DATE",
    "DECIMAL",
    "DEFAULT",
    "DELETE",
    "DESC",
    "DISTINCT",
    "DROP",
    "ELSE",
    "EXCLUSIVE",
    "EXISTS",
    "FILE",
    "FLOAT",
    "FOR",
    "FROM",
    "GRANT",
    "GROUP",
    "HAVING",
    "IDENTIFIED",
    "IMMEDIATE",
    "IN",
    "INCREMENT",
    "INDEX",
    "INITIAL",
    "INSERT",
    "INTEGER",
    "INTERSECT",
    "INTO",
    "IS",
    "LEVEL",
    "LIKE",
    "LOCK",
    "LONG",
    "MAXEXTENTS",
    "MINUS",
    "MLSLABEL",
    "MODE",
    "MODIFY",
    "NESTED_TABLE_ID",
    "NOAUDIT",
    "NOCOMPRESS",
    "NOT",
    "NOWAIT",
    "NULL",
    "NUMBER",
    "OF",
    "OFFLINE",
    "ON",
    "ONLINE",
    "OPTION",
    "OR",
    "ORDER",
    "PCTFREE",
    "PRIOR",
    "PRIVILEGES",
    "PUBLIC",
    "RAW",
    "RENAME",
    "RESOURCE",
    "REVOKE",
    "ROW",
    "ROWID",
    "ROWNUM",
    "ROWS",
    "SELECT",
    "SESSION",
    "SET",
    "SHARE",
    "SIZE",
    "SMALLINT",
    "START",
    "SUCCESSFUL",
    "SYNONYM",
    "SYSDATE",
    "TABLE",
    "THEN",
    "TO",
    "TRIGGER",
    "UID",
    "UNION",
    "UNIQUE",
    "UPDATE",
    "USER",
    "VALIDATE",
    "VALUES",
    "VARCHAR",
    "VARCHAR2",
    "VIEW",
    "WHENEVER",
    "WHERE",
    "WITH",
};

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isNameCharacter(char c) {
    return isAsciiLetter(c) || (c >= '0' && c <= '9') || c == '_' || c == '$' || c == '#';
}

std::string upperCased(std::string name) {
    for (char& c : name)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return name;
}

// Every character Oracle does not take in an unquoted name becomes one "_". National letters
// are among them: whether the server's character set holds them cannot be known here.
std::string withNameCharactersOnly(const std::string& utf8Name) {
    std::string name;
    for (const char c : utf8Name) {
        // The later bytes of a character already replaced by its first.
        if (utf8::isContinuationByte(static_cast<unsigned char>(c)))
            continue;
        name += isNameCharacter(c) ? c : '_';
    }
    return name;
}

// One name made loadable on its own, before it is compared with the others.
std::string loadableName(const std::string& fieldName) {
    std::string name = withNameCharactersOnly(upperCased(fieldName));
    if (name.empty() || !isAsciiLetter(name.front()))
        name.insert(0, 1, 'F');
    if (isOracleReservedWord(name))
        name += '_';
    name.resize(std::min(name.size(), kOracleNameBytes));
    return name;
}

// The name, or the first of name_2, name_3, ... that is still free.
std::string freeName(const std::string& name, const std::set<std::string>& taken) {
    if (taken.count(name) == 0)
        return name;
    for (int counter = 2;; ++counter) {
        const std::string suffix = "_" + std::to_string(counter);
        const std::string candidate = name.substr(0, kOracleNameBytes - suffix.size()) + suffix;
        if (taken.count(candidate) == 0)
            return candidate;
    }
}

} // namespace

bool isOracleReservedWord(const std::string& name) {
    const std::string upper = upperCased(name);
    return std::any_of(std::begin(kReservedWords), std::end(kReservedWords),
                       [&upper](const char* word) { return upper == word; });
}

std::vector<std::string> loadableColumnNames(const std::vector<std::string>& names) {
    std::vector<std::string> loadable;
    std::set<std::string> taken;
    for (const std::string& fieldName : names) {
        loadable.push_back(freeName(loadableName(fieldName), taken));
        taken.insert(loadable.back());
    }
    return loadable;
}

bool someNameNeedsFixing(const std::vector<std::string>& names) {
    const std::vector<std::string> fixed = loadableColumnNames(names);
    for (std::size_t index = 0; index < names.size(); ++index)
        if (upperCased(names[index]) != fixed[index])
            return true;
    return false;
}
