// Filling the bind slots: the one pass over every byte of every record.
#include "load/BatchBuffers.h"

#include <cstring>
#include <new>
#include <optional>

platform::ByteTable conversionTableFor(const DbfTable& table) {
    if (const unsigned codePage = table.codePage())
        if (std::optional<platform::ByteTable> fromFile = platform::codePageToAnsiTable(codePage))
            return *fromFile;
    return platform::oemToAnsiTable();
}

BatchBuffers::BatchBuffers(const std::vector<Column>& columns, int rowsPerBatch,
                           const platform::ByteTable& toAnsi)
    : rowsPerBatch_(rowsPerBatch), toAnsi_(toAnsi) {
    columns_.reserve(columns.size());
    const auto rows = static_cast<std::size_t>(rowsPerBatch);
    for (const Column& column : columns) {
        const auto width = static_cast<std::size_t>(column.width);
        columns_.push_back({allocateZeroed<char>(width * rows),
                            allocateZeroed<unsigned short>(rows), column.width, column.value});
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
    // The value goes straight from the file into its slot, and zero bytes fill the rest: most
    // values fill their slots, so that costs less than reading back the length of the slot's
    // previous value to clear only what it used.
    for (ColumnBuffer& column : columns_) {
        const auto width = static_cast<std::size_t>(column.width);
        char* slot = column.slots.get() + static_cast<std::size_t>(row) * width;
        const std::size_t written = column.value.convertInto(slot, width, toAnsi_);
        if (written < width)
            std::memset(slot + written, 0, width - written);
        column.lengths[row] = static_cast<unsigned short>(written);
    }
}

std::size_t BatchBuffers::slotBytes() const {
    std::size_t bytes = 0;
    for (const ColumnBuffer& column : columns_)
        bytes += static_cast<std::size_t>(column.width) * static_cast<std::size_t>(rowsPerBatch_);
    return bytes;
}

std::size_t BatchBuffers::lengthBytes() const {
    return columns_.size() * static_cast<std::size_t>(rowsPerBatch_) * sizeof(unsigned short);
}
