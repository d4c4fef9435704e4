// The dictionary queries of a load: objects by name, a table's columns, its row count.
#include "load/TableDictionary.h"

#include <algorithm>
#include <utility>

namespace {

constexpr const char* kExistenceQuery = "SELECT COUNT(1) FROM USER_OBJECTS WHERE OBJECT_NAME = :1";
constexpr const char* kObjectTypeQuery =
    "SELECT COUNT(1) FROM USER_OBJECTS WHERE OBJECT_NAME = :1 AND OBJECT_TYPE = :2";
constexpr const char* kColumnQuery =
    "SELECT COLUMN_NAME, DATA_TYPE, CHAR_LENGTH, CHAR_USED FROM USER_TAB_COLUMNS "
    "WHERE TABLE_NAME = :1 AND COLUMN_ID = :2";
constexpr const char* kTypedColumnQuery =
    "SELECT COLUMN_NAME, DATA_TYPE, CHAR_LENGTH, CHAR_USED, DATA_PRECISION, DATA_SCALE "
    "FROM USER_TAB_COLUMNS WHERE TABLE_NAME = :1 AND COLUMN_ID = :2";
// Oracle's identifiers hold at most 128 bytes; the type names are shorter.
constexpr int kDictionaryTextBytes = 129;
// A count as text: a NUMBER of up to 38 digits, so that no count overflows an integer define.
constexpr int kCountTextBytes = 41;

} // namespace

TableDictionary::TableDictionary(DBConnect& connection) : connection_(connection) {}

DBStmt& TableDictionary::prepare(std::string sql) {
    // The old statement is never executed again; it is released once the new one is made.
    statementText_ = std::move(sql);
    statement_ = std::make_unique<DBStmt>(&connection_, statementText_.c_str());
    return *statement_;
}

int TableDictionary::countObjects(const std::string& name) {
    DBStmt& query = prepare(kExistenceQuery);
    boundName_ = name;
    int count = 0;
    query.bindByPos(1, &boundName_[0], static_cast<int>(boundName_.size()));
    query.defineByPos(1, &count);
    query.execute();
    return count;
}

TableDictionary::Object TableDictionary::findObject(const std::string& name) {
    // A materialized view lists a table of its name too: it is asked for first.
    const std::pair<const char*, Object> kinds[] = {{"MATERIALIZED VIEW", Object::MaterializedView},
                                                    {"TABLE", Object::Table},
                                                    {"VIEW", Object::View},
                                                    {"SYNONYM", Object::Synonym}};
    for (const auto& kind : kinds)
        if (countObjectsOfType(name, kind.first) > 0)
            return kind.second;
    return Object::Other;
}

int TableDictionary::countObjectsOfType(const std::string& name, const std::string& type) {
    DBStmt& query = prepare(kObjectTypeQuery);
    boundName_ = name;
    boundType_ = type;
    int count = 0;
    query.bindByPos(1, &boundName_[0], static_cast<int>(boundName_.size()));
    query.bindByPos(2, &boundType_[0], static_cast<int>(boundType_.size()));
    query.defineByPos(1, &count);
    query.execute();
    return count;
}

std::vector<TableColumn> TableDictionary::readColumns(const std::string& table,
                                                      bool numberColumns) {
    DBStmt& query = prepare(numberColumns ? kTypedColumnQuery : kColumnQuery);
    boundName_ = table;
    char position[12] = {};
    unsigned short positionLength = 0;
    char name[kDictionaryTextBytes] = {}, type[kDictionaryTextBytes] = {}, unit[2] = {};
    int length = 0, precision = 0, scale = 0;
    short nameNull = 0, typeNull = 0, lengthNull = 0, unitNull = 0, precisionNull = 0,
          scaleNull = 0;
    query.bindByPos(1, &boundName_[0], static_cast<int>(boundName_.size()));
    query.bindByPos(2, position, sizeof position, &positionLength);
    query.defineText(1, name, sizeof name, &nameNull);
    query.defineText(2, type, sizeof type, &typeNull);
    query.defineByPos(3, &length, &lengthNull);
    query.defineText(4, unit, sizeof unit, &unitNull);
    if (numberColumns) {
        query.defineByPos(5, &precision, &precisionNull);
        query.defineByPos(6, &scale, &scaleNull);
    }
    // One query a position: COLUMN_ID counts the visible columns from 1 without a gap.
    std::vector<TableColumn> columns;
    for (;;) {
        const std::string id = std::to_string(columns.size() + 1);
        std::copy(id.begin(), id.end(), position);
        positionLength = static_cast<unsigned short>(id.size());
        if (!query.executeQuery())
            break;
        columns.push_back({name, type, lengthNull == 0 ? length : 0, unitNull == 0 ? unit : "",
                           numberColumns && precisionNull == 0 ? precision : -1,
                           numberColumns && scaleNull == 0 ? scale : kNoScale});
    }
    // The binds point into this frame; the next query prepares a statement of its own.
    return columns;
}

std::int64_t TableDictionary::countRows(const std::string& table) {
    DBStmt& query = prepare("SELECT COUNT(*) FROM " + table);
    char count[kCountTextBytes] = {};
    short countNull = 0;
    query.defineText(1, count, sizeof count, &countNull);
    query.execute();
    // COUNT(*) is a whole number, never NULL; no table holds more than 18 digits of rows.
    std::int64_t rows = 0;
    for (int digit = 0; digit < 18 && count[digit] >= '0' && count[digit] <= '9'; ++digit)
        rows = rows * 10 + (count[digit] - '0');
    return rows;
}

const char* TableDictionary::errorText() {
    return statement_ != nullptr ? statement_->errorText() : connection_.errorText();
}
