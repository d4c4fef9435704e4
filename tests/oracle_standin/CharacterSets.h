// The character sets the stand-in knows, and Oracle's conversion of text between the client's
// set and the database's.
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
// National character sets: taken as OCIEnvNlsCreate's `ncharset`, never converted.
constexpr ub2 kUTF8 = 871;
constexpr ub2 kAL16UTF16 = 2000;

// The id of a set named as NLS_LANG and the `charset` file name it (any case); 0 for a name
// the stand-in does not know.
ub2 characterSetNamed(const std::string& name);
bool isKnownCharacterSet(ub2 characterSet);
// True for the sets OCIEnvNlsCreate takes as its national set.
bool isNationalCharacterSet(ub2 characterSet);

// The client set NLS_LANG names now (the part after its last '.'); US7ASCII when NLS_LANG
// or that part is missing, as a client without NLS_LANG works; 0 for an unknown name.
ub2 characterSetFromNlsLang();

// Appends `bytes` in set `from` to `out` in set `to`. A byte that is no character of `from`,
// and a character that `to` lacks, arrive as the replacement character of `to` ('?' in
// US7ASCII, the inverted question mark 0xBF in the two Western sets, U+FFFD in AL32UTF8),
// without an error. Equal sets are not converted at all, as Oracle passes such bytes through.
void convertText(const char* bytes, std::size_t length, ub2 from, ub2 to, std::string& out);
std::string convertText(const std::string& text, ub2 from, ub2 to);

// The text of set `characterSet` with its letters in upper case, as Oracle folds unquoted
// names: ASCII, and the letters of the Latin-1, Latin Extended-A, Greek and Cyrillic blocks.
std::string upperCased(const std::string& text, ub2 characterSet);

// True when `text` is text of set `characterSet` that an identifier may hold: no malformed
// sequence and no replacement character (what a character another set lacked became on its
// way here). Oracle refuses such a name with ORA-00911.
bool isIdentifierText(const std::string& text, ub2 characterSet);

// The characters in `bytes` of set `characterSet`.
std::size_t characterCount(const char* bytes, std::size_t length, ub2 characterSet);
// True when `bytes` of set `characterSet` hold at most `characters` characters; counts no
// further than it must to know.
bool fitsInCharacters(const char* bytes, std::size_t length, ub2 characterSet,
                      std::size_t characters);

} // namespace standin
