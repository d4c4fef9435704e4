// What a load would make of a table, as plain text for people: marlin-load --describe.
#pragma once

#include "load/LoadState.h"

#include <string>

// Describes the table `fileName` as the load reads it: its dialect, record count and width,
// code page, memo file, the header problems a load would repair, and one line per field with
// the column it becomes (and with the option `fixNames` the name --fix-names gives it), all in
// UTF-8, its names decoded from the code page a load would read (the option `codePage`, or
// the file's). Connects to nothing and changes nothing. Returns false, with the reader's
// message in `text`, when the file cannot be read as a table or its text cannot be decoded.
bool describeTable(const std::string& fileName, const LoadOptions& options, std::string& text);
