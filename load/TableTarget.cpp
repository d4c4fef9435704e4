// An existing table's columns, the free temporary name of a replacement, and the swap.
#include "load/TableTarget.h"

#include "platform/Utf8.h"

#include <algorithm>

namespace {

// Oracle's longest identifier before release 12.2, which every server takes.
constexpr std::size_t kMaxNameBytes = 30;
constexpr int kTemporaryNameCount = 99;

std::string asciiUpperCase(std::string text) {
    for (char& letter : text)
        if (letter >= 'a' && letter <= 'z')
            letter = static_cast<char>(letter - 'a' + 'A');
    return text;
}

// "NAME VARCHAR2(10 CHAR)": the column as CREATE TABLE wrote it, or its type alone when it is
// no character column.
std::string describe(const TableColumn& column) {
    if (column.dataType == "NUMBER" && column.precision >= 0)
        return column.name + " " + numberTypeText(column.precision, column.scale);
    // A scale without a precision: INTEGER is NUMBER(*,0).
    if (column.dataType == "NUMBER" && column.scale != kNoScale)
        return column.name + " NUMBER(*," + std::to_string(column.scale) + ")";
    if (column.dataType == "CHAR" && column.lengthUnit.empty())
        return column.name + " CHAR(" + std::to_string(column.characterLength) + ")";
    if (column.lengthUnit.empty())
        return column.name + " " + column.dataType;
    return column.name + " " + column.dataType + "(" + std::to_string(column.characterLength) +
           (column.lengthUnit == "C" ? " CHAR)" : " BYTE)");
}

// The column the file would create: Oracle keeps unquoted names in upper case.
TableColumn fileColumn(const Column& column) {
    const std::string name = asciiUpperCase(column.name);
    const ColumnType& type = column.type;
    const ColumnKindTraits& kind = kindTraits(type.kind);
    switch (kind.size) {
    case TypeSize::Characters:
        return {name, kind.typeName, column.width, "C"};
    case TypeSize::One:
        return {name, kind.typeName, 1, ""};
    case TypeSize::Precision:
        if (type.precision == 0)
            return {name, kind.typeName, 0, ""};
        return {name, kind.typeName, 0, "", type.precision, type.scale};
    default:
        return {name, kind.typeName, 0, ""};
    }
}

// The digits a NUMBER column holds: its precision, or for one with a scale alone
// (NUMBER(*,s), INTEGER) the most Oracle gives a precision.
int precisionOf(const TableColumn& column) {
    return column.precision >= 0 ? column.precision : kLargestPrecision;
}

// A NUMBER column holds the file's numbers when it has room for as many digits in front of
// the point and as many behind it; only one with neither precision nor scale holds them all,
// since a scale rounds every number to it.
bool holdsNumbers(const TableColumn& table, const TableColumn& file) {
    if (table.precision < 0 && table.scale == kNoScale)
        return true;
    return file.precision >= 0 && table.scale >= file.scale &&
           precisionOf(table) - table.scale >= file.precision - file.scale;
}

bool takesValuesOf(const TableColumn& table, const TableColumn& file) {
    if (table.name != file.name || table.dataType != file.dataType)
        return false;
    if (file.dataType == "NUMBER")
        return holdsNumbers(table, file);
    if (file.dataType == "CHAR")
        return table.characterLength >= file.characterLength;
    return table.lengthUnit == file.lengthUnit && table.characterLength >= file.characterLength;
}

} // namespace

std::string columnDifference(const std::vector<TableColumn>& table,
                             const std::vector<Column>& file) {
    for (std::size_t index = 0; index < std::max(table.size(), file.size()); ++index) {
        const std::string position = std::to_string(index + 1);
        if (index >= file.size())
            return "its column " + position + " " + describe(table[index]) + " is not in the file";
        const TableColumn wanted = fileColumn(file[index]);
        if (index >= table.size())
            return "it has no column " + position + ", the file's is " + describe(wanted);
        if (!takesValuesOf(table[index], wanted))
            return "its column " + position + " is " + describe(table[index]) + ", the file's is " +
                   describe(wanted);
    }
    return "";
}

