// The tables one run of marlin-load loads: each file named, or found in a folder named, with
// the table it goes into.
#pragma once

#include "cli/CommandLine.h"

#include <string>
#include <vector>

// One file and its table, named in upper case as the load takes it.
struct TableLoad {
    std::string fileName;
    std::string tableName;
    // Why this table must not be loaded, in UTF-8; empty when it may. Such a load ends as a
    // failure without connecting, as its own load would end.
    std::string refusal;
};

// The loads in order, or a usage error naming what is wrong.
struct LoadList {
    std::vector<TableLoad> loads;
    std::string usageError; // empty when every path gave its files
    // Files of the folders that were left out, each with the reason, in UTF-8 ("PATH: it is
    // a FIFO, not a regular file").
    std::vector<std::string> skipped;
};

// Each path that names a folder gives every regular file in it whose name ends in ".DBF" in
// any case, sorted by name without regard to case; a FIFO, a socket or a device of such a name
// is skipped, never opened. Every other path is a file (one that does not exist fails in its
// own load). Each file's table is --table for a single file, else the name the file's name
// suggests; with --fix-names that name is made one Oracle takes. A name made from a file's
// name that holds a character no unquoted name has, and a table that files found in a folder
// would load alike (long names that share their first 30 bytes), refuse those tables only. A
// folder with no DBF file, a file whose name suggests no table, two files named on the command
// line that would load one table and --table with a folder are usage errors.
LoadList listLoads(const LoadCommand& command);
