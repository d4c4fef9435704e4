// The code page of a table's text: what the user forces, else what the file names, else what
// the user names, else the machine's.
#include "load/CodePageChoice.h"

#include "platform/CodePage.h"

namespace {

bool decodable(unsigned codePage) {
    return codePage != 0 && platform::canDecodeCodePage(codePage);
}

} // namespace

CodePageChoice chooseCodePage(const DbfTable& table, const LoadOptions& options) {
    using Source = CodePageChoice::Source;
    if (options.forceCodePage && options.codePage != 0)
        return {options.codePage, Source::Forced};
    if (decodable(table.codePage()))
        return {table.codePage(), Source::Header};
    if (decodable(table.codePageFile().codePage()))
        return {table.codePageFile().codePage(), Source::CodePageFile};
    if (options.codePage != 0)
        return {options.codePage, Source::Option};
    return {platform::oemCodePage(), Source::Oem};
}

std::string unknownCodePageFileLine(const DbfTable& table, const CodePageChoice& choice) {
    using Source = CodePageChoice::Source;
    const CodePageFile& file = table.codePageFile();
    if (!file.found() || (choice.source != Source::Option && choice.source != Source::Oem))
        return "";
    return "Code page \"" + file.text() + "\" of " + platform::utf8FromLocal(file.name()) +
           " is unknown, or this system cannot decode it: the text is read in code page " +
           std::to_string(choice.codePage) + ".";
}
