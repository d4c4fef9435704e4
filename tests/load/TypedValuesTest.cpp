// The checks and forms of typed values: whether a NUMBER column holds a number once Oracle
// rounds it, the text a number is bound as, and Oracle's date bytes.
#include "load/TypedValues.h"
#include "load/BatchBuffers.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

void readNumber(const std::string& text, FieldNumber& number) {
    EXPECT_EQ(
        readFieldNumber(reinterpret_cast<const unsigned char*>(text.data()), text.size(), number),
        FieldReading::Value)
        << text;
}

bool fits(const std::string& text, int precision, int scale) {
    FieldNumber number;
    readNumber(text, number);
    return numberFits(number, precision, scale);
}

std::string boundText(const std::string& text) {
    FieldNumber number;
    readNumber(text, number);
    char out[FieldNumber::kMaxDigits + 16];
    return std::string(out, writeNumberText(number, out));
}

} // namespace

TEST(TypedValues, NumbersFitTheirColumnAsOracleRoundsThem) {
    EXPECT_TRUE(fits("999999.99", 8, 2));
    EXPECT_TRUE(fits("-999999.994", 8, 2)); // rounds down to -999999.99
    EXPECT_FALSE(fits("999999.995", 8, 2)); // rounds up to 1000000.00
    EXPECT_FALSE(fits("1000000", 8, 2));
    EXPECT_TRUE(fits("0.004", 8, 2)); // rounds to zero
    EXPECT_TRUE(fits("0.06", 1, 1));  // 0.1
    EXPECT_FALSE(fits("0.96", 1, 1)); // 1.0 needs an integer digit
    EXPECT_TRUE(fits("0.001", 2, 3)); // a scale above the precision
    EXPECT_FALSE(fits("0.1", 2, 3));
    EXPECT_TRUE(fits("99999999999999999999999999999999999999", 38, 0));
    EXPECT_FALSE(fits("999999999999999999999999999999999999999", 38, 0));
    EXPECT_TRUE(fits("9.99E125", 0, 0));
    EXPECT_FALSE(fits("1E126", 0, 0));
    EXPECT_TRUE(fits("1E-300", 0, 0));
}

TEST(TypedValues, BoundFormsNeedNoNlsSetting) {
    EXPECT_EQ(boundText("  -3.14"), "-0.314E1");
    EXPECT_EQ(boundText("0.000"), "0");
    EXPECT_EQ(boundText("1234567890123.4567"), "0.12345678901234567E13");
    EXPECT_EQ(boundText(".05"), "0.5E-1");

    unsigned char bytes[7];
    writeOracleDate({1992, 11, 30, 15, 17, 0}, bytes);
    EXPECT_EQ(std::string(bytes, bytes + 7),
              std::string({119, static_cast<char>(192), 11, 30, 16, 18, 1}));
    writeOracleDate({1, 1, 1, 0, 0, 0}, bytes);
    EXPECT_EQ(std::string(bytes, bytes + 7), std::string({100, 101, 1, 1, 1, 1, 1}));
}

TEST(TypedValues, LobColumnsAreBoundLastAndTypedColumnsWithTheirOwnForms) {
    const std::unique_ptr<TextConverter> converter = TextConverter::forCodePage(1252);
    ASSERT_TRUE(converter);
    std::vector<Column> columns(5);
    columns[0].type = ColumnType{ColumnKind::Clob};
    columns[1].width = 10;
    columns[2].type = ColumnType{ColumnKind::MemoBlob};
    columns[3].type = ColumnType{ColumnKind::Date};
    columns[4].type = ColumnType{ColumnKind::RecordBlob};
    columns[4].width = 6;
    BatchBuffers buffers(columns, 3, *converter);
    EXPECT_EQ(buffers.bindOrder(), (std::vector<std::size_t>{1, 3, 0, 2, 4}));
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
    const BatchBuffers::Binding memo = buffers.binding(2);
    EXPECT_EQ(memo.type, DBStmt::BindType::Bytes);
    EXPECT_TRUE(memo.isLong);
    const BatchBuffers::Binding bytes = buffers.binding(4);
    EXPECT_EQ(bytes.type, DBStmt::BindType::Bytes);
    EXPECT_EQ(bytes.elementBytes, 6);
    EXPECT_FALSE(bytes.isLong);
}
