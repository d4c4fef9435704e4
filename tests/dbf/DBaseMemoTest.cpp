// dBase memo files: the tables Debian's python3-dbf writes (dBase III and Clipper), hand-made
// dBase III and IV blocks with their damaged cases, and the memo file found in any case of its
// extension, of the kind the version byte names or else the other.
#include "dbf/DbfTable.h"

#include "TableTexts.h"
#include "TempFolder.h"
#include "support/DbfWriter.h"
#include "support/DbtWriter.h"
#include "support/ForeignTables.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr std::uint8_t kDBase3WithMemo = 0x83;
constexpr std::uint8_t kDBase4WithMemo = 0x8B;

std::string padded(const std::string& text, std::size_t width) {
    return text + std::string(width - text.size(), ' ');
}

const std::string kNoMemo(1998, ' ');

// The memo texts of field 0, record by record.
std::vector<std::string> memoTexts(const std::string& path) {
    std::vector<std::string> texts;
    for (const auto& row : tableTexts(path))
        texts.push_back(row.at(0));
    return texts;
}

// A one-field memo table whose records point at these blocks (0: no memo).
DbfWriter memoTable(std::uint8_t version, const std::vector<std::uint32_t>& blocks) {
    DbfWriter table;
    table.setVersionByte(version).addField("NOTES", 'M', 10);
    for (std::uint32_t block : blocks)
        table.addRecord({block == 0 ? std::string() : memoFieldText(block, 10)});
    return table;
}

} // namespace

TEST(DBaseMemo, TablesPythonDbfWroteForDBase3AndClipperInEitherCaseOfTheExtension) {
    // Code page 437: ü 81, ß E1, ö 94, á A0, é 82, ñ A4.
    std::string long3000;
    for (int line = 0; line < 120; ++line) {
        char text[32];
        std::snprintf(text, sizeof text, "line %03d of a long memo\r\n", line);
        long3000 += text;
    }
    std::string accents;
    for (int word = 0; word < 120; ++word)
        accents += "\xA0"
                   "bcd\x82 ";
    const TableRows expected{
        {padded("M\x81ller", 20), "   12.50",
         padded("Delivered on Monday.\r\nSigned by the porter.", 1999)},
        {padded("Ib\xA0\xA4"
                "ez",
                20),
         "   -3.25", std::string(1999, ' ')},
        {padded("Str\x94m", 20), "    0.00",
         padded("Gr\x81\xE1"
                "e aus K\x94ln: " +
                    accents,
                1999)},
        {padded("Long", 20), " 1000.00", long3000.substr(0, 1998) + " "},
        {padded("Last", 20), "        ", padded("x", 1999)},
    };
    TempFolder folder;
    for (const auto& [table, memo] :
         {std::pair<std::string, std::string>{"dbase3", "dbt"}, {"clipper", "DBT"}}) {
        SCOPED_TRACE(table);
        const std::string path = foreignTablePath(table + ".dbf");
        DbfTable reader;
        ASSERT_TRUE(reader.open(path.c_str())) << "run the test from its build folder";
        EXPECT_EQ(reader.memoFile().kind(), MemoKind::Dbt);
        EXPECT_EQ(reader.memoFile().layout(), MemoFile::Layout::DBase3);
        EXPECT_EQ(reader.memoFile().blockSize(), 512u);
        reader.close();
        EXPECT_EQ(tableTexts(path), expected);

        // The same files with the extension in the other case, and in a mixed one.
        for (const std::string& renamed :
             {std::string(memo == "dbt" ? "DBT" : "dbt"), std::string("Dbt")}) {
            const std::string copy = folder.path(table + ".dbf");
            std::filesystem::copy_file(path, copy,
                                       std::filesystem::copy_options::overwrite_existing);
            std::filesystem::remove(folder.path(table + ".DBT"));
            std::filesystem::remove(folder.path(table + ".dbt"));
            std::filesystem::remove(folder.path(table + ".Dbt"));
            std::filesystem::copy_file(foreignTablePath(table + "." + memo),
                                       folder.path(table + "." + renamed));
            EXPECT_EQ(tableTexts(copy), expected) << renamed;
        }
    }
}

