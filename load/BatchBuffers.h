// The bind buffers of one batch: a slot array and a length array per column, and the values
// that had to be cut to fit them or were no value of their column's type.
#pragma once

#include "dbf/TextConverter.h"
#include "load/ColumnList.h"
#include "load/LongValues.h"
#include "oracle/DBStmt.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

// The converter of a table's text into UTF-8: from `codePage` when it is not 0, else from the
// code page the table's header names, else (no name, or one this system cannot decode) from
// the machine's OEM code page. Null when this system cannot decode even that.
std::unique_ptr<TextConverter> converterFor(const DbfTable& table, unsigned codePage);

// Row r of column c occupies the slot of `slotBytes(c)` bytes from r x slotBytes(c) in that
// column's slot array: for a VARCHAR2 column the value in UTF-8, cut at the column's width in
// characters and at the slot's end; for a typed column the value in the form its type binds
// (see TypedValues.h). Its actual length is kept beside it, so that what lies past it never
// reaches the database and an empty value (a NULL among them) arrives as NULL. CLOB and BLOB
// columns gather their memos whole instead (LongValues), laid out when the batch is inserted.
//
// A VARCHAR2 column's slots are as large as its values take, not as large as its widest text
// could be: they start at a byte a character (what ASCII takes) and grow, by a sixteenth at
// least, when a value needs more, up to the widest text. The rows already filled then move to
// their new places and the slots must be bound again (slotsMoved()). Slots start at the widest
// text from the outset when all of them together stay within the batch budget. The slots are
// kept from batch to batch, and so is what a memo's padding left in them.
class BatchBuffers {
  public:
    // The most bytes a slot may have: Oracle takes a bind declared larger as LONG data, which
    // it refuses for a VARCHAR2 column in an array insert.
    static constexpr std::size_t kMaxSlotBytes = 4000;
    // The most bytes the memos of one batch may take, laid out for its insert; a batch ends
    // early rather than pass it, unless its first row alone does.
    static constexpr std::size_t kLongBudgetBytes = 64u << 20;
    // The longest memo of a batch that its column binds as an array of equal elements; a
    // column with a longer one hands each of its values over whole. Oracle's clients take
    // elements of array binds to a LOB up to this size.
    static constexpr std::size_t kMaxElementBytes = 32767;
    // The bytes of slots that a batch may take whatever its values hold.
    static constexpr std::size_t kSlotBudgetBytes = 10000000;

    // Allocates buffers for rowsPerBatch rows of every column, each text slot as large as
    // described above, never over kMaxSlotBytes. Values will be converted with `converter`,
    // which must outlive the buffers. Throws std::bad_alloc when memory runs out.
    BatchBuffers(const std::vector<Column>& columns, int rowsPerBatch,
                 const TextConverter& converter);

    std::size_t columnCount() const { return columns_.size(); }
    char* slots(std::size_t column) { return columns_[column].slots.get(); }
    unsigned short* lengths(std::size_t column) { return columns_[column].lengths.get(); }
    int slotBytes(std::size_t column) const { return columns_[column].slotBytes; }

    // How a column is bound: its buffer, the bytes of one element, and the arrays beside; or
    // the values it hands over whole.
    struct Binding {
        void* buffer = nullptr;
        int elementBytes = 0;
        DBStmt::BindType type = DBStmt::BindType::Text;
        short* indicators = nullptr;       // typed columns only
        unsigned short* lengths = nullptr; // 2-byte lengths, where the type has lengths
        bool isLong = false;               // CLOB and BLOB: bound anew for each batch
        bool handsOverWhole = false;       // a memo over kMaxElementBytes: `wholeValues`
        DBStmt::WholeValues wholeValues;
    };
    Binding binding(std::size_t column);
    // The columns in the order of their binds: every CLOB and BLOB column after the others,
    // as Oracle wants its LOB binds last.
    std::vector<std::size_t> bindOrder() const;
    bool hasLongValues() const { return hasLongValues_; }

