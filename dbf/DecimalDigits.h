// The decimal digits of an unsigned integer, which every numeric text of the reader starts from.
#pragma once

#include <cstddef>
#include <cstdint>

// Writes the decimal digits of `magnitude` (no sign, no leading zeros, "0" for zero) at
// `out`, which must hold 20 bytes, and returns how many it wrote. Writes no terminator.
inline std::size_t writeDecimalDigits(std::uint64_t magnitude, char* out) {
    char reversed[20];
    std::size_t digits = 0;
    do {
        reversed[digits++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    for (std::size_t at = 0; at < digits; ++at)
        out[at] = reversed[digits - 1 - at];
    return digits;
}
