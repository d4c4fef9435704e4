// The values make_tables.py wrote, in the texts the reader gives for their types.
#include "ForeignTables.h"

namespace {

std::string padded(const std::string& text, std::size_t width) {
    return text + std::string(width - text.size(), ' ');
}

} // namespace

std::string foreignTablePath(const std::string& fileName) {
    return "files/" + fileName;
}

std::vector<std::vector<std::string>> visualFoxProTexts() {
    // Code page 1252 bytes: é E9, ü FC, Æ C6, ø F8, ñ F1, ß DF, š 9A, ž 9E, Ÿ 9F, € 80, Œ 8C.
    const std::string accents = "\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF"
                                "\xF0\xF1\xF2\xF3\xF4\xF5\xF6\xF8\xF9\xFA\xFB\xFC\xFD\xFE\xFF";
    return {
        {padded("Caf\xE9 Z\xFCrich", 24), padded("1234.5678", 22), "20240615134530", "3.14159",
         padded("-42", 12), "     12.50", "   1.250", "20240131", "T",
         padded("Cr\xE8me br\xFBl\xE9"
                "e, fa\xE7"
                "ade, \x8C"
                "uvre: 5 \x80",
                1999),
         "", ""},
        {padded("\xC6r\xF8 Se\xF1or \xDF \x9A \x9E \x9F", 24), padded("-0.0001", 22),
         "19991231235959", "-1.5", padded("2147483646", 12), "     -3.75", "   0.500", "19700101",
         "F", padded(accents, 1999), "", ""},
        // Fields the writer left empty: its empty currency, double and integer are zeros.
        {std::string(24, ' '), padded("922337203685477.5807", 22), "", "0", padded("0", 12),
         std::string(10, ' '), std::string(8, ' '), std::string(8, ' '), "?",
         std::string(1998, ' '), "", ""},
    };
}
