// The character sets the stand-in knows, and Oracle's conversion of bound text between the
// client's set and the database's.
#pragma once

#include "StandinOci.h"

#include <cstddef>
#include <string>

namespace standin {

// Oracle's ids of the sets the stand-in converts.
constexpr ub2 kUS7ASCII = 1;
constexpr ub2 kWE8ISO8859P1 = 31;
constexpr ub2 kWE8MSWIN1252 = 178;
constexpr ub2 kAL32UTF8 = 873;

// The id of a set named as NLS_LANG and the `charset` file name it (any case); 0 for a name
// the stand-in does not know.
ub2 characterSetNamed(const std::string& name);
bool isKnownCharacterSet(ub2 characterSet);

// The client set NLS_LANG names now (the part after its last '.'); US7ASCII when NLS_LANG
// or that part is missing, as a client without NLS_LANG works; 0 for an unknown name.
ub2 characterSetFromNlsLang();

// Appends `bytes` in set `from` to `out` in set `to`. A byte that is no character of `from`,
// and a character that `to` lacks, arrive as '?', without an error. Equal sets are not
// converted at all, as Oracle passes such bytes through.
void convertText(const char* bytes, std::size_t length, ub2 from, ub2 to, std::string& out);

// The characters in `bytes` of set `characterSet`.
std::size_t characterCount(const char* bytes, std::size_t length, ub2 characterSet);

} // namespace standin
