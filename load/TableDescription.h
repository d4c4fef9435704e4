// What a load would make of a table, as plain text for people: marlin-load --describe.
#pragma once

#include <string>

// Describes the table `fileName` as the load reads it: its dialect, record count and width,
// code page, memo file, the header problems a load would repair, and one line per field with
// the column it becomes (and with `fixNames` the name --fix-names gives it). Connects to
// nothing and changes nothing. Returns false, with the reader's message in `text`, when the
// file cannot be read as a table.
bool describeTable(const std::string& fileName, bool fixNames, std::string& text);