TEST(DBaseMemo, DBase3TextRunsToItsEndMarkOrTheEndOfTheFile) {
    TempFolder folder;
    DbtWriter memos = DbtWriter::dBase3();
    std::string spanning(1500, 's');
    spanning += std::string(1000, 't'); // over five blocks, cut at 1998
    const std::uint32_t shortBlock = memos.addMemo("first\r\nsecond");
    const std::uint32_t spanningBlock = memos.addMemo(spanning);
    const std::uint32_t zeroBlock = memos.addMemo(std::string("ab\0cd", 5));
    const std::uint32_t emptyBlock = memos.addMemo("");
    const std::uint32_t lastBlock = memos.addPlainText("no end mark");
    const std::uint32_t pastEnd = lastBlock + 1;
    ASSERT_TRUE(memos.writeTo(folder.path("notes.dbt")));
    ASSERT_TRUE(memoTable(kDBase3WithMemo,
                          {shortBlock, spanningBlock, zeroBlock, emptyBlock, lastBlock, 0, pastEnd})
                    .writeTo(folder.path("notes.dbf")));

    std::vector<std::string> texts = memoTexts(folder.path("notes.dbf"));
    ASSERT_EQ(texts.size(), 7u);
    EXPECT_EQ(texts[0], padded("first\r\nsecond", 1999));
    EXPECT_EQ(texts[1], spanning.substr(0, 1998) + " ");
    // A zero byte ends the text as in an FPT memo; the blanks keep their place.
    EXPECT_EQ(texts[2], "ab");
    EXPECT_EQ(texts[3], std::string(1999, ' '));
    EXPECT_EQ(texts[4], padded("no end mark", 1999));
    EXPECT_EQ(texts[5], kNoMemo);
    EXPECT_EQ(texts[6], kNoMemo);
}

TEST(DBaseMemo, DBase4BlocksCarryTheirLengthAndBlocksWithoutTheMarkReadAsDBase3) {
    TempFolder folder;
    DbtWriter memos = DbtWriter::dBase4(64);
    const std::string withEndByte = std::string("kept \x1A inside", 13);
    const std::uint32_t shortBlock = memos.addMemo("dBase IV memo");
    const std::uint32_t endByteBlock = memos.addMemo(withEndByte);
    const std::uint32_t longBlock = memos.addMemo(std::string(2500, 'L'));
    const std::uint32_t plainBlock = memos.addPlainText("written by dBase III\x1A\x1A");
    const std::uint32_t emptyBlock = memos.addMemo("");
    // Damaged: a length below the block's own 8 bytes, one past the end of the file.
    const std::uint32_t tinyBlock = memos.addMarkedMemo("abc", 7);
    const std::uint32_t cutBlock = memos.addMarkedMemo("cut short", 500);
    ASSERT_TRUE(memos.writeTo(folder.path("notes.DBT")));
    ASSERT_TRUE(memoTable(kDBase4WithMemo, {shortBlock, endByteBlock, longBlock, plainBlock,
                                            emptyBlock, tinyBlock, cutBlock, 1})
                    .writeTo(folder.path("notes.DBF")));

    DbfTable table;
    ASSERT_TRUE(table.open(folder.path("notes.DBF").c_str()));
    EXPECT_EQ(table.memoFile().layout(), MemoFile::Layout::DBase4);
    EXPECT_EQ(table.memoFile().blockSize(), 64u);
    table.close();
    EXPECT_EQ(memoTexts(folder.path("notes.DBF")),
              (std::vector<std::string>{padded("dBase IV memo", 1999), padded(withEndByte, 1999),
                                        std::string(1998, 'L') + " ",
                                        padded("written by dBase III", 1999),
                                        std::string(1999, ' '), kNoMemo, kNoMemo,
                                        // Block 1 lies inside the file's header: no mark, so dBase
                                        // III text, which the zero bytes there end at once.
                                        ""}));

    // A block size of 0 stands for dBase III's 512.
    DbtWriter oldSize = DbtWriter::dBase4(0);
    const std::uint32_t block = oldSize.addMemo("in a block of 512");
    ASSERT_EQ(block, 1u);
    ASSERT_TRUE(oldSize.writeTo(folder.path("old.dbt")));
    ASSERT_TRUE(memoTable(kDBase4WithMemo, {block}).writeTo(folder.path("old.dbf")));
    EXPECT_EQ(memoTexts(folder.path("old.dbf")),
              std::vector<std::string>{padded("in a block of 512", 1999)});

    // A dBase IV memo file too short to hold its block size holds no memo.
    ByteImage shortHeader = oldSize.image();
    shortHeader.resize(21);
    ASSERT_TRUE(writeFileBytes(folder.path("old.dbt"), shortHeader));
    ASSERT_TRUE(table.open(folder.path("old.dbf").c_str()));
    EXPECT_EQ(table.memoFile().state(), MemoFile::State::TooShort);
    EXPECT_EQ(std::string(table.field(0).text()), kNoMemo);
}

