// Column names Oracle takes whatever a table's fields are called: marlin-load --fix-names.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The longest name an Oracle 11.2 server takes (later ones take 128 bytes).
constexpr std::size_t kOracleNameBytes = 30;

// True when `name`, in any case of its letters, is a reserved word of Oracle SQL.
bool isOracleReservedWord(const std::string& name);

// True when every character of the UTF-8 name may stand in an unquoted Oracle name: an ASCII
// letter or digit, '_', '$', '#', or a character beyond ASCII other than a control (a letter of
// the database's character set or not: Oracle judges those). A blank, a comma, a quote, a
// parenthesis, a semicolon or a control character would change the statement the name is
// written into, so such a name must never reach SQL.
bool holdsOnlyNameCharacters(const std::string& utf8Name);

// The name as a message shows it: in double quotes, each control character written \xHH (or
// \u00HH beyond ASCII) so that blanks and line breaks show where they are.
std::string quotedName(const std::string& utf8Name);

// The sentence that tells a user, of the dialog too, what loads a table whose names Oracle
// cannot take: the dialog has no such option of its own.
constexpr const char* kFixNamesHint = "marlin-load --fix-names loads such a table, with every "
                                      "name made one Oracle takes.";

// One name made one that Oracle takes unquoted, on its own (see loadableColumnNames): the
// name a table gets from --fix-names.
std::string loadableName(const std::string& name);

// Every name made one that Oracle takes unquoted and that no earlier name in the list took,
// step by step: letters in upper case (as Oracle stores an unquoted name); every character
// but a letter, a digit, '_', '$' and '#' made '_'; a leading 'F' before a name that does not
// start with a letter; a trailing '_' after a reserved word; the name cut to 30 bytes; and a
// name that an earlier one already took followed by "_2", "_3", ... (cut before the suffix so
// that the whole stays within 30 bytes).
std::vector<std::string> loadableColumnNames(const std::vector<std::string>& names);

// True when loadableColumnNames would change one of the names beyond the case of its letters,
// which Oracle ignores in an unquoted name.
bool someNameNeedsFixing(const std::vector<std::string>& names);
