// Texts of the binary values Visual FoxPro added: currency ('Y') and datetime ('T').
#pragma once

#include <cstddef>
#include <cstdint>

// The number of characters of every currency text, as for doubles.
constexpr std::size_t kCurrencyTextChars = 22;
// The number of characters of every non-empty datetime text.
constexpr std::size_t kDateTimeTextChars = 14;

// Writes an amount stored in ten-thousandths with four decimals and a leading '-' when
// negative ("-1234.5678"), then blanks up to 22 characters, and a terminator; `out` must
// hold 23 bytes. Every 64-bit amount fits.
void formatCurrencyText(std::int64_t tenThousandths, char* out);

// A moment to the second: a date's year, month and day in a calendar (the Gregorian one,
// extended backwards, unless a function says another) and a time of day.
struct CivilMoment {
    unsigned year = 0;
    unsigned month = 0;
    unsigned day = 0;
    unsigned hour = 0;
    unsigned minute = 0;
    unsigned second = 0;
};

// Rounds a moment given as a Julian day number and milliseconds since midnight to the nearest
// second (half a second up): `second` of the day, and `julianDay` moved on to the next day when
// the moment rounds up to midnight. False for milliseconds a day has not.
bool roundToSecond(std::uint32_t& julianDay, std::uint32_t milliseconds, std::uint32_t& second);

// The moment given as a Julian day number and milliseconds since midnight, rounded to the
// nearest second (half a second up, into the next day when it comes to that). False for a
// day outside the years 1 to 9999 and for milliseconds a day has not; the all-zero value
// that stands for no moment is outside them too.
bool civilMomentOf(std::uint32_t julianDay, std::uint32_t milliseconds, CivilMoment& moment);

// Writes the moment given as a Julian day number and milliseconds since midnight as
// "YYYYMMDDHHMMSS", rounded to the nearest second, with a terminator; `out` must hold 15
// bytes. Returns the text's length: 14, or 0 (an empty text) for the all-zero value that
// stands for no moment, and for a day outside the years 1 to 9999 or milliseconds of a
// day that has not that many.
std::size_t formatDateTimeText(std::uint32_t julianDay, std::uint32_t milliseconds, char* out);
