// The binary types dBase 7 added, decoded from their stored bytes, and their texts. Each is
// stored big-endian and so that its bytes sort in the order of its values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

// 'I' (long) and '+' (autoincrement): four bytes with the sign bit inverted. None for four
// zero bytes, which is how dBase 7 stores an empty value.
std::optional<std::int32_t> decodeDBase7Long(const unsigned char* stored);

// 'O' (double): eight bytes; a positive value has its sign bit inverted, a negative one every
// bit. Eight zero bytes, dBase 7's empty value, decode as a NaN.
double decodeDBase7Double(const unsigned char* stored);

// '@' (timestamp): two big-endian longs, the day (days since 1 January 4713 BC, the Julian day
// number) and the milliseconds since midnight. Neither can be negative, so a long whose top
// bit is set was stored with the sign bit inverted as dBase 7 stores its longs; that bit is
// dropped, and the value is read the same either way.
struct DBase7Timestamp {
    std::uint32_t julianDay;
    std::uint32_t milliseconds;
};
DBase7Timestamp decodeDBase7Timestamp(const unsigned char* stored);
