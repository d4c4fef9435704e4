// The table reader's open, header questions and record selection, on sound and damaged files.
#include "dbf/DbfTable.h"

#include "TempFolder.h"
#include "support/DbfWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

namespace {

std::string nameOf(const DbfTable& table, int index) {
    char name[12];
    std::memset(name, 0, sizeof name);
    name[10] = 'x'; // must survive: the reader writes ten bytes only
    EXPECT_TRUE(table.fieldName(index, name));
    EXPECT_EQ('x', name[10]);
    name[10] = '\0';
    return name;
}

DbfWriter everyTypeTable() {
    DbfWriter writer;
    writer.addField("CUSTOMERID", 'C', 10)
        .addField("PRICE", 'N', 8, 2)
        .addField("SOLD", 'D', 8)
        .addField("PAID", 'L', 1)
        .addField("QTY", 'I', 4)
        .addField("WEIGHT", 'B', 8, 3)
        .addField("NOTES", 'M', 10)
        .addField("PICTURE", 'G', 10);
    return writer;
}

} // namespace

TEST(DbfTable, AnswersHeaderQuestionsForEveryFieldType) {
    TempFolder folder;
    DbfWriter writer = everyTypeTable();
    writer.addRecord({"A1", "   12.50", "20240615", "T", int32Bytes(3), doubleBytes(1.5)});
    writer.addRecord({"B2", "    3.00", "20240616", "F", int32Bytes(4), doubleBytes(2.5)});
    ASSERT_TRUE(writer.writeTo(folder.path("sales.dbf")));

    DbfTable table;
    ASSERT_TRUE(table.open(folder.path("sales.dbf").c_str()));
    EXPECT_TRUE(table.isOpen());
    EXPECT_EQ(2, table.recordCount());
    EXPECT_EQ(8, table.fieldCount());
    EXPECT_EQ("CUSTOMERID", nameOf(table, 0));
    EXPECT_EQ("NOTES", nameOf(table, 6));
    const int widths[] = {10, 8, 8, 1, 12, 24, 1998, 10};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(widths[i], table.fieldWidth(i)) << "field " << i;
    EXPECT_EQ(10 + 8 + 8 + 1 + 12 + 24 + 1998 + 10, table.recordWidth());

    // Indexes that name no field answer nothing rather than reading past the descriptors.
    char name[11] = {};
    EXPECT_FALSE(table.fieldName(8, name));
    EXPECT_FALSE(table.fieldName(-1, name));
    EXPECT_EQ(0, table.fieldWidth(8));
    EXPECT_STREQ("", table.field(8).text());
    EXPECT_STREQ("", table.field(-1).text());
    EXPECT_STREQ("", DbfFieldValue().text());
    EXPECT_FALSE(table.field(8).isMemo());
    EXPECT_FALSE(table.field(8).memoIsDamaged());
    EXPECT_FALSE(DbfFieldValue().memoIsDamaged());
}

TEST(DbfTable, SelectsRecordsWithinTheCountOnly) {
    TempFolder folder;
    DbfWriter writer;
    writer.addField("NAME", 'C', 5);
    writer.addRecord({"first"}).addRecord({"gone"}, true).addRecord({"third"});
    ASSERT_TRUE(writer.writeTo(folder.path("t.dbf")));

    DbfTable table;
    ASSERT_TRUE(table.open(folder.path("t.dbf").c_str()));
    DbfFieldValue name = table.field(0);
    EXPECT_STREQ("first", name.text()); // record 0 is current after open
    // A record marked as deleted is read like any other.
    ASSERT_TRUE(table.selectRecord(1));
    EXPECT_STREQ("gone ", name.text());
    EXPECT_FALSE(table.selectRecord(-1));
    EXPECT_FALSE(table.selectRecord(3));
    EXPECT_STREQ("gone ", name.text());
    ASSERT_TRUE(table.selectRecord(2));
    EXPECT_STREQ("third", name.text());

    // Closing returns to record 0 and answers nothing; closing again does nothing.
    table.close();
    table.close();
    EXPECT_FALSE(table.isOpen());
    EXPECT_EQ(0, table.recordCount());
    EXPECT_EQ(0, table.fieldCount());
    EXPECT_FALSE(table.selectRecord(0));
    EXPECT_STREQ("", name.text());
    ASSERT_TRUE(table.open(folder.path("t.dbf").c_str()));
    EXPECT_STREQ("first", name.text());
}

