// A table's memo file, FoxPro's FPT or dBase's DBT: found beside the table, mapped whole, and
// asked for the text of the memo in a block.
#pragma once

#include "dbf/DbfDialect.h"
#include "dbf/DbfLayout.h"
#include "platform/MappedFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

class MemoFile {
  public:
    enum class State { NotFound, CannotOpen, TooShort, Open };
    // How blocks hold their memos: FoxPro's typed blocks with a big-endian length; dBase III's
    // text up to 0x1A; dBase IV's marked blocks with their length, and III's text in others.
    enum class Layout { FoxPro, DBase3, DBase4 };

    MemoFile() = default;
    MemoFile(const MemoFile&) = delete;
    MemoFile& operator=(const MemoFile&) = delete;

    // Looks for the memo file beside `memoSourceName`: the name less its last three
    // characters, then the extension of the kind the dialect names, in any case, or else the
    // other kind's. Maps the first one found. None is found for a name shorter than three
    // characters. Afterwards state() says what came of it; nothing here is a failure.
    void open(const std::string& memoSourceName, const DbfDialect& dialect);
    // Unmaps the file and forgets it.
    void close();

    bool isOpen() const { return state_ == State::Open; }
    State state() const { return state_; }
    // The file found; when none was, the name looked for first, its extension in the case of
    // the source's own (lower case for "orders.dbf", upper case otherwise). Empty after close.
    const std::string& name() const { return name_; }
    MemoKind kind() const { return kind_; }
    Layout layout() const { return layout_; }
    // The size of a block, by which a block number becomes an offset; 0 places every memo
    // nowhere.
    std::uint32_t blockSize() const { return blockSize_; }
    // A sentence for a user when the file is not open: it names the file and what is wrong.
    // Empty when it is open.
    std::string problemText() const;

    // Finds the memo that block `block` holds: its text and its length, at most `limit`.
    // False when there is none there: block 0 (the file's header), a block outside the file,
    // a stored length that reaches past the end of the file, or a file that is not open.
    bool find(std::uint64_t block, std::size_t limit, const unsigned char*& text,
              std::size_t& length) const;

  private:
    bool mapFirstFound(const std::string& stem, const DbfDialect& dialect);
    void readBlockSize();
    bool findDBase(std::uint64_t start, std::size_t limit, const unsigned char*& text,
                   std::size_t& length) const;
    bool findDBase4(std::uint64_t start, std::size_t limit, const unsigned char*& text,
                    std::size_t& length) const;
    bool findDBase3(std::uint64_t start, std::size_t limit, const unsigned char*& text,
                    std::size_t& length) const;

    platform::MappedFile file_;
    State state_ = State::NotFound;
    std::string name_;
    MemoKind kind_ = MemoKind::Fpt;
    Layout layout_ = Layout::FoxPro;
    std::uint32_t blockSize_ = 0;
};

// "FPT" or "DBT".
const char* memoExtension(MemoKind kind);

// Inline: it runs once for every memo of every record.
inline bool MemoFile::find(std::uint64_t block, std::size_t limit, const unsigned char*& text,
                           std::size_t& length) const {
    if (state_ != State::Open)
        return false;
    const std::uint64_t start = block * blockSize_;
    // Block 0 holds the file's header, never a memo.
    if (start == 0 || start >= file_.size())
        return false;
    if (layout_ != Layout::FoxPro)
        return findDBase(start, limit, text, length);
    const std::uint64_t held = file_.size() - start;
    if (held < dbf_layout::kMemoTextOffset)
        return false;
    const std::uint32_t stored =
        dbf_layout::readBig32(file_.data() + start + dbf_layout::kMemoLengthOffset);
    if (stored > held - dbf_layout::kMemoTextOffset)
        return false;
    length = stored < limit ? stored : limit;
    text = file_.data() + start + dbf_layout::kMemoTextOffset;
    return true;
}
