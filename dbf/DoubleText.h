// Text of a stored 'B' (double) value: fixed decimals in a column of 22 characters.
#pragma once

// The number of characters of every non-empty double text.
constexpr int kDoubleTextChars = 22;

// Writes `value` rounded to `decimals` places (halves away from zero) into `out`, which must
// hold kDoubleTextChars + 1 bytes: a '-' for a negative value that does not round to zero,
// the integer digits, a '.', exactly `decimals` fraction digits, then blanks up to 22
// characters. A text that would need more than 22 characters is written instead as 15
// significant digits with an exponent ("1.00000000000000E+25"), also padded to 22. NaN and
// infinities give an empty text.
void formatDoubleText(double value, unsigned decimals, char* out);
