// Memos gathered whole for a batch and laid out for its array insert.
#include "load/LongValues.h"

#include <cstring>

LongValues::LongValues(const TextConverter* converter) : converter_(converter) {}

std::size_t LongValues::bytesNeeded(const DbfFieldValue& field) const {
    const unsigned char* bytes = nullptr;
    std::size_t length = 0;
    if (field.wholeMemo(bytes, length) != DbfFieldValue::Memo::Found)
        return 0;
    return converter_ != nullptr ? length * converter_->utf8BytesPerByte() : length;
}

TypedValue LongValues::add(const DbfFieldValue& field) {
    lastHeldUndefinedBytes_ = false;
    const unsigned char* bytes = nullptr;
    std::size_t length = 0;
    switch (field.wholeMemo(bytes, length)) {
    case DbfFieldValue::Memo::None:
        addRow(0, true);
        return TypedValue::Null;
    case DbfFieldValue::Memo::Damaged:
        addRow(0, true);
        return TypedValue::Nulled;
    default:
        break;
    }
    const std::size_t start = gathered_.size();
    if (converter_ == nullptr) {
        gathered_.insert(gathered_.end(), bytes, bytes + length);
    } else {
        // The word loop of the converter writes whole words: room for one more.
        const std::size_t capacity = length * converter_->utf8BytesPerByte() + 32;
        gathered_.resize(start + capacity);
        length = convertKeepingZeros(bytes, length, gathered_.data() + start, capacity);
        gathered_.resize(start + length);
    }
    addRow(length, length == 0);
    return length == 0 ? TypedValue::Null : TypedValue::Value;
}

std::size_t LongValues::convertKeepingZeros(const unsigned char* bytes, std::size_t length,
                                            char* to, std::size_t capacity) {
    // The converter ends a text at a zero byte, as a field's text ends there; a memo's zero
    // bytes are characters of it (U+0000 in UTF-8), so each run between them is converted
    // on its own. A byte the code page leaves undefined still ends the memo.
    std::size_t in = 0;
    std::size_t out = 0;
    for (;;) {
        const void* zero = std::memchr(bytes + in, 0, length - in);
        const std::size_t runEnd =
            zero != nullptr
                ? static_cast<std::size_t>(static_cast<const unsigned char*>(zero) - bytes)
                : length;
        const platform::ConvertedText run =
            converter_->convert(bytes + in, runEnd - in, to + out, capacity - out);
        out += run.bytes;
        lastHeldUndefinedBytes_ = lastHeldUndefinedBytes_ || run.undefinedBytes;
        if (zero == nullptr || run.ended || run.cut)
            return out;
        to[out++] = '\0';
        in = runEnd + 1;
    }
}

void LongValues::addRow(std::size_t length, bool isNull) {
    offsets_.push_back(gathered_.size() - length);
    if (length > longest_)
        longest_ = length;
    lengths_.push_back(static_cast<unsigned>(length));
    shortLengths_.push_back(static_cast<unsigned short>(length));
    indicators_.push_back(isNull ? -1 : 0);
}

void LongValues::layOut() {
    const std::size_t element = elementBytes();
    const std::size_t bytes = element * rows();
    if (bytes > layoutBytes_) {
        layout_.reset(new char[bytes]);
        layoutBytes_ = bytes;
    }
    for (std::size_t row = 0; row < rows(); ++row)
        if (lengths_[row] > 0)
            std::memcpy(layout_.get() + row * element, gathered_.data() + offsets_[row],
                        lengths_[row]);
}

DBStmt::WholeValues LongValues::wholeValues() {
    DBStmt::WholeValues values;
    values.bytes = gathered_.data();
    values.offsets = offsets_.data();
    values.lengths = lengths_.data();
    values.indicators = indicators_.data();
    values.rows = rows();
    return values;
}

void LongValues::clear() {
    gathered_.clear();
    offsets_.clear();
    lengths_.clear();
    shortLengths_.clear();
    indicators_.clear();
    longest_ = 0;
}
