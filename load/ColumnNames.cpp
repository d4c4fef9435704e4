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

// U+0080 to U+009F, the C1 controls, in UTF-8.
bool isC1Control(const std::string& text, std::size_t at) {
    return static_cast<unsigned char>(text[at]) == 0xC2 && at + 1 < text.size() &&
           static_cast<unsigned char>(text[at + 1]) <= 0x9F;
}

bool isAsciiControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
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

std::string loadableName(const std::string& fieldName) {
    std::string name = withNameCharactersOnly(upperCased(fieldName));
    if (name.empty() || !isAsciiLetter(name.front()))
        name.insert(0, 1, 'F');
    if (isOracleReservedWord(name))
        name += '_';
    name.resize(std::min(name.size(), kOracleNameBytes));
    return name;
}

bool holdsOnlyNameCharacters(const std::string& utf8Name) {
    for (std::size_t at = 0; at < utf8Name.size(); ++at) {
        const auto c = static_cast<unsigned char>(utf8Name[at]);
        if (c < 0x80 ? !isNameCharacter(static_cast<char>(c)) : isC1Control(utf8Name, at))
            return false;
    }
    return true;
}

std::string quotedName(const std::string& utf8Name) {
    static const char kHexDigits[] = "0123456789ABCDEF";
    std::string shown = "\"";
    for (std::size_t at = 0; at < utf8Name.size(); ++at) {
        const auto c = static_cast<unsigned char>(utf8Name[at]);
        const bool c1 = isC1Control(utf8Name, at);
        if (!isAsciiControl(c) && !c1) {
            shown += static_cast<char>(c);
            continue;
        }
        const auto code = static_cast<unsigned char>(c1 ? utf8Name[++at] : c);
        shown += c1 ? "\\u00" : "\\x";
        shown += kHexDigits[code >> 4];
        shown += kHexDigits[code & 0x0F];
    }
    return shown + "\"";
}

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
