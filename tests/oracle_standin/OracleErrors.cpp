// Oracle's message texts (as of the 21c servers) for the errors the stand-in produces.
#include "OracleErrors.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace standin {

namespace {

struct KnownMessage {
    int code;
    const char* text;
};

constexpr KnownMessage kMessages[] = {
    {900, "invalid SQL statement"},
    {901, "invalid CREATE command"},
    {902, "invalid datatype"},
    {903, "invalid table name"},
    {905, "missing keyword"},
    {906, "missing left parenthesis"},
    {907, "missing right parenthesis"},
    {910, "specified length too long for its datatype"},
    {913, "too many values"},
    {917, "missing comma"},
    {922, "missing or invalid option"},
    {923, "FROM keyword not found where expected"},
    {925, "missing INTO keyword"},
    {926, "missing VALUES keyword"},
    {932, "inconsistent datatypes"},
    {933, "SQL command not properly ended"},
    {936, "missing expression"},
    {940, "invalid ALTER command"},
    {942, "table or view does not exist"},
    {947, "not enough values"},
    {950, "invalid DROP option"},
    {955, "name is already used by an existing object"},
    {957, "duplicate column name"},
    {972, "identifier is too long"},
    {984, "column not allowed here"},
    {1005, "null password given; logon denied"},
    {1008, "not all variables bound"},
    {1012, "not logged on"},
    {1013, "user requested cancel of current operation"},
    {1017, "invalid username/password; logon denied"},
    {1461, "can bind a LONG value only for insert into a LONG column"},
    {1114, "IO error writing block to file"},
    {1036, "illegal variable name/number"},
    {1403, "no data found"},
    {1426, "numeric overflow"},
    {1438, "value larger than specified precision allowed for this column"},
    {1405, "fetched column value is NULL"},
    {1459, "invalid length for variable character string"},
    {1722, "invalid number"},
    {1723, "zero-length columns are not allowed"},
    {1727, "numeric precision specifier is out of range (1 to 38)"},
    {1728, "numeric scale specifier is out of range (-84 to 127)"},
    {1735, "invalid ALTER TABLE option"},
    {1792, "maximum number of columns in a table or view is 1000"},
    {1821, "date format not recognized"},
    {1830, "date format picture ends before converting entire input string"},
    {1839, "date not valid for month specified"},
    {1840, "input value not long enough for date format"},
    {1841, "(full) year must be between -4713 and +9999, and not be 0"},
    {1843, "not a valid month"},
    {1847, "day of month must be between 1 and last day of month"},
    {1850, "hour must be between 0 and 23"},
    {1851, "minutes must be between 0 and 59"},
    {1852, "seconds must be between 0 and 59"},
    {1858, "a non-numeric character was found where a numeric was expected"},
    {1861, "literal does not match format string"},
    {2248, "invalid option for ALTER SESSION"},
    {3113, "end-of-file on communication channel"},
    {3114, "not connected to ORACLE"},
    {3115, "unsupported network datatype or representation"},
    {3135, "connection lost contact"},
    {14047, "ALTER TABLE|INDEX RENAME may not be combined with other operations"},
    {12154, "TNS:could not resolve the connect identifier specified"},
    {12705, "Cannot access NLS data files or invalid environment specified"},
    {12162, "TNS:net service name is incorrectly specified"},
    {24309, "already connected to server"},
    {24313, "user already authenticated"},
    {24315, "illegal attribute type"},
    {24324, "service handle not initialized"},
    {24333, "zero iteration count"},
    {24337, "statement handle not prepared"},
    {24344, "success with compilation error"},
    {24345, "A Truncation or null fetch error occurred"},
    {24347, "Warning of a NULL column in an aggregate function"},
    {24816, "Expanded non LONG bind data supplied after actual LONG or LOB column"},
    {28000, "the account is locked"},
    {28002, "the password will expire within 7 days"},
    {28011, "the account will expire soon; change your password now"},
};

// The texts of a German client (NLS_LANG=GERMAN_...), with their national letters; the
// others stay English, as a client without that language's messages has them.
constexpr KnownMessage kGermanMessages[] = {
    {942, "Tabelle oder View nicht vorhanden"},
    {955, "Name wird bereits von einem vorhandenen Objekt verwendet"},
    {1017, "Benutzername/Kennwort ung\u00fcltig; Anmeldung abgelehnt"},
    {3113, "Dateiende im Kommunikationskanal"},
    {12154, "TNS: Angegebener Connect Identifier konnte nicht aufgel\u00f6st werden"},
};

// True when NLS_LANG names the German language, as the client's messages then are.
bool germanMessages() {
    const char* nlsLang = std::getenv("NLS_LANG");
    return nlsLang != nullptr && std::strncmp(nlsLang, "GERMAN_", 7) == 0;
}

const char* knownText(int code) {
    if (germanMessages())
        for (const KnownMessage& known : kGermanMessages)
            if (known.code == code)
                return known.text;
    for (const KnownMessage& known : kMessages)
        if (known.code == code)
            return known.text;
    return nullptr;
}

ErrorRecord withText(int code, const std::string& message) {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "ORA-%05d: ", code);
    return ErrorRecord{code, prefix + message + "\n"};
}

} // namespace

ErrorRecord oracleError(int code) {
    if (code == 904)
        return invalidIdentifier("");
    if (const char* text = knownText(code))
        return withText(code, text);
    return withText(code,
                    "Message " + std::to_string(code) + " not found;  product=RDBMS; facility=ORA");
}

ErrorRecord invalidIdentifier(const std::string& quotedName) {
    return withText(904, quotedName + ": invalid identifier");
}

ErrorRecord valueTooLarge(const std::string& user, const std::string& table,
                          const std::string& column, std::size_t actualBytes,
                          std::size_t maximumBytes) {
    const std::string name = "\"" + user + "\".\"" + table + "\".\"" + column + "\"";
    const std::string actual = std::to_string(actualBytes);
    const std::string maximum = std::to_string(maximumBytes);
    if (germanMessages())
        return withText(12899, "Wert zu gro\u00df f\u00fcr Spalte " + name +
                                   " (aktuell: " + actual + ", maximal: " + maximum + ")");
    return withText(12899, "value too large for column " + name + " (actual: " + actual +
                               ", maximum: " + maximum + ")");
}

ErrorRecord invalidNumberBytes(unsigned position) {
    return withText(22060, "argument [" + std::to_string(position) +
                               "] is an invalid or uninitialized number");
}

bool isExecutionWarning(int code) {
    return code == 24344 || code == 24345 || code == 24347;
}

bool isLogonWarning(int code) {
    return code == 28002 || code == 28011;
}

bool isLostConnection(int code) {
    return code == 3113 || code == 3114 || code == 3135;
}

} // namespace standin
