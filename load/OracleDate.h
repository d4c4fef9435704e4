// Oracle's DATE: its calendar (Julian up to 1582-10-04, Gregorian from 1582-10-15, the ten
// days between missing) and its seven bytes. A typed load keeps what a field means in it: a
// written date its label, a day number the day Oracle gives that number.
#pragma once

#include "dbf/FoxProText.h"

#include <cstddef>
#include <cstdint>

// The bytes of an Oracle DATE (SQLT_DAT).
constexpr std::size_t kOracleDateBytes = 7;

// True when Oracle's calendar has the day, in the years 1 to 9999: leap years every fourth
// year up to 1582 (1500-02-29 is a day), Gregorian ones after it; 1582-10-05 to 1582-10-14
// are none.
bool isOracleCalendarDay(unsigned year, unsigned month, unsigned day);

// The moment of Julian day number `julianDay` (the number Oracle's 'J' format gives a day:
// 2299160 is 1582-10-04, 2299161 is 1582-10-15) and `milliseconds` since its midnight,
// rounded to the nearest second as civilMomentOf() rounds, with the date in Oracle's
// calendar. False for a day outside 0001-01-01 (1721424) to 9999-12-31 (5373484) and for
// milliseconds a day has not.
bool oracleMomentOf(std::uint32_t julianDay, std::uint32_t milliseconds, CivilMoment& moment);

// Oracle's seven date bytes for a moment: century + 100, year of the century + 100, month,
// day, hour + 1, minute + 1, second + 1.
void writeOracleDate(const CivilMoment& moment, unsigned char* out);
