// Filling the bind slots: the one pass over every byte of every record.
#include "load/BatchBuffers.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

namespace {

bool isAscii(const char* text, std::size_t length) {
    std::size_t at = 0;
    for (; at + 8 <= length; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, text + at, 8);
        if ((word & 0x8080808080808080u) != 0)
            return false;
    }
    for (; at < length; ++at)
        if ((static_cast<unsigned char>(text[at]) & 0x80) != 0)
            return false;
    return true;
}

bool keepsAscii(const platform::ByteTable& toAnsi) {
    for (int byte = 1; byte < 128; ++byte)
        if (toAnsi[byte] != byte)
            return false;
    return true;
}

} // namespace

platform::ByteTable conversionTableFor(const DbfTable& table) {
    if (const unsigned codePage = table.codePage())
        if (std::optional<platform::ByteTable> fromFile = platform::codePageToAnsiTable(codePage))
            return *fromFile;
    return platform::oemToAnsiTable();
}

BatchBuffers::BatchBuffers(const std::vector<Column>& columns, int rowsPerBatch,
                           const platform::ByteTable& toAnsi)
    : rowsPerBatch_(rowsPerBatch), toAnsi_(toAnsi), asciiUnchanged_(keepsAscii(toAnsi)) {
    columns_.reserve(columns.size());
    const auto rows = static_cast<std::size_t>(rowsPerBatch);
    for (const Column& column : columns) {
        const auto width = static_cast<std::size_t>(column.width);
        columns_.push_back({std::make_unique<char[]>(width * rows),
                            std::make_unique<unsigned short[]>(rows), column.width, column.value});
    }
}

void BatchBuffers::fillRow(int row) {
    for (ColumnBuffer& column : columns_) {
        char* slot = column.slots.get() + static_cast<std::size_t>(row) * column.width;
        unsigned short& length = column.lengths[row];
        std::size_t textLength = 0;
        const char* text = column.value.text(textLength);
        length = convertIntoSlot(text, textLength, slot, column.width, length);
    }
}

// Writes the converted value into its slot, cut at the width, and returns its length. The
// bytes after it are zero; only those that the slot's previous value used need clearing,
// since a slot holds zeros after its length at all times.
unsigned short BatchBuffers::convertIntoSlot(const char* text, std::size_t textLength, char* slot,
                                             int width, unsigned short previousLength) const {
    std::size_t length = std::min(textLength, static_cast<std::size_t>(width));
    if (asciiUnchanged_ && isAscii(text, length)) {
        std::memcpy(slot, text, length);
    } else {
        for (std::size_t at = 0; at < length; ++at) {
            const unsigned char ansi = toAnsi_[static_cast<unsigned char>(text[at])];
            // A character the conversion turns into a zero byte ends the value there.
            if (ansi == 0) {
                length = at;
                break;
            }
            slot[at] = static_cast<char>(ansi);
        }
    }
    if (length < previousLength)
        std::memset(slot + length, 0, previousLength - length);
    return static_cast<unsigned short>(length);
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
