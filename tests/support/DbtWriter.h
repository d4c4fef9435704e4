// Builds dBase memo files (DBT) in memory for tests, as dBase III and dBase IV lay them out.
//
// dBase III: a 512-byte header holding the next free block, then each memo from the start of
// its block, ended by two 0x1A bytes, padded to whole blocks of 512. dBase IV: the block size
// in header bytes 20-21 (little-endian), then memo blocks that start with FF FF 08 00 and a
// 4-byte little-endian length counting those 8 bytes. addMemo() answers the block number to
// store in the table's 'M' field:
//
//     DbtWriter memos = DbtWriter::dBase4(64);
//     table.addRecord({memoFieldText(memos.addMemo("first memo"), 10)});
//     memos.writeTo(folder + "/orders.dbt");
#pragma once

#include "DbfWriter.h"

#include <cstdint>
#include <string>

class DbtWriter {
  public:
    static DbtWriter dBase3();
    // `blockSize` is stored as given: 0 stands for 512.
    static DbtWriter dBase4(std::uint16_t blockSize);

    // Appends a memo in the file's own layout and returns its block number.
    std::uint32_t addMemo(const std::string& text);
    // A dBase IV memo block whose stored length is `storedLength` instead of 8 + the text's.
    std::uint32_t addMarkedMemo(const std::string& text, std::uint32_t storedLength);
    // Text from the block's start without mark or end byte, as dBase III wrote it; the last
    // one may run to the end of the file.
    std::uint32_t addPlainText(const std::string& text);

    ByteImage image() const { return bytes; }
    bool writeTo(const std::string& path) const;

  private:
    explicit DbtWriter(std::uint32_t blockBytes);
    std::uint32_t startBlock();
    void padToBlock();
    void putNextFreeBlock();

    std::uint32_t blockBytes;
    bool marked = false;
    ByteImage bytes;
};
