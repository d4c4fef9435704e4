// dBase 7's sortable encodings undone, as the dBase file-format documentation describes them.
#include "dbf/DBase7Values.h"

#include "dbf/DbfLayout.h"

#include <cstring>

using namespace dbf_layout;

namespace {

constexpr std::uint32_t kLongSignBit = 0x80000000u;
constexpr std::uint64_t kDoubleSignBit = 0x8000000000000000u;

} // namespace

std::optional<std::int32_t> decodeDBase7Long(const unsigned char* stored) {
    const std::uint32_t bits = readBig32(stored);
    if (bits == 0)
        return std::nullopt;
    return static_cast<std::int32_t>(bits ^ kLongSignBit);
}

double decodeDBase7Double(const unsigned char* stored) {
    std::uint64_t bits = readBig64(stored);
    bits = (bits & kDoubleSignBit) != 0 ? bits ^ kDoubleSignBit : ~bits;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

DBase7Timestamp decodeDBase7Timestamp(const unsigned char* stored) {
    return {readBig32(stored) & ~kLongSignBit, readBig32(stored + 4) & ~kLongSignBit};
}
