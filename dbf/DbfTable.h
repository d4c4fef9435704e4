// Read-only, record-at-a-time access to a DBF table and its memo file.
#pragma once

#include "dbf/CodePageFile.h"
#include "dbf/DbfDialect.h"
#include "dbf/DbfFields.h"
#include "dbf/MemoFile.h"
#include "dbf/TextConverter.h"
#include "platform/MappedFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class DbfTable;

// Blanks that a bind slot holds already, from an earlier value: bytes `from` to `to`. A memo's
// padding writes only the blanks that are not there yet.
struct SlotBlanks {
    std::size_t from = 0;
    std::size_t to = 0;
    // Set by the conversion: blanks of the padding that did not fit the slot.
    std::size_t left = 0;
};

// One field of one table, kept by the load job once per column. Cheap to copy; the table
// must outlive it.
class DbfFieldValue {
  public:
    DbfFieldValue() = default; // null table, index 0
    DbfFieldValue(DbfTable* table, int fieldIndex) : table(table), fieldIndex(fieldIndex) {}

    // The current record's value of the field as text, in the table's single buffer: valid
    // until the next text() of any field of the same table. 'C', 'D', 'F', 'L' and 'N' give
    // the stored bytes up to the first zero byte; 'V' the same, but only as many as its last
    // byte says when its length bit is set; 'I' 12 characters; 'B' the shortest text that
    // reads back as the same double (at most 24 characters, empty for NaN and infinities);
    // 'Y' 22 characters; 'T' 14 ("YYYYMMDDHHMMSS"), or none for an empty or
    // impossible moment; 'M' 1999 characters of memo text and blanks, or 1998 blanks when
    // there is no memo or it cannot be found inside the memo file. A value whose null bit is
    // set, other types ('Q', 'G', 'P', ...), a null table, an index that names no field, or
    // a value lying outside the file give an empty text.
    const char* text() const;
    // The same text, with its length (the characters before its terminator) in `length`,
    // so that the load job need not count them again.
    const char* text(std::size_t& length) const;

    // Writes the current record's value into a bind slot of `capacity` bytes, decoded into
    // UTF-8 by `converter`: what text() gives, cut at `width` bytes (the column's width in
    // characters) and ended at the first byte that converts to zero, then cut at the last whole
    // character that fits the slot. A memo is its text and then blanks, up to the width.
    // Stored texts and memos go straight from the mapped files into the slot; other values
    // pass through the table's text buffer, as text() would leave it. Answers the value's
    // length in bytes, and as cut a value that lost characters of its text: to the slot's
    // size, or a memo to the 1998 characters a column holds (blanks that do not fit are no
    // loss). Bytes past the length may have been written; past the capacity none.
    platform::ConvertedText convertInto(char* slot, std::size_t width, std::size_t capacity,
                                        const TextConverter& converter) const;
    // The same into a slot that holds blanks already where `blanks` says. A memo writes only
    // the blanks of its padding that are not there, and `blanks` then tells where the slot's
    // blanks are and how many did not fit; for other values it tells of none.
    platform::ConvertedText convertInto(char* slot, std::size_t width, std::size_t capacity,
                                        const TextConverter& converter, SlotBlanks& blanks) const;

    // True, with the place of the text in every record, when the field's text is its stored
    // bytes as they are: a 'C', 'D', 'F', 'L' or 'N' field that cannot be NULL, whose `length`
    // bytes lie `displacement` bytes into each record (see DbfTable::recordWords).
    bool storedTextPlace(std::size_t& displacement, std::size_t& length) const;
    // True for a memo field, whose text a conversion pads with blanks.
    bool padsWithBlanks() const;
    const DbfTable* owningTable() const { return table; }

    // The current record's stored bytes of the field, as the file holds them: the whole
    // field, or for 'V' and 'Q' values with their length bit set as many bytes as the last
    // one says. False, with no bytes, when the value is NULL (its null bit set), the field
    // lies outside the file, or there is no such field.
    bool storedBytes(const unsigned char*& bytes, std::size_t& length) const;

