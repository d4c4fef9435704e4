// The whole memos of one CLOB or BLOB column for one batch: gathered record by record, then
// handed to the array insert whole, or laid out as an array of equal elements.
#pragma once

#include "dbf/DbfTable.h"
#include "dbf/TextConverter.h"
#include "load/TypedValues.h"
#include "oracle/DBStmt.h"

#include <cstddef>
#include <memory>
#include <vector>

// Used on the load's worker thread only.
class LongValues {
  public:
    // A CLOB column's memos are decoded into UTF-8 by `converter`, which must outlive the
    // values; a BLOB column's (null converter) keep their bytes.
    explicit LongValues(const TextConverter* converter);

    // The most bytes the current record's memo takes once added.
    std::size_t bytesNeeded(const DbfFieldValue& field) const;
    // Adds the current record's memo as the next row: its text (zero bytes included) without
    // padding, NULL when there is none or it is empty, and Nulled when its pointer, block or
    // length is damaged.
    // Throws std::bad_alloc when memory runs out.
    TypedValue add(const DbfFieldValue& field);

    std::size_t rows() const { return lengths_.size(); }
    // True when the memo added last held bytes the code page does not define.
    bool lastHeldUndefinedBytes() const { return lastHeldUndefinedBytes_; }
    // The longest value added since the last clear().
    std::size_t longest() const { return longest_; }

    // Lays the rows out as elements of elementBytes() bytes each, for a bind of equal
    // elements. The arrays stay valid until the next layOut() or clear().
    void layOut();
    char* elements() { return layout_.get(); }
    std::size_t elementBytes() const { return longest_ > 0 ? longest_ : 1; }
    // The lengths in two bytes, for a bind of equal elements: valid while longest() is below
    // 65,536.
    unsigned short* shortLengths() { return shortLengths_.data(); }
    short* indicators() { return indicators_.data(); }
    // The rows as gathered, for a bind that hands each over whole; valid until the next add()
    // or clear().
    DBStmt::WholeValues wholeValues();

    // Forgets the rows, keeping the memory for the next batch.
    void clear();

  private:
    // Decodes a memo's `length` bytes into at most `capacity` bytes of UTF-8 at `to`, its zero
    // bytes kept; answers the bytes written, and notes whether bytes the code page does not
    // define were among them.
    std::size_t convertKeepingZeros(const unsigned char* bytes, std::size_t length, char* to,
                                    std::size_t capacity);
    void addRow(std::size_t length, bool isNull);

    const TextConverter* converter_;
    std::vector<char> gathered_;
    std::vector<std::size_t> offsets_;
    std::vector<unsigned> lengths_;
    std::vector<unsigned short> shortLengths_;
    std::vector<short> indicators_;
    std::size_t longest_ = 0;
    bool lastHeldUndefinedBytes_ = false;
    std::unique_ptr<char[]> layout_;
    std::size_t layoutBytes_ = 0;
};
