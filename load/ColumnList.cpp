// Column names, widths and accessors, and the CREATE TABLE and INSERT texts.
#include "load/ColumnList.h"

#include "load/ColumnNames.h"

namespace {

struct ReservedName {
    const char* fieldName;
    const char* columnName;
};

// No replacement equals a later field name, so one look-up gives the final name.
constexpr ReservedName kReservedNames[] = {
    {"DATE", "THEDATE"}, {"TIME", "THETIME"},   {"FILE", "THEFILE"}, {"FORM", "THEFORM"},
    {"LINK", "THELINK"}, {"BACKUP", "ABACKUP"}, {"PRIOR", "APRIOR"}, {"LEVEL", "ALEVEL"},
    {"COST", "THECOST"}, {"FACTOR", "AFACTOR"},
};

} // namespace

std::string columnNameFor(const std::string& fieldName) {
    for (const ReservedName& reserved : kReservedNames)
        if (fieldName == reserved.fieldName)
            return reserved.columnName;
    return fieldName;
}

std::vector<Column> buildColumns(DbfTable& table, const TextConverter& converter, bool fixNames,
                                 bool typed) {
    std::vector<Column> columns;
    const int fieldCount = table.fieldCount();
    columns.reserve(static_cast<std::size_t>(fieldCount));
    for (int index = 0; index < fieldCount; ++index) {
        // Visual FoxPro's hidden field holds bits about the others, no value of its own.
        if (table.isSystemField(index))
            continue;
        const std::string fieldName = table.fieldName(index);
        const std::string name = converter.toUtf8(fieldName.data(), fieldName.size());
        const ColumnType type =
            typed ? typedColumnType(table.fieldInfo(index), table.dialect()) : ColumnType{};
        columns.push_back({columnNameFor(name), columnWidthOf(type, table.fieldWidth(index)),
                           table.field(index), type});
    }
    if (fixNames) {
        const std::vector<std::string> names = loadableColumnNames(columnNamesOf(columns));
        for (std::size_t index = 0; index < columns.size(); ++index)
            columns[index].name = names[index];
    }
    return columns;
}

std::vector<std::string> columnNamesOf(const std::vector<Column>& columns) {
    std::vector<std::string> names;
    names.reserve(columns.size());
    for (const Column& column : columns)
        names.push_back(column.name);
    return names;
}

int recordWidthOf(const std::vector<Column>& columns) {
    int width = 0;
    for (const Column& column : columns)
        width += column.width;
    return width;
}

std::string createTableText(const std::string& tableName, const std::vector<Column>& columns) {
    std::string text = "CREATE TABLE  " + tableName + " (";
    for (std::size_t index = 0; index < columns.size(); ++index) {
        if (index > 0)
            text += ',';
        text +=
            columns[index].name + " " + columnTypeText(columns[index].type, columns[index].width);
    }
    text += std::string(17, ' ') + ')';
    return text;
}

namespace {

// " VALUES( :1 ,:2   )"
std::string valuesText(std::size_t columnCount) {
    std::string text = " VALUES( ";
    for (std::size_t position = 1; position <= columnCount; ++position) {
        text += ':' + std::to_string(position);
        text += position < columnCount ? " ," : "   )";
    }
    return text;
}

} // namespace

std::string insertText(const std::string& tableName, std::size_t columnCount) {
    return "INSERT INTO " + tableName + valuesText(columnCount);
}

std::string insertText(const std::string& tableName, const std::vector<std::string>& names) {
    std::string text = "INSERT INTO " + tableName + " (";
    for (std::size_t index = 0; index < names.size(); ++index)
        text += (index > 0 ? "," : "") + names[index];
    return text + ")" + valuesText(names.size());
}
