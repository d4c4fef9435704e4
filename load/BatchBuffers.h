// The bind buffers of one batch: a slot array and a length array per column.
#pragma once

#include "dbf/TextConverter.h"
#include "load/ColumnList.h"
#include "platform/CodePage.h"

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <vector>

// The table that converts a file's text to the ANSI code page, chosen once per file: from
// the code page its header names, or from the machine's OEM code page when it names none or
// one this system cannot convert from.
platform::ByteTable conversionTableFor(const DbfTable& table);

// Row r of column c occupies the `width` bytes from r x width in that column's slot array:
// the value's bytes, converted to the ANSI code page and cut at the width, then zero bytes. Its
// actual length (the bytes before the first zero) is kept beside it, so that the padding never
// reaches the database and an empty value (a NULL among them) arrives as NULL.
class BatchBuffers {
  public:
    // Allocates zero-filled buffers for rowsPerBatch rows of every column; values will be
    // converted with `toAnsi`. Throws std::bad_alloc when memory runs out.
    BatchBuffers(const std::vector<Column>& columns, int rowsPerBatch,
                 const platform::ByteTable& toAnsi);

    std::size_t columnCount() const { return columns_.size(); }
    char* slots(std::size_t column) { return columns_[column].slots.get(); }
    unsigned short* lengths(std::size_t column) { return columns_[column].lengths.get(); }
    int width(std::size_t column) const { return columns_[column].width; }

    // Converts the current record's value of every column into slot `row`.
    void fillRow(int row);

    // Memory held, for the record.
    std::size_t slotBytes() const;
    std::size_t lengthBytes() const;

  private:
    struct FreeMemory {
        void operator()(void* memory) const { std::free(memory); }
    };
    template <class T> using ZeroedArray = std::unique_ptr<T[], FreeMemory>;
    template <class T> static ZeroedArray<T> allocateZeroed(std::size_t count);

    struct ColumnBuffer {
        ZeroedArray<char> slots;
        ZeroedArray<unsigned short> lengths;
        int width;
        DbfFieldValue value;
    };

    std::vector<ColumnBuffer> columns_;
    int rowsPerBatch_;
    TextConverter toAnsi_;
};
