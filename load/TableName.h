// The table name a DBF file's name suggests, the same for the dialog's file picker and the
// command line.
#pragma once

#include <string>

// The file's name (in UTF-8) with its extension and without its folder ("\", "/" or a drive's
// ":"), every "." replaced by "_", cut at the last whole character within 30 bytes: an Oracle
// server before release 12.2 takes no longer name, counted in bytes of the database's
// character set, and an AL32UTF8 database takes as many bytes as UTF-8. C:\DATA\orders.dbf
// gives orders_dbf. The case is left as it is; the callers upper-case it as the table name
// field does.
std::string tableNameForFile(const std::string& path);
