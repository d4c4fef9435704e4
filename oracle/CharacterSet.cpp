// Windows ANSI code pages and the Oracle character sets with the same characters.
#include "oracle/CharacterSet.h"

namespace oci {

namespace {

struct CodePageCharacterSet {
    int codePage;
    ub2 characterSet;
};

// The ids OCINlsCharSetNameToId gives for the sets named in the comments.
constexpr CodePageCharacterSet kCharacterSets[] = {
    {874, 41},   // TH8TISASCII
    {932, 832},  // JA16SJIS
    {936, 852},  // ZHS16GBK
    {949, 846},  // KO16MSWIN949
    {950, 867},  // ZHT16MSWIN950
    {1250, 170}, // EE8MSWIN1250
    {1251, 171}, // CL8MSWIN1251
    {1252, 178}, // WE8MSWIN1252
    {1253, 174}, // EL8MSWIN1253
    {1254, 177}, // TR8MSWIN1254
    {1255, 175}, // IW8MSWIN1255
    {1256, 560}, // AR8MSWIN1256
    {1257, 179}, // BLT8MSWIN1257
    {1258, 45},  // VN8MSWIN1258
};

} // namespace

ub2 characterSetOfCodePage(int codePage) {
    for (const CodePageCharacterSet& entry : kCharacterSets)
        if (entry.codePage == codePage)
            return entry.characterSet;
    return 0;
}

} // namespace oci
