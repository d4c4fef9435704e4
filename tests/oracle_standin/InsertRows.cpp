// INSERT executions: binds matched to columns, Oracle's checks and conversions of each value
// for its column's type, and the rows in the table file's line format.
#include "InsertRows.h"

#include "BoundValues.h"
#include "CharacterSets.h"
#include "ColumnTypes.h"
#include "TypedValues.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace standin {

namespace {

// The table an INSERT writes to, with the bind of each of its columns.
struct InsertTarget {
    std::string table;
    std::vector<ColumnDefinition> columns;
    std::vector<const BindHandle*> binds; // one per column; null for a column not named
    std::vector<BoundValue> values;       // the current row's, reused from row to row
    std::vector<std::string> converted;   // their bytes in the database's set, when it differs
    std::vector<bool> stored;             // the value's stored text is in `converted`
    ub2 clientSet = 0;
    ub2 databaseSet = 0;
    NlsSettings nls;
    // Rows are kept, and so each typed value's text: a discarding database only checks them.
    bool keepsRows = true;
};

// The table's column each placeholder feeds: the columns in order, or those the column list
// names. ORA-00904 for a name the table has not, 00957 for a name given twice.
CallResult namedColumns(const SqlStatement& sql, const InsertTarget& target,
                        std::vector<std::size_t>& fed) {
    fed.clear();
    if (sql.insertColumns.empty()) {
        for (std::size_t c = 0; c < target.columns.size(); ++c)
            fed.push_back(c);
        return CallResult::success();
    }
    for (const std::string& name : sql.insertColumns) {
        const auto found =
            std::find_if(target.columns.begin(), target.columns.end(),
                         [&name](const ColumnDefinition& column) { return column.name == name; });
        if (found == target.columns.end())
            return CallResult::failure(
                invalidIdentifier("\"" + convertText(name, target.databaseSet, kAL32UTF8) + "\""));
        const auto c = static_cast<std::size_t>(found - target.columns.begin());
        if (std::find(fed.begin(), fed.end(), c) != fed.end())
            return CallResult::failure(957);
        fed.push_back(c);
    }
    return CallResult::success();
}

// True when a bind of `type` can feed the column: text into any but a BLOB, bytes only into
// a BLOB, the binary forms into the columns of their kind.
bool acceptsBindType(const ColumnDefinition& column, ub2 type) {
    switch (column.type) {
    case ColumnType::Number:
        return type == SQLT_CHR || type == SQLT_INT || type == SQLT_VNU || type == SQLT_BDOUBLE;
    case ColumnType::BinaryDouble:
        return type == SQLT_CHR || type == SQLT_INT || type == SQLT_BDOUBLE;
    case ColumnType::Date:
        return type == SQLT_CHR || type == SQLT_DAT;
    case ColumnType::Blob:
        return type == SQLT_BIN;
    default:
        return type == SQLT_CHR;
    }
}

// ORA-24816 when a bind declared over 4000 bytes for a column that is no LOB comes after a
// bind for a LOB column; ORA-01461 when such a bind feeds a column at all, since Oracle takes
// it as LONG data; ORA-00932 for a bind the column's type cannot take.
int checkBindsAgainstColumns(const InsertTarget& target) {
    ub4 firstLob = UINT32_MAX;
    for (std::size_t c = 0; c < target.columns.size(); ++c)
        if (target.binds[c] != nullptr && isLobColumn(target.columns[c]))
            firstLob = std::min(firstLob, target.binds[c]->position);
    for (std::size_t c = 0; c < target.columns.size(); ++c) {
        const BindHandle* bind = target.binds[c];
        if (bind != nullptr && !isLobColumn(target.columns[c]) &&
            static_cast<std::size_t>(bind->valueSize) > kMaxValueBytes && bind->position > firstLob)
            return 24816;
    }
    for (std::size_t c = 0; c < target.columns.size(); ++c) {
        const BindHandle* bind = target.binds[c];
        if (bind == nullptr)
            continue;
        if (!isLobColumn(target.columns[c]) &&
            static_cast<std::size_t>(bind->valueSize) > kMaxValueBytes)
            return 1461;
        if (!acceptsBindType(target.columns[c], bind->dataType))
            return 932;
    }
    return 0;
}

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

// Oracle's length check: a VARCHAR2(n) or CHAR(n) holds n bytes, one of (n CHAR) n characters
// and at most kMaxValueBytes bytes. ORA-12899 says what did not fit, in the column's unit.
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

// A CHAR value padded with blanks to its column's width.
void padCharValue(InsertTarget& target, std::size_t column, const BoundValue& value) {
    const ColumnDefinition& definition = target.columns[column];
    std::string padded(value.bytes, value.length);
    const std::size_t held = definition.inCharacters
                                 ? characterCount(value.bytes, value.length, target.databaseSet)
                                 : value.length;
    const auto width = static_cast<std::size_t>(definition.width);
    padded.append(width - std::min(held, width), ' ');
    target.converted[column] = std::move(padded);
    target.stored[column] = true;
}

template <typename T> T readBound(const BoundValue& value) {
    T number{};
    std::memcpy(&number, value.bytes, std::min(sizeof number, value.length));
    return number;
}

long long boundInteger(const BoundValue& value) {
    switch (value.length) {
    case 1:
        return readBound<std::int8_t>(value);
    case 2:
        return readBound<std::int16_t>(value);
    case 4:
        return readBound<std::int32_t>(value);
    default:
        return readBound<std::int64_t>(value);
    }
}

// A NUMBER from text under the session's settings, an integer, Oracle's NUMBER bytes or a
// double.
int storeNumber(const InsertTarget& target, std::size_t column, ub2 type, const BoundValue& value,
                std::string& text) {
    Decimal number;
    int error = 0;
    if (type == SQLT_INT)
        number = decimalFromInteger(boundInteger(value));
    else if (type == SQLT_VNU)
        error = decimalFromVarnum(reinterpret_cast<const unsigned char*>(value.bytes), value.length,
                                  number);
    else if (type == SQLT_BDOUBLE)
        error = decimalFromDouble(readBound<double>(value), number);
    else
        error = parseNumberText(value.bytes, value.length, target.nls.decimalCharacter, number);
    const ColumnDefinition& definition = target.columns[column];
    if (error == 0)
        error =
            fitNumberColumn(number, definition.scaleOnly ? kLargestPrecision : definition.precision,
                            definition.scale);
    if (target.keepsRows)
        text = decimalText(number);
    return error;
}

int storeDouble(const InsertTarget& target, ub2 type, const BoundValue& value, std::string& text) {
    double number = 0;
    int error = 0;
    if (type == SQLT_INT)
        number = static_cast<double>(boundInteger(value));
    else if (type == SQLT_BDOUBLE)
        number = readBound<double>(value);
    else
        error = parseDoubleText(std::string(value.bytes, value.length), target.nls.decimalCharacter,
                                number);
    if (target.keepsRows)
        text = doubleText(number);
    return error;
}

int storeDate(const InsertTarget& target, ub2 type, const BoundValue& value, std::string& text) {
    DateTime date;
    int error = 0;
    if (type == SQLT_DAT)
        error =
            value.length < 7
                ? 1841
                : dateFromOracleBytes(reinterpret_cast<const unsigned char*>(value.bytes), date);
    else
        error = parseDateText(std::string(value.bytes, value.length), target.nls.dateFormat, date);
    if (target.keepsRows)
        text = dateText(date);
    return error;
}

std::string hexText(const BoundValue& value) {
    static const char kHexDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(value.length * 2);
    for (std::size_t at = 0; at < value.length; ++at) {
        const auto byte = static_cast<unsigned char>(value.bytes[at]);
        text.push_back(kHexDigits[byte >> 4]);
        text.push_back(kHexDigits[byte & 0x0F]);
    }
    return text;
}

// The text the table file keeps of a value of a typed column, or the error that refuses it.
std::optional<ErrorRecord> storeTypedValue(const SessionHandle& session, InsertTarget& target,
                                           std::size_t column, const BoundValue& bound) {
    const ColumnDefinition& definition = target.columns[column];
    const ub2 type = target.binds[column]->dataType;
    std::string& text = target.converted[column];
    int error = 0;
    switch (definition.type) {
    case ColumnType::Number:
        error = storeNumber(target, column, type, bound, text);
        break;
    case ColumnType::BinaryDouble:
        error = storeDouble(target, type, bound, text);
        break;
    case ColumnType::Date:
        error = storeDate(target, type, bound, text);
        break;
    case ColumnType::Blob:
        if (target.keepsRows)
            text = hexText(bound);
        break;
    case ColumnType::Clob: {
        const BoundValue value = inDatabaseSet(target, column, bound);
        if (value.bytes != text.data())
            text.assign(value.bytes, value.length);
        break;
    }
    default: {
        const BoundValue value = inDatabaseSet(target, column, bound);
        if (std::optional<ErrorRecord> tooLarge = checkLength(session, target, column, value))
            return tooLarge;
        if (target.keepsRows)
            padCharValue(target, column, value);
        return std::nullopt;
    }
    }
    target.stored[column] = true;
    if (error == kInvalidNumberBytes)
        return invalidNumberBytes(target.binds[column]->position);
    if (error != 0)
        return oracleError(error);
    return std::nullopt;
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

// How far ahead textColumnFits() fetches the values it will count.
constexpr std::size_t kRowsAhead = 4;
constexpr std::size_t kLinesAhead = 8;

// True when the column is a VARCHAR2 or a CHAR bound as text, whose values only need their
// lengths checked (a CHAR's padding matters only to rows that are kept).
bool isPlainTextColumn(const InsertTarget& target, std::size_t c) {
    const ColumnType type = target.columns[c].type;
    return (type == ColumnType::Varchar2 || type == ColumnType::Char) &&
           target.binds[c] != nullptr && target.binds[c]->dataType == SQLT_CHR &&
           target.binds[c]->longLengths == nullptr;
}

// True when no value of a plain text column's rows can fail: each fits, or is NULL.
bool textColumnFits(const InsertTarget& target, std::size_t c, std::size_t rowOffset,
                    std::size_t iterations) {
    if (!isPlainTextColumn(target, c))
        return false;
    const BindHandle& bind = *target.binds[c];
    const std::size_t valueSize = static_cast<std::size_t>(bind.valueSize);
    const std::size_t limit = std::min(plainByteLimit(target, c), valueSize);
    for (std::size_t row = rowOffset; row < iterations; ++row) {
        const std::size_t length = bind.lengths != nullptr ? bind.lengths[row] : valueSize;
        const bool isNull = (bind.indicators != nullptr && bind.indicators[row] < 0) ||
                            length == 0 || bind.value == nullptr;
        if (length <= limit || isNull)
            continue;
        // Rows lie a slot apart, each beyond the reach of the processor's own prefetch: the
        // first lines of a row a few rows on are fetched while this one is counted.
        const char* ahead = bind.value + (row + kRowsAhead) * valueSize;
        for (std::size_t line = 0; line < kLinesAhead; ++line)
            __builtin_prefetch(ahead + 64 * line);
        if (length > valueSize ||
            !fitsByCharacters(target, c, bind.value + row * valueSize, length))
            return false;
    }
    return true;
}

// Checks one value and makes it what the row stores; the error that refuses it, if any.
std::optional<ErrorRecord> takeValue(const SessionHandle& session, InsertTarget& target,
                                     std::size_t c, const BoundValue& bound) {
    target.stored[c] = false;
    if (target.columns[c].type == ColumnType::Varchar2 || bound.isNull) {
        const BoundValue value = inDatabaseSet(target, c, bound);
        target.values[c] = value;
        return bound.isNull ? std::nullopt : checkLength(session, target, c, value);
    }
    target.values[c] = bound;
    return storeTypedValue(session, target, c, bound);
}

// Checks rows that are not kept a column at a time: a text column by its lengths alone where
// they show that every value fits, the others value by value. Benchmarks measure the client,
// not this double. Of several values that fail, the first of the leftmost column names the
// error.
CallResult checkDiscardedRows(const SessionHandle& session, InsertTarget& target,
                              std::size_t rowOffset, std::size_t iterations) {
    for (std::size_t c = 0; c < target.columns.size(); ++c) {
        if (textColumnFits(target, c, rowOffset, iterations))
            continue;
        for (std::size_t row = rowOffset; row < iterations; ++row) {
            std::optional<BoundValue> bound =
                target.binds[c] != nullptr ? boundValue(*target.binds[c], row) : BoundValue{};
            if (!bound)
                return CallResult::failure(1459);
            if (std::optional<ErrorRecord> refused = takeValue(session, target, c, *bound))
                return CallResult::failure(*refused);
        }
    }
    return CallResult::success();
}

// Checks and stores one row; the first value that does not fit names the error.
CallResult insertRow(const SessionHandle& session, InsertTarget& target, std::size_t row,
                     PendingRows* pending) {
    for (std::size_t c = 0; c < target.columns.size(); ++c) {
        std::optional<BoundValue> bound =
            target.binds[c] != nullptr ? boundValue(*target.binds[c], row) : BoundValue{};
        if (!bound)
            return CallResult::failure(1459);
        if (std::optional<ErrorRecord> refused = takeValue(session, target, c, *bound))
            return CallResult::failure(*refused);
    }
    if (pending == nullptr)
        return CallResult::success();
    for (std::size_t c = 0; c < target.values.size(); ++c) {
        if (c > 0)
            pending->lines.push_back('\t');
        if (target.values[c].isNull)
            appendNullValue(pending->lines);
        else if (target.stored[c])
            appendEscapedValue(pending->lines, target.converted[c].data(),
                               target.converted[c].size());
        else
            appendEscapedValue(pending->lines, target.values[c].bytes, target.values[c].length);
    }
    pending->lines.push_back('\n');
    ++pending->rowCount;
    return CallResult::success();
}

} // namespace

CallResult insertRows(SessionHandle& session, StatementHandle& statement, const SqlStatement& sql,
                      ub4 iterations, ub4 rowOffset, const std::optional<FailureRule>& rule) {
    std::optional<std::vector<ColumnDefinition>> columns =
        session.schema.tableColumns(sql.tableName);
    if (!columns)
        return CallResult::failure(942);
    const std::size_t columnCount = columns->size();
    InsertTarget target{sql.tableName,
                        *columns,
                        {},
                        std::vector<BoundValue>(columnCount),
                        std::vector<std::string>(columnCount),
                        std::vector<bool>(columnCount),
                        statement.environment->clientCharacterSet,
                        session.server->databaseCharacterSet,
                        session.nls};
    std::vector<std::size_t> fed;
    CallResult named = namedColumns(sql, target, fed);
    if (named.status != OCI_SUCCESS)
        return named;
    const auto placeholders = static_cast<std::size_t>(sql.placeholderCount);
    if (placeholders != fed.size())
        return CallResult::failure(placeholders < fed.size() ? 947 : 913);
    if (int error = checkBinds(statement, sql.placeholderCount))
        return CallResult::failure(error);
    target.binds.assign(columnCount, nullptr);
    for (std::size_t k = 0; k < fed.size(); ++k)
        target.binds[fed[k]] = statement.binds.at(static_cast<ub4>(k + 1));
    if (int error = checkBindsAgainstColumns(target))
        return CallResult::failure(error);
    PendingRows* pending =
        session.server->rules.discardRows() ? nullptr : &session.transaction[sql.tableName];
    target.keepsRows = pending != nullptr;
    bool ruleFails = rule && !isExecutionWarning(rule->code);
    if (pending == nullptr && !ruleFails)
        return session.server->rules.acceptRowsUnchecked()
                   ? CallResult::success()
                   : checkDiscardedRows(session, target, rowOffset, iterations);
    for (std::size_t row = rowOffset; row < iterations; ++row) {
        if (ruleFails && static_cast<long>(row - rowOffset) == rule->row)
            return CallResult::failure(rule->code);
        CallResult stored = insertRow(session, target, row, pending);
        if (stored.status != OCI_SUCCESS)
            return stored;
    }
    return CallResult::success();
}

} // namespace standin