TEST(DBaseMemo, TheMemoFileIsFoundInAnyCaseAndOfTheOtherKindWhenItsOwnIsMissing) {
    TempFolder folder;
    // Blocks of 512 in both files, so that one pointer names the memo of either.
    FptWriter fpt(512);
    DbtWriter dbt = DbtWriter::dBase3();
    const std::uint32_t block = fpt.addMemo("from the FPT");
    ASSERT_EQ(dbt.addMemo("from the DBT"), block);
    const std::string fromFpt = padded("from the FPT", 1999);
    const std::string fromDbt = padded("from the DBT", 1999);
    const auto clear = [&] {
        for (const char* name : {"t.fpt", "t.FPT", "t.Fpt", "t.dbt", "t.DBT", "t.dBt"})
            std::filesystem::remove(folder.path(name));
    };
    struct Case {
        std::uint8_t version;
        const char* fptName; // nullptr: none
        const char* dbtName;
        std::string expected;
    };
    const Case cases[] = {
        // Each kind beside its own table, in any case.
        {kDBase3WithMemo, nullptr, "t.dBt", fromDbt},
        {0xF5, "t.Fpt", nullptr, fromFpt},
        // Both present: the version byte decides.
        {kDBase3WithMemo, "t.fpt", "t.dbt", fromDbt},
        {0x30, "t.FPT", "t.DBT", fromFpt},
        // Only the other kind: it is read in its own layout.
        {kDBase4WithMemo, "t.fpt", nullptr, fromFpt},
        {0xF5, nullptr, "t.DBT", fromDbt},
    };
    for (const Case& test : cases) {
        clear();
        SCOPED_TRACE(std::to_string(test.version) + " " + (test.fptName ? test.fptName : "-") +
                     " " + (test.dbtName ? test.dbtName : "-"));
        if (test.fptName != nullptr) {
            ASSERT_TRUE(fpt.writeTo(folder.path(test.fptName)));
        }
        if (test.dbtName != nullptr) {
            ASSERT_TRUE(dbt.writeTo(folder.path(test.dbtName)));
        }
        ASSERT_TRUE(memoTable(test.version, {block}).writeTo(folder.path("t.dbf")));
        EXPECT_EQ(memoTexts(folder.path("t.dbf")), std::vector<std::string>{test.expected});
    }

    // None found: no failure, blanks, and the name looked for in the case of the table's.
    clear();
    ASSERT_TRUE(memoTable(kDBase4WithMemo, {block}).writeTo(folder.path("t.dbf")));
    DbfTable table;
    ASSERT_TRUE(table.open(folder.path("t.dbf").c_str()));
    EXPECT_EQ(std::string(table.field(0).text()), kNoMemo);
    EXPECT_EQ(table.memoFile().state(), MemoFile::State::NotFound);
    EXPECT_EQ(table.memoFile().name(), folder.path("t.dbt"));
    EXPECT_EQ(table.memoFile().problemText(),
              "Cannot find memo file " + folder.path("t.dbt") +
                  ". The table's memos are kept in it: copy it beside the table.");
    table.close();
    ASSERT_TRUE(memoTable(0xF5, {1}).writeTo(folder.path("U.DBF")));
    ASSERT_TRUE(table.open(folder.path("U.DBF").c_str()));
    EXPECT_EQ(table.memoFile().name(), folder.path("U.FPT"));

    // A memo file that cannot be mapped (empty) is found but not open.
    ASSERT_TRUE(writeFileBytes(folder.path("t.DBT"), {}));
    ASSERT_TRUE(table.open(folder.path("t.dbf").c_str()));
    EXPECT_EQ(table.memoFile().state(), MemoFile::State::CannotOpen);
    EXPECT_EQ(table.memoFile().problemText(),
              "Cannot open memo file " + folder.path("t.DBT") +
                  ". Check that file is not empty and not used by any applications.");
}

