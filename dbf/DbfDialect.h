// Which program wrote a table, as its version byte (header byte 0) tells, and what the reader
// takes from that: the memo file to look for, the header layout and the meaning of some types.
#pragma once

#include <cstdint>

// The two kinds of memo file: FoxPro's FPT and dBase's DBT.
enum class MemoKind { Fpt, Dbt };

struct DbfDialect {
    // For people: "dBase IV with memo", "Visual FoxPro", ...
    const char* name;
    // The memo file the version byte names; the other kind is looked for when it is missing.
    MemoKind memoKind;
    // A DBT beside the table holds dBase III memos: blocks of 512 bytes, text up to 0x1A.
    bool dBase3Memos;
    // A 68-byte header and 48-byte field descriptors, and dBase 7's binary number types.
    bool dBase7;
    // 'B' names a block of binary data in the memo file rather than holding a double.
    bool binaryMemoB;
};

// The dialect of a version byte. Bytes no writer is known to use read as FoxPro tables do,
// with an FPT memo file looked for first.
DbfDialect dialectOf(std::uint8_t versionByte);
