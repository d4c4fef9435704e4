// Filling the bind slots: the one pass over every byte of every record.
#include "load/BatchBuffers.h"

#include <algorithm>
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
        const std::size_t slotBytes = std::min(
            static_cast<std::size_t>(column.width) * converter.utf8BytesPerByte(), kMaxSlotBytes);
        columns_.push_back({allocateZeroed<char>(slotBytes * rows),
                            allocateZeroed<unsigned short>(rows), column.width,
                            static_cast<int>(slotBytes), column.value});
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

void BatchBuffers::fillRow(int row) {
    // The value goes straight from the file into its slot. What lies past its length stays
    // as it was: Oracle reads the length, and clearing three times the text would cost more
    // than writing it.
    for (ColumnBuffer& column : columns_) {
        const auto slotBytes = static_cast<std::size_t>(column.slotBytes);
        char* slot = column.slots.get() + static_cast<std::size_t>(row) * slotBytes;
        const platform::ConvertedText value = column.value.convertInto(
            slot, static_cast<std::size_t>(column.width), slotBytes, converter_);
        column.lengths[row] = static_cast<unsigned short>(value.bytes);
        // Seldom true: a branch costs less than adding to memory for every value.
        if (value.cut)
            ++column.cutsInBatch;
    }
}

void BatchBuffers::batchCommitted() {
    for (ColumnBuffer& column : columns_) {
        column.committedCuts += column.cutsInBatch;
        column.cutsInBatch = 0;
    }
}

std::vector<long> BatchBuffers::committedCuts() const {
    std::vector<long> cuts;
    for (const ColumnBuffer& column : columns_)
        cuts.push_back(column.committedCuts);
    return cuts;
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
