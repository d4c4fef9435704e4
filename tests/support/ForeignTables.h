// The tables another program wrote for the tests (tests/dbf/files, made by make_tables.py
// with Debian's python3-dbf), and what they hold.
#pragma once

#include <string>
#include <vector>

// Where a test finds one of those files: the build copies them into files/ beside the
// folder each test runs in.
std::string foreignTablePath(const std::string& fileName);

// The text of every value of vfp1252.dbf, record by record, field by field, as the reader
// gives it (in code page 1252, the file's own): C Y T B I N F D L M G P.
std::vector<std::vector<std::string>> visualFoxProTexts();