    // What a memo field ('M', and the binary 'G', 'P' and dBase's 'B') of the current record
    // points at.
    enum class Memo {
        None,    // no memo: a blank or zero pointer, or a NULL value
        Found,   // the memo's whole stored bytes
        Damaged, // a pointer that is no block number, or a block or length outside the file
    };
    // The current record's memo, whole: its bytes and their count when Found.
    Memo wholeMemo(const unsigned char*& bytes, std::size_t& length) const;
    // True for an 'M' field, whose text comes from the memo file.
    bool isMemo() const;
    // True when the current record's 'M' field holds something other than "no memo" and
    // text() gives blanks for it all the same: a block past the end of the memo file, a
    // length past it, a block size of 0, a pointer that is no block number. False for a
    // memo text() finds, and for fields of other types.
    bool memoIsDamaged() const;

  private:
    DbfTable* table = nullptr;
    int fieldIndex = 0;
};

// What a descriptor says of one field, for people who look inside a table.
struct DbfFieldInfo {
    std::string name;
    char type = 0;
    int length = 0;
    int decimals = 0;
    int nullBit = -1;   // its bit in Visual FoxPro's null flags; -1: it cannot be NULL
    int lengthBit = -1; // the bit that says a 'V' value is shorter than its field; -1: none
    bool system = false;
};

class DbfTable {
  public:
    // Why the last open() failed.
    enum class OpenFailure {
        None,
        CannotOpen,         // missing, held open for writing, a folder, a FIFO or a device,
                            // unreadable, too large to map
        TooShort,           // shorter than the 32 bytes of a header, empty included
        HeaderPastEnd,      // the header claims more bytes than the file holds
        HeaderDoesNotAddUp, // a dBase 7 header too short for its layout, or fields past the record
    };

    DbfTable() = default;
    ~DbfTable() { close(); }
    DbfTable(const DbfTable&) = delete;
    DbfTable& operator=(const DbfTable&) = delete;

    // Maps the DBF file and, when one is found, the memo file named after `memoSourceName` (or
    // after `fileName` when null): its name less the last three characters, then "FPT" or
    // "DBT" in any case, the kind the version byte names first (see MemoFile). Returns false,
    // and leaves the table closed, when the DBF file cannot be opened or mapped (missing, held
    // open for writing, not a regular file, not readable), is shorter than 32 bytes, claims a
    // header longer than the file, or is a dBase 7 table whose header does not add up;
    // openFailure() says which, and openFailureText() names the cause. A FIFO or a device is
    // never opened.
    // A memo file that is missing or cannot be mapped is no failure: every memo then reads as
    // blanks, and memoFile() says what became of it.
    bool open(const char* fileName, const char* memoSourceName = nullptr);
    // Unmaps both files and makes record 0 current. Safe to call on a closed table.
    void close();
    bool isOpen() const { return dbf.isOpen(); }
    OpenFailure openFailure() const { return failure; }
    // A sentence for a user that says why the last open() failed; empty after a success.
    const std::string& openFailureText() const { return failureText; }

    // The header's record count, but no more than the whole records the file holds; 0 when
    // closed.
    int recordCount() const { return records; }
    // The whole records that follow the header in the file, whatever the header counts; 0
    // when closed.
    std::uint64_t wholeRecordsInFile() const { return heldRecords; }
    // The descriptors in front of the terminator whose first byte is not zero; 0 when closed.
    int fieldCount() const { return static_cast<int>(fields.size()); }
    // Copies the first 10 name bytes of descriptor `index` into `out` (byte 10 is not written:
    // pass a zeroed buffer of at least 11 bytes). False, writing nothing, when the table is
    // closed or `index` names no field.
    bool fieldName(int index, char* out) const;
    // The whole name of field `index`, up to its first zero byte: at most 10 characters, or
    // 32 in a dBase 7 table. Empty when `index` names no field.
    std::string fieldName(int index) const;
    // Characters the field's text takes in a column: 24 for 'B' (22 for dBase's binary memo
    // of that letter), 22 for 'Y', 12 for 'I', 14 for 'T', 1998 for 'M', in dBase 7 tables
    // also 12 for '+', 24 for 'O' and 14 for '@'; the descriptor's length otherwise; 0 when
    // `index` names no field.
    int fieldWidth(int index) const;
    // True for a system field (Visual FoxPro's hidden field of null and length bits): it
    // holds no value of its own and is no column. False when `index` names no field.
    bool isSystemField(int index) const;
    // The sum of fieldWidth() over all fields but the system fields.
    int recordWidth() const;
    // The Windows code page that header byte 29 names; 0 when it names none (see
    // codePageOfLanguageDriver) or the table is closed.
    unsigned codePage() const { return fileCodePage; }
    // Makes record `index` current when the table is open and 0 <= index < recordCount();
    // otherwise returns false and keeps the current record.
    bool selectRecord(int index);
    // True when the current record's deletion flag is '*': the record was deleted and not yet
    // packed away.
    bool isDeleted() const {
        return recordOffset < dbf.size() && dbf.data()[recordOffset] == kDeletedFlag;
    }
    // The current record's bytes when every text field of it may be read in whole eight-byte
    // words, the words that cover a field's last bytes included, without leaving the file;
    // null when not (then each value must be read on its own).
    const unsigned char* recordWords() const {
        return wordsInsideFile ? dbf.data() + recordOffset : nullptr;
    }
    DbfFieldValue field(int index) { return DbfFieldValue(this, index); }

