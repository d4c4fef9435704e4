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
        const platform::ConvertedText text =
            converter_->convert(bytes, length, gathered_.data() + start, capacity);
        length = text.bytes;
        lastHeldUndefinedBytes_ = text.undefinedBytes;
        gathered_.resize(start + length);
    }
    addRow(length, length == 0);
    return length == 0 ? TypedValue::Null : TypedValue::Value;
}

void LongValues::addRow(std::size_t length, bool isNull) {
    offsets_.push_back(gathered_.size() - length);
    if (length > longest_) {
        longest_ = length;
        longestRow_ = lengths_.size();
    }
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

void LongValues::clear() {
    gathered_.clear();
    offsets_.clear();
    lengths_.clear();
    shortLengths_.clear();
    indicators_.clear();
    longest_ = 0;
    longestRow_ = 0;
}
