// The language driver table held against an independent one: Debian's python3-dbf, listed
// at build time into files/python-dbf-code-pages.txt.
#include "dbf/LanguageDriver.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

TEST(LanguageDriver, AgreesWithAnIndependentTable) {
    std::ifstream list("files/python-dbf-code-pages.txt");
    std::map<int, unsigned> theirs;
    int id = 0;
    unsigned codePage = 0;
    while (list >> id >> codePage)
        theirs[id] = codePage;
    ASSERT_GE(theirs.size(), 50u) << "python3-dbf's table was not listed: run scripts/setup";
    for (const auto& [driver, expected] : theirs)
        EXPECT_EQ(expected, codePageOfLanguageDriver(static_cast<std::uint8_t>(driver)))
            << "language driver " << driver;

    // Ours knows a few more, from the dBase and Visual FoxPro lists, and no others.
    std::map<int, unsigned> onlyOurs;
    for (int driver = 0; driver < 256; ++driver) {
        const unsigned ours = codePageOfLanguageDriver(static_cast<std::uint8_t>(driver));
        if (ours != 0 && theirs.count(driver) == 0)
            onlyOurs[driver] = ours;
    }
    EXPECT_EQ(onlyOurs, (std::map<int, unsigned>{
                            {0x6C, 863}, {0x86, 737}, {0x87, 852}, {0x88, 857}, {0xCC, 1257}}));
    // The file does not say; Kamenicky and Mazovia, which Windows cannot convert; UTF-8.
    for (int unnamed : {0x00, 0x68, 0x69, 0xF0})
        EXPECT_EQ(0u, codePageOfLanguageDriver(static_cast<std::uint8_t>(unnamed))) << unnamed;
}
