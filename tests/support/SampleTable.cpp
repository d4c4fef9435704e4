// The sample customer table.
#include "SampleTable.h"

#include "DbfWriter.h"

#include <cstdio>
#include <vector>

namespace {

// Code page 437: e acute 0x82, u umlaut 0x81, o umlaut 0x94, n tilde 0xA4, a ring 0x86,
// A ring 0x8F, e grave 0x8A, sharp s 0xE1, e circumflex 0x88.
const std::vector<std::string> kFirstNames{"Jos\x82",
                                           "J\x81rgen",
                                           "Bj\x94rn",
                                           "Nu\xA4o",
                                           "Ana",
                                           "Ren\x82",
                                           "Mar\xA1"
                                           "a",
                                           "Fran\x87ois"};
const std::vector<std::string> kLastNames{"M\x81ller",
                                          "Ib\xA0\xA4"
                                          "ez",
                                          "Str\x94m",
                                          "Gro\xE1",
                                          "Dupont",
                                          "Andersen",
                                          "Le\xA2n",
                                          "Garc\xA1"
                                          "a"};
const std::vector<std::string> kCities{"Z\x81rich",
                                       "M\x81nchen",
                                       "Malm\x94",
                                       "A Coru\xA4"
                                       "a",
                                       "\x8Frhus",
                                       "Gen\x8Ave",
                                       "K\x94ln",
                                       "Lisboa"};
const std::vector<std::string> kNotes{
    "Prefers caf\x82 cr\x8Ame, delivered before noon.",
    "Account reviewed.\r\nCredit limit raised after the annual meeting in Malm\x94.",
    "Pays by bank transfer; invoices to the head office in Z\x81rich.",
    "Na\x8Bve question about the stra\xE1"
    "e address: see letter of 12 March."};

std::string rightAligned(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string dateOf(int record) {
    char date[16];
    std::snprintf(date, sizeof(date), "%04d%02d%02d", 1940 + record % 60, 1 + record % 12,
                  1 + record % 28);
    return date;
}

std::string balanceOf(int record) {
    char balance[16];
    std::snprintf(balance, sizeof(balance), "%12.2f", (record * 7919 % 1000000) / 100.0 - 2500.0);
    return balance;
}

std::string memoFor(FptWriter& memos, int record, int salt) {
    // Every tenth memo is blank: block 0 stands for "no memo".
    if ((record + salt) % 10 == 0)
        return memoFieldText(0, 10);
    std::string text = kNotes[static_cast<std::size_t>(record + salt) % kNotes.size()];
    if (record % 97 == 0)
        text += " " + std::string(300, '*');
    return memoFieldText(memos.addMemo(text), 10);
}

} // namespace

bool writeSampleTable(const std::string& dbfPath, int records) {
    DbfWriter table;
    table.addField("ID", 'N', 6)
        .addField("NAME", 'C', 24)
        .addField("CITY", 'C', 16)
        .addField("BORN", 'D', 8)
        .addField("ACTIVE", 'L', 1)
        .addField("BALANCE", 'N', 12, 2)
        .addField("VISITS", 'I', 4)
        .addField("NOTES", 'M', 10)
        .addField("HISTORY", 'M', 10);
    FptWriter memos(64);
    for (int record = 0; record < records; ++record) {
        const auto pick = [record](const std::vector<std::string>& list, int step) {
            return list[static_cast<std::size_t>(record * step + record / 8) % list.size()];
        };
        table.addRecord({rightAligned(std::to_string(record + 1), 6),
                         pick(kFirstNames, 1) + " " + pick(kLastNames, 3), pick(kCities, 5),
                         dateOf(record), record % 3 == 0 ? "F" : "T", balanceOf(record),
                         int32Bytes(record * 13 % 500), memoFor(memos, record, 0),
                         memoFor(memos, record, 3)},
                        record == 6); // one record marked as deleted, loaded like the others
    }
    const std::string memoPath = dbfPath.substr(0, dbfPath.size() - 3) + "FPT";
    return table.writeTo(dbfPath) && memos.writeTo(memoPath);
}