TEST(DBaseMemo, MemoPointersAreFoundInAnyRecordWhateverTheCurrentOne) {
    TempFolder folder;
    DbfWriter blank;
    blank.setVersionByte(kDBase3WithMemo).addField("NAME", 'C', 4).addField("NOTES", 'M', 10);
    int record = 0;
    for (const char* pointer : {"", "         0", "        -3", "  nothing "})
        blank.addRecord({"r" + std::to_string(record++), pointer});
    ASSERT_TRUE(blank.writeTo(folder.path("blank.dbf")));
    DbfTable table;
    ASSERT_TRUE(table.open(folder.path("blank.dbf").c_str()));
    EXPECT_FALSE(table.holdsMemoPointer());

    // One pointer in the last record; the record selected before stays selected.
    DbfWriter pointing = blank;
    pointing.addRecord({"last", "        12"});
    ASSERT_TRUE(pointing.writeTo(folder.path("pointing.dbf")));
    ASSERT_TRUE(table.open(folder.path("pointing.dbf").c_str()));
    ASSERT_TRUE(table.selectRecord(3));
    EXPECT_TRUE(table.holdsMemoPointer());
    EXPECT_STREQ(table.field(0).text(), "r3  ");

    // A pointer in a field that is not a memo field counts for nothing.
    DbfWriter text;
    text.setVersionByte(kDBase3WithMemo).addField("CODE", 'C', 10).addRecord({"        12"});
    ASSERT_TRUE(text.writeTo(folder.path("text.dbf")));
    ASSERT_TRUE(table.open(folder.path("text.dbf").c_str()));
    EXPECT_FALSE(table.holdsMemoPointer());

    // A Visual FoxPro memo whose value is NULL points nowhere, whatever its bytes say.
    DbfWriter nullMemo;
    nullMemo.addField("NOTES", 'M', 4, 0, 0x02).addField("_NullFlags", '0', 1, 0, 0x05);
    nullMemo.setContainerArea("").addRecord({uint32Bytes(9), std::string(1, '\x01')});
    ASSERT_TRUE(nullMemo.writeTo(folder.path("null.dbf")));
    ASSERT_TRUE(table.open(folder.path("null.dbf").c_str()));
    EXPECT_FALSE(table.holdsMemoPointer());
}

namespace {

// What a table with one memo field pointing at `block` reads from the memo file `image`: the
// default load's text, and the typed load's whole memo.
struct MemoRead {
    std::string text;
    DbfFieldValue::Memo whole = DbfFieldValue::Memo::None;
    std::string wholeBytes;
};

MemoRead readMemo(std::uint8_t version, const std::string& memoName, const ByteImage& image,
                  std::uint32_t block) {
    TempFolder folder;
    MemoRead read;
    DbfWriter table;
    table.setVersionByte(version).addField("NOTES", 'M', 10);
    table.addRecord({memoFieldText(block, 10)});
    if (!table.writeTo(folder.path("t.dbf")) || !writeFileBytes(folder.path(memoName), image))
        return read;
    DbfTable reader;
    if (!reader.open(folder.path("t.dbf").c_str()) || !reader.selectRecord(0))
        return read;
    read.text = reader.field(0).text();
    const unsigned char* bytes = nullptr;
    std::size_t length = 0;
    read.whole = reader.field(0).wholeMemo(bytes, length);
    if (read.whole == DbfFieldValue::Memo::Found)
        read.wholeBytes.assign(reinterpret_cast<const char*>(bytes), length);
    return read;
}

void expectMemo(const MemoRead& read, const std::string& memo) {
    EXPECT_EQ(read.text, padded(memo, 1999));
    EXPECT_EQ(read.whole, DbfFieldValue::Memo::Found);
    EXPECT_EQ(read.wholeBytes, memo);
}

void expectDamaged(const MemoRead& read) {
    EXPECT_EQ(read.text, kNoMemo);
    EXPECT_EQ(read.whole, DbfFieldValue::Memo::Damaged);
}

} // namespace

