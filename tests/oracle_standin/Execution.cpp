// Statement execution against the stand-in's files, with the fault-injection rules applied.
#include "Execution.h"

#include "BoundValues.h"
#include "CharacterSets.h"
#include "ColumnTypes.h"
#include "InsertRows.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace standin {

namespace {

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

CallResult countObjects(SessionHandle& session, StatementHandle& statement, const SqlStatement& sql,
                        ub4 rowOffset) {
    if (int error = checkBinds(statement, sql.placeholderCount))
        return CallResult::failure(error);
    std::optional<BoundValue> name = boundValue(*statement.binds.at(1), rowOffset);
    if (!name)
        return CallResult::failure(1459);
    // NULL equals nothing, so a NULL name (or type) counts no object. Both are compared in
    // the database's set, as the dictionary holds them.
    const ub2 clientSet = statement.environment->clientCharacterSet;
    const ub2 databaseSet = session.server->databaseCharacterSet;
    const std::string bound(name->bytes, name->length);
    std::optional<std::string> type;
    if (sql.byObjectType) {
        std::optional<BoundValue> boundType = boundValue(*statement.binds.at(2), rowOffset);
        if (!boundType)
            return CallResult::failure(1459);
        if (boundType->isNull)
            name->isNull = true;
        else
            type = convertText(std::string(boundType->bytes, boundType->length), clientSet,
                               databaseSet);
    }
    int count = name->isNull
                    ? 0
                    : session.schema.countObjects(convertText(bound, clientSet, databaseSet),
                                                  type ? &*type : nullptr);
    auto define = statement.defines.find(1);
    if (define != statement.defines.end() && !writeInteger(*define->second, count))
        return CallResult::failure(3115);
    return CallResult::success();
}

// One value of a USER_TAB_COLUMNS row: a number, a text, or NULL.
struct DictionaryValue {
    bool isNumber = false;
    long long number = 0;
    std::string text;
    bool isNull = false;
};

DictionaryValue numberValue(long long number) {
    return {true, number, "", false};
}

DictionaryValue textValue(const std::string& text) {
    return {false, 0, text, false};
}

DictionaryValue nullValue() {
    return {false, 0, "", true};
}

// DATA_LENGTH counts bytes: a character column takes the most its characters can need;
// NUMBER 22, DATE 7, BINARY_DOUBLE 8, a LOB's locator 4000.
long long dataLength(const ColumnDefinition& column, ub2 databaseSet) {
    const auto width = static_cast<long long>(column.width);
    const long long bytesPerCharacter = databaseSet == kAL32UTF8 ? 4 : 1;
    const long long maxBytes = static_cast<long long>(kMaxValueBytes);
    switch (column.type) {
    case ColumnType::Varchar2:
    case ColumnType::Char:
        return column.inCharacters ? std::min(width * bytesPerCharacter, maxBytes) : width;
    case ColumnType::Number:
        return 22;
    case ColumnType::Date:
        return 7;
    case ColumnType::BinaryDouble:
        return 8;
    default:
        return maxBytes;
    }
}

DictionaryValue dictionaryValue(const std::string& item, const ColumnDefinition& column,
                                std::size_t columnId, ub2 databaseSet) {
    const bool characters = column.type == ColumnType::Varchar2 || column.type == ColumnType::Char;
    const bool hasPrecision = column.type == ColumnType::Number && column.precision > 0;
    // INTEGER and NUMBER(*,s) have a scale without a precision.
    const bool hasScale = hasPrecision || (column.type == ColumnType::Number && column.scaleOnly);
    if (item == "COLUMN_NAME")
        return textValue(column.name);
    if (item == "DATA_TYPE")
        return textValue(dataTypeName(column.type));
    if (item == "CHAR_USED")
        return characters ? textValue(column.inCharacters ? "C" : "B") : nullValue();
    if (item == "CHAR_LENGTH")
        return numberValue(characters ? column.width : 0);
    if (item == "DATA_PRECISION")
        return hasPrecision ? numberValue(column.precision) : nullValue();
    if (item == "DATA_SCALE")
        return hasScale ? numberValue(column.scale) : nullValue();
    if (item == "COLUMN_ID")
        return numberValue(static_cast<long long>(columnId));
    return numberValue(dataLength(column, databaseSet));
}

// A NULL into a define: its indicator says so; without one it is ORA-01405.
bool writeNull(const DefineHandle& define) {
    if (define.indicator == nullptr)
        return false;
    *define.indicator = -1;
    return true;
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
    // Views list their columns here too, as Oracle's do.
    std::optional<std::vector<ColumnDefinition>> columns = session.schema.listedColumns(name);
    if (!columns || columnId == 0 || columnId > columns->size())
        return CallResult{OCI_NO_DATA, oracleError(1403)};
    bool truncated = false;
    for (std::size_t k = 0; k < sql.selectItems.size(); ++k) {
        auto define = statement.defines.find(static_cast<ub4>(k + 1));
        if (define == statement.defines.end())
            continue;
        const DictionaryValue value =
            dictionaryValue(sql.selectItems[k], (*columns)[columnId - 1], columnId, databaseSet);
        if (value.isNull) {
            if (!writeNull(*define->second))
                return CallResult::failure(1405);
            continue;
        }
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

// SELECT COUNT(*) FROM a table: its committed rows and the session's own pending ones, as
// Oracle's read consistency shows them; the count goes to an integer or a text define.
CallResult countRows(SessionHandle& session, StatementHandle& statement, const SqlStatement& sql) {
    if (int error = checkBinds(statement, 0))
        return CallResult::failure(error);
    const std::optional<long long> committed = session.schema.rowCount(sql.tableName);
    if (!committed)
        return CallResult::failure(942);
    long long rows = *committed;
    const auto pending = session.transaction.find(sql.tableName);
    if (pending != session.transaction.end())
        rows += pending->second.rowCount;
    auto define = statement.defines.find(1);
    if (define == statement.defines.end())
        return CallResult::success();
    bool cut = false;
    const bool written = define->second->dataType == SQLT_INT
                             ? writeInteger(*define->second, rows)
                             : writeText(*define->second, std::to_string(rows), cut);
    return written ? CallResult::success() : CallResult::failure(3115);
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

// ALTER SESSION SET: every setting or none; it commits nothing.
CallResult alterSession(SessionHandle& session, const SqlStatement& sql) {
    NlsSettings nls = session.nls;
    for (const auto& [name, value] : sql.sessionSettings)
        if (int error = applySessionSetting(nls, name, value))
            return CallResult::failure(error);
    session.nls = nls;
    return CallResult::success();
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

// The warning a rule asks for, replacing a plain success.
CallResult withWarning(CallResult result, const std::optional<FailureRule>& rule) {
    if (result.status == OCI_SUCCESS && rule && isExecutionWarning(rule->code))
        return CallResult{OCI_SUCCESS_WITH_INFO, oracleError(rule->code)};
    return result;
}

std::optional<FailureRule> countKind(FailureRules& rules, SqlStatement::Kind kind) {
    switch (kind) {
    case SqlStatement::Kind::CountObjects:
    case SqlStatement::Kind::CountRows:
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

// A rule that fails the call outright (not a warning, not a block, not after its work).
bool failsOutright(const std::optional<FailureRule>& rule) {
    return rule && !rule->blocks && !rule->after && !isExecutionWarning(rule->code);
}

// The failure of a rule that lets the call do its work first, replacing its success.
CallResult failedAfterwards(CallResult result, const std::optional<FailureRule>& rule) {
    if (result.status != OCI_ERROR && rule && rule->after)
        return ruleFailure(*rule);
    return result;
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
                         sql.kind == SqlStatement::Kind::CountRows ||
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
        return ruleFailure(*executeRule);
    if (failsOutright(kindRule) && sql.kind != SqlStatement::Kind::Insert)
        return ruleFailure(*kindRule);
    if (sql.errorCode != 0)
        return CallResult::failure(sql.errorCode);

    CallResult result;
    switch (sql.kind) {
    case SqlStatement::Kind::CountObjects:
        result = iterations == 0 ? CallResult::success()
                                 : countObjects(session, statement, sql, rowOffset);
        break;
    case SqlStatement::Kind::CountRows:
        result = iterations == 0 ? CallResult::success() : countRows(session, statement, sql);
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
    case SqlStatement::Kind::AlterSession:
        result = alterSession(session, sql);
        break;
    default:
        result = CallResult::failure(900);
    }
    result = failedAfterwards(failedAfterwards(result, executeRule), kindRule);
    return withWarning(withWarning(result, executeRule), kindRule);
}

CallResult ruleFailure(const FailureRule& rule) {
    CallResult result = CallResult::failure(oracleError(rule.code, rule.text));
    result.connectionGone = rule.gone;
    return result;
}

CallResult commitTransaction(SessionHandle& session, bool counted) {
    std::optional<FailureRule> rule;
    if (counted)
        rule = session.server->rules.count(FailurePoint::Commit);
    if (blocks(rule))
        return CallResult::blockedCall();
    if (failsOutright(rule))
        return ruleFailure(*rule);
    for (const auto& table : session.transaction) {
        if (table.second.rowCount > 0 &&
            !session.schema.appendRows(table.first, table.second.lines))
            return CallResult::failure(1114);
    }
    session.transaction.clear();
    // A rule that commits and still fails: the reply lost on its way back.
    return failedAfterwards(withWarning(CallResult::success(), rule), rule);
}

CallResult rollbackTransaction(SessionHandle& session) {
    std::optional<FailureRule> rule = session.server->rules.count(FailurePoint::Rollback);
    if (blocks(rule))
        return CallResult::blockedCall();
    if (failsOutright(rule))
        return ruleFailure(*rule);
    session.transaction.clear();
    return failedAfterwards(withWarning(CallResult::success(), rule), rule);
}

} // namespace standin
