// The code page a DBF file's text is written in, as byte 29 of its header names it.
#pragma once

#include <cstdint>

// The Windows code page number of a language driver id (header byte 29): 437, 850, 1252 and
// so on. 0 when the id names none: 0 itself (the file does not say), the ids of code pages
// Windows has no conversion for (Kamenicky, Mazovia), and ids this table does not know.
unsigned codePageOfLanguageDriver(std::uint8_t languageDriverId);
