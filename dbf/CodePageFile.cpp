// Finding a table's .cpg file and reading the code page it names, in the spellings the
// writers of shapefiles use.
#include "dbf/CodePageFile.h"

#include "dbf/LanguageDriver.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/MappedFile.h"

#include <algorithm>
#include <cstring>

namespace {

// More than any code page's name takes; the rest of a long file is never read.
constexpr std::size_t kReadBytes = 256;
constexpr unsigned kUtf8 = 65001;
constexpr unsigned kLargestCodePage = 65535;
// Windows numbers the ISO 8859 parts from this, those it has: 28591 is ISO-8859-1.
constexpr unsigned kIsoCodePageBase = 28590;

struct NamedCodePage {
    const char* name; // upper case, without blanks, "-" and "_"
    unsigned codePage;
};

constexpr NamedCodePage kNamedCodePages[] = {
    {"UTF8", kUtf8},   {"KOI8R", 20866}, {"KOI8U", 21866}, {"BIG5", 950},  {"SJIS", 932},
    {"SHIFTJIS", 932}, {"GBK", 936},     {"GB2312", 936},  {"EUCKR", 949},
};

// Words in front of a code page's number that add nothing to it.
constexpr const char* kNumberPrefixes[] = {"ANSI", "OEM", "CP", "WINDOWS", "IBM", "MS"};

bool isAsciiDigits(const std::string& text) {
    return !text.empty() && text.size() <= 6 &&
           text.find_first_not_of("0123456789") == std::string::npos;
}

bool startsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// The part N of ISO 8859 that "8859N" names, as Windows numbers it; 0 for parts it lacks.
unsigned isoCodePage(const std::string& digits) {
    if (!isAsciiDigits(digits) || digits.size() < 5 || !startsWith(digits, "8859"))
        return 0;
    const unsigned part = static_cast<unsigned>(std::stoul(digits.substr(4)));
    const bool windowsHasIt = (part >= 1 && part <= 9) || part == 13 || part == 15;
    return windowsHasIt ? kIsoCodePageBase + part : 0;
}

unsigned numberedCodePage(const std::string& digits) {
    if (!isAsciiDigits(digits))
        return 0;
    if (const unsigned iso = isoCodePage(digits))
        return iso;
    const unsigned long number = std::stoul(digits);
    return number <= kLargestCodePage ? static_cast<unsigned>(number) : 0;
}

// Upper case, without the blanks, "-" and "_" writers put in names in so many ways.
std::string squeezedName(const std::string& name) {
    std::string squeezed;
    for (char c : name) {
        if (c == ' ' || c == '\t' || c == '-' || c == '_')
            continue;
        squeezed += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return squeezed;
}

// The first line, its blanks and a UTF-8 byte-order mark around it left out.
std::string firstLine(const unsigned char* bytes, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(bytes), std::min(size, kReadBytes));
    if (startsWith(text, "\xEF\xBB\xBF"))
        text.erase(0, 3);
    text = text.substr(0, text.find_first_of("\r\n"));
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The line as a status line may show it, whatever bytes the file holds.
std::string shownText(const std::string& line) {
    std::string shown = line.substr(0, CodePageFile::kShownChars);
    for (char& c : shown)
        if (c < ' ' || c > '~')
            c = '?';
    return shown;
}

} // namespace

unsigned codePageOfName(const std::string& name) {
    const std::string squeezed = squeezedName(name);
    for (const NamedCodePage& named : kNamedCodePages)
        if (squeezed == named.name)
            return named.codePage;
    if (squeezed == "OEM")
        return platform::oemCodePage();
    if (startsWith(squeezed, "LDID/")) {
        const std::string digits = squeezed.substr(5);
        return isAsciiDigits(digits) && std::stoul(digits) <= 0xFF
                   ? codePageOfLanguageDriver(static_cast<std::uint8_t>(std::stoul(digits)))
                   : 0;
    }
    if (startsWith(squeezed, "ISO"))
        return isoCodePage(squeezed.substr(3));
    for (const char* prefix : kNumberPrefixes)
        if (startsWith(squeezed, prefix))
            return numberedCodePage(squeezed.substr(std::strlen(prefix)));
    return numberedCodePage(squeezed);
}

void CodePageFile::read(const std::string& sourceName) {
    clear();
    if (sourceName.size() < 3)
        return;
    const std::optional<std::string> found =
        platform::findInAnyCase(sourceName.substr(0, sourceName.size() - 3), "cpg");
    if (!found)
        return;
    name_ = *found;
    // An empty file maps to nothing: it names no code page, as a blank line does not.
    platform::MappedFile file;
    if (!file.open(name_))
        return;
    const std::string line = firstLine(file.data(), file.size());
    text_ = shownText(line);
    codePage_ = codePageOfName(line);
}

void CodePageFile::clear() {
    name_.clear();
    text_.clear();
    codePage_ = 0;
}