void takeNumberColumnsOf(const std::vector<TableColumn>& table, std::vector<Column>& file) {
    for (std::size_t index = 0; index < table.size() && index < file.size(); ++index) {
        ColumnType& type = file[index].type;
        // Values bound as NUMBER bytes are rounded to their column; integers need no rounding.
        if (kindTraits(type.kind).bind != DBStmt::BindType::Number)
            continue;
        const TableColumn& column = table[index];
        const bool unbounded = column.precision < 0 && column.scale == kNoScale;
        type.precision = unbounded ? 0 : precisionOf(column);
        type.scale = unbounded ? 0 : column.scale;
    }
}

TableTarget::TableTarget(DBConnect& connection, const std::string& tableName, bool numberColumns)
    : connection_(connection), tableName_(tableName), numberColumns_(numberColumns),
      dictionary_(connection) {}

TableTarget::Object TableTarget::findObject() {
    dictionaryRanLast_ = true;
    return dictionary_.findObject(tableName_);
}

bool TableTarget::findTable() {
    dictionaryRanLast_ = true;
    columns_ = dictionary_.readColumns(tableName_, numberColumns_);
    return !columns_.empty();
}

std::int64_t TableTarget::countRows() {
    dictionaryRanLast_ = true;
    return dictionary_.countRows(tableName_);
}

bool TableTarget::chooseTemporaryNames() {
    namesInUse_.clear();
    temporaryName_ = freeName("$NEW");
    asideName_ = freeName("$OLD");
    return !temporaryName_.empty() && !asideName_.empty();
}

std::string TableTarget::freeName(const std::string& marker) {
    for (int number = 1; number <= kTemporaryNameCount; ++number) {
        const std::string suffix = marker + std::to_string(number);
        // Cut where a character ends: half a character is no text Oracle takes.
        const std::size_t kept = utf8::wholeCharacterPrefix(tableName_.data(), tableName_.size(),
                                                            kMaxNameBytes - suffix.size());
        const std::string candidate = tableName_.substr(0, kept) + suffix;
        dictionaryRanLast_ = true;
        if (dictionary_.countObjects(candidate) == 0)
            return candidate;
        namesInUse_.push_back(candidate);
    }
    return "";
}

TableTarget::Swap TableTarget::replaceWithTemporary() {
    oldTableAt_ = tableName_;
    newTableAt_ = temporaryName_;
    if (!rename(tableName_, asideName_))
        return Swap::AsideFailed;
    oldTableAt_ = asideName_;
    if (!rename(temporaryName_, tableName_))
        return undoSwap(Swap::RenameFailed);
    newTableAt_ = tableName_;
    // A table that other tables' foreign keys point at cannot be dropped; it goes back.
    if (!tryExecute("DROP TABLE " + asideName_))
        return undoSwap(Swap::DropFailed);
    oldTableAt_.clear();
    return Swap::Done;
}

TableTarget::Swap TableTarget::undoSwap(Swap failure) {
    const std::string failedStep = swapError_;
    if (newTableAt_ == tableName_ && rename(tableName_, temporaryName_))
        newTableAt_ = temporaryName_;
    if (newTableAt_ == temporaryName_ && rename(asideName_, tableName_))
        oldTableAt_ = tableName_;
    const bool undone = oldTableAt_ == tableName_;
    // The user needs the reason for the first failure; an undo's own failure follows it.
    if (!undone)
        swapError_ = failedStep + swapError_;
    else
        swapError_ = failedStep;
    return undone ? failure : Swap::UndoFailed;
}

bool TableTarget::rename(const std::string& from, const std::string& to) {
    return tryExecute("ALTER TABLE " + from + " RENAME TO " + to);
}

bool TableTarget::tryExecute(const std::string& sql) {
    try {
        execute(sql);
        return true;
    } catch (const DBStmt::OtherException&) {
        swapError_ = errorText();
        return false;
    }
}

void TableTarget::dropTemporary() {
    execute("DROP TABLE " + temporaryName_);
}

const char* TableTarget::errorText() {
    if (dictionaryRanLast_)
        return dictionary_.errorText();
    return statement_ != nullptr ? statement_->errorText() : connection_.errorText();
}

void TableTarget::execute(const std::string& sql) {
    dictionaryRanLast_ = false;
    statementText_ = sql;
    statement_ = std::make_unique<DBStmt>(&connection_, statementText_.c_str());
    statement_->execute();
}
