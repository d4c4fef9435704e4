// Filling the bind slots: the one pass over every byte of every record.
#include "load/BatchBuffers.h"

#include <algorithm>
#include <new>

namespace {

bool isMemoKind(ColumnKind kind) {
    return kind == ColumnKind::Clob || kind == ColumnKind::MemoBlob;
}

DBStmt::BindType bindTypeOf(ColumnKind kind) {
    switch (kind) {
    case ColumnKind::Integer:
        return DBStmt::BindType::Integer;
    case ColumnKind::Number:
    case ColumnKind::Currency:
        return DBStmt::BindType::Number;
    case ColumnKind::Double:
        return DBStmt::BindType::Double;
    case ColumnKind::Date:
    case ColumnKind::Moment:
        return DBStmt::BindType::Date;
    case ColumnKind::MemoBlob:
    case ColumnKind::RecordBlob:
        return DBStmt::BindType::Bytes;
    default:
        return DBStmt::BindType::Text;
    }
}

} // namespace

std::unique_ptr<TextConverter> converterFor(const DbfTable& table, unsigned codePage) {
    if (codePage == 0)
        codePage = table.codePage();
    if (codePage != 0)
        if (std::unique_ptr<TextConverter> named = TextConverter::forCodePage(codePage))
            return named;
    return TextConverter::forCodePage(platform::oemCodePage());
}

BatchBuffers::BatchBuffers(const std::vector<Column>& columns, int rowsPerBatch,
                           const TextConverter& converter)
    : rowsPerBatch_(rowsPerBatch), converter_(converter) {
    columns_.reserve(columns.size());
    const auto rows = static_cast<std::size_t>(rowsPerBatch);
    for (const Column& column : columns) {
        const ColumnKind kind = column.type.kind;
        std::size_t slotBytes = 0;
        if (kind == ColumnKind::Text)
            slotBytes =
                std::min(static_cast<std::size_t>(column.width) * converter.utf8BytesPerByte(),
                         kMaxSlotBytes);
        else if (!isMemoKind(kind))
            slotBytes = typedSlotBytes(column.type, column.width);
        columns_.push_back(
            {allocateZeroed<char>(slotBytes * rows), allocateZeroed<unsigned short>(rows),
             column.width, static_cast<int>(slotBytes), column.value, column.type,
             kind != ColumnKind::Text ? allocateZeroed<short>(rows) : nullptr,
             isMemoKind(kind)
                 ? std::make_unique<LongValues>(kind == ColumnKind::Clob ? &converter : nullptr)
                 : nullptr});
        hasLongValues_ = hasLongValues_ || isMemoKind(kind);
        hasTypedColumns_ = hasTypedColumns_ || kind != ColumnKind::Text;
    }
}

// Large blocks come zeroed from the system, page by page as they are first touched: no pass
// over all of them before the first row.
template <class T> BatchBuffers::ZeroedArray<T> BatchBuffers::allocateZeroed(std::size_t count) {
    void* memory = std::calloc(count > 0 ? count : 1, sizeof(T));
    if (memory == nullptr)
        throw std::bad_alloc();
    return ZeroedArray<T>(static_cast<T*>(memory));
}

BatchBuffers::Binding BatchBuffers::binding(std::size_t column) {
    ColumnBuffer& buffer = columns_[column];
    Binding bind;
    bind.type = bindTypeOf(buffer.type.kind);
    bind.indicators = buffer.indicators.get();
    if (buffer.longValues) {
        LongValues& values = *buffer.longValues;
        bind.buffer = values.elements();
        bind.elementBytes = static_cast<std::int64_t>(values.elementBytes());
        bind.indicators = values.indicators();
        bind.lengths = values.shortLengths();
        bind.longLengths = values.lengths();
        bind.isLong = true;
        return bind;
    }
    bind.buffer = buffer.slots.get();
    bind.elementBytes = buffer.slotBytes;
    // Numbers (their length byte too), dates and doubles have their size; a length array is
    // for texts and bytes.
    if (bind.type == DBStmt::BindType::Text || bind.type == DBStmt::BindType::Bytes)
        bind.lengths = buffer.lengths.get();
    return bind;
}

std::vector<std::size_t> BatchBuffers::bindOrder() const {
    std::vector<std::size_t> order;
    for (int lobs = 0; lobs < 2; ++lobs)
        for (std::size_t column = 0; column < columns_.size(); ++column)
            if (isLobKind(columns_[column].type.kind) == (lobs == 1))
                order.push_back(column);
    return order;
}

