// The bind buffers of one batch: a slot array and a length array per column, and the values
// that had to be cut to fit them.
#pragma once

#include "dbf/TextConverter.h"
#include "load/ColumnList.h"

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <vector>

// The converter of a table's text into UTF-8: from `codePage` when it is not 0, else from the
// code page the table's header names, else (no name, or one this system cannot decode) from
// the machine's OEM code page. Null when this system cannot decode even that.
std::unique_ptr<TextConverter> converterFor(const DbfTable& table, unsigned codePage);

// Row r of column c occupies the slot of `slotBytes(c)` bytes from r x slotBytes(c) in that
// column's slot array: the value in UTF-8, cut at the column's width in characters and at the
// slot's end. Its actual length is kept beside it, so that what lies past it never reaches the
// database and an empty value (a NULL among them) arrives as NULL.
class BatchBuffers {
  public:
    // The most bytes a slot may have: Oracle takes a bind declared larger as LONG data, which
    // it refuses for a VARCHAR2 column in an array insert.
    static constexpr std::size_t kMaxSlotBytes = 4000;

    // Allocates zero-filled buffers for rowsPerBatch rows of every column, each slot as large
    // as the column's width in the widest UTF-8 that `converter` makes of a byte, but never
    // over kMaxSlotBytes. Values will be converted with `converter`, which must outlive the
    // buffers. Throws std::bad_alloc when memory runs out.
    BatchBuffers(const std::vector<Column>& columns, int rowsPerBatch,
                 const TextConverter& converter);

    std::size_t columnCount() const { return columns_.size(); }
    char* slots(std::size_t column) { return columns_[column].slots.get(); }
    unsigned short* lengths(std::size_t column) { return columns_[column].lengths.get(); }
    int slotBytes(std::size_t column) const { return columns_[column].slotBytes; }

    // Converts the current record's value of every column into slot `row`.
    void fillRow(int row);

    // Says that the rows filled so far are committed: their cut values count from now on.
    void batchCommitted();
    // For each column, the values of committed rows that lost characters to fit.
    std::vector<long> committedCuts() const;

    // Memory held, for the record.
    std::size_t allSlotBytes() const;
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
        int width;     // in characters, the column's
        int slotBytes; // in bytes of UTF-8
        DbfFieldValue value;
        long cutsInBatch = 0;
        long committedCuts = 0;
    };

    std::vector<ColumnBuffer> columns_;
    int rowsPerBatch_;
    const TextConverter& converter_;
};
