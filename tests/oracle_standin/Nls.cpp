// NLS settings from the client's NLS_LANG and from ALTER SESSION.
#include "Nls.h"

#include <cstdlib>
#include <cstring>

namespace standin {

namespace {

struct Territory {
    const char* name;
    const char* numericCharacters;
    const char* dateFormat;
};

constexpr Territory kTerritories[] = {
    {"GERMANY", ",.", "DD.MM.RR"},
    {"AUSTRIA", ",.", "DD.MM.RR"},
    {"FRANCE", ", ", "DD/MM/RR"},
};

// The format elements, longest first so that HH24 is not read as something shorter.
constexpr const char* kDateElements[] = {"YYYY", "RRRR", "HH24", "MON", "YY",
                                         "RR",   "MM",   "DD",   "MI",  "SS"};

bool isSeparator(char c) {
    return std::strchr("-/.,:; ", c) != nullptr && c != '\0';
}

bool isRefusedNumericCharacter(char c) {
    return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '<' || c == '>';
}

// The territory of LANGUAGE_TERRITORY.CHARSET.
std::string territoryOf(const char* nlsLang) {
    const std::string value = nlsLang;
    const std::size_t start = value.find('_');
    if (start == std::string::npos)
        return "";
    const std::size_t end = value.find('.', start);
    return value.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
}

} // namespace

NlsSettings nlsFromEnvironment() {
    NlsSettings nls;
    const char* nlsLang = std::getenv("NLS_LANG");
    if (nlsLang == nullptr)
        return nls;
    const std::string territory = territoryOf(nlsLang);
    for (const Territory& known : kTerritories)
        if (territory == known.name) {
            nls.decimalCharacter = known.numericCharacters[0];
            nls.groupCharacter = known.numericCharacters[1];
            nls.dateFormat = known.dateFormat;
        }
    return nls;
}

bool isKnownDateFormat(const std::string& format) {
    std::size_t at = 0;
    while (at < format.size()) {
        if (isSeparator(format[at])) {
            ++at;
            continue;
        }
        bool found = false;
        for (const char* element : kDateElements)
            if (format.compare(at, std::strlen(element), element) == 0) {
                at += std::strlen(element);
                found = true;
                break;
            }
        if (!found)
            return false;
    }
    return true;
}

int applySessionSetting(NlsSettings& nls, const std::string& name, const std::string& value) {
    if (name == "NLS_NUMERIC_CHARACTERS") {
        if (value.size() != 2 || value[0] == value[1] || isRefusedNumericCharacter(value[0]) ||
            isRefusedNumericCharacter(value[1]))
            return 12705;
        nls.decimalCharacter = value[0];
        nls.groupCharacter = value[1];
        return 0;
    }
    if (name == "NLS_DATE_FORMAT") {
        std::string format = value;
        for (char& c : format)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        if (!isKnownDateFormat(format))
            return 1821;
        nls.dateFormat = format;
        return 0;
    }
    return 2248;
}

} // namespace standin
