// A sample customer table for the demo and the end-to-end tests of the main dialog: text,
// numeric, date, logical, integer and memo fields, national characters in code page 437 (the
// OEM code page of a Western European DOS machine), a blank memo and a deleted record.
#pragma once

#include <string>

// Writes the table to dbfPath and its memos beside it (the name less its last three
// characters, then "FPT"). The same count always gives the same bytes. False when a file
// cannot be written.
bool writeSampleTable(const std::string& dbfPath, int records);
