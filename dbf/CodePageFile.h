// The NAME.cpg file beside a table, in which shapefile writers name the code page of its text.
#pragma once

#include <string>

class CodePageFile {
  public:
    // Looks for the file beside `sourceName`: the name less its last three characters, then
    // "cpg", in any case (see platform::findInAnyCase). Reads the first line of the one found.
    // Nothing here is a failure: found() says whether there was one, codePage() whether it named a
    // code page.
    void read(const std::string& sourceName);
    // Forgets the file.
    void clear();

    bool found() const { return !name_.empty(); }
    // The file found, as the system's file functions take it; empty when none was.
    const std::string& name() const { return name_; }
    // Its first line without blanks around it, for people to read: printable ASCII (other
    // bytes as '?'), at most kShownChars characters.
    const std::string& text() const { return text_; }
    // The Windows code page the line names (see codePageOfName); 0 when it names none known.
    unsigned codePage() const { return codePage_; }

    static constexpr std::size_t kShownChars = 40;

  private:
    std::string name_;
    std::string text_;
    unsigned codePage_ = 0;
};

// The Windows code page that a name of one, as shapefile writers put it in a .cpg file, stands
// for: "UTF-8" and "UTF8" 65001; a number ("1252", "ANSI 1251", "OEM 866", "CP1250",
// "windows-1252", "IBM866") that number; "ISO-8859-N", "8859-N" and "8859N" (N of 1 to 9, 13
// or 15) 28590 + N; "KOI8-R" 20866, "KOI8-U" 21866; "Big5" 950, "SJIS" and "Shift_JIS" 932,
// "GBK" and "GB2312" 936, "EUC-KR" 949; "OEM" the machine's OEM code page; "LDID/N" the code
// page of dBase's language driver N (decimal). Letters in any case; blanks, "-" and "_" are
// not looked at. 0 for anything else.
unsigned codePageOfName(const std::string& name);
