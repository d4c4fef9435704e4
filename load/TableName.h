// The table name a DBF file's name suggests, the same for the dialog's file picker and the
// command line.
#pragma once

#include <string>

// The file's name with its extension and without its folder ("\", "/" or a drive's ":"),
// every "." replaced by "_", cut to its first 30 characters: C:\DATA\orders.dbf gives
// orders_dbf. The case is left as it is; the callers upper-case it as the table name field
// does.
std::string tableNameForFile(const std::string& path);
