// Every character of the code pages the tests load, as Python's codecs decode them: the list
// files/list_code_page_characters.py writes at build time beside each test folder.
#pragma once

#include <map>
#include <string>
#include <vector>

struct CodePageCharacter {
    std::string bytes;       // in the code page
    std::string utf8;        // its UTF-8 form
    std::string windows1252; // what a WE8MSWIN1252 database stores for it
};

// The characters of each code page in the list, in its order; empty when the list is missing
// (the callers fail saying so).
std::map<unsigned, std::vector<CodePageCharacter>> codePageCharacters();

// The DBF header's language driver id of each code page in the list.
unsigned char languageDriverOf(unsigned codePage);
