// A session's NLS settings, which decide how Oracle reads a number or a date bound as text.
#pragma once

#include <string>

namespace standin {

struct NlsSettings {
    char decimalCharacter = '.';
    char groupCharacter = ',';
    std::string dateFormat = "DD-MON-RR";
};

// What a session starts with: the settings of the territory NLS_LANG names
// (LANGUAGE_TERRITORY.CHARSET): GERMANY and AUSTRIA ',.' and DD.MM.RR, FRANCE ', ' and
// DD/MM/RR; AMERICA's ('.,' and DD-MON-RR) for any other, or without NLS_LANG.
NlsSettings nlsFromEnvironment();

// Applies one setting of ALTER SESSION SET (its name in upper case): NLS_NUMERIC_CHARACTERS
// (two different characters that are no digits, signs or '<' '>': ORA-12705 else) or
// NLS_DATE_FORMAT (ORA-01821 for a format element the stand-in does not know). Another name
// gives ORA-02248. Answers 0 or the Oracle error, leaving the settings as they were.
int applySessionSetting(NlsSettings& nls, const std::string& name, const std::string& value);

// True when every element of `format` is one the stand-in reads: YYYY, RRRR, YY, RR, MM,
// MON, DD, HH24, MI, SS, and the separators - / . , : ; and blank.
bool isKnownDateFormat(const std::string& format);

} // namespace standin
