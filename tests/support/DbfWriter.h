// Builds DBF and FPT images in memory for tests and writes them to files.
//
// A DbfWriter lays out a table the way dBase and FoxPro do: a 32-byte header, one 32-byte
// descriptor per field, the terminator byte 0x0D, optionally the 263-byte area Visual
// FoxPro keeps after it, then the records (deletion flag, then each field's bytes) and the
// end-of-file byte 0x1A. Displacements follow from the field lengths unless overridden.
//
//     DbfWriter table;
//     table.addField("NAME", 'C', 10).addField("PRICE", 'N', 8, 2);
//     table.addRecord({"Smith", "   12.50"});
//     table.addRecord({"Jones", "    3.00"}, true); // marked as deleted
//     table.writeTo(folder + "/orders.dbf");
//
// An FptWriter lays out a memo file: a 512-byte header holding the next free block and the
// block size, then one block run per memo (type 1, big-endian length, text), each run padded
// to whole blocks. addMemo() answers the block number to store in the table's 'M' field:
//
//     FptWriter memos(64);
//     std::uint32_t block = memos.addMemo("first memo");
//     table.addRecord({memoFieldText(block, 10)});
//     memos.writeTo(folder + "/orders.FPT");
//
// To damage a file, take image(), change bytes and write it with writeFileBytes().
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using ByteImage = std::vector<unsigned char>;

class DbfWriter {
  public:
    // Adds a field. The name is cut to 10 characters; length, decimals and Visual FoxPro's
    // flags (descriptor byte 18: 0x01 system field, 0x02 nullable) to one byte each.
    DbfWriter& addField(const std::string& name, char type, int length, int decimals = 0,
                        int flags = 0);
    // Appends a record. values[i] is the raw content of field i, padded with blanks or cut to
    // the field's length; fields without a value are blanks.
    DbfWriter& addRecord(const std::vector<std::string>& values, bool deleted = false);
    // Stores these 4-byte displacements instead of the computed ones, one per field in order
    // (for example all zero, so that the header check fails). Fields beyond the list keep
    // their computed displacement.
    DbfWriter& setDisplacements(const std::vector<std::uint32_t>& displacements);
    // Adds Visual FoxPro's 263-byte area after the terminator, holding `containerPath`
    // (the table's database container; empty for a free table) padded with zero bytes.
    DbfWriter& setContainerArea(const std::string& containerPath);
    // Stores this record count in the header instead of the number of records added.
    DbfWriter& setRecordCount(std::uint32_t count);
    // Stores this language driver id (the code page mark) in header byte 29; 0 by default.
    DbfWriter& setLanguageDriver(std::uint8_t id);
    // Stores this version byte (header byte 0) instead of 0x03 (0x30 with the container area):
    // 0x83 for dBase III with memo, 0x8B for dBase IV with memo, 0xF5 for FoxPro 2, ...
    DbfWriter& setVersionByte(std::uint8_t version);

    // Offset of the first record: 32 + 32 per field + 1 (+ 263 with the container area).
    int headerLength() const;
    // 1 for the deletion flag plus every field's length.
    int recordLength() const;
    // The displacement computed for field `index`.
    std::uint32_t computedDisplacement(int index) const;
    // Offset in the file of byte `offset` of descriptor `index`.
    static int descriptorOffset(int index, int offset = 0) { return 32 + 32 * index + offset; }

    ByteImage image() const;
    // False when the file cannot be written.
    bool writeTo(const std::string& path) const;

  private:
    struct Field {
        std::string name;
        char type;
        int length;
        int decimals;
        int flags;
    };
    struct Record {
        std::vector<std::string> values;
        bool deleted;
    };
    static constexpr int kContainerAreaBytes = 263;

    void writeHeader(ByteImage& image) const;
    void writeRecord(ByteImage& image, const Record& record) const;

    std::vector<Field> fields;
    std::vector<Record> records;
    std::vector<std::uint32_t> displacementOverrides;
    bool hasContainerArea = false;
    std::string containerPath;
    bool hasRecordCount = false;
    std::uint32_t recordCountOverride = 0;
    std::uint8_t languageDriver = 0;
    int versionByte = -1;
};

class FptWriter {
  public:
    explicit FptWriter(std::uint16_t blockSize = 64);
    // Appends a memo with this text and returns its block number. `storedLength` replaces
    // the length written in the block (to describe more text than the file holds).
    std::uint32_t addMemo(const std::string& text);
    std::uint32_t addMemo(const std::string& text, std::uint32_t storedLength);

    ByteImage image() const { return bytes; }
    bool writeTo(const std::string& path) const;

  private:
    static constexpr std::size_t kHeaderBytes = 512;
    void storeNextFreeBlock();

    std::uint16_t blockSize;
    ByteImage bytes;
};

// Raw field contents.
std::string int32Bytes(std::int32_t value);                // 'I': 4 bytes little-endian
std::string uint32Bytes(std::uint32_t value);              // 4 bytes little-endian
std::string int64Bytes(std::int64_t value);                // 'Y': 8 bytes little-endian
std::string doubleBytes(double value);                     // 'B': 8 bytes little-endian
std::string memoFieldText(std::uint32_t block, int width); // block number right-aligned

// Whole files. writeFileBytes returns false when the file cannot be written; readFileBytes
// returns an empty image when it cannot be read.
bool writeFileBytes(const std::string& path, const ByteImage& bytes);
ByteImage readFileBytes(const std::string& path);
