// Statement execution against the stand-in's files, with the fault-injection rules applied.
#include "Execution.h"

#include "CharacterSets.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace standin {

namespace {

// One bound value of one row: its bytes, or NULL.
struct BoundValue {
    const char* bytes = nullptr;
    std::size_t length = 0;
    bool isNull = true;
};

// Row r of a bind, as Oracle reads an SQLT_CHR array: value_sz bytes at value + r * value_sz,
// or the row's actual length when an alenp array was given. Zero bytes are NULL.
std::optional<BoundValue> boundValue(const BindHandle& bind, std::size_t row) {
    if (bind.indicators != nullptr && bind.indicators[row] < 0)
        return BoundValue{};
    std::size_t length = static_cast<std::size_t>(bind.valueSize);
    if (bind.lengths != nullptr) {
        if (bind.lengths[row] > length)
            return std::nullopt;
        length = bind.lengths[row];
    }
    if (length == 0 || bind.value == nullptr)
        return BoundValue{};
    return BoundValue{bind.value + row * static_cast<std::size_t>(bind.valueSize), length, false};
}

// ORA-01008 when a placeholder has no bind, ORA-01036 for a bind past the placeholders,
// ORA-03115 for a data type other than SQLT_CHR.
int checkBinds(const StatementHandle& statement, int placeholderCount) {
    for (int position = 1; position <= placeholderCount; ++position) {
        if (statement.binds.count(static_cast<ub4>(position)) == 0)
            return 1008;
    }
    for (const auto& bind : statement.binds) {
        if (bind.first > static_cast<ub4>(placeholderCount))
            return 1036;
        if (bind.second->dataType != SQLT_CHR)
            return 3115;
    }
    return 0;
}

bool writeInteger(const DefineHandle& define, long long value) {
    if (define.dataType != SQLT_INT || define.value == nullptr)
        return false;
    if (define.indicator != nullptr)
        *define.indicator = 0;
    switch (define.valueSize) {
    case 1:
        *static_cast<std::int8_t*>(define.value) = static_cast<std::int8_t>(value);
        break;
    case 2:
        *static_cast<std::int16_t*>(define.value) = static_cast<std::int16_t>(value);
        break;
    case 4:
        *static_cast<std::int32_t*>(define.value) = static_cast<std::int32_t>(value);
        break;
    case 8:
        *static_cast<std::int64_t*>(define.value) = static_cast<std::int64_t>(value);
        break;
    default:
        return false;
    }
    return true;
}

CallResult countObjects(SessionHandle& session, StatementHandle& statement, ub4 rowOffset) {
    if (int error = checkBinds(statement, 1))
        return CallResult::failure(error);
    std::optional<BoundValue> name = boundValue(*statement.binds.at(1), rowOffset);
    if (!name)
        return CallResult::failure(1459);
    // NULL equals nothing, so a NULL name counts no object. The name is compared in the
    // database's set, as the dictionary holds it.
    const std::string bound(name->bytes, name->length);
    int count = name->isNull ? 0
                             : session.schema.countObjects(
                                   convertText(bound, statement.environment->clientCharacterSet,
                                               session.server->databaseCharacterSet));
    auto define = statement.defines.find(1);
    if (define != statement.defines.end() && !writeInteger(*define->second, count))
        return CallResult::failure(3115);
    return CallResult::success();
}

// One value of a USER_TAB_COLUMNS row: a number, or a text.
struct DictionaryValue {
    bool isNumber = false;
    long long number = 0;
    std::string text;
};

DictionaryValue dictionaryValue(const std::string& item, const ColumnDefinition& column,
                                std::size_t columnId, ub2 databaseSet) {
    const auto width = static_cast<long long>(column.width);
    if (item == "COLUMN_NAME")
        return {false, 0, column.name};
    if (item == "DATA_TYPE")
        return {false, 0, "VARCHAR2"};
    if (item == "CHAR_USED")
        return {false, 0, column.inCharacters ? "C" : "B"};
    if (item == "CHAR_LENGTH")
        return {true, width, ""};
    if (item == "COLUMN_ID")
        return {true, static_cast<long long>(columnId), ""};
    // DATA_LENGTH counts bytes: a character column takes the most its characters can need.
    const long long bytesPerCharacter = databaseSet == kAL32UTF8 ? 4 : 1;
    const long long maxBytes = static_cast<long long>(kMaxValueBytes);
    return {true, column.inCharacters ? std::min(width * bytesPerCharacter, maxBytes) : width, ""};
}

// A text into an SQLT_STR (terminated) or SQLT_CHR define; false for another type. Sets
// `truncated` when the buffer was too small.
bool writeText(const DefineHandle& define, const std::string& text, bool& truncated) {
    if (define.value == nullptr || define.valueSize <= 0)
        return false;
    const auto size = static_cast<std::size_t>(define.valueSize);
    const bool terminated = define.dataType == SQLT_STR;
    if (!terminated && define.dataType != SQLT_CHR)
        return false;
    const std::size_t copied = std::min(text.size(), terminated ? size - 1 : size);
    std::memcpy(define.value, text.data(), copied);
    if (terminated)
        static_cast<char*>(define.value)[copied] = '\0';
    truncated = copied < text.size();
    if (define.returnLength != nullptr)
        *define.returnLength = static_cast<ub2>(copied);
    if (define.indicator != nullptr)
        *define.indicator = truncated ? static_cast<sb2>(text.size()) : 0;
    return true;
}

// The COLUMN_ID the second placeholder asks for; 0 for a text that is no whole number.
std::size_t boundColumnId(const BoundValue& value) {
    if (value.isNull || value.length == 0 || value.length > 9)
        return 0;
    std::size_t id = 0;
    for (std::size_t i = 0; i < value.length; ++i) {
        if (value.bytes[i] < '0' || value.bytes[i] > '9')
            return 0;
        id = id * 10 + static_cast<std::size_t>(value.bytes[i] - '0');
    }
    return id;
}

// One row of USER_TAB_COLUMNS for a table: column 1, or the one the COLUMN_ID bind names.
// A table without that column (or no such table) gives no row: OCI_NO_DATA.
CallResult describeColumn(SessionHandle& session, StatementHandle& statement,
                          const SqlStatement& sql, ub4 rowOffset) {
    if (int error = checkBinds(statement, sql.placeholderCount))
        return CallResult::failure(error);
    std::optional<BoundValue> table = boundValue(*statement.binds.at(1), rowOffset);
    if (!table)
        return CallResult::failure(1459);
    std::size_t columnId = 1;
    if (sql.byColumnId) {
        std::optional<BoundValue> id = boundValue(*statement.binds.at(2), rowOffset);
        if (!id)
            return CallResult::failure(1459);
        columnId = boundColumnId(*id);
    }
    // Names as stored (in the database's set): a bound name in another case finds nothing.
    const ub2 clientSet = statement.environment->clientCharacterSet;
    const ub2 databaseSet = session.server->databaseCharacterSet;
    const std::string name = table->isNull ? ""
                                           : convertText(std::string(table->bytes, table->length),
                                                         clientSet, databaseSet);
    std::optional<std::vector<ColumnDefinition>> columns;
    if (session.schema.hasTable(name))
        columns = session.schema.tableColumns(name);
    if (!columns || columnId == 0 || columnId > columns->size())
        return CallResult{OCI_NO_DATA, oracleError(1403)};
    bool truncated = false;
    for (std::size_t k = 0; k < sql.selectItems.size(); ++k) {
        auto define = statement.defines.find(static_cast<ub4>(k + 1));
        if (define == statement.defines.end())
            continue;
        const DictionaryValue value =
            dictionaryValue(sql.selectItems[k], (*columns)[columnId - 1], columnId, databaseSet);
        bool cut = false;
        const bool written =
            define->second->dataType == SQLT_INT
                ? value.isNumber && writeInteger(*define->second, value.number)
                : writeText(*define->second,
                            value.isNumber ? std::to_string(value.number)
                                           : convertText(value.text, databaseSet, clientSet),
                            cut);
        if (!written)
            return CallResult::failure(value.isNumber ? 3115 : 1722);
        truncated = truncated || cut;
    }
    if (truncated)
        return CallResult{OCI_SUCCESS_WITH_INFO, oracleError(24345)};
    return CallResult::success();
}

// DROP TABLE and ALTER TABLE ... RENAME TO: DDL on a table that must exist, so the open
// transaction is committed first, even when the statement is then refused.
template <typename Change>
CallResult changeTable(SessionHandle& session, const std::string& table, Change change) {
    CallResult committed = commitTransaction(session, false);
    if (committed.status != OCI_SUCCESS)
        return committed;
    if (!session.schema.hasTable(table))
        return CallResult::failure(942);
    return change();
}

CallResult dropTable(SessionHandle& session, const SqlStatement& sql) {
    return changeTable(session, sql.tableName, [&] {
        return session.schema.dropTable(sql.tableName) ? CallResult::success()
                                                       : CallResult::failure(1114);
    });
}

CallResult renameTable(SessionHandle& session, const SqlStatement& sql) {
    return changeTable(session, sql.tableName, [&] {
        if (session.schema.isNameTaken(sql.newTableName))
            return CallResult::failure(955);
        return session.schema.renameTable(sql.tableName, sql.newTableName)
                   ? CallResult::success()
                   : CallResult::failure(1114);
    });
}

CallResult createTable(SessionHandle& session, const SqlStatement& sql) {
    // Oracle's DDL commits the open transaction before it runs.
    CallResult committed = commitTransaction(session, false);
    if (committed.status != OCI_SUCCESS)
        return committed;
    if (session.schema.isNameTaken(sql.tableName))
        return CallResult::failure(955);
    if (!session.schema.createTable(sql.tableName, sql.columns))
        return CallResult::failure(1114);
    return CallResult::success();
}

// The table an INSERT writes to, with the bind of each of its columns.
struct InsertTarget {
    std::string table;
    std::vector<ColumnDefinition> columns;
    std::vector<const BindHandle*> binds;
    std::vector<BoundValue> values;     // the current row's, reused from row to row
    std::vector<std::string> converted; // their bytes in the database's set, when it differs
    ub2 clientSet = 0;
    ub2 databaseSet = 0;
};

// The value in the database's character set: the bound bytes themselves when no conversion
// is needed, else the column's scratch text.
BoundValue inDatabaseSet(InsertTarget& target, std::size_t column, const BoundValue& value) {
    if (value.isNull || target.clientSet == target.databaseSet)
        return value;
    std::string& text = target.converted[column];
    text.clear();
    convertText(value.bytes, value.length, target.clientSet, target.databaseSet, text);
    return BoundValue{text.data(), text.size(), false};
}

// Oracle's length check: a VARCHAR2(n) holds n bytes, a VARCHAR2(n CHAR) n characters and
// at most kMaxValueBytes bytes. ORA-12899 says what did not fit, in the column's unit.
std::optional<ErrorRecord> checkLength(const SessionHandle& session, const InsertTarget& target,
                                       std::size_t column, const BoundValue& value) {
    const ColumnDefinition& definition = target.columns[column];
    std::size_t actual = value.length;
    std::size_t maximum = static_cast<std::size_t>(definition.width);
    if (definition.inCharacters) {
        actual = characterCount(value.bytes, value.length, target.databaseSet);
        if (actual <= maximum) {
            actual = value.length;
            maximum = kMaxValueBytes;
        }
    }
    if (actual <= maximum)
        return std::nullopt;
    // The message names them in UTF-8, as every record holds its text.
    auto named = [&target](const std::string& name) {
        return convertText(name, target.databaseSet, kAL32UTF8);
    };
    return valueTooLarge(named(session.schema.user()), named(target.table), named(definition.name),
                         actual, maximum);
}

// The most bytes a value of the column may have and certainly fit where it needs no
// conversion (a value has no more characters than bytes); 0 when the values must be
// converted one by one.
std::size_t plainByteLimit(const InsertTarget& target, std::size_t column) {
    if (target.clientSet != target.databaseSet)
        return 0;
    const ColumnDefinition& definition = target.columns[column];
    const auto width = static_cast<std::size_t>(definition.width);
    return definition.inCharacters && width > kMaxValueBytes ? kMaxValueBytes : width;
}

// True when a value longer in bytes than its column's plain limit still fits: one of a
// VARCHAR2(n CHAR) column in the database's own set, within 4000 bytes, whose characters fit.
bool fitsByCharacters(const InsertTarget& target, std::size_t column, const char* value,
                      std::size_t length) {
    const ColumnDefinition& definition = target.columns[column];
    return target.clientSet == target.databaseSet && definition.inCharacters &&
           length <= kMaxValueBytes &&
           fitsInCharacters(value, length, target.databaseSet,
                            static_cast<std::size_t>(definition.width));
}

// How far ahead allRowsFit() fetches the values it will count.
constexpr std::size_t kRowsAhead = 4;
constexpr std::size_t kLinesAhead = 8;

// True when no value of the rows can fail: each fits its column, or is NULL.
bool allRowsFit(const InsertTarget& target, std::size_t rowOffset, std::size_t iterations) {
    for (std::size_t c = 0; c < target.columns.size(); ++c) {
        const BindHandle& bind = *target.binds[c];
        const std::size_t valueSize = static_cast<std::size_t>(bind.valueSize);
        const std::size_t limit = std::min(plainByteLimit(target, c), valueSize);
        for (std::size_t row = rowOffset; row < iterations; ++row) {
            const std::size_t length = bind.lengths != nullptr ? bind.lengths[row] : valueSize;
            const bool isNull = (bind.indicators != nullptr && bind.indicators[row] < 0) ||
                                length == 0 || bind.value == nullptr;
            if (length <= limit || isNull)
                continue;
            // Rows lie a slot apart, each beyond the reach of the processor's own prefetch:
            // the first lines of a row a few rows on are fetched while this one is counted.
            const char* ahead = bind.value + (row + kRowsAhead) * valueSize;
            for (std::size_t line = 0; line < kLinesAhead; ++line)
                __builtin_prefetch(ahead + 64 * line);
            if (length > valueSize ||
                !fitsByCharacters(target, c, bind.value + row * valueSize, length))
                return false;
        }
    }
    return true;
}

// ORA-01461 when a bind is declared larger than a VARCHAR2 value can be: Oracle takes such a
// bind as LONG data, whatever the values hold.
int checkBindSizes(const InsertTarget& target) {
    for (const BindHandle* bind : target.binds)
        if (static_cast<std::size_t>(bind->valueSize) > kMaxValueBytes)
            return 1461;
    return 0;
}

// Checks and stores one row; ORA-12899 names the first value that does not fit.
CallResult insertRow(const SessionHandle& session, InsertTarget& target, std::size_t row,
                     PendingRows* pending) {
    for (std::size_t c = 0; c < target.columns.size(); ++c) {
        std::optional<BoundValue> bound = boundValue(*target.binds[c], row);
        if (!bound)
            return CallResult::failure(1459);
        const BoundValue value = inDatabaseSet(target, c, *bound);
        if (std::optional<ErrorRecord> tooLarge = checkLength(session, target, c, value))
            return CallResult::failure(*tooLarge);
        target.values[c] = value;
    }
    if (pending == nullptr)
        return CallResult::success();
    for (std::size_t c = 0; c < target.values.size(); ++c) {
        if (c > 0)
            pending->lines.push_back('\t');
        if (target.values[c].isNull)
            appendNullValue(pending->lines);
        else
            appendEscapedValue(pending->lines, target.values[c].bytes, target.values[c].length);
    }
    pending->lines.push_back('\n');
    ++pending->rowCount;
    return CallResult::success();
}

CallResult insertRows(SessionHandle& session, StatementHandle& statement, const SqlStatement& sql,
                      ub4 iterations, ub4 rowOffset, const std::optional<FailureRule>& rule) {
    std::optional<std::vector<ColumnDefinition>> columns =
        session.schema.tableColumns(sql.tableName);
    if (!columns)
        return CallResult::failure(942);
    std::size_t columnCount = columns->size();
    if (static_cast<std::size_t>(sql.placeholderCount) != columnCount)
        return CallResult::failure(
            static_cast<std::size_t>(sql.placeholderCount) < columnCount ? 947 : 913);
    if (int error = checkBinds(statement, sql.placeholderCount))
        return CallResult::failure(error);

    InsertTarget target{sql.tableName,
                        *columns,
                        {},
                        std::vector<BoundValue>(columnCount),
                        std::vector<std::string>(columnCount),
                        statement.environment->clientCharacterSet,
                        session.server->databaseCharacterSet};
    for (std::size_t c = 0; c < columnCount; ++c)
        target.binds.push_back(statement.binds.at(static_cast<ub4>(c + 1)));
    if (int error = checkBindSizes(target))
        return CallResult::failure(error);
    PendingRows* pending =
        session.server->rules.discardRows() ? nullptr : &session.transaction[sql.tableName];
    bool ruleFails = rule && !isExecutionWarning(rule->code);
    // Benchmarks measure the client, not this double: rows that are only checked, and all
    // fit, are passed without a look at each row.
    if (pending == nullptr && !ruleFails && allRowsFit(target, rowOffset, iterations))
        return CallResult::success();
    for (std::size_t row = rowOffset; row < iterations; ++row) {
        if (ruleFails && static_cast<long>(row - rowOffset) == rule->row)
            return CallResult::failure(rule->code);
        CallResult stored = insertRow(session, target, row, pending);
        if (stored.status != OCI_SUCCESS)
            return stored;
    }
    return CallResult::success();
}

// The warning a rule asks for, replacing a plain success.
CallResult withWarning(CallResult result, const std::optional<FailureRule>& rule) {
    if (result.status == OCI_SUCCESS && rule && isExecutionWarning(rule->code))
        return CallResult{OCI_SUCCESS_WITH_INFO, oracleError(rule->code)};
    return result;
}

std::optional<FailureRule> countKind(FailureRules& rules, SqlStatement::Kind kind) {
    switch (kind) {
    case SqlStatement::Kind::CountObjects:
        return rules.count(FailurePoint::Select);
    case SqlStatement::Kind::CreateTable:
        return rules.count(FailurePoint::Create);
    case SqlStatement::Kind::Insert:
        return rules.count(FailurePoint::Insert);
    case SqlStatement::Kind::TableColumns:
        return rules.count(FailurePoint::Select);
    case SqlStatement::Kind::DropTable:
        return rules.count(FailurePoint::Drop);
    case SqlStatement::Kind::RenameTable:
        return rules.count(FailurePoint::Rename);
    default:
        return std::nullopt;
    }
}

// A rule that fails the call outright (not a warning, not a block).
bool failsOutright(const std::optional<FailureRule>& rule) {
    return rule && !rule->blocks && !isExecutionWarning(rule->code);
}

bool blocks(const std::optional<FailureRule>& rule) {
    return rule && rule->blocks;
}

} // namespace