TEST(DBaseMemo, MemosAtTheEndsOfTheirFilesAndBlocksOfTheSizeTheHeaderGives) {
    const std::string memo = "the last memo of the file";
    const std::size_t memoEnd = 8 + memo.size(); // behind a block's 8 bytes of type and length
    // A memo whose last byte is the file's last byte is whole; one byte fewer and its stored
    // length reaches past the end: damaged, never a text read beyond the file.
    {
        SCOPED_TRACE("FPT");
        FptWriter fpt(64);
        fpt.addMemo("first");
        const std::uint32_t block = fpt.addMemo(memo);
        ByteImage image = fpt.image();
        image.resize(block * 64 + memoEnd);
        expectMemo(readMemo(0xF5, "t.fpt", image, block), memo);
        image.pop_back();
        expectDamaged(readMemo(0xF5, "t.fpt", image, block));
    }
    {
        SCOPED_TRACE("dBase IV");
        DbtWriter dbt = DbtWriter::dBase4(64);
        dbt.addMemo("first");
        const std::uint32_t block = dbt.addMemo(memo);
        ByteImage image = dbt.image();
        image.resize(block * 64 + memoEnd);
        expectMemo(readMemo(kDBase4WithMemo, "t.dbt", image, block), memo);
        image.pop_back();
        expectDamaged(readMemo(kDBase4WithMemo, "t.dbt", image, block));
    }

    // A file that is only its header holds no memo: a pointer to the first block after it
    // points past the end.
    expectDamaged(readMemo(0xF5, "t.fpt", FptWriter(64).image(), 512 / 64));
    expectDamaged(readMemo(kDBase3WithMemo, "t.dbt", DbtWriter::dBase3().image(), 1));
    expectDamaged(readMemo(kDBase4WithMemo, "t.dbt", DbtWriter::dBase4(64).image(), 512 / 64));
    // Nor does the shortest dBase IV header that still says its block size.
    ByteImage shortest = DbtWriter::dBase4(64).image();
    shortest.resize(22);
    expectDamaged(readMemo(kDBase4WithMemo, "t.dbt", shortest, 1));

    // A dBase IV block's length counts the block's own 8 bytes: 8 is an empty memo, and 7
    // cannot be.
    DbtWriter lengths = DbtWriter::dBase4(32);
    const std::uint32_t emptyBlock = lengths.addMarkedMemo("", 8);
    const std::uint32_t shortBlock = lengths.addMarkedMemo("", 7);
    const std::uint32_t oneBlock = lengths.addMarkedMemo("xyz", 9);
    const MemoRead empty = readMemo(kDBase4WithMemo, "t.dbt", lengths.image(), emptyBlock);
    EXPECT_EQ(empty.whole, DbfFieldValue::Memo::Found);
    EXPECT_EQ(empty.wholeBytes, "");
    expectDamaged(readMemo(kDBase4WithMemo, "t.dbt", lengths.image(), shortBlock));
    expectMemo(readMemo(kDBase4WithMemo, "t.dbt", lengths.image(), oneBlock), "x");

    // The block size is the header's, whatever it is: a memo's offset is its block number
    // times that size.
    for (std::uint16_t size : {1, 33, 512, 16384}) {
        SCOPED_TRACE("FPT blocks of " + std::to_string(size));
        FptWriter fpt(size);
        fpt.addMemo(std::string(100, 'a'));
        const std::uint32_t block = fpt.addMemo(memo);
        fpt.addMemo(std::string(100, 'z'));
        expectMemo(readMemo(0x30, "t.FPT", fpt.image(), block), memo);
    }
    for (std::uint16_t size : {32, 1024}) {
        SCOPED_TRACE("dBase IV blocks of " + std::to_string(size));
        DbtWriter dbt = DbtWriter::dBase4(size);
        dbt.addMemo(std::string(100, 'a'));
        const std::uint32_t block = dbt.addMemo(memo);
        dbt.addMemo(std::string(100, 'z'));
        expectMemo(readMemo(kDBase4WithMemo, "t.DBT", dbt.image(), block), memo);
    }
}