bool BatchBuffers::roomForRecord(int rows) const {
    if (!hasLongValues_ || rows == 0)
        return true;
    const auto rowsAfter = static_cast<std::size_t>(rows) + 1;
    std::size_t bytes = 0;
    for (const ColumnBuffer& column : columns_) {
        if (!column.longValues)
            continue;
        const std::size_t element =
            std::max(column.longValues->longest(), column.longValues->bytesNeeded(column.value));
        // Compared by division: a memo near the size of the address space must not wrap.
        if (element > (kLongBudgetBytes - bytes) / rowsAfter)
            return false;
        bytes += element * rowsAfter;
    }
    return true;
}

void BatchBuffers::fillRow(int row) {
    // A default load's row is all text: its loop asks nothing else of a column.
    if (!hasTypedColumns_) {
        for (ColumnBuffer& column : columns_)
            fillText(column, row);
        return;
    }
    for (ColumnBuffer& column : columns_) {
        if (column.type.kind == ColumnKind::Text)
            fillText(column, row);
        else
            fillTypedValue(column, row);
    }
}

void BatchBuffers::fillText(ColumnBuffer& column, int row) {
    // The value goes straight from the file into its slot. What lies past its length stays
    // as it was: Oracle reads the length, and clearing three times the text would cost more
    // than writing it.
    const auto slotBytes = static_cast<std::size_t>(column.slotBytes);
    char* slot = column.slots.get() + static_cast<std::size_t>(row) * slotBytes;
    const platform::ConvertedText value = column.value.convertInto(
        slot, static_cast<std::size_t>(column.width), slotBytes, converter_);
    column.lengths[row] = static_cast<unsigned short>(value.bytes);
    // Seldom true: a branch costs less than adding to memory for every value.
    if (value.cut)
        ++column.cutsInBatch;
}

void BatchBuffers::fillTypedValue(ColumnBuffer& column, int row) {
    TypedValue outcome = TypedValue::Null;
    std::size_t length = 0;
    if (column.longValues) {
        outcome = column.longValues->add(column.value);
    } else {
        const auto slotBytes = static_cast<std::size_t>(column.slotBytes);
        char* slot = column.slots.get() + static_cast<std::size_t>(row) * slotBytes;
        outcome = writeTypedValue(column.type, column.value, slot, length);
        column.lengths[row] = static_cast<unsigned short>(length);
    }
    column.indicators[row] = outcome == TypedValue::Value ? 0 : -1;
    if (outcome == TypedValue::Nulled)
        ++column.nullsInBatch;
}

void BatchBuffers::layOutLongValues() {
    for (ColumnBuffer& column : columns_)
        if (column.longValues)
            column.longValues->layOut();
}

std::size_t BatchBuffers::longestLongValue(std::size_t& column, std::size_t& row) const {
    std::size_t longest = 0;
    for (std::size_t index = 0; index < columns_.size(); ++index) {
        const LongValues* values = columns_[index].longValues.get();
        if (values != nullptr && values->longest() > longest) {
            longest = values->longest();
            column = index;
            row = values->longestRow();
        }
    }
    return longest;
}

void BatchBuffers::batchCommitted() {
    for (ColumnBuffer& column : columns_) {
        column.committedCuts += column.cutsInBatch;
        column.cutsInBatch = 0;
        column.committedNulls += column.nullsInBatch;
        column.nullsInBatch = 0;
        if (column.longValues)
            column.longValues->clear();
    }
}

std::vector<long> BatchBuffers::committedCuts() const {
    std::vector<long> cuts;
    for (const ColumnBuffer& column : columns_)
        cuts.push_back(column.committedCuts);
    return cuts;
}

std::vector<long> BatchBuffers::committedNulls() const {
    std::vector<long> nulls;
    for (const ColumnBuffer& column : columns_)
        nulls.push_back(column.committedNulls);
    return nulls;
}

std::size_t BatchBuffers::allSlotBytes() const {
    std::size_t bytes = 0;
    for (const ColumnBuffer& column : columns_)
        bytes +=
            static_cast<std::size_t>(column.slotBytes) * static_cast<std::size_t>(rowsPerBatch_);
    return bytes;
}

std::size_t BatchBuffers::lengthBytes() const {
    return columns_.size() * static_cast<std::size_t>(rowsPerBatch_) * sizeof(unsigned short);
}
