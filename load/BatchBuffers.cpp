// Filling the bind slots: the one pass over every byte of every record.
#include "load/BatchBuffers.h"

#include <cstring>

namespace {

// Writes the converted value into its slot and returns its length. Bytes after the text
// are zero; only those that the slot's previous value used need clearing, since a slot
// holds zeros after its length at all times.
unsigned short convertIntoSlot(const char* text, char* slot, int width,
                               unsigned short previousLength,
                               const platform::ByteTable& oemToAnsi) {
    int length = 0;
    while (length < width) {
        unsigned char ansi = oemToAnsi[static_cast<unsigned char>(text[length])];
        if (ansi == 0)
            break;
        slot[length++] = static_cast<char>(ansi);
    }
    if (length < previousLength)
        std::memset(slot + length, 0, static_cast<std::size_t>(previousLength - length));
    return static_cast<unsigned short>(length);
}

} // namespace

BatchBuffers::BatchBuffers(const std::vector<Column>& columns, int rowsPerBatch)
    : rowsPerBatch_(rowsPerBatch) {
    columns_.reserve(columns.size());
    const auto rows = static_cast<std::size_t>(rowsPerBatch);
    for (const Column& column : columns) {
        const auto width = static_cast<std::size_t>(column.width);
        columns_.push_back({std::make_unique<char[]>(width * rows),
                            std::make_unique<unsigned short[]>(rows), column.width, column.value});
    }
}

void BatchBuffers::fillRow(int row, const platform::ByteTable& oemToAnsi) {
    for (ColumnBuffer& column : columns_) {
        char* slot = column.slots.get() + static_cast<std::size_t>(row) * column.width;
        unsigned short& length = column.lengths[row];
        length = convertIntoSlot(column.value.text(), slot, column.width, length, oemToAnsi);
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
