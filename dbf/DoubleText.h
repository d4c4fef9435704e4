// The text of a double ('B', and dBase 7's 'O'): the shortest that reads back as the same value.
#pragma once

#include <cstddef>

// The number of characters the text of a double may take.
constexpr std::size_t kShortestDoubleTextChars = 24;

// Writes the shortest decimal text that reads back as exactly `value` ("0.1", "-2.5",
// "1e+25") with a terminator into `out`, which must hold kShortestDoubleTextChars + 1 bytes;
// returns its length. NaN and infinities give an empty text.
std::size_t formatShortestDoubleText(double value, char* out);
