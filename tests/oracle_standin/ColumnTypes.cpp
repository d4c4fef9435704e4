// Column types as SQL and table files write them.
#include "ColumnTypes.h"

#include <cstdlib>

namespace standin {

namespace {

// Follows the width of a column whose length counts characters: "NAME:20 CHAR".
constexpr const char* kCharSuffix = " CHAR";

std::string widthText(const ColumnDefinition& column) {
    return "(" + std::to_string(column.width) + (column.inCharacters ? " CHAR)" : ")");
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// "(10 CHAR)" or "(10)" after a character type's name.
bool readWidth(const std::string& text, ColumnDefinition& column) {
    if (text.size() < 3 || text.front() != '(' || text.back() != ')')
        return false;
    column.width = std::atoi(text.c_str() + 1);
    column.inCharacters = text.find(kCharSuffix) != std::string::npos;
    return column.width > 0;
}

// "(10,2)", "(10)", "(*,0)" or nothing after NUMBER.
bool readPrecision(const std::string& text, ColumnDefinition& column) {
    if (text.empty())
        return true;
    if (text.front() != '(' || text.back() != ')')
        return false;
    column.scaleOnly = text[1] == '*';
    column.precision = column.scaleOnly ? 0 : std::atoi(text.c_str() + 1);
    const std::size_t comma = text.find(',');
    column.scale = comma == std::string::npos ? 0 : std::atoi(text.c_str() + comma + 1);
    return column.scaleOnly ? comma != std::string::npos : column.precision > 0;
}

} // namespace

const char* dataTypeName(ColumnType type) {
    switch (type) {
    case ColumnType::Char:
        return "CHAR";
    case ColumnType::Number:
        return "NUMBER";
    case ColumnType::BinaryDouble:
        return "BINARY_DOUBLE";
    case ColumnType::Date:
        return "DATE";
    case ColumnType::Clob:
        return "CLOB";
    case ColumnType::Blob:
        return "BLOB";
    default:
        return "VARCHAR2";
    }
}

std::string typeText(const ColumnDefinition& column) {
    std::string text = dataTypeName(column.type);
    if (column.type == ColumnType::Varchar2 || column.type == ColumnType::Char)
        return text + widthText(column);
    if (column.type == ColumnType::Number && column.scaleOnly)
        return text + "(*," + std::to_string(column.scale) + ")";
    if (column.type == ColumnType::Number && column.precision > 0)
        return text + "(" + std::to_string(column.precision) +
               (column.scale != 0 ? "," + std::to_string(column.scale) : "") + ")";
    return text;
}

std::string storedColumnText(const ColumnDefinition& column) {
    if (column.type == ColumnType::Varchar2)
        return column.name + ":" + std::to_string(column.width) +
               (column.inCharacters ? kCharSuffix : "");
    return column.name + ":" + typeText(column);
}

std::optional<ColumnDefinition> columnFromStoredText(const std::string& text) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos)
        return std::nullopt;
    ColumnDefinition column;
    column.name = text.substr(0, colon);
    const std::string type = text.substr(colon + 1);
    if (!type.empty() && type[0] >= '0' && type[0] <= '9') {
        column.width = std::atoi(type.c_str());
        column.inCharacters = type.find(kCharSuffix) != std::string::npos;
        return column;
    }
    for (ColumnType candidate :
         {ColumnType::Varchar2, ColumnType::Char, ColumnType::Number, ColumnType::BinaryDouble,
          ColumnType::Date, ColumnType::Clob, ColumnType::Blob}) {
        const std::string name = dataTypeName(candidate);
        if (!startsWith(type, name))
            continue;
        const std::string rest = type.substr(name.size());
        // VARCHAR2 starts like neither CHAR nor another name, but CHAR must not take it.
        if (!rest.empty() && rest[0] != '(')
            continue;
        column.type = candidate;
        const bool sound = candidate == ColumnType::Varchar2 || candidate == ColumnType::Char
                               ? readWidth(rest, column)
                           : candidate == ColumnType::Number ? readPrecision(rest, column)
                                                             : rest.empty();
        if (sound)
            return column;
        return std::nullopt;
    }
    return std::nullopt;
}

bool isLobColumn(const ColumnDefinition& column) {
    return column.type == ColumnType::Clob || column.type == ColumnType::Blob;
}

} // namespace standin