    // True when the current record still fits a batch that holds `rows` rows: always for the
    // first row, and while the batch's memos stay within kLongBudgetBytes.
    bool roomForRecord(int rows) const {
        return !hasLongValues_ || rows == 0 || roomForLongValues(rows);
    }
    // Converts the current record's value of every column into slot `row`, the rows of the
    // batch one after another from 0. Throws std::bad_alloc when slots that must grow cannot.
    void fillRow(int row);
    // True once after slots grew: their columns must be bound again before the next insert.
    bool slotsMoved() {
        const bool moved = slotsMoved_;
        slotsMoved_ = false;
        return moved;
    }
    // Lays out the memos of the batch for its insert, for the columns that bind them as
    // arrays of equal elements (see LongValues::layOut).
    void layOutLongValues();

    // Says that the rows filled so far are committed: their cut and nulled values count from
    // now on, and the next row is the first of a new batch.
    void batchCommitted();
    // For each column, the values of committed rows that lost characters to fit.
    std::vector<long> committedCuts() const;
    // For each column, the values of committed rows that were no value of the column's type
    // and went in as NULL.
    std::vector<long> committedNulls() const;
    // For each column, the memos of committed rows that could not be read and went in as
    // the blanks of no memo (VARCHAR2 columns of memo fields only).
    std::vector<long> committedDamagedMemos() const;
    // For each column, the values of committed rows that held bytes the code page does not
    // define, which went in as U+FFFD.
    std::vector<long> committedUndefinedBytes() const;

    // Memory held, for the record.
    std::size_t allSlotBytes() const;
    std::size_t lengthBytes() const;

  private:
    struct FreeMemory {
        void operator()(void* memory) const { std::free(memory); }
    };
    template <class T> using ZeroedArray = std::unique_ptr<T[], FreeMemory>;
    template <class T> static ZeroedArray<T> allocateZeroed(std::size_t count);
    using SlotArray = std::unique_ptr<char[], FreeMemory>;
    static SlotArray allocateSlots(std::size_t bytes);

    struct ColumnBuffer {
        SlotArray slots;
        ZeroedArray<unsigned short> lengths;
        int width;     // in characters, the column's
        int slotBytes; // in bytes of UTF-8, or of the typed form
        DbfFieldValue value;
        ColumnType type;
        const ColumnKindTraits* kind;
        ZeroedArray<short> indicators;          // typed columns but VARCHAR2 ones
        std::unique_ptr<LongValues> longValues; // CLOB and BLOB of memos
        std::size_t widestSlotBytes = 0;        // VARCHAR2: what its widest text may take
        // A memo's: where the blanks of each row's slot begin (they end at its length).
        ZeroedArray<unsigned short> blanksFrom = nullptr;
        // A text that is its stored bytes: where it lies in each record, and its length.
        bool storedText = false;
        std::size_t storedDisplacement = 0;
        std::size_t storedLength = 0;
        long cutsInBatch = 0;
        long committedCuts = 0;
        long nullsInBatch = 0;
        long committedNulls = 0;
        long damagedMemosInBatch = 0;
        long committedDamagedMemos = 0;
        long undefinedInBatch = 0;
        long committedUndefined = 0;
    };
    void planTextSlots(std::size_t rows);
    void fillText(ColumnBuffer& column, int row);
    platform::ConvertedText convertText(ColumnBuffer& column, int row);
    platform::ConvertedText convertIntoWiderSlot(ColumnBuffer& column, int row);
    void widenSlots(ColumnBuffer& column, std::size_t slotBytes, int filledRows);
    void fillTypedValue(ColumnBuffer& column, int row);
    void countDamagedMemos();
    bool roomForLongValues(int rows) const;

    std::vector<ColumnBuffer> columns_;
    // The VARCHAR2 columns of memo fields, whose memos may be damaged.
    std::vector<std::size_t> textMemoColumns_;
    int rowsPerBatch_;
    const TextConverter& converter_;
    // The table whose records are read, when some column's text is its stored bytes.
    const DbfTable* storedTexts_ = nullptr;
    bool hasLongValues_ = false;
    bool hasTypedColumns_ = false;
    bool slotsMoved_ = false;
    // A value converted whole before it goes into slots that must grow for it.
    std::vector<char> wideValue_;
};
