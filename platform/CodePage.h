// Conversion of single-byte text from the OEM code page, or from the code page a file names,
// to the ANSI code page.
#pragma once

#include <array>
#include <optional>

namespace platform {

// Maps every OEM byte to its ANSI byte; the conversion keeps the byte count.
using ByteTable = std::array<unsigned char, 256>;

// Builds the table from code page `codePage` to the ANSI code page, one byte for one byte:
// where the ANSI code page lacks a character, its best fit (Windows) or '?' (elsewhere).
// The ANSI code page itself, and a code page that writes a character in more than one byte
// (and so cannot be converted a byte at a time), keep every byte as it is. Empty when this
// system cannot convert from `codePage`: on Windows one it has not installed, elsewhere one
// outside the few with fixed tables here (437, 850, 1252 and the East Asian ones). Byte 0
// always maps to 0.
std::optional<ByteTable> codePageToAnsiTable(unsigned codePage);

// Builds the OEM-to-ANSI table of this system. On Windows it asks the system
// (OemToCharBuffA); elsewhere it is code page 437 to code page 1252, with '?' for the OEM
// characters that code page 1252 lacks. Byte 0 always maps to 0.
ByteTable oemToAnsiTable();

// The system's ANSI code page, in which every text the program hands to Oracle is written:
// GetACP() on Windows, 1252 elsewhere (the code page oemToAnsiTable() converts into).
int ansiCodePage();

} // namespace platform