CallResult executeStatement(SessionHandle& session, StatementHandle& statement, ub4 iterations,
                            ub4 rowOffset) {
    if (!statement.prepared)
        return CallResult::failure(24337);
    // The server reads the text in its own set; names fold to upper case there.
    const ub2 databaseSet = session.server->databaseCharacterSet;
    SqlStatement sql = parseSql(
        convertText(statement.text, statement.environment->clientCharacterSet, databaseSet),
        databaseSet);
    // A query may run without fetching; anything else needs at least one iteration.
    const bool isQuery = sql.kind == SqlStatement::Kind::CountObjects ||
                         sql.kind == SqlStatement::Kind::TableColumns;
    if (iterations == 0 && !isQuery)
        return CallResult::failure(24333);
    if (rowOffset > iterations)
        return CallResult::failure(24333);

    FailureRules& rules = session.server->rules;
    std::optional<FailureRule> executeRule = rules.count(FailurePoint::Execute);
    std::optional<FailureRule> kindRule = countKind(rules, sql.kind);
    if (blocks(executeRule) || blocks(kindRule))
        return CallResult::blockedCall();
    if (failsOutright(executeRule))
        return CallResult::failure(executeRule->code);
    if (failsOutright(kindRule) && sql.kind != SqlStatement::Kind::Insert)
        return CallResult::failure(kindRule->code);
    if (sql.errorCode != 0)
        return CallResult::failure(sql.errorCode);

    CallResult result;
    switch (sql.kind) {
    case SqlStatement::Kind::CountObjects:
        result =
            iterations == 0 ? CallResult::success() : countObjects(session, statement, rowOffset);
        break;
    case SqlStatement::Kind::CreateTable:
        result = createTable(session, sql);
        break;
    case SqlStatement::Kind::Insert:
        result = insertRows(session, statement, sql, iterations, rowOffset, kindRule);
        break;
    case SqlStatement::Kind::TableColumns:
        result = iterations == 0 ? CallResult::success()
                                 : describeColumn(session, statement, sql, rowOffset);
        break;
    case SqlStatement::Kind::DropTable:
        result = dropTable(session, sql);
        break;
    case SqlStatement::Kind::RenameTable:
        result = renameTable(session, sql);
        break;
    default:
        result = CallResult::failure(900);
    }
    return withWarning(withWarning(result, executeRule), kindRule);
}

CallResult commitTransaction(SessionHandle& session, bool counted) {
    std::optional<FailureRule> rule;
    if (counted)
        rule = session.server->rules.count(FailurePoint::Commit);
    if (blocks(rule))
        return CallResult::blockedCall();
    if (failsOutright(rule))
        return CallResult::failure(rule->code);
    for (const auto& table : session.transaction) {
        if (table.second.rowCount > 0 &&
            !session.schema.appendRows(table.first, table.second.lines))
            return CallResult::failure(1114);
    }
    session.transaction.clear();
    return withWarning(CallResult::success(), rule);
}

CallResult rollbackTransaction(SessionHandle& session) {
    std::optional<FailureRule> rule = session.server->rules.count(FailurePoint::Rollback);
    if (blocks(rule))
        return CallResult::blockedCall();
    if (failsOutright(rule))
        return CallResult::failure(rule->code);
    session.transaction.clear();
    return withWarning(CallResult::success(), rule);
}

} // namespace standin
