// The field descriptors of a DBF header, read once when a table opens, with what follows from
// them: where each value lies and which bits of Visual FoxPro's null flags belong to it.
#pragma once

#include "dbf/DbfLayout.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// What the reader needs of one descriptor.
struct DbfField {
    char type;
    std::uint8_t length;
    std::uint8_t decimals;
    std::uint16_t displacement; // of the value in a record, from the deletion flag
    std::uint8_t flags;         // Visual FoxPro's: system field, nullable
    int nullBit;                // in the null flags: set when the value is NULL; -1: none
    int shortBit;               // set when a 'V' value is shorter than its field; -1: none
    bool isText;                // 'C', 'D', 'F', 'L' or 'N': the stored bytes are the text
    bool isPlainText;           // such a field that cannot be NULL
    std::uint8_t words;         // eight-byte words that cover the stored text
    std::uint64_t lastWordMask; // sets the bytes of the last word that lie past the field
};

struct DbfFieldList {
    std::vector<DbfField> fields;
    // Where the null flags lie in a record; a length of 0 when the table has none.
    std::uint16_t nullFlagsDisplacement = 0;
    std::uint8_t nullFlagsLength = 0;
    // Bytes from a record's start that the words of its texts span.
    std::uint64_t wordReadExtent = 0;
    // 1 for the deletion flag and the length of every field: the record length the
    // descriptors imply.
    std::uint64_t impliedRecordLength = 1;
};

// Reads the descriptors in front of the terminator of a header of `headerLength` bytes, laid
// out as `layout` says; `header` must hold those bytes. With stored displacements the reader
// uses bytes 12-13 of each; otherwise each value follows the one before it.
DbfFieldList readDbfFields(const unsigned char* header, std::uint32_t headerLength,
                           const dbf_layout::DescriptorLayout& layout);

// True for Visual FoxPro's hidden field of null and length bits.
bool isSystemDescriptor(char type, std::uint8_t flags);