    // The memo file found beside the table, or what was looked for.
    const MemoFile& memoFile() const { return memo; }
    // The .cpg file found beside the table (see CodePageFile), read whatever the header says.
    const CodePageFile& codePageFile() const { return codePageNames; }
    // True when a memo field of some record points at a block of the memo file (that record's
    // value is not NULL). Reads every record; the current record stays current.
    bool holdsMemoPointer();

    // What the header says, for people who look inside a table; all 0 (or empty) when closed.
    std::uint8_t versionByte() const { return version; }
    const DbfDialect& dialect() const { return tableDialect; }
    std::uint32_t declaredRecordCount() const { return declaredRecords; }
    std::uint32_t recordBytes() const { return recordLength; }
    std::uint8_t languageDriver() const { return languageDriverId; }
    // The language driver's name a dBase 7 header holds ("DBWINUS0"); empty in other tables.
    std::string languageDriverName() const;
    // A default DbfFieldInfo when `index` names no field.
    DbfFieldInfo fieldInfo(int index) const;

  private:
    friend class DbfFieldValue;
    using Field = DbfField;

    static constexpr std::size_t kValueTextBytes = 2000;
    static constexpr unsigned char kDeletedFlag = '*';
    // How far ahead of the current record its successors' bytes are asked for.
    static constexpr std::uint64_t kReadAheadBytes = 2048;

    bool readHeader();
    bool refuse(OpenFailure why, const std::string& text);
    std::uint64_t wholeRecordsHeld() const;
    int wholeRecordCount() const;
    void takeFields(const DbfFieldList& list);
    bool flagBitSet(int bit) const;
    const char* formatValue(int index);
    platform::ConvertedText convertValue(int index, char* slot, std::size_t width,
                                         std::size_t capacity, const TextConverter& converter,
                                         SlotBlanks& blanks);
    platform::ConvertedText convertOtherValue(int index, char* slot, std::size_t width,
                                              std::size_t capacity, const TextConverter& converter,
                                              SlotBlanks& blanks);
    platform::ConvertedText convertVarchar(const Field& field, char* slot, std::size_t width,
                                           std::size_t capacity,
                                           const TextConverter& converter) const;
    platform::ConvertedText convertMemo(const Field& field, char* slot, std::size_t width,
                                        std::size_t capacity, const TextConverter& converter,
                                        SlotBlanks& blanks) const;
    const char* formatOtherValue(const Field& field);
    const char* formatDBase7Value(const Field& field);
    const unsigned char* valueBytes(const Field& field, std::size_t bytes) const;
    const char* emptyText();
    void placeRecord(int index);
    const char* copyWords(const unsigned char* stored, const Field& field);
    const char* copyText(const unsigned char* stored, std::size_t length);
    const char* terminateText(std::size_t length);
    const char* formatInteger(std::uint32_t bits);
    const char* formatDouble(const unsigned char* stored);
    const char* formatCurrency(const unsigned char* stored);
    const char* formatDateTime(std::uint32_t julianDay, std::uint32_t milliseconds);
    const char* formatVarchar(const Field& field);
    bool findVarchar(const Field& field, const unsigned char*& stored, std::size_t& length) const;
    const char* formatMemo(const Field& field);
    const char* memoBlanks();
    // Writes blanks from wanted.from to wanted.to in a slot that holds blanks from knownFrom
    // to knownTo, but for those it holds already.
    static void writeBlanks(char* slot, const SlotBlanks& wanted, std::size_t knownFrom,
                            std::size_t knownTo);
    // Finds the current record's memo: its text and its whole stored length.
    bool findMemo(const Field& field, const unsigned char*& text, std::size_t& length) const;
    bool readMemoBlock(const Field& field, std::uint64_t& block) const;
    // What a memo field's pointer holds. Strict: a pointer with text after its digits, or a
    // sign, is Damaged; else the digits in front of such text are the block.
    enum class MemoPointer { None, Block, Damaged };
    MemoPointer readMemoPointer(const Field& field, std::uint64_t& block, bool strict) const;
    bool findStoredBytes(int index, const unsigned char*& bytes, std::size_t& length) const;
    DbfFieldValue::Memo findWholeMemo(int index, const unsigned char*& bytes,
                                      std::size_t& length) const;
    bool isMemoDamaged(int index) const;

