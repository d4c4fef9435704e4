// Numbers in Oracle's own NUMBER format, made by the load itself: a length byte, an exponent
// byte and base-100 digits, the form an SQLT_VNU bind carries. No server or session setting
// reads a number's text, so none can misread it.
#pragma once

#include "dbf/FieldReadings.h"

#include <cstddef>

// The bytes of one element of an SQLT_VNU bind: a length byte and at most 21 bytes of number.
constexpr std::size_t kOracleNumberBytes = 22;

// Rounds `number` (halves away from zero) as a NUMBER(precision, scale) column keeps it: to
// the scale, or for precision 0 (a NUMBER without one) to the 39 or 40 significant digits
// that Oracle's 20 base-100 digits hold where its decimal point falls. Answers false when the
// column cannot hold the result: 10^(precision - scale) or more, or for precision 0, 1E126
// or more. For precision 0 a result below 1E-130, the smallest NUMBER, becomes zero.
bool roundToColumn(FieldNumber& number, int precision, int scale);

// Writes a number that roundToColumn() accepted into `out` (kOracleNumberBytes bytes):
// length byte, then the exponent byte (193 + k for a first base-100 digit of weight 100^k,
// its one's complement when negative), the digits (d + 1, or 101 - d when negative) without
// zero digits at either end, and the 102 that ends a negative number of fewer than 20 digits.
// Zero is the single byte 128. Bytes past the length are left as they were.
void writeOracleNumber(const FieldNumber& number, unsigned char* out);
