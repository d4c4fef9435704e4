// Filling the bind slots: the one pass over every byte of every record.
#include "load/BatchBuffers.h"

#include <algorithm>
#include <cstring>
#include <new>

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
        const ColumnKindTraits& kind = kindTraits(column.type.kind);
        // A CLOB's memos are text, decoded as the file's; a BLOB's keep their bytes.
        const TextConverter* longValuesConverter =
            kind.bind == DBStmt::BindType::Text ? &converter : nullptr;
        const std::size_t slotBytes = typedSlotBytes(column.type, column.width);
        columns_.push_back(
            {allocateSlots(slotBytes * rows), allocateZeroed<unsigned short>(rows), column.width,
             static_cast<int>(slotBytes), column.value, column.type, &kind,
             !kind.textSlots ? allocateZeroed<short>(rows) : nullptr,
             kind.gatheredWhole ? std::make_unique<LongValues>(longValuesConverter) : nullptr});
        if (kind.textSlots && column.value.isMemo())
            textMemoColumns_.push_back(columns_.size() - 1);
        hasLongValues_ = hasLongValues_ || kind.gatheredWhole;
        hasTypedColumns_ = hasTypedColumns_ || !kind.textSlots;
    }
    planTextSlots(rows);
}

void BatchBuffers::planTextSlots(std::size_t rows) {
    std::size_t widestBytes = 0;
    for (ColumnBuffer& column : columns_) {
        if (!column.kind->textSlots)
            continue;
        const auto width = static_cast<std::size_t>(column.width);
        column.widestSlotBytes = std::min(width * converter_.utf8BytesPerByte(), kMaxSlotBytes);
        widestBytes += column.widestSlotBytes * rows;
    }
    // Slots that may never need to move are worth their bytes while the budget holds them.
    const bool widestFit = widestBytes <= kSlotBudgetBytes;
    for (ColumnBuffer& column : columns_) {
        if (!column.kind->textSlots)
            continue;
        const auto width = static_cast<std::size_t>(column.width);
        const std::size_t slotBytes =
            widestFit ? column.widestSlotBytes : std::min(width, column.widestSlotBytes);
        column.slotBytes = static_cast<int>(slotBytes);
        column.slots = allocateSlots(slotBytes * rows);
        if (column.value.padsWithBlanks())
            column.blanksFrom = allocateZeroed<unsigned short>(rows);
        // An ASCII text of the file is its own UTF-8 where the converter keeps ASCII.
        column.storedText =
            converter_.keepsAscii() &&
            column.value.storedTextPlace(column.storedDisplacement, column.storedLength) &&
            column.storedLength <= width;
        if (column.storedText)
            storedTexts_ = column.value.owningTable();
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

// Slots are written before they are read, and only their values' lengths are: they need no
// clearing.
BatchBuffers::SlotArray BatchBuffers::allocateSlots(std::size_t bytes) {
    void* memory = std::malloc(bytes > 0 ? bytes : 1);
    if (memory == nullptr)
        throw std::bad_alloc();
    return SlotArray(static_cast<char*>(memory));
}

BatchBuffers::Binding BatchBuffers::binding(std::size_t column) {
    ColumnBuffer& buffer = columns_[column];
    Binding bind;
    bind.type = buffer.kind->bind;
    bind.indicators = buffer.indicators.get();
    if (buffer.longValues) {
        LongValues& values = *buffer.longValues;
        bind.isLong = true;
        if (values.longest() > kMaxElementBytes) {
            bind.handsOverWhole = true;
            bind.wholeValues = values.wholeValues();
            return bind;
        }
        bind.buffer = values.elements();
        bind.elementBytes = static_cast<int>(values.elementBytes());
        bind.indicators = values.indicators();
        bind.lengths = values.shortLengths();
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
            if (columns_[column].kind->isLob == (lobs == 1))
                order.push_back(column);
    return order;
}

bool BatchBuffers::roomForLongValues(int rows) const {
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
    // A text that is its stored bytes and all ASCII is copied a word at a time, checked as it
    // goes; any other takes the converter's way. A default load's row is all text.
    const unsigned char* record = storedTexts_ != nullptr ? storedTexts_->recordWords() : nullptr;
    for (ColumnBuffer& column : columns_) {
        if (record != nullptr && column.storedText) {
            char* slot = column.slots.get() +
                         static_cast<std::size_t>(row) * static_cast<std::size_t>(column.slotBytes);
            if (text_words::copyAsciiText(record + column.storedDisplacement, column.storedLength,
                                          slot)) {
                column.lengths[row] = static_cast<unsigned short>(column.storedLength);
                continue;
            }
        }
        if (!hasTypedColumns_ || column.kind->textSlots)
            fillText(column, row);
        else
            fillTypedValue(column, row);
    }
    countDamagedMemos();
}

void BatchBuffers::countDamagedMemos() {
    // A damaged memo reads as the blanks of no memo: the user must learn that it was lost.
    for (std::size_t index : textMemoColumns_) {
        ColumnBuffer& column = columns_[index];
        if (column.value.memoIsDamaged())
            ++column.damagedMemosInBatch;
    }
}

void BatchBuffers::fillText(ColumnBuffer& column, int row) {
    platform::ConvertedText value = convertText(column, row);
    column.lengths[row] = static_cast<unsigned short>(value.bytes);
    // Seldom true: a branch costs less than adding to memory for every value.
    if (value.cut)
        ++column.cutsInBatch;
    if (value.undefinedBytes)
        ++column.undefinedInBatch;
}

platform::ConvertedText BatchBuffers::convertText(ColumnBuffer& column, int row) {
    // The value goes straight from the file into its slot. What lies past its length stays
    // as it was: Oracle reads the length.
    const auto slotBytes = static_cast<std::size_t>(column.slotBytes);
    char* slot = column.slots.get() + static_cast<std::size_t>(row) * slotBytes;
    const auto width = static_cast<std::size_t>(column.width);
    if (!column.blanksFrom) {
        const platform::ConvertedText value =
            column.value.convertInto(slot, width, slotBytes, converter_);
        // A cut where the slot ends may be the slot's fault, not the column's.
        if (value.cut && slotBytes < column.widestSlotBytes)
            return convertIntoWiderSlot(column, row);
        return value;
    }
    SlotBlanks blanks{column.blanksFrom[row], column.lengths[row]};
    const platform::ConvertedText value =
        column.value.convertInto(slot, width, slotBytes, converter_, blanks);
    if ((value.cut || blanks.left > 0) && slotBytes < column.widestSlotBytes)
        return convertIntoWiderSlot(column, row);
    column.blanksFrom[row] =
        static_cast<unsigned short>(blanks.to > blanks.from ? blanks.from : value.bytes);
    return value;
}

platform::ConvertedText BatchBuffers::convertIntoWiderSlot(ColumnBuffer& column, int row) {
    // The value whole, as the widest slot takes it, tells how much room it needs.
    wideValue_.resize(column.widestSlotBytes);
    SlotBlanks blanks;
    const platform::ConvertedText value =
        column.value.convertInto(wideValue_.data(), static_cast<std::size_t>(column.width),
                                 wideValue_.size(), converter_, blanks);
    const auto slotBytes = static_cast<std::size_t>(column.slotBytes);
    if (value.bytes > slotBytes)
        widenSlots(
            column,
            std::min(column.widestSlotBytes, std::max(value.bytes, slotBytes + slotBytes / 16)),
            row);
    char* slot = column.slots.get() +
                 static_cast<std::size_t>(row) * static_cast<std::size_t>(column.slotBytes);
    std::memcpy(slot, wideValue_.data(), value.bytes);
    if (column.blanksFrom)
        column.blanksFrom[row] =
            static_cast<unsigned short>(blanks.to > blanks.from ? blanks.from : value.bytes);
    return value;
}

void BatchBuffers::widenSlots(ColumnBuffer& column, std::size_t slotBytes, int filledRows) {
    const auto rows = static_cast<std::size_t>(rowsPerBatch_);
    const auto oldBytes = static_cast<std::size_t>(column.slotBytes);
    void* grown = std::realloc(column.slots.get(), slotBytes * rows);
    if (grown == nullptr)
        throw std::bad_alloc();
    column.slots.release();
    column.slots.reset(static_cast<char*>(grown));
    // The rows filled so far move to their new places, the last first, so that none is
    // overwritten before it moves; what the rows after them held from the batch before is
    // gone.
    char* slots = column.slots.get();
    for (auto row = static_cast<std::size_t>(filledRows); row-- > 1;)
        std::memmove(slots + row * slotBytes, slots + row * oldBytes, column.lengths[row]);
    for (auto row = static_cast<std::size_t>(filledRows); row < rows; ++row) {
        column.lengths[row] = 0;
        if (column.blanksFrom)
            column.blanksFrom[row] = 0;
    }
    column.slotBytes = static_cast<int>(slotBytes);
    slotsMoved_ = true;
}

void BatchBuffers::fillTypedValue(ColumnBuffer& column, int row) {
    TypedValue outcome = TypedValue::Null;
    std::size_t length = 0;
    if (column.longValues) {
        outcome = column.longValues->add(column.value);
        if (column.longValues->lastHeldUndefinedBytes())
            ++column.undefinedInBatch;
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
        if (column.longValues && column.longValues->longest() <= kMaxElementBytes)
            column.longValues->layOut();
}

void BatchBuffers::batchCommitted() {
    for (ColumnBuffer& column : columns_) {
        column.committedCuts += column.cutsInBatch;
        column.cutsInBatch = 0;
        column.committedNulls += column.nullsInBatch;
        column.nullsInBatch = 0;
        column.committedDamagedMemos += column.damagedMemosInBatch;
        column.damagedMemosInBatch = 0;
        column.committedUndefined += column.undefinedInBatch;
        column.undefinedInBatch = 0;
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

std::vector<long> BatchBuffers::committedUndefinedBytes() const {
    std::vector<long> undefined;
    for (const ColumnBuffer& column : columns_)
        undefined.push_back(column.committedUndefined);
    return undefined;
}

std::vector<long> BatchBuffers::committedNulls() const {
    std::vector<long> nulls;
    for (const ColumnBuffer& column : columns_)
        nulls.push_back(column.committedNulls);
    return nulls;
}

std::vector<long> BatchBuffers::committedDamagedMemos() const {
    std::vector<long> damaged;
    for (const ColumnBuffer& column : columns_)
        damaged.push_back(column.committedDamagedMemos);
    return damaged;
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
