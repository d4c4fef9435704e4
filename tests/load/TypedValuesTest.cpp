// How a typed load binds its columns: LOB columns last, each other typed column in its own
// form.
#include "load/TypedValues.h"
#include "load/BatchBuffers.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

TEST(TypedValues, LobColumnsAreBoundLastAndTypedColumnsWithTheirOwnForms) {
    const std::unique_ptr<TextConverter> converter = TextConverter::forCodePage(1252);
    ASSERT_TRUE(converter);
    std::vector<Column> columns(6);
    columns[0].type = ColumnType{ColumnKind::Clob};
    columns[1].width = 10;
    columns[2].type = ColumnType{ColumnKind::MemoBlob};
    columns[3].type = ColumnType{ColumnKind::Date};
    columns[4].type = ColumnType{ColumnKind::RecordBlob};
    columns[4].width = 6;
    columns[5].type = ColumnType{ColumnKind::Number, 10, 2};
    columns[5].width = 8;
    BatchBuffers buffers(columns, 3, *converter);
    EXPECT_EQ(buffers.bindOrder(), (std::vector<std::size_t>{1, 3, 5, 0, 2, 4}));
    EXPECT_TRUE(buffers.hasLongValues());

    const BatchBuffers::Binding text = buffers.binding(1);
    EXPECT_EQ(text.type, DBStmt::BindType::Text);
    EXPECT_EQ(text.elementBytes, 30); // three bytes a character of 1252 in UTF-8
    EXPECT_EQ(text.indicators, nullptr);
    const BatchBuffers::Binding date = buffers.binding(3);
    EXPECT_EQ(date.type, DBStmt::BindType::Date);
    EXPECT_EQ(date.elementBytes, 7);
    EXPECT_NE(date.indicators, nullptr);
    EXPECT_EQ(date.lengths, nullptr);
    EXPECT_FALSE(date.isLong);
    // Oracle's NUMBER bytes after their length byte, in elements of 22 bytes.
    const BatchBuffers::Binding number = buffers.binding(5);
    EXPECT_EQ(number.type, DBStmt::BindType::Number);
    EXPECT_EQ(number.elementBytes, 22);
    EXPECT_NE(number.indicators, nullptr);
    EXPECT_EQ(number.lengths, nullptr);
    const BatchBuffers::Binding memo = buffers.binding(2);
    EXPECT_EQ(memo.type, DBStmt::BindType::Bytes);
    EXPECT_TRUE(memo.isLong);
    const BatchBuffers::Binding bytes = buffers.binding(4);
    EXPECT_EQ(bytes.type, DBStmt::BindType::Bytes);
    EXPECT_EQ(bytes.elementBytes, 6);
    EXPECT_FALSE(bytes.isLong);
}
