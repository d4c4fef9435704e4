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
};

// The loads in order, or a usage error naming what is wrong.
struct LoadList {
    std::vector<TableLoad> loads;
    std::string usageError; // empty when every path gave its files
};

// Each path that names a folder gives every file in it whose name ends in ".DBF" in any case,
// sorted by name without regard to case; every other path is a file (one that does not exist
// fails in its own load). Each file's table is --table for a single file, else the name the
// file's name suggests. A folder with no DBF file, a file whose name suggests no table, two
// files of one table and --table with a folder are usage errors.
LoadList listLoads(const LoadCommand& command);
