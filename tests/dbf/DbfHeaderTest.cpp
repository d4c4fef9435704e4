// The displacement check and repair, and the search for a free working-copy name.
#include "dbf/DbfHeader.h"
#include "dbf/DbfTable.h"

#include "TempFolder.h"
#include "support/DbfWriter.h"

#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace {

std::uint32_t storedDisplacement(const ByteImage& image, int field) {
    std::size_t at = static_cast<std::size_t>(DbfWriter::descriptorOffset(field, 12));
    return static_cast<std::uint32_t>(image[at]) | static_cast<std::uint32_t>(image[at + 1]) << 8 |
           static_cast<std::uint32_t>(image[at + 2]) << 16 |
           static_cast<std::uint32_t>(image[at + 3]) << 24;
}

DbfWriter tenEightOne() {
    DbfWriter writer;
    writer.addField("NAME", 'C', 10).addField("BORN", 'D', 8).addField("OK", 'L', 1);
    writer.addRecord({"Smith", "19700101", "T"});
    return writer;
}

} // namespace

TEST(DbfHeader, ZeroDisplacementsFailTheCheckAndTheRepairWritesThemInTheCopyOnly) {
    TempFolder folder;
    DbfWriter writer = tenEightOne();
    ASSERT_TRUE(writer.writeTo(folder.path("good.dbf")));
    EXPECT_TRUE(checkDbfHeader(folder.path("good.dbf").c_str()));

    writer.setDisplacements({0, 0, 0});
    std::string source = folder.path("bad.dbf");
    std::string copy = folder.path("bad.dbf.0.tmp");
    ASSERT_TRUE(writer.writeTo(source));
    EXPECT_FALSE(checkDbfHeader(source.c_str()));
    const std::vector<DisplacementProblem> problems = findDisplacementProblems(source.c_str());
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ((std::vector<int>{problems[0].field, problems[1].field, problems[2].field}),
              (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(problems[2].stored, 0u);
    EXPECT_EQ(problems[2].expected, 19u);
    std::string reason;
    ASSERT_EQ(platform::copyFile(source, copy, reason), platform::CopyResult::Copied) << reason;
    ASSERT_TRUE(repairDbfHeader(copy.c_str()));
    EXPECT_TRUE(checkDbfHeader(copy.c_str()));

    ByteImage repaired = readFileBytes(copy);
    EXPECT_EQ(1u, storedDisplacement(repaired, 0));
    EXPECT_EQ(11u, storedDisplacement(repaired, 1));
    EXPECT_EQ(19u, storedDisplacement(repaired, 2));
    // Nothing but the displacements changed, and the source kept its zeros.
    ByteImage original = readFileBytes(source);
    ASSERT_EQ(original.size(), repaired.size());
    for (int field = 0; field < 3; ++field)
        for (int byte = 0; byte < 4; ++byte)
            repaired[static_cast<std::size_t>(DbfWriter::descriptorOffset(field, 12 + byte))] = 0;
    EXPECT_EQ(original, repaired);

    // The repaired copy reads like the sound file.
    DbfTable table;
    ASSERT_TRUE(table.open(copy.c_str(), source.c_str()));
    EXPECT_STREQ("19700101", table.field(1).text());
    EXPECT_STREQ("T", table.field(2).text());
}

TEST(DbfHeader, SlotsOfLengthZeroAreNeitherComparedNorWritten) {
    TempFolder folder;
    DbfWriter writer;
    writer.addField("A", 'C', 5).addField("GAP", 'C', 0).addField("B", 'C', 3);
    writer.setDisplacements({1, 999, 6});
    ASSERT_TRUE(writer.writeTo(folder.path("gap.dbf")));
    EXPECT_TRUE(checkDbfHeader(folder.path("gap.dbf").c_str()));

    // A wrong displacement after the gap is caught, and repaired around the gap.
    writer.setDisplacements({1, 999, 7});
    ASSERT_TRUE(writer.writeTo(folder.path("gap.dbf")));
    EXPECT_FALSE(checkDbfHeader(folder.path("gap.dbf").c_str()));
    ASSERT_TRUE(repairDbfHeader(folder.path("gap.dbf").c_str()));
    ByteImage repaired = readFileBytes(folder.path("gap.dbf"));
    EXPECT_EQ(1u, storedDisplacement(repaired, 0));
    EXPECT_EQ(999u, storedDisplacement(repaired, 1));
    EXPECT_EQ(6u, storedDisplacement(repaired, 2));
}

TEST(DbfHeader, DisplacementsBeyondSixteenBitsUseAllFourBytes) {
    TempFolder folder;
    DbfWriter writer;
    for (int i = 0; i < 258; ++i)
        writer.addField("F" + std::to_string(i), 'C', 255);
    // Field 257 starts at 1 + 257 * 255 = 65536: its low 16 bits alone would read 0.
    std::vector<std::uint32_t> truncated;
    for (int i = 0; i < 258; ++i)
        truncated.push_back(writer.computedDisplacement(i) & 0xFFFF);
    ASSERT_EQ(65536u, writer.computedDisplacement(257));
    ASSERT_TRUE(writer.writeTo(folder.path("wide.dbf")));
    EXPECT_TRUE(checkDbfHeader(folder.path("wide.dbf").c_str()));

    writer.setDisplacements(truncated);
    ASSERT_TRUE(writer.writeTo(folder.path("wide.dbf")));
    EXPECT_FALSE(checkDbfHeader(folder.path("wide.dbf").c_str()));
    ASSERT_TRUE(repairDbfHeader(folder.path("wide.dbf").c_str()));
    EXPECT_EQ(65536u, storedDisplacement(readFileBytes(folder.path("wide.dbf")), 257));
    EXPECT_TRUE(checkDbfHeader(folder.path("wide.dbf").c_str()));
}

TEST(DbfHeader, ContainerPathAfterTheTerminatorIsNeitherCheckedNorRepaired) {
    TempFolder folder;
    // Path bytes fall where slot displacements and lengths would lie after the terminator.
    std::string path = "D:\\ACCOUNTING\\DATABASES\\YEAR 2024\\LEDGER\\ACCOUNTS.DBC";
    DbfWriter writer = tenEightOne();
    writer.setContainerArea(path);
    ASSERT_TRUE(writer.writeTo(folder.path("dbc.dbf")));
    EXPECT_TRUE(checkDbfHeader(folder.path("dbc.dbf").c_str()));

    writer.setDisplacements({0, 0, 0});
    ASSERT_TRUE(writer.writeTo(folder.path("dbc.dbf")));
    EXPECT_FALSE(checkDbfHeader(folder.path("dbc.dbf").c_str()));
    ASSERT_TRUE(repairDbfHeader(folder.path("dbc.dbf").c_str()));
    ByteImage repaired = readFileBytes(folder.path("dbc.dbf"));
    std::size_t pathStart = static_cast<std::size_t>(DbfWriter::descriptorOffset(3)) + 1;
    EXPECT_EQ(path, std::string(repaired.begin() + static_cast<long>(pathStart),
                                repaired.begin() + static_cast<long>(pathStart + path.size())));
    EXPECT_EQ(19u, storedDisplacement(repaired, 2));
    EXPECT_TRUE(checkDbfHeader(folder.path("dbc.dbf").c_str()));
}

TEST(DbfHeader, FilesWithoutSlotsOrThatCannotBeOpened) {
    TempFolder folder;
    // A header length below 33 examines no slot, whatever the descriptors hold.
    DbfWriter writer = tenEightOne();
    writer.setDisplacements({0, 0, 0});
    ByteImage image = writer.image();
    image[8] = 32;
    image[9] = 0;
    ASSERT_TRUE(writeFileBytes(folder.path("short.dbf"), image));
    EXPECT_TRUE(checkDbfHeader(folder.path("short.dbf").c_str()));
    ASSERT_TRUE(repairDbfHeader(folder.path("short.dbf").c_str()));
    EXPECT_EQ(image, readFileBytes(folder.path("short.dbf")));

    // A header cut off by the end of the file: the descriptors present are still checked,
    // and the repair never writes past the end.
    ByteImage cut = writer.image();
    cut.resize(static_cast<std::size_t>(DbfWriter::descriptorOffset(1, 20)));
    ASSERT_TRUE(writeFileBytes(folder.path("cut.dbf"), cut));
    EXPECT_FALSE(checkDbfHeader(folder.path("cut.dbf").c_str()));
    ASSERT_TRUE(repairDbfHeader(folder.path("cut.dbf").c_str()));
    ByteImage repairedCut = readFileBytes(folder.path("cut.dbf"));
    EXPECT_EQ(cut.size(), repairedCut.size());
    EXPECT_EQ(11u, storedDisplacement(repairedCut, 1));

    // A tiny file has no header length to read.
    ASSERT_TRUE(writeFileBytes(folder.path("tiny.dbf"), {0x03, 0x7C}));
    EXPECT_TRUE(checkDbfHeader(folder.path("tiny.dbf").c_str()));

    // A missing file passes the check (the open reports it) but cannot be repaired.
    EXPECT_TRUE(checkDbfHeader(folder.path("missing.dbf").c_str()));
    EXPECT_FALSE(repairDbfHeader(folder.path("missing.dbf").c_str()));
}

TEST(DbfHeader, TheCopyNeverWritesThroughATakenNameAndEndsWhenAStopIsAsked) {
    TempFolder folder;
    const std::string source = folder.path("big.dbf");
    const ByteImage bytes(3 << 20, 'x'); // three chunks
    ASSERT_TRUE(writeFileBytes(source, bytes));
    std::string reason;
    // A name taken since it was found free fails the copy and keeps what it holds.
    const std::string taken = folder.path("taken");
    ASSERT_TRUE(writeFileBytes(taken, {1}));
    EXPECT_EQ(platform::copyFile(source, taken, reason), platform::CopyResult::Failed);
    EXPECT_EQ(readFileBytes(taken), ByteImage{1});
#if !defined(_WIN32)
    EXPECT_EQ(reason, "File exists");
    // A link planted under the name in a shared folder leads the copy nowhere.
    std::filesystem::create_symlink(folder.path("target"), folder.path("link"));
    EXPECT_EQ(platform::copyFile(source, folder.path("link"), reason),
              platform::CopyResult::Failed);
    EXPECT_FALSE(std::filesystem::exists(folder.path("target")));
#endif
    // A stop asked for during the copy ends it and leaves no part of it.
    int asked = 0;
    EXPECT_EQ(
        platform::copyFile(source, folder.path("stopped"), reason, [&] { return ++asked == 2; }),
        platform::CopyResult::Stopped);
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(std::filesystem::exists(folder.path("stopped")));
    // Every failure gives the system's reason.
    EXPECT_EQ(platform::copyFile(folder.path("missing"), folder.path("copy"), reason),
              platform::CopyResult::Failed);
#if defined(_WIN32)
    EXPECT_EQ(reason, "File not found");
#else
    EXPECT_EQ(reason, "No such file or directory");
#endif
    EXPECT_EQ(platform::copyFile(source, folder.path("copy"), reason, [] { return false; }),
              platform::CopyResult::Copied);
    EXPECT_EQ(readFileBytes(folder.path("copy")), bytes);
}

TEST(DbfHeader, WorkingCopyNameSkipsExistingCopies) {
    TempFolder folder;
    EXPECT_EQ("C:\\data\\clients.dbf.0.tmp", workingCopyName("C:\\data\\clients.dbf", 0));
    EXPECT_EQ("clients.dbf.10001.tmp", workingCopyName("clients.dbf", 10001));

    std::string file = folder.path("clients.dbf");
    ASSERT_TRUE(writeFileBytes(file + ".0.tmp", {1}));
    // Only an exact name counts.
    ASSERT_TRUE(writeFileBytes(file + ".1.tmp.bak", {1}));
    ASSERT_TRUE(writeFileBytes(file + ".01.tmp", {1}));
    std::vector<std::pair<std::string, bool>> tried;
    auto name = findFreeWorkingCopyName(file, [&](const std::string& candidate, bool exists) {
        tried.emplace_back(candidate, exists);
    });
    ASSERT_TRUE(name.has_value());
    EXPECT_EQ(file + ".1.tmp", *name);
    std::vector<std::pair<std::string, bool>> expected = {{file + ".0.tmp", true},
                                                          {file + ".1.tmp", false}};
    EXPECT_EQ(expected, tried);
}

TEST(DbfHeader, WorkingCopyNameGivesUpAfterCounter10001) {
    TempFolder folder;
    std::string file = folder.path("full.dbf");
    for (int counter = 0; counter <= 10001; ++counter)
        ASSERT_TRUE(writeFileBytes(workingCopyName(file, counter), {}));
    int calls = 0;
    std::string last;
    auto name = findFreeWorkingCopyName(file, [&](const std::string& candidate, bool exists) {
        ++calls;
        last = candidate;
        EXPECT_TRUE(exists);
    });
    EXPECT_FALSE(name.has_value());
    EXPECT_EQ(10002, calls);
    EXPECT_EQ(file + ".10001.tmp", last);

    // One gap at the very end is still found.
    ASSERT_TRUE(platform::deleteFile(file + ".10001.tmp"));
    EXPECT_EQ(file + ".10001.tmp", findFreeWorkingCopyName(file, nullptr));
}
