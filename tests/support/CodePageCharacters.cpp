// Reading the list of code page characters the build wrote with Python.
#include "support/CodePageCharacters.h"

#include <fstream>
#include <sstream>

namespace {

std::string fromHex(const std::string& hex) {
    std::string bytes;
    for (std::size_t at = 0; at + 1 < hex.size(); at += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(at, 2), nullptr, 16));
    return bytes;
}

} // namespace

std::map<unsigned, std::vector<CodePageCharacter>> codePageCharacters() {
    std::map<unsigned, std::vector<CodePageCharacter>> characters;
    std::ifstream list("files/code-page-characters.txt");
    std::string line;
    while (std::getline(list, line)) {
        std::istringstream fields(line);
        unsigned codePage = 0;
        std::string bytes, utf8, windows1252;
        if (fields >> codePage >> bytes >> utf8 >> windows1252)
            characters[codePage].push_back({fromHex(bytes), fromHex(utf8), fromHex(windows1252)});
    }
    return characters;
}

unsigned char languageDriverOf(unsigned codePage) {
    switch (codePage) {
    case 437:
        return 0x01;
    case 850:
        return 0x02;
    case 852:
        return 0x64;
    case 866:
        return 0x65;
    case 1250:
        return 0xC8;
    case 1251:
        return 0xC9;
    case 1253:
        return 0xCB;
    case 932:
        return 0x7B;
    default:
        return 0x00;
    }
}
