// Byte offsets of the DBF, FPT and DBT layouts and the integer readers shared by the reader
// and the header check.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dbf_layout {

// DBF file header.
constexpr std::size_t kHeaderBytes = 32;
constexpr std::size_t kRecordCountOffset = 4;
constexpr std::size_t kHeaderLengthOffset = 8;
constexpr std::size_t kRecordLengthOffset = 10;
constexpr std::size_t kLanguageDriverOffset = 29;

// Field descriptors: slot i starts at kHeaderBytes + kDescriptorBytes * i.
constexpr std::size_t kDescriptorBytes = 32;
constexpr std::size_t kNameBytes = 10;
constexpr std::size_t kTypeOffset = 11;
constexpr std::size_t kDisplacementOffset = 12;
constexpr std::size_t kLengthOffset = 16;
constexpr std::size_t kDecimalsOffset = 17;
constexpr std::size_t kFlagsOffset = 18;
constexpr unsigned char kTerminator = 0x0D;
// The byte dBase writes after the last record.
constexpr unsigned char kEndOfFileByte = 0x1A;

// Where the descriptors of a header lie and where each keeps what the reader needs. dBase 7
// has a longer header (with the language driver's name) and longer descriptors and names;
// its descriptors store no displacement: values follow one another from the deletion flag.
struct DescriptorLayout {
    std::size_t firstOffset; // of descriptor 0: the header's fixed part
    std::size_t bytes;       // of one descriptor
    std::size_t nameBytes;   // bytes the name may take, padded with zero bytes
    std::size_t typeOffset;
    std::size_t lengthOffset;
    std::size_t decimalsOffset;
    bool storedDisplacements;
};

constexpr DescriptorLayout kClassicDescriptors{
    kHeaderBytes, kDescriptorBytes, kNameBytes, kTypeOffset, kLengthOffset, kDecimalsOffset, true};
constexpr DescriptorLayout kDBase7Descriptors{68, 48, 32, 32, 33, 34, false};
constexpr std::size_t kLanguageDriverNameOffset = 32;
constexpr std::size_t kLanguageDriverNameBytes = 32;

inline std::size_t descriptorOffset(const DescriptorLayout& layout, std::size_t slot) {
    return layout.firstOffset + layout.bytes * slot;
}

// How many descriptors a header of `headerLength` bytes can hold in front of its terminator.
inline std::size_t descriptorLimit(const DescriptorLayout& layout, std::uint32_t headerLength) {
    return headerLength < layout.firstOffset + 1
               ? 0
               : (headerLength - layout.firstOffset - 1) / layout.bytes;
}

// Visual FoxPro's descriptor flags, and the type of its hidden field of null and length bits.
constexpr unsigned char kSystemFieldFlag = 0x01;
constexpr unsigned char kNullableFieldFlag = 0x02;
constexpr char kNullFlagsType = '0';

// FPT file: header block size, and the memo block's length and text.
constexpr std::size_t kBlockSizeOffset = 6;
constexpr std::size_t kMemoLengthOffset = 4;
constexpr std::size_t kMemoTextOffset = 8;

// DBT file: dBase III's fixed blocks whose text ends at 0x1A; dBase IV's block size in the
// header (0 for the old 512) and its memo blocks, marked and counting their own 8 bytes.
constexpr std::uint32_t kDBase3BlockBytes = 512;
constexpr std::size_t kDbtBlockSizeOffset = 20;
constexpr unsigned char kDBase3MemoEnd = 0x1A;
constexpr unsigned char kDBase4MemoMark[4] = {0xFF, 0xFF, 0x08, 0x00};
constexpr std::size_t kDBase4MemoLengthOffset = 4;
constexpr std::size_t kDBase4MemoTextOffset = 8;

inline std::uint32_t readLittle16(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8;
}

inline std::uint32_t readLittle32(const unsigned char* bytes) {
    return readLittle16(bytes) | readLittle16(bytes + 2) << 16;
}

inline std::uint64_t readLittle64(const unsigned char* bytes) {
    return readLittle32(bytes) | static_cast<std::uint64_t>(readLittle32(bytes + 4)) << 32;
}

inline std::uint32_t readBig16(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) << 8 | static_cast<std::uint32_t>(bytes[1]);
}

inline std::uint32_t readBig32(const unsigned char* bytes) {
    return readBig16(bytes) << 16 | readBig16(bytes + 2);
}

inline std::uint64_t readBig64(const unsigned char* bytes) {
    return static_cast<std::uint64_t>(readBig32(bytes)) << 32 | readBig32(bytes + 4);
}

inline std::size_t slotOffset(std::size_t slot) {
    return kHeaderBytes + kDescriptorBytes * slot;
}

// How many descriptor slots a header of `headerLength` bytes can hold in front of its
// terminator byte: (H - 33) / 32, none when H is below 33.
inline std::size_t slotLimit(std::uint32_t headerLength) {
    return headerLength < kHeaderBytes + 1 ? 0
                                           : (headerLength - kHeaderBytes - 1) / kDescriptorBytes;
}

} // namespace dbf_layout
