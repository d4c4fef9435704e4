// Conversion of single-byte text from the OEM code page to the ANSI code page.
#pragma once

#include <array>

namespace platform {

// Maps every OEM byte to its ANSI byte; the conversion keeps the byte count.
using ByteTable = std::array<unsigned char, 256>;

// Builds the OEM-to-ANSI table of this system. On Windows it asks the system
// (OemToCharBuffA); elsewhere it is code page 437 to code page 1252, with '?' for the OEM
// characters that code page 1252 lacks. Byte 0 always maps to 0.
ByteTable oemToAnsiTable();

// The system's ANSI code page, in which every text the program hands to Oracle is written:
// GetACP() on Windows, 1252 elsewhere (the code page oemToAnsiTable() converts into).
int ansiCodePage();

} // namespace platform