TEST(DbfTable, TableWithoutRecords) {
    TempFolder folder;
    DbfWriter writer;
    writer.addField("NAME", 'C', 5).addField("QTY", 'I', 4);
    ASSERT_TRUE(writer.writeTo(folder.path("empty.dbf")));
    DbfTable table;
    ASSERT_TRUE(table.open(folder.path("empty.dbf").c_str()));
    EXPECT_EQ(0, table.recordCount());
    EXPECT_EQ(2, table.fieldCount());
    EXPECT_FALSE(table.selectRecord(0));
    // Record 0 would start at the end-of-file byte: its values lie outside the file.
    EXPECT_STREQ("", table.field(0).text());
    EXPECT_STREQ("", table.field(1).text());
}

TEST(DbfTable, RefusesFilesItCannotMapOrWhoseHeaderLiesBeyondTheEnd) {
    TempFolder folder;
    DbfTable table;
    EXPECT_FALSE(table.open(folder.path("missing.dbf").c_str()));
    EXPECT_FALSE(table.open(nullptr));

    ASSERT_TRUE(writeFileBytes(folder.path("zero.dbf"), {}));
    EXPECT_FALSE(table.open(folder.path("zero.dbf").c_str()));

    DbfWriter writer;
    writer.addField("NAME", 'C', 5).addRecord({"abc"});
    ByteImage image = writer.image();
    ASSERT_TRUE(
        writeFileBytes(folder.path("short.dbf"), ByteImage(image.begin(), image.begin() + 31)));
    EXPECT_FALSE(table.open(folder.path("short.dbf").c_str()));

    ByteImage longHeader = image;
    longHeader[8] = static_cast<unsigned char>(image.size() + 1);
    longHeader[9] = 0;
    ASSERT_TRUE(writeFileBytes(folder.path("long.dbf"), longHeader));
    EXPECT_FALSE(table.open(folder.path("long.dbf").c_str()));
    EXPECT_FALSE(table.isOpen());
    EXPECT_EQ(0, table.fieldCount());

    // Another program writing the file holds it: Windows refuses to map it meanwhile.
    ASSERT_TRUE(writer.writeTo(folder.path("busy.dbf")));
    {
        std::ofstream writing(folder.path("busy.dbf"), std::ios::binary | std::ios::app);
        ASSERT_TRUE(writing.is_open());
#ifdef _WIN32
        EXPECT_FALSE(table.open(folder.path("busy.dbf").c_str()));
#endif
    }
    table.close();

    // A header ending exactly at the end of the file is a table without records.
    ByteImage exact = writer.image();
    exact.resize(static_cast<std::size_t>(writer.headerLength()));
    ASSERT_TRUE(writeFileBytes(folder.path("exact.dbf"), exact));
    ASSERT_TRUE(table.open(folder.path("exact.dbf").c_str()));
    EXPECT_EQ(0, table.recordCount());
}

