// Builds dBase 7 tables in memory for tests, from the dBase file-format description: a 68-byte
// header (version byte 0x04, or 0x8C with a memo file; the language driver's id at byte 29 and
// its name at 32-63), one 48-byte descriptor per field (name in bytes 0-31, type 32, length
// 33, decimals 34), the terminator 0x0D, then the records (deletion flag, then every field's
// bytes) and the end-of-file byte 0x1A. No Debian tool writes dBase 7, so the tests make
// these bytes themselves.
//
//     DBase7Writer table;
//     table.addField("CUSTOMER_NUMBER", 'I', 4).addField("BALANCE", 'O', 8);
//     table.addRecord({dBase7LongBytes(42), dBase7DoubleBytes(-2.5)});
//     table.writeTo(folder + "/ledger.dbf");
#pragma once

#include "DbfWriter.h"

#include <cstdint>
#include <string>
#include <vector>

class DBase7Writer {
  public:
    // The name is cut to 32 characters; length and decimals to one byte each.
    DBase7Writer& addField(const std::string& name, char type, int length, int decimals = 0);
    // values[i] is the raw content of field i, padded with blanks or cut to its length.
    DBase7Writer& addRecord(const std::vector<std::string>& values, bool deleted = false);
    // Marks the table as having a memo file (version byte 0x8C instead of 0x04).
    DBase7Writer& setMemo(bool hasMemo);
    DBase7Writer& setLanguageDriver(std::uint8_t id, const std::string& name);
    // Stores this record length instead of the one the fields imply.
    DBase7Writer& setRecordLength(std::uint16_t length);

    int headerLength() const { return 68 + 48 * static_cast<int>(fields.size()) + 1; }
    int impliedRecordLength() const;

    ByteImage image() const;
    bool writeTo(const std::string& path) const;

  private:
    struct Field {
        std::string name;
        char type;
        int length;
        int decimals;
    };

    std::vector<Field> fields;
    std::vector<std::vector<std::string>> records;
    std::vector<bool> deletedFlags;
    bool hasMemo = false;
    std::uint8_t languageDriver = 0;
    std::string languageDriverName;
    int recordLengthOverride = -1;
};

// Field contents in dBase 7's own encodings, written from the format's description: big-endian,
// stored so that the bytes sort as the values do.
std::string dBase7LongBytes(std::int32_t value); // 'I' and '+': sign bit inverted
std::string dBase7DoubleBytes(double value);     // 'O': see the .cpp
std::string dBase7TimestampBytes(std::uint32_t julianDay, std::uint32_t milliseconds); // '@'