    platform::MappedFile dbf;
    MemoFile memo;
    CodePageFile codePageNames;
    std::vector<Field> fields;
    OpenFailure failure = OpenFailure::None;
    std::string failureText;
    int records = 0;
    std::uint64_t heldRecords = 0;
    int currentRecord = 0;
    std::uint8_t version = 0;
    DbfDialect tableDialect = dialectOf(0);
    dbf_layout::DescriptorLayout layout = dbf_layout::kClassicDescriptors;
    std::uint32_t declaredRecords = 0;
    std::uint32_t recordLength = 0;
    std::uint64_t firstRecordOffset = 0; // the header length
    std::uint8_t languageDriverId = 0;
    unsigned fileCodePage = 0;
    // Where the null flags lie in a record; a length of 0 when the table has none.
    std::uint16_t nullFlagsDisplacement = 0;
    std::uint8_t nullFlagsLength = 0;
    std::uint64_t recordOffset = 0;   // of the current record, from the start of the file
    std::uint64_t wordReadExtent = 0; // bytes from a record's start its texts' words span
    bool wordsInsideFile = false;     // whether they all lie inside the file for this record
    // Aligned for the word-wide copies of copyWords().
    alignas(8) char valueText[kValueTextBytes] = {};
    std::size_t valueLength = 0; // of the text last formatted into valueText
};

inline platform::ConvertedText DbfFieldValue::convertInto(char* slot, std::size_t width,
                                                          std::size_t capacity,
                                                          const TextConverter& converter) const {
    SlotBlanks none;
    return convertInto(slot, width, capacity, converter, none);
}

inline platform::ConvertedText DbfFieldValue::convertInto(char* slot, std::size_t width,
                                                          std::size_t capacity,
                                                          const TextConverter& converter,
                                                          SlotBlanks& blanks) const {
    return table != nullptr
               ? table->convertValue(fieldIndex, slot, width, capacity, converter, blanks)
               : platform::ConvertedText{};
}

inline platform::ConvertedText DbfTable::convertValue(int index, char* slot, std::size_t width,
                                                      std::size_t capacity,
                                                      const TextConverter& converter,
                                                      SlotBlanks& blanks) {
    // The common case without a call: stored text that lies inside the file.
    if (static_cast<std::size_t>(index) < fields.size() && wordsInsideFile) {
        const Field& field = fields[static_cast<std::size_t>(index)];
        if (field.isPlainText) {
            blanks = {};
            return converter.convert(dbf.data() + recordOffset + field.displacement,
                                     field.length < width ? field.length : width, slot, capacity);
        }
    }
    return convertOtherValue(index, slot, width, capacity, converter, blanks);
}

inline bool DbfTable::selectRecord(int index) {
    if (!isOpen() || index < 0 || index >= records)
        return false;
    placeRecord(index);
    return true;
}

inline void DbfTable::placeRecord(int index) {
    currentRecord = index;
    recordOffset = firstRecordOffset +
                   static_cast<std::uint64_t>(recordLength) * static_cast<std::uint64_t>(index);
    // Within this record every text may be read in whole words without bounds checks.
    wordsInsideFile = text_words::kLittleEndian && recordOffset + wordReadExtent <= dbf.size();
    // Records are most often read one after another: the bytes some records ahead are asked
    // for now, so that they are on their way while this one is converted. A load spends a
    // fifth of its time less this way, as the processor's own look-ahead stops at every page.
    if (recordOffset + kReadAheadBytes < dbf.size())
        __builtin_prefetch(dbf.data() + recordOffset + kReadAheadBytes);
}