TEST(DbfTable, CountsOnlyTheRecordsTheFileHolds) {
    TempFolder folder;
    DbfWriter writer;
    writer.addField("NAME", 'C', 6).addField("CODE", 'C', 3);
    for (int i = 0; i < 5; ++i)
        writer.addRecord({"row" + std::to_string(i), "c" + std::to_string(i)});
    ByteImage image = writer.image();

    // Cut in the middle of record 3: records 0 to 2 load, the partial one does not.
    ByteImage truncated(image.begin(), image.begin() + writer.headerLength() + 3 * 10 + 4);
    ASSERT_TRUE(writeFileBytes(folder.path("cut.dbf"), truncated));
    DbfTable table;
    ASSERT_TRUE(table.open(folder.path("cut.dbf").c_str()));
    EXPECT_EQ(3, table.recordCount());
    ASSERT_TRUE(table.selectRecord(2));
    EXPECT_STREQ("row2  ", table.field(0).text());
    EXPECT_FALSE(table.selectRecord(3));

    // A count beyond any int is held to the records present.
    writer.setRecordCount(0xFFFFFFFFu);
    ASSERT_TRUE(writer.writeTo(folder.path("huge.dbf")));
    ASSERT_TRUE(table.open(folder.path("huge.dbf").c_str()));
    EXPECT_EQ(5, table.recordCount());

    // A record length of zero cannot hold even the deletion flag.
    writer.setRecordCount(5);
    image = writer.image();
    image[10] = 0;
    image[11] = 0;
    ASSERT_TRUE(writeFileBytes(folder.path("flat.dbf"), image));
    ASSERT_TRUE(table.open(folder.path("flat.dbf").c_str()));
    EXPECT_EQ(0, table.recordCount());
}

TEST(DbfTable, ValueOutsideTheFileReadsAsEmptyText) {
    TempFolder folder;
    DbfWriter writer;
    writer.addField("NAME", 'C', 5).addField("QTY", 'I', 4).addField("W", 'B', 8, 1);
    writer.addField("NOTES", 'M', 10);
    writer.addRecord({"abcde", int32Bytes(7), doubleBytes(1.0), memoFieldText(8, 10)});
    // Displacements that point far past the one record.
    writer.setDisplacements({60000, 60000, 60000, 60000});
    ASSERT_TRUE(writer.writeTo(folder.path("far.dbf")));
    FptWriter memos;
    ASSERT_EQ(8u, memos.addMemo("a memo"));
    ASSERT_TRUE(memos.writeTo(folder.path("far.FPT")));

    DbfTable table;
    ASSERT_TRUE(table.open(folder.path("far.dbf").c_str()));
    EXPECT_STREQ("", table.field(0).text());
    EXPECT_STREQ("", table.field(1).text());
    EXPECT_STREQ("", table.field(2).text());
    EXPECT_EQ(std::string(1998, ' '), table.field(3).text());

    // The last field of the last record may end exactly at the end of the file.
    ByteImage image = DbfWriter().addField("NAME", 'C', 5).addRecord({"edges"}).image();
    image.pop_back(); // no end-of-file byte
    ASSERT_TRUE(writeFileBytes(folder.path("edge.dbf"), image));
    ASSERT_TRUE(table.open(folder.path("edge.dbf").c_str()));
    EXPECT_STREQ("edges", table.field(0).text());
}

TEST(DbfTable, FieldsEndAtTheTerminator) {
    TempFolder folder;
    DbfWriter plain;
    plain.addField("A", 'C', 2).addField("B", 'C', 2).addField("C", 'C', 2);
    plain.addField("D", 'C', 2).addField("E", 'C', 2);
    plain.addRecord({"a1", "b1", "c1", "d1", "e1"});
    ASSERT_EQ(32 + 32 * 5 + 1, plain.headerLength());
    ASSERT_TRUE(plain.writeTo(folder.path("plain.dbf")));

    // Visual FoxPro's area after the terminator, empty and holding a long container path:
    // its bytes at slot positions must not become fields.
    DbfWriter freeTable = plain;
    freeTable.setContainerArea("");
    ASSERT_TRUE(freeTable.writeTo(folder.path("free.dbf")));
    DbfWriter inDatabase = plain;
    inDatabase.setContainerArea("D:\\ACCOUNTING\\DATABASES\\YEAR 2024\\LEDGER\\ACCOUNTS.DBC");
    ASSERT_TRUE(inDatabase.writeTo(folder.path("dbc.dbf")));

    for (const char* name : {"plain.dbf", "free.dbf", "dbc.dbf"}) {
        DbfTable table;
        ASSERT_TRUE(table.open(folder.path(name).c_str())) << name;
        EXPECT_EQ(5, table.fieldCount()) << name;
        EXPECT_EQ(10, table.recordWidth()) << name;
        EXPECT_STREQ("e1", table.field(4).text()) << name;
    }
}
