// Finding a memo file in any case of its extension, and the three ways its blocks hold memos.
// Every read is checked against the mapped size: a damaged pointer or length gives no memo.
#include "dbf/MemoFile.h"

#include "dbf/DbfLayout.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cstring>

using namespace dbf_layout;

namespace {

constexpr std::size_t kFptHeaderBytes = 8;
constexpr std::size_t kDBase4HeaderBytes = kDbtBlockSizeOffset + 2;

MemoKind otherKind(MemoKind kind) {
    return kind == MemoKind::Fpt ? MemoKind::Dbt : MemoKind::Fpt;
}

bool isLowerCase(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

// A name written in lower case is most likely kept beside a memo file written the same way.
std::string extensionInCaseOf(const std::string& sourceExtension, MemoKind kind) {
    std::string extension = memoExtension(kind);
    if (isLowerCase(sourceExtension))
        for (char& c : extension)
            c = static_cast<char>(c - 'A' + 'a');
    return extension;
}

} // namespace

const char* memoExtension(MemoKind kind) {
    return kind == MemoKind::Fpt ? "FPT" : "DBT";
}

void MemoFile::open(const std::string& memoSourceName, const DbfDialect& dialect) {
    close();
    kind_ = dialect.memoKind;
    if (memoSourceName.size() < 3) {
        name_ = memoSourceName;
        return;
    }
    const std::size_t stemLength = memoSourceName.size() - 3;
    const std::string stem = memoSourceName.substr(0, stemLength);
    const std::string sourceExtension = memoSourceName.substr(stemLength);
    if (!mapFirstFound(stem, dialect))
        name_ = stem + extensionInCaseOf(sourceExtension, dialect.memoKind);
}

bool MemoFile::mapFirstFound(const std::string& stem, const DbfDialect& dialect) {
    for (MemoKind kind : {dialect.memoKind, otherKind(dialect.memoKind)}) {
        std::optional<std::string> found =
            platform::findWithExtensionInAnyCase(stem, memoExtension(kind));
        if (!found)
            continue;
        name_ = *found;
        kind_ = kind;
        layout_ = kind == MemoKind::Fpt ? Layout::FoxPro
                  : dialect.dBase3Memos ? Layout::DBase3
                                        : Layout::DBase4;
        if (file_.open(name_))
            readBlockSize();
        else
            state_ = State::CannotOpen;
        return true;
    }
    return false;
}

void MemoFile::readBlockSize() {
    // A dBase III file's header is its block 0: a shorter file holds no memo at all.
    const std::size_t headerBytes = layout_ == Layout::FoxPro   ? kFptHeaderBytes
                                    : layout_ == Layout::DBase4 ? kDBase4HeaderBytes
                                                                : kDBase3BlockBytes;
    if (file_.size() < headerBytes) {
        file_.close();
        state_ = State::TooShort;
        return;
    }
    state_ = State::Open;
    switch (layout_) {
    case Layout::FoxPro:
        blockSize_ = readBig16(file_.data() + kBlockSizeOffset);
        break;
    case Layout::DBase3:
        blockSize_ = kDBase3BlockBytes;
        break;
    case Layout::DBase4:
        // dBase IV kept 0 there for the block size of dBase III.
        blockSize_ = readLittle16(file_.data() + kDbtBlockSizeOffset);
        if (blockSize_ == 0)
            blockSize_ = kDBase3BlockBytes;
        break;
    }
}

void MemoFile::close() {
    file_.close();
    state_ = State::NotFound;
    name_.clear();
    kind_ = MemoKind::Fpt;
    layout_ = Layout::FoxPro;
    blockSize_ = 0;
}

std::string MemoFile::problemText() const {
    switch (state_) {
    case State::NotFound:
        return "Cannot find memo file " + name_ +
               ". The table's memos are kept in it: copy it beside the table.";
    case State::CannotOpen:
        return "Cannot open memo file " + name_ +
               ". Check that file is not empty and not used by any applications.";
    case State::TooShort:
        return "Cannot read memo file " + name_ + ": it is too short to hold its header.";
    default:
        return "";
    }
}

bool MemoFile::findDBase(std::uint64_t start, std::size_t limit, const unsigned char*& text,
                         std::size_t& length) const {
    if (layout_ == Layout::DBase4 && file_.size() - start >= kDBase4MemoTextOffset &&
        std::memcmp(file_.data() + start, kDBase4MemoMark, sizeof kDBase4MemoMark) == 0)
        return findDBase4(start, limit, text, length);
    // dBase IV reads a block without its mark as dBase III wrote it.
    return findDBase3(start, limit, text, length);
}

bool MemoFile::findDBase4(std::uint64_t start, std::size_t limit, const unsigned char*& text,
                          std::size_t& length) const {
    // The stored length counts the mark and itself.
    const std::uint32_t stored = readLittle32(file_.data() + start + kDBase4MemoLengthOffset);
    const std::uint64_t held = file_.size() - start - kDBase4MemoTextOffset;
    if (stored < kDBase4MemoTextOffset || stored - kDBase4MemoTextOffset > held)
        return false;
    length = std::min<std::size_t>(stored - kDBase4MemoTextOffset, limit);
    text = file_.data() + start + kDBase4MemoTextOffset;
    return true;
}

bool MemoFile::findDBase3(std::uint64_t start, std::size_t limit, const unsigned char*& text,
                          std::size_t& length) const {
    // The text runs to its end mark or to the end of the file; past the limit nothing counts.
    text = file_.data() + start;
    const std::size_t scanned = static_cast<std::size_t>(
        std::min<std::uint64_t>(file_.size() - start, static_cast<std::uint64_t>(limit)));
    const void* end = std::memchr(text, kDBase3MemoEnd, scanned);
    length = end != nullptr
                 ? static_cast<std::size_t>(static_cast<const unsigned char*>(end) - text)
                 : scanned;
    return true;
}
